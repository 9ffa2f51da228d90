#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tc {

// One release in an update feed: an RSS "appcast" whose <item>s carry the Sparkle attributes or elements
// sparkle:version (the build) and sparkle:shortVersionString (the version shown), and an <enclosure url> or a
// <link> to download it from.
struct AppcastItem {
    QString version;      // the shown version; sparkle:version when the item has no short version
    QString build;        // sparkle:version when a short version is also given, else empty
    QString downloadLink; // an http(s) address, or empty
    QString title;
};

// Compares dotted version texts: numeric parts compare as numbers ("1.10" > "1.9"), missing parts count as 0
// ("1.0" == "1.0.0"), and at equal numbers a version with a pre-release tail ("1.0b2", "1.0-rc1") is older
// than the plain one. Returns <0, 0 or >0.
int compareVersions(const QString &a, const QString &b);

// Whether `item` is newer than the running version (`shortVersion`, `build`): the shown versions decide; when
// they are equal and both builds are known, the builds decide.
bool isNewer(const AppcastItem &item, const QString &shortVersion, const QString &build);

// The newest release in a feed document. Returns nothing for a feed without a usable item (no version) and
// for a document that is not well-formed XML; `error` then says why.
std::optional<AppcastItem> newestAppcastItem(const QByteArray &feed, QString *error = nullptr);

} // namespace tc

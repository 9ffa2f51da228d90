#include "app/shell/Appcast.h"

#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>
#include <vector>

namespace tc {

namespace {

const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

struct ParsedVersion {
    std::vector<qulonglong> numbers;
    bool preRelease = false;
};

ParsedVersion parseVersion(const QString &text) {
    ParsedVersion parsed;
    static const QRegularExpression leadingDigits(QStringLiteral("^(\\d+)(.*)$"));
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('v'), Qt::CaseInsensitive)) {
        trimmed.remove(0, 1);
    }
    const QStringList parts = trimmed.split(QLatin1Char('.'));
    for (const QString &part : parts) {
        const QRegularExpressionMatch match = leadingDigits.match(part);
        if (!match.hasMatch()) {
            parsed.preRelease = parsed.preRelease || !part.isEmpty();
            break;
        }
        bool ok = false;
        qulonglong number = match.captured(1).left(18).toULongLong(&ok);
        parsed.numbers.push_back(ok ? number : 0);
        if (!match.captured(2).isEmpty()) {
            // "0b2", "0-rc1": the number counts, the tail marks a pre-release and ends the comparison.
            parsed.preRelease = true;
            break;
        }
    }
    return parsed;
}

bool isWebLink(const QString &text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")) &&
           !url.host().isEmpty();
}

struct RawItem {
    QString version;
    QString shortVersion;
    QString enclosure;
    QString link;
    QString title;
};

bool isSparkle(const QXmlStreamReader &xml, QStringView name) {
    return xml.name() == name && (xml.namespaceUri() == sparkleNamespace || xml.prefix() == QLatin1String("sparkle"));
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, const QString &name) {
    for (const QXmlStreamAttribute &attribute : attributes) {
        if (attribute.name() == name &&
            (attribute.namespaceUri() == sparkleNamespace || attribute.prefix() == QLatin1String("sparkle"))) {
            return attribute.value().toString().trimmed();
        }
    }
    return {};
}

std::optional<AppcastItem> toItem(const RawItem &raw) {
    AppcastItem item;
    if (!raw.shortVersion.isEmpty()) {
        item.version = raw.shortVersion;
        item.build = raw.version;
    } else {
        item.version = raw.version;
    }
    if (item.version.isEmpty()) {
        return std::nullopt;
    }
    if (isWebLink(raw.enclosure)) {
        item.downloadLink = raw.enclosure.trimmed();
    } else if (isWebLink(raw.link)) {
        item.downloadLink = raw.link.trimmed();
    }
    item.title = raw.title.trimmed();
    return item;
}

bool itemIsNewer(const AppcastItem &a, const AppcastItem &b) {
    const int shown = compareVersions(a.version, b.version);
    if (shown != 0) {
        return shown > 0;
    }
    return !a.build.isEmpty() && !b.build.isEmpty() && compareVersions(a.build, b.build) > 0;
}

} // namespace

int compareVersions(const QString &a, const QString &b) {
    const ParsedVersion pa = parseVersion(a);
    const ParsedVersion pb = parseVersion(b);
    const size_t count = std::max(pa.numbers.size(), pb.numbers.size());
    for (size_t i = 0; i < count; ++i) {
        const qulonglong na = i < pa.numbers.size() ? pa.numbers[i] : 0;
        const qulonglong nb = i < pb.numbers.size() ? pb.numbers[i] : 0;
        if (na != nb) {
            return na < nb ? -1 : 1;
        }
    }
    if (pa.preRelease != pb.preRelease) {
        return pa.preRelease ? -1 : 1;
    }
    return 0;
}

bool isNewer(const AppcastItem &item, const QString &shortVersion, const QString &build) {
    AppcastItem running;
    running.version = shortVersion;
    running.build = build;
    return itemIsNewer(item, running);
}

std::optional<AppcastItem> newestAppcastItem(const QByteArray &feed, QString *error) {
    QXmlStreamReader xml(feed);
    std::optional<AppcastItem> newest;
    std::optional<RawItem> current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("item") && xml.namespaceUri().isEmpty()) {
                current = RawItem{};
            } else if (current) {
                if (xml.name() == QLatin1String("enclosure")) {
                    const QXmlStreamAttributes attributes = xml.attributes();
                    current->enclosure = attributes.value(QStringLiteral("url")).toString();
                    if (current->version.isEmpty()) {
                        current->version = sparkleAttribute(attributes, QStringLiteral("version"));
                    }
                    if (current->shortVersion.isEmpty()) {
                        current->shortVersion = sparkleAttribute(attributes, QStringLiteral("shortVersionString"));
                    }
                } else if (isSparkle(xml, u"version")) {
                    current->version = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                } else if (isSparkle(xml, u"shortVersionString")) {
                    current->shortVersion = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                } else if (xml.name() == QLatin1String("link") && xml.namespaceUri().isEmpty()) {
                    current->link = xml.readElementText(QXmlStreamReader::SkipChildElements);
                } else if (xml.name() == QLatin1String("title") && xml.namespaceUri().isEmpty()) {
                    current->title = xml.readElementText(QXmlStreamReader::SkipChildElements);
                }
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("item") && current) {
            if (std::optional<AppcastItem> item = toItem(*current); item && (!newest || itemIsNewer(*item, *newest))) {
                newest = std::move(item);
            }
            current.reset();
        }
    }
    if (xml.hasError()) {
        if (error) {
            *error = QStringLiteral("The update feed is not valid XML (%1).").arg(xml.errorString());
        }
        return std::nullopt;
    }
    if (!newest && error) {
        *error = QStringLiteral("The update feed lists no version.");
    }
    return newest;
}

} // namespace tc

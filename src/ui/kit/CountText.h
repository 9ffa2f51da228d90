#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

namespace tc {

// "1 key", "2 keys", "0 keys": a count followed by the word in the singular for exactly one, else the plural.
inline QString countText(std::int64_t count, const QString &one, const QString &many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

// A count with the locale's grouping separators ("1,234" in English, "1.234" in German), also for the C
// locale, which leaves them out by default.
inline QString groupedNumber(std::int64_t count, QLocale locale = QLocale()) {
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<qlonglong>(count));
}

} // namespace tc

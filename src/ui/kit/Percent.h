#pragma once

#include <QString>
#include <algorithm>
#include <cmath>

namespace tc {

// A document fraction (a volume or a pitch variation, 0 to 1) as a whole percentage for display: the integer
// part of fraction × 100. The value is clamped to 0…1 before it is converted, so a hand-edited document
// (1e300, −5, NaN) never overflows: NaN shows as 0.
inline int percentOf(double fraction) {
    if (std::isnan(fraction)) {
        return 0;
    }
    return static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
}

// "80%".
inline QString percentText(double fraction) {
    return QStringLiteral("%1%").arg(percentOf(fraction));
}

} // namespace tc

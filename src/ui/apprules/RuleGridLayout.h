#pragma once

#include <QRect>
#include <QtGlobal>
#include <vector>

namespace tc {

// The app-rules grid: as many columns as fit, each at least 200 and at most 260 wide with 16 between them,
// sharing the width; the columns are centred in any width left over. Rows are 16 apart, as high as their
// tallest cell, and each cell is centred in its row. The grid grows as tall as its rows need, so it sits in a
// vertical scroll area; the view's item pool places its cards where these say.
struct RuleGridLayout {
    static constexpr qreal minColumn = 200;
    static constexpr qreal maxColumn = 260;
    static constexpr int gap = 16;

    // The columns for a width: how many, how wide each, and where the first begins.
    struct Columns {
        int count = 1;
        qreal width = 0;
        qreal left = 0;
    };
    static Columns columns(qreal width);

    // Where each cell goes inside `area`, given the cells' heights in order.
    static std::vector<QRect> cells(const QRect &area, const std::vector<int> &heights);
};

} // namespace tc

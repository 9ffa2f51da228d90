#include "ui/apprules/RuleGridLayout.h"

#include <algorithm>
#include <cmath>

namespace tc {

RuleGridLayout::Columns RuleGridLayout::columns(qreal width) {
    Columns c;
    c.count = std::max(1, static_cast<int>(std::floor((width + gap) / (minColumn + gap))));
    c.width = std::min(maxColumn, (width - gap * (c.count - 1)) / c.count);
    const qreal used = c.count * c.width + gap * (c.count - 1);
    c.left = std::max<qreal>(0, (width - used) / 2);
    return c;
}

std::vector<QRect> RuleGridLayout::cells(const QRect &area, const std::vector<int> &heights) {
    const Columns c = columns(area.width());
    std::vector<QRect> rects;
    int top = area.top();
    for (std::size_t start = 0; start < heights.size(); start += c.count) {
        const std::size_t end = std::min(heights.size(), start + c.count);
        const int rowHeight = *std::max_element(heights.begin() + start, heights.begin() + end);
        for (std::size_t i = start; i < end; ++i) {
            const qreal x = area.left() + c.left + (c.width + gap) * static_cast<qreal>(i - start);
            const int y = top + (rowHeight - heights[i]) / 2;
            rects.emplace_back(qRound(x), y, qRound(x + c.width) - qRound(x), heights[i]);
        }
        top += rowHeight + gap;
    }
    return rects;
}

} // namespace tc

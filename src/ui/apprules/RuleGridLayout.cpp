#include "ui/apprules/RuleGridLayout.h"

#include <QWidget>
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

RuleGridLayout::RuleGridLayout(QWidget *parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
}

RuleGridLayout::~RuleGridLayout() {
    while (QLayoutItem *item = takeAt(0)) {
        delete item;
    }
}

void RuleGridLayout::addItem(QLayoutItem *item) {
    items_.push_back(item);
}

int RuleGridLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem *RuleGridLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem *RuleGridLayout::takeAt(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem *item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    invalidate();
    return item;
}

void RuleGridLayout::insertWidget(int index, QWidget *widget) {
    addChildWidget(widget);
    insertItem(index, new QWidgetItem(widget));
}

void RuleGridLayout::insertItem(int index, QLayoutItem *item) {
    index = std::clamp(index, 0, count());
    items_.insert(items_.begin() + index, item);
    invalidate();
}

void RuleGridLayout::replaceAt(int index, QWidget *widget) {
    if (index < 0 || index >= count()) {
        return;
    }
    addChildWidget(widget);
    QLayoutItem *&slot = items_[static_cast<std::size_t>(index)];
    const QRect place = slot->geometry();
    delete slot;
    slot = new QWidgetItem(widget);
    slot->setGeometry(place);
    invalidate();
}

std::vector<int> RuleGridLayout::heightsFor(qreal cellWidth) const {
    std::vector<int> heights;
    for (QLayoutItem *item : items_) {
        if (item->isEmpty()) {
            continue;
        }
        const int w = qRound(cellWidth);
        heights.push_back(item->hasHeightForWidth() ? item->heightForWidth(w) : item->sizeHint().height());
    }
    return heights;
}

int RuleGridLayout::heightForWidth(int width) const {
    const QMargins m = contentsMargins();
    const int inner = width - m.left() - m.right();
    const auto heights = heightsFor(columns(inner).width);
    const auto rects = cells(QRect(0, 0, inner, 0), heights);
    int bottom = 0;
    for (const QRect &r : rects) {
        bottom = std::max(bottom, r.bottom() + 1);
    }
    return bottom + m.top() + m.bottom();
}

QSize RuleGridLayout::sizeHint() const {
    const int width = static_cast<int>(3 * maxColumn + 2 * gap);
    return {width, heightForWidth(width)};
}

QSize RuleGridLayout::minimumSize() const {
    const QMargins m = contentsMargins();
    return {static_cast<int>(minColumn) + m.left() + m.right(), 0};
}

void RuleGridLayout::setGeometry(const QRect &rect) {
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const auto rects = cells(area, heightsFor(columns(area.width()).width));
    std::size_t next = 0;
    for (QLayoutItem *item : items_) {
        if (!item->isEmpty() && next < rects.size()) {
            item->setGeometry(rects[next++]);
        }
    }
}

} // namespace tc

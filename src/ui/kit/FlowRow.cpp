#include "ui/kit/FlowRow.h"

#include <QEvent>

#include <algorithm>

namespace tc {

FlowRow::FlowRow(int spacing, int lineSpacing, QWidget *parent)
    : QWidget(parent), spacing_(spacing), lineSpacing_(lineSpacing) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void FlowRow::add(QWidget *widget) {
    insert(items_.size(), widget);
}

void FlowRow::insert(std::size_t index, QWidget *widget) {
    widget->setParent(this);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size())), widget);
    widget->show();
    relayout();
    updateGeometry();
}

void FlowRow::remove(QWidget *widget) {
    const auto at = std::find(items_.begin(), items_.end(), widget);
    if (at == items_.end()) {
        return;
    }
    items_.erase(at);
    widget->hide();
    widget->deleteLater();
    relayout();
    updateGeometry();
}

void FlowRow::clear() {
    for (QWidget *widget : items_) {
        if (widget->parent() == this) { // one taken back by its owner stays
            widget->hide();
            widget->deleteLater();
        }
    }
    items_.clear();
    relayout();
    updateGeometry();
}

std::vector<QRect> FlowRow::arrange(int width, int *height) const {
    std::vector<QRect> places;
    int x = 0;
    int y = 0;
    int lineHeight = 0;
    for (QWidget *widget : items_) {
        QSize size = widget->sizeHint();
        if (width > 0) {
            size.setWidth(std::min(size.width(), width)); // a child wider than the row is narrowed to it
        }
        if (x > 0 && x + size.width() > width) {
            x = 0;
            y += lineHeight + lineSpacing_;
            lineHeight = 0;
        }
        places.emplace_back(QPoint(x, y), size);
        x += size.width() + spacing_;
        lineHeight = std::max(lineHeight, size.height());
    }
    // Widgets of one line share its middle.
    for (std::size_t i = 0; i < places.size();) {
        std::size_t end = i;
        int tallest = 0;
        while (end < places.size() && places[end].top() == places[i].top()) {
            tallest = std::max(tallest, places[end].height());
            ++end;
        }
        for (std::size_t j = i; j < end; ++j) {
            places[j].translate(0, (tallest - places[j].height()) / 2);
        }
        i = end;
    }
    if (height) {
        *height = places.empty() ? 0 : y + lineHeight;
    }
    return places;
}

int FlowRow::heightForWidth(int width) const {
    int height = 0;
    arrange(width, &height);
    return height;
}

QSize FlowRow::sizeHint() const {
    int width = 0;
    for (QWidget *widget : items_) {
        width += widget->sizeHint().width() + (width > 0 ? spacing_ : 0);
    }
    return {width, heightForWidth(width)};
}

QSize FlowRow::minimumSizeHint() const {
    int widest = 0;
    for (QWidget *widget : items_) {
        widest = std::max(widest, widget->sizeHint().width());
    }
    return {widest, heightForWidth(widest)};
}

void FlowRow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    relayout();
}

bool FlowRow::event(QEvent *event) {
    // A child whose size hint changed (a chip's new text) asks its parent, which has no layout, to lay out.
    if (event->type() == QEvent::LayoutRequest) {
        relayout();
        updateGeometry();
    }
    return QWidget::event(event);
}

void FlowRow::relayout() {
    const auto places = arrange(width());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i]->setGeometry(places[i]);
    }
    const int wanted = heightForWidth(width());
    if (minimumHeight() != wanted) {
        setMinimumHeight(wanted);
    }
}

} // namespace tc

#include "ui/triggers/SegmentedSwitch.h"

#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"
#include "ui/triggers/FlatButton.h"

#include <QHBoxLayout>
#include <QPainter>

namespace tc {

namespace {

constexpr int kInset = 3;
constexpr int kGap = 2;

} // namespace

SegmentedSwitch::SegmentedSwitch(std::vector<Segment> segments, Style style, QWidget *parent)
    : QWidget(parent), style_(std::move(style)), segments_(std::move(segments)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kInset, kInset, kInset, kInset);
    row->setSpacing(kGap);
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        const Segment segment = segments_[i];
        const int index = static_cast<int>(i);
        const qreal width = FlatButton::labelWidth(segment.symbol, segment.title, style_.font, style_.padding);
        auto *button = new FlatButton(
            QSize(static_cast<int>(width), static_cast<int>(style_.segmentHeight)),
            [this, segment, index](QPainter &painter, const QRectF &rect, bool) {
                FlatButton::paintLabel(painter, rect, segment.symbol, segment.title, style_.font,
                                       index == selected_ ? Theme::ink : Theme::ink2);
            },
            this);
        button->setText(segment.title);
        button->setAccessibleName(segment.title);
        connect(button, &QAbstractButton::clicked, this, [this, index] { emit pressed(index); });
        row->addWidget(button);
        buttons_.push_back(button);
    }
}

void SegmentedSwitch::setSelected(int index) {
    if (index == selected_) {
        return;
    }
    selected_ = index;
    for (QAbstractButton *button : buttons_) {
        button->update();
    }
    update();
}

void SegmentedSwitch::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(capsule(QRectF(rect())), style_.track);
    if (selected_ < 0 || selected_ >= static_cast<int>(buttons_.size())) {
        return;
    }
    const QRectF segment = QRectF(buttons_[static_cast<std::size_t>(selected_)]->geometry());
    paintShadow(painter, segment, segment.height() / 2, Shadow{Theme::withOpacity(Qt::black, 0.12), 1, QPointF(0, 1)});
    painter.fillPath(capsule(segment), Qt::white);
}

} // namespace tc

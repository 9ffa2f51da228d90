#include "ui/sounds/PickerTabBar.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kPadding = 14; // either side of a label
constexpr int kHeight = 30;
constexpr int kInset = 3; // the panel capsule around the buttons
constexpr int kSpacing = 2;

QFont labelFont() {
    return Fonts::system(12, QFont::DemiBold);
}

// A tab's label; the bar paints the capsule under the selected one.
class TabButton : public QAbstractButton {
public:
    TabButton(SoundPickerTab tab, const SoundPickerState &state, QWidget *parent)
        : QAbstractButton(parent), state_(state), tab_(tab) {
        setText(toString(tab));
        setAccessibleName(text());
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
        const qreal width = QFontMetricsF(labelFont()).horizontalAdvance(text()) + 2 * kPadding;
        setFixedSize(static_cast<int>(std::ceil(width)), kHeight);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setFont(labelFont());
        painter.setPen(state_.tab() == tab_ ? Theme::ink : Theme::ink2);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    const SoundPickerState &state_;
    SoundPickerTab tab_;
};

} // namespace

PickerTabBar::PickerTabBar(SoundPickerState &state, QWidget *parent) : QWidget(parent), state_(state) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kInset, kInset, kInset, kInset);
    row->setSpacing(kSpacing);
    for (const auto tab : kAllSoundPickerTabs) {
        auto *button = new TabButton(tab, state_, this);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { state_.setTab(tab); });
        row->addWidget(button);
        buttons_[tab] = button;
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&state_, &SoundPickerState::tabChanged, this, [this] {
        update();
        for (const auto &entry : buttons_) {
            entry.second->update();
        }
    });
}

void PickerTabBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(capsule(QRectF(rect())), Theme::panel);
    const QRectF selected = QRectF(buttons_.at(state_.tab())->geometry());
    paintShadow(painter, selected, selected.height() / 2, {Theme::withOpacity(Qt::black, 0.12), 1, QPointF(0, 1)});
    painter.fillPath(capsule(selected), Qt::white);
}

} // namespace tc

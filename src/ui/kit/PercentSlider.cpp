#include "ui/kit/PercentSlider.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Theme.h"

#include <QStyleOptionSlider>
#include <algorithm>

namespace tc {

namespace {

// A little room above and below the style's handle, so the ring runs clear of it.
constexpr int kHeight = 21;

} // namespace

PercentSlider::PercentSlider(int positionsPerUnit, QWidget *parent) : QSlider(Qt::Horizontal, parent) {
    setPercentSteps(this, positionsPerUnit);
    setMinimumHeight(kHeight);
    QPalette shades = palette();
    shades.setColor(QPalette::Highlight, Theme::ink);
    setPalette(shades);
    FocusRing::attach(this);
}

void PercentSlider::setPercentSteps(QAbstractSlider *slider, int positionsPerUnit) {
    slider->setSingleStep(std::max(1, positionsPerUnit / 100));
    slider->setPageStep(std::max(1, positionsPerUnit / 10));
}

void PercentSlider::initStyleOption(QStyleOptionSlider *option) const {
    QSlider::initStyleOption(option);
    option->state &= ~QStyle::State_HasFocus;
}

} // namespace tc

#include "ui/kit/ChoiceBox.h"

#include "ui/kit/FocusRing.h"

#include <QStyleOptionComboBox>

namespace tc {

namespace {

constexpr qreal kCorner = 5;

} // namespace

ChoiceBox::ChoiceBox(QWidget *parent) : QComboBox(parent) {
    FocusRing::attach(this, kCorner);
}

void ChoiceBox::initStyleOption(QStyleOptionComboBox *option) const {
    QComboBox::initStyleOption(option);
    option->state &= ~QStyle::State_HasFocus;
}

} // namespace tc

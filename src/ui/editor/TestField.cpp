#include "ui/editor/TestField.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace tc {

TestField::TestField(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedHeight(kHeight);
    setMaximumWidth(kMaxWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(12);

    auto *title = new QLabel(QStringLiteral("TEST"), this);
    title->setFont(Fonts::mono(11, QFont::Medium));
    QPalette titleColors = title->palette();
    titleColors.setColor(QPalette::WindowText, Theme::ink3);
    title->setPalette(titleColors);
    row->addWidget(title);

    field_ = new QLineEdit(this);
    field_->setFrame(false);
    field_->setPlaceholderText(QStringLiteral("Type here to hear your keyboard…"));
    field_->setFont(Fonts::system(15));
    field_->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette fieldColors = field_->palette();
    fieldColors.setColor(QPalette::Base, Qt::transparent);
    fieldColors.setColor(QPalette::Text, Theme::ink);
    field_->setPalette(fieldColors);
    row->addWidget(field_, 1);

    auto *clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setFlat(true);
    clear->setFont(Fonts::system(12, QFont::DemiBold));
    clear->setCursor(Qt::PointingHandCursor);
    clear->setFocusPolicy(Qt::TabFocus); // a click leaves the focus in the field
    FocusRing::attach(clear, 6);
    clear->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; border: none; background: transparent; }").arg(Theme::ink2.name()));
    clear->hide();
    row->addWidget(clear);
    clear_ = clear;

    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString &text) { clear_->setVisible(!text.isEmpty()); });
    // Clearing leaves the typing where it was: the focus goes back to the field before the button hides (a
    // hidden button with the focus would hand it on to the next control).
    connect(clear_, &QAbstractButton::clicked, this, [this] {
        field_->setFocus(Qt::OtherFocusReason);
        field_->clear();
    });
    setFocusProxy(field_);
}

void TestField::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    field_->setFocus(Qt::OtherFocusReason);
}

void TestField::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    paintPanel(painter, box, 14, Qt::white, QPen(Theme::ink, 1.5));
}

} // namespace tc

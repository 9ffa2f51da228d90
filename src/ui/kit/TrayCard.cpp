#include "ui/kit/TrayCard.h"

#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

TrayCard::TrayCard(QWidget *header, QWidget *content, QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(4, 4, 4, 4);
    stack->setSpacing(0);

    auto *headerRow = new QWidget(this);
    headerRow->setFixedHeight(42);
    header_ = new QHBoxLayout(headerRow);
    header_->setContentsMargins(14, 0, 14, 0);
    header_->setAlignment(Qt::AlignVCenter);
    if (header) {
        header_->addWidget(header);
    }
    stack->addWidget(headerRow);

    auto *inner = new RoundedPanel(16, Qt::white, this); // the white panel inside the tray
    content_ = new QVBoxLayout(inner);
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(0);
    if (content) {
        content_->addWidget(content);
    }
    stack->addWidget(inner, 1);

    setGraphicsEffect(new ShadowEffect({{QColor(30, 30, 25, qRound(0.09 * 255)), 18, QPointF(0, 12)}}, 20, this));
}

void TrayCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), 20, Theme::tray);
}

} // namespace tc

#include "ui/shell/NoticeView.h"

#include "ui/kit/SymbolBadge.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/MascotLogo.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

NoticeView::NoticeView(const Notice &notice, NoticeActions actions, QWidget *parent)
    : QWidget(parent), actions_(std::move(actions)) {
    setAttribute(Qt::WA_TranslucentBackground);
    const NoticeContent content = noticeContent(notice);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(outerInset + 12, outerInset + 10, outerInset + 16, outerInset + 10);
    row->setSpacing(12);
    row->setSizeConstraint(QLayout::SetFixedSize);

    mascot_ = new MascotLogo(30, this);
    mascot_->setOpacity(content.mascotOpacity);
    row->addWidget(mascot_, 0, Qt::AlignVCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = textLabel(content.title, Fonts::system(14, QFont::Bold), Theme::ink, this);
    subtitle_ = textLabel(content.subtitle, Fonts::system(12), Theme::ink3, this);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    row->addLayout(texts);

    if (content.fixLabel) {
        auto *button = new PillButton(*content.fixLabel, BlackPillButtonStyle{30}, this);
        connect(button, &QAbstractButton::clicked, this, [this] {
            if (actions_.fix) {
                actions_.fix();
            }
        });
        row->addWidget(button, 0, Qt::AlignVCenter);
        fix_ = button;
    }
}

std::function<QWidget *(const Notice &, const NoticeActions &)> NoticeView::factory() {
    return [](const Notice &notice, const NoticeActions &actions) { return new NoticeView(notice, actions); };
}

QString NoticeView::title() const {
    return title_->text();
}

QString NoticeView::subtitle() const {
    return subtitle_->text();
}

QRectF NoticeView::capsuleRect() const {
    return QRectF(rect()).adjusted(outerInset, outerInset, -outerInset, -outerInset);
}

void NoticeView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = capsuleRect();
    const qreal corner = pill.height() / 2;
    paintShadow(painter, pill, corner, {Theme::withOpacity(Qt::black, 0.18), 14, QPointF(0, 6)});
    painter.fillPath(capsule(pill), Qt::white);
    painter.strokePath(strokeBorderPath(pill, corner, 1), QPen(Theme::withOpacity(Qt::black, 0.06), 1));
}

void NoticeView::mousePressEvent(QMouseEvent *event) {
    // Taking the press makes the release come here too, wherever on the notice it was pressed.
    event->accept();
}

void NoticeView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && actions_.dismiss) {
        actions_.dismiss();
    }
}

} // namespace tc

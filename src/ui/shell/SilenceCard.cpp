#include "ui/shell/SilenceCard.h"

#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

SilenceCard::SilenceCard(const Silence &silence, std::function<void()> fix, QWidget *parent)
    : QWidget(parent), silence_(silence), fix_(std::move(fix)) {
    setFixedHeight(fixedHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(0);
    column->addStretch(1);

    auto *top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(new SymbolBadge(symbol(silence.kind), 34, 15, Theme::orangeText, Theme::orangeSoft, this));
    QFont caption = Fonts::mono(10, QFont::Medium);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    top->addWidget(textLabel(QStringLiteral("NOT PLAYING"), caption, Theme::ink3, this));
    top->addStretch(1);
    column->addLayout(top);

    QFont titleFont = Fonts::system(26, QFont::Black);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    title_ = new FittingText(silence.title, titleFont, Theme::ink, 0.6, Qt::AlignLeft, this);
    column->addWidget(title_);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 4, 0, 0);
    bottom->setSpacing(10);
    detail_ = textLabel(silence.detail, Fonts::system(12), Theme::ink2, this);
    detail_->setWordWrap(true);
    bottom->addWidget(detail_, 1, Qt::AlignBottom);
    if (silence.fix) {
        auto *button = new PillButton(*silence.fix, BlackPillButtonStyle{32}, this);
        connect(button, &QAbstractButton::clicked, this, [this] {
            if (fix_) {
                fix_();
            }
        });
        bottom->addWidget(button, 0, Qt::AlignBottom);
        fixButton_ = button;
    }
    column->addLayout(bottom);
    column->addStretch(1);
}

std::string_view SilenceCard::symbol(Silence::Kind kind) {
    switch (kind) {
    case Silence::Kind::permission:
        return "keyboard.badge.exclamationmark";
    case Silence::Kind::off:
        return "speaker.slash.fill";
    case Silence::Kind::volume:
        return "speaker.fill";
    case Silence::Kind::macMuted:
        return "speaker.slash";
    case Silence::Kind::app:
        return "app.badge";
    case Silence::Kind::mic:
        return "mic.slash.fill";
    case Silence::Kind::password:
        return "lock.fill";
    case Silence::Kind::quiet:
        return "moon.fill";
    }
    return "speaker.slash.fill";
}

void SilenceCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card(rect());
    paintPanel(painter, card, corner, Qt::white);
    QPen dash(Theme::orange, 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dash.setMiterLimit(10);
    dash.setDashPattern({5.0 / 2, 5.0 / 2}); // 5 on, 5 off, in units of the line width
    painter.strokePath(strokeBorderPath(card, corner, 2), dash);
}

} // namespace tc

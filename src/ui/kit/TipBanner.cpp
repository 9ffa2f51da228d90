#include "ui/kit/TipBanner.h"

#include "app/Motion.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

// The banner's icon: the symbol in Theme.orangeText on a Theme.orangeSoft circle of 30.
class TipIcon final : public QWidget {
public:
    TipIcon(std::string symbol, QWidget *parent) : QWidget(parent), symbol_(std::move(symbol)) { setFixedSize(30, 30); }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::orangeSoft);
        painter.drawEllipse(QRectF(0, 0, 30, 30));
        Symbols::paint(painter, QRectF(0, 0, 30, 30), symbol_, 13, QFont::DemiBold, Theme::orangeText);
    }

private:
    std::string symbol_;
};

// "Got it": 11-pixel semibold text, 10 in from either side, on a Theme.panel capsule 26 high.
class GotItButton final : public QAbstractButton {
public:
    explicit GotItButton(QWidget *parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Got it"));
        setFont(Fonts::system(11, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
        setFixedSize(sizeHint());
    }

    QSize sizeHint() const override {
        return {static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 20, 26};
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.7 : 1.0);
        painter.fillPath(capsule(QRectF(rect())), Theme::panel);
        painter.setPen(Theme::ink);
        painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
    }
};

} // namespace

TipBanner::TipBanner(const QString &id, const QString &symbol, const QString &title, const QString &text,
                     Binding binding, QWidget *parent)
    : QWidget(parent), id_(id), binding_(std::move(binding)), fade_(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 12, 14, 12);
    row->setSpacing(12);
    row->addWidget(new TipIcon(symbol.toStdString(), this), 0, Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(textLabel(title, Fonts::system(13, QFont::Bold), Theme::ink, this));
    QLabel *body = textLabel(text, Fonts::system(12), Theme::ink2, this);
    body->setWordWrap(true);
    texts->addWidget(body);
    row->addLayout(texts, 1);

    gotIt_ = new GotItButton(this);
    row->addWidget(gotIt_, 0, Qt::AlignTop);
    connect(gotIt_, &QAbstractButton::clicked, this, [this] {
        if (binding_.dismiss) {
            binding_.dismiss(id_);
        }
        refresh();
    });

    fade_->setDuration(200);
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    fade_->setEasingCurve(easeOut);
    connect(fade_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { setPresence(value.toReal()); });
    connect(fade_, &QVariantAnimation::finished, this, [this] {
        setPresence(wanted_ ? 1.0 : 0.0);
        if (!wanted_) {
            hide();
        }
    });
    wanted_ = !(binding_.isSeen && binding_.isSeen(id_));
    setVisible(wanted_);
}

void TipBanner::refresh() {
    const bool visible = !(binding_.isSeen && binding_.isSeen(id_));
    if (visible != wanted_) {
        fadeTo(visible);
    }
}

void TipBanner::fadeTo(bool visible) {
    wanted_ = visible;
    fade_->stop();
    if (!motion::enabled()) {
        setPresence(visible ? 1.0 : 0.0);
        setVisible(visible);
        return;
    }
    const qreal from = isHidden() ? 0.0 : presence_;
    if (visible) {
        setPresence(from);
        show();
    }
    fade_->setStartValue(from);
    fade_->setEndValue(visible ? 1.0 : 0.0);
    fade_->start();
}

void TipBanner::setPresence(qreal presence) {
    presence_ = presence;
    // The opacity effect lives only while the banner is see-through; at rest the banner paints plainly.
    if (presence >= 1.0) {
        setGraphicsEffect(nullptr);
    } else {
        auto *effect = qobject_cast<QGraphicsOpacityEffect *>(graphicsEffect());
        if (!effect) {
            effect = new QGraphicsOpacityEffect(this);
            setGraphicsEffect(effect);
        }
        effect->setOpacity(std::max<qreal>(0, presence));
    }
    // Sliding towards the top edge: the banner gives up its height as it fades, so what follows moves up.
    if (presence >= 1.0) {
        setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        const int full = heightForWidth(width()) > 0 ? heightForWidth(width()) : sizeHint().height();
        setMaximumHeight(static_cast<int>(full * presence));
    }
}

void TipBanner::finishAnimation() {
    if (fade_->state() == QAbstractAnimation::Running) {
        fade_->setCurrentTime(fade_->duration());
    }
}

void TipBanner::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    paintPanel(painter, bounds, 16, Qt::white, QPen(Theme::withOpacity(Theme::orange, 0.35), 1));
}

} // namespace tc

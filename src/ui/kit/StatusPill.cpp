#include "ui/kit/StatusPill.h"

#include "app/AppModel.h"
#include "engine/Hotkey.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace tc {

namespace {

constexpr qreal padding = 12;
constexpr qreal dotSize = 7;
constexpr qreal spacing = 7;
// The least room a label has: a cut one shows at least about this much of itself.
constexpr char kLeastLabel[] = "Muted in Application\u2026";

QFont labelFont() {
    return Fonts::system(12, QFont::DemiBold);
}

} // namespace

StatusPill::Face StatusPill::face(const std::optional<Silence> &silence) {
    const QString toggle = QString::fromStdString(hotkeyText(Hotkey::toggleSounds));
    if (!silence) {
        return {QStringLiteral("Playing"), Theme::orange, true, Action::turnOff,
                QStringLiteral("Click to turn sounds off. %1 works anywhere.").arg(toggle)};
    }
    Face f;
    f.label = silence->kind == Silence::Kind::off ? QStringLiteral("Sounds off · %1").arg(toggle) : silence->title;
    f.dot = silence->kind == Silence::Kind::permission ? Theme::orange : grey;
    f.glow = f.dot == Theme::orange;
    f.action = silence->fix ? Action::fix : Action::none;
    f.toolTip = silence->detail;
    if (silence->fix) {
        f.toolTip += QStringLiteral(" Click: ") + *silence->fix + QStringLiteral(".");
    }
    return f;
}

StatusPill::StatusPill(AppModel &model, QWidget *parent) : QAbstractButton(parent), model_(model) {
    setFont(labelFont());
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    // As wide as the label up to the room the header has; narrower, the label is cut.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] { act(); });
    connect(&model_, &AppModelSignals::silenceChanged, this, [this] { refresh(); });
    refresh();
}

void StatusPill::refresh() {
    Face next = face(model_.silence());
    if (next == face_ && !text().isEmpty()) {
        return;
    }
    face_ = std::move(next);
    setText(face_.label);
    setAccessibleName(face_.label);
    cut_ = labelCut();
    refreshToolTip();
    setEnabled(face_.action != Action::none);
    updateGeometry();
    update();
}

void StatusPill::act() {
    switch (face_.action) {
    case Action::turnOff:
        model_.setSetting(&AppSettings::enabled, false);
        break;
    case Action::fix:
        // For an app rule the model itself moves the window to the App rules section.
        model_.fixSilence();
        break;
    case Action::none:
        break;
    }
}

QSize StatusPill::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal width =
        padding + dotSize + spacing + std::ceil(metrics.horizontalAdvance(ShownText::bounded(face_.label))) + padding;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(fixedHeight));
}

QSize StatusPill::minimumSizeHint() const {
    // "Playing" and the short silences always show whole; a longer label keeps a few words before its "…".
    const QFontMetricsF metrics(labelFont());
    const qreal least =
        padding + dotSize + spacing + std::ceil(metrics.horizontalAdvance(QString::fromUtf8(kLeastLabel))) + padding;
    return QSize(std::min(sizeHint().width(), static_cast<int>(std::ceil(least))), static_cast<int>(fixedHeight));
}

qreal StatusPill::labelRoom() const {
    return width() - padding - dotSize - spacing - padding;
}

QString StatusPill::shownLabel() const {
    return ShownText::elided(QFontMetricsF(labelFont()), face_.label, labelRoom());
}

bool StatusPill::labelCut() const {
    return !ShownText::fits(QFontMetricsF(labelFont()), face_.label, labelRoom());
}

void StatusPill::refreshToolTip() {
    // A cut label is told whole before what the pill explains.
    setToolTip(cut_ ? ShownText::bounded(face_.label) + QStringLiteral("\n") + face_.toolTip : face_.toolTip);
}

void StatusPill::resizeEvent(QResizeEvent *event) {
    QAbstractButton::resizeEvent(event);
    const bool cut = labelCut();
    if (cut != cut_) {
        cut_ = cut;
        refreshToolTip();
    }
}

void StatusPill::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill(rect());
    const qreal radius = pill.height() / 2;
    // A disabled pill is greyed as a whole, the way the platform dims a plain button.
    painter.setOpacity(isEnabled() ? 1.0 : 0.5);
    painter.fillPath(capsule(pill), Qt::white);
    painter.strokePath(strokeBorderPath(pill, radius, 1), QPen(Theme::withOpacity(Qt::black, 0.06), 1));

    const QRectF dot(padding, (pill.height() - dotSize) / 2, dotSize, dotSize);
    if (face_.glow) {
        paintShadow(painter, dot, dotSize / 2, {Theme::withOpacity(face_.dot, 0.7), 4, QPointF(0, 0)});
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(face_.dot);
    painter.drawEllipse(dot);

    painter.setFont(labelFont());
    painter.setPen(Theme::ink);
    const QRectF label(dot.right() + spacing, 0, labelRoom(), pill.height());
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownLabel());
}

} // namespace tc

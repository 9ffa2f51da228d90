#include "ui/editor/CaseHeader.h"

#include "app/AppModel.h"
#include "app/Motion.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Theme.h"

#include <QPainter>
#include <QVariantAnimation>

namespace tc {

namespace {

constexpr qreal kLightSize = 6;
constexpr qreal kSpacing = 10;
constexpr qreal kSidePadding = 6;
const QColor kLightOff(201, 201, 195);
const QColor kBadgeRed(215, 53, 31);

QFont spaced(QFont font) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return font;
}

} // namespace

CaseHeader::CaseHeader(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedHeight(kHeight);
    for (std::size_t i = 0; i < fades_.size(); ++i) {
        auto *fade = new QVariantAnimation(this);
        fade->setDuration(80);
        fade->setEasingCurve(QEasingCurve::OutQuad);
        connect(fade, &QVariantAnimation::valueChanged, this, [this, i](const QVariant &value) {
            amount_[i] = value.toReal();
            update();
        });
        fades_[i] = fade;
    }
    connect(&model_, &AppModel::pressedKeysChanged, this, &CaseHeader::refresh);
    connect(&model_, &AppModel::silenceChanged, this, &CaseHeader::refresh);
    model_.observe(AppModel::settingsChange, this, [this] { refresh(); });
    connect(&model_, &AppModel::permissionGrantedChanged, this, &CaseHeader::refresh);
    refresh();
    for (std::size_t i = 0; i < fades_.size(); ++i) {
        fades_[i]->stop();
        amount_[i] = lit_[i] ? 1 : 0;
    }
}

void CaseHeader::refresh() {
    const std::array<bool, 3> now = {!model_.pressedKeys().empty() && !model_.silence(), model_.data().settings.enabled,
                                     model_.permissionGranted()};
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] == lit_[i]) {
            continue;
        }
        lit_[i] = now[i];
        const qreal target = now[i] ? 1 : 0;
        if (motion::enabled()) {
            fades_[i]->stop();
            fades_[i]->setStartValue(amount_[i]);
            fades_[i]->setEndValue(target);
            fades_[i]->start();
        } else {
            amount_[i] = target;
            update();
        }
    }
}

QSize CaseHeader::sizeHint() const {
    return {300, kHeight};
}

void CaseHeader::paintLight(QPainter &painter, QPointF centre, const QColor &color, qreal amount) {
    const QRectF dot(centre.x() - kLightSize / 2, centre.y() - kLightSize / 2, kLightSize, kLightSize);
    if (amount > 0) {
        paintShadow(painter, dot, kLightSize / 2, {Theme::withOpacity(color, 0.9 * amount), 4, QPointF(0, 0)});
    }
    QColor fill = kLightOff;
    fill.setRedF(kLightOff.redF() + (color.redF() - kLightOff.redF()) * amount);
    fill.setGreenF(kLightOff.greenF() + (color.greenF() - kLightOff.greenF()) * amount);
    fill.setBlueF(kLightOff.blueF() + (color.blueF() - kLightOff.blueF()) * amount);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(dot);
    painter.restore();
}

void CaseHeader::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF row = QRectF(rect()).adjusted(kSidePadding, 0, -kSidePadding, 0);

    const QFont badgeFont = spaced(Fonts::mono(10, QFont::Medium));
    const QString badge = QStringLiteral("KB-01");
    painter.setFont(badgeFont);
    painter.setPen(kBadgeRed);
    const qreal badgeWidth = QFontMetricsF(badgeFont).horizontalAdvance(badge);
    painter.drawText(QRectF(row.left(), row.top(), badgeWidth + 2, row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     badge);

    painter.setFont(spaced(Fonts::mono(9, QFont::Medium)));
    painter.setPen(Theme::ink3);
    const qreal titleLeft = row.left() + badgeWidth + kSpacing;
    painter.drawText(QRectF(titleLeft, row.top(), std::max<qreal>(0, row.right() - titleLeft), row.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SOUND BOARD · 75%"));

    // The lights sit at the trailing end, kSpacing apart.
    qreal x = row.right() - kLightSize / 2;
    for (int i = static_cast<int>(kLightColors.size()) - 1; i >= 0; --i) {
        paintLight(painter, QPointF(x, row.center().y()), kLightColors[static_cast<std::size_t>(i)],
                   amount_[static_cast<std::size_t>(i)]);
        x -= kLightSize + kSpacing;
    }
}

} // namespace tc

#include "ui/editor/KeyboardCase.h"

#include "ui/editor/CaseHeader.h"
#include "ui/editor/KeyPlate.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kCaseCorner = 26;
constexpr qreal kWellCorner = 13;
constexpr qreal kPlateUnitsWide = 15;
constexpr qreal kPlateUnitsHigh = 5.66;

QRectF wellRect(const KeyPlate &plate) {
    return QRectF(plate.geometry());
}

} // namespace

KeyboardCase::KeyboardCase(AppModel &model, QWidget *parent)
    : QWidget(parent), header_(new CaseHeader(model, this)), plate_(new KeyPlate(model, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    relayout();
}

QRectF KeyboardCase::caseFrame(QSizeF available) {
    const qreal width = std::max<qreal>(0, std::min({available.width(), available.height() * kAspect, kMaxWidth}));
    return {0, 0, width, width / kAspect};
}

qreal KeyboardCase::unitFor(QSizeF caseSize) {
    const qreal plateSide = 2 * KeyPlate::kPadding;
    const qreal across = (caseSize.width() - 2 * kPadding - plateSide) / kPlateUnitsWide;
    const qreal down =
        (caseSize.height() - 2 * kPadding - plateSide - CaseHeader::kHeight - kHeaderSpacing) / kPlateUnitsHigh;
    return std::max(std::min(across, down), kMinUnit);
}

int KeyboardCase::heightForWidth(int width) const {
    const qreal inner = std::min<qreal>(width - kShadowMargins.left() - kShadowMargins.right(), kMaxWidth);
    return static_cast<int>(std::ceil(std::max<qreal>(inner, 0) / kAspect)) + kShadowMargins.top() +
           kShadowMargins.bottom();
}

QSize KeyboardCase::sizeHint() const {
    const int width = static_cast<int>(kMaxWidth) + kShadowMargins.left() + kShadowMargins.right();
    return {width, heightForWidth(width)};
}

QSize KeyboardCase::minimumSizeHint() const {
    return {200, 100};
}

void KeyboardCase::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    relayout();
}

void KeyboardCase::relayout() {
    const QRectF inner = QRectF(rect()).marginsRemoved(QMarginsF(kShadowMargins));
    frame_ = caseFrame(inner.size()).translated(inner.topLeft());
    const qreal unit = unitFor(frame_.size());
    const QPointF content = frame_.topLeft() + QPointF(kPadding, kPadding);
    header_->setGeometry(QRectF(content, QSizeF(frame_.width() - 2 * kPadding, CaseHeader::kHeight)).toRect());
    plate_->setUnit(unit);
    plate_->move(QPointF(content.x(), content.y() + CaseHeader::kHeight + kHeaderSpacing).toPoint());
    update();
}

void KeyboardCase::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // The case: two shadows, a light gradient body and a faint rim.
    paintShadow(painter, frame_, kCaseCorner, {QColor(30, 30, 25, qRound(0.2 * 255)), 28, QPointF(0, 26)});
    paintShadow(painter, frame_, kCaseCorner, {Theme::withOpacity(Qt::black, 0.1), 1.5, QPointF(0, 2)});
    const QPainterPath body = continuousRoundedRect(frame_, kCaseCorner);
    QLinearGradient fill(frame_.topLeft(), frame_.bottomLeft());
    fill.setColorAt(0, QColor(253, 253, 252));
    fill.setColorAt(0.6, QColor(243, 243, 240));
    fill.setColorAt(1, QColor(233, 233, 229));
    painter.fillPath(body, fill);
    QLinearGradient rim(frame_.topLeft(), frame_.bottomLeft());
    rim.setColorAt(0, Qt::white);
    rim.setColorAt(1, Theme::withOpacity(Qt::black, 0.08));
    painter.strokePath(strokeBorderPath(frame_, kCaseCorner, 1), QPen(QBrush(rim), 1));

    // The plate well with its light lower lip, and the rim over the plate's edge.
    const QRectF well = wellRect(*plate_);
    const QPainterPath wellPath = continuousRoundedRect(well, kWellCorner);
    paintPanel(painter, well.translated(0, 1), kWellCorner, Theme::withOpacity(Qt::white, 0.9));
    QLinearGradient wellFill(well.topLeft(), well.bottomLeft());
    wellFill.setColorAt(0, QColor(201, 201, 195));
    wellFill.setColorAt(1, QColor(214, 214, 209));
    painter.fillPath(wellPath, wellFill);
    QLinearGradient plateRim(well.topLeft(), well.bottomLeft());
    plateRim.setColorAt(0, Theme::withOpacity(Qt::black, 0.28));
    plateRim.setColorAt(1, Theme::withOpacity(Qt::black, 0.04));
    painter.strokePath(strokeBorderPath(well, kWellCorner, 1.5), QPen(QBrush(plateRim), 1.5));
}

} // namespace tc

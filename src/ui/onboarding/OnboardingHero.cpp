#include "ui/onboarding/OnboardingHero.h"

#include "ui/kit/CapPalette.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QPainter>

namespace tc {

namespace {

struct TiltedCap {
    const CapPalette &palette;
    qreal size;
    const char *symbol; // null: the text "K"
    qreal degrees;      // clockwise
    QPointF offset;     // from the centre, y down
};

constexpr qreal kCapWidth = 136;
constexpr qreal kCapHeight = 126;
constexpr qreal kCapCorner = 26;

} // namespace

OnboardingHero::OnboardingHero(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize OnboardingHero::sizeHint() const {
    return QSize(640, 190);
}

void OnboardingHero::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();

    const TiltedCap caps[] = {
        {CapPalette::yellow, 60, "burst.fill", -14, {-140, 10}},
        {CapPalette::blue, 60, "cat.fill", 12, {140, -6}},
        {CapPalette::red, 46, "gamecontroller.fill", -8, {200, 56}},
        {CapPalette::white, 44, nullptr, 10, {-196, 66}},
    };
    for (const TiltedCap &cap : caps) {
        const QSizeF frame = MiniCap::metrics(cap.size).frame;
        painter.save();
        painter.translate(centre + cap.offset);
        painter.rotate(cap.degrees);
        MiniCap::Content content{cap.palette, std::nullopt, std::nullopt};
        if (cap.symbol) {
            content.symbol = cap.symbol;
        } else {
            content.text = QStringLiteral("K");
        }
        MiniCap::paint(painter, QPointF(-frame.width() / 2, -frame.height() / 2), cap.size, content);
        painter.restore();
    }

    const QRectF key(centre.x() - kCapWidth / 2, centre.y() - kCapHeight / 2, kCapWidth, kCapHeight);
    paintShadow(painter, key, kCapCorner, Shadow{QColor(0, 0, 0, qRound(0.2 * 255)), 20, QPointF(0, 14)});
    KeyCap::paint(painter, key, CapPalette::white, kCapCorner, 0, false,
                  [](QPainter &face, const QRectF &rect, const QColor &) {
                      const qreal width = 26;
                      const qreal height = 50;
                      const qreal spacing = 16;
                      const qreal left = rect.center().x() - (2 * width + spacing) / 2;
                      const qreal top = rect.center().y() - height / 2;
                      face.fillPath(capsule(QRectF(left, top, width, height)), Theme::ink);
                      face.fillPath(capsule(QRectF(left + width + spacing, top, width, height)), Theme::ink);
                  });
}

} // namespace tc

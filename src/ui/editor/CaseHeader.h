#pragma once

#include <QColor>
#include <QWidget>
#include <array>

class QVariantAnimation;

namespace tc {

class AppModel;

// The label row of the drawn keyboard's case: "KB-01", "SOUND BOARD · 75%" and three status lights, left to
// right amber (a key is down and key presses are audible), blue (sounds are on) and green (the keyboard
// monitor runs). Follows the model; main thread.
class CaseHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 18;

    enum Light { amber, blue, green };
    static constexpr std::array<QColor, 3> kLightColors = {QColor(255, 107, 26), QColor(43, 89, 217),
                                                           QColor(31, 138, 76)};

    explicit CaseHeader(AppModel &model, QWidget *parent = nullptr);

    // Whether a light is lit now (its target, whatever its fade shows).
    bool isLit(Light light) const { return lit_[light]; }

    // Paints one light of 6 × 6 points centred in `rect`: the colour with a glow when lit (at `amount` of its
    // fade, 0 to 1), else (201, 201, 195).
    static void paintLight(QPainter &painter, QPointF centre, const QColor &color, qreal amount);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    AppModel &model_;
    std::array<bool, 3> lit_{};
    std::array<qreal, 3> amount_{};
    std::array<QVariantAnimation *, 3> fades_{};
};

} // namespace tc

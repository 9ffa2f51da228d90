#pragma once

#include <QSlider>

class QAbstractSlider;

namespace tc {

// A slider over a fraction the screens show in percent (a volume, a pitch variation): `positionsPerUnit`
// positions make the whole, and the arrow keys move it by 1 % of the whole and the Page keys by 10 %, whatever
// its resolution. Ink groove and handle; the focus ring round it instead of the style's faint frame. Main thread.
class PercentSlider : public QSlider {
public:
    explicit PercentSlider(int positionsPerUnit, QWidget *parent = nullptr);

    // The program's steps for any slider of `positionsPerUnit` positions per whole.
    static void setPercentSteps(QAbstractSlider *slider, int positionsPerUnit);

protected:
    void initStyleOption(QStyleOptionSlider *option) const override;
};

} // namespace tc

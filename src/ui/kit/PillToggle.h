#pragma once

#include <QAbstractButton>
#include <QRectF>
#include <functional>

namespace tc {

class SpringAnimator;

// The program's on/off switch: a 38 × 22 capsule track (Theme.ink on, Theme.border off) with a white knob
// that slides to the trailing end when on. It shows a two-way binding owned by the caller: a click writes the
// negation of the bound value and the knob then follows whatever the binding reads back, so a setter that
// refuses the change leaves the knob where it was. For assistive technology it is a toggle labelled `label`
// whose value is "On" or "Off".
class PillToggle : public QAbstractButton {
    Q_OBJECT
public:
    struct Binding {
        std::function<bool()> get;
        std::function<void(bool)> set;
    };

    static constexpr qreal trackWidth = 38;
    static constexpr qreal trackHeight = 22;
    static constexpr qreal knobDiameter = 18;

    struct Metrics {
        QRectF track;
        QRectF knob;
    };
    // The track and the knob with the knob `position` of the way from the leading (0, off) to the trailing
    // (1, on) end.
    static Metrics metrics(qreal position);

    PillToggle(Binding binding, const QString &label, QWidget *parent = nullptr);
    ~PillToggle() override;

    // Reads the binding again and moves the knob to it; call it when the bound value changed elsewhere.
    void refresh();
    bool isOn() const { return isChecked(); }
    // Where the knob is drawn now, 0 to 1 (between them while it slides).
    qreal knobPosition() const;
    // Ends a running slide.
    void finishAnimation();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;
    bool hitButton(const QPoint &pos) const override;

private:
    Binding binding_;
    SpringAnimator *knob_;
};

} // namespace tc

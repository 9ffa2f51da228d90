#pragma once

#include "app/Notice.h"

#include <QWidget>
#include <functional>

class QAbstractButton;
class QLabel;

namespace tc {

class MascotLogo;

// The view of one notice in the notice panel: a white capsule with the mascot (dimmed while silent), the
// title (14-pixel bold) over the subtitle (12-pixel Theme.ink3) and, for a silence with a remedy, a black
// pill button of height 30 labelled with it. A click anywhere else dismisses the notice. The capsule sits
// 18 points inside the view, so its shadow (black 0.18, radius 14, 6 down) stays within the clear panel.
class NoticeView : public QWidget {
    Q_OBJECT
public:
    static constexpr int outerInset = 18;

    NoticeView(const Notice &notice, NoticeActions actions, QWidget *parent = nullptr);

    // The factory the notice panel is made with (the notice panel's view factory).
    static std::function<QWidget *(const Notice &, const NoticeActions &)> factory();

    QAbstractButton *fixButton() const { return fix_; }
    QString title() const;
    QString subtitle() const;
    const MascotLogo *mascot() const { return mascot_; }
    // The capsule inside the view.
    QRectF capsuleRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    NoticeActions actions_;
    MascotLogo *mascot_;
    QLabel *title_;
    QLabel *subtitle_;
    QAbstractButton *fix_ = nullptr;
};

} // namespace tc

#pragma once

#include "app/Silence.h"

#include <QAbstractButton>
#include <QColor>
#include <optional>

namespace tc {

class AppModel;

// The capsule in the main window's header that says whether key presses make sound: "Playing" with a
// glowing orange dot, or the first reason they are silent. A click turns sounds off while they play, or
// applies the silence's remedy; a silence without a remedy leaves the pill disabled. It follows the model's
// silenceChanged() in place. Given less room than its label needs (the name of an application can be long),
// it cuts the label with "…" at the room it has and tells the whole label in its tooltip. Main thread only;
// the model must outlive it.
class StatusPill : public QAbstractButton {
public:
    static constexpr QColor grey{163, 163, 158};
    static constexpr qreal fixedHeight = 30;

    enum class Action { turnOff, fix, none };

    // What the pill shows and does for a silence (none: sounds play).
    struct Face {
        QString label;
        QColor dot;
        bool glow = false; // the dot glows (radius 4) exactly when it is orange
        Action action = Action::none;
        QString toolTip;
        friend bool operator==(const Face &, const Face &) = default;
    };
    static Face face(const std::optional<Silence> &silence);

    explicit StatusPill(AppModel &model, QWidget *parent = nullptr);

    const Face &currentFace() const { return face_; }
    // The label as drawn at the pill's current width.
    QString shownLabel() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    void act();
    qreal labelRoom() const;
    bool labelCut() const;
    void refreshToolTip();

    AppModel &model_;
    Face face_;
    bool cut_ = false; // the label shows cut at the current width
};

} // namespace tc

#pragma once

#include "app/AppTypes.h"

#include <QAbstractButton>
#include <QColor>
#include <QWidget>
#include <map>

namespace tc {

class AppModel;

// One item of the section rail: the section's symbol in a 40 × 40 square that takes clicks. Square items
// sit on a white tile with a faint shadow while selected; the round Settings item shows a grey ring while
// not selected and a dark disc with a white symbol while selected. The widget is 2 points larger than the
// square on every side, so the tile's shadow is not cut off.
class RailItem : public QAbstractButton {
public:
    static constexpr int side = 40;
    static constexpr int outset = 2;
    static constexpr QColor ring{207, 207, 202};

    RailItem(AppSection section, QWidget *parent = nullptr);

    // The colours of an item's face.
    struct Face {
        QColor symbol;
        QColor fill;       // transparent when not selected
        qreal corner = 12; // 12 square, 20 round
        qreal shadow = 0;  // opacity of the tile's shadow: 0.08 for a selected square item, else 0
        bool showRing = false;
    };
    static Face face(bool circular, bool selected);

    AppSection section() const { return section_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    AppSection section_;
    bool selected_ = false;
};

// The main window's navigation column, 64 points wide: the mascot, a small dot, the items for Keys, Sounds,
// Triggers and App rules, and the Settings item at the bottom. An item sets the model's section when it is
// not the current one; the rail follows the model's sectionChanged(). Main thread only.
class Rail : public QWidget {
public:
    static constexpr int fixedWidth = 64;
    static constexpr QColor dot{163, 163, 158};

    explicit Rail(AppModel &model, QWidget *parent = nullptr);

    RailItem *item(AppSection section) const { return items_.at(section); }

private:
    void refresh();

    AppModel &model_;
    std::map<AppSection, RailItem *> items_;
};

} // namespace tc

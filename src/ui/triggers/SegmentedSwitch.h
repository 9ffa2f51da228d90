#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QWidget>
#include <string>
#include <vector>

namespace tc {

// A row of capsule segments on a shared capsule (the Triggers screen's Graph/List toggle and the editor's
// Shortcut/Word switch): the selected segment white with a faint shadow and Theme.ink text, the others clear
// with Theme.ink2 text. Pressing a segment reports it; the owner decides what is selected.
class SegmentedSwitch : public QWidget {
    Q_OBJECT
public:
    struct Segment {
        QString title;
        std::string symbol; // empty: none
    };
    struct Style {
        QColor track; // the shared capsule's fill
        qreal segmentHeight = 28;
        qreal padding = 12; // either side of a segment's label
        QFont font;
    };

    SegmentedSwitch(std::vector<Segment> segments, Style style, QWidget *parent = nullptr);

    void setSelected(int index);
    int selected() const { return selected_; }
    QAbstractButton *button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

signals:
    void pressed(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Style style_;
    std::vector<Segment> segments_;
    std::vector<QAbstractButton *> buttons_;
    int selected_ = 0;
};

} // namespace tc

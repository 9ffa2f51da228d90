#pragma once

#include "model/AppData.h"
#include "model/Uuid.h"

#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QSizeF>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

class AppModel;

// The Graph mode of the Triggers screen: every trigger as a node in a left column (shortcuts above words),
// every sound some trigger plays as a node in a right column, and a curved link from each trigger to its
// sound. A click on a trigger node selects it; each trigger node carries its switch, each sound node a play
// button. Positions, sounds and counts are worked out from the document on every change.
//
// Main thread only. The model must outlive it.
class TriggerGraph : public QWidget {
public:
    // Lengths in points.
    struct Geometry {
        qreal nodeHeight = 56; // a trigger node's height
        qreal gap = 12;        // between trigger nodes
        qreal header = 30;     // top of the first rows; the column labels sit above
        qreal leftWidth = 260; // a trigger node's width; links start here
        qreal soundX = 430;    // left edge of the sound column; links end here
        qreal soundWidth = 300;
        qreal soundHeight = 64;
    };

    // Where everything goes for a list of triggers.
    struct Layout {
        std::vector<qreal> nodeTops;                 // each trigger's node, in document order
        std::unordered_map<Uuid, qreal> triggerTops; // by trigger id (a later trigger with the same id wins)
        qreal wordsLabelY = 0;                       // the WORDS label's top
        std::vector<std::string> soundIDs;           // distinct, shortcuts' sounds first, in order of appearance
        std::unordered_map<std::string, qreal> soundTops;
        QSizeF size;
    };
    static Layout layout(const std::vector<Trigger> &triggers, const Geometry &geometry);

    // One link's path and pen.
    struct Link {
        QPainterPath path;
        QPointF start;
        QPointF end;
        QPen pen;
    };
    static std::vector<Link> links(const std::vector<Trigger> &triggers, const Layout &layout, const Geometry &geometry,
                                   const std::optional<Uuid> &selected);
    // "1 TRIGGER", "3 TRIGGERS".
    static QString countText(int count);

    TriggerGraph(AppModel &model, Geometry geometry, QWidget *parent = nullptr);

    void setSelectedID(std::optional<Uuid> id);
    // Fits the graph into `width` points where it can: the links between the columns give up room, down to
    // kLeastLinkRoom, so a narrow window shows both columns whole rather than a sideways scroll bar; never wider
    // apart than the geometry it was made with.
    void fitWidth(int width);
    static constexpr qreal kLeastLinkRoom = 56;
    const Geometry &currentGeometry() const { return geometry_; }
    const Layout &currentLayout() const { return layout_; }
    // The node widgets (made now when they were not yet).
    QWidget *triggerNode(const Uuid &id) const;
    QWidget *soundNode(const std::string &soundID) const;
    // How many trigger nodes are made so far.
    std::size_t madeTriggerNodes() const { return triggerNodes_.size() + repeatedNodes_.size(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Called when a trigger is clicked.
    void setOnSelect(std::function<void(const Uuid &)> onSelect) { onSelect_ = std::move(onSelect); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // How far beyond what shows nodes are made ahead, in points.
    static constexpr qreal kMadeAhead = 800;

    // Lays the graph out afresh; its nodes are made as they come into view.
    void rebuild();
    void makeVisibleNodes();
    void ensureTriggerNode(std::size_t index);
    void ensureSoundNode(const std::string &soundID);
    // Follows the model: in place when only some triggers changed and none moved.
    void triggersChanged(const std::vector<Uuid> &ids);
    void makeTriggerNode(const Trigger &trigger, qreal top);
    void replaceTriggerNode(const Trigger &trigger, qreal top);
    // The part of the graph paintEvent draws for one trigger (its node's shadow and its link), to paint again
    // when only that trigger changed.
    QRect paintedArea(const Trigger &trigger) const;
    // Whether the keyboard focus is on one of the graph's nodes (or a switch in one).
    bool holdsFocus() const;
    // Gives the selected trigger's node the keyboard focus.
    void focusSelected();

    AppModel &model_;
    std::function<void(const Uuid &)> onSelect_;
    Geometry geometry_;
    qreal widestSoundX_; // the sound column's place in the geometry the graph was made with
    std::optional<Uuid> selectedID_;
    Layout layout_;
    // What the layout was made for, by place: so an edit can tell whether a trigger stays where it is.
    std::vector<Uuid> laidOutIDs_;
    std::vector<std::string> laidOutSounds_;
    std::vector<bool> laidOutShortcuts_;
    std::unordered_map<std::string, int> soundCounts_; // triggers per sound
    // The nodes made so far (those that came into view or were asked for).
    std::unordered_map<Uuid, QWidget *> triggerNodes_;
    std::vector<QWidget *> repeatedNodes_; // nodes of triggers whose id came earlier
    std::unordered_map<std::string, QWidget *> soundNodes_;
};

} // namespace tc

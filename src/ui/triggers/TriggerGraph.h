#pragma once

#include "model/AppData.h"
#include "model/Uuid.h"
#include "ui/triggers/LinkTiles.h"

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
class SoundNodePool;
class TriggerNodePool;

// The Graph mode of the Triggers screen: every trigger as a node in a left column (shortcuts above words),
// every sound some trigger plays as a node in a right column, and a curved link from each trigger to its
// sound. A click on a trigger node selects it; each trigger node carries its switch, each sound node a play
// button. Positions, sounds and counts are worked out from the document on every change. Nodes are made only
// near what shows, each column from the kit's item pool, and stay with their trigger or sound across changes:
// only those whose trigger changed are made again.
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
    using Link = LinkTiles::Link;
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
    // The node widgets, scrolled into view (made now when they were not yet), or null for none.
    QWidget *triggerNode(const Uuid &id);
    QWidget *soundNode(const std::string &soundID);
    // How many trigger node widgets are made now (those near what shows, and a few spares).
    std::size_t madeTriggerNodes() const;
    // Whether some of the links that show are still being painted (they then show as they were).
    bool paintingLinks() const { return linkTiles_->busy(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Called when a trigger is clicked.
    void setOnSelect(std::function<void(const Uuid &)> onSelect) { onSelect_ = std::move(onSelect); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class SoundNodePool;
    friend class TriggerNodePool;

    // Lays the graph out afresh; nodes stay with their triggers and sounds, those of `changed` are made again
    // (all when empty) unless nothing they show changed (`remake` false).
    void relayout(const std::vector<Uuid> &changed, bool remake = true);
    // Follows the model: in place when only some triggers changed and none moved.
    void triggersChanged(const std::vector<Uuid> &ids);
    QWidget *makeTriggerNode(const Trigger &trigger, QWidget *parent);
    QWidget *makeSoundNode(const std::string &soundID, QWidget *parent);
    // The part of the graph paintEvent draws for one trigger (its node's shadow and its link), to paint again
    // when only that trigger changed.
    QRect paintedArea(const Trigger &trigger) const;
    // The links as they are now, made again after each change.
    const std::vector<Link> &currentLinks();
    // The area of each trigger in `ids` (and of their links) is painted again.
    void repaintTriggers(const std::vector<Uuid> &ids);

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
    TriggerNodePool *triggerPool_;
    SoundNodePool *soundPool_;
    std::optional<std::vector<Link>> links_;
    LinkTiles *linkTiles_;
};

} // namespace tc

#include "ui/triggers/TriggerGraph.h"

#include "app/AppModel.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/ItemSlot.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/triggers/TriggerRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kTriggerCorner = 14;
constexpr qreal kSoundCorner = 16;
const QColor kLinkGrey(156, 156, 150);
const QColor kLinkGreyOff(200, 200, 195);

const Shadow kTriggerShadow{Theme::withOpacity(Qt::black, 0.07), 8, QPointF(0, 6)};
const Shadow kSoundShadow{Theme::withOpacity(Qt::black, 0.08), 10, QPointF(0, 6)};

QFont columnFont() {
    QFont font = Fonts::mono(11, QFont::Medium);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    return font;
}

// A trigger's node: the label, a spacer and the switch on a white rounded card, ringed when selected.
class TriggerNode : public TriggerRow {
public:
    TriggerNode(AppModel &model, const Trigger &trigger, bool selected, std::function<void()> onClick, QWidget *parent)
        : TriggerRow(model, trigger, selected, std::move(onClick), parent) {
        takeFocus(kTriggerCorner);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(rect());
        paintPanel(painter, frame, kTriggerCorner, Qt::white);
        if (selected_) {
            painter.setPen(QPen(Theme::ink, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            painter.drawPath(strokeBorderPath(frame, kTriggerCorner, 2));
        }
    }
};

} // namespace

// The trigger column: a node for each trigger near what shows, in document order.
class TriggerNodePool final : public ItemPool {
public:
    explicit TriggerNodePool(TriggerGraph &graph) : ItemPool(&graph), graph_(graph) { setRovingFocus(); }

protected:
    QRect itemRect(std::size_t index) const override {
        const TriggerGraph::Geometry &g = graph_.geometry_;
        return QRectF(0, graph_.layout_.nodeTops[index], g.leftWidth, g.nodeHeight).toRect();
    }
    QWidget *makeWidget() override { return new ItemSlot(this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        // The pool's items are the document's triggers in order, as laid out last.
        const std::vector<Trigger> &triggers = graph_.model_.data().triggers;
        const Trigger *trigger = index < triggers.size() && triggers[index].id == items()[index]
                                     ? &triggers[index]
                                     : graph_.model_.trigger(items()[index]);
        if (trigger != nullptr) {
            static_cast<ItemSlot *>(widget)->setContent(graph_.makeTriggerNode(*trigger, widget));
        }
    }
    QWidget *focusTarget(QWidget *widget) const override { return static_cast<ItemSlot *>(widget)->content(); }

private:
    TriggerGraph &graph_;
};

// The sound column: a node for each sound near what shows, with its play button.
class SoundNodePool final : public ItemPool {
public:
    explicit SoundNodePool(TriggerGraph &graph) : ItemPool(&graph), graph_(graph) { setRovingFocus(); }

protected:
    QRect itemRect(std::size_t index) const override {
        const TriggerGraph::Geometry &g = graph_.geometry_;
        const qreal top = graph_.layout_.soundTops.at(graph_.layout_.soundIDs[index]);
        return QRectF(0, top, g.soundWidth, g.soundHeight).toRect();
    }
    QWidget *makeWidget() override { return new ItemSlot(this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        auto *slot = static_cast<ItemSlot *>(widget);
        slot->setContent(graph_.makeSoundNode(graph_.layout_.soundIDs[index], widget));
    }
    QWidget *focusTarget(QWidget *widget) const override {
        return static_cast<ItemSlot *>(widget)->content()->findChild<PlayButton *>();
    }

private:
    TriggerGraph &graph_;
};

TriggerGraph::Layout TriggerGraph::layout(const std::vector<Trigger> &triggers, const Geometry &g) {
    Layout out;
    out.nodeTops.assign(triggers.size(), 0);
    const qreal pitch = g.nodeHeight + g.gap;
    qreal y = g.header;
    for (std::size_t i = 0; i < triggers.size(); ++i) {
        if (triggers[i].kind.isShortcut()) {
            out.nodeTops[i] = y;
            out.triggerTops[triggers[i].id] = y;
            y += pitch;
        }
    }
    y += 8;
    out.wordsLabelY = y + 6;
    // One more header of room for the WORDS label.
    qreal next = g.header + y;
    for (std::size_t i = 0; i < triggers.size(); ++i) {
        if (triggers[i].kind.isWord()) {
            out.nodeTops[i] = next;
            out.triggerTops[triggers[i].id] = next;
            next += pitch;
        }
    }
    const qreal bottom = next;

    for (bool shortcuts : {true, false}) {
        for (const Trigger &trigger : triggers) {
            if (trigger.kind.isShortcut() == shortcuts &&
                std::find(out.soundIDs.begin(), out.soundIDs.end(), trigger.soundID) == out.soundIDs.end()) {
                out.soundIDs.push_back(trigger.soundID);
            }
        }
    }
    const qreal count = static_cast<qreal>(out.soundIDs.size());
    // The sound column spreads over the trigger column, but two sound rows never come closer than this.
    const qreal step = std::max(g.soundHeight + 14, (bottom - g.header) / std::max(count, 1.0));
    for (std::size_t i = 0; i < out.soundIDs.size(); ++i) {
        out.soundTops[out.soundIDs[i]] = g.header + step * static_cast<qreal>(i);
    }
    out.size = QSizeF(g.soundX + g.soundWidth, std::max(bottom, g.header + step * count));
    return out;
}

std::vector<TriggerGraph::Link> TriggerGraph::links(const std::vector<Trigger> &triggers, const Layout &layout,
                                                    const Geometry &g, const std::optional<Uuid> &selected) {
    std::vector<Link> out;
    for (const Trigger &trigger : triggers) {
        const auto top = layout.triggerTops.find(trigger.id);
        const auto soundTop = layout.soundTops.find(trigger.soundID);
        if (top == layout.triggerTops.end() || soundTop == layout.soundTops.end()) {
            continue;
        }
        Link link;
        link.start = QPointF(g.leftWidth, top->second + g.nodeHeight * 0.5);
        link.end = QPointF(g.soundX, soundTop->second + g.soundHeight * 0.5);
        const qreal middle = (g.leftWidth + g.soundX) * 0.5;
        link.path.moveTo(link.start);
        link.path.cubicTo(QPointF(middle, link.start.y()), QPointF(middle, link.end.y()), link.end);
        if (selected == trigger.id) {
            link.pen = QPen(Theme::ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
        } else {
            const qreal width = 1.5;
            link.pen = QPen(trigger.enabled ? kLinkGrey : kLinkGreyOff, width, Qt::CustomDashLine, Qt::RoundCap,
                            Qt::MiterJoin);
            // Qt measures dashes in pen widths: 3 on, 5 off in points.
            link.pen.setDashPattern({3 / width, 5 / width});
            link.pen.setDashOffset(0);
        }
        link.pen.setMiterLimit(10);
        out.push_back(std::move(link));
    }
    return out;
}

QString TriggerGraph::countText(int count) {
    return QStringLiteral("%1 TRIGGER%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("S"));
}

TriggerGraph::TriggerGraph(AppModel &model, Geometry geometry, QWidget *parent)
    : QWidget(parent), model_(model), geometry_(geometry), widestSoundX_(geometry.soundX),
      triggerPool_(new TriggerNodePool(*this)), soundPool_(new SoundNodePool(*this)),
      linkTiles_(new LinkTiles(
          model.background(), [this] { return currentLinks(); }, [this](const QRect &area) { update(area); }, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&model_, &AppModelSignals::triggersChanged, this, &TriggerGraph::triggersChanged);
    model_.observe(AppModel::userSoundsChange, this, [this] { relayout({}); });
    relayout({});
}

void TriggerGraph::setSelectedID(std::optional<Uuid> id) {
    if (id == selectedID_) {
        return;
    }
    // Only the nodes that gain or lose the selection are made again.
    const std::optional<Uuid> before = std::exchange(selectedID_, id);
    std::vector<Uuid> changed;
    for (const std::optional<Uuid> &one : {before, id}) {
        if (one) {
            changed.push_back(*one);
        }
    }
    triggerPool_->refresh(changed);
    repaintTriggers(changed); // the selected trigger's link is drawn in ink
}

const std::vector<TriggerGraph::Link> &TriggerGraph::currentLinks() {
    if (!links_) {
        links_ = links(model_.data().triggers, layout_, geometry_, selectedID_);
    }
    return *links_;
}

void TriggerGraph::repaintTriggers(const std::vector<Uuid> &ids) {
    links_.reset();
    for (const Trigger &trigger : model_.data().triggers) {
        if (std::find(ids.begin(), ids.end(), trigger.id) != ids.end()) {
            const QRect area = paintedArea(trigger);
            linkTiles_->invalidate(area);
            update(area);
        }
    }
}

QWidget *TriggerGraph::triggerNode(const Uuid &id) {
    const auto it = std::find(laidOutIDs_.begin(), laidOutIDs_.end(), id);
    if (it == laidOutIDs_.end()) {
        return nullptr;
    }
    auto *slot = static_cast<ItemSlot *>(triggerPool_->showItem(static_cast<std::size_t>(it - laidOutIDs_.begin())));
    return slot != nullptr ? slot->content() : nullptr;
}

QWidget *TriggerGraph::soundNode(const std::string &soundID) {
    const auto &ids = layout_.soundIDs;
    const auto it = std::find(ids.begin(), ids.end(), soundID);
    if (it == ids.end()) {
        return nullptr;
    }
    auto *slot = static_cast<ItemSlot *>(soundPool_->showItem(static_cast<std::size_t>(it - ids.begin())));
    return slot != nullptr ? slot->content() : nullptr;
}

std::size_t TriggerGraph::madeTriggerNodes() const {
    return triggerPool_->madeWidgets();
}

void TriggerGraph::fitWidth(int width) {
    const qreal least = std::min(widestSoundX_, geometry_.leftWidth + kLeastLinkRoom);
    const qreal soundX = std::clamp(width - geometry_.soundWidth, least, widestSoundX_);
    if (soundX == geometry_.soundX) {
        return;
    }
    geometry_.soundX = soundX;
    relayout({}, false); // the nodes stay as they are, the sound column moves
}

QSize TriggerGraph::sizeHint() const {
    return QSize(static_cast<int>(std::ceil(layout_.size.width())), static_cast<int>(std::ceil(layout_.size.height())));
}

QSize TriggerGraph::minimumSizeHint() const {
    return sizeHint();
}

void TriggerGraph::relayout(const std::vector<Uuid> &changed, bool remake) {
    const std::vector<Trigger> &triggers = model_.data().triggers;
    layout_ = layout(triggers, geometry_);
    laidOutIDs_.clear();
    laidOutSounds_.clear();
    laidOutShortcuts_.clear();
    soundCounts_.clear();
    for (const Trigger &trigger : triggers) {
        laidOutIDs_.push_back(trigger.id);
        laidOutSounds_.push_back(trigger.soundID);
        laidOutShortcuts_.push_back(trigger.kind.isShortcut());
        ++soundCounts_[trigger.soundID];
    }
    // The pools take their items before anything moves them: their places are read from the new layout.
    triggerPool_->setItems(laidOutIDs_);
    std::vector<Uuid> soundKeys;
    for (const std::string &soundID : layout_.soundIDs) {
        soundKeys.push_back(ItemPool::idFor(soundID));
    }
    soundPool_->setItems(std::move(soundKeys));
    updateGeometry();
    setFixedSize(sizeHint());
    const Geometry &g = geometry_;
    triggerPool_->setGeometry(0, 0, static_cast<int>(g.leftWidth), height());
    soundPool_->setGeometry(static_cast<int>(g.soundX), 0, static_cast<int>(g.soundWidth), height());
    // Every link may have moved: the pictures of the links stand in until they are painted again.
    links_.reset();
    linkTiles_->invalidate();
    if (remake) {
        // The counts under the sounds' names may have changed with any edit.
        soundPool_->refreshAll();
        if (changed.empty()) {
            triggerPool_->refreshAll();
        } else {
            triggerPool_->refresh(changed);
        }
    }
    update();
}

void TriggerGraph::triggersChanged(const std::vector<Uuid> &ids) {
    // Triggers edited in place keep their places while they keep their kind and sound: only their nodes are
    // made again. Anything else moves nodes, and the graph is laid out afresh (the nodes move with their
    // triggers).
    const std::vector<Trigger> &triggers = model_.data().triggers;
    if (ids.empty() || triggers.size() != laidOutIDs_.size()) {
        relayout(ids);
        return;
    }
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < triggers.size(); ++i) {
        const Trigger &trigger = triggers[i];
        if (std::find(ids.begin(), ids.end(), trigger.id) == ids.end()) {
            continue;
        }
        if (laidOutIDs_[i] != trigger.id || laidOutSounds_[i] != trigger.soundID ||
            laidOutShortcuts_[i] != trigger.kind.isShortcut()) {
            relayout(ids);
            return;
        }
        changed.push_back(i);
    }
    triggerPool_->refresh(ids);
    // The link's pen and the node's shadow follow the switch. Only their area is painted again: the graph is
    // translucent, so a whole repaint would also paint the backdrop and every node beneath it, on each keystroke in
    // the editor.
    std::vector<Uuid> moved;
    for (const std::size_t i : changed) {
        moved.push_back(triggers[i].id);
    }
    repaintTriggers(moved);
}

QRect TriggerGraph::paintedArea(const Trigger &trigger) const {
    // What paintEvent draws for one trigger: its node's shadow and its link with the link's end dots.
    const Geometry &g = geometry_;
    QRectF area;
    const auto top = layout_.triggerTops.find(trigger.id);
    if (top != layout_.triggerTops.end()) {
        area = QRectF(0, top->second, g.leftWidth, g.nodeHeight).adjusted(-40, -40, 40, 40);
        const auto soundTop = layout_.soundTops.find(trigger.soundID);
        if (soundTop != layout_.soundTops.end()) {
            const QPointF start(g.leftWidth, top->second + g.nodeHeight * 0.5);
            const QPointF end(g.soundX, soundTop->second + g.soundHeight * 0.5);
            area |= QRectF(start, end).normalized().adjusted(-8, -8, 8, 8);
        }
    }
    return area.toAlignedRect();
}

QWidget *TriggerGraph::makeTriggerNode(const Trigger &trigger, QWidget *parent) {
    const Uuid id = trigger.id;
    auto *node = new TriggerNode(
        model_, trigger, selectedID_ == id,
        [this, id] {
            if (onSelect_) {
                onSelect_(id);
            }
        },
        parent);
    node->setAttribute(Qt::WA_TranslucentBackground);
    auto *row = new QHBoxLayout(node);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(8);
    row->addWidget(node->label());
    row->addSpacing(4);
    row->addStretch(1);
    row->addWidget(node->onOffSwitch());
    return node;
}

QWidget *TriggerGraph::makeSoundNode(const std::string &soundID, QWidget *parent) {
    const auto counted = soundCounts_.find(soundID);
    const int count = counted == soundCounts_.end() ? 0 : counted->second;
    const std::optional<SoundItem> sound = model_.sound(soundID);
    auto *node = new RoundedPanel(kSoundCorner, Qt::white, parent);
    node->setAttribute(Qt::WA_TranslucentBackground);
    auto *row = new QHBoxLayout(node);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(12);
    if (sound) {
        auto *badge = cap(*sound, node);
        badge->setFixedWidth(40);
        row->addWidget(badge);
    }
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addStretch(1);
    // Cut with "…" where the node is too narrow, and then shown whole in its tooltip.
    auto *name = new FittingText(sound ? QString::fromStdString(sound->name) : QStringLiteral("Missing sound"),
                                 Fonts::system(14, QFont::Bold), Theme::ink, 1.0, Qt::AlignLeft, node);
    texts->addWidget(name);
    texts->addWidget(textLabel(countText(count), Fonts::mono(10, QFont::Medium), Theme::ink3, node));
    texts->addStretch(1);
    row->addLayout(texts, 1);
    row->addWidget(new PlayButton(
        30, [this, soundID] { model_.preview(soundID); }, node));
    return node;
}

void TriggerGraph::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::vector<Trigger> &triggers = model_.data().triggers;
    const Geometry &g = geometry_;

    // Links, each with a white dot ringed in its colour at both ends.
    const QRectF exposed = QRectF(event->rect()).adjusted(-8, -8, 8, 8);
    // The links and their end dots keep between the columns. (The bands start on a multiple of 8 points, a whole
    // number of device pixels at any common scale.)
    const int linksLeft = static_cast<int>(std::floor((g.leftWidth - 8) / 8)) * 8;
    const int linksRight = static_cast<int>(std::ceil(g.soundX)) + 8;
    linkTiles_->paint(painter, event->rect(), linksLeft, linksRight - linksLeft);

    painter.setFont(columnFont());
    painter.setPen(Theme::ink2);
    const QFontMetricsF metrics(columnFont());
    const auto label = [&](const QString &text, qreal x, qreal y) {
        painter.drawText(QPointF(x, y + metrics.ascent()), text);
    };
    label(QStringLiteral("SHORTCUTS"), 4, 6);
    label(QStringLiteral("WORDS"), 4, layout_.wordsLabelY);
    label(QStringLiteral("SOUNDS"), g.soundX + 4, 6);

    // The nodes' shadows fall on the canvas beneath them.
    for (std::size_t i = 0; i < triggers.size() && i < layout_.nodeTops.size(); ++i) {
        const QRectF node(0, layout_.nodeTops[i], g.leftWidth, g.nodeHeight);
        if (!node.adjusted(-40, -40, 40, 40).intersects(exposed)) {
            continue;
        }
        Shadow shadow = kTriggerShadow;
        if (!triggers[i].enabled) {
            shadow.color.setAlphaF(shadow.color.alphaF() * TriggerRow::kDisabledOpacity);
        }
        paintShadow(painter, QRectF(0, layout_.nodeTops[i], g.leftWidth, g.nodeHeight), kTriggerCorner, shadow);
    }
    for (const auto &[soundID, top] : layout_.soundTops) {
        if (!QRectF(g.soundX, top, g.soundWidth, g.soundHeight).adjusted(-40, -40, 40, 40).intersects(exposed)) {
            continue;
        }
        paintShadow(painter, QRectF(g.soundX, top, g.soundWidth, g.soundHeight), kSoundCorner, kSoundShadow);
    }
}

} // namespace tc

#include "ui/triggers/TriggersView.h"

#include "app/AppModel.h"
#include "ui/kit/Card.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/triggers/FlatButton.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggerGraph.h"
#include "ui/triggers/TriggerList.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace tc {

namespace {

QString countDetail(std::size_t count) {
    return QStringLiteral("%1 triggers").arg(count);
}

// Fits the graph to the width of its area whenever the area is resized (less the room on the right for the
// nodes' shadows).
class GraphWidth final : public QObject {
public:
    GraphWidth(TriggerGraph *graph, int margin, QObject *parent) : QObject(parent), graph_(graph), margin_(margin) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Resize) {
            graph_->fitWidth(static_cast<QWidget *>(watched)->width() - margin_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TriggerGraph *graph_;
    int margin_;
};

} // namespace

TriggersView::TriggersView(AppModel &model, TriggerApps apps, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(28, 28, 28, 28);
    page->setSpacing(24);

    auto *left = new QVBoxLayout;
    left->setSpacing(20);
    page->addLayout(left, 1);

    auto *titleRow = new QHBoxLayout;
    title_ = new SectionTitle(QStringLiteral("Triggers"), countDetail(model_.data().triggers.size()), this);
    titleRow->addWidget(title_, 0, Qt::AlignBottom);
    titleRow->addStretch(1);
    toggle_ = new SegmentedSwitch(
        {{QStringLiteral("Graph"), "point.3.connected.trianglepath.dotted"}, {QStringLiteral("List"), "list.bullet"}},
        {Theme::rail, 30, 12, Fonts::system(12, QFont::DemiBold)}, this);
    connect(toggle_, &SegmentedSwitch::pressed, this, [this](int index) { setShowsGraph(index == 0); });
    titleRow->addWidget(toggle_, 0, Qt::AlignBottom);
    left->addLayout(titleRow);

    left->addWidget(
        tipBanner(model_, QStringLiteral("triggers"), QStringLiteral("bolt.fill"),
                  QStringLiteral("Sounds for words and shortcuts"),
                  QStringLiteral("Type “lol” in any app, or press Ctrl+S, and the sound on the right plays. "
                                 "Add your own with Shortcut or Word below."),
                  this));

    auto *stackHolder = new QWidget(this);
    stackHolder->setAttribute(Qt::WA_TranslucentBackground);
    content_ = new QStackedLayout(stackHolder);
    content_->setContentsMargins(0, 0, 0, 0);
    stackHolder_ = stackHolder;
    auto *emptyHolder = new QWidget(this);
    emptyHolder->setAttribute(Qt::WA_TranslucentBackground);
    auto *emptyColumn = new QVBoxLayout(emptyHolder);
    emptyColumn->setContentsMargins(60, 60, 60, 60);
    emptyColumn->setSpacing(10);
    auto *emptyTitle = textLabel(QStringLiteral("No triggers yet"), Fonts::system(22, QFont::Black), Theme::ink);
    emptyTitle->setAlignment(Qt::AlignCenter);
    auto *emptyText =
        textLabel(QStringLiteral("Play a sound when you press a shortcut like Ctrl+S, or type a word like “lol”."),
                  Fonts::system(13), Theme::ink2);
    emptyText->setAlignment(Qt::AlignCenter);
    emptyText->setWordWrap(true);
    emptyColumn->addWidget(emptyTitle);
    emptyColumn->addWidget(emptyText);
    // The empty state takes the room it needs, and the add bar follows right below it.
    empty_ = emptyHolder;
    left->addWidget(empty_);

    graphView_ = new TriggerGraph(model_, TriggerGraph::Geometry{});
    graphScroll_ = new QScrollArea(this);
    makeTransparentScroll(graphScroll_);
    graphScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CardScrollBar::fit(graphScroll_, 0, false, false); // the program's slim bar, as in its cards
    PageWheel::scrollPageFirst(graphScroll_);
    auto *graphHolder = new QWidget;
    graphHolder->setAttribute(Qt::WA_TranslucentBackground);
    auto *graphColumn = new QVBoxLayout(graphHolder);
    // Room for the nodes' shadows, and 4 points above and below the graph.
    constexpr int kShadowRoom = 12;
    graphColumn->setContentsMargins(0, 4, kShadowRoom, 16);
    graphScroll_->viewport()->installEventFilter(new GraphWidth(graphView_, kShadowRoom, graphScroll_));
    graphColumn->addWidget(graphView_, 0, Qt::AlignLeft | Qt::AlignTop);
    graphColumn->addStretch(1);
    graphScroll_->setWidget(graphHolder);
    graphHolder->setAutoFillBackground(false); // the dotted backdrop shows through
    content_->addWidget(graphScroll_);

    listView_ = new TriggerList(model_, apps, this);
    content_->addWidget(listView_);
    left->addWidget(stackHolder_, 1);

    auto *bar = new RoundedPanel(16, Qt::white, this); // the add bar's white plate
    applyCardShadow(bar, 16);
    bar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *barRow = new QHBoxLayout(bar);
    barRow->setContentsMargins(6, 6, 6, 6);
    barRow->setSpacing(4);
    const QFont barFont = Fonts::system(13, QFont::DemiBold);
    const auto addButton = [&](const QString &title, const std::string &symbol) {
        const qreal width = FlatButton::labelWidth(symbol, title, barFont, 14);
        auto *button = new FlatButton(
            QSize(static_cast<int>(width), 40),
            [title, symbol, barFont](QPainter &painter, const QRectF &rect, bool pressed) {
                painter.setOpacity(pressed ? 0.6 : 1);
                FlatButton::paintLabel(painter, rect, symbol, title, barFont, Theme::ink);
            },
            bar);
        button->setText(title);
        button->setAccessibleName(title);
        barRow->addWidget(button);
        return button;
    };
    addShortcut_ = addButton(QStringLiteral("Shortcut"), "keyboard");
    addWord_ = addButton(QStringLiteral("Word"), "textformat");
    connect(addShortcut_, &QAbstractButton::clicked, this, [this] { add(TriggerEdits::defaultShortcut()); });
    connect(addWord_, &QAbstractButton::clicked, this, [this] { add(TriggerEdits::defaultWord()); });
    left->addWidget(bar, 0, Qt::AlignLeft);
    left->addStretch(0);

    editor_ = new TriggerEditor(model_, std::move(apps), this);
    page->addWidget(editor_, 0, Qt::AlignTop);

    graphView_->setOnSelect([this](const Uuid &id) { setSelectedID(id); });
    listView_->setOnSelect([this](const Uuid &id) { setSelectedID(id); });
    model_.observe(AppModel::triggersChange, this, [this] { refresh(); });

    // On first appearance the first trigger is selected.
    if (!model_.data().triggers.empty()) {
        selectedID_ = model_.data().triggers.front().id;
    }
    refresh();
}

std::optional<Uuid> TriggersView::currentID() const {
    const auto &triggers = model_.data().triggers;
    if (selectedID_ && model_.trigger(*selectedID_)) {
        return selectedID_;
    }
    if (!triggers.empty()) {
        return triggers.front().id;
    }
    return std::nullopt;
}

void TriggersView::setSelectedID(std::optional<Uuid> id) {
    if (id == selectedID_) {
        return;
    }
    selectedID_ = id;
    refresh();
}

void TriggersView::setShowsGraph(bool graph) {
    if (graph == graph_) {
        return;
    }
    graph_ = graph;
    refresh();
}

QWidget *TriggersView::currentContent() const {
    return empty_->isVisibleTo(this) ? empty_ : content_->currentWidget();
}

void TriggersView::add(const Trigger::Kind &kind) {
    const Uuid id = model_.addTrigger(kind, TriggerEdits::kNewTriggerSound);
    setSelectedID(id);
    // The new trigger may land below what shows: once the views have laid it out, bring it into view.
    QTimer::singleShot(0, this, [this, id] {
        // Lay out what is pending first (a view just switched to, the scroll area's content): a row is found
        // where it will be drawn. Each pass may ask for the next one.
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
        if (QWidget *node = graphView_->triggerNode(id)) {
            graphScroll_->ensureWidgetVisible(node, 0, 0);
        }
        listView_->showRow(id);
    });
}

void TriggersView::refresh() {
    const auto &triggers = model_.data().triggers;
    title_->setDetail(countDetail(triggers.size()));
    toggle_->setSelected(graph_ ? 0 : 1);
    empty_->setVisible(triggers.empty());
    stackHolder_->setVisible(!triggers.empty());
    content_->setCurrentWidget(graph_ ? static_cast<QWidget *>(graphScroll_) : listView_);
    graphView_->setSelectedID(selectedID_);
    listView_->setSelectedID(selectedID_);
    editor_->setTriggerID(currentID());
}

} // namespace tc

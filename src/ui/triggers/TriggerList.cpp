#include "ui/triggers/TriggerList.h"

#include "app/AppModel.h"
#include "ui/kit/Card.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/ItemSlot.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/triggers/TriggerRow.h"

#include <algorithm>
#include <utility>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tc {

namespace {

constexpr qreal kCorner = 20;
constexpr int kTriggerColumn = 230;
constexpr int kOnColumn = 40;
constexpr int kPadding = 18;

// One trigger's row: Theme.soft with an ink bar at the leading edge when selected, white otherwise.
class Row : public TriggerRow {
public:
    Row(AppModel &model, const Trigger &trigger, bool selected, std::function<void()> onClick, QWidget *parent)
        : TriggerRow(model, trigger, selected, std::move(onClick), parent) {
        takeFocus(0);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), selected_ ? Theme::soft : QColor(Qt::white));
        if (selected_) {
            painter.fillRect(QRectF(0, 0, 3, height()), Theme::ink);
        }
    }
};

class FilledBar : public QWidget {
public:
    FilledBar(QColor color, QWidget *parent) : QWidget(parent), color_(color) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), color_);
    }

private:
    QColor color_;
};

// One line in the room the cell has, cut with "…" where it does not fit and then shown whole in its tooltip.
QWidget *elidingLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent) {
    auto *label = new FittingText(text, font, color, 1.0, Qt::AlignLeft, parent);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

// The list's content: the header row, a titled bar over each group, and the rows from the kit's pool, one
// divider under each. Rows are made for the triggers near what shows; the rest are places worked out from the
// document's order.
class TriggerRowPool final : public ItemPool {
public:
    static constexpr int kHeader = 40;
    static constexpr int kBar = 34;
    static constexpr int kRow = 54;
    static constexpr int kPitch = kRow + 1; // a row and its divider
    static constexpr int kBottom = static_cast<int>(kCorner / 2);
    // The most of the list taken as in view while it is not shown.
    static constexpr int kRestingHeight = 1600;

    TriggerRowPool(TriggerList &list, QWidget *parent) : ItemPool(parent), list_(list) {
        setRovingFocus();
        setAttribute(Qt::WA_TranslucentBackground);
        header_ = makeHeader();
        for (const QString &title : {QStringLiteral("Shortcuts"), QStringLiteral("Words")}) {
            auto *bar = new FilledBar(Theme::soft, this);
            auto *barRow = new QHBoxLayout(bar);
            barRow->setContentsMargins(kPadding, 0, kPadding, 0);
            barRow->addWidget(textLabel(title, Fonts::system(12, QFont::Bold), Theme::ink, bar));
            bars_.push_back(bar);
        }
    }

    // Takes the document's triggers again: shortcuts first, then words, each in document order.
    void follow() {
        const std::vector<Trigger> &triggers = list_.model_.data().triggers;
        order_.clear();
        std::vector<Uuid> ids;
        for (const bool shortcuts : {true, false}) {
            for (std::size_t i = 0; i < triggers.size(); ++i) {
                if (triggers[i].kind.isShortcut() == shortcuts) {
                    order_.push_back(i);
                    ids.push_back(triggers[i].id);
                }
            }
            if (shortcuts) {
                shortcuts_ = order_.size();
            }
        }
        setFixedHeight(contentHeight());
        placeBars();
        setItems(std::move(ids));
    }

    const Trigger &triggerAt(std::size_t index) const { return list_.model_.data().triggers[order_[index]]; }
    QString groupOf(std::size_t index) const {
        return index < shortcuts_ ? QStringLiteral("Shortcuts") : QStringLiteral("Words");
    }
    QStringList groupTitles() const {
        QStringList titles;
        if (shortcuts_ > 0) {
            titles << QStringLiteral("Shortcuts");
        }
        if (order_.size() > shortcuts_) {
            titles << QStringLiteral("Words");
        }
        return titles;
    }
    // The row widget of the item at `index` now, or null.
    QWidget *rowAt(std::size_t index) const {
        auto *slot = static_cast<ItemSlot *>(widgetAt(index));
        return slot != nullptr ? slot->content() : nullptr;
    }

protected:
    QRect itemRect(std::size_t index) const override {
        const int i = static_cast<int>(index);
        const int shortcuts = static_cast<int>(shortcuts_);
        const int top = index < shortcuts_ ? kHeader + kBar + i * kPitch : wordsTop() + kBar + (i - shortcuts) * kPitch;
        return {0, top, width(), kRow};
    }
    QWidget *makeWidget() override { return new ItemSlot(this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        static_cast<ItemSlot *>(widget)->setContent(list_.makeRow(triggerAt(index), widget));
    }
    QWidget *focusTarget(QWidget *widget) const override { return static_cast<ItemSlot *>(widget)->content(); }
    QRect restingView() const override {
        // Not shown (behind the graph, or not yet laid out): a screenful from where the list is scrolled to, as
        // high as the list is; a hidden scroll area's viewport does not say what it will show.
        const int height = std::clamp(list_.height(), kHeader + kBar + kPitch, kRestingHeight);
        return {0, -y(), width(), height};
    }
    void resizeEvent(QResizeEvent *event) override {
        ItemPool::resizeEvent(event);
        placeBars();
    }
    void paintEvent(QPaintEvent *event) override {
        // The dividers under the rows that show.
        QPainter painter(this);
        for (std::size_t i = 0; i < order_.size(); ++i) {
            const QRect divider(0, itemRect(i).bottom() + 1, width(), 1);
            if (divider.intersects(event->rect())) {
                painter.fillRect(divider, Theme::line);
            }
        }
    }

private:
    QWidget *makeHeader() {
        // The header row scrolls with the content.
        auto *header = new QWidget(this);
        auto *headerRow = new QHBoxLayout(header);
        headerRow->setContentsMargins(kPadding, 0, kPadding, 0);
        QFont headerFont = Fonts::mono(10, QFont::Medium);
        headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
        auto *triggerHead = textLabel(QStringLiteral("TRIGGER"), headerFont, Theme::ink2, header);
        triggerHead->setFixedWidth(kTriggerColumn);
        headerRow->addWidget(triggerHead);
        headerRow->addWidget(elidingLabel(QStringLiteral("PLAYS"), headerFont, Theme::ink2, header), 1);
        headerRow->addWidget(elidingLabel(QStringLiteral("WHERE"), headerFont, Theme::ink2, header), 1);
        auto *onHead = textLabel(QStringLiteral("ON"), headerFont, Theme::ink2, header);
        onHead->setFixedWidth(kOnColumn);
        headerRow->addWidget(onHead);
        return header;
    }
    int wordsTop() const { return kHeader + (shortcuts_ > 0 ? kBar + static_cast<int>(shortcuts_) * kPitch : 0); }
    int contentHeight() const {
        const int words = static_cast<int>(order_.size() - shortcuts_);
        return wordsTop() + (words > 0 ? kBar + words * kPitch : 0) + kBottom;
    }
    void placeBars() {
        header_->setGeometry(0, 0, width(), kHeader);
        bars_[0]->setGeometry(0, kHeader, width(), kBar);
        bars_[0]->setVisible(shortcuts_ > 0);
        bars_[1]->setGeometry(0, wordsTop(), width(), kBar);
        bars_[1]->setVisible(order_.size() > shortcuts_);
    }

    TriggerList &list_;
    QWidget *header_;
    std::vector<QWidget *> bars_;
    std::vector<std::size_t> order_; // by place: the trigger's index in the document
    std::size_t shortcuts_ = 0;      // the places of the Shortcuts group come first
};

TriggerList::TriggerList(AppModel &model, TriggerApps apps, QWidget *parent)
    : QWidget(parent), model_(model), apps_(std::move(apps)) {
    setAttribute(Qt::WA_TranslucentBackground);
    applyCardShadow(this, kCorner);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    makeTransparentScroll(scroll_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The list fills the card from edge to edge: its bar keeps clear of the card's rounded corners, and rows
    // scrolled into a corner are cut along it.
    CardScrollBar::fit(scroll_, kCorner, true, true);
    CardScrollBar::clipToCard(scroll_, this, kCorner);
    PageWheel::scrollPageFirst(scroll_);
    pool_ = new TriggerRowPool(*this, nullptr);
    scroll_->setWidget(pool_);
    pool_->setAutoFillBackground(false); // the card shows through
    layout->addWidget(scroll_);
    connect(&model_, &AppModelSignals::triggersChanged, this, &TriggerList::triggersChanged);
    model_.observe(AppModel::userSoundsChange, this, [this] { pool_->refreshAll(); });
    pool_->follow();
}

void TriggerList::setSelectedID(std::optional<Uuid> id) {
    if (id == selectedID_) {
        return;
    }
    // Only the rows that gain or lose the selection are made again.
    const std::optional<Uuid> before = std::exchange(selectedID_, id);
    std::vector<Uuid> changed;
    for (const std::optional<Uuid> &one : {before, id}) {
        if (one) {
            changed.push_back(*one);
        }
    }
    pool_->refresh(changed);
}

std::vector<TriggerList::RowInfo> TriggerList::rows() const {
    std::vector<RowInfo> out;
    for (std::size_t i = 0; i < pool_->items().size(); ++i) {
        const Trigger &trigger = pool_->triggerAt(i);
        out.push_back({trigger.id, pool_->groupOf(i), playsText(trigger), apps_.whereText(model_.data(), trigger),
                       selectedID_ == trigger.id, trigger.enabled, pool_->rowAt(i)});
    }
    return out;
}

QWidget *TriggerList::showRow(const Uuid &id) {
    const auto &ids = pool_->items();
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end()) {
        return nullptr;
    }
    const auto index = static_cast<std::size_t>(it - ids.begin());
    pool_->showItem(index);
    return pool_->rowAt(index);
}

QStringList TriggerList::groupTitles() const {
    return pool_->groupTitles();
}

std::size_t TriggerList::madeRows() const {
    return pool_->madeWidgets();
}

void TriggerList::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), kCorner, Qt::white);
}

QString TriggerList::playsText(const Trigger &trigger) const {
    const std::optional<SoundItem> sound = model_.sound(trigger.soundID);
    return sound ? ShownText::bounded(QString::fromStdString(sound->name)) : QStringLiteral("Missing sound");
}

QWidget *TriggerList::makeRow(const Trigger &trigger, QWidget *parent) {
    const AppData &document = model_.data();
    const Uuid id = trigger.id;
    const bool isSelected = selectedID_ == id;
    auto *row = new Row(
        model_, trigger, isSelected,
        [this, id] {
            if (onSelect_) {
                onSelect_(id);
            }
        },
        parent);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(kPadding, 0, kPadding, 0);

    auto *labelCell = new QWidget(row);
    labelCell->setFixedWidth(kTriggerColumn);
    auto *labelRow = new QHBoxLayout(labelCell);
    labelRow->setContentsMargins(0, 0, 0, 0);
    labelRow->addWidget(row->label(), 0, Qt::AlignLeft | Qt::AlignVCenter);
    labelRow->addStretch(1);
    line->addWidget(labelCell);

    auto *plays = new QWidget(row);
    plays->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *playsRow = new QHBoxLayout(plays);
    playsRow->setContentsMargins(0, 0, 0, 0);
    playsRow->setSpacing(10);
    const std::optional<SoundItem> sound = model_.sound(trigger.soundID);
    if (sound) {
        auto *badge = cap(*sound, plays);
        badge->setFixedWidth(28);
        playsRow->addWidget(badge);
    }
    playsRow->addWidget(elidingLabel(playsText(trigger), Fonts::system(13, QFont::DemiBold), Theme::ink, plays), 1);
    line->addWidget(plays, 1);

    auto *whereLabel = elidingLabel(apps_.whereText(document, trigger), Fonts::system(12), Theme::ink2, row);
    whereLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->addWidget(whereLabel, 1);

    auto *switchCell = new QWidget(row);
    switchCell->setFixedWidth(kOnColumn);
    auto *switchRow = new QHBoxLayout(switchCell);
    switchRow->setContentsMargins(0, 0, 0, 0);
    switchRow->addWidget(row->onOffSwitch(), 0, Qt::AlignLeft);
    line->addWidget(switchCell);
    return row;
}

void TriggerList::triggersChanged(const std::vector<Uuid> &ids) {
    // Rows stay with their triggers wherever they move; the triggers that changed have theirs made again.
    pool_->follow();
    if (ids.empty()) {
        pool_->refreshAll();
    } else {
        pool_->refresh(ids);
    }
}

} // namespace tc

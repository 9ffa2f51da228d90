#include "ui/sounds/PickerLibraryPane.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/sounds/PickerSoundCard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

namespace tc {

namespace {

constexpr int kColumnWidth = 160;
constexpr int kRowHeight = 36;
constexpr int kGridColumns = PickerLibraryPane::kGridColumns;
constexpr int kGridSpacing = 10;
constexpr int kGridMargin = 2;
constexpr int kCardPitch = PickerSoundCard::kHeight + kGridSpacing;

// The room of the grid of all the category's cards, which lie over it: the sizes a grid layout of cards would
// ask for (three columns at most, each 200 wide at ease and 120 at least, rows of cards 10 apart), so the
// scroll area sizes and scrolls its content as it would for the cards themselves.
class GridRoom final : public QLayoutItem {
public:
    void setCount(int count) { count_ = count; }
    QSize sizeHint() const override { return size(200); }
    QSize minimumSize() const override { return size(120); }
    QSize maximumSize() const override { return {QWIDGETSIZE_MAX, size(120).height()}; }
    Qt::Orientations expandingDirections() const override { return count_ > 0 ? Qt::Horizontal : Qt::Orientations(); }
    bool isEmpty() const override { return count_ == 0; }
    void setGeometry(const QRect &rect) override { rect_ = rect; }
    QRect geometry() const override { return rect_; }

private:
    QSize size(int columnWidth) const {
        if (count_ == 0) {
            return {0, 0};
        }
        const int columns = std::min(count_, kGridColumns);
        const int rows = (count_ + kGridColumns - 1) / kGridColumns;
        return {2 * kGridMargin + columns * columnWidth + (columns - 1) * kGridSpacing,
                2 * kGridMargin + rows * PickerSoundCard::kHeight + (rows - 1) * kGridSpacing};
    }

    int count_ = 0;
    QRect rect_;
};

// Stands in for a card when the grid's columns are worked out: a card's sizes, without the card.
class CardCell final : public QLayoutItem {
public:
    QSize sizeHint() const override { return {200, PickerSoundCard::kHeight}; }
    QSize minimumSize() const override { return {120, PickerSoundCard::kHeight}; }
    QSize maximumSize() const override { return {QWIDGETSIZE_MAX, PickerSoundCard::kHeight}; }
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool isEmpty() const override { return false; }
    void setGeometry(const QRect &rect) override { rect_ = rect; }
    QRect geometry() const override { return rect_; }

private:
    QRect rect_;
};

std::size_t indexOf(SoundCategory category) {
    return static_cast<std::size_t>(category);
}

// One row of the category column: the category's swatch, its title and its count; white with a faint shadow
// while it is the category shown.
class CategoryRow : public QAbstractButton {
public:
    CategoryRow(SoundCategory category, const SoundPickerState &state, const std::array<int, 6> &counts,
                QWidget *parent)
        : QAbstractButton(parent), category_(category), state_(state), counts_(counts) {
        setText(categoryTitle(category));
        setAccessibleName(text());
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this, 10);
        setFixedSize(kColumnWidth, kRowHeight);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box(rect());
        if (state_.category() == category_) {
            paintShadow(painter, box, 10, {Theme::withOpacity(Qt::black, 0.08), 1, QPointF(0, 1)});
            paintPanel(painter, box, 10, Qt::white);
        }
        const QRectF swatch(10, (box.height() - 10) / 2, 10, 10);
        paintPanel(painter, swatch, 3, CapPalette::forCategory(category_).swatch);
        painter.setPen(QPen(Theme::withOpacity(Qt::black, 0.18), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokeBorderPath(swatch, 3, 1));

        painter.setPen(Theme::ink);
        painter.setFont(Fonts::system(13, QFont::DemiBold));
        const QRectF text = box.adjusted(28, 0, -10, 0);
        painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, this->text());
        painter.setPen(Theme::ink3);
        painter.setFont(Fonts::system(10, QFont::Medium));
        painter.drawText(text, Qt::AlignVCenter | Qt::AlignRight, QString::number(counts_[indexOf(category_)]));
    }

private:
    SoundCategory category_;
    const SoundPickerState &state_;
    const std::array<int, 6> &counts_;
};

} // namespace

std::array<int, 6> PickerLibraryPane::counts(const std::vector<SoundItem> &sounds) {
    std::array<int, 6> result{};
    for (const auto &sound : sounds) {
        ++result[indexOf(sound.category)];
    }
    return result;
}

std::vector<SoundItem> PickerLibraryPane::soundsIn(const std::vector<SoundItem> &sounds, SoundCategory category) {
    std::vector<SoundItem> result;
    for (const auto &sound : sounds) {
        if (sound.category == category) {
            result.push_back(sound);
        }
    }
    return result;
}

std::vector<QRect> PickerLibraryPane::cells(int width, int count) {
    if (count <= 0) {
        return {};
    }
    // The columns as a grid layout shares them out (its rounding included), with a card in each column used.
    QGridLayout grid;
    grid.setContentsMargins(kGridMargin, kGridMargin, kGridMargin, kGridMargin);
    grid.setHorizontalSpacing(kGridSpacing);
    grid.setVerticalSpacing(kGridSpacing);
    grid.setAlignment(Qt::AlignTop);
    for (int c = 0; c < kGridColumns; ++c) {
        grid.setColumnStretch(c, 1);
    }
    std::vector<CardCell *> columns;
    for (int c = 0; c < std::min(count, kGridColumns); ++c) {
        columns.push_back(new CardCell);
        grid.addItem(columns.back(), 0, c);
    }
    grid.setGeometry(QRect(0, 0, width, grid.sizeHint().height()));
    std::vector<QRect> cells;
    cells.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QRect column = columns[static_cast<std::size_t>(i % kGridColumns)]->geometry();
        cells.emplace_back(column.x(), kGridMargin + (i / kGridColumns) * kCardPitch, column.width(),
                           PickerSoundCard::kHeight);
    }
    return cells;
}

// The grid in the scroll area: a card for each sound near what shows, over the room the grid of every card
// would take.
class PickerCardPool final : public ItemPool {
public:
    explicit PickerCardPool(PickerLibraryPane &pane) : ItemPool(nullptr), pane_(pane) { setRovingFocus(); }

protected:
    // The choice follows the keyboard through the grid, as a click would; a card's play button only previews.
    void keyboardReached(std::size_t index, QWidget *control) override {
        if (qobject_cast<PickerSoundCard *>(control) != nullptr && index < pane_.shown_.size()) {
            pane_.choose(pane_.shown_[index].id);
        }
    }
    QRect itemRect(std::size_t index) const override {
        return index < pane_.cells_.size() ? pane_.cells_[index] : QRect();
    }
    QWidget *makeWidget() override {
        // The card's actions act on the sound it shows now.
        auto shown = std::make_shared<PickerSoundCard *>(nullptr);
        auto *card = new PickerSoundCard(
            SoundItem{}, [this, shown] { pane_.choose((*shown)->sound().id); },
            [this, shown] { pane_.model_.preview((*shown)->sound().id); }, this);
        *shown = card;
        card->installEventFilter(&pane_);
        return card;
    }
    void bindWidget(QWidget *widget, std::size_t index) override {
        auto *card = static_cast<PickerSoundCard *>(widget);
        card->setSound(pane_.shown_[index]);
        card->setRinged(pane_.state_.chosen() == pane_.shown_[index].id);
    }
    QRect restingView() const override {
        // Not yet laid out: the four rows of cards the sheet shows at least.
        return ItemPool::restingView().united(QRect(0, -y(), width(), 4 * kCardPitch));
    }
    void resizeEvent(QResizeEvent *event) override {
        pane_.cells_ = PickerLibraryPane::cells(width(), static_cast<int>(pane_.shown_.size()));
        ItemPool::resizeEvent(event);
    }

private:
    PickerLibraryPane &pane_;
};

PickerLibraryPane::PickerLibraryPane(AppModel &model, SoundPickerState &state, QWidget *parent)
    : QWidget(parent), model_(model), state_(state) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(14);

    auto *column = new QVBoxLayout;
    column->setSpacing(4);
    for (const auto category : kAllSoundCategories) {
        auto *button = new CategoryRow(category, state_, counts_, this);
        connect(button, &QAbstractButton::clicked, this, [this, category] { state_.setCategory(category); });
        column->addWidget(button);
        rows_[category] = button;
    }
    column->addStretch(1);
    row->addLayout(column);

    auto *stack = new QWidget(this);
    auto *pages = new QStackedLayout(stack);

    scroll_ = new QScrollArea(stack);
    makeTransparentScroll(scroll_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CardScrollBar::fit(scroll_, 0, false, false); // the program's slim bar, as in its cards
    grid_ = new PickerCardPool(*this);
    grid_->setAttribute(Qt::WA_TranslucentBackground);
    // The cards are not in the layout: they sit over this room, as large as the grid of all the category's
    // cards would be.
    auto *gridLayout = new QVBoxLayout(grid_);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    room_ = new GridRoom;
    gridLayout->addItem(room_);
    gridLayout->addStretch(1);
    scroll_->setWidget(grid_);
    grid_->setAutoFillBackground(false); // setWidget() turned it on
    pages->addWidget(scroll_);

    empty_ = new QWidget(stack);
    auto *emptyColumn = new QVBoxLayout(empty_);
    emptyColumn->setContentsMargins(0, 80, 0, 0);
    emptyColumn->setSpacing(10);
    emptyColumn->addWidget(
        textLabel(QStringLiteral("No sounds of your own yet"), Fonts::system(15, QFont::Bold), Theme::ink, empty_), 0,
        Qt::AlignHCenter);
    emptyColumn->addWidget(
        textLabel(QStringLiteral("Record one or import a file."), Fonts::system(13), Theme::ink2, empty_), 0,
        Qt::AlignHCenter);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    auto *record = new PillButton(QStringLiteral("Record"), BlackPillButtonStyle{36}, empty_);
    auto *import = new PillButton(QStringLiteral("Import"), OutlinePillButtonStyle{36}, empty_);
    connect(record, &QAbstractButton::clicked, this, [this] { state_.setTab(SoundPickerTab::record); });
    connect(import, &QAbstractButton::clicked, this, [this] { state_.setTab(SoundPickerTab::importFile); });
    buttons->addWidget(record);
    buttons->addWidget(import);
    buttons->addStretch(1);
    emptyColumn->addLayout(buttons);
    emptyColumn->addStretch(1);
    emptyRecord_ = record;
    emptyImport_ = import;
    pages->addWidget(empty_);
    row->addWidget(stack, 1);

    connect(&state_, &SoundPickerState::categoryChanged, this, [this] {
        for (const auto &entry : rows_) {
            entry.second->update();
        }
        // From the top, where the cards of the new category are made.
        grid_->holdPlaces(true);
        scroll_->verticalScrollBar()->setValue(0);
        syncSounds();
        grid_->holdPlaces(false);
    });
    connect(&state_, &SoundPickerState::chosenChanged, this, &PickerLibraryPane::updateRings);
    // New, removed or renamed user sounds, and the built-ins' durations once they are loaded.
    connect(&model_, &AppModelSignals::userSoundsChanged, this, &PickerLibraryPane::syncSounds);
    connect(&model_, &AppModelSignals::soundsVersionChanged, this, &PickerLibraryPane::syncSounds);
    connect(&model_, &AppModelSignals::soundsReadyChanged, this, &PickerLibraryPane::syncSounds);
    syncSounds();
}

int PickerLibraryPane::shownCount(SoundCategory category) const {
    return counts_[indexOf(category)];
}

std::vector<std::string> PickerLibraryPane::shownIDs() const {
    std::vector<std::string> ids;
    ids.reserve(shown_.size());
    for (const auto &sound : shown_) {
        ids.push_back(sound.id);
    }
    return ids;
}

std::vector<PickerSoundCard *> PickerLibraryPane::cards() const {
    std::vector<PickerSoundCard *> made;
    if (shown_.empty()) {
        return made;
    }
    for (QWidget *widget : grid_->boundWidgets()) {
        made.push_back(static_cast<PickerSoundCard *>(widget));
    }
    return made;
}

PickerSoundCard *PickerLibraryPane::cardFor(const std::string &id) {
    const auto found = shownIndex_.find(id);
    if (found == shownIndex_.end()) {
        return nullptr;
    }
    return static_cast<PickerSoundCard *>(grid_->showItem(found->second));
}

void PickerLibraryPane::syncSounds() {
    const auto sounds = model_.allSounds();
    counts_ = counts(sounds);
    for (const auto &entry : rows_) {
        entry.second->update();
    }

    shown_ = soundsIn(sounds, state_.category());
    shownIndex_.clear();
    // One card per id: a sound listed twice shows once.
    std::erase_if(shown_, [&](const SoundItem &sound) { return !shownIndex_.emplace(sound.id, 0).second; });
    std::vector<Uuid> keys;
    keys.reserve(shown_.size());
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        shownIndex_[shown_[i].id] = i;
        keys.push_back(ItemPool::idFor(shown_[i].id));
    }

    auto *pages = static_cast<QStackedLayout *>(scroll_->parentWidget()->layout());
    pages->setCurrentWidget(shown_.empty() ? empty_ : scroll_);
    static_cast<GridRoom *>(room_)->setCount(static_cast<int>(shown_.size()));
    grid_->layout()->invalidate();
    cells_ = cells(grid_->width(), static_cast<int>(shown_.size()));
    // The cards stay with their sounds; those whose sound changed show it as it is now.
    grid_->setItems(std::move(keys));
    grid_->refreshAll();
}

void PickerLibraryPane::updateRings() {
    for (auto *card : cards()) {
        card->setRinged(state_.chosen() == card->sound().id);
    }
}

void PickerLibraryPane::choose(const std::string &id) {
    state_.setChosen(id);
    model_.preview(id);
}

bool PickerLibraryPane::focusChosenCard() {
    if (shown_.empty() || !scroll_->isVisibleTo(this)) {
        return false;
    }
    std::size_t index = 0;
    if (state_.chosen()) {
        if (const auto found = shownIndex_.find(*state_.chosen()); found != shownIndex_.end()) {
            index = found->second;
        }
    }
    // The chosen card is where Tab comes back to the grid, also when the focus is lost before the sheet shows.
    grid_->setCurrentItem(index);
    auto *target = static_cast<PickerSoundCard *>(grid_->showItem(index));
    target->setFocus(Qt::TabFocusReason);
    scroll_->ensureWidgetVisible(target);
    return true;
}

bool PickerLibraryPane::eventFilter(QObject *watched, QEvent *event) {
    auto *card = qobject_cast<PickerSoundCard *>(watched);
    const auto found = card != nullptr ? shownIndex_.find(card->sound().id) : shownIndex_.end();
    if (found == shownIndex_.end()) {
        return false;
    }
    if (grid_->widgetAt(found->second) != card) {
        return false; // a spare card
    }
    if (event->type() == QEvent::FocusIn) {
        // Focus given before the sheet was laid out (the chosen card as it opens) scrolls to the card once it
        // arrives.
        scroll_->ensureWidgetVisible(card);
    }
    return false;
}

} // namespace tc

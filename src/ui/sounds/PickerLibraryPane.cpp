#include "ui/sounds/PickerLibraryPane.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/LazyRows.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/PickerSoundCard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>
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

// The scroll area's content shows the dotted backdrop behind it, and its bar is a slim rounded thumb without
// arrows, as the desktop's overlay scroll bars look.
void makeTransparent(QScrollArea *scroll) {
    scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(17, 17, 17, 0.28); border-radius: 3px; min-height: 32px;"
        " margin: 1px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setAttribute(Qt::WA_TranslucentBackground);
    scroll->viewport()->setAttribute(Qt::WA_TranslucentBackground);
}

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
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside, and scrolls to each
    makeTransparent(scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CardScrollBar::fit(scroll_, 0, false, false); // the program's slim bar, as in its cards
    grid_ = new QWidget;
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
    scroll_->viewport()->installEventFilter(this);
    grid_->installEventFilter(this);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, &PickerLibraryPane::makeVisibleCards);

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
        holdCards_ = true;
        scroll_->verticalScrollBar()->setValue(0);
        holdCards_ = false;
        syncSounds();
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

PickerSoundCard *PickerLibraryPane::cardFor(const std::string &id) {
    const auto found = shownIndex_.find(id);
    if (found == shownIndex_.end()) {
        return nullptr;
    }
    PickerSoundCard *card = makeCard(found->second);
    listCards();
    return card;
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
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        shownIndex_[shown_[i].id] = i;
    }
    // The cards of sounds no longer shown go; those of sounds that changed are updated in place.
    std::vector<PickerSoundCard *> gone;
    for (auto it = made_.begin(); it != made_.end();) {
        const auto found = shownIndex_.find(it->first);
        if (found == shownIndex_.end()) {
            gone.push_back(it->second);
            it = made_.erase(it);
            continue;
        }
        if (!(it->second->sound() == shown_[found->second])) {
            it->second->setSound(shown_[found->second]);
        }
        ++it;
    }
    letGo(gone);

    auto *pages = static_cast<QStackedLayout *>(scroll_->parentWidget()->layout());
    pages->setCurrentWidget(shown_.empty() ? empty_ : scroll_);
    static_cast<GridRoom *>(room_)->setCount(static_cast<int>(shown_.size()));
    grid_->layout()->invalidate();
    placeCards();
    makeVisibleCards();
    listCards();
    updateRings();
}

void PickerLibraryPane::makeVisibleCards() {
    if (holdCards_ || shown_.empty()) {
        return;
    }
    const int count = static_cast<int>(shown_.size());
    const int rows = (count + kGridColumns - 1) / kGridColumns;
    const int least = 4 * kCardPitch;
    const LazyRows::Span wanted =
        LazyRows::near(*scroll_, kGridMargin, kCardPitch, rows, kRowsAhead * kCardPitch, least);
    const LazyRows::Span kept =
        LazyRows::near(*scroll_, kGridMargin, kCardPitch, rows, 2 * kRowsAhead * kCardPitch, least);
    // The focus as its window keeps it, also while the window is not active (or not yet shown).
    const QWidget *focused = window()->focusWidget();
    std::vector<PickerSoundCard *> far;
    for (auto it = made_.begin(); it != made_.end();) {
        PickerSoundCard *card = it->second;
        // A card far away is let go, unless it has the keyboard focus or is the chosen sound's, where the
        // focus starts as the sheet opens.
        const auto row = static_cast<int>(shownIndex_.at(it->first)) / kGridColumns;
        if (kept.contains(row) || (focused != nullptr && (card == focused || card->isAncestorOf(focused))) ||
            state_.chosen() == it->first) {
            ++it;
        } else {
            far.push_back(card);
            it = made_.erase(it);
        }
    }
    bool changed = !far.empty();
    letGo(far);
    for (int i = wanted.first * kGridColumns; i < std::min(count, wanted.end * kGridColumns); ++i) {
        if (!made_.contains(shown_[static_cast<std::size_t>(i)].id)) {
            makeCard(static_cast<std::size_t>(i));
            changed = true;
        }
    }
    if (changed) {
        listCards();
    }
}

PickerSoundCard *PickerLibraryPane::makeCard(std::size_t index) {
    const SoundItem &sound = shown_[index];
    if (const auto found = made_.find(sound.id); found != made_.end()) {
        return found->second;
    }
    const std::string id = sound.id;
    auto *card = new PickerSoundCard(
        sound, [this, id] { choose(id); }, [this, id] { model_.preview(id); }, grid_);
    card->installEventFilter(this);
    card->setRinged(state_.chosen() == id);
    if (index < cells_.size()) {
        card->setGeometry(cells_[index]);
    }
    card->show();
    made_.emplace(id, card);
    return card;
}

void PickerLibraryPane::letGo(const std::vector<PickerSoundCard *> &cards) {
    // Hiding a card that has the focus moves the focus on, which may scroll the grid: no cards are made meanwhile.
    const bool held = std::exchange(holdCards_, true);
    for (PickerSoundCard *card : cards) {
        std::erase(cards_, card);
        card->hide();
        card->deleteLater();
    }
    holdCards_ = held;
}

void PickerLibraryPane::placeCards() {
    cells_ = cells(grid_->width(), static_cast<int>(shown_.size()));
    for (const auto &[id, card] : made_) {
        const QRect &cell = cells_[shownIndex_.at(id)];
        if (card->geometry() != cell) {
            card->setGeometry(cell);
        }
    }
}

void PickerLibraryPane::listCards() {
    cards_.clear();
    std::vector<QWidget *> controls;
    for (const auto &sound : shown_) {
        if (const auto found = made_.find(sound.id); found != made_.end()) {
            cards_.push_back(found->second);
            controls.push_back(found->second);
            controls.push_back(found->second->playButton());
        }
    }
    LazyRows::chainAfter(rows_.at(kAllSoundCategories.back()), controls);
}

void PickerLibraryPane::updateRings() {
    for (auto *card : cards_) {
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
    PickerSoundCard *target = makeCard(index);
    listCards();
    target->setFocus(Qt::TabFocusReason);
    scroll_->ensureWidgetVisible(target);
    return true;
}

bool PickerLibraryPane::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grid_ || watched == scroll_->viewport()) {
        if (event->type() == QEvent::Resize) {
            if (watched == grid_) {
                placeCards();
            }
            makeVisibleCards();
        }
        return false;
    }
    auto *card = qobject_cast<PickerSoundCard *>(watched);
    const auto found = card != nullptr ? shownIndex_.find(card->sound().id) : shownIndex_.end();
    if (found == shownIndex_.end()) {
        return false;
    }
    if (const auto made = made_.find(card->sound().id); made == made_.end() || made->second != card) {
        return false; // a card let go
    }
    if (event->type() == QEvent::FocusIn) {
        // Focus given before the sheet was laid out (the chosen card as it opens) scrolls to the card once it
        // arrives.
        scroll_->ensureWidgetVisible(card);
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    int step = 0;
    switch (key->key()) {
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -kGridColumns;
        break;
    case Qt::Key_Down:
        step = kGridColumns;
        break;
    default:
        return false;
    }
    const auto index = static_cast<std::ptrdiff_t>(found->second) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(shown_.size())) {
        return true; // the grid's edge: focus stays on the card
    }
    PickerSoundCard *target = makeCard(static_cast<std::size_t>(index));
    listCards();
    target->setFocus(Qt::TabFocusReason);
    scroll_->ensureWidgetVisible(target);
    choose(target->sound().id);
    return true;
}

} // namespace tc

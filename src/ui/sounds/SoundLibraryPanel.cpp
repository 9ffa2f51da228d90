#include "ui/sounds/SoundLibraryPanel.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Card.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

namespace tc {

namespace {

constexpr qreal kCorner = 20;
constexpr int kChipRowHeight = 32 + 2 * 12;

} // namespace

// ---- CategoryFilterChip ----------------------------------------------------------------------------------

CategoryFilterChip::CategoryFilterChip(std::optional<SoundCategory> category, const QString &title, QWidget *parent)
    : QAbstractButton(parent), category_(category) {
    setText(title);
    setCheckable(true);
    setFont(Fonts::system(12, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setFixedSize(sizeHint());
}

QSize CategoryFilterChip::sizeHint() const {
    const qreal swatch = category_ ? 10 + 7 : 0;
    return {static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()) + swatch)) + 28, 32};
}

void CategoryFilterChip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    const bool selected = isChecked();
    painter.fillPath(capsule(frame), selected ? Theme::ink : Theme::panel);
    qreal x = 14;
    if (category_) {
        const QRectF swatch(x, (frame.height() - 10) / 2, 10, 10);
        // On the dark fill of a chosen chip a dark swatch ("My sounds") would vanish: it wears a light edge there.
        const QColor edge = selected ? Theme::withOpacity(Qt::white, 0.6) : Theme::withOpacity(Qt::black, 0.15);
        paintPanel(painter, swatch, 3, CapPalette::forCategory(*category_).swatch, QPen(edge, 1));
        x += 10 + 7;
    }
    painter.setFont(font());
    painter.setPen(selected ? QColor(Qt::white) : Theme::ink);
    painter.drawText(QRectF(x, 0, frame.width() - x - 14 + 1, frame.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
}

// ---- SoundLibraryPanel -----------------------------------------------------------------------------------

// The list's content: a row for each sound near what shows, over the room the panel keeps for every row.
class SoundRowPool final : public ItemPool {
public:
    static constexpr int kPitch = SoundLibraryRow::kHeight + 1;

    explicit SoundRowPool(SoundLibraryPanel &panel) : ItemPool(nullptr), panel_(panel) { setRovingFocus(); }

protected:
    QRect itemRect(std::size_t index) const override { return {0, static_cast<int>(index) * kPitch, width(), kPitch}; }
    QWidget *makeWidget() override { return new SoundLibraryRow(panel_.model_, panel_.state_, SoundItem{}, this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        static_cast<SoundLibraryRow *>(widget)->setSound(panel_.shown_[index]);
    }
    QRect restingView() const override {
        // Not yet laid out: the rows the list shows at least.
        return ItemPool::restingView().united(QRect(0, -y(), width(), SoundLibraryPanel::kRowsAlwaysShown * kPitch));
    }

private:
    SoundLibraryPanel &panel_;
};

SoundLibraryPanel::SoundLibraryPanel(AppModel &model, SoundsScreenState &state, QWidget *parent)
    : QWidget(parent), model_(model), state_(state) {
    applyCardShadow(this, kCorner);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 4);
    column->setSpacing(0);

    auto *chipRow = new QHBoxLayout;
    chipRow->setContentsMargins(16, 12, 16, 12);
    chipRow->setSpacing(6);
    chips_.push_back(new CategoryFilterChip(std::nullopt, QStringLiteral("All"), this));
    for (SoundCategory category : kAllSoundCategories) {
        chips_.push_back(new CategoryFilterChip(category, categoryTitle(category), this));
    }
    for (CategoryFilterChip *chip : chips_) {
        chipRow->addWidget(chip);
        connect(chip, &QAbstractButton::clicked, this, [this, chip] {
            state_.setFilter(chip->category());
            chip->setChecked(state_.filter() == chip->category()); // the selected chip stays selected
        });
    }
    chipRow->addStretch(1);
    selection_ = textLabel({}, Fonts::system(12), Theme::ink3, this);
    chipRow->addWidget(selection_);
    column->addLayout(chipRow);
    column->addSpacing(1); // the divider, painted

    scroll_ = new QScrollArea(this);
    makeTransparentScroll(scroll_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The list runs down to the card's rounded bottom; its top meets the chip row, not a corner.
    CardScrollBar::fit(scroll_, kCorner, false, true);
    PageWheel::scrollPageFirst(scroll_);
    pool_ = new SoundRowPool(*this);
    list_ = new QVBoxLayout(pool_);
    list_->setContentsMargins(0, 0, 0, 0);
    list_->setSpacing(0);
    // The rows are not in the layout: they sit over this room, one row high for each sound that passes.
    room_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    list_->addItem(room_);
    empty_ = textLabel({}, Fonts::system(13), Theme::ink3, pool_);
    empty_->setWordWrap(true);
    empty_->setMargin(30);
    // Centred in the list's room, like every other empty state.
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // Shown only when no row is, it takes the list's room (the stretch under the rows keeps a sliver).
    list_->addWidget(empty_, 1000);
    list_->addStretch(1);
    scroll_->setWidget(pool_);
    pool_->setAutoFillBackground(false); // setWidget() turned it on; the panel paints the white
    column->addWidget(scroll_, 1);
    // Never fewer than six rows in view: on a short screen the page scrolls as a whole instead.
    setMinimumHeight(column->contentsMargins().top() + chipRow->sizeHint().height() + 1 +
                     kRowsAlwaysShown * (SoundLibraryRow::kHeight + 1) + column->contentsMargins().bottom());

    // A user sound edited in place changes its row alone; a list that changed is read again.
    connect(&model_, &AppModelSignals::userSoundsChanged, this, [this](const std::vector<std::string> &ids) {
        if (ids.empty()) {
            syncCatalogue();
        } else {
            syncUserSounds(ids);
        }
    });
    // The keys that use each sound.
    connect(&model_, &AppModelSignals::keysChanged, this, &SoundLibraryPanel::refreshRows);
    // Sounds loaded: the built-ins' lengths and every waveform.
    for (auto signal : {&AppModelSignals::soundsVersionChanged, &AppModelSignals::soundsReadyChanged}) {
        connect(&model_, signal, this, [this] {
            syncCatalogue();
            refreshRows();
        });
    }
    connect(&model_, &AppModel::selectedKeysChanged, this, &SoundLibraryPanel::syncSelection);
    // A new search or filter shows its results from the top.
    for (auto signal : {&SoundsScreenState::filterChanged, &SoundsScreenState::searchChanged}) {
        connect(&state_, signal, this, [this] {
            // The rows kept go to their new places at the top, not to where the old list was scrolled.
            pool_->holdPlaces(true);
            applyFilter();
            scroll_->verticalScrollBar()->setValue(0);
            pool_->holdPlaces(false);
        });
    }
    syncCatalogue();
    syncSelection();
}

std::vector<SoundLibraryRow *> SoundLibraryPanel::visibleRows() const {
    std::vector<SoundLibraryRow *> made;
    for (QWidget *widget : pool_->boundWidgets()) {
        made.push_back(static_cast<SoundLibraryRow *>(widget));
    }
    return made;
}

SoundLibraryRow *SoundLibraryPanel::rowFor(const std::string &id) {
    const auto found = shownIndex_.find(id);
    if (found == shownIndex_.end()) {
        return nullptr;
    }
    return static_cast<SoundLibraryRow *>(pool_->showItem(found->second));
}

std::size_t SoundLibraryPanel::madeRows() const {
    return pool_->madeWidgets();
}

std::vector<std::string> SoundLibraryPanel::shownIDs() const {
    std::vector<std::string> ids;
    ids.reserve(shown_.size());
    for (const SoundItem &sound : shown_) {
        ids.push_back(sound.id);
    }
    return ids;
}

void SoundLibraryPanel::syncCatalogue() {
    std::vector<SoundItem> sounds = model_.allSounds();
    std::unordered_set<std::string> seen;
    std::erase_if(sounds, [&](const SoundItem &sound) { return !seen.insert(sound.id).second; }); // one row per id
    catalogue_ = std::move(sounds);
    applyFilter();
    pool_->refreshAll();
}

void SoundLibraryPanel::syncUserSounds(const std::vector<std::string> &ids) {
    const std::unordered_set<std::string> changed(ids.begin(), ids.end());
    std::vector<Uuid> rows;
    for (const SoundItem &sound : model_.data().userSounds) {
        if (!changed.contains(sound.id)) {
            continue;
        }
        const auto entry = std::find_if(catalogue_.begin(), catalogue_.end(),
                                        [&](const SoundItem &item) { return item.id == sound.id; });
        if (entry == catalogue_.end() || *entry == sound) {
            continue;
        }
        *entry = sound;
        rows.push_back(ItemPool::idFor(sound.id));
    }
    applyFilter(); // a new name may pass the search, or no longer
    pool_->refresh(rows);
}

void SoundLibraryPanel::applyFilter() {
    for (CategoryFilterChip *chip : chips_) {
        chip->setChecked(chip->category() == state_.filter());
    }
    shown_ = SoundsScreenState::filtered(catalogue_, state_.filter(), state_.search());
    shownIndex_.clear();
    std::vector<Uuid> keys;
    keys.reserve(shown_.size());
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        shownIndex_.emplace(shown_[i].id, i);
        keys.push_back(ItemPool::idFor(shown_[i].id));
    }
    room_->changeSize(0, static_cast<int>(shown_.size()) * SoundRowPool::kPitch, QSizePolicy::Minimum,
                      QSizePolicy::Fixed);
    list_->invalidate();
    const bool hasUserSounds = !model_.data().userSounds.empty();
    empty_->setText(SoundsScreenState::emptyText(state_.filter(), state_.search(), hasUserSounds));
    empty_->setVisible(shown_.empty());
    pool_->setItems(std::move(keys));
}

void SoundLibraryPanel::refreshRows() {
    for (SoundLibraryRow *row : visibleRows()) {
        row->refresh();
    }
}

void SoundLibraryPanel::syncSelection() {
    const KeySet &keys = model_.selectedKeys();
    selection_->setText(QStringLiteral("Assign goes to ") + SoundsScreenState::selectionLabel(keys));
    selection_->setVisible(!keys.empty());
    refreshRows();
}

void SoundLibraryPanel::showSound(const std::string &id) {
    // The list's new length first, so the scroll bars reach the row.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    SoundLibraryRow *row = rowFor(id);
    if (row == nullptr) {
        return;
    }
    revealRow(row);
    // A focused control the layout just moved is brought back into view at the next turn of the event loop, which
    // on a short screen scrolls the page away from the row: the row is shown again after that.
    QTimer::singleShot(0, this, [this, id] {
        if (SoundLibraryRow *again = rowFor(id)) {
            revealRow(again);
        }
    });
}

void SoundLibraryPanel::revealRow(SoundLibraryRow *row) {
    scroll_->ensureWidgetVisible(row, 0, 8);
    // The page scrolls as a whole on a short screen: the row shows whole in it too. (Showing the list in the page
    // would show the list's top, with the row below it out of view.)
    for (QWidget *ancestor = scroll_->parentWidget(); ancestor != nullptr;
         ancestor = ancestor->isWindow() ? nullptr : ancestor->parentWidget()) {
        if (auto *page = qobject_cast<QScrollArea *>(ancestor);
            page != nullptr && page->widget() != nullptr && page->widget()->isAncestorOf(row)) {
            const QRect place(row->mapTo(page->widget(), QPoint(0, 0)), row->size());
            page->ensureVisible(place.center().x(), place.center().y(), 0, place.height() / 2 + 8);
        }
    }
}

void SoundLibraryPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    paintPanel(painter, frame, kCorner, Qt::white);
    painter.fillRect(QRectF(0, kChipRowHeight, frame.width(), 1), Theme::line);
    painter.strokePath(continuousRoundedRect(frame.adjusted(0.25, 0.25, -0.25, -0.25), kCorner),
                       QPen(Theme::withOpacity(Qt::black, 0.05), 0.5));
}

} // namespace tc

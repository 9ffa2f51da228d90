#include "ui/sounds/SoundLibraryPanel.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Card.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <set>

namespace tc {

namespace {

constexpr qreal kCorner = 20;
constexpr int kChipRowHeight = 32 + 2 * 12;

QLabel *plainLabel(const QFont &font, const QColor &color, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

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
        paintPanel(painter, swatch, 3, CapPalette::forCategory(*category_).swatch,
                   QPen(Theme::withOpacity(Qt::black, 0.15), 1));
        x += 10 + 7;
    }
    painter.setFont(font());
    painter.setPen(selected ? QColor(Qt::white) : Theme::ink);
    painter.drawText(QRectF(x, 0, frame.width() - x - 14 + 1, frame.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
}

// ---- SoundLibraryPanel -----------------------------------------------------------------------------------

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
    selection_ = plainLabel(Fonts::system(12), Theme::ink3, this);
    chipRow->addWidget(selection_);
    column->addLayout(chipRow);
    column->addSpacing(1); // the divider, painted

    scroll_ = new QScrollArea(this);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside, and scrolls to each
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setStyleSheet(QStringLiteral(
        "QScrollArea { background: transparent; }"
        "QScrollBar:vertical { width: 10px; background: transparent; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(0, 0, 0, 46); border-radius: 4px; min-height: 32px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    auto *content = new QWidget(scroll_);
    list_ = new QVBoxLayout(content);
    list_->setContentsMargins(0, 0, 0, 0);
    list_->setSpacing(0);
    empty_ = plainLabel(Fonts::system(13), Theme::ink3, content);
    empty_->setWordWrap(true);
    empty_->setMargin(30);
    // Centred in the list's room, like every other empty state.
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // Shown only when no row is, it takes the list's room (the stretch under the rows keeps a sliver).
    list_->addWidget(empty_, 1000);
    list_->addStretch(1);
    scroll_->setWidget(content);
    content->setAutoFillBackground(false); // setWidget() turned it on; the panel paints the white
    column->addWidget(scroll_, 1);
    // Never fewer than six rows in view: on a short screen the page scrolls as a whole instead.
    setMinimumHeight(column->contentsMargins().top() + chipRow->sizeHint().height() + 1 +
                     kRowsAlwaysShown * (SoundLibraryRow::kHeight + 1) + column->contentsMargins().bottom());

    model_.observe(AppModel::keysChange | AppModel::userSoundsChange, this, [this] { syncRows(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &SoundLibraryPanel::syncRows);
    connect(&model_, &AppModel::soundsReadyChanged, this, &SoundLibraryPanel::syncRows);
    connect(&model_, &AppModel::selectedKeysChanged, this, &SoundLibraryPanel::syncSelection);
    connect(&state_, &SoundsScreenState::filterChanged, this, &SoundLibraryPanel::applyFilter);
    connect(&state_, &SoundsScreenState::searchChanged, this, &SoundLibraryPanel::applyFilter);
    // A new search or filter shows its results from the top.
    for (auto signal : {&SoundsScreenState::filterChanged, &SoundsScreenState::searchChanged}) {
        connect(&state_, signal, this, [this] { scroll_->verticalScrollBar()->setValue(0); });
    }
    syncRows();
    syncSelection();
}

std::vector<SoundLibraryRow *> SoundLibraryPanel::visibleRows() const {
    std::vector<SoundLibraryRow *> shown;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(shown),
                 [](SoundLibraryRow *row) { return !row->isHidden(); });
    return shown;
}

SoundLibraryRow *SoundLibraryPanel::rowFor(const std::string &id) const {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [&](SoundLibraryRow *row) { return row->sound().id == id; });
    return found == rows_.end() ? nullptr : *found;
}

void SoundLibraryPanel::syncRows() {
    const std::vector<SoundItem> sounds = model_.allSounds();
    std::vector<SoundLibraryRow *> next;
    next.reserve(sounds.size());
    std::set<std::string> seen;
    for (const SoundItem &sound : sounds) {
        if (!seen.insert(sound.id).second) {
            continue; // one row per id
        }
        const auto found =
            std::find_if(rows_.begin(), rows_.end(), [&](SoundLibraryRow *row) { return row->sound().id == sound.id; });
        if (found != rows_.end()) {
            (*found)->setSound(sound);
            next.push_back(*found);
            rows_.erase(found);
        } else {
            next.push_back(new SoundLibraryRow(model_, state_, sound, list_->parentWidget()));
        }
    }
    for (SoundLibraryRow *gone : rows_) {
        // Later, not now: the row's own menu may be what deleted its sound.
        gone->hide();
        list_->removeWidget(gone);
        gone->deleteLater();
    }
    rows_ = std::move(next);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (list_->indexOf(rows_[i]) != static_cast<int>(i)) {
            list_->removeWidget(rows_[i]);
            list_->insertWidget(static_cast<int>(i), rows_[i]);
        }
    }
    applyFilter();
}

void SoundLibraryPanel::applyFilter() {
    for (CategoryFilterChip *chip : chips_) {
        chip->setChecked(chip->category() == state_.filter());
    }
    std::vector<SoundItem> all;
    all.reserve(rows_.size());
    for (SoundLibraryRow *row : rows_) {
        all.push_back(row->sound());
    }
    std::set<std::string> shown;
    for (const SoundItem &sound : SoundsScreenState::filtered(all, state_.filter(), state_.search())) {
        shown.insert(sound.id);
    }
    for (SoundLibraryRow *row : rows_) {
        row->setVisible(shown.contains(row->sound().id));
    }
    const bool hasUserSounds = !model_.data().userSounds.empty();
    empty_->setText(SoundsScreenState::emptyText(state_.filter(), state_.search(), hasUserSounds));
    empty_->setVisible(shown.empty());
}

void SoundLibraryPanel::syncSelection() {
    const KeySet &keys = model_.selectedKeys();
    selection_->setText(QStringLiteral("Assign goes to ") + SoundsScreenState::selectionLabel(keys));
    selection_->setVisible(!keys.empty());
    for (SoundLibraryRow *row : rows_) {
        row->refresh();
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

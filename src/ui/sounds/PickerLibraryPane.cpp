#include "ui/sounds/PickerLibraryPane.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/PillButton.h"
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

namespace tc {

namespace {

constexpr int kColumnWidth = 160;
constexpr int kRowHeight = 36;
constexpr int kGridColumns = 3;
constexpr int kGridSpacing = 10;

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
    grid_ = new QWidget;
    grid_->setAttribute(Qt::WA_TranslucentBackground);
    gridLayout_ = new QGridLayout(grid_);
    gridLayout_->setContentsMargins(2, 2, 2, 2);
    gridLayout_->setHorizontalSpacing(kGridSpacing);
    gridLayout_->setVerticalSpacing(kGridSpacing);
    gridLayout_->setAlignment(Qt::AlignTop);
    for (int c = 0; c < kGridColumns; ++c) {
        gridLayout_->setColumnStretch(c, 1);
    }
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
        rebuild();
        scroll_->verticalScrollBar()->setValue(0);
    });
    connect(&state_, &SoundPickerState::chosenChanged, this, &PickerLibraryPane::updateRings);
    // New or removed user sounds, and the built-ins' durations once they are loaded.
    connect(&model_, &AppModelSignals::soundsVersionChanged, this, &PickerLibraryPane::rebuild);
    connect(&model_, &AppModelSignals::soundsReadyChanged, this, &PickerLibraryPane::rebuild);
    rebuild();
}

int PickerLibraryPane::shownCount(SoundCategory category) const {
    return counts_[indexOf(category)];
}

void PickerLibraryPane::rebuild() {
    const auto sounds = model_.allSounds();
    counts_ = counts(sounds);
    for (const auto &entry : rows_) {
        entry.second->update();
    }

    for (auto *card : cards_) {
        gridLayout_->removeWidget(card);
        card->hide();
        card->deleteLater();
    }
    cards_.clear();

    const auto shown = soundsIn(sounds, state_.category());
    auto *pages = static_cast<QStackedLayout *>(scroll_->parentWidget()->layout());
    if (shown.empty()) {
        pages->setCurrentWidget(empty_);
        return;
    }
    pages->setCurrentWidget(scroll_);
    int index = 0;
    for (const auto &sound : shown) {
        const std::string id = sound.id;
        auto *card = new PickerSoundCard(
            sound, [this, id] { choose(id); }, [this, id] { model_.preview(id); }, grid_);
        gridLayout_->addWidget(card, index / kGridColumns, index % kGridColumns);
        card->installEventFilter(this);
        cards_.push_back(card);
        ++index;
    }
    updateRings();
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
    if (cards_.empty() || !scroll_->isVisibleTo(this)) {
        return false;
    }
    PickerSoundCard *target = cards_.front();
    for (auto *card : cards_) {
        if (state_.chosen() == card->sound().id) {
            target = card;
        }
    }
    target->setFocus(Qt::TabFocusReason);
    scroll_->ensureWidgetVisible(target);
    return true;
}

bool PickerLibraryPane::eventFilter(QObject *watched, QEvent *event) {
    const auto found = std::find(cards_.begin(), cards_.end(), watched);
    if (event->type() == QEvent::FocusIn && found != cards_.end()) {
        // Focus given before the sheet was laid out (the chosen card as it opens) scrolls to the card once it
        // arrives.
        scroll_->ensureWidgetVisible(*found);
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(event);
    if (found == cards_.end() || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
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
    const auto index = (found - cards_.begin()) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(cards_.size())) {
        return true; // the grid's edge: focus stays on the card
    }
    PickerSoundCard *target = cards_[static_cast<std::size_t>(index)];
    target->setFocus(Qt::TabFocusReason);
    scroll_->ensureWidgetVisible(target);
    choose(target->sound().id);
    return true;
}

} // namespace tc

#include "ui/triggers/TriggerList.h"

#include "app/AppModel.h"
#include "ui/kit/Card.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/triggers/TriggerRow.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

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

TriggerList::TriggerList(AppModel &model, TriggerApps apps, QWidget *parent)
    : QWidget(parent), model_(model), apps_(std::move(apps)) {
    setAttribute(Qt::WA_TranslucentBackground);
    applyCardShadow(this, kCorner);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside, and scrolls to each
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setAttribute(Qt::WA_TranslucentBackground);
    scroll_->viewport()->setAttribute(Qt::WA_TranslucentBackground);
    // The list fills the card from edge to edge: its bar keeps clear of the card's rounded corners, and rows
    // scrolled into a corner are cut along it.
    CardScrollBar::fit(scroll_, kCorner, true, true);
    CardScrollBar::clipToCard(scroll_, this, kCorner);
    PageWheel::scrollPageFirst(scroll_);
    content_ = new QWidget;
    content_->setAttribute(Qt::WA_TranslucentBackground);
    column_ = new QVBoxLayout(content_);
    column_->setContentsMargins(0, 0, 0, kCorner / 2);
    column_->setSpacing(0);
    scroll_->setWidget(content_);
    content_->setAutoFillBackground(false); // the card shows through
    layout->addWidget(scroll_);
    connect(&model_, &AppModelSignals::triggersChanged, this, &TriggerList::triggersChanged);
    model_.observe(AppModel::userSoundsChange, this, [this] { rebuild(); });
    rebuild();
}

void TriggerList::setSelectedID(std::optional<Uuid> id) {
    if (id == selectedID_) {
        return;
    }
    // Only the rows that gain or lose the selection are made again.
    const std::optional<Uuid> before = std::exchange(selectedID_, id);
    const auto &triggers = model_.data().triggers;
    if (stale_) {
        return;
    }
    if (triggers.size() != rows_.size() || repeatedIDs_) {
        rebuild();
        return;
    }
    refocusSelected_ = holdsFocus();
    for (const Trigger &trigger : triggers) {
        if (trigger.id == before || trigger.id == id) {
            replaceRow(trigger);
        }
    }
    refocusSelected_ = false;
}

bool TriggerList::holdsFocus() const {
    // Keyboard focus on a row stays on the selected row when the rows are made again.
    QWidget *focused = QApplication::focusWidget();
    return focused != nullptr && content_->isAncestorOf(focused);
}

std::vector<TriggerList::RowInfo> TriggerList::rows() const {
    const_cast<TriggerList *>(this)->buildIfStale();
    return rows_;
}

void TriggerList::showRow(const Uuid &id) {
    for (const RowInfo &row : rows_) {
        if (row.id == id && row.widget) {
            scroll_->ensureWidgetVisible(row.widget, 0, 0);
            return;
        }
    }
}

QStringList TriggerList::groupTitles() const {
    const_cast<TriggerList *>(this)->buildIfStale();
    return groups_;
}

void TriggerList::showEvent(QShowEvent *event) {
    buildIfStale();
    QWidget::showEvent(event);
}

void TriggerList::buildIfStale() {
    if (stale_) {
        build();
    }
}

void TriggerList::rebuild() {
    // A hidden list (the screen shows the graph) is built when it is shown or asked for.
    if (isVisible()) {
        build();
    } else {
        stale_ = true;
    }
}

void TriggerList::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), kCorner, Qt::white);
}

TriggerList::RowInfo TriggerList::makeRow(const Trigger &trigger, const QString &group) {
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
        content_);
    row->setFixedHeight(54);
    if (refocusSelected_ && isSelected) {
        refocusSelected_ = false;
        // The new row shows once the event loop turns; focus follows it then.
        QTimer::singleShot(0, row, [row] { row->setFocus(Qt::TabFocusReason); });
    }
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
    const QString soundName =
        sound ? ShownText::bounded(QString::fromStdString(sound->name)) : QStringLiteral("Missing sound");
    playsRow->addWidget(elidingLabel(soundName, Fonts::system(13, QFont::DemiBold), Theme::ink, plays), 1);
    line->addWidget(plays, 1);

    const QString where = apps_.whereText(document, trigger);
    auto *whereLabel = elidingLabel(where, Fonts::system(12), Theme::ink2, row);
    whereLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->addWidget(whereLabel, 1);

    auto *switchCell = new QWidget(row);
    switchCell->setFixedWidth(kOnColumn);
    auto *switchRow = new QHBoxLayout(switchCell);
    switchRow->setContentsMargins(0, 0, 0, 0);
    switchRow->addWidget(row->onOffSwitch(), 0, Qt::AlignLeft);
    line->addWidget(switchCell);

    return {id, group, soundName, where, isSelected, trigger.enabled, row};
}

void TriggerList::replaceRow(const Trigger &trigger) {
    for (RowInfo &info : rows_) {
        if (info.id != trigger.id) {
            continue;
        }
        QWidget *old = info.widget;
        info = makeRow(trigger, info.group);
        delete column_->replaceWidget(old, info.widget);
        old->hide();
        old->deleteLater(); // its own switch may be the one being clicked
        return;
    }
}

void TriggerList::triggersChanged(const std::vector<Uuid> &ids) {
    // Triggers edited in place keep their rows' places while they stay in their group: only their rows are made
    // again. Anything else (a trigger added, removed, moved, or gone to the other group) builds the list afresh.
    const AppData &document = model_.data();
    if (stale_) {
        return;
    }
    if (ids.empty() || document.triggers.size() != rows_.size() || repeatedIDs_) {
        rebuild();
        return;
    }
    std::vector<const Trigger *> changed;
    for (const Trigger &trigger : document.triggers) {
        if (std::find(ids.begin(), ids.end(), trigger.id) == ids.end()) {
            continue;
        }
        const auto row =
            std::find_if(rows_.begin(), rows_.end(), [&](const RowInfo &info) { return info.id == trigger.id; });
        const QString group = trigger.kind.isShortcut() ? QStringLiteral("Shortcuts") : QStringLiteral("Words");
        if (row == rows_.end() || row->group != group) {
            rebuild();
            return;
        }
        changed.push_back(&trigger);
    }
    refocusSelected_ = holdsFocus();
    for (const Trigger *trigger : changed) {
        replaceRow(*trigger);
    }
    refocusSelected_ = false;
}

void TriggerList::build() {
    stale_ = false;
    refocusSelected_ = holdsFocus();
    while (QLayoutItem *item = column_->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            widget->hide();
            widget->deleteLater(); // a row's own switch may be the one being clicked
        }
        delete item;
    }
    rows_.clear();
    groups_.clear();

    // The header row scrolls with the content.
    auto *header = new QWidget(content_);
    header->setFixedHeight(40);
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
    column_->addWidget(header);

    const AppData &document = model_.data();
    const auto group = [&](const QString &title, bool shortcuts) {
        std::vector<const Trigger *> members;
        for (const Trigger &trigger : document.triggers) {
            if (trigger.kind.isShortcut() == shortcuts) {
                members.push_back(&trigger);
            }
        }
        if (members.empty()) {
            return;
        }
        groups_ << title;
        auto *bar = new FilledBar(Theme::soft, content_);
        bar->setFixedHeight(34);
        auto *barRow = new QHBoxLayout(bar);
        barRow->setContentsMargins(kPadding, 0, kPadding, 0);
        barRow->addWidget(textLabel(title, Fonts::system(12, QFont::Bold), Theme::ink, bar));
        column_->addWidget(bar);

        for (const Trigger *trigger : members) {
            RowInfo info = makeRow(*trigger, title);
            QWidget *row = info.widget;
            column_->addWidget(row);
            auto *divider = new FilledBar(Theme::line, content_);
            divider->setFixedHeight(1);
            column_->addWidget(divider);
            rows_.push_back(std::move(info));
        }
    };
    group(QStringLiteral("Shortcuts"), true);
    group(QStringLiteral("Words"), false);
    column_->addStretch(1);
    // A hand-edited document may repeat an id; its rows cannot be told apart by id, so such a list is built whole.
    std::unordered_set<Uuid> ids;
    repeatedIDs_ = false;
    for (const RowInfo &row : rows_) {
        repeatedIDs_ = !ids.insert(row.id).second || repeatedIDs_;
    }
    refocusSelected_ = false;
}

} // namespace tc

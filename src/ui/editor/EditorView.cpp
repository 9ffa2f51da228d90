#include "ui/editor/EditorView.h"

#include "app/AppModel.h"
#include "ui/editor/CoachCard.h"
#include "ui/editor/EditToolbar.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/KeyboardCase.h"
#include "ui/editor/SoundTray.h"
#include "ui/editor/TestField.h"
#include "ui/editor/TitleBlock.h"

#include "app/Motion.h"
#include "ui/kit/SpringAnimator.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMoveEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr int kColumnSpacing = 18;
constexpr int kColumnGap = 24;
constexpr int kTopRowSpacing = 16;
constexpr int kLeastTitleGap = 12; // the least room between the title and the coach card, besides the spacing
constexpr int kCoachGap = kTopRowSpacing + kLeastTitleGap;
constexpr int kRightColumnReach = 16;

// The page's spring (response 0.35 s, damping 0.85) for rows that come and go.
constexpr qreal kResponse = 0.35;
constexpr qreal kDamping = 0.85;

// Grows a new row from nothing to `height`, or shrinks a leaving one to nothing and then deletes it; at once
// when motion is off.
void springRow(QWidget *row, int height, bool entering) {
    if (!entering && !motion::enabled()) {
        row->hide();
        row->deleteLater();
        return;
    }
    auto *spring = new SpringAnimator(
        kResponse, kDamping,
        [row, height](qreal value) {
            // Exactly its height of the moment: a row that has arrived keeps its full height however short the
            // page, the keyboard gives up room instead.
            row->setFixedHeight(std::max(0, qRound(height * std::clamp<qreal>(value, 0, 1))));
        },
        row);
    spring->jumpTo(entering ? 0 : 1);
    spring->animateTo(entering ? 1 : 0);
    if (!entering) {
        row->setAttribute(Qt::WA_TransparentForMouseEvents);
        QTimer::singleShot(qCeil(SpringAnimator::settleSeconds(kResponse, kDamping) * 1000), row, [row] {
            row->hide();
            row->deleteLater();
        });
    }
}

// Slides a leaving widget out through the top edge of its parent while it fades, then deletes it; at once when
// motion is off. The widget is out of every layout by then: the others take its room at once, while it goes
// over them.
void slideOutUp(QWidget *widget) {
    if (!motion::enabled()) {
        widget->hide();
        widget->deleteLater();
        return;
    }
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->raise();
    auto *opacity = new QGraphicsOpacityEffect(widget);
    widget->setGraphicsEffect(opacity); // in place of its shadow while it goes
    const QPoint start = widget->pos();
    const int travel = start.y() + widget->height(); // up to just past the parent's top edge
    auto *spring = new SpringAnimator(
        kResponse, kDamping,
        [widget, opacity, start, travel](qreal value) {
            opacity->setOpacity(std::clamp<qreal>(value, 0, 1));
            widget->move(start.x(), start.y() - qRound(travel * (1 - value)));
        },
        widget);
    spring->jumpTo(1);
    spring->animateTo(0);
    QTimer::singleShot(qCeil(SpringAnimator::settleSeconds(kResponse, kDamping) * 1000), widget, [widget] {
        widget->hide();
        widget->deleteLater();
    });
}

// The keyboard's place in the left column: the column's whole width (the case at most 1000 points of it) and
// exactly the height the case has at that width, so nothing else on the page changes the keyboard's size. The
// case itself lies under the other rows, so its soft shadow may reach below the place without pushing them.
class KeyboardSlot final : public QWidget {
public:
    explicit KeyboardSlot(QWidget *parent) : QWidget(parent) { setFixedHeight(heightFor(width())); }

    static int heightFor(int width) {
        const qreal caseWidth = std::clamp<qreal>(width, 0, KeyboardCase::kMaxWidth);
        return static_cast<int>(std::ceil(caseWidth / KeyboardCase::kAspect));
    }

    QSize sizeHint() const override { return {static_cast<int>(KeyboardCase::kMaxWidth), height()}; }
    QSize minimumSizeHint() const override { return {kLeastWidth, height()}; }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QWidget::resizeEvent(event);
        // The height follows the width only: the width never depends on the height, so this settles at once.
        setFixedHeight(heightFor(width()));
    }

private:
    static constexpr int kLeastWidth = 200;
};

} // namespace

EditorView::EditorView(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    const QMargins shadow = KeyboardCase::kShadowMargins;
    auto *row = new QHBoxLayout(this);
    row_ = row;
    // The keyboard's shadow margin on the left stands in for the page's padding there.
    // The right column may reach kRightColumnReach into the page's bottom padding (its last line is plain text),
    // so that at the window's default size the whole page shows without scrolling; the left column keeps the
    // full padding.
    row->setContentsMargins(std::max(0, kPadding - shadow.left()), kPadding, kPadding, kPadding - kRightColumnReach);
    row->setSpacing(0);

    left_ = new QWidget(this);
    column_ = new QVBoxLayout(left_);
    // 24 points between the columns; the keyboard's shadow reaches a little into that gap and is cut there.
    column_->setContentsMargins(shadow.left(), 0, kColumnGap, kRightColumnReach);
    column_->setSpacing(kColumnSpacing);
    topRow_ = new QHBoxLayout;
    topRow_->setSpacing(kTopRowSpacing);
    title_ = new TitleBlock(model_, left_);
    // The coach card goes at the row's end; the title takes all the room the card leaves, so a long name shows
    // as much of itself as the row has.
    topRow_->addWidget(title_, 1, Qt::AlignTop);
    coachGap_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    topRow_->addSpacerItem(coachGap_);
    column_->addLayout(topRow_);

    // The case is a child of the column but not in its layout: it sits over its slot, under its siblings.
    keyboard_ = new KeyboardCase(model_, left_);
    slot_ = new KeyboardSlot(left_);
    slot_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    slot_->setAttribute(Qt::WA_TransparentForMouseEvents);
    slot_->installEventFilter(this);
    left_->installEventFilter(this);
    column_->addWidget(slot_);

    toolbar_ = new EditToolbar(model_, EditToolbar::standardTools(), left_);
    toolbar_->installEventFilter(this);
    auto *toolRow = new QHBoxLayout;
    toolRow->addWidget(toolbar_);
    toolRow->addStretch(1);
    column_->addLayout(toolRow);
    column_->addStretch(1);
    row->addWidget(left_, 1);

    // The right column is part of the page: a page taller than the window scrolls it with the left column, by
    // the page's one scroll bar, so the tray is never cut inside a column that scrolls on its own.
    right_ = new QWidget(this);
    right_->setAttribute(Qt::WA_TranslucentBackground);
    right_->setFixedWidth(kColumnWidth);
    auto *content = right_;
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 8);
    stack->setSpacing(18);
    inspector_ = new Inspector(model_, content);
    stack->addWidget(inspector_, 0, Qt::AlignHCenter);
    tray_ = new SoundTray(model_, content);
    stack->addWidget(tray_, 0, Qt::AlignHCenter);
    stack->addStretch(1);
    row->addWidget(right_);

    connect(&model_, &AppModel::toolChanged, this, &EditorView::syncTestField);
    model_.observe(AppModel::settingsChange, this, [this] { syncCoach(); });
    syncCoach();
    syncTestField();
}

bool EditorView::event(QEvent *event) {
    if (event->type() == QEvent::ParentChange) {
        followPageScrollBar();
    }
    return QWidget::event(event);
}

void EditorView::followPageScrollBar() {
    if (pageBar_) {
        pageBar_->removeEventFilter(this);
    }
    pageBar_ = nullptr;
    disconnect(rangeWatch_);
    QWidget *viewport = parentWidget();
    auto *area = viewport ? qobject_cast<QAbstractScrollArea *>(viewport->parentWidget()) : nullptr;
    area_ = area && area->viewport() == viewport ? area : nullptr;
    if (area_) {
        // The page grows after the rows in it: the tool bar reaches its place before the range lets it be shown.
        rangeWatch_ = connect(area_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
            if (keepToolbar_) {
                keepToolbarInView();
            }
        });
    }
    if (area && area->viewport() == viewport && area->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded) {
        // The area shows and hides the box that holds its bar, not the bar itself.
        QWidget *bar = area->verticalScrollBar();
        pageBar_ = bar->parentWidget() && bar->parentWidget() != area ? bar->parentWidget() : bar;
        pageBar_->installEventFilter(this);
    }
    reserveForPageScrollBar();
}

void EditorView::reserveForPageScrollBar() {
    // In a scroll area the page is as wide as the area less its scroll bar while that shows. The bar's width is
    // kept free at the right edge while it is hidden, so the columns, and with them the keyboard, keep their
    // width when the page grows taller than the window (the test field opens, the coach turns into tips).
    int reserve = 0;
    if (pageBar_ && !pageBar_->isVisibleTo(pageBar_->parentWidget())) {
        auto *area = qobject_cast<QAbstractScrollArea *>(parentWidget()->parentWidget());
        reserve = area ? area->verticalScrollBar()->sizeHint().width() : 0;
    }
    const QMargins margins = row_->contentsMargins();
    if (margins.right() != kPadding + reserve) {
        row_->setContentsMargins(margins.left(), margins.top(), kPadding + reserve, margins.bottom());
    }
}

bool EditorView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == pageBar_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        reserveForPageScrollBar();
    }
    if (watched == slot_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        placeKeyboard();
    }
    if (watched == left_ && event->type() == QEvent::Resize) {
        placeCoach();
    }
    if (watched == toolbar_ && event->type() == QEvent::Move && area_) {
        const auto *move = static_cast<QMoveEvent *>(event);
        const QRect was(left_->mapTo(area_->viewport(), move->oldPos()), toolbar_->size());
        if (move->pos().y() > move->oldPos().y() && area_->viewport()->rect().contains(was)) {
            keepToolbar_ = true;
        }
        if (keepToolbar_) {
            keepToolbarInView();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EditorView::keepToolbarInView() {
    QScrollBar *bar = area_->verticalScrollBar();
    const auto excess = [this] {
        return toolbar_->mapTo(area_->viewport(), QPoint(0, toolbar_->height())).y() - area_->viewport()->height();
    };
    if (excess() > 0) {
        bar->setValue(bar->value() + excess());
    }
    // Once in view it needs nothing more; else the page has yet to grow to let it be.
    keepToolbar_ = excess() > 0;
}

void EditorView::placeKeyboard() {
    keyboard_->setGeometry(slot_->geometry().marginsAdded(KeyboardCase::kShadowMargins));
    keyboard_->lower();
}

void EditorView::syncCoach() {
    const bool wanted = !model_.data().settings.coachDismissed;
    if (wanted == (coach_ != nullptr)) {
        return;
    }
    if (!wanted) {
        setCoachGap(false);
        topRow_->removeWidget(coach_);
        column_->removeWidget(coach_);
        slideOutUp(coach_); // later: its own button may be what dismissed it
        coach_ = nullptr;
        return;
    }
    coach_ = new CoachCard(model_, CoachCard::standardSteps(), left_);
    coachBeside_ = std::nullopt;
    placeCoach();
}

std::optional<int> EditorView::coachWidthBeside(int contentWidth, int cardLeast) {
    if (contentWidth < kTitleLeast + kCoachGap + cardLeast) {
        return std::nullopt;
    }
    return std::clamp(contentWidth - kCoachGap - kTitleRoom, cardLeast, int(CoachCard::kMaxWidth));
}

void EditorView::placeCoach() {
    if (!coach_) {
        return;
    }
    // Beside the title while the column leaves both their room; under it on a narrow page, so neither is
    // squeezed. Only the column's width decides, never the title's content.
    const int least = coach_->leastWidth();
    const QMargins margins = column_->contentsMargins();
    const std::optional<int> besideWidth = coachWidthBeside(left_->width() - margins.left() - margins.right(), least);
    if (besideWidth) {
        coach_->setFixedWidth(*besideWidth);
    } else {
        coach_->setMinimumWidth(least);
        coach_->setMaximumWidth(CoachCard::kMaxWidth);
    }
    const bool beside = besideWidth.has_value();
    if (coachBeside_ == beside) {
        return;
    }
    coachBeside_ = beside;
    setCoachGap(beside);
    topRow_->removeWidget(coach_);
    column_->removeWidget(coach_);
    if (beside) {
        topRow_->addWidget(coach_, 0, Qt::AlignTop);
    } else {
        column_->insertWidget(column_->indexOf(slot_), coach_, 0, Qt::AlignLeft);
    }
}

void EditorView::setCoachGap(bool beside) {
    // The least room between the title and a coach card beside it; none without one, so the title has it all.
    coachGap_->changeSize(beside ? kLeastTitleGap : 0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    topRow_->invalidate();
}

void EditorView::syncTestField() {
    const bool wanted = model_.tool() == EditTool::test;
    if (wanted == (testField_ != nullptr)) {
        return;
    }
    if (!wanted) {
        springRow(testField_, TestField::kHeight, false);
        testField_ = nullptr;
        return;
    }
    // Made afresh each time, so it starts empty; it goes between the keyboard and the tool bar.
    testField_ = new TestField(left_);
    column_->insertWidget(column_->indexOf(slot_) + 1, testField_);
    springRow(testField_, TestField::kHeight, true);
}

} // namespace tc

#include "ui/apprules/AppRulesView.h"

#include "app/AppModel.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/RuleGridLayout.h"
#include "ui/apprules/SmartMuteCard.h"
#include "ui/apprules/SwitchLogCard.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/SectionTitle.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tc {

namespace {

// How far beyond what the scroll area shows cards are made ahead, in points.
constexpr int kMadeAhead = 600;

// Holds a rule card's place until the card is made: as tall as the "Everything else" card at any width.
class RuleCardPlaceholder final : public QLayoutItem {
public:
    explicit RuleCardPlaceholder(QWidget *model) : model_(model) {}
    QSize sizeHint() const override { return model_->sizeHint(); }
    QSize minimumSize() const override { return model_->minimumSizeHint(); }
    QSize maximumSize() const override { return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool isEmpty() const override { return false; }
    bool hasHeightForWidth() const override { return model_->hasHeightForWidth(); }
    int heightForWidth(int width) const override { return model_->heightForWidth(width); }
    void setGeometry(const QRect &rect) override { rect_ = rect; }
    QRect geometry() const override { return rect_; }

private:
    QWidget *model_;
    QRect rect_;
};

} // namespace

AppRulesView::AppRulesView(AppModel &model, AppDirectory directory, QWidget *parent)
    : QWidget(parent), model_(model), directory_(std::move(directory)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(28, 28, 28, 28);
    columns->setSpacing(24);

    auto *left = new QVBoxLayout;
    left->setSpacing(20);
    left->addWidget(
        new SectionTitle(QStringLiteral("App rules"), QStringLiteral("Profile follows the app you are in"), this), 0,
        Qt::AlignLeft);
    tip_ = tc::tipBanner(model_, QStringLiteral("apps"), QStringLiteral("app.badge"),
                         QStringLiteral("Tapchime follows the app you're in"),
                         QStringLiteral("Give an app its own pack, or keep it quiet. In calls Tapchime goes silent by "
                                        "itself: see Smart mute on the right."),
                         this);
    left->addWidget(tip_);

    scroll_ = new QScrollArea(this);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside, and scrolls to each
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setAutoFillBackground(false);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CardScrollBar::fit(scroll_, 0, false, false); // the program's slim bar, as in its cards
    PageWheel::scrollPageFirst(scroll_);
    scroll_->viewport()->setAutoFillBackground(false);
    gridHost_ = new QWidget;
    gridHost_->setAutoFillBackground(false);
    gridHost_->setAttribute(Qt::WA_TranslucentBackground);
    grid_ = new RuleGridLayout(gridHost_);
    // Room for the cards' shadows inside the scrolled area.
    grid_->setContentsMargins(4, 4, 4, 4);
    fallback_ = new RuleCard(model_, directory_, RuleCard::fallback(model_), gridHost_);
    addApp_ = new AddAppCard(model_, directory_, gridHost_);
    grid_->addWidget(fallback_);
    grid_->addWidget(addApp_);
    scroll_->setWidget(gridHost_);
    // Two rows of cards at least; on a short screen the page scrolls as a whole instead.
    scroll_->setMinimumHeight(2 * fallback_->sizeHint().height() + RuleGridLayout::gap + 8);
    left->addWidget(scroll_, 1);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { makeVisibleCards(); });
    connect(scroll_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { makeVisibleCards(); });

    switchLog_ = new SwitchLogCard(model_, this);
    left->addWidget(switchLog_);
    columns->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    right->setSpacing(18);
    rightNow_ = new RightNowCard(model_, this);
    smartMute_ = new SmartMuteCard(model_, this);
    right->addWidget(rightNow_);
    right->addWidget(smartMute_);
    right->addStretch(1);
    auto *rightHost = new QWidget(this);
    rightHost->setAttribute(Qt::WA_TranslucentBackground);
    rightHost->setFixedWidth(rightColumnWidth);
    rightHost->setLayout(right);
    right->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(rightHost);

    model_.observe(AppModel::profilesChange | AppModel::appRulesChange, this, [this] { syncCards(); });
    connect(&model_, &AppModelSignals::currentAppBundleIDChanged, this, &AppRulesView::syncCards);
    syncCards();
}

AppRulesView::~AppRulesView() = default;

void AppRulesView::syncCards() {
    // Keyed by application: a place that stays is updated in place (its card, when made), and the grid is only
    // laid out again when the rules or their order changed.
    const auto &rules = model_.data().appRules;
    std::unordered_map<std::string, Slot> old;
    for (const Slot &slot : slots_) {
        old.emplace(slot.bundleID, slot);
    }
    std::vector<Slot> next;
    std::unordered_set<std::string> shown;
    bool sameOrder = true;
    for (const AppRule &rule : rules) {
        // The first rule for an application is the one that counts; the model never makes a second.
        if (!shown.insert(rule.bundleID).second) {
            continue;
        }
        sameOrder = sameOrder && next.size() < slots_.size() && slots_[next.size()].bundleID == rule.bundleID;
        if (const auto it = old.find(rule.bundleID); it != old.end()) {
            Slot slot = it->second;
            if (slot.card != nullptr) {
                slot.card->setRule({rule.bundleID, rule.appName, rule.profileID, false});
            }
            next.push_back(slot);
            old.erase(it);
        } else {
            next.push_back({rule.bundleID, nullptr});
        }
    }
    sameOrder = sameOrder && next.size() == slots_.size();
    for (auto &[bundleID, gone] : old) {
        if (gone.card != nullptr) {
            gone.card->hide();
            // Later: the card's own button may be what removed it.
            gone.card->deleteLater();
        }
    }
    if (!sameOrder) {
        // Every place before "Everything else" and "Add app" is laid again; cards are kept, placeholders made anew.
        while (grid_->count() > 2) {
            delete grid_->takeAt(0);
        }
        for (std::size_t i = 0; i < next.size(); ++i) {
            if (next[i].card != nullptr) {
                grid_->insertWidget(static_cast<int>(i), next[i].card);
            } else {
                grid_->insertItem(static_cast<int>(i), new RuleCardPlaceholder(fallback_));
            }
        }
    }
    slots_ = std::move(next);
    fallback_->setRule(RuleCard::fallback(model_));
    makeVisibleCards();
}

void AppRulesView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // After the grid has its geometry.
    QTimer::singleShot(0, this, [this] { makeVisibleCards(); });
}

void AppRulesView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    QTimer::singleShot(0, this, [this] { makeVisibleCards(); });
}

void AppRulesView::makeVisibleCards() {
    if (!isVisible()) {
        return;
    }
    grid_->activate();
    const int top = scroll_->verticalScrollBar()->value();
    const QRect shown =
        QRect(0, top, gridHost_->width(), scroll_->viewport()->height()).adjusted(0, -kMadeAhead, 0, kMadeAhead);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].card == nullptr) {
            const QLayoutItem *item = grid_->itemAt(static_cast<int>(i));
            if (item != nullptr && item->geometry().intersects(shown)) {
                makeCard(i);
            }
        }
    }
}

RuleCard *AppRulesView::makeCard(std::size_t index) {
    Slot &slot = slots_[index];
    if (slot.card == nullptr) {
        slot.card = new RuleCard(model_, directory_, ruleFor(slot.bundleID), gridHost_);
        grid_->replaceAt(static_cast<int>(index), slot.card);
        slot.card->show();
    }
    return slot.card;
}

RuleCard::Rule AppRulesView::ruleFor(const std::string &bundleID) const {
    const auto &rules = model_.data().appRules;
    const auto it =
        std::find_if(rules.begin(), rules.end(), [&](const AppRule &rule) { return rule.bundleID == bundleID; });
    if (it == rules.end()) {
        return {bundleID, {}, std::nullopt, false}; // not reached: the places follow the document's rules
    }
    return {it->bundleID, it->appName, it->profileID, false};
}

std::vector<RuleCard *> AppRulesView::ruleCards() const {
    auto *self = const_cast<AppRulesView *>(this); // the cards are a cache of the places
    std::vector<RuleCard *> all;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        all.push_back(self->makeCard(i));
    }
    all.push_back(fallback_);
    return all;
}

RuleCard *AppRulesView::cardFor(const std::string &bundleID) const {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].bundleID == bundleID) {
            return const_cast<AppRulesView *>(this)->makeCard(i);
        }
    }
    return nullptr;
}

std::size_t AppRulesView::madeCards() const {
    return static_cast<std::size_t>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot &slot) { return slot.card != nullptr; }));
}

} // namespace tc

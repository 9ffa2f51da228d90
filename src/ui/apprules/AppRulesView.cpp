#include "ui/apprules/AppRulesView.h"

#include "app/AppModel.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/RuleGridLayout.h"
#include "ui/apprules/SmartMuteCard.h"
#include "ui/apprules/SwitchLogCard.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PageWheel.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/TransparentScroll.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_set>

namespace tc {

// The grid in the scroll area: a card for each rule near what shows, from the kit's pool, then "Everything
// else" and "Add app", which are always there. Each rule's place is worked out from the document.
class RuleGrid final : public ItemPool {
public:
    // Room for the cards' shadows inside the scrolled area.
    static constexpr int kMargin = 4;

    explicit RuleGrid(AppRulesView &view) : ItemPool(nullptr), view_(view) {
        setRovingFocus(); // thousands of rules are one Tab stop on the way to Smart mute
        setAutoFillBackground(false);
        setAttribute(Qt::WA_TranslucentBackground);
    }

    // Takes the document's rules again: the first rule for each application, in document order.
    void follow() {
        const auto &rules = view_.model_.data().appRules;
        std::unordered_set<std::string> seen;
        std::vector<Uuid> ids;
        rules_.clear();
        for (std::size_t i = 0; i < rules.size(); ++i) {
            // The first rule for an application is the one that counts; the model never makes a second.
            if (seen.insert(rules[i].bundleID).second) {
                rules_.push_back(i);
                ids.push_back(idFor(rules[i].bundleID));
            }
        }
        placeCells();
        setItems(std::move(ids));
    }

    const AppRule &ruleAt(std::size_t index) const { return view_.model_.data().appRules[rules_[index]]; }
    std::size_t count() const { return rules_.size(); }

    // Three columns at their widest, as tall as the grid is now: the page gives the grid the room its rows need
    // before the grid scrolls.
    QSize sizeHint() const override {
        return {static_cast<int>(3 * RuleGridLayout::maxColumn + 2 * RuleGridLayout::gap) + 2 * kMargin, height()};
    }

protected:
    QRect itemRect(std::size_t index) const override { return cells_[index]; }
    QWidget *makeWidget() override { return new RuleCard(view_.model_, view_.directory_, {}, this); }
    void bindWidget(QWidget *widget, std::size_t index) override {
        const AppRule &rule = ruleAt(index);
        static_cast<RuleCard *>(widget)->setRule({rule.bundleID, rule.appName, rule.profileID, false});
    }
    void resizeEvent(QResizeEvent *event) override {
        if (event->size().width() != event->oldSize().width()) {
            placeCells();
        }
        ItemPool::resizeEvent(event);
    }

private:
    // Where every cell goes at this width; the grid is as tall as they need.
    void placeCells() {
        const QRect area = rect().marginsRemoved(QMargins(kMargin, kMargin, kMargin, kMargin));
        const int cellWidth = qRound(RuleGridLayout::columns(area.width()).width);
        const auto heightOf = [cellWidth](const QWidget *widget) {
            return widget->hasHeightForWidth() ? widget->heightForWidth(cellWidth) : widget->sizeHint().height();
        };
        // Every rule card is as tall as "Everything else", whose text is one line whatever the names.
        std::vector<int> heights(rules_.size(), heightOf(view_.fallback_));
        heights.push_back(heightOf(view_.fallback_));
        heights.push_back(heightOf(view_.addApp_));
        cells_ = RuleGridLayout::cells(QRect(area.topLeft(), QSize(area.width(), 0)), heights);
        view_.fallback_->setGeometry(cells_[rules_.size()]);
        view_.addApp_->setGeometry(cells_[rules_.size() + 1]);
        // The last row is as tall as its tallest cell ("Add app" may be shorter, centred in it).
        int bottom = 0;
        for (const QRect &cell : cells_) {
            bottom = std::max(bottom, cell.bottom() + 1);
        }
        setFixedHeight(bottom + kMargin);
    }

    AppRulesView &view_;
    std::vector<std::size_t> rules_; // by place: the rule's index in the document
    std::vector<QRect> cells_;       // by place, then "Everything else" and "Add app"
};

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
    makeTransparentScroll(scroll_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CardScrollBar::fit(scroll_, 0, false, false); // the program's slim bar, as in its cards
    PageWheel::scrollPageFirst(scroll_);
    grid_ = new RuleGrid(*this);
    fallback_ = new RuleCard(model_, directory_, RuleCard::fallback(model_), grid_);
    addApp_ = new AddAppCard(model_, directory_, grid_);
    scroll_->setWidget(grid_);
    // Two rows of cards at least; on a short screen the page scrolls as a whole instead.
    scroll_->setMinimumHeight(2 * fallback_->sizeHint().height() + RuleGridLayout::gap + 2 * RuleGrid::kMargin);
    left->addWidget(scroll_, 1);

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
    // Cards stay with their applications; those made now read the document again (a rule's profile, a profile's
    // name, the application in front).
    grid_->follow();
    grid_->refreshAll();
    fallback_->setRule(RuleCard::fallback(model_));
}

std::vector<RuleCard *> AppRulesView::ruleCards() const {
    std::vector<RuleCard *> all;
    for (QWidget *widget : grid_->boundWidgets()) {
        all.push_back(static_cast<RuleCard *>(widget));
    }
    all.push_back(fallback_);
    return all;
}

RuleCard *AppRulesView::cardFor(const std::string &bundleID) {
    for (std::size_t i = 0; i < grid_->count(); ++i) {
        if (grid_->ruleAt(i).bundleID == bundleID) {
            return static_cast<RuleCard *>(grid_->showItem(i));
        }
    }
    return nullptr;
}

std::vector<QWidget *> AppRulesView::gridWidgets() const {
    std::vector<QWidget *> all;
    for (std::size_t i = 0; i < grid_->count(); ++i) {
        all.push_back(grid_->widgetAt(i));
    }
    all.push_back(fallback_);
    all.push_back(addApp_);
    return all;
}

std::size_t AppRulesView::madeCards() const {
    return grid_->madeWidgets();
}

} // namespace tc

#include "ui/apprules/AppRulesView.h"

#include "app/AppModel.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/RuleGridLayout.h"
#include "ui/apprules/SmartMuteCard.h"
#include "ui/apprules/SwitchLogCard.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/SectionTitle.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tc {

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
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setAutoFillBackground(false);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
    // Keyed by application: a card that stays is updated in place, and the grid is only reordered when the
    // order changed.
    const auto &rules = model_.data().appRules;
    std::unordered_map<std::string, RuleCard *> old;
    for (RuleCard *card : cards_) {
        old.emplace(card->rule().bundleID, card);
    }
    std::vector<RuleCard *> next;
    std::unordered_set<std::string> shown;
    for (const AppRule &rule : rules) {
        // The first rule for an application is the one that counts; the model never makes a second.
        if (!shown.insert(rule.bundleID).second) {
            continue;
        }
        RuleCard::Rule value{rule.bundleID, rule.appName, rule.profileID, false};
        if (const auto it = old.find(rule.bundleID); it != old.end()) {
            it->second->setRule(value);
            next.push_back(it->second);
            old.erase(it);
        } else {
            next.push_back(new RuleCard(model_, directory_, value, gridHost_));
        }
    }
    for (RuleCard *gone : cards_) {
        if (!old.contains(gone->rule().bundleID) || old.at(gone->rule().bundleID) != gone) {
            continue;
        }
        grid_->removeWidget(gone);
        gone->hide();
        // Later: the card's own button may be what removed it.
        gone->deleteLater();
    }
    if (next != cards_) {
        for (std::size_t i = 0; i < next.size(); ++i) {
            grid_->removeWidget(next[i]);
            grid_->insertWidget(static_cast<int>(i), next[i]);
            next[i]->show();
        }
    }
    cards_ = std::move(next);
    fallback_->setRule(RuleCard::fallback(model_));
}

std::vector<RuleCard *> AppRulesView::ruleCards() const {
    std::vector<RuleCard *> all = cards_;
    all.push_back(fallback_);
    return all;
}

RuleCard *AppRulesView::cardFor(const std::string &bundleID) const {
    const auto it =
        std::find_if(cards_.begin(), cards_.end(), [&](RuleCard *c) { return c->rule().bundleID == bundleID; });
    return it == cards_.end() ? nullptr : *it;
}

} // namespace tc

#pragma once

#include "ui/apprules/AppDirectory.h"

#include <QWidget>
#include <vector>

class QScrollArea;

namespace tc {

class AddAppCard;
class AppModel;
class RightNowCard;
class RuleCard;
class RuleGridLayout;
class SmartMuteCard;
class SwitchLogCard;
class TipBanner;

// The App rules section: on the left the title, the tip, the grid of rule cards (one per app rule, then
// "Everything else", then "Add app") in a scroll area and today's switch log under it; on the right, 340
// wide, what plays right now and the smart-mute settings.
//
// The cards follow the model: a new rule becomes a card before "Everything else", a removed rule's card
// goes, and cards that stay are updated in place. Every change is a model operation.
//
// Main thread only. The model must outlive the view.
class AppRulesView : public QWidget {
public:
    static constexpr int rightColumnWidth = 340;

    AppRulesView(AppModel &model, AppDirectory directory, QWidget *parent = nullptr);
    ~AppRulesView() override;

    // The rule cards in grid order, "Everything else" last.
    std::vector<RuleCard *> ruleCards() const;
    RuleCard *cardFor(const std::string &bundleID) const; // a rule card (not the fallback), or null
    RuleCard *fallbackCard() const { return fallback_; }
    AddAppCard *addAppCard() const { return addApp_; }
    RightNowCard *rightNowCard() const { return rightNow_; }
    SmartMuteCard *smartMuteCard() const { return smartMute_; }
    SwitchLogCard *switchLogCard() const { return switchLog_; }
    TipBanner *tipBanner() const { return tip_; }
    QScrollArea *scrollArea() const { return scroll_; }
    RuleGridLayout *grid() const { return grid_; }

private:
    // Brings the grid's cards in line with the document's rules.
    void syncCards();

    AppModel &model_;
    AppDirectory directory_;
    TipBanner *tip_;
    QScrollArea *scroll_;
    QWidget *gridHost_;
    RuleGridLayout *grid_;
    std::vector<RuleCard *> cards_; // the rules' cards, in document order
    RuleCard *fallback_;
    AddAppCard *addApp_;
    RightNowCard *rightNow_;
    SmartMuteCard *smartMute_;
    SwitchLogCard *switchLog_;
};

} // namespace tc

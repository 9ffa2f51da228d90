#pragma once

#include "ui/apprules/AppDirectory.h"
#include "ui/apprules/RuleCard.h"

#include <QWidget>
#include <vector>

class QScrollArea;

namespace tc {

class AddAppCard;
class AppModel;
class RightNowCard;
class RuleGrid;
class SmartMuteCard;
class SwitchLogCard;
class TipBanner;

// The App rules section: on the left the title, the tip, the grid of rule cards (one per app rule, then
// "Everything else", then "Add app") in a scroll area and today's switch log under it; on the right, 340
// wide, what plays right now and the smart-mute settings.
//
// The cards follow the model: a new rule becomes a card before "Everything else", a removed rule's card
// goes, and cards that stay are updated in place. Every change is a model operation. Cards are made only for
// the places near the visible part of the grid, from the kit's item pool, so two thousand rules cost what a
// screenful costs.
//
// Main thread only. The model must outlive the view.
class AppRulesView : public QWidget {
public:
    static constexpr int rightColumnWidth = 340;

    AppRulesView(AppModel &model, AppDirectory directory, QWidget *parent = nullptr);
    ~AppRulesView() override;

    // The rule cards made now in grid order, "Everything else" last.
    std::vector<RuleCard *> ruleCards() const;
    // The rule card of an application (not the fallback), scrolled into view and made now, or null.
    RuleCard *cardFor(const std::string &bundleID);
    // The grid's cells in order: each rule's card (null where none is made now), "Everything else", "Add app".
    std::vector<QWidget *> gridWidgets() const;
    // How many rule cards are made now (those near what shows, and a few spares).
    std::size_t madeCards() const;
    RuleCard *fallbackCard() const { return fallback_; }
    AddAppCard *addAppCard() const { return addApp_; }
    RightNowCard *rightNowCard() const { return rightNow_; }
    SmartMuteCard *smartMuteCard() const { return smartMute_; }
    SwitchLogCard *switchLogCard() const { return switchLog_; }
    TipBanner *tipBanner() const { return tip_; }
    QScrollArea *scrollArea() const { return scroll_; }

private:
    friend class RuleGrid;

    // Brings the grid's places in line with the document's rules.
    void syncCards();

    AppModel &model_;
    AppDirectory directory_;
    TipBanner *tip_;
    QScrollArea *scroll_;
    RuleGrid *grid_;
    RuleCard *fallback_;
    AddAppCard *addApp_;
    RightNowCard *rightNow_;
    SmartMuteCard *smartMute_;
    SwitchLogCard *switchLog_;
};

} // namespace tc

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
class RuleGridLayout;
class SmartMuteCard;
class SwitchLogCard;
class TipBanner;

// The App rules section: on the left the title, the tip, the grid of rule cards (one per app rule, then
// "Everything else", then "Add app") in a scroll area and today's switch log under it; on the right, 340
// wide, what plays right now and the smart-mute settings.
//
// The cards follow the model: a new rule becomes a card before "Everything else", a removed rule's card
// goes, and cards that stay are updated in place. Every change is a model operation. A card is made when it
// comes near the visible part of the grid (or is asked for); until then a placeholder of a card's size holds
// its place, so two thousand rules cost what a screenful costs.
//
// Main thread only. The model must outlive the view.
class AppRulesView : public QWidget {
public:
    static constexpr int rightColumnWidth = 340;

    AppRulesView(AppModel &model, AppDirectory directory, QWidget *parent = nullptr);
    ~AppRulesView() override;

    // The rule cards in grid order, "Everything else" last (every card is made now).
    std::vector<RuleCard *> ruleCards() const;
    RuleCard *cardFor(const std::string &bundleID) const; // a rule card (not the fallback, made now), or null
    // How many rule cards are made so far.
    std::size_t madeCards() const;
    RuleCard *fallbackCard() const { return fallback_; }
    AddAppCard *addAppCard() const { return addApp_; }
    RightNowCard *rightNowCard() const { return rightNow_; }
    SmartMuteCard *smartMuteCard() const { return smartMute_; }
    SwitchLogCard *switchLogCard() const { return switchLog_; }
    TipBanner *tipBanner() const { return tip_; }
    QScrollArea *scrollArea() const { return scroll_; }
    RuleGridLayout *grid() const { return grid_; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // One rule's place in the grid: the application, and its card, or null while a placeholder holds the place.
    // Only a card keeps its rule (with the name, which may be long): the places stand for thousands of rules.
    struct Slot {
        std::string bundleID;
        RuleCard *card = nullptr;
    };

    // Brings the grid's places in line with the document's rules.
    void syncCards();
    // Makes the cards of the places near what the scroll area shows.
    void makeVisibleCards();
    RuleCard *makeCard(std::size_t index);
    // The document's rule for an application, as a card shows it (the first rule for it, as the model keeps).
    RuleCard::Rule ruleFor(const std::string &bundleID) const;

    AppModel &model_;
    AppDirectory directory_;
    TipBanner *tip_;
    QScrollArea *scroll_;
    QWidget *gridHost_;
    RuleGridLayout *grid_;
    std::vector<Slot> slots_; // the rules' places, in document order
    RuleCard *fallback_;
    AddAppCard *addApp_;
    RightNowCard *rightNow_;
    SmartMuteCard *smartMute_;
    SwitchLogCard *switchLog_;
};

} // namespace tc

#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QAbstractButton;
class QHBoxLayout;
class QScrollArea;

namespace tc {

class AppModel;
class PackCard;
class SpringAnimator;

// The first-run sheet, 720 × 640 on the dotted backdrop: the hero above one of two steps.
// - Keyboard access (while the model has no keyboard access): what is needed, the two steps with the first
//   waiting, "Show me how" (the allow action) and "Later" (ends onboarding without access).
// - Starter pack (once access is there): one card per profile of the document, sharing the row's width (the
//   row scrolls sideways when more cards than fit at their least width); a tap makes the profile active and
//   previews its sound; "Start typing" ends onboarding.
// The step is never stored: it follows the model's permissionGranted both ways, so the sheet moves on by
// itself the moment the keyboard monitor starts (on an X11 session at once), sliding in on a spring.
//
// Main thread only. The model must outlive the sheet.
class OnboardingView : public QDialog {
    Q_OBJECT
public:
    enum class Step { permission, pack };

    static constexpr int kWidth = 720;
    static constexpr int kHeight = 640; // the least height; a taller step makes the sheet taller
    // The sheet's height for a step's content: the hero, the insets and the step at its wanted height.
    static int heightFor(const QWidget &step);

    explicit OnboardingView(AppModel &model, QWidget *parent = nullptr);
    ~OnboardingView() override;

    static Step stepFor(bool permissionGranted) { return permissionGranted ? Step::pack : Step::permission; }

    Step step() const { return step_; }
    // The shown step's content and its buttons (null where the other step shows), for tests.
    QWidget *stepContent() const { return content_; }
    QAbstractButton *showMeHowButton() const { return showMeHow_; }
    QAbstractButton *laterButton() const { return later_; }
    QAbstractButton *startTypingButton() const { return startTyping_; }
    const std::vector<PackCard *> &packCards() const { return cards_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static constexpr int kTopMargin = 24;
    static constexpr int kHeroHeight = 190;
    static constexpr int kStepInset = 40;    // from either side
    static constexpr int kStepTopInset = 26; // from top and bottom
    // Makes the sheet as tall as heightFor() the shown step.
    void fitToStep();
    void syncStep(bool animated);
    QWidget *buildPermissionStep();
    QWidget *buildPackStep();
    void fillPackCards();
    void refreshSelection();
    void placeContent();

    AppModel &model_;
    Step step_ = Step::permission;
    QWidget *stepHost_ = nullptr;
    QWidget *content_ = nullptr;
    SpringAnimator *slide_ = nullptr;
    qreal slideOffset_ = 0;

    QAbstractButton *showMeHow_ = nullptr;
    QAbstractButton *later_ = nullptr;
    QAbstractButton *startTyping_ = nullptr;
    QScrollArea *cardBand_ = nullptr; // scrolls the card row sideways when the cards do not fit
    QHBoxLayout *cardRow_ = nullptr;
    std::vector<PackCard *> cards_;
    QString cardsShown_; // what the cards were made from, to remake them only when a profile changed
};

} // namespace tc

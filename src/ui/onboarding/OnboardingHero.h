#pragma once

#include <QWidget>

namespace tc {

// The decoration at the top of the onboarding sheet: four tilted mini caps (yellow burst, blue cat, red game
// controller, white "K") around a large white key cap whose face shows two upright Theme.ink capsules, the
// eyes of the program's mascot. Drawn centred in the widget; no interaction.
class OnboardingHero : public QWidget {
public:
    explicit OnboardingHero(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tc

#pragma once

#include "app/Silence.h"

#include <QWidget>
#include <functional>
#include <string_view>

class QAbstractButton;
class QLabel;

namespace tc {

class FittingText;

// The tray panel's card for a silence: a white card, 150 points high, with a dashed orange border; the
// cause's icon and "NOT PLAYING", the silence's title in large type (one line, shrinking to 60 % before it
// is cut), its detail and, when the silence has a remedy, a black pill button labelled with it that runs
// `fix`. It only shows the silence; what the remedy does is the caller's. Main thread only.
class SilenceCard : public QWidget {
public:
    static constexpr int fixedHeight = 150;
    static constexpr qreal corner = 22;

    SilenceCard(const Silence &silence, std::function<void()> fix, QWidget *parent = nullptr);

    // The symbol shown for each cause.
    static std::string_view symbol(Silence::Kind kind);

    const Silence &silence() const { return silence_; }
    QAbstractButton *fixButton() const { return fixButton_; }
    const FittingText *titleText() const { return title_; }
    const QLabel *detailLabel() const { return detail_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Silence silence_;
    std::function<void()> fix_;
    FittingText *title_;
    QLabel *detail_;
    QAbstractButton *fixButton_ = nullptr;
};

} // namespace tc

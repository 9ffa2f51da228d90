#pragma once

#include "app/AppTypes.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

class QAbstractButton;
class QLabel;
class QStackedLayout;

namespace tc {

class AppModel;

// The dark card beside the page title that walks a new user through the first steps (select a key, give it
// a sound, test it), marking each done as the model's coach step grows, then shows a grid of tips with links
// to other sections. "Skip" or "Got it" dismisses it for good (stored in the document). Main thread.
class CoachCard : public QWidget {
public:
    struct Tip {
        const char *symbol;
        QString text;
        std::optional<AppSection> link;
    };
    // How one step is drawn for the current coach step.
    enum class StepState { pending, active, done };

    static constexpr int kMaxWidth = 500;

    // The editor's three steps, in order.
    static QStringList standardSteps();
    // The four tips, in order.
    static const std::vector<Tip> &tips();
    // Step `index` (from 0) when the coach is at `current` (from 1).
    static StepState stepState(int index, int current);
    // "Open Triggers →".
    static QString linkTitle(AppSection section);

    CoachCard(AppModel &model, QStringList steps, QWidget *parent = nullptr);

    // The narrowest the card may be without cutting a text: its header with the longer of its two titles, and
    // the longest word of every step and tip beside its bubble, so wrapping never has to break a word.
    int leastWidth() const;

    QString title() const;
    QAbstractButton *dismissButton() const { return dismiss_; }
    // Whether the tips grid shows (the coach is at step 4 or beyond).
    bool showsTips() const;
    // The tip links, in tip order.
    QList<QAbstractButton *> links() const { return links_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void sync();
    // The width of one of `columns` equal columns of a card `width` wide.
    static int cellWidth(int width, int columns, int spacing);

    AppModel &model_;
    QStringList steps_;
    QLabel *title_;
    QAbstractButton *dismiss_;
    QWidget *stepsRow_;
    QWidget *tipsGrid_;
    QList<QAbstractButton *> links_;
    std::vector<QWidget *> stepCells_;
    std::vector<QLabel *> stepTexts_;
    std::vector<QWidget *> tipCells_;
    std::vector<QLabel *> tipTexts_;
    std::vector<QAbstractButton *> tipLinks_; // null for a tip without a link
    int shownStep_ = -1;
};

} // namespace tc

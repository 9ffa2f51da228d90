#pragma once

#include <QPointer>
#include <QWidget>
#include <optional>

class QAbstractScrollArea;
class QHBoxLayout;
class QSpacerItem;
class QVBoxLayout;

namespace tc {

class AppModel;
class CoachCard;
class EditToolbar;
class Inspector;
class KeyboardCase;
class SoundTray;
class TestField;
class TitleBlock;

// The Keys section: on the left the title block with the coach card beside it (until dismissed), the drawn
// keyboard, the test field while the Test tool is chosen, and the tool bar; on the right a 340-wide column
// with the inspector over the sound tray. The keyboard takes the left column's whole width (up
// to its largest size) and the height that width gives it, whatever else the page shows; a page taller than
// the window scrolls as a whole. Rows that grow above the tool bar (the test field, the coach's tips, the rows of
// the page's own first layout) never push it out of the window: the page scrolls along with them, so the tools
// stay in reach on a laptop's screen. The page holds no state of its own: each piece follows the model.
// Main thread.
class EditorView : public QWidget {
public:
    static constexpr int kColumnWidth = 340;
    static constexpr int kPadding = 28;
    // The room the title block keeps beside the coach card: at least the first, the second when the column
    // has it. Fixed figures, so the card never moves or resizes when the legend grows or shrinks.
    static constexpr int kTitleLeast = 300;
    static constexpr int kTitleRoom = 440;

    // The coach card's width beside the title block in a left column with `contentWidth` points inside its
    // margins, for a card that needs at least `cardLeast`; nothing when the card goes under the title.
    static std::optional<int> coachWidthBeside(int contentWidth, int cardLeast);

    explicit EditorView(AppModel &model, QWidget *parent = nullptr);

    TitleBlock *titleBlock() const { return title_; }
    // The coach card, while it shows.
    CoachCard *coachCard() const { return coach_; }
    KeyboardCase *keyboard() const { return keyboard_; }
    // The test field, while the Test tool is chosen.
    TestField *testField() const { return testField_; }
    EditToolbar *toolbar() const { return toolbar_; }
    Inspector *inspector() const { return inspector_; }
    SoundTray *soundTray() const { return tray_; }
    QWidget *rightColumn() const { return right_; }
    QWidget *leftColumn() const { return left_; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void syncCoach();
    void syncTestField();
    void placeKeyboard();
    void placeCoach();
    void setCoachGap(bool beside);
    void followPageScrollBar();
    void reserveForPageScrollBar();
    // Scrolls the page as far as its range allows to bring the tool bar's bottom edge back into the window.
    void keepToolbarInView();

    AppModel &model_;
    QHBoxLayout *row_;
    // The scroll bar of the scroll area the page sits in, if any, and the box it shows and hides in.
    QPointer<QWidget> pageBar_;
    QPointer<QAbstractScrollArea> area_;
    QMetaObject::Connection rangeWatch_;
    bool keepToolbar_ = false; // the tool bar was in view before it moved down: it stays there
    QWidget *left_;
    QVBoxLayout *column_;
    QHBoxLayout *topRow_;
    QSpacerItem *coachGap_;
    TitleBlock *title_;
    CoachCard *coach_ = nullptr;
    std::optional<bool> coachBeside_;
    QWidget *slot_;
    KeyboardCase *keyboard_;
    TestField *testField_ = nullptr;
    EditToolbar *toolbar_;
    QWidget *right_;
    Inspector *inspector_;
    SoundTray *tray_;
};

} // namespace tc

#pragma once

#include <QWidget>
#include <optional>

class QHBoxLayout;
class QScrollArea;
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
// that scrolls, with the inspector over the sound tray. The keyboard takes the room the left column leaves,
// so on a small screen its keys shrink. The page holds no state of its own: each piece follows the model.
// Main thread.
class EditorView : public QWidget {
public:
    static constexpr int kColumnWidth = 340;
    static constexpr int kPadding = 28;

    // Whether the coach card has room beside a title block of that width in a left column of that width.
    static bool coachFitsBeside(int columnWidth, int titleWidth);

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
    QScrollArea *rightColumn() const { return scroll_; }
    QScrollArea *leftColumn() const { return leftScroll_; }

    // The page takes the height it is given: the keyboard shrinks and the right column scrolls, so its
    // wrapped texts never make the window taller.
    bool hasHeightForWidth() const override { return false; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void syncCoach();
    void syncTestField();
    void placeKeyboard();
    void placeCoach();

    AppModel &model_;
    QScrollArea *leftScroll_;
    QWidget *left_;
    QVBoxLayout *column_;
    QHBoxLayout *topRow_;
    TitleBlock *title_;
    CoachCard *coach_ = nullptr;
    std::optional<bool> coachBeside_;
    QWidget *slot_;
    KeyboardCase *keyboard_;
    TestField *testField_ = nullptr;
    EditToolbar *toolbar_;
    QScrollArea *scroll_;
    Inspector *inspector_;
    SoundTray *tray_;
};

} // namespace tc

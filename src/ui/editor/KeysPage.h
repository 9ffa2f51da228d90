#pragma once

#include <QWidget>

class QVBoxLayout;

namespace tc {

class AppModel;
class EditToolbar;
class KeyboardCase;
class TestField;

// The Keys section: the drawn keyboard, the test field while the Test tool is chosen, and the tool bar, in one
// column. The test field is made afresh each time the Test tool is chosen, so it starts empty. Main thread.
class KeysPage : public QWidget {
    Q_OBJECT
public:
    explicit KeysPage(AppModel &model, QWidget *parent = nullptr);

    KeyboardCase *keyboard() const { return keyboard_; }
    EditToolbar *toolbar() const { return toolbar_; }
    // The test field, while the Test tool is chosen.
    TestField *testField() const { return testField_; }

private:
    void syncTestField();

    AppModel &model_;
    QVBoxLayout *column_;
    KeyboardCase *keyboard_;
    EditToolbar *toolbar_;
    TestField *testField_ = nullptr;
};

} // namespace tc

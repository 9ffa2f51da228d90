#pragma once

#include <QWidget>

class QAbstractButton;
class QLineEdit;

namespace tc {

// A one-line field to type into while the Test tool is chosen, so the user can hear the keyboard. It makes no
// sound itself and never talks to the model: keys typed here reach the keyboard monitor like keys typed in any
// other application. It takes the keyboard focus when it is shown. Main thread.
class TestField : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 48;
    static constexpr int kMaxWidth = 1000;

    explicit TestField(QWidget *parent = nullptr);

    QLineEdit *field() const { return field_; }
    // "Clear", shown only while the field holds text.
    QAbstractButton *clearButton() const { return clear_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *field_;
    QAbstractButton *clear_;
};

} // namespace tc

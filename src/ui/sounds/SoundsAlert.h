#pragma once

#include <QDialog>
#include <QString>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace tc {

// The Sounds screen's two alerts as one small window-modal dialog: a bold title, then either a message or a
// text field, then its buttons. Every text is plain (a file or sound name is shown as written). The screen
// opens it with open(), never exec(), so nothing waits on it; accepted() is the default button, rejected()
// the cancel button or a dismissal. However long its message, it is no taller than its screen: the message
// scrolls.
class SoundsAlert : public QDialog {
    Q_OBJECT
public:
    // "Couldn't import": the message and "OK".
    static SoundsAlert *importError(const QString &message, QWidget *parent);
    // "Rename sound": a field with the placeholder "Name" holding `name`, "Rename" and "Cancel"; no message.
    static SoundsAlert *rename(const QString &name, QWidget *parent);

    const QString &title() const { return title_; }
    void setMessage(const QString &message);
    QString message() const;
    // The rename field; null in the error alert.
    QLineEdit *field() const { return field_; }
    QAbstractButton *defaultButton() const { return default_; }
    // "Cancel"; null in the error alert.
    QAbstractButton *cancelButton() const { return cancel_; }

private:
    SoundsAlert(const QString &title, QWidget *parent);

    // The height the message may take: what the screen leaves beside the rest of the alert.
    int roomForMessage() const;

    QString title_;
    QLabel *heading_ = nullptr;
    QScrollArea *messageArea_ = nullptr;
    QLabel *message_ = nullptr;
    QString messageText_; // as given; the label may show it with break opportunities added
    QLineEdit *field_ = nullptr;
    QAbstractButton *default_ = nullptr;
    QAbstractButton *cancel_ = nullptr;
};

} // namespace tc

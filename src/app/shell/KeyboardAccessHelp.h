#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tc {

// How to give Tapchime keyboard access, shown where another system would open its privacy settings (the
// silence remedy, onboarding and settings ask for it through AppModel::keyboardAccessHelpRequested). On an X11
// session nothing is needed; on Wayland the user joins the "input" group: the command with a copy button, and
// the advice to log out and in again.
// Thread: the main thread.
class KeyboardAccessHelp final : public QDialog {
public:
    enum class Session { x11, wayland };

    static constexpr const char *kCommand = "sudo usermod -aG input $USER";

    explicit KeyboardAccessHelp(Session session, QWidget *parent = nullptr);

    // The session the program runs in now.
    static Session currentSession();
    // Shows the help for the current session, reusing the one already open.
    static void present(QWidget *parent = nullptr);

    QString explanation() const;
    QPushButton *copyButton() const { return copy_; }

private:
    QLabel *text_ = nullptr;
    QPushButton *copy_ = nullptr;
};

} // namespace tc

#include "app/shell/KeyboardAccessHelp.h"

#include "engine/linux/WaylandSession.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tc {

KeyboardAccessHelp::KeyboardAccessHelp(Session session, QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Keyboard access"));
    auto *layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    layout->addWidget(text_);

    if (session == Session::wayland) {
        text_->setText(QStringLiteral("Linux lets an app hear key presses in other apps only with keyboard access. "
                                      "Join the input group: open a Terminal and run"));
        auto *row = new QHBoxLayout;
        auto *command = new QLineEdit(QString::fromLatin1(kCommand), this);
        command->setReadOnly(true);
        command->setAccessibleName(QStringLiteral("Command"));
        command->setFont(QFont(QStringLiteral("JetBrains Mono")));
        row->addWidget(command, 1);
        copy_ = new QPushButton(QStringLiteral("Copy"), this);
        connect(copy_, &QPushButton::clicked, this, [this] {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(kCommand));
            copy_->setText(QStringLiteral("Copied"));
        });
        row->addWidget(copy_);
        layout->addLayout(row);
        auto *after = new QLabel(
            QStringLiteral("Then log out and log in again. Tapchime notices the moment you allow it."), this);
        after->setWordWrap(true);
        layout->addWidget(after);
    } else {
        text_->setText(QStringLiteral("Nothing to do on this desktop: on an X11 session Tapchime hears your keys as "
                                      "soon as it runs."));
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Focus starts where the next step is: copying the command, or closing when there is nothing to do.
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setDefault(true);
    (copy_ != nullptr ? static_cast<QWidget *>(copy_) : close)->setFocus(Qt::OtherFocusReason);
}

KeyboardAccessHelp::Session KeyboardAccessHelp::currentSession() {
    return isWaylandSession() ? Session::wayland : Session::x11;
}

void KeyboardAccessHelp::present(QWidget *parent) {
    static QPointer<KeyboardAccessHelp> open;
    if (!open) {
        open = new KeyboardAccessHelp(currentSession(), parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
}

QString KeyboardAccessHelp::explanation() const {
    return text_->text();
}

} // namespace tc

#pragma once

#include <QString>

#include <optional>

namespace tc {

// Whether the program starts when the user logs in.
// Thread: the main thread.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Registers (true) or unregisters (false) the program. Returns a description of the failure, or
    // nothing on success.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
    // Read back from the system: is the program registered now?
    virtual bool isEnabled() const = 0;
};

// The XDG autostart entry $XDG_CONFIG_HOME/autostart/tapchime.desktop: written to enable, removed to
// disable, and its presence (without Hidden=true) is the status.
class XdgAutostartLoginItem final : public LoginItem {
public:
    XdgAutostartLoginItem(); // the user's autostart folder, the running program's path
    XdgAutostartLoginItem(QString entryPath, QString programPath);

    std::optional<QString> setEnabled(bool enabled) override;
    bool isEnabled() const override;

    const QString &entryPath() const { return entryPath_; }
    // The text of the entry for a program at `programPath`.
    static QString entryText(const QString &programPath);

private:
    QString entryPath_;
    QString programPath_;
};

} // namespace tc

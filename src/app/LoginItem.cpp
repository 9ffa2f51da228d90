#include "app/LoginItem.h"

#include "app/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tc {

namespace {

QString defaultEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/autostart/tapchime.desktop";
}

// One argument of an Exec line: quoted when it holds a reserved character, with the characters that keep a
// meaning inside quotes escaped; then the backslashes doubled once more for the desktop file's string value.
QString execArgument(const QString &argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const auto c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
    }
    QString quoted;
    if (needsQuotes) {
        quoted += '"';
        for (const auto c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    // A literal "%" in Exec must be written "%%".
    quoted.replace('%', "%%");
    quoted.replace('\\', "\\\\");
    return quoted;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem()
    : XdgAutostartLoginItem(defaultEntryPath(), QCoreApplication::applicationFilePath()) {}

XdgAutostartLoginItem::XdgAutostartLoginItem(QString entryPath, QString programPath)
    : entryPath_(std::move(entryPath)), programPath_(std::move(programPath)) {}

QString XdgAutostartLoginItem::entryText(const QString &programPath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tapchime\n"
                          "Comment=Plays a sound on every key press\n"
                          "Exec=%1\n"
                          "Icon=tapchime\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(programPath));
}

std::optional<QString> XdgAutostartLoginItem::setEnabled(bool enabled) {
    if (enabled) {
        if (programPath_.isEmpty()) {
            return QStringLiteral("The program's own path is unknown.");
        }
        return writeFileAtomically(entryPath_, entryText(programPath_).toUtf8());
    }
    QFile file(entryPath_);
    if (file.exists() && !file.remove()) {
        return file.errorString();
    }
    return std::nullopt;
}

bool XdgAutostartLoginItem::isEnabled() const {
    QFile file(entryPath_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    bool inMainGroup = false;
    // Bounded: an autostart entry is a few hundred bytes.
    const auto lines = QString::fromUtf8(file.read(64 * 1024)).split('\n');
    for (auto line : lines) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const auto key = line.section('=', 0, 0).trimmed();
        const auto value = line.section('=', 1).trimmed();
        if ((key == QLatin1String("Hidden") && value == QLatin1String("true")) ||
            (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"))) {
            return false;
        }
    }
    return true;
}

} // namespace tc

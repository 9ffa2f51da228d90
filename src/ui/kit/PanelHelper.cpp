#include "ui/kit/PanelHelper.h"

#include "app/AppModel.h"
#include "engine/SystemWatchers.h"
#include "ui/kit/AppChooserDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QPixmap>
#include <algorithm>

namespace tc {

namespace {

bool drawsSomething(const QPixmap &pixmap) {
    if (pixmap.isNull()) {
        return false;
    }
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (std::any_of(line, line + image.width(), [](QRgb pixel) { return qAlpha(pixel) > 0; })) {
            return true;
        }
    }
    return false;
}

} // namespace

QIcon PanelHelper::iconFromDesktopIcon(const QString &icon) {
    if (icon.isEmpty()) {
        return {};
    }
    QIcon found;
    if (QDir::isAbsolutePath(icon)) {
        found = QFileInfo(icon).isFile() ? QIcon(icon) : QIcon();
    } else {
        found = QIcon::fromTheme(icon);
    }
    // A theme may list an icon whose file cannot be drawn (an image in a format the program has no reader for),
    // or one that draws nothing (an SVG whose only content is text in a font that is missing): that counts as
    // none, so the caller draws its lettered tile rather than an empty square.
    if (found.isNull() || !drawsSomething(found.pixmap(QSize(32, 32)))) {
        return {};
    }
    return found;
}

QIcon PanelHelper::icon(const QString &bundleID, const std::vector<InstalledApp> &installed) {
    const auto it = std::find_if(installed.begin(), installed.end(),
                                 [&](const InstalledApp &app) { return app.bundleID == bundleID; });
    return it == installed.end() ? QIcon() : iconFromDesktopIcon(it->icon);
}

QIcon PanelHelper::icon(const QString &bundleID, const DesktopApps &apps) {
    const std::optional<InstalledApp> app = apps.find(bundleID);
    return app ? iconFromDesktopIcon(app->icon) : QIcon();
}

std::vector<RunningApp> PanelHelper::runningApps(DesktopApps &apps) {
    std::vector<RunningApp> running;
    for (const AppIdentity &app : apps.running()) {
        const QString id = QString::fromStdString(app.bundleId);
        running.push_back({id, QString::fromStdString(app.name), icon(id, apps)});
    }
    return runningApps(running, QString::fromLatin1(SystemWatchers::kOwnAppId));
}

std::optional<ChosenApp> PanelHelper::chooseApp(const DesktopApps &apps, QWidget *parent) {
    AppChooserDialog dialog(apps.installed(), parent);
    // The list read when the chooser was asked for lands while it is open: it shows then.
    QObject::connect(&apps, &DesktopApps::changed, &dialog, [&] { dialog.setInstalled(apps.installed()); });
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

std::vector<RunningApp> PanelHelper::runningApps(const std::vector<RunningApp> &running, const QString &selfID) {
    std::vector<RunningApp> apps;
    for (const RunningApp &app : running) {
        const bool listed = std::any_of(apps.begin(), apps.end(),
                                        [&](const RunningApp &other) { return other.bundleID == app.bundleID; });
        if (app.bundleID.isEmpty() || app.bundleID == selfID || listed) {
            continue;
        }
        RunningApp entry = app;
        if (entry.name.isEmpty()) {
            entry.name = entry.bundleID;
        }
        apps.push_back(std::move(entry));
    }
    std::stable_sort(apps.begin(), apps.end(), [](const RunningApp &a, const RunningApp &b) {
        return QString::localeAwareCompare(a.name.toCaseFolded(), b.name.toCaseFolded()) < 0;
    });
    return apps;
}

std::optional<ChosenApp> PanelHelper::chooseApp(const std::vector<InstalledApp> &installed, QWidget *parent) {
    AppChooserDialog dialog(installed, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

QString PanelHelper::packFileName(const QString &profileName) {
    QString name = profileName;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.remove(QChar(0));
    // A leading point would hide the file (and "." or ".." name no file at all): such points go.
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.'))) {
        name = name.mid(1).trimmed();
    }
    if (name.isEmpty()) {
        name = QStringLiteral("Pack");
    }
    return name + QStringLiteral(".tapchime");
}

QString PanelHelper::packNameFilter() {
    return packNameFilter(QMimeDatabase().mimeTypeForName(QStringLiteral("application/x-tapchime")).isValid());
}

QString PanelHelper::packNameFilter(bool packTypeInstalled) {
    return packTypeInstalled ? QStringLiteral("Tapchime pack (*.tapchime)")
                             : QStringLiteral("Tapchime pack (*.tapchime *.json)");
}

void PanelHelper::exportPack(const QString &profileName, const std::function<void(const QString &path)> &write,
                             QWidget *parent) {
    QFileDialog dialog(parent, QStringLiteral("Share Pack"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(packNameFilter());
    dialog.setDefaultSuffix(QStringLiteral("tapchime"));
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(packFileName(profileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QLatin1String(".tapchime"))) {
        path += QStringLiteral(".tapchime");
    }
    if (write) {
        write(path);
    }
}

void PanelHelper::exportPack(AppModel &model, QWidget *parent) {
    const QString name = QString::fromStdString(model.data().activeProfile().name);
    exportPack(
        name,
        [&model](const QString &path) {
            // The document is read again at the moment of writing, and written on the model's worker; a
            // failed export is not reported.
            model.exportPackAsync(std::filesystem::path(path.toStdString()));
        },
        parent);
}

} // namespace tc

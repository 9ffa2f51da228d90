#include "ui/sounds/SoundFilePanels.h"

#include "ui/kit/PanelHelper.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

namespace tc {

namespace {

// The patterns inside a name filter: "Tapchime pack (*.tapchime *.json)" gives "*.tapchime *.json".
QString patternsOf(const QString &filter) {
    const auto match = QRegularExpression(QStringLiteral("\\(([^)]*)\\)")).match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QStringList SoundFilePanels::audioPatterns() {
    return {QStringLiteral("*.wav"),  QStringLiteral("*.mp3"),  QStringLiteral("*.m4a"),  QStringLiteral("*.aac"),
            QStringLiteral("*.flac"), QStringLiteral("*.ogg"),  QStringLiteral("*.oga"),  QStringLiteral("*.opus"),
            QStringLiteral("*.aif"),  QStringLiteral("*.aiff"), QStringLiteral("*.aifc"), QStringLiteral("*.caf"),
            QStringLiteral("*.mp4"),  QStringLiteral("*.mka"),  QStringLiteral("*.webm"), QStringLiteral("*.wma")};
}

QStringList SoundFilePanels::importNameFilters(const QString &packFilter) {
    const QString audio = audioPatterns().join(QLatin1Char(' '));
    return {QStringLiteral("Sounds and packs (%1 %2)").arg(audio, patternsOf(packFilter)),
            QStringLiteral("Audio files (%1)").arg(audio), packFilter};
}

SoundFilePanels SoundFilePanels::system() {
    SoundFilePanels panels;
    panels.chooseImportFiles = [](QWidget *parent) {
        QFileDialog dialog(parent, QStringLiteral("Import"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters(importNameFilters(PanelHelper::packNameFilter()));
        dialog.setDirectory(QDir::homePath());
        if (dialog.exec() != QDialog::Accepted) {
            return QStringList();
        }
        return dialog.selectedFiles();
    };
    panels.choosePackFile = [](QWidget *parent) -> std::optional<QString> {
        QFileDialog dialog(parent, QStringLiteral("Import a pack"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(PanelHelper::packNameFilter());
        dialog.setDirectory(QDir::homePath());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty() ||
            dialog.selectedFiles().constFirst().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().constFirst();
    };
    panels.sharePack = [](AppModel &model, QWidget *parent) { PanelHelper::exportPack(model, parent); };
    return panels;
}

} // namespace tc

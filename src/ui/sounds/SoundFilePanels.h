#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace tc {

class AppModel;

// The file panels of the Sounds screen, as functions so tests can stand in for the user (no test ever runs a
// modal panel). system() gives the real ones: modal QFileDialogs on the main thread.
struct SoundFilePanels {
    // "Import": audio files and share packs, several at once; the chosen paths in the panel's order, empty
    // when cancelled.
    std::function<QStringList(QWidget *parent)> chooseImportFiles;
    // "Import a pack": one share pack, or nothing when cancelled.
    std::function<std::optional<QString>(QWidget *parent)> choosePackFile;
    // "Share as .tapchime…": the save panel for the model's active profile, which writes it on OK. Failures
    // are not shown.
    std::function<void(AppModel &model, QWidget *parent)> sharePack;

    static SoundFilePanels system();

    // The name filters of the "Import" panel: audio and packs together first, then each alone.
    static QStringList importNameFilters(const QString &packFilter);
    // The audio files the panels offer, as patterns ("*.wav", ...).
    static QStringList audioPatterns();
};

} // namespace tc

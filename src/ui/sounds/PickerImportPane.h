#pragma once

#include <QAbstractButton>
#include <QList>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QLabel;

namespace tc {

class AppModel;
class SoundPickerState;
struct ImportResult;

// The sound picker's Import tab: a dashed 600 by 300 drop zone, centred, that takes an audio file dropped on
// it (the first of the dropped files) or chosen with "Choose file…", imports it through the model as a sound
// of the user's own (read on the model's worker), chooses it, shows My sounds and previews it. A failed import shows
// the library's message in red under the button (and in the sheet's footer); the next successful import clears it. The
// zone turns darker and more opaque while a file drag hovers it.
class PickerImportPane : public QWidget {
    Q_OBJECT
public:
    // Asks the user for one file; nothing when cancelled.
    using Chooser = std::function<std::optional<std::filesystem::path>(QWidget *parent)>;

    PickerImportPane(AppModel &model, SoundPickerState &state, QWidget *parent = nullptr);

    // Replaces the open panel (tests answer it themselves).
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    // The modal open panel for one audio file.
    static std::optional<std::filesystem::path> openPanel(QWidget *parent);
    // That panel before it runs: in the home folder, offering the audio files the Sounds screen's Import
    // offers (the panels share one list of patterns).
    static std::unique_ptr<QFileDialog> makeOpenPanel(QWidget *parent);

    // The file a drop of these URLs imports: the first URL when it names a local file.
    static std::optional<std::filesystem::path> droppedFile(const QList<QUrl> &urls);

    // Imports the file on the model's worker and, on success, chooses it; on failure shows the error.
    // Meanwhile "Choose file…" is disabled and says "Importing…"; a file dropped meanwhile is imported too,
    // and only the newest is chosen.
    void importFile(const std::filesystem::path &path);
    bool importing() const { return task_.has_value(); }
    // Stops waiting for the import in progress (the sheet is closing): its sound still comes in, but is
    // neither chosen nor played here.
    void forgetImport();
    void chooseFile();

    QWidget *dropZone() const { return zone_; }
    QAbstractButton *chooseButton() const { return choose_; }
    // The error line (hidden while there is no error).
    QLabel *errorLabel() const { return error_; }

signals:
    // A file came in and is chosen.
    void imported();

private:
    void importFinished(const ImportResult &result);

    AppModel &model_;
    SoundPickerState &state_;
    Chooser chooser_;
    QWidget *zone_;
    QAbstractButton *choose_;
    QLabel *error_;
    std::optional<int> task_; // the model's task of the file being imported
};

} // namespace tc

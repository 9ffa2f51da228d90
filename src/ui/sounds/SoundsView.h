#pragma once

#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsAlert.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <set>

class QAbstractButton;
class QLineEdit;
class QScrollArea;

namespace tc {

class AppModel;
class LabelPillButton;
class PacksRow;
struct ImportResult;
class SectionTitle;
class SoundLibraryPanel;
class SoundsScreenState;

// The Sounds section's page: the title with the numbers of sounds and packs, the search field and "Import";
// the tip; the packs row; the library of every sound. Audio files and share packs come in through "Import"
// (several at once) or by dropping files anywhere on the page, which is outlined while files hover over it.
// A failed import shows the "Couldn't import" alert, and the row menu's "Rename…" the "Rename sound" alert;
// both open without blocking.
//
// Every change goes through the model; the page keeps only its view state (SoundsScreenState), made afresh
// with the page each time the section is entered. Main thread only; the model must outlive the page.
class SoundsView : public QWidget {
    Q_OBJECT
public:
    explicit SoundsView(AppModel &model, SoundFilePanels panels = SoundFilePanels::system(), QWidget *parent = nullptr);
    ~SoundsView() override;

    SoundsScreenState &state() const { return *state_; }

    // Imports each file in order: a ".tapchime" file (any case) as a share pack, any other as a sound. The
    // files are read on the model's worker; meanwhile "Import" is disabled and tells how far the batch is.
    // When it ends, a sound that came in selects "My sounds" and every failure of the batch is told in one
    // alert.
    void importFiles(const QStringList &paths);
    // Whether a batch this page started is still being imported.
    bool importing() const { return !imports_.empty(); }
    // "Import": the open panel, then importFiles() with the chosen files.
    void chooseAndImport();

    QString headerDetail() const;
    QLineEdit *searchField() const { return search_; }
    QAbstractButton *importButton() const;
    PacksRow *packsRow() const { return packs_; }
    SoundLibraryPanel *libraryPanel() const { return library_; }
    // The alerts while they are up; null otherwise.
    SoundsAlert *errorAlert() const { return errorAlert_; }
    SoundsAlert *renameAlert() const { return renameAlert_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void placeDropHighlight();
    void importProgress(int task, int done, int total);
    void importFinished(const ImportResult &result);
    // "Import", or what the running batch has done so far.
    void refreshImportButton(int done, int total);
    void refreshHeader();
    void showErrorAlert();
    void showRenameAlert();

    AppModel &model_;
    SoundFilePanels panels_;
    SoundsScreenState *state_;
    SectionTitle *title_;
    QLineEdit *search_;
    LabelPillButton *import_;
    PacksRow *packs_;
    SoundLibraryPanel *library_;
    QWidget *dropHighlight_;
    QPointer<SoundsAlert> errorAlert_;
    QPointer<SoundsAlert> renameAlert_;
    std::set<int> imports_; // the model's tasks of the batches this page started, until they end
};

} // namespace tc

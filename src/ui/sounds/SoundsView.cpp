#include "ui/sounds/SoundsView.h"

#include "app/AppModel.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/LabelPillButton.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SidewaysScrollArea.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TipBanner.h"
#include "ui/sounds/PacksRow.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundsAlert.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

namespace tc {

namespace {

// "Search sounds": the magnifying glass in Theme.ink3 and a plain field, 8 apart, 14 in from either side, on
// a white capsule 240 by 36.
class SearchField final : public QWidget {
public:
    explicit SearchField(QWidget *parent) : QWidget(parent), edit_(new QLineEdit(this)) {
        setFixedSize(240, 36);
        edit_->setFrame(false);
        edit_->setFont(Fonts::system(13));
        edit_->setPlaceholderText(QStringLiteral("Search sounds"));
        edit_->setAcceptDrops(false); // dropped files are imports, not text
        edit_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
        edit_->setGeometry(14 + 14 + 8, 0, width() - 14 - 14 - 8 - 14, height());
        edit_->setAccessibleName(QStringLiteral("Search sounds"));
        edit_->installEventFilter(this); // the capsule wears the focus ring while the text has focus
    }
    QLineEdit *edit() const { return edit_; }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsule(QRectF(rect())), Qt::white);
        Symbols::paint(painter, QRectF(14, 0, 14, height()), "magnifyingglass", 14, QFont::Normal, Theme::ink3);
        if (edit_->hasFocus()) {
            FocusRing::paint(painter, QRectF(rect()), FocusRing::kCapsule);
        }
    }
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == edit_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
            update();
        }
        return false;
    }

private:
    QLineEdit *edit_;
};

// While files hover over the page: a dashed Theme.ink outline 8 in from the edges of the part of the page in
// view and "Drop to add to My sounds" on a white capsule in its middle. It lets every mouse event through.
class DropHighlight final : public QWidget {
public:
    explicit DropHighlight(QWidget *parent) : QWidget(parent) {
        setObjectName(QStringLiteral("tc-drop-highlight"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outline = QRectF(rect()).adjusted(8, 8, -8, -8);
        QPen pen(Theme::ink, 3);
        pen.setDashPattern({8.0 / 3, 6.0 / 3});
        painter.strokePath(strokeBorderPath(outline, 16, 3), pen);

        const QFont font = Fonts::system(22, QFont::ExtraBold);
        const QString text = QStringLiteral("Drop to add to My sounds");
        const QFontMetricsF metrics(font);
        const QSizeF size(metrics.horizontalAdvance(text) + 40, metrics.height() + 40);
        const QRectF label(QPointF(width() / 2.0 - size.width() / 2, height() / 2.0 - size.height() / 2), size);
        painter.fillPath(capsule(label), Qt::white);
        painter.setFont(font);
        painter.setPen(Theme::ink);
        painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
};

// The local files of a drag, in order.
QStringList localFiles(const QMimeData *data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

std::filesystem::path fsPath(const QString &path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

SoundsView::SoundsView(AppModel &model, SoundFilePanels panels, QWidget *parent)
    : QWidget(parent), model_(model), panels_(std::move(panels)), state_(new SoundsScreenState(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(22);

    auto *header = new QHBoxLayout;
    header->setSpacing(10);
    title_ = new SectionTitle(QStringLiteral("Sounds"), QString(), this);
    header->addWidget(title_, 0, Qt::AlignBottom);
    header->addStretch(1);
    auto *search = new SearchField(this);
    search_ = search->edit();
    header->addWidget(search, 0, Qt::AlignBottom);
    import_ = new LabelPillButton({QStringLiteral("Import"), "plus", QString()}, BlackPillButtonStyle{36}, this);
    header->addWidget(import_, 0, Qt::AlignBottom);
    column->addLayout(header);

    column->addWidget(tipBanner(model_, QStringLiteral("sounds"), QStringLiteral("square.stack.3d.up.fill"),
                                QStringLiteral("Packs switch the whole keyboard"),
                                QStringLiteral("Use pack swaps every key at once. Below, \u25B6 plays a sound and "
                                               "Assign puts it on the key you selected."),
                                this));

    auto *band = new SidewaysScrollArea(this);
    band->setFixedHeight(188);
    packs_ = new PacksRow(model_, *state_, panels_, band);
    band->setWidget(packs_);
    packs_->setAutoFillBackground(false); // setWidget() turned it on; the backdrop shows through
    column->addWidget(band);

    library_ = new SoundLibraryPanel(model_, *state_, this);
    column->addWidget(library_, 1);

    dropHighlight_ = new DropHighlight(this);

    connect(search_, &QLineEdit::textChanged, state_, &SoundsScreenState::setSearch);
    connect(import_, &QAbstractButton::clicked, this, &SoundsView::chooseAndImport);
    connect(state_, &SoundsScreenState::dropTargetedChanged, this, [this] {
        placeDropHighlight();
        dropHighlight_->setVisible(state_->dropTargeted());
        dropHighlight_->raise();
    });
    connect(state_, &SoundsScreenState::errorTextChanged, this, &SoundsView::showErrorAlert);
    connect(state_, &SoundsScreenState::renamingChanged, this, &SoundsView::showRenameAlert);
    model_.observe(AppModel::profilesChange | AppModel::userSoundsChange, this, [this] { refreshHeader(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &SoundsView::refreshHeader);
    connect(&model_, &AppModel::soundsReadyChanged, this, &SoundsView::refreshHeader);
    connect(&model_, &AppModel::importProgress, this, &SoundsView::importProgress);
    connect(&model_, &AppModel::importFinished, this, &SoundsView::importFinished);
    refreshHeader();
}

SoundsView::~SoundsView() {
    // The alerts go with the page and answer to nobody.
    for (SoundsAlert *alert : {errorAlert_.data(), renameAlert_.data()}) {
        if (alert) {
            alert->disconnect(this);
        }
    }
}

QAbstractButton *SoundsView::importButton() const {
    return import_;
}

QString SoundsView::headerDetail() const {
    return SoundsScreenState::headerDetail(model_.allSounds().size(), model_.data().profiles.size());
}

void SoundsView::refreshHeader() {
    title_->setDetail(headerDetail());
}

void SoundsView::importFiles(const QStringList &paths) {
    if (paths.isEmpty()) {
        return;
    }
    std::vector<ImportRequest> files;
    files.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString &path : paths) {
        const bool pack = QFileInfo(path).suffix().toLower() == QLatin1String("tapchime");
        files.push_back({fsPath(path), pack ? ImportKind::pack : ImportKind::sound});
    }
    imports_.insert(model_.importFilesAsync(std::move(files)));
    refreshImportButton(0, static_cast<int>(paths.size()));
}

void SoundsView::importProgress(int task, int done, int total) {
    if (imports_.contains(task)) {
        refreshImportButton(done, total);
    }
}

void SoundsView::importFinished(const ImportResult &result) {
    if (imports_.erase(result.task) == 0) {
        return; // another view's import
    }
    std::vector<SoundsScreenState::Failure> failures;
    std::optional<std::string> lastSound; // the last sound that came in
    for (const ImportOutcome &file : result.files) {
        if (file.error) {
            const QString path = QFile::decodeName(QByteArray::fromStdString(file.path.string()));
            failures.push_back({QFileInfo(path).fileName(), QString::fromStdString(*file.error)});
        } else if (file.kind == ImportKind::sound && file.sound) {
            lastSound = file.sound->id;
        }
    }
    // "Import" takes its own label again first: the row of a new sound is shown in the layout that follows.
    refreshImportButton(0, 0);
    if (lastSound) {
        state_->setFilter(SoundCategory::mine);
        library_->showSound(*lastSound);
    }
    if (auto text = SoundsScreenState::importErrorText(failures)) {
        state_->setErrorText(std::move(text));
    }
}

void SoundsView::refreshImportButton(int done, int total) {
    import_->setEnabled(imports_.empty());
    if (imports_.empty()) {
        import_->setLabel({QStringLiteral("Import"), "plus", QString()});
    } else {
        import_->setLabel({SoundsScreenState::importingText(done, total), std::string(), QString()});
    }
}

void SoundsView::chooseAndImport() {
    if (!panels_.chooseImportFiles) {
        return;
    }
    importFiles(panels_.chooseImportFiles(window()));
}

void SoundsView::showErrorAlert() {
    const auto &text = state_->errorText();
    if (!text) {
        if (SoundsAlert *alert = errorAlert_) {
            errorAlert_ = nullptr;
            alert->reject();
        }
        return;
    }
    if (errorAlert_) {
        errorAlert_->setMessage(*text); // a later failure replaces the message
        return;
    }
    SoundsAlert *alert = SoundsAlert::importError(*text, this);
    errorAlert_ = alert;
    connect(alert, &QDialog::finished, this, [this, alert] {
        if (errorAlert_ == alert) {
            errorAlert_ = nullptr;
            state_->setErrorText(std::nullopt);
        }
    });
    alert->open();
}

void SoundsView::showRenameAlert() {
    const auto &sound = state_->renaming();
    if (!sound) {
        if (SoundsAlert *alert = renameAlert_) {
            renameAlert_ = nullptr;
            alert->reject();
        }
        return;
    }
    if (renameAlert_) {
        renameAlert_->field()->setText(state_->newName());
        return;
    }
    SoundsAlert *alert = SoundsAlert::rename(state_->newName(), this);
    renameAlert_ = alert;
    connect(alert->field(), &QLineEdit::textChanged, state_, &SoundsScreenState::setNewName);
    connect(alert, &QDialog::accepted, this, [this, alert] {
        if (renameAlert_ != alert) {
            return;
        }
        if (const auto &renaming = state_->renaming()) {
            model_.renameSound(renaming->id, state_->newName().toStdString());
        }
    });
    connect(alert, &QDialog::finished, this, [this, alert] {
        if (renameAlert_ == alert) {
            renameAlert_ = nullptr;
            state_->setRenaming(std::nullopt);
        }
    });
    alert->open();
}

void SoundsView::resizeEvent(QResizeEvent *) {
    placeDropHighlight();
}

// On a short screen the page scrolls as a whole: the highlight covers only what is in view, so its outline
// and its label are where the files hover.
void SoundsView::placeDropHighlight() {
    QRect shown = rect();
    for (QWidget *ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        shown &= QRect(mapFrom(ancestor, QPoint(0, 0)), ancestor->size());
        if (ancestor->isWindow()) {
            break;
        }
    }
    dropHighlight_->setGeometry(shown.isEmpty() ? rect() : shown);
}

void SoundsView::dragEnterEvent(QDragEnterEvent *event) {
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    state_->setDropTargeted(true);
}

void SoundsView::dragMoveEvent(QDragMoveEvent *event) {
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void SoundsView::dragLeaveEvent(QDragLeaveEvent *) {
    state_->setDropTargeted(false);
}

void SoundsView::dropEvent(QDropEvent *event) {
    state_->setDropTargeted(false);
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    importFiles(files);
}

} // namespace tc

#include "ui/sounds/PickerImportPane.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundPickerState.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>
#include <exception>

namespace tc {

namespace {

constexpr int kZoneWidth = 600;
constexpr int kZoneHeight = 300;
constexpr qreal kZoneCorner = 22;
constexpr QColor kIdleBorder(185, 185, 179);

// The dashed zone: it takes file drops for the pane and paints itself from the state's drop highlight.
class DropZone : public QWidget {
public:
    DropZone(SoundPickerState &state, std::function<void(const std::filesystem::path &)> onDrop, QWidget *parent)
        : QWidget(parent), state_(state), onDrop_(std::move(onDrop)) {
        setFixedSize(kZoneWidth, kZoneHeight);
        setAcceptDrops(true);
        connect(&state_, &SoundPickerState::dropTargetedChanged, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool hovering = state_.dropTargeted();
        const QRectF box(rect());
        paintPanel(painter, box, kZoneCorner, Theme::withOpacity(Qt::white, hovering ? 0.9 : 0.5));
        QPen pen(hovering ? Theme::ink : kIdleBorder, 2);
        pen.setDashPattern({3.0, 2.5}); // 6 on and 5 off, in units of the 2-point line width
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokeBorderPath(box, kZoneCorner, 2));
    }
    void dragEnterEvent(QDragEnterEvent *event) override {
        if (event->mimeData()->hasUrls()) {
            state_.setDropTargeted(true);
            event->acceptProposedAction();
        }
    }
    void dragLeaveEvent(QDragLeaveEvent *) override { state_.setDropTargeted(false); }
    void dropEvent(QDropEvent *event) override {
        state_.setDropTargeted(false);
        const auto file = PickerImportPane::droppedFile(event->mimeData()->urls());
        if (!file) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        onDrop_(*file);
    }

private:
    SoundPickerState &state_;
    std::function<void(const std::filesystem::path &)> onDrop_;
};

} // namespace

PickerImportPane::PickerImportPane(AppModel &model, SoundPickerState &state, QWidget *parent)
    : QWidget(parent), model_(model), state_(state), chooser_(&PickerImportPane::openPanel) {
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    zone_ = new DropZone(
        state_, [this](const std::filesystem::path &file) { importFile(file); }, this);
    outer->addWidget(zone_, 0, Qt::AlignCenter);

    auto *column = new QVBoxLayout(zone_);
    column->setContentsMargins(20, 0, 20, 0);
    column->setSpacing(14);
    column->addStretch(1);
    column->addWidget(new MiniCap({CapPalette::black, std::string("square.and.arrow.down"), std::nullopt}, 64, zone_),
                      0, Qt::AlignHCenter);
    QFont titleFont = Fonts::system(22, QFont::ExtraBold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.6);
    column->addWidget(textLabel(QStringLiteral("Drop an audio file"), titleFont, Theme::ink, zone_), 0,
                      Qt::AlignHCenter);
    column->addWidget(textLabel(QStringLiteral("WAV, MP3, M4A, AIFF or CAF. Up to 10 seconds; silence is trimmed."),
                                Fonts::system(13), Theme::ink2, zone_),
                      0, Qt::AlignHCenter);
    choose_ = new PillButton(QStringLiteral("Choose file…"), OutlinePillButtonStyle{36}, zone_);
    connect(choose_, &QAbstractButton::clicked, this, &PickerImportPane::chooseFile);
    column->addWidget(choose_, 0, Qt::AlignHCenter);
    error_ = textLabel(QString(), Fonts::system(12), Theme::red, zone_);
    error_->setWordWrap(true);
    error_->setAlignment(Qt::AlignHCenter);
    column->addWidget(error_);
    column->addStretch(1);

    const auto showError = [this] {
        error_->setText(state_.errorText().value_or(QString()));
        error_->setVisible(state_.errorText().has_value());
    };
    connect(&state_, &SoundPickerState::errorTextChanged, this, showError);
    showError();
    connect(&model_, &AppModel::importFinished, this, &PickerImportPane::importFinished);
}

std::unique_ptr<QFileDialog> PickerImportPane::makeOpenPanel(QWidget *parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("Choose an audio file"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(
        QStringLiteral("Audio files (%1)").arg(SoundFilePanels::audioPatterns().join(QLatin1Char(' '))));
    // Not the folder the program happened to start in.
    dialog->setDirectory(QDir::homePath());
    return dialog;
}

std::optional<std::filesystem::path> PickerImportPane::openPanel(QWidget *parent) {
    const auto dialog = makeOpenPanel(parent);
    const int result = dialog->exec();
    if (parent != nullptr) {
        // Some window managers (jwm) activate the main window when the panel closes, not the sheet it came
        // from, and the sheet's focus would be lost to it.
        parent->window()->activateWindow();
    }
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString file = dialog->selectedFiles().constFirst();
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

std::optional<std::filesystem::path> PickerImportPane::droppedFile(const QList<QUrl> &urls) {
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(urls.front().toLocalFile()).toStdString());
}

void PickerImportPane::chooseFile() {
    if (const auto file = chooser_(window())) {
        importFile(*file);
    }
}

void PickerImportPane::importFile(const std::filesystem::path &path) {
    // Whatever the file's name says, the audio import decides whether it is a sound. A file taken while
    // another is still read replaces it here: the earlier one still comes in, but the newest is chosen.
    task_ = model_.importFilesAsync({{path, ImportKind::sound}});
    choose_->setEnabled(false);
    choose_->setText(QStringLiteral("Importing\u2026"));
}

void PickerImportPane::forgetImport() {
    task_.reset();
    choose_->setEnabled(true);
    choose_->setText(QStringLiteral("Choose file\u2026"));
}

void PickerImportPane::importFinished(const ImportResult &result) {
    if (!task_ || result.task != *task_) {
        return;
    }
    forgetImport();
    if (result.files.empty()) {
        return;
    }
    const ImportOutcome &file = result.files.front();
    if (file.sound) {
        state_.setChosen(file.sound->id);
        state_.setCategory(SoundCategory::mine);
        state_.setErrorText(std::nullopt);
        model_.preview(file.sound->id);
        emit imported();
    } else if (file.error) {
        state_.setErrorText(QString::fromStdString(*file.error));
    }
}

} // namespace tc

#include "ui/sounds/SoundPickerSheet.h"

#include "app/AppModel.h"
#include "model/KeyLayout.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/PickerImportPane.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerRecordPane.h"
#include "ui/sounds/PickerTabBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <filesystem>

namespace tc {

namespace {

constexpr qreal kContentCorner = 18;

// The round close button: "xmark" on a Theme.panel circle.
class CloseButton : public QAbstractButton {
public:
    explicit CloseButton(QWidget *parent) : QAbstractButton(parent) {
        setAccessibleName(QStringLiteral("Close"));
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
        setFixedSize(36, 36);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::panel);
        painter.drawEllipse(QRectF(rect()));
        Symbols::paint(painter, QRectF(rect()), "xmark", 12, QFont::Bold, Theme::ink);
    }
    bool hitButton(const QPoint &pos) const override {
        QPainterPath circle;
        circle.addEllipse(QRectF(rect()));
        return circle.contains(pos);
    }
};

// "Use this sound", drawn at 40 % while there is nothing to use.
class UseButton : public PillButton {
public:
    explicit UseButton(QWidget *parent)
        : PillButton(QStringLiteral("Use this sound"), BlackPillButtonStyle{42}, parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setOpacity(isEnabled() ? 1.0 : 0.4);
        paint(painter, QRectF(rect()), kind(), text(), isDown());
    }
};

// The panes' frame: the dotted backdrop inside a rounded rectangle.
class ContentFrame : public QWidget {
public:
    explicit ContentFrame(QWidget *parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(continuousRoundedRect(QRectF(rect()), kContentCorner));
        DottedBackground::paint(painter, QRectF(rect()), 20);
    }
};

} // namespace

SoundPickerSheet::SoundPickerSheet(SoundPickerTarget target, AppModel &model, std::unique_ptr<Recorder> recorder,
                                   std::function<void()> openSoundSettings, QWidget *parent)
    : QDialog(parent), target_(std::move(target)), model_(model), recorder_(std::move(recorder)),
      lastRecorderState_(recorder_->state()) {
    setWindowTitle(title(target_));
    setWindowModality(Qt::WindowModal);
    setFixedSize(kWidth, kHeight);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(makeHeader());

    auto *frame = new ContentFrame(this);
    panes_ = new QStackedLayout(frame);
    library_ = new PickerLibraryPane(model_, state_, frame);
    record_ = new PickerRecordPane(*recorder_, std::move(openSoundSettings), frame);
    import_ = new PickerImportPane(model_, state_, frame);
    panes_->addWidget(library_);
    panes_->addWidget(record_);
    panes_->addWidget(import_);
    auto *frameRow = new QHBoxLayout;
    frameRow->setContentsMargins(12, 0, 12, 0);
    frameRow->addWidget(frame);
    root->addLayout(frameRow, 1);
    root->addWidget(makeFooter());

    connect(&state_, &SoundPickerState::tabChanged, this, &SoundPickerSheet::showTab);
    connect(&state_, &SoundPickerState::chosenChanged, this, &SoundPickerSheet::updateFooter);
    connect(&state_, &SoundPickerState::errorTextChanged, this, &SoundPickerSheet::updateFooter);
    // A chosen sound may come to resolve, go or get its duration while the sheet is open.
    connect(&model_, &AppModelSignals::soundsVersionChanged, this, &SoundPickerSheet::updateFooter);
    connect(&model_, &AppModelSignals::importFinished, this, &SoundPickerSheet::importFinished);
    connect(&model_, &AppModelSignals::soundsReadyChanged, this, &SoundPickerSheet::updateFooter);
    model_.observe(AppModel::keysChange | AppModel::triggersChange | AppModel::userSoundsChange, this,
                   [this] { updateFooter(); });
    recorder_->onChange = [this] { recorderChanged(); };

    // Start on the target's own sound, in its category.
    state_.setChosen(initialSound(target_, model_));
    if (state_.chosen()) {
        if (const auto sound = model_.sound(*state_.chosen())) {
            state_.setCategory(sound->category);
        }
    }
    // The key inspector's record button asks for the Record tab, once.
    if (model_.pickerStartsOnRecord()) {
        state_.setTab(SoundPickerTab::record);
        model_.setPickerStartsOnRecord(false);
    }
    showTab();
    updateFooter();
    // A file imported is to be used next: Return uses it (the focus waited on the sheet while it was read).
    connect(import_, &PickerImportPane::imported, this, &SoundPickerSheet::focusUse);
    // Keyboard focus starts on the chosen sound's card, where the arrow keys browse and Return uses it.
    if (state_.tab() != SoundPickerTab::library || !library_->focusChosenCard()) {
        use_->setFocus(Qt::OtherFocusReason);
    }
}

SoundPickerSheet::~SoundPickerSheet() {
    recorder_->onChange = nullptr;
}

std::optional<std::string> SoundPickerSheet::initialSound(const SoundPickerTarget &target, const AppModel &model) {
    if (target.isBrush()) {
        return model.brushSoundID();
    }
    if (const auto *trigger = target.asTrigger()) {
        if (const Trigger *found = model.trigger(trigger->id)) {
            return found->soundID;
        }
        return std::nullopt;
    }
    // The codes are sorted: the lowest code with a sound of its own decides.
    const Profile &profile = model.data().activeProfile();
    for (const auto code : target.asKeys()->codes) {
        if (const auto assignment = profile.assignment(code)) {
            return assignment->soundID;
        }
    }
    return std::nullopt;
}

QString SoundPickerSheet::targetDescription(const SoundPickerTarget &target, const AppModel &model) {
    if (target.isBrush()) {
        return QStringLiteral("Paint it onto any keys you like");
    }
    if (target.asTrigger()) {
        return QStringLiteral("For this trigger");
    }
    const auto &codes = target.asKeys()->codes;
    const QString profile = ShownText::bounded(QString::fromStdString(model.data().activeProfile().name));
    if (codes.size() == 1) {
        return QStringLiteral("For the %1 key in %2")
            .arg(QString::fromStdString(KeyLayout::label(*codes.begin())), profile);
    }
    return QStringLiteral("For %1 keys in %2").arg(codes.size()).arg(profile);
}

QString SoundPickerSheet::title(const SoundPickerTarget &target) {
    return target.isBrush() ? QStringLiteral("Pick a sound") : QStringLiteral("Replace sound");
}

QString SoundPickerSheet::detailText(const SoundItem &sound) {
    return categoryTitle(sound.category) + QStringLiteral(" · ") + QString::asprintf("%.2f", sound.duration) +
           QStringLiteral(" s");
}

QWidget *SoundPickerSheet::makeHeader() {
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(22, 20, 22, 16);
    row->setSpacing(14);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    QFont titleFont = Fonts::system(26, QFont::ExtraBold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.8);
    titles->addWidget(textLabel(title(target_), titleFont, Theme::ink, header));
    // A long profile name is cut with "…" before the tabs, and then shows whole in the tooltip.
    auto *description =
        new FittingText(targetDescription(target_, model_), Fonts::system(12), Theme::ink3, 1.0, Qt::AlignLeft, header);
    description->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    titles->addWidget(description);
    row->addLayout(titles);
    row->addStretch(1);

    tabs_ = new PickerTabBar(state_, header);
    row->addWidget(tabs_, 0, Qt::AlignVCenter);
    close_ = new CloseButton(header);
    connect(close_, &QAbstractButton::clicked, this, &QDialog::reject);
    row->addWidget(close_, 0, Qt::AlignVCenter);
    return header;
}

QWidget *SoundPickerSheet::makeFooter() {
    auto *footer = new QWidget(this);
    footer->setFixedHeight(76);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(22, 0, 22, 0);
    row->setSpacing(12);

    choice_ = new QWidget(footer);
    auto *choiceRow = new QHBoxLayout(choice_);
    choiceRow->setContentsMargins(0, 0, 0, 0);
    choiceRow->setSpacing(12);
    auto *capFrame = new QWidget(choice_);
    capFrame->setFixedWidth(36);
    auto *capBox = new QHBoxLayout(capFrame);
    capBox->setContentsMargins(0, 0, 0, 0);
    choiceCap_ = new MiniCap(MiniCap::forCategory(SoundCategory::mechanical), 30, capFrame);
    capBox->addWidget(choiceCap_, 0, Qt::AlignCenter);
    choiceRow->addWidget(capFrame);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    choiceName_ = new FittingText(QString(), Fonts::system(13, QFont::Bold), Theme::ink, 1.0, Qt::AlignLeft, choice_);
    choiceName_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    choiceDetail_ = textLabel(QString(), Fonts::system(12), Theme::ink3, choice_);
    texts->addStretch(1);
    texts->addWidget(choiceName_);
    texts->addWidget(choiceDetail_);
    texts->addStretch(1);
    choiceRow->addLayout(texts);
    // The chosen sound's name, or the message in its place, takes the room up to the buttons, however long the
    // name that was chosen before.
    row->addWidget(choice_, 1);

    message_ = textLabel(QString(), Fonts::system(12), Theme::ink3, footer);
    row->addWidget(message_, 1);

    cancel_ = new PillButton(QStringLiteral("Cancel"), OutlinePillButtonStyle{42}, footer);
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    row->addWidget(cancel_);
    use_ = new UseButton(footer);
    connect(use_, &QAbstractButton::clicked, this, &SoundPickerSheet::apply);
    row->addWidget(use_);
    return footer;
}

void SoundPickerSheet::showTab() {
    switch (state_.tab()) {
    case SoundPickerTab::library:
        panes_->setCurrentWidget(library_);
        break;
    case SoundPickerTab::record:
        panes_->setCurrentWidget(record_);
        break;
    case SoundPickerTab::importFile:
        panes_->setCurrentWidget(import_);
        break;
    }
}

void SoundPickerSheet::updateFooter() {
    const auto sound = state_.chosen() ? model_.sound(*state_.chosen()) : std::nullopt;
    choice_->setVisible(sound.has_value());
    if (sound) {
        choiceCap_->setContent(MiniCap::forCategory(sound->category));
        choiceName_->setText(QString::fromStdString(sound->name));
        choiceDetail_->setText(detailText(*sound));
    }
    message_->setVisible(!sound);
    const auto &error = state_.errorText();
    message_->setText(error ? *error : QStringLiteral("Choose a sound to continue"));
    QPalette palette = message_->palette();
    palette.setColor(QPalette::WindowText, error ? Theme::red : Theme::ink3);
    message_->setPalette(palette);

    use_->setEnabled(sound.has_value());
}

QString SoundPickerSheet::footerName() const {
    return choice_->isVisibleTo(this) ? choiceName_->text() : QString();
}

QString SoundPickerSheet::footerDetail() const {
    return choice_->isVisibleTo(this) ? choiceDetail_->text() : QString();
}

QString SoundPickerSheet::footerMessage() const {
    return message_->isVisibleTo(this) ? message_->text() : QString();
}

void SoundPickerSheet::apply() {
    if (!state_.chosen() || !model_.sound(*state_.chosen())) {
        return;
    }
    const std::string id = *state_.chosen();
    if (const auto *keys = target_.asKeys()) {
        model_.assign(id, keys->codes);
    } else if (target_.isBrush()) {
        model_.setBrushSoundID(id);
        if (model_.tool() != EditTool::paint) {
            model_.setTool(EditTool::paint);
        }
        model_.advanceCoach(3);
    } else {
        // A trigger deleted while the sheet was open changes nothing; the save and the push run all the same,
        // and the sheet previews and closes as after any choice.
        model_.setTriggerSound(target_.asTrigger()->id, id);
    }
    model_.preview(id);
    accept();
}

void SoundPickerSheet::recorderChanged() {
    const Recorder::State state = recorder_->state();
    if (state != lastRecorderState_) {
        lastRecorderState_ = state;
        takeError_.reset();
        if (state.kind == Recorder::State::Kind::finished) {
            // Read on the model's worker; the model removes the take's file whichever way it ends.
            takeTask_ = model_.importFilesAsync({{state.file, ImportKind::recording}});
        }
    }
    record_->refresh(takeError_);
}

void SoundPickerSheet::importFinished(const ImportResult &result) {
    if (!takeTask_ || result.task != *takeTask_) {
        return;
    }
    takeTask_.reset();
    if (result.files.empty()) {
        return;
    }
    const ImportOutcome &take = result.files.front();
    if (take.sound) {
        state_.setChosen(take.sound->id);
        state_.setCategory(SoundCategory::mine);
        state_.setErrorText(std::nullopt);
        // The next step is to use the take: Return does, not a further take on the record key.
        focusUse();
    } else if (take.error) {
        // The take stays unsaved: say why.
        takeError_ = QString::fromStdString(*take.error);
        state_.setErrorText(takeError_);
    }
    record_->refresh(takeError_);
}

void SoundPickerSheet::focusUse() {
    if (use_->isEnabled()) {
        use_->setFocus(Qt::OtherFocusReason);
    }
}

void SoundPickerSheet::done(int result) {
    // A running take stops with the sheet; its meter stops too. A take or file still being imported comes
    // in all the same, but the closed sheet no longer shows it.
    recorder_->reset();
    takeTask_.reset();
    import_->forgetImport();
    QDialog::done(result);
}

void SoundPickerSheet::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (use_->isEnabled()) {
            apply();
        }
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void SoundPickerSheet::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

} // namespace tc

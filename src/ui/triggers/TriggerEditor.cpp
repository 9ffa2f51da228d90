#include "ui/triggers/TriggerEditor.h"

#include "app/AppModel.h"
#include "engine/Hotkey.h"
#include "ui/kit/Card.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemMenu.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SingleClick.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/triggers/FlatButton.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/ShortcutRecorder.h"
#include "ui/triggers/TriggerLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace tc {

namespace {

const QColor kDashGrey(207, 207, 202);
constexpr qreal kPanelCorner = 22;

const QString kRecordingHint = QStringLiteral("Use Ctrl, Alt or Super with a key. Esc cancels.");
const QString kIdleHint = QStringLiteral("Click, then press a new shortcut.");
const QString kWordHint = QStringLiteral("Whole word, any letter case. Plays when you type the space after it.");

QString reservedHint() {
    return QStringLiteral("%1 and %2 are Tapchime's own hotkeys. Try another.")
        .arg(QString::fromStdString(hotkeyText(Hotkey::toggleSounds)),
             QString::fromStdString(hotkeyText(Hotkey::nextProfile)));
}

// The shared background of the capture area and the word field: a soft rounded box with a solid ink edge
// while recording, a dashed grey one otherwise.
void paintCaptureBackground(QPainter &painter, const QRectF &rect, bool active) {
    const qreal line = 1.5;
    paintPanel(painter, rect, 16, Theme::soft);
    QPen pen(active ? Theme::ink : kDashGrey, line, active ? Qt::SolidLine : Qt::CustomDashLine, Qt::FlatCap,
             Qt::MiterJoin);
    if (!active) {
        pen.setDashPattern({5 / line, 4 / line});
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(strokeBorderPath(rect, 16, line));
}

class CaptureBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintCaptureBackground(painter, QRectF(rect()), false);
    }
};

// The white panel, clipped to its corners.
class PanelBody : public QWidget {
public:
    using QWidget::QWidget;
    QWidget *bottomBar = nullptr;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath shape = continuousRoundedRect(QRectF(rect()), kPanelCorner);
        painter.fillPath(shape, Qt::white);
        if (bottomBar) {
            painter.setClipPath(shape);
            painter.fillRect(bottomBar->geometry(), Theme::panel);
        }
    }
};

// The row around the sound: a rounded Theme.rail line.
class SoundRow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::rail, 1));
        painter.drawPath(strokeBorderPath(QRectF(rect()), 14, 1));
    }
};

// Keeps the plate under the panel wherever the panel is laid out.
class PlateBeneath final : public QObject {
public:
    PlateBeneath(QWidget *plate, QWidget *panel) : QObject(panel), plate_(plate) { panel->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            plate_->setGeometry(static_cast<QWidget *>(watched)->geometry());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *plate_;
};

QLabel *sectionTitle(const QString &text, QWidget *parent) {
    return textLabel(text, Fonts::system(13, QFont::DemiBold), Theme::ink, parent);
}

} // namespace

TriggerEditor::TriggerEditor(AppModel &model, TriggerApps apps, QWidget *parent)
    : QWidget(parent), model_(model), apps_(std::move(apps)), recorder_(new ShortcutRecorder(this)),
      soundMenu_(new ItemMenu(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(width);
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);

    auto *message =
        textLabel(QStringLiteral("Add a shortcut or word trigger to edit it here."), Fonts::system(13), Theme::ink2);
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    auto *card = new Card(20, kPanelCorner, message);
    auto *emptyHolder = new QWidget;
    auto *emptyColumn = new QVBoxLayout(emptyHolder);
    emptyColumn->setContentsMargins(0, 0, 0, 0);
    emptyColumn->addWidget(card);
    emptyColumn->addStretch(1);
    empty_ = card;
    stack_->addWidget(emptyHolder);

    auto *panelHolder = new QWidget;
    auto *panelColumn = new QVBoxLayout(panelHolder);
    panelColumn->setContentsMargins(0, 0, 0, 0);
    panel_ = makePanel();
    panelColumn->addWidget(panel_);
    // The card's shadow lies on a plate beneath the panel, not on the panel itself: a widget with a graphics effect
    // is painted whole again for any change inside it, so each frame of the on/off switch's slide redrew the whole
    // editor. Over the plate a change paints only its own place. (The plate itself is bare: the panel's edges are
    // drawn once, as before.)
    auto *plate = new QWidget(panelHolder);
    applyCardShadow(plate, kPanelCorner);
    plate->lower();
    new PlateBeneath(plate, panel_);
    panelColumn->addStretch(1);
    stack_->addWidget(panelHolder);

    model_.observe(AppModel::triggersChange | AppModel::userSoundsChange, this, [this] { refresh(); });
    connect(recorder_, &ShortcutRecorder::stateChanged, this, &TriggerEditor::refresh);
    // The hotkeys the recorder refuses must not act either while it records.
    connect(recorder_, &ShortcutRecorder::stateChanged, this,
            [this] { model_.setShortcutRecording(recorder_->isRecording()); });
    refresh();
}

TriggerEditor::~TriggerEditor() {
    if (recorder_->isRecording()) {
        model_.setShortcutRecording(false);
    }
}

QWidget *TriggerEditor::makePanel() {
    auto *panel = new PanelBody;
    panel->setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *upper = new QVBoxLayout;
    upper->setContentsMargins(20, 20, 20, 20);
    upper->setSpacing(18);
    column->addLayout(upper);

    // Header: the caption and the kind switch.
    auto *header = new QHBoxLayout;
    QFont caption = Fonts::mono(11, QFont::Medium);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    header->addWidget(textLabel(QStringLiteral("EDIT TRIGGER"), caption, Theme::ink3));
    header->addStretch(1);
    kind_ = new SegmentedSwitch({{QStringLiteral("Shortcut"), {}}, {QStringLiteral("Word"), {}}},
                                {Theme::panel, 28, 12, Fonts::system(12, QFont::DemiBold)});
    connect(kind_, &SegmentedSwitch::pressed, this, &TriggerEditor::pressKind);
    header->addWidget(kind_);
    upper->addLayout(header);

    // What sets the trigger off.
    auto *when = new QVBoxLayout;
    when->setSpacing(8);
    whenTitle_ = sectionTitle(QStringLiteral("When I press"), panel);
    when->addWidget(whenTitle_);
    capture_ = new FlatButton(QSize(width - 40, 100), {}, panel);
    capture_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    capture_->setAccessibleName(QStringLiteral("Shortcut"));
    capture_->setToolTip(QStringLiteral("Desktops often keep Super shortcuts for themselves."));
    static_cast<FlatButton *>(capture_)->setPainter([this](QPainter &painter, const QRectF &rect, bool) {
        const bool recording = recorder_->isRecording();
        paintCaptureBackground(painter, rect, recording);
        if (recording) {
            painter.setFont(Fonts::system(15, QFont::DemiBold));
            painter.setPen(Theme::ink);
            painter.drawText(rect, Qt::AlignCenter, QStringLiteral("Press the new shortcut…"));
        }
    });
    auto *captureRow = new QHBoxLayout(capture_);
    captureRow->setContentsMargins(8, 0, 8, 0);
    captureLabel_ = new TriggerLabel(Trigger::Kind(), TriggerLabel::Size::big, capture_);
    captureLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    captureRow->addWidget(captureLabel_, 0, Qt::AlignCenter);
    connect(capture_, &QAbstractButton::clicked, this, &TriggerEditor::toggleRecording);
    when->addWidget(capture_);

    wordBox_ = new CaptureBox(panel);
    wordBox_->setFixedHeight(100);
    auto *wordRow = new QHBoxLayout(wordBox_);
    wordRow->setContentsMargins(12, 0, 12, 0);
    word_ = new QLineEdit(wordBox_);
    word_->setFrame(false);
    word_->setPlaceholderText(QStringLiteral("word"));
    word_->setFont(Fonts::system(30, QFont::Black));
    word_->setAlignment(Qt::AlignCenter);
    word_->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = word_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Theme::ink);
    word_->setPalette(palette);
    connect(word_, &QLineEdit::textEdited, this, &TriggerEditor::commitWord);
    connect(word_, &QLineEdit::returnPressed, this, &TriggerEditor::commitWord);
    wordRow->addWidget(word_);
    when->addWidget(wordBox_);

    hint_ = textLabel(QString(), Fonts::system(12), Theme::ink3, panel);
    hint_->setWordWrap(true);
    when->addWidget(hint_);
    upper->addLayout(when);

    // The sound.
    auto *sound = new QVBoxLayout;
    sound->setSpacing(8);
    sound->addWidget(sectionTitle(QStringLiteral("Then play"), panel));
    auto *soundRow = new SoundRow(panel);
    soundRow->setFixedHeight(52);
    auto *soundLine = new QHBoxLayout(soundRow);
    soundLine->setContentsMargins(10, 0, 10, 0);
    soundLine->setSpacing(12);
    soundCap_ = new MiniCap(MiniCap::forCategory(SoundCategory::mechanical), 30, soundRow);
    soundCap_->setFixedWidth(32);
    soundLine->addWidget(soundCap_);
    soundButton_ = new FlatButton(QSize(100, 40), {}, soundRow);
    soundButton_->setAccessibleName(QStringLiteral("Sound"));
    connect(soundButton_, &QAbstractButton::clicked, this,
            [this] { buildSoundMenu()->popup(soundButton_->mapToGlobal(QPoint(0, soundButton_->height()))); });
    soundLine->addWidget(soundButton_);
    soundLine->addStretch(1);
    play_ = new PlayButton(34, [this] {
        if (const Trigger *trigger = id_ ? model_.trigger(*id_) : nullptr) {
            model_.preview(trigger->soundID);
        }
    });
    soundLine->addWidget(play_);
    sound->addWidget(soundRow);
    upper->addLayout(sound);

    // Where.
    auto *where = new QVBoxLayout;
    where->setSpacing(8);
    where->addWidget(sectionTitle(QStringLiteral("Where"), panel));
    chips_ = new FlowChips(model_, apps_, panel);
    where->addWidget(chips_);
    upper->addLayout(where);

    // Bottom bar: Delete and the switch.
    auto *bar = new QWidget(panel);
    bar->setAttribute(Qt::WA_TranslucentBackground);
    auto *barRow = new QHBoxLayout(bar);
    barRow->setContentsMargins(20, 12, 20, 12);
    delete_ = new PillButton(QStringLiteral("Delete"), OutlinePillButtonStyle{40}, bar);
    connect(delete_, &QAbstractButton::clicked, this, [this] {
        if (id_) {
            model_.deleteTrigger(*id_);
        }
    });
    removeOnSingleClicksOnly(delete_);
    barRow->addWidget(delete_);
    barRow->addStretch(1);
    onText_ = textLabel(QString(), Fonts::system(12, QFont::DemiBold), Theme::ink2, bar);
    barRow->addWidget(onText_);
    switch_ = new PillToggle({[this] {
                                  const Trigger *t = id_ ? model_.trigger(*id_) : nullptr;
                                  return t && t->enabled;
                              },
                              [this](bool on) {
                                  if (id_) {
                                      model_.setTriggerEnabled(*id_, on);
                                  }
                              }},
                             QStringLiteral("Trigger on"), bar);
    barRow->addWidget(switch_);
    column->addWidget(bar);
    panel->bottomBar = bar;
    return panel;
}

void TriggerEditor::setTriggerID(std::optional<Uuid> id) {
    if (id == id_) {
        return;
    }
    id_ = id;
    recorder_->stop();
    chips_->setTrigger(id_);
    syncWord();
    refresh();
    // The switch shows the newly chosen trigger's state at once: its knob slides for a click, not for a change
    // of trigger (each frame of the slide redrew the whole shadowed editor card while the section opened).
    switch_->finishAnimation();
}

bool TriggerEditor::isRecording() const {
    return recorder_->isRecording();
}

QString TriggerEditor::hint() const {
    return hint_->text();
}

void TriggerEditor::refresh() {
    const Trigger *trigger = id_ ? model_.trigger(*id_) : nullptr;
    stack_->setCurrentIndex(trigger ? 1 : 0);
    if (!trigger) {
        // A trigger deleted while it was being recorded: nothing is left to record for.
        recorder_->stop();
        return;
    }
    const bool shortcut = trigger->kind.isShortcut();
    kind_->setSelected(shortcut ? 0 : 1);
    whenTitle_->setText(shortcut ? QStringLiteral("When I press") : QStringLiteral("When I type"));
    capture_->setVisible(shortcut);
    wordBox_->setVisible(!shortcut);
    const bool recording = recorder_->isRecording();
    captureLabel_->setVisible(!recording);
    if (shortcut) {
        captureLabel_->setKind(trigger->kind);
        // A chord of every modifier with a long key name is wider than the area: it is drawn small then.
        const bool fits = TriggerLabel::labelSize(trigger->kind, TriggerLabel::Size::big).width() <= width - 56;
        captureLabel_->setSize(fits ? TriggerLabel::Size::big : TriggerLabel::Size::small);
    }
    capture_->update();
    if (!shortcut) {
        hint_->setText(kWordHint);
    } else if (!recording) {
        hint_->setText(kIdleHint);
    } else if (recorder_->lastRefusal() == ShortcutRecorder::Outcome::reserved) {
        hint_->setText(reservedHint());
    } else {
        hint_->setText(kRecordingHint);
    }

    const std::optional<SoundItem> item = model_.sound(trigger->soundID);
    soundCap_->setVisible(item.has_value());
    if (item) {
        soundCap_->setContent(MiniCap::forCategory(item->category));
    }
    const QString name =
        item ? ShownText::bounded(QString::fromStdString(item->name)) : QStringLiteral("Missing sound");
    const QFont nameFont = Fonts::system(14, QFont::Bold);
    const qreal nameWidth = FlatButton::labelWidth({}, name, nameFont, 0);
    auto *button = static_cast<FlatButton *>(soundButton_);
    button->setFixedHint(QSize(static_cast<int>(std::min<qreal>(nameWidth + 16, 200)), 40));
    button->setText(name);
    // Cut to the button's 200 points, the name shows whole in the tooltip.
    button->setToolTip(nameWidth + 16 > 200 ? name : QString());
    button->setPainter([name, nameFont](QPainter &painter, const QRectF &rect, bool pressed) {
        painter.setOpacity(pressed ? 0.7 : 1);
        painter.setFont(nameFont);
        painter.setPen(Theme::ink);
        const QRectF text(rect.left(), rect.top(), rect.width() - 16, rect.height());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         ShownText::elided(painter.fontMetrics(), name, static_cast<int>(text.width())));
        Symbols::paint(painter, QRectF(rect.right() - 12, rect.center().y() - 6, 12, 12), "chevron.down", 10,
                       QFont::Bold, Theme::ink3);
    });

    onText_->setText(trigger->enabled ? QStringLiteral("On") : QStringLiteral("Off"));
    switch_->refresh();
}

void TriggerEditor::pressKind(int index) {
    const Trigger *trigger = id_ ? model_.trigger(*id_) : nullptr;
    if (!trigger) {
        return;
    }
    const bool wantShortcut = index == 0;
    // The kind already chosen stays as it is: pressing it again must not throw away a recorded shortcut or a
    // typed word.
    if (trigger->kind.isShortcut() == wantShortcut) {
        return;
    }
    // A recording in progress would swallow the typing of a word and turn the trigger back into a shortcut.
    recorder_->stop();
    const Uuid id = *id_;
    if (wantShortcut) {
        model_.setTriggerKind(id, TriggerEdits::defaultShortcut());
    } else {
        model_.setTriggerKind(id, TriggerEdits::defaultWord());
        word_->setText(QString::fromLatin1(TriggerEdits::kDefaultWord));
    }
}

void TriggerEditor::toggleRecording() {
    if (recorder_->isRecording()) {
        recorder_->stop();
        return;
    }
    if (!id_) {
        return;
    }
    const Uuid id = *id_;
    recorder_->start([this, id](ShortcutRecorder::Press press) {
        model_.setTriggerKind(id, Trigger::Kind::shortcut(press.code, press.flags));
    });
}

void TriggerEditor::commitWord() {
    if (!id_) {
        return;
    }
    model_.setTriggerWord(*id_, word_->text().toStdString());
}

void TriggerEditor::syncWord() {
    const Trigger *trigger = id_ ? model_.trigger(*id_) : nullptr;
    if (trigger && trigger->kind.isWord()) {
        word_->setText(QString::fromStdString(trigger->kind.asWord()->word));
    }
}

QMenu *TriggerEditor::buildSoundMenu() {
    soundMenu_->clear();
    const std::vector<SoundItem> sounds = model_.allSounds();
    for (SoundCategory category : kAllSoundCategories) {
        QMenu *submenu = nullptr;
        for (const SoundItem &item : sounds) {
            if (item.category != category) {
                continue;
            }
            if (!submenu) {
                submenu = ItemMenu::addSubmenu(*soundMenu_, categoryTitle(category));
            }
            QAction *action = MenuText::add(*submenu, QString::fromStdString(item.name));
            connect(action, &QAction::triggered, this, [this, id = item.id] { chooseSound(id); });
        }
    }
    soundMenu_->addSeparator();
    QAction *picker = soundMenu_->addAction(QStringLiteral("Record or import…"));
    connect(picker, &QAction::triggered, this, [this] {
        if (id_) {
            model_.setSoundPicker(SoundPickerTarget::trigger(*id_));
        }
    });
    return soundMenu_;
}

void TriggerEditor::chooseSound(const std::string &soundID) {
    if (!id_) {
        return;
    }
    model_.setTriggerSound(*id_, soundID);
    model_.preview(soundID);
}

void TriggerEditor::hideEvent(QHideEvent *event) {
    recorder_->stop();
    QWidget::hideEvent(event);
}

} // namespace tc

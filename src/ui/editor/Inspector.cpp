#include "ui/editor/Inspector.h"

#include "app/AppModel.h"
#include "model/KeyLayout.h"
#include "ui/editor/InspectorControls.h"
#include "ui/kit/Card.h"
#include "ui/kit/CategorySymbols.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/kit/Chip.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/Waveform.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

const QColor kTrimmed{207, 207, 202};
const QColor kRecordRed{215, 53, 31};
constexpr qreal kCorner = 22;
constexpr int kNoteWidth = 170;

// A round 40-point action: a symbol on a white circle with a thin border.
class RoundButton final : public QAbstractButton {
public:
    RoundButton(const char *symbol, qreal symbolSize, QFont::Weight weight, QColor color, const QString &help,
                QWidget *parent)
        : QAbstractButton(parent), symbol_(symbol), size_(symbolSize), weight_(weight), color_(color) {
        setFixedSize(40, 40);
        setToolTip(help);
        setAccessibleName(help);
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle{rect()};
        painter.setPen(QPen(Theme::border, 1));
        painter.setBrush(isDown() ? Theme::soft : QColor(Qt::white));
        painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
        Symbols::paint(painter, circle, symbol_, size_, weight_, color_);
    }
    bool hitButton(const QPoint &pos) const override {
        const QPointF d = QPointF(pos) - QRectF(rect()).center();
        return std::hypot(d.x(), d.y()) <= width() / 2.0;
    }

private:
    const char *symbol_;
    qreal size_;
    QFont::Weight weight_;
    QColor color_;
};

// The orange start mark, drawn over the waveform and 6 points beyond it above and below.
class StartMark final : public QWidget {
public:
    explicit StartMark(QWidget *parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedWidth(2);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Theme::orange); }
};

// The action bar's grey ground, filling the bottom of the panel.
class ActionBar final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        // The panel's lower corners are rounded; the bar follows them.
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintPanel(painter, QRectF(rect()).adjusted(0, -kCorner, 0, 0), kCorner, Theme::panel);
    }
};

} // namespace

std::optional<std::uint16_t> Inspector::primaryKey(const KeySet &codes) {
    for (const KeyDef &key : KeyLayout::allKeys()) {
        if (key.code && codes.contains(*key.code)) {
            return key.code;
        }
    }
    return std::nullopt;
}

QString Inspector::durationText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) {
        seconds = 0;
    }
    // QString::asprintf formats like C's printf in the C locale: always a point.
    return QString::asprintf("%.2f s", std::min(seconds, 1e9));
}

std::optional<Inspector::Description> Inspector::describe(const AppModel &model, const KeySet &codes) {
    const auto primary = primaryKey(codes);
    if (!primary) {
        return std::nullopt;
    }
    const Profile &profile = model.data().activeProfile();
    Description d;
    d.primary = *primary;
    d.assignment = profile.assignment(*primary);
    d.soundID = d.assignment ? d.assignment->soundID : profile.baseSoundID;
    d.sound = model.sound(d.soundID);
    const bool own = d.assignment && d.sound;
    d.palette = own ? CapPalette::forCategory(d.sound->category) : CapPalette::white;
    if (own) {
        // Mechanical has no badge symbol: its cap stays plain.
        if (const char *symbol = CategorySymbols::badge(d.sound->category)) {
            d.capSymbol = symbol;
        }
    }
    const QString label = QString::fromStdString(KeyLayout::label(*primary));
    if (!d.assignment) {
        d.capText = label.left(3);
    }
    d.header =
        codes.size() >= 2 ? QStringLiteral("%1 KEYS").arg(codes.size()) : QStringLiteral("KEY / ") + label.toUpper();
    d.chip = !d.assignment ? QStringLiteral("Base sound")
             : !d.sound    ? QStringLiteral("Sound")
                           : categoryTitle(d.sound->category);
    d.name = d.sound ? ShownText::bounded(QString::fromStdString(d.sound->name)) : QStringLiteral("Missing sound");
    d.duration = durationText(d.sound ? d.sound->duration : 0);
    if (!d.assignment) {
        d.note = d.soundID == "none" ? QStringLiteral("Keys without their own sound stay quiet")
                                     : QStringLiteral("Plays on every key without its own sound");
    }
    return d;
}

Inspector::Inspector(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth);
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    empty_ = new QWidget(this);
    auto *hint = new QVBoxLayout(empty_);
    hint->setContentsMargins(0, 60, 0, 60);
    hint->setSpacing(12);
    hint->addWidget(new SymbolBadge("hand.point.up.left", 34, 28, Theme::ink, Qt::transparent, empty_, QFont::Normal),
                    0, Qt::AlignHCenter);
    hint->addWidget(textLabel(QStringLiteral("Click a key to give it a sound"), Fonts::system(14, QFont::DemiBold),
                              Theme::ink, empty_),
                    0, Qt::AlignHCenter);
    hint->addWidget(
        textLabel(QStringLiteral("Shift-click to pick several at once."), Fonts::system(12), Theme::ink3, empty_), 0,
        Qt::AlignHCenter);
    stack->addWidget(empty_);

    content_ = new QWidget(this);
    auto *content = new QVBoxLayout(content_);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    auto *top = new QVBoxLayout;
    top->setContentsMargins(20, 20, 20, 20);
    top->setSpacing(18);

    auto *headerRow = new QHBoxLayout;
    headerRow->setSpacing(12);
    cap_ = new MiniCap({CapPalette::white, std::nullopt, std::nullopt}, 46, content_);
    headerRow->addWidget(cap_);
    QFont headerFont = Fonts::mono(11, QFont::Medium);
    headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    header_ = textLabel(QString(), headerFont, Theme::ink3, content_);
    headerRow->addWidget(header_);
    headerRow->addStretch(1);
    chip_ = new Chip(QString(), CapPalette::white, content_);
    headerRow->addWidget(chip_);
    top->addLayout(headerRow);

    QFont nameFont = Fonts::system(30, QFont::ExtraBold);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    name_ = new FittingText(QString(), nameFont, Theme::ink, 0.7, Qt::AlignLeft, content_);
    top->addWidget(name_);

    // The grey rounded card behind the waveform, with the orange start mark over the waveform's leading edge.
    auto *card = new RoundedPanel(16, Theme::panel, content_);
    auto *cardStack = new QVBoxLayout(card);
    cardStack->setContentsMargins(14, 14, 14, 14);
    cardStack->setSpacing(12);
    waveform_ = new Waveform({}, Theme::ink, kTrimmed, 4, std::nullopt, card);
    waveform_->setFixedHeight(56);
    cardStack->addWidget(waveform_);
    auto *mark = new StartMark(card);
    auto *playRow = new QHBoxLayout;
    playRow->setSpacing(10);
    play_ = new PlayButton(40, {}, card);
    playRow->addWidget(play_);
    duration_ = textLabel(QString(), Fonts::mono(12, QFont::Medium), Theme::ink, card);
    playRow->addWidget(duration_);
    playRow->addStretch(1);
    note_ = textLabel(QString(), Fonts::system(11), Theme::ink3, card);
    note_->setWordWrap(true);
    note_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    note_->setFixedWidth(kNoteWidth);
    playRow->addWidget(note_);
    cardStack->addLayout(playRow);
    top->addWidget(card);
    mark_ = mark;
    // The mark follows the waveform's leading edge wherever the layout puts it.
    waveform_->installEventFilter(this);

    controls_ = new AssignedControls(model_, content_);
    top->addWidget(controls_);
    picks_ = new QuickPicks(model_, content_);
    top->addWidget(picks_);
    content->addLayout(top);

    auto *bar = new ActionBar(content_);
    auto *actions = new QHBoxLayout(bar);
    actions->setContentsMargins(20, 12, 20, 12);
    actions->setSpacing(8);
    choose_ = new PillButton(QStringLiteral("Choose a sound"), BlackPillButtonStyle{40}, bar);
    choose_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(choose_, &QAbstractButton::clicked, this,
            [this] { model_.setSoundPicker(SoundPickerTarget::keys(model_.selectedKeys())); });
    actions->addWidget(choose_, 1);
    record_ = new RoundButton("record.circle", 16, QFont::Normal, kRecordRed,
                              QStringLiteral("Record a sound for this key"), bar);
    connect(record_, &QAbstractButton::clicked, this, [this] {
        model_.setPickerStartsOnRecord(true);
        model_.setSoundPicker(SoundPickerTarget::keys(model_.selectedKeys()));
    });
    actions->addWidget(record_);
    reset_ = new RoundButton("arrow.uturn.backward", 14, QFont::DemiBold, Theme::ink,
                             QStringLiteral("Reset to the base sound"), bar);
    connect(reset_, &QAbstractButton::clicked, this, [this] {
        // The reset takes the button away; focus the keyboard gave it stays in the bar, on its neighbour,
        // instead of falling to whatever comes next on the page.
        if (reset_->hasFocus()) {
            record_->setFocus(Qt::OtherFocusReason);
        }
        model_.resetKeys(model_.selectedKeys());
    });
    actions->addWidget(reset_);
    content->addWidget(bar);
    stack->addWidget(content_);

    applyCardShadow(this, kCorner);
    connect(&model_, &AppModel::selectedKeysChanged, this, &Inspector::sync);
    model_.observe(AppModel::keysChange | AppModel::userSoundsChange, this, [this] { sync(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &Inspector::sync);
    sync();
}

bool Inspector::eventFilter(QObject *watched, QEvent *event) {
    if (watched == waveform_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        const QRect wave = waveform_->geometry();
        mark_->setGeometry(wave.left(), wave.top() - 6, 2, wave.height() + 12);
        mark_->raise();
    }
    return QWidget::eventFilter(watched, event);
}

void Inspector::sync() {
    const KeySet &codes = model_.selectedKeys();
    shown_ = describe(model_, codes);
    empty_->setVisible(!shown_);
    content_->setVisible(shown_.has_value());
    if (!shown_) {
        return;
    }
    const Description &d = *shown_;
    cap_->setContent({d.palette, d.capSymbol, d.capText});
    header_->setText(d.header);
    chip_->setText(d.chip);
    chip_->setCapPalette(d.palette);
    name_->setText(d.name);
    waveform_->setPeaks(model_.peaks(d.soundID));
    play_->setAction(previewAction(model_, d.soundID));
    duration_->setText(d.duration);
    note_->setText(d.note);
    note_->setVisible(!d.note.isEmpty());
    // An empty label has no height for a width (-1): it takes none.
    note_->setMinimumHeight(std::max(0, note_->heightForWidth(kNoteWidth)));
    controls_->setVisible(d.assignment.has_value());
    picks_->setVisible(!d.assignment);
    if (d.assignment) {
        controls_->setAssignment(*d.assignment, codes);
    } else {
        picks_->setCodes(codes);
        picks_->refresh();
    }
    choose_->setText(d.assignment ? QStringLiteral("Replace sound") : QStringLiteral("Choose a sound"));
    reset_->setVisible(d.assignment.has_value());
}

bool Inspector::isEmptyState() const {
    return !shown_;
}

QAbstractButton *Inspector::playButton() const {
    return play_;
}

QAbstractButton *Inspector::chooseButton() const {
    return choose_;
}

QString Inspector::chooseText() const {
    return choose_->text();
}

void Inspector::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(continuousRoundedRect(QRectF(rect()), kCorner));
    painter.fillRect(rect(), Qt::white);
}

} // namespace tc

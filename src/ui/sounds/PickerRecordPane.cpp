#include "ui/sounds/PickerRecordPane.h"

#include "ui/kit/CapPalette.h"
#include "ui/kit/Card.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

using Kind = Recorder::State::Kind;

constexpr QColor kRecordingRed(215, 53, 31);
constexpr QColor kIdleGrey(200, 200, 195);
constexpr qreal kCardWidth = 600;
constexpr qreal kCardCorner = 18;

// The status dot: red with a glow while recording, grey otherwise.
class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget *parent) : QWidget(parent) {
        setFixedSize(8, 8);
        glow_ = new ShadowEffect({}, 4, this);
        setGraphicsEffect(glow_);
    }
    void setRecording(bool recording) {
        recording_ = recording;
        glow_->setShadows(recording ? std::vector<Shadow>{{Theme::withOpacity(kRecordingRed, 0.7), 4, QPointF(0, 0)}}
                                    : std::vector<Shadow>{});
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(recording_ ? kRecordingRed : kIdleGrey);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    bool recording_ = false;
    ShadowEffect *glow_;
};

// The level meter: 60 capsules, 6 wide and 3 apart, centred on a 90-point band.
class LevelMeter : public QWidget {
public:
    LevelMeter(const Recorder &recorder, QWidget *parent) : QWidget(parent), recorder_(recorder) {
        const qreal width = PickerRecordPane::kBars * PickerRecordPane::kBarWidth +
                            (PickerRecordPane::kBars - 1) * PickerRecordPane::kBarSpacing;
        setFixedSize(static_cast<int>(std::ceil(width)), static_cast<int>(PickerRecordPane::kMeterHeight));
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const auto levels = PickerRecordPane::meterLevels(recorder_.levels());
        qreal x = 0;
        for (const float level : levels) {
            const qreal height = PickerRecordPane::barHeight(level);
            const QRectF bar(x, (PickerRecordPane::kMeterHeight - height) / 2, PickerRecordPane::kBarWidth, height);
            painter.fillPath(capsule(bar), level > 0 ? Theme::ink : Theme::rail);
            x += PickerRecordPane::kBarWidth + PickerRecordPane::kBarSpacing;
        }
    }

private:
    const Recorder &recorder_;
};

// A thin linear progress bar tinted Theme.ink over a Theme.rail track.
class ProgressLine : public QWidget {
public:
    ProgressLine(const Recorder &recorder, QWidget *parent) : QWidget(parent), recorder_(recorder) {
        setFixedHeight(6);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF track(0, 1, width(), 4);
        painter.fillPath(capsule(track), Theme::rail);
        const qreal fraction = PickerRecordPane::progress(recorder_.elapsed());
        if (fraction > 0) {
            QRectF filled = track;
            filled.setWidth(std::max(track.height(), track.width() * fraction));
            painter.fillPath(capsule(filled), Theme::ink);
        }
    }

private:
    const Recorder &recorder_;
};

// The red record key: a white dot to start, a white rounded square to stop.
class RecordKey : public QAbstractButton {
public:
    static constexpr qreal kWidth = 112;
    static constexpr qreal kHeight = 104;
    static constexpr qreal kCorner = 24;

    explicit RecordKey(QWidget *parent) : QAbstractButton(parent) {
        setCursor(Qt::PointingHandCursor);
        // The ring goes round the cap, on the card, where it shows; on the red cap it would hardly show.
        FocusRing::attach(this, kCorner + KeyCap::outset);
        setFixedSize(static_cast<int>(kWidth) + 2 * KeyCap::outset, static_cast<int>(kHeight) + 2 * KeyCap::outset);
        setRecording(false);
    }
    void setRecording(bool recording) {
        recording_ = recording;
        setAccessibleName(recording ? QStringLiteral("Stop recording") : QStringLiteral("Start recording"));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        const bool recording = recording_;
        KeyCap::paint(painter, QRectF(KeyCap::outset, KeyCap::outset, kWidth, kHeight), CapPalette::red, kCorner, 0,
                      false, [recording](QPainter &p, const QRectF &face, const QColor &) {
                          p.save();
                          p.setRenderHint(QPainter::Antialiasing);
                          if (recording) {
                              QRectF square(0, 0, 24, 24);
                              square.moveCenter(face.center());
                              paintPanel(p, square, 5, Qt::white);
                          } else {
                              QRectF circle(0, 0, 30, 30);
                              circle.moveCenter(face.center());
                              p.setPen(Qt::NoPen);
                              p.setBrush(Qt::white);
                              p.drawEllipse(circle);
                          }
                          p.restore();
                      });
    }
    bool hitButton(const QPoint &pos) const override {
        return QRectF(KeyCap::outset, KeyCap::outset, kWidth, kHeight).contains(pos);
    }

private:
    bool recording_ = false;
};

QString limitText() {
    return QStringLiteral(" / ") + PickerRecordPane::elapsedText(Recorder::kMaxSeconds);
}

} // namespace

PickerRecordPane::PickerRecordPane(Recorder &recorder, std::function<void()> openSettings, QWidget *parent)
    : QWidget(parent), recorder_(recorder), canOpenSettings_(static_cast<bool>(openSettings)) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(22);
    column->addStretch(1);

    // The white meter card with the soft card shadow.
    card_ = new RoundedPanel(kCardCorner, Qt::white, this);
    card_->setFixedWidth(static_cast<int>(kCardWidth));
    applyCardShadow(card_, kCardCorner);
    auto *cardColumn = new QVBoxLayout(card_);
    cardColumn->setContentsMargins(18, 18, 18, 18);
    cardColumn->setSpacing(12);

    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(0);
    auto *dot = new StatusDot(card_);
    dot_ = dot;
    statusRow->addWidget(dot, 0, Qt::AlignVCenter);
    statusRow->addSpacing(8);
    status_ = textLabel(QString(), Fonts::system(13, QFont::DemiBold), Theme::ink, card_);
    statusRow->addWidget(status_);
    statusRow->addStretch(1);
    elapsed_ = textLabel(QString(), Fonts::mono(13, QFont::Medium), Theme::ink, card_);
    statusRow->addWidget(elapsed_);
    statusRow->addWidget(textLabel(limitText(), Fonts::mono(13, QFont::Medium), Theme::ink3, card_));
    cardColumn->addLayout(statusRow);

    meter_ = new LevelMeter(recorder_, card_);
    cardColumn->addWidget(meter_, 0, Qt::AlignLeft);
    progress_ = new ProgressLine(recorder_, card_);
    cardColumn->addWidget(progress_);
    column->addWidget(card_, 0, Qt::AlignHCenter);

    auto *key = new RecordKey(this);
    record_ = key;
    connect(key, &QAbstractButton::clicked, this, [this] {
        // While a take runs the key ends it early; otherwise it starts one (the recorder itself refuses a
        // second take while one is starting or running).
        if (recorder_.state().kind == Kind::recording) {
            recorder_.stop();
        } else {
            recorder_.start();
        }
    });
    column->addWidget(key, 0, Qt::AlignHCenter);

    hint_ = textLabel(QString(), Fonts::system(12), Theme::ink2, this);
    column->addWidget(hint_, 0, Qt::AlignHCenter);

    settings_ = new PillButton(QStringLiteral("Open Microphone settings"), OutlinePillButtonStyle{36}, this);
    connect(settings_, &QAbstractButton::clicked, this, [open = std::move(openSettings)] {
        if (open) {
            open();
        }
    });
    column->addWidget(settings_, 0, Qt::AlignHCenter);
    column->addStretch(1);

    refresh(std::nullopt);
}

void PickerRecordPane::refresh(const std::optional<QString> &takeError) {
    takeError_ = takeError;
    const auto &state = recorder_.state();
    const bool recording = state.kind == Kind::recording;
    static_cast<StatusDot *>(dot_)->setRecording(recording);
    static_cast<RecordKey *>(record_)->setRecording(recording);
    status_->setText(statusText(state, takeError_));
    elapsed_->setText(elapsedText(recorder_.elapsed()));
    hint_->setText(hintText(state, !takeError_));
    settings_->setVisible(state.kind == Kind::denied && canOpenSettings_);
    meter_->update();
    progress_->update();
}

QString PickerRecordPane::status() const {
    return status_->text();
}

QString PickerRecordPane::hint() const {
    return hint_->text();
}

QString PickerRecordPane::elapsed() const {
    return elapsed_->text();
}

QString PickerRecordPane::statusText(const Recorder::State &state, const std::optional<QString> &takeError) {
    switch (state.kind) {
    case Kind::finished:
        return takeError ? *takeError : QStringLiteral("Saved to My sounds");
    case Kind::failed:
        return QString::fromStdString(state.message);
    case Kind::idle:
        return QStringLiteral("Ready to record");
    case Kind::needsPermission:
        return QStringLiteral("Waiting for microphone access…");
    case Kind::denied:
        return QStringLiteral("Microphone access is off");
    case Kind::recording:
        break;
    }
    return QStringLiteral("Recording");
}

QString PickerRecordPane::hintText(const Recorder::State &state, bool takeSaved) {
    if (state.kind == Kind::recording) {
        return QStringLiteral("Stops on its own after 3 seconds.");
    }
    if (state.kind == Kind::finished && takeSaved) {
        return QStringLiteral("Press the button to record another, or use this one.");
    }
    return QStringLiteral("Short and punchy works best. Silence is trimmed for you.");
}

QString PickerRecordPane::elapsedText(double seconds) {
    return QString::asprintf("00:%05.2f", seconds);
}

std::array<float, PickerRecordPane::kBars> PickerRecordPane::meterLevels(const std::vector<float> &levels) {
    std::array<float, kBars> bars{};
    const std::size_t first = levels.size() > kBars ? levels.size() - kBars : 0;
    for (std::size_t i = first; i < levels.size(); ++i) {
        bars[i - first] = levels[i];
    }
    return bars;
}

qreal PickerRecordPane::barHeight(float level) {
    return std::max<qreal>(static_cast<qreal>(level) * 86, 4);
}

qreal PickerRecordPane::progress(double elapsed) {
    return std::clamp(elapsed, 0.0, Recorder::kMaxSeconds) / Recorder::kMaxSeconds;
}

QStringList PickerRecordPane::soundSettingsCommand(const std::function<bool(const QString &)> &installed) {
    // GNOME's and KDE's sound pages, then the PulseAudio volume control on its input devices tab.
    const std::vector<QStringList> candidates = {
        {QStringLiteral("gnome-control-center"), QStringLiteral("sound")},
        {QStringLiteral("kcmshell6"), QStringLiteral("kcm_pulseaudio")},
        {QStringLiteral("kcmshell5"), QStringLiteral("kcm_pulseaudio")},
        {QStringLiteral("pavucontrol"), QStringLiteral("--tab=4")},
        {QStringLiteral("pavucontrol-qt"), QStringLiteral("--tab=4")},
    };
    for (const auto &command : candidates) {
        if (installed(command.front())) {
            return command;
        }
    }
    return {};
}

std::function<void()> PickerRecordPane::systemSoundSettings() {
    const QStringList command =
        soundSettingsCommand([](const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
    if (command.isEmpty()) {
        return {};
    }
    return [command] { QProcess::startDetached(command.front(), command.mid(1)); };
}

} // namespace tc

#include "ui/editor/InspectorControls.h"

#include "app/AppModel.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/Percent.h"
#include "ui/kit/PercentSlider.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

// A button that is all its children (a badge): it paints nothing itself, so no frame of the style's shows
// around the kit's focus ring.
class BareButton final : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent *) override {}
};

constexpr int kSteps = 1000; // slider positions per unit of the fraction

QSlider *fractionSlider(double low, double high, QWidget *parent) {
    auto *slider = new PercentSlider(kSteps, parent);
    slider->setRange(static_cast<int>(std::lround(low * kSteps)), static_cast<int>(std::lround(high * kSteps)));
    return slider;
}

QHBoxLayout *valueRow(const QString &title, QLabel *value, QWidget *parent) {
    auto *row = new QHBoxLayout;
    row->addWidget(textLabel(title, Fonts::system(13, QFont::DemiBold), Theme::ink, parent));
    row->addStretch(1);
    row->addWidget(value);
    return row;
}

QFrame *divider(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Theme::line.darker(104));
    line->setPalette(palette);
    return line;
}

// The chevron of the group's header: down while closed, up while open.
class Chevron final : public QWidget {
public:
    explicit Chevron(QWidget *parent) : QWidget(parent) {
        setFixedSize(16, 16);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setUp(bool up) {
        up_ = up;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        painter.rotate(up_ ? 180 : 0);
        Symbols::paint(painter, QRectF(-8, -8, 16, 16), "chevron.down", 11, QFont::Bold, Theme::ink);
    }

private:
    bool up_ = false;
};

// The header of the Advanced group: the whole row is the button.
class HeaderButton final : public QAbstractButton {
public:
    explicit HeaderButton(QWidget *parent) : QAbstractButton(parent) {
        setFixedHeight(50);
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this, 8);
        setAccessibleName(QStringLiteral("Advanced"));
    }

protected:
    void paintEvent(QPaintEvent *) override {}
};

} // namespace

int sliderPosition(double value, double low, double high) {
    if (std::isnan(value)) {
        value = low;
    }
    return static_cast<int>(std::lround(std::clamp(value, low, high) * kSteps));
}

QString AssignedControls::summary(const KeyAssignment &assignment) {
    const int on = static_cast<int>(assignment.randomInCategory) + static_cast<int>(assignment.layerBase) +
                   static_cast<int>(assignment.playOnKeyUp);
    return QStringLiteral("Pitch ±%1% · %2 of 3 options on").arg(percentOf(assignment.pitchVariation)).arg(on);
}

AssignedControls::AssignedControls(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(18);

    auto *volumeBlock = new QVBoxLayout;
    volumeBlock->setSpacing(8);
    volumeText_ = textLabel(QString(), Fonts::mono(12, QFont::Medium), Theme::ink3, this);
    volumeBlock->addLayout(valueRow(QStringLiteral("Volume"), volumeText_, this));
    volume_ = fractionSlider(kVolumeLow, 1.0, this);
    volume_->setAccessibleName(QStringLiteral("Volume"));
    connect(volume_, &QSlider::valueChanged, this, [this](int position) {
        const double volume = static_cast<double>(position) / kSteps;
        edit([volume](KeyAssignment &a) { a.volume = volume; });
    });
    volumeBlock->addWidget(volume_);
    stack->addLayout(volumeBlock);

    auto *box = new RoundedPanel(14, Theme::soft, QPen(Theme::line, 1), this); // the advanced options' group
    auto *group = new QVBoxLayout(box);
    group->setContentsMargins(0, 0, 0, 0);
    group->setSpacing(0);
    auto *header = new HeaderButton(box);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(14, 0, 14, 0);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto *advanced = textLabel(QStringLiteral("Advanced"), Fonts::system(13, QFont::DemiBold), Theme::ink, header);
    advanced->setAttribute(Qt::WA_TransparentForMouseEvents);
    titles->addWidget(advanced);
    subtitle_ = textLabel(QString(), Fonts::system(11), Theme::ink3, header);
    subtitle_->setAttribute(Qt::WA_TransparentForMouseEvents);
    titles->addWidget(subtitle_);
    headerRow->addLayout(titles);
    headerRow->addStretch(1);
    auto *chevron = new Chevron(header);
    chevron_ = chevron;
    headerRow->addWidget(chevron_);
    header_ = header;
    connect(header_, &QAbstractButton::clicked, this, [this] { setAdvancedOpen(!open_); });
    group->addWidget(header_);

    body_ = new QWidget(box);
    auto *body = new QVBoxLayout(body_);
    body->setContentsMargins(14, 0, 14, 4);
    body->setSpacing(0);
    auto *pitchBlock = new QVBoxLayout;
    pitchBlock->setSpacing(8);
    pitchBlock->setContentsMargins(0, 0, 0, 10);
    pitchText_ = textLabel(QString(), Fonts::mono(12, QFont::Medium), Theme::ink3, body_);
    pitchBlock->addLayout(valueRow(QStringLiteral("Pitch variation"), pitchText_, body_));
    pitch_ = fractionSlider(0.0, kPitchHigh, body_);
    pitch_->setAccessibleName(QStringLiteral("Pitch variation"));
    connect(pitch_, &QSlider::valueChanged, this, [this](int position) {
        const double pitch = static_cast<double>(position) / kSteps;
        edit([pitch](KeyAssignment &a) { a.pitchVariation = pitch; });
    });
    pitchBlock->addWidget(pitch_);
    body->addLayout(pitchBlock);

    struct Option {
        QString title;
        bool KeyAssignment::*field;
    };
    const Option options[] = {
        {QStringLiteral("Random within category"), &KeyAssignment::randomInCategory},
        {QStringLiteral("Layer over base click"), &KeyAssignment::layerBase},
        {QStringLiteral("Also play on key up"), &KeyAssignment::playOnKeyUp},
    };
    for (const Option &option : options) {
        body->addWidget(divider(body_));
        auto *row = new QWidget(body_);
        row->setFixedHeight(44);
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(textLabel(option.title, Fonts::system(13, QFont::Medium), Theme::ink, row));
        line->addStretch(1);
        const auto field = option.field;
        auto *toggle =
            new PillToggle({[this, field] { return assignment_.*field; },
                            [this, field](bool on) { edit([field, on](KeyAssignment &a) { a.*field = on; }); }},
                           option.title, row);
        line->addWidget(toggle);
        toggles_.push_back(toggle);
        body->addWidget(row);
    }
    group->addWidget(body_);
    stack->addWidget(box);
    setAdvancedOpen(false);
}

void AssignedControls::setAssignment(const KeyAssignment &assignment, const KeySet &codes) {
    assignment_ = assignment;
    codes_ = codes;
    volumeText_->setText(percentText(assignment.volume));
    pitchText_->setText(QStringLiteral("±") + percentText(assignment.pitchVariation));
    // A slider the user holds keeps its place; it already shows the value it wrote.
    for (auto [slider, position] : {std::pair{volume_, sliderPosition(assignment.volume, kVolumeLow, 1.0)},
                                    std::pair{pitch_, sliderPosition(assignment.pitchVariation, 0.0, kPitchHigh)}}) {
        if (!slider->isSliderDown() && slider->value() != position) {
            const QSignalBlocker quiet(slider);
            slider->setValue(position);
        }
    }
    for (PillToggle *toggle : toggles_) {
        toggle->refresh();
    }
    syncSubtitle();
}

void AssignedControls::setAdvancedOpen(bool open) {
    open_ = open;
    body_->setVisible(open);
    // The group's height changes: every layout up to the column must hear of it, also before the first show.
    for (QWidget *widget = body_->parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
        if (widget->layout() != nullptr) {
            widget->layout()->invalidate();
        }
        widget->updateGeometry();
    }
    static_cast<Chevron *>(chevron_)->setUp(open);
    syncSubtitle();
}

void AssignedControls::syncSubtitle() {
    subtitle_->setText(open_ ? QStringLiteral("Fine-tune how this key sounds") : summary(assignment_));
}

QString AssignedControls::volumeText() const {
    return volumeText_->text();
}
QString AssignedControls::pitchText() const {
    return pitchText_->text();
}
QString AssignedControls::subtitle() const {
    return subtitle_->text();
}

void AssignedControls::edit(const std::function<void(KeyAssignment &)> &change) {
    model_.editAssignments(codes_, change);
}

const std::vector<std::string> &QuickPicks::ids() {
    static const std::vector<std::string> list = {"synth.meow", "synth.boom", "synth.airhorn", "synth.coin",
                                                  "synth.quack"};
    return list;
}

QuickPicks::QuickPicks(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    stack->addWidget(textLabel(QStringLiteral("Quick picks"), Fonts::system(13, QFont::DemiBold), Theme::ink, this));
    // Each badge sits in a button 4 larger on every side: the focus ring goes round the badge, where it shows
    // whatever the badge's colour.
    constexpr int room = 4;
    constexpr int badgeSize = 40;
    auto *row = new QHBoxLayout;
    row->setSpacing(10 - 2 * room);
    for (const std::string &id : ids()) {
        auto *button = new BareButton(this);
        button->setFixedSize(badgeSize + 2 * room, badgeSize + 2 * room);
        button->setCursor(Qt::PointingHandCursor);
        FocusRing::attach(button, 10 + room);
        auto *badge = new MiniCap(MiniCap::forCategory(SoundCategory::mechanical), badgeSize, button);
        badge->setObjectName(QStringLiteral("badge"));
        badge->setAttribute(Qt::WA_TransparentForMouseEvents);
        badge->move(room, room + 1);
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            const KeySet codes = codes_;
            model_.assign(id, codes);
            previewAction(model_, id)();
        });
        buttons_.emplace_back(id, button);
        row->addWidget(button);
    }
    row->addStretch(1);
    stack->addLayout(row);
    refresh();
}

void QuickPicks::refresh() {
    for (auto &[id, button] : buttons_) {
        const auto sound = model_.sound(id);
        button->setVisible(sound.has_value());
        if (sound) {
            button->setToolTip(QString::fromStdString(sound->name));
            button->setAccessibleName(QString::fromStdString(sound->name));
            button->findChild<MiniCap *>(QStringLiteral("badge"))->setContent(MiniCap::forCategory(sound->category));
        }
    }
}

QAbstractButton *QuickPicks::button(const std::string &id) const {
    for (const auto &[pick, button] : buttons_) {
        if (pick == id && !button->isHidden()) {
            return button;
        }
    }
    return nullptr;
}

} // namespace tc

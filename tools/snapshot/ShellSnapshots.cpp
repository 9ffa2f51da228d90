// The shared views of the shell, the tray icon in each state and the notice panel with sample values.

#include "Snapshot.h"

#include "app/Notice.h"
#include "app/shell/MenuBarIcon.h"
#include "engine/Hotkey.h"
#include "model/StarterPacks.h"
#include "ui/kit/Card.h"
#include "ui/kit/Chip.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/MascotLogo.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TipBanner.h"
#include "ui/kit/TrayCard.h"
#include "ui/kit/Waveform.h"
#include "ui/shell/NoticeView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace tc::snapshot {

namespace {

QLabel *caption(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setFont(Fonts::mono(10, QFont::Medium));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::ink2);
    label->setPalette(palette);
    return label;
}

// A transparent box that lays its children out in a row or a column.
QWidget *row(int spacing = 24) {
    auto *box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return box;
}

QWidget *column(int spacing = 16) {
    auto *box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return box;
}

// A view with a caption under it.
QWidget *labelled(QWidget *view, const QString &text) {
    QWidget *box = column(8);
    box->layout()->addWidget(view);
    box->layout()->setAlignment(view, Qt::AlignHCenter);
    QLabel *label = caption(text, box);
    box->layout()->addWidget(label);
    box->layout()->setAlignment(label, Qt::AlignHCenter);
    return box;
}

// Paints with a function, at a fixed size.
class Painted : public QWidget {
public:
    Painted(QSize size, std::function<void(QPainter &)> paint) : paint_(std::move(paint)) {
        setAttribute(Qt::WA_TranslucentBackground);
        setFixedSize(size);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paint_(painter);
    }

private:
    std::function<void(QPainter &)> paint_;
};

struct NamedColour {
    const char *name;
    QColor colour;
};

QWidget *themeColours() {
    const NamedColour colours[] = {
        {"rail", Theme::rail},
        {"panel", Theme::panel},
        {"canvas", Theme::canvas},
        {"dot", Theme::dot},
        {"tray", Theme::tray},
        {"ink", Theme::ink},
        {"ink2", Theme::ink2},
        {"ink3", Theme::ink3},
        {"line", Theme::line},
        {"border", Theme::border},
        {"soft", Theme::soft},
        {"orange", Theme::orange},
        {"orangeDeep", Theme::orangeDeep},
        {"orangeSoft", Theme::orangeSoft},
        {"orangeText", Theme::orangeText},
        {"green", Theme::green},
        {"greenSoft", Theme::greenSoft},
        {"greenText", Theme::greenText},
        {"red", Theme::red},
    };
    auto *grid = new QWidget;
    grid->setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    int i = 0;
    for (const NamedColour &c : colours) {
        const QColor colour = c.colour;
        auto *swatch = new Painted(QSize(96, 48), [colour](QPainter &p) {
            p.setPen(QPen(Theme::withOpacity(Qt::black, 0.1), 1));
            p.setBrush(colour);
            p.drawRoundedRect(QRectF(0.5, 0.5, 95, 47), 8, 8);
        });
        layout->addWidget(labelled(swatch, QString::fromLatin1(c.name)), i / 5, i % 5);
        ++i;
    }
    return grid;
}

struct NamedPalette {
    const char *name;
    const CapPalette *palette;
};

const NamedPalette palettes[] = {{"white", &CapPalette::white},   {"gray", &CapPalette::gray},
                                 {"yellow", &CapPalette::yellow}, {"blue", &CapPalette::blue},
                                 {"red", &CapPalette::red},       {"green", &CapPalette::green},
                                 {"black", &CapPalette::black}};

QWidget *capPalettes() {
    QWidget *box = row(28);
    for (const NamedPalette &p : palettes) {
        QWidget *stack = column(12);
        auto *key = new KeyCap(*p.palette, 56, 56, 10);
        key->setLegend(KeyCap::text(QStringLiteral("A"), Fonts::system(18, QFont::DemiBold)));
        key->setFixedSize(key->sizeHint());
        stack->layout()->addWidget(key);
        stack->layout()->setAlignment(key, Qt::AlignHCenter);
        auto *mini = new MiniCap({*p.palette, std::nullopt, QStringLiteral("K")}, 30);
        stack->layout()->addWidget(mini);
        stack->layout()->setAlignment(mini, Qt::AlignHCenter);
        auto *chip = new Chip(QString::fromLatin1(p.name), *p.palette);
        stack->layout()->addWidget(chip);
        stack->layout()->setAlignment(chip, Qt::AlignHCenter);
        box->layout()->addWidget(stack);
    }
    return box;
}

QWidget *keyCaps() {
    QWidget *stack = column(24);
    struct State {
        const char *name;
        bool pressed;
        bool selected;
    };
    const State states[] = {
        {"up", false, false}, {"pressed", true, false}, {"selected", false, true}, {"pressed+selected", true, true}};
    for (const CapPalette *palette : {&CapPalette::white, &CapPalette::gray, &CapPalette::black}) {
        QWidget *line = row(28);
        for (const State &s : states) {
            auto *key = new KeyCap(*palette, 56, 56, 10);
            key->setLegend(KeyCap::text(QStringLiteral("K"), Fonts::system(18, QFont::DemiBold)));
            key->setPressed(s.pressed);
            key->setSelected(s.selected);
            key->setFixedSize(key->sizeHint());
            line->layout()->addWidget(labelled(key, QString::fromLatin1(s.name)));
        }
        auto *narrow = new KeyCap(*palette, 39, 39, 7);
        narrow->setLegend(KeyCap::text(QStringLiteral("esc"), Fonts::system(10, QFont::Medium)));
        narrow->setFixedSize(narrow->sizeHint());
        line->layout()->addWidget(labelled(narrow, QStringLiteral("39 wide")));
        auto *wide = new KeyCap(*palette, 100, 56, 10);
        wide->setLegend(KeyCap::symbol("keyboard", 20));
        wide->setFixedSize(wide->sizeHint());
        line->layout()->addWidget(labelled(wide, QStringLiteral("100 wide, symbol")));
        stack->layout()->addWidget(line);
    }
    return stack;
}

QWidget *miniCaps() {
    QWidget *stack = column(24);
    QWidget *sounds = row(20);
    for (SoundCategory category : kAllSoundCategories) {
        SoundItem item;
        item.category = category;
        sounds->layout()->addWidget(labelled(cap(item), QString::fromStdString(toString(category))));
    }
    stack->layout()->addWidget(sounds);
    QWidget *sizes = row(20);
    sizes->layout()->addWidget(labelled(new MiniCap({CapPalette::yellow, "burst.fill", QStringLiteral("X")}, 44),
                                        QStringLiteral("44, symbol+text")));
    sizes->layout()->addWidget(
        labelled(new MiniCap({CapPalette::blue, std::nullopt, QStringLiteral("Ab")}, 44), QStringLiteral("44, text")));
    sizes->layout()->addWidget(
        labelled(new MiniCap({CapPalette::green, std::nullopt, std::nullopt}, 44), QStringLiteral("44, empty")));
    sizes->layout()->addWidget(
        labelled(new MiniCap({CapPalette::red, "music.note", std::nullopt}, 22), QStringLiteral("22")));
    stack->layout()->addWidget(sizes);
    return stack;
}

QWidget *pillToggles() {
    QWidget *box = row(32);
    static bool on = true;
    static bool off = false;
    box->layout()->addWidget(labelled(new PillToggle({[] { return on; }, [](bool v) { on = v; }}, "On"), "on"));
    box->layout()->addWidget(labelled(new PillToggle({[] { return off; }, [](bool v) { off = v; }}, "Off"), "off"));
    return box;
}

QWidget *pillButtons() {
    QWidget *stack = column(20);
    for (bool pressed : {false, true}) {
        QWidget *line = row(20);
        auto *black = new PillButton(QStringLiteral("Turn on"), BlackPillButtonStyle{30});
        black->setDown(pressed);
        auto *blackTall = new PillButton(QStringLiteral("Use pack"), BlackPillButtonStyle{36});
        blackTall->setDown(pressed);
        auto *outline = new PillButton(QStringLiteral("Import…"), OutlinePillButtonStyle{30});
        outline->setDown(pressed);
        auto *outlineTall = new PillButton(QStringLiteral("Share pack"), OutlinePillButtonStyle{36});
        outlineTall->setDown(pressed);
        const QString state = pressed ? QStringLiteral("pressed") : QStringLiteral("normal");
        line->layout()->addWidget(labelled(black, "black 30 " + state));
        line->layout()->addWidget(labelled(blackTall, "black 36 " + state));
        line->layout()->addWidget(labelled(outline, "outline 30 " + state));
        line->layout()->addWidget(labelled(outlineTall, "outline 36 " + state));
        stack->layout()->addWidget(line);
    }
    return stack;
}

QWidget *playButtons() {
    QWidget *box = row(24);
    for (qreal size : {24.0, 32.0, 40.0, 56.0}) {
        box->layout()->addWidget(labelled(new PlayButton(size, [] {}), QString::number(size)));
    }
    return box;
}

QLabel *bodyText(const QString &text) {
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setFont(Fonts::system(13));
    return label;
}

QWidget *card() {
    QWidget *content = column(10);
    content->layout()->addWidget(new SectionTitle(QStringLiteral("Keys"), QStringLiteral("Meme mode · 20 keys")));
    content->layout()->addWidget(bodyText(QStringLiteral("A white card with a hairline and a deep soft shadow.")));
    return new Card(24, 22, content);
}

QWidget *trayCard() {
    QWidget *header = row(10);
    auto *title = new QLabel(QStringLiteral("Sound tray"));
    title->setFont(Fonts::system(13, QFont::DemiBold));
    header->layout()->addWidget(title);
    static_cast<QHBoxLayout *>(header->layout())->addStretch(1);
    header->layout()->addWidget(new Chip(QStringLiteral("Memes"), CapPalette::yellow));
    QWidget *content = row(12);
    content->layout()->setContentsMargins(16, 16, 16, 16);
    for (SoundCategory category : kAllSoundCategories) {
        SoundItem item;
        item.category = category;
        content->layout()->addWidget(cap(item));
    }
    static_cast<QHBoxLayout *>(content->layout())->addStretch(1);
    auto *tray = new TrayCard(header, content);
    tray->setFixedWidth(420);
    return tray;
}

std::vector<float> samplePeaks() {
    std::vector<float> peaks;
    for (int i = 0; i < 64; ++i) {
        const double t = i / 63.0;
        const double envelope = std::exp(-4.0 * t) * (t < 0.03 ? t / 0.03 : 1.0);
        const double ripple = 0.75 + 0.25 * std::sin(i * 1.7);
        peaks.push_back(static_cast<float>(envelope * ripple));
    }
    return peaks;
}

QWidget *waveforms() {
    QWidget *stack = column(16);
    auto *loud = new Waveform(samplePeaks(), Theme::ink, QColor(207, 207, 202), 3);
    loud->setFixedSize(320, 56);
    stack->layout()->addWidget(labelled(loud, QStringLiteral("320 × 56, bar 3")));
    auto *silent = new Waveform({}, Theme::ink3, QColor(207, 207, 202), 3);
    silent->setFixedSize(320, 56);
    stack->layout()->addWidget(labelled(silent, QStringLiteral("no peaks")));
    auto *small = new Waveform(samplePeaks(), Theme::orange, QColor(207, 207, 202), 2);
    small->setFixedSize(120, 24);
    stack->layout()->addWidget(labelled(small, QStringLiteral("120 × 24, bar 2")));
    return stack;
}

QWidget *sectionTitles() {
    QWidget *stack = column(20);
    stack->layout()->addWidget(new SectionTitle(QStringLiteral("Sounds"), QStringLiteral("42 sounds · 3 packs")));
    stack->layout()->addWidget(new SectionTitle(QStringLiteral("App rules")));
    return stack;
}

QWidget *chips() {
    QWidget *box = row(10);
    const Profile profiles[] = {StarterPacks::makeMeme(), StarterPacks::makeAnimals(), StarterPacks::makeArcade()};
    for (const Profile &profile : profiles) {
        box->layout()->addWidget(
            new Chip(QString::fromStdString(profile.name), CapPalette::forProfileColor(profile.color)));
    }
    box->layout()->addWidget(new Chip(QStringLiteral("Mine"), CapPalette::black));
    box->layout()->addWidget(new Chip(QStringLiteral("Mechanical"), CapPalette::white));
    box->layout()->addWidget(new Chip(QStringLiteral("Everyday"), CapPalette::green));
    return box;
}

QWidget *mascots() {
    QWidget *box = row(24);
    box->layout()->addWidget(labelled(new MascotLogo(40), QStringLiteral("40")));
    box->layout()->addWidget(labelled(new MascotLogo(30), QStringLiteral("30")));
    auto *dim = new MascotLogo(30);
    dim->setOpacity(0.45);
    box->layout()->addWidget(labelled(dim, QStringLiteral("30 at 0.45")));
    box->layout()->addWidget(labelled(new MascotLogo(80), QStringLiteral("80")));
    return box;
}

QWidget *tipBanner() {
    auto *banner = new TipBanner(
        QStringLiteral("sounds"), QStringLiteral("square.stack.3d.up.fill"),
        QStringLiteral("Packs switch the whole keyboard"),
        QStringLiteral("Use pack swaps every key at once. Below, ▶ plays a sound and Assign puts it on the key you "
                       "selected."),
        {[](const QString &) { return false; }, [](const QString &) {}});
    banner->setFixedWidth(640);
    return banner;
}

QWidget *settingsLabels() {
    QWidget *stack = column(18);
    stack->layout()->addWidget(
        rowLabels(QStringLiteral("Low-latency mode"),
                  QStringLiteral("Asks the sound server for a smaller buffer, so keys sound sooner.")));
    stack->layout()->addWidget(rowLabels(QStringLiteral("Start quietly in the tray"),
                                         QStringLiteral("Tapchime opens with your desktop session.")));
    stack->setFixedWidth(360);
    return stack;
}

QWidget *menuBarIcons(const QColor &ink, const QColor &panel) {
    QWidget *box = row(28);
    for (MenuBarIcon::State state :
         {MenuBarIcon::State::playing, MenuBarIcon::State::off, MenuBarIcon::State::silenced}) {
        const QString name = state == MenuBarIcon::State::playing ? QStringLiteral("playing")
                             : state == MenuBarIcon::State::off   ? QStringLiteral("off")
                                                                  : QStringLiteral("silenced");
        auto *big = new Painted(QSize(20 * 8 + 16, 16 * 8 + 16), [state, ink, panel](QPainter &p) {
            p.fillRect(QRect(0, 0, 176, 144), panel);
            p.drawImage(QRectF(8, 8, 160, 128), MenuBarIcon::image(state, ink, 8));
        });
        auto *actual = new Painted(QSize(28, 24), [state, ink, panel](QPainter &p) {
            p.fillRect(QRect(0, 0, 28, 24), panel);
            p.drawImage(QPointF(4, 4), MenuBarIcon::image(state, ink, p.device()->devicePixelRatioF()));
        });
        QWidget *stack = column(10);
        stack->layout()->addWidget(big);
        stack->layout()->addWidget(actual);
        stack->layout()->setAlignment(actual, Qt::AlignHCenter);
        box->layout()->addWidget(labelled(stack, name));
    }
    return box;
}

QWidget *symbols() {
    auto *grid = new QWidget;
    grid->setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(18);
    layout->setVerticalSpacing(10);
    int i = 0;
    for (const Symbols::Entry &entry : Symbols::table()) {
        const std::string name(entry.name);
        auto *glyph = new Painted(QSize(28, 28), [name](QPainter &p) {
            Symbols::paint(p, QRectF(0, 0, 28, 28), name, 22, QFont::Normal, Theme::ink);
        });
        QWidget *line = row(8);
        line->layout()->addWidget(glyph);
        line->layout()->addWidget(caption(QString::fromStdString(name), line));
        layout->addWidget(line, i / 4, i % 4);
        ++i;
    }
    return grid;
}

Silence sampleSilence(Silence::Kind kind) {
    switch (kind) {
    case Silence::Kind::off:
        return {kind, QStringLiteral("Sounds are off"),
                QStringLiteral("Press %1 or turn them on here.")
                    .arg(QString::fromStdString(hotkeyText(Hotkey::toggleSounds))),
                QStringLiteral("Turn on")};
    case Silence::Kind::volume:
        return {kind, QStringLiteral("Volume is at 0"), QStringLiteral("Tapchime's own volume is all the way down."),
                QStringLiteral("Set to 80%")};
    case Silence::Kind::macMuted:
        return {kind, QStringLiteral("Your computer is muted"),
                QStringLiteral("Turn up the computer's sound to hear your keys."), std::nullopt};
    case Silence::Kind::app:
        return {kind, QStringLiteral("Muted in Zoom"), QStringLiteral("An App rule keeps this app quiet."),
                QStringLiteral("Edit rules")};
    default:
        return {kind, QStringLiteral("Quiet hours"), QStringLiteral("Sounds come back at 08:00."),
                QStringLiteral("Play now")};
    }
}

Snapshot notice(const QString &name, const Notice &n) {
    return {name, [n] { return new NoticeView(n, {}); }, Theme::canvas, {}, 24};
}

} // namespace

std::vector<Snapshot> shellSnapshots() {
    return {
        {QStringLiteral("theme-colours"), themeColours, Theme::panel, {}, 32},
        {QStringLiteral("cap-palettes"), capPalettes, Theme::panel, {}, 40},
        {QStringLiteral("dotted-background"), [] { return new DottedBackground(20); }, Theme::panel, QSize(400, 300),
         16},
        {QStringLiteral("key-caps"), keyCaps, Theme::panel, {}, 40},
        {QStringLiteral("mini-caps"), miniCaps, Theme::panel, {}, 40},
        {QStringLiteral("pill-toggle"), pillToggles, Theme::panel, {}, 32},
        {QStringLiteral("pill-buttons"), pillButtons, Theme::panel, {}, 32},
        {QStringLiteral("play-button"), playButtons, Theme::panel, {}, 32},
        {QStringLiteral("card"), card, QColor(), QSize(420, 0), 64},
        {QStringLiteral("tray-card"), trayCard, QColor(), {}, 64},
        {QStringLiteral("waveform"), waveforms, Qt::white, {}, 32},
        {QStringLiteral("section-title"), sectionTitles, Theme::panel, {}, 32},
        {QStringLiteral("chips"), chips, Theme::panel, {}, 32},
        {QStringLiteral("mascot-logo"), mascots, Theme::panel, {}, 32},
        {QStringLiteral("tip-banner"), tipBanner, Theme::panel, {}, 32},
        {QStringLiteral("settings-labels"), settingsLabels, Qt::white, {}, 32},
        {QStringLiteral("symbols"), symbols, Qt::white, {}, 32},
        {QStringLiteral("menubar-icon-light"),
         [] { return menuBarIcons(Qt::black, QColor(236, 236, 236)); },
         Theme::panel,
         {},
         24},
        {QStringLiteral("menubar-icon-dark"),
         [] { return menuBarIcons(Qt::white, QColor(40, 40, 40)); },
         Theme::panel,
         {},
         24},
        notice(QStringLiteral("notice-sounds-on"), Notice::soundsOn()),
        notice(QStringLiteral("notice-sounds-off"), Notice::soundsOff()),
        notice(QStringLiteral("notice-silent-off"), Notice::silent(sampleSilence(Silence::Kind::off))),
        notice(QStringLiteral("notice-silent-volume"), Notice::silent(sampleSilence(Silence::Kind::volume))),
        notice(QStringLiteral("notice-silent-muted"), Notice::silent(sampleSilence(Silence::Kind::macMuted))),
        notice(QStringLiteral("notice-silent-app"), Notice::silent(sampleSilence(Silence::Kind::app))),
    };
}

} // namespace tc::snapshot

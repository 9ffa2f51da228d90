#include "ui/shell/MenuBarView.h"

#include "app/AppModel.h"
#include "model/KeyLayout.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/CountText.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/LabelPillButton.h"
#include "ui/kit/MascotLogo.h"
#include "ui/kit/OrangeDial.h"
#include "ui/kit/Percent.h"
#include "ui/kit/RoundedPanel.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"
#include "ui/shell/MenuBarParts.h"
#include "ui/shell/SilenceCard.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

QFont tracked(QFont font, qreal spacing) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

int volumeSteps(double volume) {
    if (std::isnan(volume)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * VolumeSlider::steps));
}

} // namespace

MenuBarView::MenuBarView(AppModel &model, Actions actions, QWidget *parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)) {
    setFixedWidth(fixedWidth);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Theme::ink);
    palette.setColor(QPalette::Window, Theme::rail);
    setPalette(palette);
    setAutoFillBackground(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(10);
    column->addWidget(makeHeader());
    status_ = new QVBoxLayout;
    status_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(status_);
    // Made before the blocks below it, so they are drawn over the dial's shadow.
    dial_ = makeDial();
    status_->addWidget(dial_);
    column->addWidget(makeProfileCard());
    column->addWidget(makeBanner());
    column->addWidget(makeBottomRow());

    model_.observe(AppModel::profilesChange | AppModel::keysChange | AppModel::appRulesChange |
                       AppModel::userSoundsChange | AppModel::settingsChange,
                   this, [this] {
                       refreshPill();
                       refreshDial();
                       refreshProfiles();
                       refreshVolume();
                       refreshBanner();
                   });
    connect(&model_, &AppModelSignals::silenceChanged, this, [this] { refreshStatus(); });
    for (auto signal : {&AppModelSignals::pressesTodayChanged, &AppModelSignals::lastPlayedKeyChanged,
                        &AppModelSignals::lastPlayedSoundIDChanged, &AppModelSignals::currentAppBundleIDChanged,
                        &AppModelSignals::soundsVersionChanged, &AppModelSignals::soundsReadyChanged}) {
        connect(&model_, signal, this, [this] { refreshDial(); });
    }
    refreshPill();
    refreshStatus();
    refreshDial();
    refreshProfiles();
    refreshVolume();
    refreshBanner();
}

MenuBarView::~MenuBarView() = default;

// --- Texts --------------------------------------------------------------------------------------------------

QString MenuBarView::keyText(std::optional<std::uint16_t> lastPlayedKey) {
    if (!lastPlayedKey) {
        return QStringLiteral("TYPE SOMETHING");
    }
    return QString::fromStdString(KeyLayout::label(*lastPlayedKey)).toUpper();
}

QString MenuBarView::nameText(const AppModel &model) {
    if (const auto &id = model.lastPlayedSoundID()) {
        const auto sound = model.sound(*id);
        return sound ? ShownText::bounded(QString::fromStdString(sound->name)) : QStringLiteral("Missing sound");
    }
    return ShownText::bounded(QString::fromStdString(model.effectiveProfile().name));
}

QString MenuBarView::todayText(std::int64_t pressesToday, const QLocale &locale) {
    return groupedNumber(pressesToday, locale) + QStringLiteral(" TODAY");
}

QString MenuBarView::autoMuteDetail(bool muteWhenMicInUse) {
    return muteWhenMicInUse ? QStringLiteral("Whenever your mic is on") : QStringLiteral("Off · turn on in App rules");
}

QString MenuBarView::shownKeyText() const {
    return key_->text();
}

QString MenuBarView::shownNameText() const {
    return name_->text();
}

QString MenuBarView::shownCountText() const {
    return count_->text();
}

QString MenuBarView::volumeText() const {
    return percent_->text();
}

QString MenuBarView::bannerDetail() const {
    return bannerDetail_->text();
}

// --- Blocks -------------------------------------------------------------------------------------------------

QWidget *MenuBarView::makeHeader() {
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(10);
    row->addWidget(new MascotLogo(34, header));
    row->addWidget(textLabel(QStringLiteral("Tapchime"), Fonts::system(17, QFont::Bold), Theme::ink, header));
    row->addStretch(1);
    pill_ = new OnOffPill(model_.data().settings.enabled, header);
    connect(pill_, &QAbstractButton::clicked, this, [this] { toggleSounds(); });
    row->addWidget(pill_);
    return header;
}

OrangeDial *MenuBarView::makeDial() {
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto *top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(textLabel(QStringLiteral("Now playing"), Fonts::system(15, QFont::Bold), Theme::ink, content));
    top->addStretch(1);
    count_ = textLabel(QString(), tracked(Fonts::mono(10, QFont::Medium), 0.6), Theme::ink, content);
    top->addWidget(count_);
    column->addLayout(top);
    column->addStretch(1);
    auto *bottom = new QVBoxLayout;
    bottom->setSpacing(2);
    key_ = textLabel(QString(), tracked(Fonts::mono(10, QFont::Medium), 1), Theme::ink, content);
    key_->setAlignment(Qt::AlignHCenter);
    bottom->addWidget(key_);
    name_ = new FittingText(QString(), tracked(Fonts::system(30, QFont::Black), -1.2), Theme::ink, 0.5,
                            Qt::AlignHCenter, content);
    bottom->addWidget(name_);
    column->addLayout(bottom);
    return new OrangeDial(150, content, this);
}

QWidget *MenuBarView::makeProfileCard() {
    auto *card = new RoundedPanel(18, Qt::white, this);
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addWidget(
        textLabel(QStringLiteral("PROFILE"), tracked(Fonts::mono(10, QFont::Medium), 0.8), Theme::ink3, card));

    profileScroll_ = new QScrollArea(card);
    makeTransparentScroll(profileScroll_);
    profileScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    profileScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The program's slim bar; the card's margins keep the list clear of its rounded corners.
    CardScrollBar::fit(profileScroll_, 18, false, false);
    grid_ = new ProfileCellGrid(model_);
    profileScroll_->setWidget(grid_);
    grid_->setAutoFillBackground(false); // setWidget() turned it on
    column->addWidget(profileScroll_);

    auto *volume = new QVBoxLayout;
    volume->setContentsMargins(0, 4, 0, 0);
    volume->setSpacing(6);
    auto *line = new QHBoxLayout;
    line->addWidget(textLabel(QStringLiteral("Volume"), Fonts::system(13, QFont::DemiBold), Theme::ink, card));
    line->addStretch(1);
    percent_ = textLabel(QString(), Fonts::mono(12, QFont::Medium), Theme::ink2, card);
    line->addWidget(percent_);
    volume->addLayout(line);
    slider_ = new VolumeSlider(card);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        // Each change writes the setting, which saves (debounced) and pushes the runtime configuration.
        model_.setSetting(&AppSettings::masterVolume, static_cast<double>(value) / VolumeSlider::steps);
    });
    // Another writer may have changed the volume during a drag: the knob shows the document once released.
    connect(slider_, &QSlider::sliderReleased, this, [this] { refreshVolume(); });
    volume->addWidget(slider_);
    column->addLayout(volume);
    return card;
}

QWidget *MenuBarView::makeBanner() {
    auto *banner = new RoundedPanel(14, Qt::white, this);
    banner->setFixedHeight(52);
    auto *row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(10);
    row->addWidget(new SymbolBadge("mic.slash", 28, 12, Theme::orangeText, Theme::orangeSoft, banner));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addStretch(1);
    texts->addWidget(
        textLabel(QStringLiteral("Auto-mute in calls"), Fonts::system(13, QFont::DemiBold), Theme::ink, banner));
    bannerDetail_ = textLabel(QString(), Fonts::system(12), Theme::ink3, banner);
    texts->addWidget(bannerDetail_);
    texts->addStretch(1);
    row->addLayout(texts);
    row->addStretch(1);
    return banner;
}

QWidget *MenuBarView::makeBottomRow() {
    auto *bottom = new QWidget(this);
    auto *row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    // Ctrl+, is the program's shortcut for Settings (the main window's); the hint names it.
    auto *open = new LabelPillButton({QStringLiteral("Open Tapchime"), {}, QStringLiteral("Ctrl+,")},
                                     BlackPillButtonStyle{40}, bottom);
    open->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(open, &QAbstractButton::clicked, this, [this] {
        if (actions_.openMain) {
            actions_.openMain();
        }
    });
    row->addWidget(open, 1);
    open_ = open;
    quit_ = new QuitButton(bottom);
    connect(quit_, &QAbstractButton::clicked, this, [this] { quit(); });
    row->addWidget(quit_);
    return bottom;
}

// --- Actions ------------------------------------------------------------------------------------------------

void MenuBarView::toggleSounds() {
    // No notice: the panel shows the new state itself.
    model_.toggleSounds();
}

void MenuBarView::fix() {
    // An app rule is the one cause the model cannot remove: it has switched to the App rules section, and
    // the window must come forward to show it.
    if (!model_.fixSilence() && actions_.openMain) {
        actions_.openMain();
    }
}

void MenuBarView::quit() {
    // The debounced save and the press count reach the disk before the program ends.
    model_.prepareToQuit();
    if (actions_.quit) {
        actions_.quit();
    } else {
        QCoreApplication::quit();
    }
}

// --- Following the model ------------------------------------------------------------------------------------

void MenuBarView::refreshPill() {
    pill_->setOn(model_.data().settings.enabled);
}

void MenuBarView::refreshStatus() {
    const std::optional<Silence> silence = model_.silence();
    if (silence == cardSilence_ && (card_ != nullptr) == silence.has_value()) {
        return;
    }
    cardSilence_ = silence;
    if (card_) {
        // Later, not now: the card's own button may have caused this change.
        card_->hide();
        status_->removeWidget(card_);
        card_->deleteLater();
        card_ = nullptr;
    }
    if (silence) {
        card_ = new SilenceCard(
            *silence, [this] { fix(); }, this);
        status_->addWidget(card_);
        dial_->hide();
    } else {
        dial_->show();
        refreshDial();
    }
}

void MenuBarView::refreshDial() {
    const QString count = todayText(model_.pressesToday());
    if (count_->text() != count) {
        count_->setText(count);
    }
    const QString key = keyText(model_.lastPlayedKey());
    if (key_->text() != key) {
        key_->setText(key);
    }
    name_->setText(nameText(model_));
}

std::vector<ProfileCell *> MenuBarView::profileCells() const {
    return grid_->cells();
}

void MenuBarView::refreshProfiles() {
    // The cells follow the profiles themselves; the list is as high as its rows, up to the rows it may show,
    // and the rest scroll.
    const int shown = std::min(grid_->rowCount(), kVisibleProfileRows);
    profileScroll_->setFixedHeight(ProfileCellGrid::rowsHeight(shown));
}

void MenuBarView::refreshVolume() {
    const double volume = model_.data().settings.masterVolume;
    percent_->setText(percentText(volume));
    // Never move the knob under the user's pointer: the drag itself is what changes the volume.
    if (slider_->isSliderDown()) {
        return;
    }
    const int steps = volumeSteps(volume);
    if (slider_->value() != steps) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(steps);
    }
}

void MenuBarView::refreshBanner() {
    bannerDetail_->setText(autoMuteDetail(model_.data().settings.muteWhenMicInUse));
}

} // namespace tc

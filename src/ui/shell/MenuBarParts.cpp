#include "ui/shell/MenuBarParts.h"

#include "app/AppModel.h"
#include "engine/Hotkey.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/CountText.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PercentSlider.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

QFont pillFont() {
    return Fonts::system(12, QFont::DemiBold);
}

QString keyCount(const Profile &profile) {
    return countText(static_cast<std::int64_t>(profile.keys.size()), QStringLiteral("key"), QStringLiteral("keys"));
}

} // namespace

// --- OnOffPill ----------------------------------------------------------------------------------------------

OnOffPill::OnOffPill(bool on, QWidget *parent) : QAbstractButton(parent), on_(!on) {
    setToolTip(QString::fromStdString(hotkeyText(Hotkey::toggleSounds)));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setOn(on);
}

void OnOffPill::setOn(bool on) {
    if (on == on_) {
        return;
    }
    on_ = on;
    setText(on ? QStringLiteral("On") : QStringLiteral("Off"));
    setAccessibleName(QStringLiteral("Sounds ") + text());
    updateGeometry();
    update();
}

QSize OnOffPill::sizeHint() const {
    const qreal width = 14 + 7 + 8 + std::ceil(QFontMetricsF(pillFont()).horizontalAdvance(text())) + 14;
    return QSize(static_cast<int>(std::ceil(width)), 32);
}

void OnOffPill::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill(rect());
    painter.fillPath(capsule(pill), on_ ? Theme::ink : QColor(Qt::white));
    const QRectF dot(14, (pill.height() - 7) / 2, 7, 7);
    if (on_) {
        paintShadow(painter, dot, 3.5, {Theme::orange, 4, QPointF(0, 0)});
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(on_ ? Theme::orange : offDot);
    painter.drawEllipse(dot);
    painter.setFont(pillFont());
    painter.setPen(on_ ? QColor(Qt::white) : Theme::ink2);
    painter.drawText(QRectF(dot.right() + 8, 0, pill.width() - dot.right() - 8, pill.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

// --- ProfileCell --------------------------------------------------------------------------------------------

namespace {

constexpr qreal kCellCapSize = 26;

QFont cellNameFont() {
    return Fonts::system(13, QFont::DemiBold);
}

} // namespace

ProfileCell::ProfileCell(const Profile &profile, bool active, QWidget *parent)
    : QAbstractButton(parent), id_(profile.id), name_(ShownText::bounded(QString::fromStdString(profile.name))),
      keys_(keyCount(profile)), color_(profile.color), active_(active) {
    setAccessibleName(name_);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 12);
    setFixedHeight(fixedHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProfileCell::setProfile(const Profile &profile, bool active) {
    const QString name = ShownText::bounded(QString::fromStdString(profile.name));
    const QString keys = keyCount(profile);
    if (profile.id == id_ && name == name_ && keys == keys_ && profile.color == color_ && active == active_) {
        return;
    }
    id_ = profile.id;
    name_ = name;
    keys_ = keys;
    color_ = profile.color;
    active_ = active;
    setAccessibleName(name_);
    syncToolTip();
    update();
}

QSize ProfileCell::sizeHint() const {
    return {150, fixedHeight};
}

qreal ProfileCell::nameRoom() const {
    return std::max<qreal>(0, width() - (10 + kCellCapSize + 10) - 10);
}

void ProfileCell::syncToolTip() {
    setToolTip(ShownText::fits(QFontMetricsF(cellNameFont()), name_, nameRoom()) ? QString() : name_);
}

void ProfileCell::resizeEvent(QResizeEvent *event) {
    QAbstractButton::resizeEvent(event);
    syncToolTip();
}

void ProfileCell::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF cell(rect());
    if (active_) {
        paintPanel(painter, cell, 12, Qt::white, QPen(Theme::ink, 2));
    } else {
        paintPanel(painter, cell, 12, Theme::panel);
    }

    constexpr qreal capSize = kCellCapSize;
    const MiniCap::Metrics cap = MiniCap::metrics(capSize);
    MiniCap::paint(painter, QPointF(10, (cell.height() - cap.frame.height()) / 2), capSize,
                   {CapPalette::forProfileColor(color_), std::nullopt, std::nullopt});

    const qreal x = 10 + capSize + 10;
    const qreal textWidth = nameRoom();
    const QFont nameFont = cellNameFont();
    const QFont keysFont = Fonts::mono(9, QFont::Medium);
    const QFontMetricsF nameMetrics(nameFont);
    const QFontMetricsF keysMetrics(keysFont);
    const qreal total = nameMetrics.height() + 1 + keysMetrics.height();
    const qreal top = (cell.height() - total) / 2;
    painter.setFont(nameFont);
    painter.setPen(Theme::ink);
    painter.drawText(QRectF(x, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     ShownText::elided(nameMetrics, name_, textWidth));
    painter.setFont(keysFont);
    painter.setPen(Theme::ink3);
    painter.drawText(QRectF(x, top + nameMetrics.height() + 1, textWidth, keysMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, keys_);
}

// --- ProfileCellGrid ----------------------------------------------------------------------------------------

ProfileCellGrid::ProfileCellGrid(AppModel &model, QWidget *parent) : ItemPool(parent), model_(model) {
    setAutoFillBackground(false);
    connect(&model_, &AppModelSignals::profilesChanged, this, &ProfileCellGrid::profilesChanged);
    // The active profile's keys are the key editor's part; its cell counts them.
    connect(&model_, &AppModelSignals::keysChanged, this, [this] { refresh({model_.data().activeProfileID}); });
    profilesChanged({});
}

int ProfileCellGrid::rowsHeight(int rows) {
    return std::max(0, rows * ProfileCell::fixedHeight + (rows - 1) * kSpacing);
}

std::vector<ProfileCell *> ProfileCellGrid::cells() const {
    std::vector<ProfileCell *> cells;
    for (QWidget *widget : boundWidgets()) {
        cells.push_back(static_cast<ProfileCell *>(widget));
    }
    return cells;
}

QSize ProfileCellGrid::sizeHint() const {
    return {2 * 150 + kSpacing, rowsHeight(rowCount())};
}

QSize ProfileCellGrid::minimumSizeHint() const {
    // The list scrolls rather than squeeze its cells.
    return {kSpacing, rowsHeight(rowCount())};
}

QRect ProfileCellGrid::itemRect(std::size_t index) const {
    // Two columns sharing the width, as a grid layout with equal stretch shares it (an odd pixel goes left).
    const int shared = std::max(0, width() - kSpacing);
    const int left = (shared + 1) / 2;
    const int row = static_cast<int>(index / 2);
    const int y = row * (ProfileCell::fixedHeight + kSpacing);
    return index % 2 == 0 ? QRect(0, y, left, ProfileCell::fixedHeight)
                          : QRect(left + kSpacing, y, shared - left, ProfileCell::fixedHeight);
}

QWidget *ProfileCellGrid::makeWidget() {
    auto *cell = new ProfileCell(Profile{}, false, this);
    connect(cell, &QAbstractButton::clicked, this, [this, cell] { model_.setActiveProfile(cell->profileID()); });
    return cell;
}

void ProfileCellGrid::bindWidget(QWidget *widget, std::size_t index) {
    const AppData &document = model_.data();
    const Uuid &id = items()[index];
    const auto profile = std::find_if(document.profiles.begin(), document.profiles.end(),
                                      [&](const Profile &candidate) { return candidate.id == id; });
    if (profile != document.profiles.end()) {
        static_cast<ProfileCell *>(widget)->setProfile(*profile, id == document.activeProfileID);
    }
}

QRect ProfileCellGrid::restingView() const {
    // Before the panel is laid out: the four rows it shows before it scrolls.
    return {0, 0, 2 * 150 + kSpacing, rowsHeight(4)};
}

void ProfileCellGrid::profilesChanged(const std::vector<Uuid> &ids) {
    if (!ids.empty()) {
        refresh(ids);
        return;
    }
    // The list or the active profile: cells of profiles that stay keep their widgets; those in view are brought
    // up to date (a cell repaints only when what it shows changed).
    updateGeometry();
    setItems(model_.data().profileIDs());
    refreshAll();
}

// --- VolumeSlider -------------------------------------------------------------------------------------------

VolumeSlider::VolumeSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, steps);
    PercentSlider::setPercentSteps(this, steps);
    setTracking(true);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setAccessibleName(QStringLiteral("Volume"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

int VolumeSlider::valueAt(qreal x, qreal width) {
    const qreal travel = width - knobSize;
    if (travel <= 0) {
        return 0;
    }
    const qreal fraction = std::clamp((x - knobSize / 2) / travel, 0.0, 1.0);
    return static_cast<int>(std::lround(fraction * steps));
}

QRectF VolumeSlider::knobRect(int value, QSizeF size) {
    const qreal travel = std::max<qreal>(0, size.width() - knobSize);
    const qreal fraction = std::clamp(static_cast<qreal>(value) / steps, 0.0, 1.0);
    return {travel * fraction, (size.height() - knobSize) / 2, knobSize, knobSize};
}

QSize VolumeSlider::sizeHint() const {
    return {200, 20};
}

QSize VolumeSlider::minimumSizeHint() const {
    return {static_cast<int>(knobSize) * 2, 20};
}

void VolumeSlider::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF size(this->size());
    const QRectF knob = knobRect(sliderPosition(), size);
    const QRectF track(knobSize / 2 - 2, size.height() / 2 - 2, size.width() - knobSize + 4, 4);
    painter.fillPath(capsule(track), Theme::border);
    const QRectF filled(track.left(), track.top(), knob.center().x() - track.left(), track.height());
    if (filled.width() > 0) {
        painter.fillPath(capsule(filled), Theme::ink);
    }
    paintShadow(painter, knob, knobSize / 2, {Theme::withOpacity(Qt::black, 0.25), 2, QPointF(0, 0.5)});
    painter.setPen(QPen(Theme::withOpacity(Qt::black, 0.12), 0.5));
    painter.setBrush(isSliderDown() ? Theme::soft : QColor(Qt::white));
    painter.drawEllipse(knob.adjusted(0.25, 0.25, -0.25, -0.25));
}

void VolumeSlider::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x(), width()));
    event->accept();
}

void VolumeSlider::mouseMoveEvent(QMouseEvent *event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x(), width()));
    event->accept();
}

void VolumeSlider::mouseReleaseEvent(QMouseEvent *event) {
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x(), width()));
    setSliderDown(false);
    event->accept();
}

// --- QuitButton ---------------------------------------------------------------------------------------------

QuitButton::QuitButton(QWidget *parent) : QAbstractButton(parent) {
    setFixedSize(40, 40);
    setToolTip(QStringLiteral("Quit Tapchime"));
    setAccessibleName(QStringLiteral("Quit Tapchime"));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
}

void QuitButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::withOpacity(Qt::white, isDown() ? 0.7 : 1.0));
    painter.drawEllipse(circle);
    painter.strokePath(strokeBorderPath(circle, circle.width() / 2, 1), QPen(ring, 1));
    Symbols::paint(painter, circle, "power", 14, QFont::DemiBold, Theme::ink);
}

bool QuitButton::hitButton(const QPoint &pos) const {
    return QLineF(QRectF(rect()).center(), pos).length() <= width() / 2.0;
}

} // namespace tc

#include "ui/sounds/ProfilePackCard.h"

#include "app/AppModel.h"
#include "app/Motion.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Card.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/ToolTips.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QToolTip>
#include <QVariantAnimation>
#include <cmath>

namespace tc {

namespace {

// The card's parts, top down.
constexpr qreal kCorner = 18;
constexpr qreal kInset = 14;                 // padding left and right
const QRectF kPreview(kInset, 12, 162, 73);  // the grey block of caps
constexpr qreal kCapSize = 24;               // each category cap, two by two, 4 apart
const QRectF kName(kInset, 95, 162, 19);     // 15-pixel bold
const QRectF kCount(kInset, 115, 162, 15);   // 12-pixel
constexpr qreal kControlTop = 176 - 14 - 30; // the control, 30 high, 14 above the bottom edge

const QColor kPreviewTop(201, 201, 195);
const QColor kPreviewBottom(214, 214, 209);

Profile profileOr(const AppModel &model, const Uuid &id) {
    for (const Profile &profile : model.data().profiles) {
        if (profile.id == id) {
            return profile;
        }
    }
    return {};
}

} // namespace

// ---- UsePackButton -------------------------------------------------------------------------------------

UsePackButton::UsePackButton(QWidget *parent) : QAbstractButton(parent), animation_(new QVariantAnimation(this)) {
    setText(QStringLiteral("Use pack"));
    setFont(Fonts::system(12, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setFixedSize(sizeHint());
    animation_->setDuration(120);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        blend_ = value.toReal();
        update();
    });
}

QSize UsePackButton::sizeHint() const {
    return {static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 32, 30};
}

void UsePackButton::setHovering(bool hovering) {
    if (hovering_ == hovering) {
        return;
    }
    hovering_ = hovering;
    const qreal target = hovering ? 1.0 : 0.0;
    animation_->stop();
    if (!motion::enabled()) {
        blend_ = target;
        update();
        return;
    }
    animation_->setStartValue(blend_);
    animation_->setEndValue(target);
    animation_->start();
}

void UsePackButton::enterEvent(QEnterEvent *) {
    setHovering(true);
}

void UsePackButton::leaveEvent(QEvent *) {
    setHovering(false);
}

void UsePackButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    if (isDown()) {
        painter.translate(frame.center());
        painter.scale(0.96, 0.96);
        painter.translate(-frame.center());
    }
    const auto mix = [this](QColor from, QColor to) {
        return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * blend_,
                                from.greenF() + (to.greenF() - from.greenF()) * blend_,
                                from.blueF() + (to.blueF() - from.blueF()) * blend_);
    };
    painter.fillPath(capsule(frame), mix(Qt::white, Theme::ink));
    painter.strokePath(strokeBorderPath(frame, frame.height() / 2, 1.5), QPen(Theme::ink, 1.5));
    painter.setFont(font());
    painter.setPen(mix(Theme::ink, Qt::white));
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine, text());
}

// ---- ProfilePackCard -------------------------------------------------------------------------------------

ProfilePackCard::ProfilePackCard(AppModel &model, const Uuid &profileID, const SoundFilePanels &panels, QWidget *parent)
    : QWidget(parent), model_(model), profileID_(profileID), panels_(panels), use_(new UsePackButton(this)) {
    setFixedSize(kWidth, kHeight);
    applyCardShadow(this, kCorner);
    use_->move((kWidth - use_->width()) / 2, static_cast<int>(kControlTop));
    // The active pack has no "Use pack" to reach its menu from: the card itself takes the focus, and Space,
    // Return or the menu key open its menu.
    FocusRing::attach(this, kCorner, [this] { popupMenu(mapToGlobal(rect().center())); });
    connect(use_, &QAbstractButton::clicked, this, [this] { model_.setActiveProfile(profileID_); });
    refresh();
}

bool ProfilePackCard::isActive() const {
    return model_.data().activeProfileID == profileID_;
}

void ProfilePackCard::setProfileID(const Uuid &profileID) {
    profileID_ = profileID;
    refresh();
}

void ProfilePackCard::refresh() {
    const bool active = isActive();
    setFocusPolicy(active ? Qt::StrongFocus : Qt::NoFocus);
    if (active && use_->hasFocus()) {
        setFocus(Qt::OtherFocusReason); // the pack just taken into use keeps the focus, on its card
    }
    use_->setVisible(!active);
    if (!active && hasFocus()) {
        use_->setFocus(Qt::OtherFocusReason); // the card leaves the Tab order: its focus (and ring) go to "Use pack"
    }
    const Profile profile = profileOr(model_, profileID_);
    setAccessibleName(QString::fromStdString(profile.name));
    setAccessibleDescription(active ? QStringLiteral("In use") : QString());
    update();
}

std::unique_ptr<QMenu> ProfilePackCard::makeContextMenu() {
    auto menu = std::make_unique<QMenu>(); // no parent: an action may remove this card
    const Uuid id = profileID_;
    AppModel *model = &model_;
    menu->addAction(QStringLiteral("Use"), this, [model, id] { model->setActiveProfile(id); });
    menu->addAction(QStringLiteral("Duplicate"), this, [model, id] { model->duplicateProfile(id); });
    menu->addAction(QStringLiteral("Share as .tapchime\u2026"), this, [this, model, id] {
        // The save panel writes the active profile: this one becomes active first, and stays so.
        model->setActiveProfile(id);
        if (panels_.sharePack) {
            panels_.sharePack(*model, window());
        }
    });
    menu->addSeparator();
    QAction *remove = menu->addAction(QStringLiteral("Delete"), this, [model, id] { model->deleteProfile(id); });
    remove->setEnabled(model_.data().profiles.size() >= 2);
    return menu;
}

bool ProfilePackCard::event(QEvent *event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString name = QString::fromStdString(profileOr(model_, profileID_).name);
    if (kName.contains(help->pos()) &&
        QFontMetricsF(Fonts::system(15, QFont::Bold)).horizontalAdvance(ShownText::bounded(name)) > kName.width()) {
        QToolTip::showText(help->globalPos(), ToolTips::shown(name, QToolTip::font()), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void ProfilePackCard::contextMenuEvent(QContextMenuEvent *event) {
    popupMenu(event->globalPos());
}

void ProfilePackCard::popupMenu(QPoint globalPos) {
    auto menu = makeContextMenu();
    // The menu's actions may delete this card (its profile); the menu outlives the card only while it runs.
    QMenu *shown = menu.release();
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->popup(globalPos);
}

void ProfilePackCard::paintEvent(QPaintEvent *) {
    const Profile profile = profileOr(model_, profileID_);
    const bool active = isActive();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    const QPainterPath shape = continuousRoundedRect(frame, kCorner);
    painter.fillPath(shape, Qt::white);
    painter.setClipPath(shape);

    // The caps on their grey block.
    QLinearGradient gradient(kPreview.topLeft(), kPreview.bottomLeft());
    gradient.setColorAt(0, kPreviewTop);
    gradient.setColorAt(1, kPreviewBottom);
    paintPanel(painter, kPreview, 14, gradient);
    const auto categories =
        SoundsScreenState::packCategories(profile, [this](const std::string &id) { return model_.sound(id); });
    const qreal capHeight = MiniCap::metrics(kCapSize).frame.height();
    const qreal gridWidth = 2 * kCapSize + 4;
    const qreal gridHeight = 2 * capHeight + 4;
    const QPointF gridOrigin(kPreview.center().x() - gridWidth / 2, kPreview.center().y() - gridHeight / 2);
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const QPointF origin = gridOrigin + QPointF(static_cast<qreal>(i % 2) * (kCapSize + 4),
                                                    static_cast<qreal>(i / 2) * (capHeight + 4));
        MiniCap::paint(painter, origin, kCapSize,
                       MiniCap::Content{CapPalette::forCategory(categories[i]), std::nullopt, std::nullopt});
    }
    if (active) {
        const QRectF mark(kPreview.right() - 6 - 22, kPreview.top() + 6, 22, 22);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::orange);
        painter.drawEllipse(mark);
        Symbols::paint(painter, mark, "checkmark", 10, QFont::Black, Qt::white);
    }

    // Name and count.
    painter.setPen(Theme::ink);
    painter.setFont(Fonts::system(15, QFont::Bold));
    const QString name =
        ShownText::elided(QFontMetricsF(painter.font()), QString::fromStdString(profile.name), kName.width());
    painter.drawText(kName, Qt::AlignCenter | Qt::TextSingleLine, name);
    painter.setPen(Theme::ink3);
    painter.setFont(Fonts::system(12));
    painter.drawText(kCount, Qt::AlignCenter | Qt::TextSingleLine,
                     SoundsScreenState::customKeysText(profile.keys.size()));

    if (active) {
        // "In use": symbol and text, 12-pixel semibold Theme.greenText, 12 in from either side, on a 30-high
        // Theme.greenSoft capsule.
        const QFont font = Fonts::system(12, QFont::DemiBold);
        const QString text = QStringLiteral("In use");
        const qreal textWidth = QFontMetricsF(font).horizontalAdvance(text);
        const qreal symbolWidth = 13;
        const qreal width = 12 + symbolWidth + 5 + textWidth + 12;
        const QRectF pill((kWidth - width) / 2, kControlTop, width, 30);
        painter.fillPath(capsule(pill), Theme::greenSoft);
        Symbols::paint(painter, QRectF(pill.left() + 12, pill.top(), symbolWidth, pill.height()),
                       "checkmark.circle.fill", 12, QFont::DemiBold, Theme::greenText);
        painter.setFont(font);
        painter.setPen(Theme::greenText);
        painter.drawText(QRectF(pill.left() + 12 + symbolWidth + 5, pill.top(), textWidth + 1, pill.height()),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    }

    painter.setClipping(false);
    painter.strokePath(continuousRoundedRect(frame.adjusted(0.25, 0.25, -0.25, -0.25), kCorner),
                       QPen(Theme::withOpacity(Qt::black, 0.05), 0.5));
}

} // namespace tc

#include "ui/editor/BaseSoundMenu.h"

#include "app/AppModel.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemMenu.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kHeight = 26;
constexpr qreal kSide = 10;
constexpr qreal kSpacing = 6;
constexpr qreal kChevron = 9;
constexpr qreal kMaxNameWidth = 240; // a longer name is cut with "…" and shows whole in the tooltip

const QString kLead = QStringLiteral("Base:");

QFont leadFont() {
    return Fonts::system(12);
}
QFont nameFont() {
    return Fonts::system(12, QFont::DemiBold);
}

} // namespace

BaseSoundMenu::BaseSoundMenu(AppModel &model, QWidget *parent) : QAbstractButton(parent), model_(model) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    connect(this, &QAbstractButton::clicked, this, &BaseSoundMenu::popup);
    model_.observe(AppModel::keysChange | AppModel::userSoundsChange, this, [this] {
        setAccessibleName(kLead + QLatin1Char(' ') + baseName(model_));
        updateGeometry();
        syncToolTip();
        update();
    });
    setAccessibleName(kLead + QLatin1Char(' ') + baseName(model_));
}

qreal BaseSoundMenu::nameRoom() const {
    return width() -
           (kSide + QFontMetricsF(leadFont()).horizontalAdvance(kLead) + kSpacing + kSpacing + kChevron + kSide);
}

void BaseSoundMenu::syncToolTip() {
    const QString name = baseName(model_);
    setToolTip(ShownText::fits(QFontMetricsF(nameFont()), name, nameRoom() + 0.5) ? QString() : name);
}

void BaseSoundMenu::resizeEvent(QResizeEvent *event) {
    QAbstractButton::resizeEvent(event);
    syncToolTip();
}

QString BaseSoundMenu::baseName(const AppModel &model) {
    const auto sound = model.sound(model.data().activeProfile().baseSoundID);
    return sound ? ShownText::bounded(QString::fromStdString(sound->name)) : QStringLiteral("Missing sound");
}

std::vector<BaseSoundMenu::Item> BaseSoundMenu::items(const AppModel &model) {
    const std::string &base = model.data().activeProfile().baseSoundID;
    std::vector<Item> list{{"none", QStringLiteral("Silent: only keys with their own sound"), base == "none"}};
    for (const SoundItem &sound : model.allSounds()) {
        if (sound.category == SoundCategory::mechanical) {
            list.push_back({sound.id, ShownText::bounded(QString::fromStdString(sound.name)), sound.id == base});
        }
    }
    return list;
}

namespace {

QIcon checkmarkIcon() {
    QPixmap pixmap(QSize(32, 32));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, QRectF(0, 0, 32, 32), "checkmark", 26, QFont::DemiBold, Theme::ink);
    painter.end();
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

} // namespace

QMenu *BaseSoundMenu::makeMenu(QWidget *parent) {
    auto *menu = new ItemMenu(parent);
    const auto list = items(model_);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Item &item = list[i];
        QAction *action = MenuText::add(*menu, item.title);
        // One checkmark on the current item; a checkable action would draw a box on every item.
        if (item.checked) {
            action->setIcon(checkmarkIcon());
        }
        action->setData(QString::fromStdString(item.soundID));
        connect(action, &QAction::triggered, this, [this, id = item.soundID] { choose(id); });
        if (i == 0) {
            menu->addSeparator();
        }
    }
    return menu;
}

void BaseSoundMenu::choose(const std::string &soundID) {
    model_.setBaseSound(soundID);
    if (soundID != "none") {
        previewAction(model_, soundID)();
    }
}

void BaseSoundMenu::popup() {
    QMenu *menu = makeMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height() + 4)));
}

QSize BaseSoundMenu::sizeHint() const {
    const QFontMetricsF nameMetrics(nameFont());
    const QString name = baseName(model_);
    const qreal nameWidth =
        ShownText::fits(nameMetrics, name, kMaxNameWidth) ? nameMetrics.horizontalAdvance(name) : kMaxNameWidth;
    const qreal width =
        kSide + QFontMetricsF(leadFont()).horizontalAdvance(kLead) + kSpacing + nameWidth + kSpacing + kChevron + kSide;
    return {static_cast<int>(std::ceil(width)) + 1, static_cast<int>(kHeight)};
}

void BaseSoundMenu::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill(0, (height() - kHeight) / 2, width(), kHeight);
    painter.fillPath(capsule(pill), isDown() ? Theme::withOpacity(Qt::white, 0.7) : QColor(Qt::white));
    qreal x = kSide;
    painter.setFont(leadFont());
    painter.setPen(Theme::ink3);
    const qreal leadWidth = QFontMetricsF(leadFont()).horizontalAdvance(kLead);
    painter.drawText(QRectF(x, pill.top(), leadWidth + 1, kHeight), Qt::AlignLeft | Qt::AlignVCenter, kLead);
    x += leadWidth + kSpacing;
    const QFontMetricsF nameMetrics(nameFont());
    const QString name = ShownText::elided(nameMetrics, baseName(model_), std::max<qreal>(nameRoom(), 0));
    painter.setFont(nameFont());
    painter.setPen(Theme::ink);
    const qreal nameWidth = nameMetrics.horizontalAdvance(name);
    painter.drawText(QRectF(x, pill.top(), nameWidth + 1, kHeight), Qt::AlignLeft | Qt::AlignVCenter, name);
    x += nameWidth + kSpacing;
    Symbols::paint(painter, QRectF(x - 2, pill.top(), kChevron + 4, kHeight), "chevron.down", kChevron, QFont::Bold,
                   Theme::ink);
}

} // namespace tc

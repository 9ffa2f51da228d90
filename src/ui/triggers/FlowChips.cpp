#include "ui/triggers/FlowChips.h"

#include "app/AppModel.h"
#include "app/DesktopApps.h"
#include "ui/kit/FlowRow.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemMenu.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/triggers/FlatButton.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace tc {

namespace {

constexpr qreal kChipHeight = 30;
constexpr qreal kChipMargin = 12;
constexpr qreal kChipSpacing = 6;
constexpr qreal kMaxTitleWidth = 96;
const QColor kDashGrey(207, 207, 202);

QFont chipFont() {
    return Fonts::system(12, QFont::DemiBold);
}

QString addTitle() {
    return QStringLiteral("+ App");
}

} // namespace

AppChip::AppChip(const QString &title, bool removable, QWidget *parent) : QWidget(parent), title_(title) {
    setAttribute(Qt::WA_TranslucentBackground);
    setToolTip(title);
    // Long names are cut, so a chip takes at most a part of its row.
    const QFontMetricsF metrics(chipFont());
    shown_ = ShownText::elided(metrics, title, kMaxTitleWidth);
    const qreal text = std::ceil(metrics.horizontalAdvance(shown_));
    qreal width = text + 2 * kChipMargin;
    if (removable) {
        const int side = 14;
        width += kChipSpacing + side;
        auto *remove = new FlatButton(
            QSize(side, side),
            [](QPainter &painter, const QRectF &rect, bool pressed) {
                Symbols::paint(painter, rect, "xmark", 9, QFont::Bold,
                               Theme::withOpacity(Qt::white, pressed ? 0.6 : 1));
            },
            this);
        remove->setAccessibleName(QStringLiteral("Remove %1").arg(title));
        remove->move(static_cast<int>(kChipMargin + text + kChipSpacing), static_cast<int>((kChipHeight - side) / 2));
        remove_ = remove;
    }
    setFixedSize(static_cast<int>(width), static_cast<int>(kChipHeight));
}

void AppChip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(capsule(QRectF(rect())), Theme::ink);
    painter.setFont(chipFont());
    painter.setPen(Qt::white);
    painter.drawText(QRectF(kChipMargin, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter, shown_);
}

FlowChips::FlowChips(AppModel &model, TriggerApps apps, QWidget *parent)
    : QWidget(parent), model_(model), apps_(std::move(apps)),
      row_(new FlowRow(static_cast<int>(kChipSpacing), static_cast<int>(kChipSpacing), this)),
      menu_(new ItemMenu(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(row_);
    const qreal width = FlatButton::labelWidth({}, addTitle(), chipFont(), kChipMargin);
    auto *add = new FlatButton(
        QSize(static_cast<int>(width), static_cast<int>(kChipHeight)),
        [](QPainter &painter, const QRectF &rect, bool pressed) {
            const qreal line = 1.5;
            QPen pen(kDashGrey, line, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
            pen.setDashPattern({4 / line, 3 / line});
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(strokeBorderPath(rect, rect.height() / 2, line));
            painter.setOpacity(pressed ? 0.7 : 1);
            FlatButton::paintLabel(painter, rect, {}, addTitle(), chipFont(), Theme::ink2);
        },
        row_);
    add->setAccessibleName(addTitle());
    add_ = add;
    connect(add_, &QAbstractButton::clicked, this, [this] {
        QMenu *menu = buildMenu();
        menu->popup(add_->mapToGlobal(QPoint(0, add_->height() + 4)));
    });
    row_->add(add_);
    // A fresh list of running applications that lands while the menu is open shows in it.
    if (apps_.source) {
        connect(apps_.source, &DesktopApps::changed, this, [this] {
            if (menu_->isVisible()) {
                buildMenu();
            }
        });
    }
    model_.observe(AppModel::triggersChange, this, [this] { rebuild(); });
    rebuild();
}

void FlowChips::setTrigger(std::optional<Uuid> id) {
    if (id == id_) {
        return;
    }
    id_ = id;
    built_ = false;
    rebuild();
}

void FlowChips::rebuild() {
    const Trigger *trigger = id_ ? model_.trigger(*id_) : nullptr;
    std::vector<std::string> apps = trigger ? trigger->appBundleIDs : std::vector<std::string>{};
    if (built_ && apps == shown_) {
        return; // in place: nothing about the chips changed
    }
    built_ = true;
    shown_ = apps;
    // Every chip goes ("+ App" stays, so it keeps the focus); a chip's own button may be the one being clicked.
    while (row_->items().size() > 1) {
        row_->remove(row_->items().front());
    }
    std::size_t index = 0;
    if (apps.empty()) {
        row_->insert(index++, new AppChip(QStringLiteral("All apps"), false));
    }
    for (const std::string &app : apps) {
        auto *chip = new AppChip(apps_.chipName(QString::fromStdString(app)), true);
        connect(chip->removeButton(), &QAbstractButton::clicked, this, [this, app] {
            if (id_) {
                model_.removeTriggerApp(*id_, app);
            }
        });
        row_->insert(index++, chip);
    }
    add_->setEnabled(trigger != nullptr);
}

QStringList FlowChips::chipTitles() const {
    QStringList titles;
    for (QWidget *widget : row_->items()) {
        if (auto *chip = dynamic_cast<AppChip *>(widget)) {
            titles << chip->title();
        }
    }
    return titles;
}

QAbstractButton *FlowChips::removeButton(const QString &title) const {
    for (QWidget *widget : row_->items()) {
        if (auto *chip = dynamic_cast<AppChip *>(widget); chip && chip->title() == title) {
            return chip->removeButton();
        }
    }
    return nullptr;
}

QMenu *FlowChips::buildMenu() {
    menu_->clear();
    if (!id_) {
        return menu_;
    }
    const Uuid id = *id_;
    const std::vector<RunningApp> running = apps_.running ? apps_.running() : std::vector<RunningApp>{};
    for (const RunningApp &app : running) {
        QAction *action = MenuText::add(*menu_, app.name, app.icon);
        const std::string bundleID = app.bundleID.toStdString();
        connect(action, &QAction::triggered, this, [this, id, bundleID] { model_.addTriggerApp(id, bundleID); });
    }
    // Where the session cannot list running applications (Wayland), the chooser is the only way.
    if (!running.empty()) {
        menu_->addSeparator();
    }
    QAction *choose = menu_->addAction(QStringLiteral("Choose an app…"));
    choose->setEnabled(static_cast<bool>(apps_.choose));
    connect(choose, &QAction::triggered, this, [this, id] {
        if (!apps_.choose) {
            return;
        }
        if (const auto chosen = apps_.choose(window())) {
            if (!chosen->bundleID.isEmpty()) {
                model_.addTriggerApp(id, chosen->bundleID.toStdString());
            }
        }
    });
    const Trigger *trigger = model_.trigger(id);
    if (trigger && !trigger->appBundleIDs.empty()) {
        QAction *every = menu_->addAction(QStringLiteral("Every app"));
        connect(every, &QAction::triggered, this, [this, id] { model_.allowTriggerInEveryApp(id); });
    }
    return menu_;
}

} // namespace tc

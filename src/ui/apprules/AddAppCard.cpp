#include "ui/apprules/AddAppCard.h"

#include "app/AppModel.h"
#include "app/DesktopApps.h"
#include "ui/apprules/AppDirectory.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemMenu.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QMenu>
#include <QPainter>
#include <algorithm>

namespace tc {

AddAppCard::AddAppCard(AppModel &model, const AppDirectory &directory, QWidget *parent)
    : QAbstractButton(parent), model_(model), directory_(directory) {
    setText(QStringLiteral("Add app"));
    setAccessibleName(text());
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 18);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] {
        QMenu *menu = makeMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(rect().center()));
    });
}

QMenu *AddAppCard::makeMenu(QWidget *parent) {
    auto *menu = new ItemMenu(parent);
    fill(*menu);
    // A fresh list of running applications that lands while the menu is open shows in it.
    if (directory_.source) {
        connect(directory_.source, &DesktopApps::changed, menu, [this, menu] {
            menu->clear();
            fill(*menu);
        });
    }
    return menu;
}

void AddAppCard::fill(QMenu &menu) {
    menu.addSection(QStringLiteral("Running apps"));
    const auto &rules = model_.data().appRules;
    const auto running = directory_.runningApps ? directory_.runningApps() : std::vector<RunningApp>{};
    for (const RunningApp &app : running) {
        const std::string id = app.bundleID.toStdString();
        if (std::any_of(rules.begin(), rules.end(), [&](const AppRule &rule) { return rule.bundleID == id; })) {
            continue;
        }
        const std::string name = app.name.toStdString();
        connect(MenuText::add(menu, app.name), &QAction::triggered, this,
                [this, id, name] { model_.addRule(id, name); });
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Choose an app…"), this, [this] { chooseApp(); });
}

void AddAppCard::chooseApp() {
    if (!directory_.chooseApp) {
        return;
    }
    const auto chosen = directory_.chooseApp(window());
    if (chosen && !chosen->bundleID.isEmpty()) {
        model_.addRule(chosen->bundleID.toStdString(), chosen->name.toStdString());
    }
}

QSize AddAppCard::sizeHint() const {
    return {230, minHeight};
}

int AddAppCard::heightForWidth(int) const {
    return minHeight;
}

void AddAppCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);

    QPen dashed(QColor(185, 185, 179), 1.5);
    dashed.setDashPattern({5 / 1.5, 4 / 1.5}); // Qt measures dashes in line widths
    dashed.setCapStyle(Qt::FlatCap);
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(strokeBorderPath(QRectF(rect()), 18, 1.5));

    const QFont font = Fonts::system(13, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const qreal stackHeight = 36 + 8 + metrics.height();
    const qreal top = (height() - stackHeight) / 2;
    const QRectF circle(width() / 2.0 - 18, top, 36, 36);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink);
    painter.drawEllipse(circle);
    Symbols::paint(painter, circle, "plus", 15, QFont::Bold, Qt::white);
    painter.setFont(font);
    painter.setPen(Theme::ink);
    painter.drawText(QRectF(0, circle.bottom() + 8, width(), metrics.height()), Qt::AlignHCenter | Qt::AlignTop,
                     text());
}

} // namespace tc

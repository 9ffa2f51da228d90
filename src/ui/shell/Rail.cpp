#include "ui/shell/Rail.h"

#include "app/AppModel.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/MascotLogo.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/shell/Sections.h"

#include <QPainter>
#include <QVBoxLayout>

namespace tc {

namespace {

// The small grey dot under the mascot, 4 points below it.
class RailDot : public QWidget {
public:
    explicit RailDot(QWidget *parent) : QWidget(parent) { setFixedSize(4, 8); }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Rail::dot);
        painter.drawEllipse(QRectF(0, 4, 4, 4));
    }
};

} // namespace

RailItem::RailItem(AppSection section, QWidget *parent) : QAbstractButton(parent), section_(section) {
    const SectionInfo &info = sectionInfo(section);
    setToolTip(info.title);
    setAccessibleName(info.title);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, info.circular ? 20.0 : 12.0, outset);
    setFixedSize(sizeHint());
}

RailItem::Face RailItem::face(bool circular, bool selected) {
    Face f;
    f.corner = circular ? 20 : 12;
    if (!selected) {
        f.symbol = Theme::ink2;
        f.fill = Qt::transparent;
        f.showRing = circular;
        return f;
    }
    f.symbol = circular ? QColor(Qt::white) : Theme::ink;
    f.fill = circular ? Theme::ink : QColor(Qt::white);
    f.shadow = circular ? 0 : 0.08;
    return f;
}

void RailItem::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    update();
}

QSize RailItem::sizeHint() const {
    return {side + 2 * outset, side + 2 * outset};
}

void RailItem::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const SectionInfo &info = sectionInfo(section_);
    const Face f = face(info.circular, selected_);
    const QRectF square(outset, outset, side, side);
    if (f.shadow > 0) {
        paintShadow(painter, square, f.corner, {Theme::withOpacity(Qt::black, f.shadow), 1, QPointF(0, 1)});
    }
    if (f.fill.alpha() > 0) {
        paintPanel(painter, square, f.corner, f.fill);
    }
    if (f.showRing) {
        painter.strokePath(strokeBorderPath(square, 20, 1), QPen(ring, 1));
    }
    Symbols::paint(painter, square, info.symbol, 16, QFont::Medium, f.symbol);
}

bool RailItem::hitButton(const QPoint &pos) const {
    return QRect(outset, outset, side, side).contains(pos);
}

Rail::Rail(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setFixedWidth(fixedWidth);
    auto *column = new QVBoxLayout(this);
    // Rows are 6 apart; the items are 2 points larger than their squares on every side, so the gaps next to
    // an item are 2 (or 4) points shorter.
    column->setContentsMargins(0, 0, 0, 16 - RailItem::outset);
    column->setSpacing(0);
    column->addSpacing(40 + 6);
    column->addWidget(new MascotLogo(40, this), 0, Qt::AlignHCenter);
    column->addSpacing(6);
    column->addWidget(new RailDot(this), 0, Qt::AlignHCenter);
    column->addSpacing(6 + 80 + 6 - RailItem::outset);

    const auto add = [&](AppSection section) {
        auto *item = new RailItem(section, this);
        connect(item, &QAbstractButton::clicked, this, [this, section] {
            // Clicking the current section changes nothing, so nothing observes a change.
            if (model_.section() != section) {
                model_.setSection(section);
            }
        });
        items_[section] = item;
        column->addWidget(item, 0, Qt::AlignHCenter);
    };
    for (AppSection section : {AppSection::keyboard, AppSection::sounds, AppSection::triggers, AppSection::apps}) {
        if (section != AppSection::keyboard) {
            column->addSpacing(6 - 2 * RailItem::outset);
        }
        add(section);
    }
    column->addStretch(1);
    column->addSpacing(6);
    add(AppSection::settings);

    connect(&model_, &AppModelSignals::sectionChanged, this, [this] { refresh(); });
    refresh();
}

void Rail::refresh() {
    for (auto &[section, item] : items_) {
        item->setSelected(section == model_.section());
    }
}

} // namespace tc

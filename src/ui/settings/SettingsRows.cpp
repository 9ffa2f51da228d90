#include "ui/settings/SettingsRows.h"

#include "ui/kit/CapPalette.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TrayCard.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace tc::SettingsRows {

namespace {

constexpr qreal kCapWidth = 30;
constexpr qreal kCapHeight = 28;
constexpr qreal kCapCorner = 7;
constexpr qreal kCapSpacing = 4;

} // namespace

Group::Group(const QString &title, QWidget *parent) : QWidget(parent) {
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *heading = new QLabel(title);
    heading->setObjectName(QStringLiteral("groupTitle"));
    heading->setTextFormat(Qt::PlainText);
    heading->setFont(Fonts::system(15, QFont::Bold));
    auto *content = new QWidget;
    rows_ = new QVBoxLayout(content);
    rows_->setContentsMargins(14, 2, 14, 2);
    rows_->setSpacing(0);
    auto *card = new TrayCard(heading, content, this);
    card->headerLayout()->addStretch(1);
    outer->addWidget(card);
}

void addRow(Group &group, const QString &title, const QString &detail, QWidget *control, bool last) {
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("row"));
    row->setMinimumHeight(kRowMinHeight);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rowLabels(title, detail, row), 1, Qt::AlignVCenter);
    if (control) {
        layout->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
    }
    group.rows()->addWidget(row);
    if (!last) {
        group.rows()->addWidget(rowDivider(nullptr));
    }
}

KeyCombo::KeyCombo(QStringList labels, QWidget *parent) : QWidget(parent), labels_(std::move(labels)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sizeHint());
}

qreal KeyCombo::capWidth(const QString &label) {
    return std::max(8.0 * static_cast<qreal>(label.size()) + 16, kCapWidth);
}

QSize KeyCombo::sizeHint() const {
    qreal width = std::max<qsizetype>(labels_.size() - 1, 0) * kCapSpacing;
    for (const QString &label : labels_) {
        width += capWidth(label);
    }
    return QSizeF(width + 2 * KeyCap::outset, kCapHeight + 2 * KeyCap::outset).toSize();
}

void KeyCombo::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = Fonts::system(12, QFont::Medium);
    qreal x = KeyCap::outset;
    for (const QString &label : labels_) {
        const qreal width = capWidth(label);
        KeyCap::paint(painter, QRectF(x, KeyCap::outset, width, kCapHeight), CapPalette::white, kCapCorner, 0, false,
                      KeyCap::text(label, font));
        x += width + kCapSpacing;
    }
}

LinkRow::LinkRow(const QString &title, QUrl url, std::function<void(const QUrl &)> open, QWidget *parent)
    : QAbstractButton(parent), url_(std::move(url)) {
    setText(title);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 6);
    setFixedHeight(kLinkRowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this, open = std::move(open)] {
        if (open) {
            open(url_);
        }
    });
}

QSize LinkRow::sizeHint() const {
    return QSize(qCeil(QFontMetricsF(Fonts::system(13, QFont::DemiBold)).horizontalAdvance(text())) + 24,
                 kLinkRowHeight);
}

void LinkRow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.6 : 1.0);
    painter.setFont(Fonts::system(13, QFont::DemiBold));
    painter.setPen(Theme::ink);
    const QRectF area(rect());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text());
    const QRectF arrow(area.right() - 16, area.top(), 16, area.height());
    Symbols::paint(painter, arrow, "arrow.up.right", 11, QFont::Bold, Theme::ink3);
}

AllowedBadge::AllowedBadge(QWidget *parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Allowed"));
    setFixedSize(sizeHint());
}

QSize AllowedBadge::sizeHint() const {
    const qreal text = QFontMetricsF(Fonts::system(12, QFont::DemiBold)).horizontalAdvance(QStringLiteral("Allowed"));
    return QSize(qCeil(10 + 6 + 6 + text + 10), 26);
}

void AllowedBadge::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(rect());
    painter.fillPath(capsule(area), Theme::greenSoft);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::green);
    painter.drawEllipse(QRectF(10, area.center().y() - 3, 6, 6));
    painter.setFont(Fonts::system(12, QFont::DemiBold));
    painter.setPen(Theme::greenText);
    painter.drawText(area.adjusted(22, 0, -10, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Allowed"));
}

CapsuleButton::CapsuleButton(const QString &text, QWidget *parent) : QAbstractButton(parent) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setFixedSize(sizeHint());
}

QSize CapsuleButton::sizeHint() const {
    return QSize(qCeil(QFontMetricsF(Fonts::system(12, QFont::DemiBold)).horizontalAdvance(text()) + 24), 28);
}

void CapsuleButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(!isEnabled() ? 0.45 : isDown() ? 0.7 : 1.0);
    const QRectF area(rect());
    painter.fillPath(capsule(area), Theme::panel);
    painter.setFont(Fonts::system(12, QFont::DemiBold));
    painter.setPen(Theme::ink);
    painter.drawText(area, Qt::AlignCenter, text());
}

} // namespace tc::SettingsRows

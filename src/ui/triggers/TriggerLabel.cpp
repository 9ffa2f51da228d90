#include "ui/triggers/TriggerLabel.h"

#include "model/ShortcutFormatter.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

int characterCount(const QString &text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

} // namespace

TriggerLabel::Metrics TriggerLabel::metrics(Size size) {
    if (size == Size::small) {
        return {4, 30, 7, 12, 30, true};
    }
    return {8, 50, 10, 0, 0, false};
}

QFont TriggerLabel::capFont(Size size) {
    return Fonts::system(size == Size::small ? 12 : 19, QFont::Medium);
}

QFont TriggerLabel::wordFont(Size size) {
    return size == Size::small ? Fonts::mono(13, QFont::Medium) : Fonts::system(34, QFont::Black);
}

std::vector<QString> TriggerLabel::capTexts(const Trigger::Shortcut &shortcut) {
    std::vector<QString> texts;
    for (const std::string &glyph : ShortcutFormatter::symbols(shortcut.modifiers)) {
        texts.push_back(QString::fromStdString(glyph));
    }
    texts.push_back(QString::fromStdString(ShortcutFormatter::keyLabel(shortcut.keyCode)));
    return texts;
}

qreal TriggerLabel::capWidth(const QString &text, Size size) {
    const int n = characterCount(text);
    return size == Size::small ? std::max(8.0 * n + 16, 30.0) : std::max(14.0 * n + 24, 52.0);
}

QString TriggerLabel::wordText(const Trigger::Word &word) {
    return QStringLiteral("\u201C%1\u201D").arg(ShownText::bounded(QString::fromStdString(word.word)));
}

QString TriggerLabel::spokenText(const Trigger::Kind &kind) {
    if (const auto *word = kind.asWord()) {
        return QStringLiteral("Word ") + wordText(*word);
    }
    QStringList caps;
    for (const QString &text : capTexts(*kind.asShortcut())) {
        caps << text;
    }
    return QStringLiteral("Shortcut ") + caps.join(QLatin1Char('+'));
}

std::vector<QRectF> TriggerLabel::capRects(const Trigger::Shortcut &shortcut, Size size) {
    const Metrics m = metrics(size);
    std::vector<QRectF> rects;
    qreal x = 0;
    for (const QString &text : capTexts(shortcut)) {
        const qreal width = capWidth(text, size);
        rects.emplace_back(x, 0, width, m.capHeight);
        x += width + m.spacing;
    }
    return rects;
}

QString TriggerLabel::wordText(const Trigger::Word &word, Size size, qreal width) {
    const QString whole = wordText(word);
    const QFontMetricsF font(wordFont(size));
    const qreal room = width - 2 * metrics(size).wordPadding;
    if (width <= 0 || ShownText::fits(font, whole, room)) {
        return whole;
    }
    const qreal quotes = font.horizontalAdvance(QStringLiteral("\u201C\u201D"));
    const QString cut = ShownText::elided(font, QString::fromStdString(word.word), std::max<qreal>(room - quotes, 0));
    return QStringLiteral("\u201C%1\u201D").arg(cut);
}

QSizeF TriggerLabel::labelSize(const Trigger::Kind &kind, Size size) {
    const Metrics m = metrics(size);
    if (const auto *shortcut = kind.asShortcut()) {
        const auto rects = capRects(*shortcut, size);
        return {rects.back().right(), m.capHeight};
    }
    const QFontMetricsF font(wordFont(size));
    const qreal width = std::ceil(font.horizontalAdvance(wordText(*kind.asWord()))) + 2 * m.wordPadding;
    return {width, m.wordHeight > 0 ? m.wordHeight : std::ceil(font.height())};
}

void TriggerLabel::paint(QPainter &painter, QPointF origin, const Trigger::Kind &kind, Size size, qreal width) {
    const Metrics m = metrics(size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (const auto *shortcut = kind.asShortcut()) {
        const auto texts = capTexts(*shortcut);
        const auto rects = capRects(*shortcut, size);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            KeyCap::paint(painter, rects[i].translated(origin), CapPalette::white, m.capCorner, 0, false,
                          KeyCap::text(texts[i], capFont(size)));
        }
    } else {
        QRectF rect(origin, labelSize(kind, size));
        if (width > 0 && rect.width() > width) {
            rect.setWidth(width);
        }
        if (m.wordPill) {
            painter.fillPath(capsule(rect), Theme::panel);
        }
        painter.setFont(wordFont(size));
        painter.setPen(Theme::ink);
        painter.drawText(rect, Qt::AlignCenter, wordText(*kind.asWord(), size, width > 0 ? rect.width() : 0));
    }
    painter.restore();
}

TriggerLabel::TriggerLabel(Trigger::Kind kind, Size size, QWidget *parent)
    : QWidget(parent), kind_(std::move(kind)), size_(size) {
    setAttribute(Qt::WA_TranslucentBackground);
    // A word narrows to the room it has (shortened with "…"); caps keep their size.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void TriggerLabel::syncToolTip() {
    const auto *word = kind_.asWord();
    const bool cut = word && !ShownText::fits(QFontMetricsF(wordFont(size_)), wordText(*word),
                                              width() - 2 * metrics(size_).wordPadding);
    setToolTip(cut ? QString::fromStdString(word->word) : QString());
}

void TriggerLabel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    syncToolTip();
}

void TriggerLabel::setKind(Trigger::Kind kind) {
    if (kind == kind_) {
        return;
    }
    kind_ = std::move(kind);
    updateGeometry();
    syncToolTip();
    update();
}

void TriggerLabel::setSize(Size size) {
    if (size == size_) {
        return;
    }
    size_ = size;
    updateGeometry();
    update();
}

QSize TriggerLabel::sizeHint() const {
    // Room for the caps' shadows below them.
    const QSizeF size = labelSize(kind_, size_);
    return QSize(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())) + 4);
}

QSize TriggerLabel::minimumSizeHint() const {
    const QSize whole = sizeHint();
    if (!kind_.isWord()) {
        return whole;
    }
    // The quotes round the first letter and "…".
    const QFontMetricsF font(wordFont(size_));
    const qreal least = font.horizontalAdvance(QStringLiteral("\u201Cw\u2026\u201D")) + 2 * metrics(size_).wordPadding;
    return QSize(std::min(whole.width(), static_cast<int>(std::ceil(least))), whole.height());
}

void TriggerLabel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QSizeF size = labelSize(kind_, size_);
    // Centred vertically, leading-aligned.
    paint(painter, QPointF(0, std::floor((height() - size.height()) / 2)), kind_, size_, width());
}

} // namespace tc

#include "ui/editor/KeyFace.h"

#include "ui/editor/KeyboardGeometry.h"
#include "ui/kit/CategorySymbols.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace tc::KeyFace {

namespace {

constexpr qreal kMinimumScale = 0.6; // small labels shrink to fit before they are cut

// Where a text that may shrink goes on the face: the top leading corner beside the symbol of a key with its own
// sound, the bottom leading corner on another key.
QRectF textBox(const Legend &legend, const QRectF &face) {
    return legend.kind == Legend::Kind::ownSound ? face.adjusted(4, 3, 0, 0) : face.adjusted(5, 0, 0, -4);
}

FittingText::Fit fitted(const Legend &legend, const QRectF &box, QFont &font) {
    font = legend.font;
    font.setLetterSpacing(QFont::AbsoluteSpacing, legend.letterSpacing);
    return FittingText::fit(legend.text, font, box.width(), kMinimumScale);
}

void drawFitted(QPainter &painter, const QRectF &box, const Legend &legend, Qt::Alignment alignment) {
    QFont font;
    const FittingText::Fit fit = fitted(legend, box, font);
    font.setPixelSize(std::max(1, qRound(fit.pixelSize)));
    painter.setFont(font);
    painter.drawText(box, static_cast<int>(alignment) | Qt::TextSingleLine, fit.text);
}

} // namespace

const CapPalette &palette(KeyDef::Kind kind, std::optional<SoundCategory> category) {
    if (kind == KeyDef::Kind::decorative) {
        return CapPalette::black;
    }
    if (category) {
        return CapPalette::forCategory(*category);
    }
    return kind == KeyDef::Kind::character || kind == KeyDef::Kind::space ? CapPalette::white : CapPalette::gray;
}

int characterCount(const QString &text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0) {
        ++count;
    }
    return count;
}

Legend legend(const PlacedKey &key, qreal unit, std::optional<SoundCategory> category) {
    Legend result;
    const bool isShort = key.def->isShort;
    const qreal small = std::max<qreal>(unit * 0.17, 8);
    const int count = characterCount(key.label);
    if (key.def->kind == KeyDef::Kind::decorative) {
        result.kind = Legend::Kind::ring;
        result.ringSize = unit * 0.3;
        return result;
    }
    if (category) {
        result.kind = Legend::Kind::ownSound;
        result.symbol = CategorySymbols::key(*category);
        result.symbolSize = isShort ? unit * 0.2 : unit * 0.3;
        result.symbolAtCorner = isShort;
        result.text = count > 2 ? key.label.toUpper() : key.label;
        result.font = Fonts::system(small, QFont::DemiBold);
        return result;
    }
    if (count < 3) {
        result.kind = Legend::Kind::centred;
        result.text = key.label;
        result.font = Fonts::system(isShort ? small * 1.1 : unit * 0.27, QFont::Medium);
        return result;
    }
    result.kind = Legend::Kind::cornerText;
    result.text = key.label.toUpper();
    result.font = Fonts::system(small, QFont::DemiBold);
    result.letterSpacing = 0.4;
    return result;
}

void paint(QPainter &painter, const QRectF &face, const QColor &ink, const Legend &legend) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (legend.kind) {
    case Legend::Kind::ring: {
        const QRectF ring(face.center().x() - legend.ringSize / 2, face.center().y() - legend.ringSize / 2,
                          legend.ringSize, legend.ringSize);
        painter.setPen(QPen(Theme::withOpacity(Qt::white, 0.25), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(ring.adjusted(0.5, 0.5, -0.5, -0.5));
        break;
    }
    case Legend::Kind::ownSound: {
        if (legend.symbolAtCorner) {
            // Sized box at the bottom trailing corner, padded 4 from the trailing and 2 from the bottom edge.
            const qreal box = legend.symbolSize * 1.2;
            const QRectF corner(face.right() - 4 - box, face.bottom() - 2 - box, box, box);
            Symbols::paint(painter, corner, legend.symbol, legend.symbolSize, QFont::Bold, ink);
        } else {
            Symbols::paint(painter, face, legend.symbol, legend.symbolSize, QFont::Bold, ink);
        }
        if (!legend.text.isEmpty()) {
            painter.setPen(Theme::withOpacity(ink, ink.alphaF() * 0.9));
            drawFitted(painter, textBox(legend, face), legend, Qt::AlignLeft | Qt::AlignTop);
        }
        break;
    }
    case Legend::Kind::centred:
        painter.setPen(ink);
        painter.setFont(legend.font);
        painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, legend.text);
        break;
    case Legend::Kind::cornerText:
        painter.setPen(ink);
        drawFitted(painter, textBox(legend, face), legend, Qt::AlignLeft | Qt::AlignBottom);
        break;
    }
    painter.restore();
}

bool isCut(const Legend &legend, const QRectF &face) {
    switch (legend.kind) {
    case Legend::Kind::ring:
        return false;
    case Legend::Kind::centred:
        return QFontMetricsF(legend.font).horizontalAdvance(legend.text) > face.width();
    case Legend::Kind::ownSound:
    case Legend::Kind::cornerText:
        break;
    }
    QFont font;
    return !legend.text.isEmpty() && fitted(legend, textBox(legend, face), font).elided;
}

QString accessibleName(const KeyDef &def, const std::optional<SoundItem> &sound) {
    const QString name = sound ? QString::fromStdString(sound->name) : QStringLiteral("Missing sound");
    return QString::fromStdString(def.displayName()) + QStringLiteral(" key: ") + name;
}

} // namespace tc::KeyFace

#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;

namespace tc {

// The program's symbols: every symbol the screens name (by its system symbol name, such as "play.fill")
// drawn as a glyph of the Material icon font, through the one table in Symbols.cpp.
class Symbols {
public:
    struct Entry {
        std::string_view name; // the symbol name the screens use
        char32_t codePoint;    // the Material icon glyph drawn for it
        std::string_view glyphName;
    };

    // The whole table, sorted by name.
    static const std::vector<Entry> &table();

    // The glyph of a symbol; nothing for a name the table does not hold.
    static std::optional<char32_t> codePoint(std::string_view name);
    // The glyph as text for drawing with Fonts::symbol(); empty for an unknown name.
    static QString text(std::string_view name);

    // Draws the symbol centred in `rect` at the given pixel size, weight and colour. An unknown name draws
    // nothing.
    static void paint(QPainter &painter, const QRectF &rect, std::string_view name, qreal pixelSize,
                      QFont::Weight weight, const QColor &color);
};

} // namespace tc

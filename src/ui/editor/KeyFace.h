#pragma once

#include "model/KeyLayout.h"
#include "model/SoundItem.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/KeyCap.h"

#include <QFont>
#include <QString>
#include <optional>

namespace tc {

struct PlacedKey;

// How one key of the drawn keyboard looks: the cap's palette from the category of the key's own sound, and
// what its face shows. Pure functions of the key and its sound, so tests read them without painting.
namespace KeyFace {

// Decorative keys are black; a key with its own known sound takes its category's palette; any other key is
// white when it types a character or is the space bar, else gray.
const CapPalette &palette(KeyDef::Kind kind, std::optional<SoundCategory> category);

// The number of user-perceived characters (grapheme clusters) of a legend.
int characterCount(const QString &text);

// What a key's face shows.
struct Legend {
    enum class Kind {
        ring,       // decorative key: a faint circle, no text
        ownSound,   // the category's symbol filling the face, the label small at the top leading corner
        centred,    // a short label (under three characters) in the middle
        cornerText, // a longer label, upper-cased, at the bottom leading corner
    };
    Kind kind = Kind::centred;
    QString text;                 // the label as drawn (upper-cased where the kind asks for it); may be empty
    QFont font;                   // of the text
    qreal letterSpacing = 0;      // extra points between letters of the text
    const char *symbol = nullptr; // ownSound: the category's symbol (CategorySymbols::key)
    qreal symbolSize = 0;         // ownSound: its pixel size (bold)
    bool symbolAtCorner = false;  // ownSound on a short key: the symbol sits at the bottom trailing corner
    qreal ringSize = 0;           // ring: its diameter
};

// The legend of `key` drawn at `unit` points per key unit; `category` is that of the key's own sound when the
// key has one the model knows.
Legend legend(const PlacedKey &key, qreal unit, std::optional<SoundCategory> category);

// Whether the legend's text is cut ("CONT…") on a face of that rectangle, even at its smallest size.
bool isCut(const Legend &legend, const QRectF &face);

// Draws a legend on the face rectangle in the palette's legend colour.
void paint(QPainter &painter, const QRectF &face, const QColor &ink, const Legend &legend);

// The accessible name: "A key: Meow"; the sound's name or "Missing sound".
QString accessibleName(const KeyDef &def, const std::optional<SoundItem> &sound);

} // namespace KeyFace

} // namespace tc

#pragma once

#include <QFont>
#include <QStringList>

namespace tc {

// The program's faces, loaded by the program itself from the Debian font packages: Inter for text
// (fonts-inter), JetBrains Mono where a monospaced face is asked for (fonts-jetbrains-mono) and the Material
// icon font for symbols (fonts-material-design-icons-iconfont). One logical pixel per point: every size here
// is a pixel size; fractional sizes are rounded to whole pixels.
//
// Main thread only.
class Fonts {
public:
    static constexpr const char *textFamily = "Inter";
    static constexpr const char *monoFamily = "JetBrains Mono";
    static constexpr const char *symbolFamily = "Material Icons";

    // Registers the font files with Qt; later calls do nothing. Returns whether all three families are
    // available (a missing package leaves Qt's fallback faces).
    static bool load();

    // The folders searched for the font files, in order.
    static QStringList searchFolders();

    static QFont system(qreal pixelSize, QFont::Weight weight = QFont::Normal);
    // The application's default font: system(pixelSize) given in points at the screen's resolution, so it is
    // drawn the same size. Qt's SVG renderer starts from the default font and scales text by its point size; a
    // font given in pixels has none (-1), so an icon with text (xterm's) drew nothing and Qt printed
    // "QFont::setPixelSize: Pixel size <= 0".
    static QFont application(qreal pixelSize);
    static QFont mono(qreal pixelSize, QFont::Weight weight = QFont::Normal);
    // The icon font's one face at `pixelSize`, plain below bold and emboldened from bold up.
    static QFont symbol(qreal pixelSize, QFont::Weight weight = QFont::Normal);
};

} // namespace tc

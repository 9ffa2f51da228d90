#pragma once

#include <QColor>

class QApplication;

namespace tc {

// The program's one fixed, light colour scheme (sRGB, opaque). There is no dark scheme: applyAppearance()
// forces these colours whatever the desktop theme says.
struct Theme {
    static constexpr QColor rail{228, 228, 225};   // window background behind the rail
    static constexpr QColor panel{241, 241, 239};  // the page column
    static constexpr QColor canvas{236, 236, 233}; // fill of the dotted backdrop
    static constexpr QColor dot{200, 200, 195};    // dots of the dotted backdrop
    static constexpr QColor tray{225, 225, 221};   // tray cards
    static constexpr QColor ink{17, 17, 17};       // strongest text, default foreground
    static constexpr QColor ink2{85, 85, 79};
    static constexpr QColor ink3{110, 110, 104}; // faintest text
    static constexpr QColor line{237, 237, 234};
    static constexpr QColor border{214, 214, 209};
    static constexpr QColor soft{247, 247, 245};
    static constexpr QColor orange{255, 107, 26};
    static constexpr QColor orangeDeep{240, 90, 10};
    static constexpr QColor orangeSoft{255, 230, 214};
    static constexpr QColor orangeText{154, 58, 0};
    static constexpr QColor green{31, 138, 76};
    static constexpr QColor greenSoft{221, 243, 230};
    static constexpr QColor greenText{20, 89, 47};
    static constexpr QColor red{180, 42, 22};

    // The colour of `color` at `opacity` (0 to 1).
    static QColor withOpacity(QColor color, qreal opacity);

    // Forces the light appearance on the whole application: the Fusion style, a palette made of these
    // colours, and Inter at 13 pixels as the default font (loads the fonts first). Main thread, once.
    static void applyAppearance(QApplication &application);
};

} // namespace tc

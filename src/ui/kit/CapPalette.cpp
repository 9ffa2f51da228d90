#include "ui/kit/CapPalette.h"

namespace tc {

namespace {

constexpr QColor rgb(int r, int g, int b) {
    return QColor(r, g, b);
}
constexpr QColor legend{27, 27, 27};
constexpr QColor whiteInk{255, 255, 255};

} // namespace

const CapPalette CapPalette::white{{rgb(255, 255, 255), rgb(242, 242, 239)},
                                   {rgb(236, 236, 232), rgb(198, 198, 191)},
                                   legend,
                                   false,
                                   rgb(255, 255, 255)};
const CapPalette CapPalette::gray{{rgb(238, 238, 234), rgb(224, 224, 219)},
                                  {rgb(217, 217, 211), rgb(175, 175, 167)},
                                  legend,
                                  false,
                                  rgb(231, 231, 227)};
const CapPalette CapPalette::yellow{
    {rgb(255, 208, 64), rgb(255, 188, 14)}, {rgb(242, 178, 0), rgb(192, 136, 0)}, legend, false, rgb(255, 194, 26)};
const CapPalette CapPalette::blue{
    {rgb(61, 107, 232), rgb(40, 83, 204)}, {rgb(36, 73, 182), rgb(21, 48, 122)}, whiteInk, true, rgb(43, 89, 217)};
const CapPalette CapPalette::red{
    {rgb(232, 74, 50), rgb(207, 51, 29)}, {rgb(194, 46, 25), rgb(134, 29, 14)}, whiteInk, true, rgb(215, 53, 31)};
const CapPalette CapPalette::green{
    {rgb(63, 179, 122), rgb(39, 154, 98)}, {rgb(34, 138, 87), rgb(19, 92, 56)}, whiteInk, true, rgb(46, 163, 107)};
const CapPalette CapPalette::black{
    {rgb(44, 44, 44), rgb(22, 22, 22)}, {rgb(20, 20, 20), rgb(0, 0, 0)}, whiteInk, true, rgb(17, 17, 17)};

const CapPalette &CapPalette::forCategory(SoundCategory category) {
    switch (category) {
    case SoundCategory::mechanical:
        return white;
    case SoundCategory::memes:
        return yellow;
    case SoundCategory::animals:
        return blue;
    case SoundCategory::retro:
        return red;
    case SoundCategory::everyday:
        return green;
    case SoundCategory::mine:
        return black;
    }
    return white;
}

const CapPalette &CapPalette::forProfileColor(ProfileColor color) {
    switch (color) {
    case ProfileColor::white:
        return white;
    case ProfileColor::yellow:
        return yellow;
    case ProfileColor::blue:
        return blue;
    case ProfileColor::red:
        return red;
    case ProfileColor::black:
        return black;
    case ProfileColor::green:
        return green;
    }
    return white;
}

} // namespace tc

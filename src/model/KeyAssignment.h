#pragma once

#include <string>

namespace tc {

// One key's own sound inside a profile. The member defaults are the values a stored assignment takes
// for members it leaves out.
struct KeyAssignment {
    std::string soundID;
    double volume = 1.0;           // fraction 0 to 1 of the master volume
    double pitchVariation = 0.06;  // largest relative change of playback rate: 0.06 is plus or minus 6 %
    bool randomInCategory = false; // play a random sound of the assigned sound's category instead
    bool layerBase = false;        // play the profile's base sound together with this one
    bool playOnKeyUp = false;      // play again when the key is released

    friend bool operator==(const KeyAssignment &, const KeyAssignment &) = default;
};

} // namespace tc

#include "ui/shell/Sections.h"

#include <array>

namespace tc {

const SectionInfo &sectionInfo(AppSection section) {
    static const std::array<SectionInfo, 5> table = {{
        {AppSection::keyboard, "keyboard", QStringLiteral("Keys"), false},
        {AppSection::sounds, "waveform", QStringLiteral("Sounds"), false},
        {AppSection::triggers, "bolt", QStringLiteral("Triggers"), false},
        {AppSection::apps, "macwindow", QStringLiteral("App rules"), false},
        {AppSection::settings, "slider.horizontal.3", QStringLiteral("Settings"), true},
    }};
    return table.at(static_cast<std::size_t>(section));
}

} // namespace tc

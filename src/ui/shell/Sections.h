#pragma once

#include "app/AppTypes.h"

#include <QString>
#include <string_view>

namespace tc {

// How the main window names and draws each section: the rail's symbol, the word used for the rail item's
// tooltip and label and the header's title, and whether its rail item is the round one.
struct SectionInfo {
    AppSection section;
    std::string_view symbol;
    QString title;
    bool circular = false;
};

const SectionInfo &sectionInfo(AppSection section);

} // namespace tc

#pragma once

#include <string>
#include <string_view>

namespace tc {

// The names imports give what they write into the sounds folder: a sound's new id and file
// ("user.<UUID>.<extension>"), and the hidden partial copy it writes first. The one place that makes them and
// the one that recognises them, so the start-up clean-up never acts on a file an import could not have made.
struct ImportFileName {
    std::string id;       // "user.<UUID>"
    std::string fileName; // id + "." + extension

    // A new id and its file name; `extension` without the point, as it should be written.
    static ImportFileName make(std::string_view extension);

    // The partial copy an import writes `fileName` under until it is complete: "." + fileName + ".part".
    static std::string partialName(std::string_view fileName);

    // Whether `name` is a name an import gives the file it writes: "user.<UUID>.<extension>", the extension of
    // letters and digits only.
    static bool isImportFileName(std::string_view name);
    // Whether `name` is one of an import's partial copies: its partialName, or "." + such a name + "." + anything
    // + ".tmp" (an atomic write's temporary).
    static bool isImportTemporary(std::string_view name);
};

} // namespace tc

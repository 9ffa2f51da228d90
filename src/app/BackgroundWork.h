#pragma once

#include "model/SoundItem.h"
#include "model/Uuid.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// The records of the model's long work, which runs on its worker (AppModel::importFilesAsync and the
// exports): what to import, and how each piece of work ended. Plain values, copied into the result signals.

// What a file of an import is made into.
enum class ImportKind {
    sound,     // an audio file, as a user sound named after the file
    recording, // a finished microphone take, as "Recording N"; the take's file is removed either way
    pack,      // a share pack: its sounds and its profile, which becomes the active one
};

struct ImportRequest {
    std::filesystem::path path;
    ImportKind kind = ImportKind::sound;
};

// How one file of an import ended. On success `sound` holds the new user sound (a sound or a recording) or
// `profileID` the new profile (a pack), both in the document already; on failure `error` is the message for
// the user (for a pack always the one sentence of an unreadable pack).
struct ImportOutcome {
    std::filesystem::path path;
    ImportKind kind = ImportKind::sound;
    std::optional<SoundItem> sound;
    std::optional<Uuid> profileID;
    std::optional<std::string> error;

    bool succeeded() const { return !error.has_value(); }
};

// A whole import: the task's number (as importFilesAsync returned it) and every file's outcome in the order
// they were asked for.
struct ImportResult {
    int task = 0;
    std::vector<ImportOutcome> files;
};

} // namespace tc

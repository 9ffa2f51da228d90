#pragma once

#include "engine/SoundFileWriter.h"

#include <QString>

namespace tc {

// What the user reads when a file could not be written: what failed and what to do, in the program's own
// words, naming the folder; the raw description (a library's or the system's) follows, shortened.

// The raw description made short enough to read: the standard library's "filesystem error: " prefix and the
// bracketed paths it appends (a hidden temporary file's among them) are dropped, and a long text is cut at
// kMaxDetailLength characters with an ellipsis. Empty when nothing is left.
QString shortFailureDetail(const QString &raw);
inline constexpr int kMaxDetailLength = 160;

// The text of the alert for a failed save of the document into `folder`.
QString saveFailureMessage(const QString &folder, const QString &raw);

// The text of the alert for a backup that could not be written into `folder`.
QString backupFailureMessage(const QString &folder, const QString &raw);

// What an import could not write into the sounds folder: one sound (an audio file, a recording) or a share
// pack's sounds.
enum class ImportedThing { sound, pack };

// The text shown for an import whose files couldn't be written into the sounds folder `folder`: a full disk, a file
// where the folder should be, or a folder that can't be written (with the shortened raw description at its end). One
// paragraph, as it may be one line of a list of failures.
QString importFailureMessage(SoundsFolderError::Kind kind, ImportedThing thing, const QString &folder,
                             const QString &raw);

} // namespace tc

#pragma once

#include "app/SaveWriter.h"
#include "model/AppData.h"

#include <QString>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace tc {

// A backup could not be written; what() says why.
class BackupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The document on disk: data.json in the program's data folder ($XDG_DATA_HOME/Tapchime by default; tests
// pass a temporary folder). Loads it once with the acceptance and upgrade rules, and writes snapshots on a
// background writer in the order they are handed over.
// Thread: the main thread; the writes run on the writer's own thread.
class DocumentStore {
public:
    // How load() came by its document.
    enum class Source {
        file,     // data.json as stored
        upgraded, // data.json, brought up to the current starter packs and written back at once
        fallback, // the default document (no file, an unreadable or broken one, or one without profiles)
    };
    struct Loaded {
        AppData data;
        Source source = Source::fallback;
    };

    explicit DocumentStore(QString folder);
    DocumentStore(QString folder, SaveWriter::WriteFunction write);

    // $XDG_DATA_HOME/Tapchime (~/.local/share/Tapchime).
    static QString defaultFolder();
    static constexpr qint64 kMaxDocumentBytes = 64 * 1024 * 1024; // a larger file is not a document of ours

    const QString &folder() const { return folder_; }
    QString documentPath() const;

    // Reads data.json: it must decode and hold a profile, else the default document is used (and nothing is
    // written now). An accepted document is upgraded; when the upgrade added its marker, the document is
    // written back at once. An active profile id that names no profile is pointed at the first profile.
    Loaded load();

    // Queues a snapshot for the background writer.
    void save(AppData snapshot);
    // Blocks until every queued snapshot is written; false on timeout.
    bool waitForWrites(std::chrono::milliseconds timeout);
    SaveWriter &writer() { return *writer_; }

    // The document as pretty-printed JSON with sorted keys, written atomically to `path`. Throws BackupError.
    static void exportBackup(const AppData &data, const QString &path);

private:
    QString folder_;
    SaveWriter::WriteFunction write_;
    std::unique_ptr<SaveWriter> writer_;
};

} // namespace tc

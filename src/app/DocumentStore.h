#pragma once

#include "app/SaveWriter.h"
#include "model/AppData.h"

#include <QDateTime>
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
//
// The user's document is never lost: a data.json that cannot be used is moved aside before the default
// document takes its place, so no later save can replace it, and a save that could not be read back (over
// the size bound) is not written.
//
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
        // Where an unusable data.json was moved; empty when there was none, or when it could not be moved
        // (it then stays as data.json, and this store saves nothing over it).
        QString keptBrokenFile;
    };
    // One line to the system log; called on the main thread and on the writer's thread.
    using Log = SaveWriter::Log;

    explicit DocumentStore(QString folder);
    DocumentStore(QString folder, SaveWriter::WriteFunction write);

    // $XDG_DATA_HOME/Tapchime (~/.local/share/Tapchime).
    static QString defaultFolder();
    // The largest document, in bytes of JSON text, inclusive: load() refuses a larger file, and a save whose
    // text would be larger is not written. Far beyond any real document; it bounds what a start reads.
    static constexpr qint64 kMaxDocumentBytes = 64 * 1024 * 1024;

    const QString &folder() const { return folder_; }
    QString documentPath() const;
    // "data.json.broken-2024-05-14-093005": the name an unusable data.json is kept under (before any counter).
    static QString brokenFileName(const QDateTime &when);

    // Where load() and failed saves report (default: nowhere). Set it before load().
    void setLog(Log log);

    // First removes the temporary files an interrupted save left beside data.json. Then reads data.json: it
    // must be at most kMaxDocumentBytes, decode and hold a profile, else the default document is used (and
    // nothing is written now). An existing file that is not used is first moved aside, in the same folder,
    // to brokenFileName(now) (or that name followed by "-2", "-3", … when it is taken; an earlier kept file
    // is never replaced), and one log line says why and where it went. When it cannot be moved, it stays and
    // saves are refused for the life of the store. An accepted document is upgraded; when the upgrade added
    // its marker, the document is written back at once. An active profile id that names no profile is
    // pointed at the first profile.
    Loaded load(const QDateTime &now = QDateTime::currentDateTime());

    // Where the outcome of every save is reported, on the writer's thread; a snapshot dropped while saves are
    // refused is reported as failed, on the caller's.
    void setSaveOutcome(SaveWriter::Outcome outcome);

    // Queues a snapshot for the background writer (dropped while saves are refused, see load()).
    void save(AppData snapshot);
    // Blocks until every queued snapshot is written; false on timeout.
    bool waitForWrites(std::chrono::milliseconds timeout);
    SaveWriter &writer() { return *writer_; }

    // The document as pretty-printed JSON with sorted keys, written atomically to `path`, whose folder must
    // exist (it is not created). Throws BackupError.
    static void exportBackup(const AppData &data, const QString &path);

private:
    void log(const std::string &line) const;

    QString folder_;
    std::unique_ptr<SaveWriter> writer_;
    Log log_;
    SaveWriter::Outcome outcome_;
    bool savesRefused_ = false; // an unusable data.json could not be moved aside
};

} // namespace tc

#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tc {

// The record of the imports under way: the names of the sound files imports are writing into the sounds folder,
// kept in a small file there (".imports", one name a line), from before an import writes its first byte until
// the document on disk lists the sound, or the import removed its file again.
//
// An import that a crash, the OOM killer or a power cut stopped leaves its name behind, and the next start
// removes what it wrote (settle): its temporary files always, and its complete copy unless the document lists
// it. Only names of the form imports give their files ("user.<UUID>.<extension>") are ever acted on, whatever
// the record holds, and a file no import noted (one the user put there, or one a kept broken document or a
// backup names) is never touched.
//
// Thread: any, also at once. The names are kept under a lock that is never held while the record is written: one
// caller at a time writes it, the latest names each time, until the record holds them; a call that finds a write
// under way leaves its change to that writer. So finish() never waits for another thread's write, and begin()
// waits (without the lock) only until a write that holds its name is over.
class ImportJournal {
public:
    // The name of the record in the sounds folder.
    static constexpr const char *kFileName = ".imports";

    // Replaces the record `file` with these names, one a line, durably (no names: the record goes). Throws
    // std::filesystem::filesystem_error. Tests put in one they can hold up.
    using Writer = std::function<void(const std::filesystem::path &file, const std::vector<std::string> &names)>;
    static void writeRecord(const std::filesystem::path &file, const std::vector<std::string> &names);

    struct Settled {
        std::size_t temporaries = 0; // partial copies removed
        std::size_t copies = 0;      // complete copies no document lists, removed
        std::size_t kept = 0;        // noted copies kept: the document lists them, or it could not be read
    };

    explicit ImportJournal(std::filesystem::path soundsFolder, Writer writer = writeRecord);

    // Notes that an import is about to write `fileName` into the sounds folder; the note is on disk when this
    // returns. Throws std::filesystem::filesystem_error when it cannot be written (the import must not write).
    void begin(const std::string &fileName);
    // The imports of these files are over: the document on disk lists them, or their files are gone. Names not
    // noted are ignored; errors writing the record are too (a name left in it is settled at the next start).
    // Writes the record itself only when no other call is writing it; the program calls it on the model's worker.
    void finish(const std::vector<std::string> &fileNames);
    // The names noted now.
    std::vector<std::string> pending() const;

    // At start, before any import (it does not wait for them): removes the partial copies of imports
    // (".user.<UUID>.<extension>.part" and the like, whoever noted them), then, of the noted copies, those that
    // `listed` (the file names the document lists) does not name; when the document could not be read (`documentRead`
    // false: a broken document was set aside and may name them) the copies are kept. The record is emptied either way.
    Settled settle(const std::set<std::string> &listed, bool documentRead);

private:
    std::vector<std::string> read() const;
    // With `guard` held and no write under way: writes the latest names until the record holds them, letting go
    // of the lock during each write.
    void writeOut(std::unique_lock<std::mutex> &guard);

    const std::filesystem::path folder_;
    const std::filesystem::path file_;
    const Writer writer_;
    mutable std::mutex lock_;
    std::condition_variable written_;
    std::vector<std::string> names_; // as the record should be
    std::uint64_t version_ = 0;      // of names_, one more with each change
    std::uint64_t attempted_ = 0;    // the version the last write finished with
    std::uint64_t onDisk_ = 0;       // the version the last successful write wrote
    std::exception_ptr failure_;     // of the last write that failed
    bool writing_ = false;
};

} // namespace tc

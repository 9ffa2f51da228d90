#pragma once

#include <cstddef>
#include <filesystem>
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
// Thread: any; the members are serialized.
class ImportJournal {
public:
    // The name of the record in the sounds folder.
    static constexpr const char *kFileName = ".imports";

    struct Settled {
        std::size_t temporaries = 0; // partial copies removed
        std::size_t copies = 0;      // complete copies no document lists, removed
        std::size_t kept = 0;        // noted copies kept: the document lists them, or it could not be read
    };

    explicit ImportJournal(std::filesystem::path soundsFolder);

    // Notes that an import is about to write `fileName` into the sounds folder; the note is on disk when this
    // returns. Throws std::filesystem::filesystem_error when it cannot be written (the import must not write).
    void begin(const std::string &fileName);
    // The imports of these files are over: the document on disk lists them, or their files are gone. Names not
    // noted are ignored; errors writing the record are too (a name left in it is settled at the next start).
    void finish(const std::vector<std::string> &fileNames);
    // The names noted now.
    std::vector<std::string> pending() const;

    // At start, before any import: removes the partial copies of imports (".user.<UUID>.<extension>.part" and
    // the like, whoever noted them), then, of the noted copies, those that `listed` (the file names the
    // document lists) does not name; when the document could not be read (`documentRead` false: a broken
    // document was set aside and may name them) the copies are kept. The record is emptied either way.
    Settled settle(const std::set<std::string> &listed, bool documentRead);

    // Whether `name` is a name an import gives the file it writes: "user.<UUID>.<extension>".
    static bool isImportFileName(const std::string &name);
    // Whether `name` is one of an import's partial copies: "." + such a name + ".part" or "." + such a name + "."
    // + anything + ".tmp".
    static bool isImportTemporary(const std::string &name);

private:
    std::vector<std::string> read() const;
    void write(const std::vector<std::string> &names) const;

    const std::filesystem::path folder_;
    const std::filesystem::path file_;
    mutable std::mutex lock_;
    std::vector<std::string> names_; // as on disk
};

} // namespace tc

// libFuzzer target: importing a share pack (".tapchime") from arbitrary bytes into a sounds folder of its
// own. The import either fails with PackError and leaves that folder empty, or writes exactly the files of
// the sounds it returns; nothing is ever written anywhere else in the fuzzer's folder.

#include "FuzzFolder.h"
#include "engine/PackIO.h"
#include "engine/SoundLibrary.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"
#include "model/KeyLayout.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// Every path under `root`, folders included.
std::set<fs::path> everythingUnder(const fs::path &root) {
    std::set<fs::path> paths;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        paths.insert(entry.path());
    }
    return paths;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tc;
    static const auto decoder = std::make_shared<FfmpegDecoder>();
    const fs::path root = fuzz::folder();
    const fs::path pack = root / "in.tapchime";
    const fs::path sounds = root / "Sounds";
    fuzz::writeFile(pack, std::string_view(reinterpret_cast<const char *>(data), size));

    std::set<fs::path> expected = {pack, sounds};
    {
        // A small bound on the decoded audio, so that packs that pass it are found too.
        SoundLibrary library(decoder, sounds, root / "resources", 16u * 1024u * 1024u);
        PackIO io(library);
        try {
            const auto imported = io.importPack(pack, {"Pack", "Pack 2"});
            std::set<std::string> ids;
            for (const SoundItem &item : imported.sounds) {
                if (!item.fileName || item.fileName->find('/') != std::string::npos ||
                    item.fileName->rfind(item.id + ".", 0) != 0 || item.fileName->size() == item.id.size() + 1 ||
                    !ids.insert(item.id).second) {
                    fuzz::fail("an imported sound has a bad id or file name");
                }
                expected.insert(sounds / *item.fileName);
            }
            if (imported.sounds.size() > KeyLayout::byCode().size() + 1) {
                fuzz::fail("a pack installed more sounds than the keyboard has keys");
            }
            if (imported.profile.name == "Pack" || imported.profile.name == "Pack 2") {
                fuzz::fail("an imported profile took a name that exists");
            }
        } catch (const PackError &) {
            if (library.userSoundBytes() != 0) {
                fuzz::fail("a refused pack left sounds in the library");
            }
        }
    }
    if (everythingUnder(root) != expected) {
        fuzz::fail("the import wrote other files than those of its sounds");
    }
    std::error_code ignored;
    fs::remove_all(sounds, ignored);
    return 0;
}

// libFuzzer target: the document (data.json, the backup) read from arbitrary text. Whatever reads must write
// again and read back as the same document, or the first save after loading it would lose something.

#include "FuzzFolder.h"
#include "model/Json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tc;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    AppData document;
    try {
        document = decodeAppData(text);
    } catch (const DecodeError &) {
        return 0; // refused as a whole: the caller falls back to the default document
    }

    std::string written;
    try {
        written = encodeAppData(document, true);
    } catch (const EncodeError &error) {
        fuzz::fail(std::string("a document that reads does not write: ") + error.what());
    }
    AppData again;
    try {
        again = decodeAppData(written);
    } catch (const DecodeError &error) {
        fuzz::fail(std::string("a written document does not read: ") + error.what());
    }
    if (!(again == document)) {
        fuzz::fail("a written document reads back different");
    }
    if (encodeAppData(again, false) != encodeAppData(document, false)) {
        fuzz::fail("writing the same document twice gives different text");
    }
    return 0;
}

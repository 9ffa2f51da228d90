#include "engine/AtomicFile.h"

#include "model/Uuid.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace tc {

void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes) {
    // A hidden name of its own in the same folder, so the rename stays on one file system.
    const std::filesystem::path temporary =
        target.parent_path() / ("." + target.filename().string() + "." + Uuid::random().toString() + ".tmp");
    // The streams leave errno as the system set it; an unknown cause is reported as an I/O error.
    auto systemError = [] { return std::error_code(errno != 0 ? errno : EIO, std::generic_category()); };
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw std::filesystem::filesystem_error("cannot create file", temporary, systemError());
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            const std::error_code error = systemError();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::filesystem::filesystem_error("cannot write file", temporary, error);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::filesystem::filesystem_error("cannot replace file", temporary, target, error);
    }
}

} // namespace tc

#include "support/PrivateBus.h"
#include "support/Wait.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tc::test {

namespace {

// Whether the daemon accepts connections on `socket`. The daemon creates the socket file before it listens,
// so the file alone does not say the bus is ready.
bool accepts(const std::filesystem::path &socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

} // namespace

PrivateBus::PrivateBus() {
    const auto socket = dir_.path() / "bus";
    address_ = "unix:path=" + socket.string();
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir_.path().string());
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--address=" + address_});
    if (!waitUntil([&] { return accepts(socket); })) {
        throw std::runtime_error("the private bus did not start");
    }
}

} // namespace tc::test

#include "support/PrivateBus.h"
#include "support/Wait.h"

#include <cstdlib>
#include <stdexcept>

namespace tc::test {

PrivateBus::PrivateBus() {
    const auto socket = dir_.path() / "bus";
    address_ = "unix:path=" + socket.string();
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir_.path().string());
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--address=" + address_});
    if (!waitUntil([&] { return std::filesystem::exists(socket); })) {
        throw std::runtime_error("the private bus did not start");
    }
}

} // namespace tc::test

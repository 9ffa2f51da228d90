#include "support/PrivateBus.h"
#include "support/Wait.h"

#include <cstdlib>
#include <stdexcept>

namespace tc::test {

ScopedEnv::ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
    if (const char *old = std::getenv(name)) {
        old_ = old;
    }
    value ? (void)setenv(name, value->c_str(), 1) : (void)unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    old_ ? (void)setenv(name_, old_->c_str(), 1) : (void)unsetenv(name_);
}

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

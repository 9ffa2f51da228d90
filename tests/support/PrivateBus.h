#pragma once

#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <memory>
#include <optional>
#include <string>

namespace tc::test {

// A private D-Bus daemon with the session configuration, so services such as the accessibility bus launcher
// start on demand, each with this bus's own runtime folder. Stopped by process id on destruction; the
// services it started end with it.
class PrivateBus {
public:
    PrivateBus();
    const std::string &address() const { return address_; }

private:
    TempDir dir_;
    std::string address_;
    std::unique_ptr<ChildProcess> daemon_;
};

} // namespace tc::test

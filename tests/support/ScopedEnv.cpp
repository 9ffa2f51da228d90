#include "support/ScopedEnv.h"

#include <cstdlib>

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

} // namespace tc::test

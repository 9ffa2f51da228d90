#pragma once

#include <optional>
#include <string>

namespace tc::test {

// Sets an environment variable (or removes it, for nothing) for the lifetime of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value);
    // A null value removes the variable.
    ScopedEnv(const char *name, const char *value)
        : ScopedEnv(name, value ? std::optional<std::string>(value) : std::nullopt) {}
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    std::optional<std::string> old_;
};

} // namespace tc::test

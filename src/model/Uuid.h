#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tc {

// A 128-bit universally unique identifier, the identity of profiles, triggers and user sounds.
// A plain value; the default value is the null UUID (all zero bytes). Text form is the canonical
// 8-4-4-4-12 hexadecimal form, written upper-case.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr Uuid() = default;
    constexpr explicit Uuid(const Bytes &bytes) : bytes_(bytes) {}

    // A new random (version 4) UUID. Thread-safe: every thread draws from its own generator.
    static Uuid random();

    // Parses the canonical form; upper- and lower-case hexadecimal digits are both accepted.
    // Anything else (braces, missing dashes, wrong length) gives nullopt.
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;
    bool isNull() const;
    const Bytes &bytes() const { return bytes_; }

    friend auto operator<=>(const Uuid &, const Uuid &) = default;
    friend bool operator==(const Uuid &, const Uuid &) = default;

private:
    Bytes bytes_{};
};

} // namespace tc

template <> struct std::hash<tc::Uuid> {
    std::size_t operator()(const tc::Uuid &uuid) const noexcept {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            high = (high << 8) | uuid.bytes()[i];
            low = (low << 8) | uuid.bytes()[i + 8];
        }
        return std::hash<std::uint64_t>{}(high ^ (low * 0x9E3779B97F4A7C15ull));
    }
};

#include "model/KeyCodes.h"

#include <limits>

namespace tc::KeyCodes {

std::string text(std::uint16_t code) {
    return std::to_string(code);
}

std::optional<std::uint16_t> fromText(std::string_view text) {
    constexpr std::size_t kMaxDigits = 5; // 65535
    if (text.empty() || text.size() > kMaxDigits || (text.size() > 1 && text.front() == '0')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace tc::KeyCodes

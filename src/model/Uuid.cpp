#include "model/Uuid.h"

#include <random>

namespace tc {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Positions of the dashes in the 36-character canonical form.
constexpr bool isDashPosition(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::mt19937_64 makeGenerator() {
    // One random_device word is only 32 bits; seed the whole engine state from several of them so
    // that two generators (two threads, two runs) practically never share a sequence.
    std::random_device device;
    std::array<std::uint32_t, 8> seed{};
    for (auto &word : seed) {
        word = device();
    }
    std::seed_seq sequence(seed.begin(), seed.end());
    return std::mt19937_64(sequence);
}

} // namespace

Uuid Uuid::random() {
    thread_local std::mt19937_64 generator = makeGenerator();
    Bytes bytes{};
    for (std::size_t half = 0; half < 2; ++half) {
        std::uint64_t value = generator();
        for (std::size_t i = 0; i < 8; ++i) {
            bytes[half * 8 + i] = static_cast<std::uint8_t>(value >> (56 - 8 * i));
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    Bytes bytes{};
    std::size_t byteIndex = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (isDashPosition(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[byteIndex++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return Uuid(bytes);
}

std::string Uuid::toString() const {
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(kHexDigits[bytes_[i] >> 4]);
        text.push_back(kHexDigits[bytes_[i] & 0x0F]);
    }
    return text;
}

bool Uuid::isNull() const {
    for (auto byte : bytes_) {
        if (byte != 0) {
            return false;
        }
    }
    return true;
}

} // namespace tc

#include "model/JsonRead.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>

namespace tc {

namespace {

using nlohmann::json;

// Values from a file are quoted in messages; keep the quote short and the message valid UTF-8.
std::string excerpt(const json &value) {
    constexpr std::size_t kLimit = 40;
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() <= kLimit) {
        return text;
    }
    std::size_t cut = kLimit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut; // do not split a multi-byte character
    }
    return text.substr(0, cut) + "…";
}

std::string describeType(const json &value) {
    switch (value.type()) {
    case json::value_t::null:
        return "null";
    case json::value_t::object:
        return "an object";
    case json::value_t::array:
        return "an array";
    case json::value_t::string:
        return "a string";
    case json::value_t::boolean:
        return "a boolean";
    case json::value_t::binary:
        return "binary data";
    default:
        return "a number";
    }
}

[[noreturn]] void wrongType(const json &value, const JsonPath &path, std::string_view expected) {
    jsonread::fail(path, "expected " + std::string(expected) + " but found " + describeType(value));
}

bool isPlainName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string JsonPath::toString() const {
    std::vector<const JsonPath *> chain;
    for (const JsonPath *step = this; step->parent_ != nullptr; step = step->parent_) {
        chain.push_back(step);
    }
    std::string text;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const JsonPath &step = **it;
        if (step.indexPlusOne_ != 0) {
            text += "[" + std::to_string(step.indexPlusOne_ - 1) + "]";
        } else if (isPlainName(step.name_)) {
            if (!text.empty()) {
                text += ".";
            }
            text += step.name_;
        } else {
            // Member names of the key map come from the file; quote anything unusual.
            text += "[" + excerpt(json(std::string(step.name_))) + "]";
        }
    }
    return text;
}

namespace jsonread {

void fail(const JsonPath &path, std::string_view problem) {
    std::string where = path.toString();
    std::string description = (where.empty() ? std::string("top level") : where) + ": " + std::string(problem);
    throw DecodeError(std::move(where), description);
}

const json &object(const json &value, const JsonPath &path) {
    if (!value.is_object()) {
        wrongType(value, path, "an object");
    }
    return value;
}

const json &array(const json &value, const JsonPath &path) {
    if (!value.is_array()) {
        wrongType(value, path, "an array");
    }
    return value;
}

const json *optionalMember(const json &object, std::string_view name) {
    const auto it = object.find(name);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const json &requiredMember(const json &object, std::string_view name, const JsonPath &objectPath) {
    const auto it = object.find(name);
    if (it == object.end()) {
        fail(objectPath.member(name), "required member is missing");
    }
    if (it->is_null()) {
        fail(objectPath.member(name), "required member is null");
    }
    return *it;
}

std::string string(const json &value, const JsonPath &path) {
    if (!value.is_string()) {
        wrongType(value, path, "a string");
    }
    return value.get_ref<const std::string &>();
}

bool boolean(const json &value, const JsonPath &path) {
    if (!value.is_boolean()) {
        wrongType(value, path, "a boolean");
    }
    return value.get<bool>();
}

double number(const json &value, const JsonPath &path) {
    if (!value.is_number()) {
        wrongType(value, path, "a number");
    }
    const double result = value.get<double>();
    if (!std::isfinite(result)) {
        fail(path, "the number is not finite");
    }
    return result;
}

template <typename Int> Int integer(const json &value, const JsonPath &path) {
    using Limits = std::numeric_limits<Int>;
    const auto outOfRange = [&] {
        fail(path, excerpt(value) + " is out of range " + std::to_string(Limits::min()) + " to " +
                       std::to_string(Limits::max()));
    };
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(Limits::max())) {
            outOfRange();
        }
        return static_cast<Int>(unsignedValue);
    }
    if (value.is_number_integer()) {
        const auto signedValue = value.get<std::int64_t>();
        if (signedValue < 0 ? (!Limits::is_signed || signedValue < static_cast<std::int64_t>(Limits::min()))
                            : static_cast<std::uint64_t>(signedValue) > static_cast<std::uint64_t>(Limits::max())) {
            outOfRange();
        }
        return static_cast<Int>(signedValue);
    }
    if (value.is_number_float()) {
        const double floatValue = value.get<double>();
        if (!std::isfinite(floatValue) || std::floor(floatValue) != floatValue) {
            fail(path, "expected an integer but found " + excerpt(value));
        }
        // Limits::max() + 1 is a power of two and so exact as a double, unlike Limits::max() itself
        // for the 64-bit types.
        const double upperExclusive = 2.0 * static_cast<double>(Limits::max() / 2 + 1);
        if (floatValue < static_cast<double>(Limits::min()) || floatValue >= upperExclusive) {
            outOfRange();
        }
        return static_cast<Int>(floatValue);
    }
    wrongType(value, path, "an integer");
}

template int integer<int>(const json &, const JsonPath &);
template std::int64_t integer<std::int64_t>(const json &, const JsonPath &);
template std::uint16_t integer<std::uint16_t>(const json &, const JsonPath &);
template std::uint64_t integer<std::uint64_t>(const json &, const JsonPath &);

Uuid uuid(const json &value, const JsonPath &path) {
    const auto parsed = Uuid::parse(string(value, path));
    if (!parsed) {
        fail(path, excerpt(value) + " is not a UUID");
    }
    return *parsed;
}

std::vector<std::string> stringList(const json &value, const JsonPath &path) {
    array(value, path);
    std::vector<std::string> result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        result.push_back(string(value[i], path.index(i)));
    }
    return result;
}

} // namespace jsonread

} // namespace tc

#pragma once

#include "model/Uuid.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// Reading a document (or a pack) failed. The whole read is abandoned: there is never a partial result.
// what() is the description shown to the user or logged; path() says where the bad value sits, e.g.
// "profiles[0].keys.49.volume" (empty for the top level).
class DecodeError : public std::runtime_error {
public:
    DecodeError(std::string path, const std::string &description)
        : std::runtime_error(description), path_(std::move(path)) {}

    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// The position of a JSON value inside the value being read, kept only to name it in errors.
// A path points at its parent, so it must not outlive it: build children as temporaries in the call
// that reads them, e.g. readString(object, "name", path.member("name")).
class JsonPath {
public:
    JsonPath() = default; // the top level

    JsonPath member(std::string_view name) const { return JsonPath(this, name, 0); }
    JsonPath index(std::size_t position) const { return JsonPath(this, {}, position + 1); }

    // "profiles[0].keys.49"; empty for the top level.
    std::string toString() const;

private:
    JsonPath(const JsonPath *parent, std::string_view name, std::size_t indexPlusOne)
        : parent_(parent), name_(name), indexPlusOne_(indexPlusOne) {}

    const JsonPath *parent_ = nullptr;
    std::string_view name_;
    std::size_t indexPlusOne_ = 0; // 0: a member (or the top level); n: the element at n - 1
};

// Strict readers for JSON values, shared by the document and the share pack. Each either returns the
// value or throws DecodeError naming the path: a wrong JSON type, a number out of range for the target
// type, a number that is not integral where an integer is wanted, or a string that is not a UUID.
namespace jsonread {

[[noreturn]] void fail(const JsonPath &path, std::string_view problem);

// Checks that the value is an object (or an array) and returns it.
const nlohmann::json &object(const nlohmann::json &value, const JsonPath &path);
const nlohmann::json &array(const nlohmann::json &value, const JsonPath &path);

// The member of an object; a missing member and a null member are both absent.
const nlohmann::json *optionalMember(const nlohmann::json &object, std::string_view name);
// As optionalMember, but absent fails; `objectPath` is the path of the object itself.
const nlohmann::json &requiredMember(const nlohmann::json &object, std::string_view name, const JsonPath &objectPath);

std::string string(const nlohmann::json &value, const JsonPath &path);
bool boolean(const nlohmann::json &value, const JsonPath &path);
// Any finite JSON number, integral or not.
double number(const nlohmann::json &value, const JsonPath &path);
// An integral JSON number within the range of Int (a float such as 12.0 counts when it is exactly
// integral). Instantiated for int, std::int64_t, std::uint16_t and std::uint64_t.
template <typename Int> Int integer(const nlohmann::json &value, const JsonPath &path);
// The canonical 8-4-4-4-12 form, either case.
Uuid uuid(const nlohmann::json &value, const JsonPath &path);
std::vector<std::string> stringList(const nlohmann::json &value, const JsonPath &path);

} // namespace jsonread

} // namespace tc

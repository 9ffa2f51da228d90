#include "model/Names.h"

namespace tc {

std::string uniqueName(const std::string &name, const std::function<bool(const std::string &)> &taken) {
    if (!taken(name)) {
        return name;
    }
    for (std::size_t number = 2;; ++number) {
        auto candidate = name + " " + std::to_string(number);
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

std::string trimmedName(const std::string &name) {
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = name.find_last_not_of(" \t");
    return name.substr(first, last - first + 1);
}

} // namespace tc

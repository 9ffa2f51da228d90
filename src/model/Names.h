#pragma once

#include <functional>
#include <string>

namespace tc {

// `name` itself when it is free, else the first of "name 2", "name 3", … that is free. The comparison is
// whatever `taken` says (the program compares names exactly, case included).
std::string uniqueName(const std::string &name, const std::function<bool(const std::string &)> &taken);

// A name as the user typed it, without the spaces and tabs at its ends; other white space is kept.
std::string trimmedName(const std::string &name);

} // namespace tc

#pragma once

#include <optional>
#include <string>

namespace kestro {

// The target of the link `name` (relative to the folder `directory`, or
// AT_FDCWD), however long; nullopt with errno set when it cannot be read.
std::optional<std::string> ReadLinkAt(int directory, const char* name);

}  // namespace kestro

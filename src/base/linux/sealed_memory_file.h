#pragma once

#include <string>
#include <string_view>

#include "base/linux/unique_fd.h"

// Bytes handed from one program to the next across exec: a memory file that
// nobody can change once it is made, passed on as an inherited descriptor.
// No size limit, no path another process could race for, nothing left behind.
namespace kestro {

// A memory file holding `bytes`, sealed against every change (write, grow,
// shrink, new seals). Its descriptor closes on exec until the caller clears
// FD_CLOEXEC for the one exec that hands it over. Throws RuntimeError.
UniqueFd SealedMemoryFile(const char* name, std::string_view bytes);

// The whole content of the sealed memory file `fd`, read from its start.
// Throws RuntimeError when `fd` is no such file (not open, not a memory file,
// not sealed against writing) or cannot be read.
std::string ReadSealedMemoryFile(int fd);

}  // namespace kestro

#pragma once

#include <string>
#include <string_view>

#include "core/error.h"

// The one way a failed system call becomes a run-time error on Linux, and
// the one loop that writes a whole buffer to a descriptor.
namespace kestro {

// RuntimeError with the errno `number` and "<what>: <the system's text>",
// followed by `hint` (" (reading the SMBIOS table needs root)").
RuntimeError SystemError(int number, const std::string& what, std::string_view hint = {});

// Writes all of `bytes` to `fd`, again after a signal or a short write; 0
// when they all went, else the errno.
int WriteAll(int fd, std::string_view bytes);

}  // namespace kestro

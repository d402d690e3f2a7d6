#pragma once

#include <string>
#include <string_view>

namespace kestro {

// Puts `bytes` into the file at `path` as a whole: written to a new temporary
// file beside it, then renamed over it, so that a failure leaves the previous
// file as it was and no temporary file behind. A symbolic link at `path` is
// replaced, never followed into another file; a target that exists and is
// not a regular file (a FIFO, a device such as /dev/stdout) is written
// directly. Any failure throws RuntimeError with the system's error number.
void ReplaceFileContents(const std::u16string& path, std::string_view bytes);

}  // namespace kestro

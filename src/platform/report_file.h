#pragma once

#include <string>
#include <string_view>

#include "core/file_writing.h"

namespace kestro {

// Puts `bytes` into the file at `path` as the platform's files and
// DecideWrite (core/file_writing.h) say: a file is replaced as a whole (a
// new temporary file beside it, flushed and renamed over it, so that a
// failure leaves the previous file as it was and no temporary file behind);
// what the user named and may be written into (a FIFO, a character device,
// one of the process's own descriptors) is written through; the rest is
// refused. `access` applies to the file created. Any failure throws
// RuntimeError with the system's error number.
void ReplaceFileContents(const std::u16string& path, std::string_view bytes, NamedBy namedBy,
                         FileAccess access = FileAccess::Usual);

}  // namespace kestro

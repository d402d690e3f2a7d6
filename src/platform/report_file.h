#pragma once

#include <string>
#include <string_view>

namespace kestro {

// Where the report's path came from. A FIFO or a device is written directly
// only when the user named it; under the default name it may have been
// planted by someone else and is replaced like any other file.
enum class ReportTarget { DefaultName, NamedByUser };

// Who may read the file written. A report is an ordinary file: a new one gets
// what the user's umask allows, a replaced one keeps its permission bits. A
// snapshot holds the root-only SMBIOS table and serial numbers: it is the
// owner's alone (0600 on POSIX), also where it replaces a more open file.
enum class FileAccess { Usual, OwnerOnly };

// Puts `bytes` into the file at `path` as a whole: written to a new temporary
// file beside it, then renamed over it, so that a failure leaves the previous
// file as it was and no temporary file behind. A symbolic link at `path` is
// replaced, never followed into another file, except a link that names one of
// the process's own open descriptors (/dev/stdout, /proc/self/fd/N): then
// `bytes` go into that descriptor. A FIFO or character device is written
// directly when `target` says the user named it; a block device never is.
// `access` applies to the file created; a descriptor, FIFO or device written
// through keeps its own. Any failure throws RuntimeError with the system's
// error number.
void ReplaceFileContents(const std::u16string& path, std::string_view bytes,
                         ReportTarget target = ReportTarget::NamedByUser, FileAccess access = FileAccess::Usual);

}  // namespace kestro

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The one way Kestro reads a whole file by its path on Windows: a snapshot.
namespace kestro {

struct WholeFileRules {
  // The file as failures name it: "cannot read <name>: <reason>".
  std::string name;
  // More than this is never read: `refuseTooLarge` is called instead, with
  // the file's size when it is a disk file (known before reading) and
  // nothing for a pipe or a device, which are counted as they are read. It
  // must throw.
  std::uint64_t maxBytes = UINT64_MAX;
  std::function<void(std::optional<std::uint64_t> size)> refuseTooLarge;
};

// ERROR_DIRECTORY_NOT_SUPPORTED, which mingw-w64's headers lack: the error
// for a path that names a directory.
inline constexpr std::uint32_t kDirectoryNotSupported = 336;

// The bytes of the file at `path`, whatever kind of file it is, read to its
// end. A directory is refused as one (kDirectoryNotSupported), where opening
// it would only say "Access denied"; that and any other failure throws
// RuntimeError with the Win32 error.
std::string ReadWholeFile(const std::wstring& path, const WholeFileRules& rules);

}  // namespace kestro

#include "base/win/whole_file.h"

#include <windows.h>

#include "base/win/scoped_handle.h"
#include "base/win/system_error.h"
#include "core/error.h"

namespace kestro {
namespace {

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The size of `file` when it is a disk file; pipes and devices have none
// before they are read.
std::optional<std::uint64_t> DiskFileSize(HANDLE file) {
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

std::string ReadWholeFile(const std::wstring& path, const WholeFileRules& rules) {
  const std::string failure = "cannot read " + rules.name;
  // Said in kestro-replay's words on Linux: Wine has no text for this error.
  if (IsDirectory(path)) throw RuntimeError(kDirectoryNotSupported, failure + ": Is a directory");
  const ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowLastError(failure);
  std::string content;
  if (const std::optional<std::uint64_t> size = DiskFileSize(file.get())) {
    if (*size > rules.maxBytes) rules.refuseTooLarge(size);
    content.reserve(static_cast<std::size_t>(*size));
  }
  char buffer[1 << 16];
  while (true) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      // The writer of a pipe closing is the pipe's end, not a failure.
      if (::GetLastError() == ERROR_BROKEN_PIPE) return content;
      ThrowLastError(failure);
    }
    if (got == 0) return content;
    if (content.size() + got > rules.maxBytes) rules.refuseTooLarge(std::nullopt);
    content.append(buffer, got);
  }
}

}  // namespace kestro

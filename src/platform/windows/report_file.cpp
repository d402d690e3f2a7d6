#include "platform/report_file.h"

#include <windows.h>

#include <climits>
#include <cstdio>

#include "core/error.h"
#include "core/text.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

[[noreturn]] void Fail(DWORD number, const std::string& what, const std::wstring& path) {
  const std::string shown = path.empty() ? std::string("(empty path)") : "'" + ToUtf8(FromWide(path)) + "'";
  const std::string message = SystemMessage(number);
  throw RuntimeError(static_cast<std::int64_t>(number), what + " " + shown + (message.empty() ? "" : ": " + message));
}

[[noreturn]] void FailWithLastError(const std::string& what, const std::wstring& path) {
  Fail(::GetLastError(), what, path);
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closes now; false (with the last error set) when closing failed.
  bool Close() {
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

// Deletes the temporary file unless the move took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::wstring path_;
};

// True when all of `bytes` went to `file`; WriteFile writes bytes as they
// are, so the CR LF pairs stay pairs.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The folder part of `path`, with its trailing separator ("" for a bare name).
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring NameOf(const std::wstring& path) { return path.substr(FolderOf(path).size()); }

// A new, empty file beside `path`, named after it, that no one else has.
FileHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[40];
    std::swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lx-%x.tmp", ::GetCurrentProcessId(), counter++);
    temporaryPath = FolderOf(path) + L"~" + NameOf(path) + suffix;
    FileHandle file(
        ::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return FileHandle(INVALID_HANDLE_VALUE);
}

void ReplaceAtomically(const std::wstring& path, std::string_view bytes) {
  std::wstring temporaryPath;
  FileHandle file = CreateTemporaryBeside(path, temporaryPath);
  if (!file.valid()) FailWithLastError("cannot create the report file", path);
  TemporaryFile temporary(temporaryPath);
  if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get()) || !file.Close()) {
    FailWithLastError("cannot write the report file", path);
  }
  if (!::MoveFileExW(temporary.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    FailWithLastError("cannot replace the report file", path);
  }
  temporary.Release();
}

}  // namespace

void ReplaceFileContents(const std::u16string& widePath, std::string_view bytes, ReportTarget /*target*/) {
  const std::wstring path = ToWide(widePath);
  if (path.empty()) Fail(ERROR_PATH_NOT_FOUND, "cannot create the report file", path);

  // Opening the existing target for writing (without changing it) refuses a
  // read-only or locked file as truncating it would have, and tells a disk
  // file, which is replaced, from a device such as CON or NUL, which is
  // written directly.
  FileHandle existing(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!existing.valid()) {
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) FailWithLastError("cannot create the report file", path);
    ReplaceAtomically(path, bytes);
    return;
  }
  if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
    if (!WriteAll(existing.get(), bytes) || !existing.Close()) FailWithLastError("cannot write the report file", path);
    return;
  }
  existing.Close();
  ReplaceAtomically(path, bytes);
}

}  // namespace kestro

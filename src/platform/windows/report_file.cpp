#include "platform/report_file.h"

#include <windows.h>

#include <climits>
#include <cstdio>

#include "base/win/scoped_handle.h"
#include "base/win/system_error.h"
#include "base/win/wide_text.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/windows/report_target.h"

namespace kestro {
namespace {

// Fails with `number`, `what` was done to `path` and `reason` (by default
// the system's text for `number`).
[[noreturn]] void Fail(DWORD number, const std::string& what, const std::wstring& path, const std::string& reason) {
  std::string text = what + (path.empty() ? " (empty path)" : " '" + ToUtf8(FromWide(path)) + "'");
  if (!reason.empty()) text.append(": ").append(reason);
  throw RuntimeError(static_cast<std::int64_t>(number), text);
}

[[noreturn]] void Fail(DWORD number, const std::string& what, const std::wstring& path) {
  Fail(number, what, path, SystemMessage(number));
}

[[noreturn]] void FailWithLastError(const std::string& what, const std::wstring& path) {
  Fail(::GetLastError(), what, path);
}

// The temporary file the report is written to: closed and then deleted,
// unless the move took it. (Deleting first would fail: the file is open
// without sharing, and a full disk would keep it.)
class TemporaryFile {
 public:
  TemporaryFile(ScopedHandle file, std::wstring path) : file_(std::move(file)), path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    file_.Close();
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  ScopedHandle& file() { return file_; }
  const std::wstring& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  ScopedHandle file_;
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

// A new, empty file beside `path` that no one else has. Its name is short and
// does not grow with the target's, so that every name the file system takes
// (up to 255 characters) and every path up to the longest one allowed can
// have its temporary file beside it.
TemporaryFile CreateTemporaryBeside(const std::wstring& path) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[40];
    std::swprintf(name, sizeof name / sizeof name[0], L"~kestro-%lx-%x.tmp", ::GetCurrentProcessId(), counter++);
    std::wstring temporaryPath = FolderOf(path) + name;
    ScopedHandle file(
        ::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return TemporaryFile(std::move(file), std::move(temporaryPath));
    if (::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  FailWithLastError("cannot create the report file", path);
}

void ReplaceAtomically(const std::wstring& path, std::string_view bytes) {
  TemporaryFile temporary = CreateTemporaryBeside(path);
  ScopedHandle& file = temporary.file();
  if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get()) || !file.Close()) {
    FailWithLastError("cannot write the report file", path);
  }
  if (!::MoveFileExW(temporary.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    FailWithLastError("cannot replace the report file", path);
  }
  temporary.Release();
}

}  // namespace

// `access` changes nothing here: the new file takes the access rules its
// folder hands down, as every file made there does.
void ReplaceFileContents(const std::u16string& widePath, std::string_view bytes, ReportTarget /*target*/,
                         FileAccess /*access*/) {
  const std::wstring path = ToWide(widePath);
  if (path.empty()) Fail(ERROR_PATH_NOT_FOUND, "cannot create the report file", path);
  // Decided before anything is opened: opening a disk for writing is already
  // too much.
  if (const TargetRefusal refusal = RefusalOfTarget(widePath); refusal != TargetRefusal::None) {
    const DWORD number = refusal == TargetRefusal::Device ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME;
    Fail(number, "cannot create the report file", path, RefusalText(refusal));
  }

  // Opening the existing target for writing (without changing it) refuses a
  // read-only or locked file as truncating it would have, and tells a disk
  // file, which is replaced, from a device such as CON or NUL, which is
  // written directly. A symbolic link or junction there is opened itself,
  // never what it points to (which may be a disk), and is replaced.
  ScopedHandle existing(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
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

#include "platform/report_file.h"

#include <windows.h>

#include <cstdio>
#include <optional>

#include "base/win/scoped_handle.h"
#include "base/win/system_error.h"
#include "base/win/wide_text.h"
#include "core/error.h"
#include "core/file_writing.h"
#include "core/text.h"
#include "platform/windows/owner_only_access.h"
#include "platform/windows/report_target.h"

namespace kestro {
namespace {

constexpr char kCannotCreate[] = "cannot create the report file";
constexpr char kCannotWrite[] = "cannot write the report file";
constexpr char kCannotReplace[] = "cannot replace the report file";

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

// What a hidden or system report stays when it is replaced. They say how
// the file is shown and treated, not who may read it, so they go with the
// file whatever access the new one gets.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The target path and the files the writer makes for it, on Windows. What
// stands there is judged first on the path alone, so that a disk is refused
// before anything is opened and a DOS device, which stands in every folder,
// is written where it stands, never renamed over; only a path in a file
// system is looked at on the disk.
class WindowsTargetFiles final : public TargetFiles {
 public:
  explicit WindowsTargetFiles(std::wstring path) : path_(std::move(path)) {}
  ~WindowsTargetFiles() override { RemoveTemporary(); }

  FoundAtTarget Inspect() override {
    if (path_.empty()) Fail(ERROR_PATH_NOT_FOUND, kCannotCreate, path_);
    kind_ = KindOfTarget(FromWide(path_));
    switch (kind_) {
      case PathKind::DiskOrVolume:
        return FoundAtTarget::BlockDeviceOrDisk;
      case PathKind::Mailslot:
      case PathKind::StreamName:
        return FoundAtTarget::NoFileName;
      case PathKind::DosDevice:
        return FoundAtTarget::DosDevice;
      case PathKind::NamedPipe:
        return FoundAtTarget::FifoOrCharacterDevice;
      case PathKind::File:
        break;
    }
    return InspectFile();
  }

  [[noreturn]] void Refuse(FoundAtTarget found) override {
    switch (found) {
      case FoundAtTarget::UnwritableFile:
        Fail(ERROR_ACCESS_DENIED, kCannotReplace, path_, "the file is read-only");
      case FoundAtTarget::Directory:
        Fail(ERROR_ACCESS_DENIED, kCannotCreate, path_, "the path names a folder");
      default:
        break;
    }
    const DWORD number = kind_ == PathKind::StreamName ? ERROR_INVALID_NAME : ERROR_ACCESS_DENIED;
    const std::string reason = RefusalText(kind_);
    Fail(number, kCannotCreate, path_, reason.empty() ? SystemMessage(number) : reason);
  }

  // Into a device or pipe as it is: opened, never created or truncated.
  void WriteThrough(std::string_view bytes) override {
    ScopedHandle target(::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.valid()) FailWithLastError(kCannotCreate, path_);
    if (!WriteAll(target.get(), bytes) || !target.Close()) FailWithLastError(kCannotWrite, path_);
  }

  // A new file beside the target that no one else has. Its name is short and
  // does not grow with the target's, so that every name the file system
  // takes (up to 255 characters) and every path up to the longest one
  // allowed can have its temporary file beside it. It is open without
  // sharing until it is flushed and closed.
  void CreateTemporary(NewFileAccess access) override {
    std::optional<OwnerOnlyAccess> ownerOnly;
    if (access == NewFileAccess::OwnerOnly) MakeOwnerOnlyAccess(ownerOnly);
    SECURITY_ATTRIBUTES* security = ownerOnly ? ownerOnly->attributes() : nullptr;
    const DWORD attributes = access == NewFileAccess::Fresh ? 0 : replacedAttributes_;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      wchar_t name[40];
      std::swprintf(name, sizeof name / sizeof name[0], L"~kestro-%lx-%x.tmp", ::GetCurrentProcessId(), counter++);
      std::wstring temporaryPath = FolderOf(path_) + name;
      temporary_ = ScopedHandle(::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW,
                                              attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes, nullptr));
      if (temporary_.valid()) {
        temporaryPath_ = std::move(temporaryPath);
        return;
      }
      if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    FailWithLastError(kCannotCreate, path_);
  }

  void WriteTemporary(std::string_view bytes) override {
    if (!WriteAll(temporary_.get(), bytes)) FailWithLastError(kCannotWrite, path_);
  }

  // The access was given at creation; what is left is the disk.
  void FlushTemporary() override {
    if (!::FlushFileBuffers(temporary_.get()) || !temporary_.Close()) FailWithLastError(kCannotWrite, path_);
  }

  void RenameOver() override {
    if (!::MoveFileExW(temporaryPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      FailWithLastError(kCannotReplace, path_);
    }
    temporaryPath_.clear();
  }

  // Closed first and then deleted: the file is open without sharing, and
  // deleting it first would fail.
  void RemoveTemporary() noexcept override {
    temporary_.Close();
    if (!temporaryPath_.empty()) ::DeleteFileW(temporaryPath_.c_str());
    temporaryPath_.clear();
  }

 private:
  // What stands at a path in a file system, from its attributes (which do
  // not follow a link), and for a file also from opening it for writing
  // without changing it, which finds a file someone holds locked before
  // anything is made, and a handle that is no file on a disk.
  FoundAtTarget InspectFile() {
    const DWORD attributes = ::GetFileAttributesW(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (::GetLastError() == ERROR_FILE_NOT_FOUND) return FoundAtTarget::Nothing;
      FailWithLastError(kCannotCreate, path_);
    }
    // MoveFileEx would not put a file in a folder's place, a junction's
    // either.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FoundAtTarget::Directory;
    // Checked here, not left to opening: an administrator's open for
    // writing does not fail on every system.
    if (attributes & FILE_ATTRIBUTE_READONLY) return FoundAtTarget::UnwritableFile;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FoundAtTarget::Link;
    ScopedHandle existing(::CreateFileW(path_.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!existing.valid()) FailWithLastError(kCannotCreate, path_);
    if (::GetFileType(existing.get()) != FILE_TYPE_DISK) return FoundAtTarget::FifoOrCharacterDevice;
    replacedAttributes_ = attributes & kKeptAttributes;
    return FoundAtTarget::RegularFile;
  }

  void MakeOwnerOnlyAccess(std::optional<OwnerOnlyAccess>& access) const {
    try {
      access.emplace();
    } catch (const RuntimeError& error) {
      Fail(static_cast<DWORD>(error.number()), kCannotCreate, path_, error.text());
    }
  }

  std::wstring path_;
  PathKind kind_ = PathKind::File;
  DWORD replacedAttributes_ = 0;  // kKeptAttributes of the file to be replaced
  ScopedHandle temporary_;
  std::wstring temporaryPath_;  // empty once renamed over the target or deleted
};

}  // namespace

void ReplaceFileContents(const std::u16string& path, std::string_view bytes, NamedBy namedBy, FileAccess access) {
  WindowsTargetFiles files(ToWide(path));
  WriteAsDecided(files, bytes, namedBy, access);
}

}  // namespace kestro

#include "platform/report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "core/text.h"

namespace kestro {
namespace {

[[noreturn]] void Fail(int number, const std::string& what, const std::string& path) {
  throw RuntimeError(number, what + " " + (path.empty() ? std::string("(empty path)") : "'" + path + "'") + ": " +
                                 std::strerror(number));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now; the result is the errno of a failed close, 0 on success.
  int Close() {
    const int result = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Removes the temporary file unless the rename took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

// 0 when all of `bytes` went to `fd`, else the errno.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void WriteInPlace(const std::string& path, std::string_view bytes) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) Fail(errno, "cannot open the report file", path);
  if (const int error = WriteAll(file.get(), bytes)) Fail(error, "cannot write the report file", path);
  if (const int error = file.Close()) Fail(error, "cannot write the report file", path);
}

void ReplaceAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = directory + "." + name + ".XXXXXX";
  FileDescriptor file(::mkstemp(pattern.data()));
  if (file.get() < 0) Fail(errno, "cannot create the report file", path);
  TemporaryFile temporary(pattern);
  if (::fchmod(file.get(), mode) != 0) Fail(errno, "cannot create the report file", path);
  if (const int error = WriteAll(file.get(), bytes)) Fail(error, "cannot write the report file", path);
  if (const int error = file.Close()) Fail(error, "cannot write the report file", path);
  if (::rename(temporary.path().c_str(), path.c_str()) != 0) Fail(errno, "cannot replace the report file", path);
  temporary.Release();
}

}  // namespace

void ReplaceFileContents(const std::u16string& widePath, std::string_view bytes) {
  const std::string path = ToUtf8(widePath);
  if (path.empty()) Fail(ENOENT, "cannot create the report file", path);
  if (path.back() == '/') Fail(EISDIR, "cannot create the report file", path);

  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) {
    if (errno != ENOENT) Fail(errno, "cannot create the report file", path);
    ReplaceAtomically(path, bytes, NewFileMode());
    return;
  }
  if (S_ISDIR(link.st_mode)) Fail(EISDIR, "cannot create the report file", path);
  if (S_ISREG(link.st_mode)) {
    // The rename would get past a file the user may not write; refuse as
    // truncating it would have.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) Fail(errno, "cannot write the report file", path);
    ReplaceAtomically(path, bytes, link.st_mode & 07777);
    return;
  }
  // A link to a device or a FIFO (/dev/stdout is one) is written through; a
  // link to a file, to a directory or to nothing is replaced by the report.
  struct stat target {};
  const bool linked = S_ISLNK(link.st_mode);
  const bool special = linked ? ::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode) &&
                                    !S_ISDIR(target.st_mode)
                              : true;
  if (special) {
    WriteInPlace(path, bytes);
  } else {
    ReplaceAtomically(path, bytes, NewFileMode());
  }
}

}  // namespace kestro

#include "platform/report_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include "base/posix/read_link.h"
#include "base/posix/unique_fd.h"
#include "core/error.h"
#include "core/text.h"

namespace kestro {
namespace {

constexpr const char* kCannotCreate = "cannot create the report file";
constexpr const char* kCannotWrite = "cannot write the report file";

[[noreturn]] void Fail(int number, const std::string& what, const std::string& path) {
  throw RuntimeError(number, what + " " + (path.empty() ? std::string("(empty path)") : "'" + path + "'") + ": " +
                                 std::strerror(number));
}

// The directory part of a path ("." when it has none) and its last component.
struct PlacedName {
  std::string directory;
  std::string name;
};

PlacedName SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

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

// 0 when the data of `fd` reached the disk or cannot be flushed at all (a
// pipe, a terminal, a file system without flushes), else the errno.
int Flush(int fd) {
  if (::fsync(fd) == 0) return 0;
  const int error = errno;
  return error == EINVAL || error == EOPNOTSUPP || error == ENOTSUP ? 0 : error;
}

void WriteAndFlush(int fd, std::string_view bytes, const std::string& path) {
  if (const int error = WriteAll(fd, bytes)) Fail(error, kCannotWrite, path);
  if (const int error = Flush(fd)) Fail(error, kCannotWrite, path);
}

[[noreturn]] void RefuseBlockDevice(const std::string& path) {
  Fail(EPERM, "refusing to write the report onto a block device", path);
}

// The process's own descriptors as the kernel lists them (/proc/self/fd),
// held open so that every path can be compared with it by identity and an
// unnamed file can be given a name through it. Invalid where /proc is not
// mounted.
class OwnDescriptors {
 public:
  OwnDescriptors() : directory_(::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC)) {
    if (directory_.get() >= 0 && ::fstat(directory_.get(), &identity_) != 0) directory_ = UniqueFd(-1);
  }
  bool Available() const { return directory_.get() >= 0; }
  int directory() const { return directory_.get(); }

  // The descriptor that `path` names through any chain of links ending in
  // an entry of /proc/self/fd (/dev/stdout, /dev/fd/N, /proc/<pid>/fd/N).
  std::optional<int> NamedBy(std::string path) const {
    if (!Available()) return std::nullopt;
    for (int link = 0; link < 40; ++link) {  // the kernel's own limit on links
      const PlacedName place = SplitPath(path);
      const UniqueFd directory(::open(place.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      struct stat found {};
      if (directory.get() < 0 || ::fstat(directory.get(), &found) != 0) return std::nullopt;
      if (SameFile(found, identity_)) return DescriptorNumber(place.name);
      const std::optional<std::string> next = ReadLinkAt(directory.get(), place.name.c_str());
      if (!next || next->empty()) return std::nullopt;
      path = next->front() == '/' ? *next : place.directory + "/" + *next;
    }
    return std::nullopt;
  }

 private:
  static std::optional<int> DescriptorNumber(const std::string& name) {
    int number = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size() || number < 0) return std::nullopt;
    return number;
  }

  UniqueFd directory_;
  struct stat identity_ {};
};

// The report goes into a descriptor the process already holds, where its
// opener put it: appended to a file opened for appending, into a pipe or a
// terminal. Nothing is created or renamed.
void WriteIntoDescriptor(int fd, std::string_view bytes, const std::string& path) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) Fail(errno, kCannotWrite, path);
  if (S_ISBLK(status.st_mode)) RefuseBlockDevice(path);
  WriteAndFlush(fd, bytes, path);
}

// A FIFO or character device the user named. Opened without O_NONBLOCK: a
// FIFO waits for its reader as it would for the shell's ">". The opened file
// must be the one examined, so that nothing swapped in meanwhile is written.
void WriteThrough(const std::string& path, const struct stat& examined, std::string_view bytes) {
  UniqueFd file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) Fail(errno, "cannot open the report file", path);
  struct stat opened {};
  if (::fstat(file.get(), &opened) != 0) Fail(errno, "cannot open the report file", path);
  if (!SameFile(opened, examined)) Fail(EAGAIN, "the report file changed while it was opened", path);
  WriteAndFlush(file.get(), bytes, path);
  if (const int error = file.Close()) Fail(error, kCannotWrite, path);
}

// --- Replacing the file: what a fatal signal must remove ---------------------

// The named temporary file while it exists. A handler may read these only;
// the name is complete before `armed` is set.
volatile std::sig_atomic_t armed = 0;
int armedDirectory = -1;
char armedName[16];

extern "C" void RemoveTemporaryFileAndDie(int signal) {
  if (armed) ::unlinkat(armedDirectory, armedName, 0);
  // The handler was reset to the default on entry; the signal stays blocked
  // until the handler returns and then ends the process as it would have.
  ::raise(signal);
}

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Runs the removal above on INT, TERM and HUP while it lives, except for a
// signal the process ignores (nohup). Restores the previous actions.
class FatalSignalCleanup {
 public:
  FatalSignalCleanup() {
    struct sigaction cleanup {};
    cleanup.sa_handler = RemoveTemporaryFileAndDie;
    cleanup.sa_flags = SA_RESETHAND;
    sigemptyset(&held_);
    for (const int signal : kFatalSignals) sigaddset(&held_, signal);
    cleanup.sa_mask = held_;
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
      ::sigaction(kFatalSignals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN) ::sigaction(kFatalSignals[i], &cleanup, nullptr);
    }
  }
  FatalSignalCleanup(const FatalSignalCleanup&) = delete;
  FatalSignalCleanup& operator=(const FatalSignalCleanup&) = delete;
  ~FatalSignalCleanup() {
    Disarm();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) ::sigaction(kFatalSignals[i], &previous_[i], nullptr);
  }

  // Runs `makeName` (which gives 0 once `name` exists in `directory`, else
  // an errno) with the signals held, so that a name is never made without
  // being armed for removal.
  template <typename MakeName>
  int ArmWhile(int directory, const std::string& name, MakeName makeName) {
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &held_, &before);
    const int error = makeName();
    if (error == 0) {
      armedDirectory = directory;
      std::memcpy(armedName, name.c_str(), name.size() + 1);
      std::atomic_signal_fence(std::memory_order_seq_cst);
      armed = 1;
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return error;
  }
  // Forgets the name, with the signals held so that the handler cannot
  // remove a name that is no longer the temporary file's.
  template <typename Rename>
  int DisarmAfter(Rename rename) {
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &held_, &before);
    const int error = rename();
    if (error == 0) armed = 0;
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return error;
  }
  // The temporary file's name while it is armed.
  const char* name() const { return armedName; }
  // Removes the named temporary file, if there is one.
  void Disarm() {
    if (armed) ::unlinkat(armedDirectory, armedName, 0);
    armed = 0;
  }

 private:
  sigset_t held_{};
  struct sigaction previous_[std::size(kFatalSignals)]{};
};

// A short name in the target's directory, so that every target name the file
// system accepts leaves room for it: ".kestro-" and six random characters.
std::string TemporaryName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[6] = {};
  if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    const auto seed = static_cast<unsigned long>(std::clock()) ^ static_cast<unsigned long>(::getpid()) << 20;
    for (std::size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(seed >> (5 * i));
  }
  std::string name = ".kestro-";
  for (const unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

constexpr int kNameAttempts = 100;

// Gives `file` a fresh temporary name in `directory` through `link`, trying
// again while a name is taken.
template <typename Link>
void NameTemporaryFile(FatalSignalCleanup& cleanup, int directory, Link link, const std::string& path) {
  int error = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
    const std::string name = TemporaryName();
    error = cleanup.ArmWhile(directory, name, [&] { return link(name.c_str()); });
  }
  if (error != 0) Fail(error, kCannotCreate, path);
}

bool TemporaryFilesUnsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// The new file: unnamed (O_TMPFILE) where the file system and /proc allow,
// so that nothing is left even after SIGKILL; else a named temporary file.
struct NewFile {
  UniqueFd file;
  bool unnamed;
};

NewFile CreateNewFile(FatalSignalCleanup& cleanup, int directory, const OwnDescriptors& own, mode_t mode,
                      const std::string& path) {
  if (own.Available()) {
    UniqueFd unnamed(::openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (unnamed.get() >= 0) return {std::move(unnamed), true};
    if (!TemporaryFilesUnsupported(errno)) Fail(errno, kCannotCreate, path);
  }
  int fd = -1;
  NameTemporaryFile(
      cleanup, directory,
      [&](const char* name) {
        fd = ::openat(directory, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        return fd >= 0 ? 0 : errno;
      },
      path);
  return {UniqueFd(fd), false};
}

// A read descriptor is needed to flush the directory; a directory the user
// may write but not read still takes the report, unflushed.
UniqueFd OpenDirectory(const std::string& directory, const std::string& path) {
  UniqueFd opened(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (opened.get() < 0 && errno == EACCES)
    opened = UniqueFd(::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (opened.get() < 0) Fail(errno, kCannotCreate, path);
  return opened;
}

// Writes a new file beside `path` and renames it over `path`. The data is
// flushed before the rename and the directory after it, so that a power loss
// leaves the old report or the new one. `keptMode` is the replaced file's
// mode; without it the new file gets 0666 less the umask. A file for its
// owner only is 0600 either way, and is created so: a named temporary file
// is open to others' open() from its creation on.
void ReplaceAtomically(const std::string& path, std::string_view bytes, std::optional<mode_t> keptMode,
                       FileAccess access, const OwnDescriptors& own) {
  constexpr mode_t kOwnerOnly = 0600;
  if (access == FileAccess::OwnerOnly) keptMode = kOwnerOnly;
  const PlacedName place = SplitPath(path);
  const UniqueFd directory = OpenDirectory(place.directory, path);
  FatalSignalCleanup cleanup;
  NewFile created =
      CreateNewFile(cleanup, directory.get(), own, access == FileAccess::OwnerOnly ? kOwnerOnly : 0666, path);
  const int fd = created.file.get();
  if (keptMode && ::fchmod(fd, *keptMode) != 0) Fail(errno, kCannotCreate, path);
  WriteAndFlush(fd, bytes, path);
  if (created.unnamed) {
    // linkat(AT_EMPTY_PATH) would need privileges; the /proc entry does not.
    const std::string self = std::to_string(fd);
    NameTemporaryFile(
        cleanup, directory.get(),
        [&](const char* name) {
          return ::linkat(own.directory(), self.c_str(), directory.get(), name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        },
        path);
  }
  if (const int error = created.file.Close()) Fail(error, kCannotWrite, path);
  const int error = cleanup.DisarmAfter([&] {
    return ::renameat(directory.get(), cleanup.name(), directory.get(), place.name.c_str()) == 0 ? 0 : errno;
  });
  if (error != 0) Fail(error, "cannot replace the report file", path);
  // The report is in place: a directory that cannot be flushed changes nothing.
  ::fsync(directory.get());
}

}  // namespace

void ReplaceFileContents(const std::u16string& widePath, std::string_view bytes, ReportTarget target,
                         FileAccess access) {
  const std::string path = ToUtf8(widePath);
  if (path.empty()) Fail(ENOENT, kCannotCreate, path);
  if (path.back() == '/') Fail(EISDIR, kCannotCreate, path);

  const OwnDescriptors own;
  // Decided on what was found, not on the name: O_PATH neither follows a link
  // nor opens a device or FIFO (which could block, or act on the open).
  const UniqueFd found(::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (found.get() < 0) {
    if (errno != ENOENT) Fail(errno, kCannotCreate, path);
    ReplaceAtomically(path, bytes, std::nullopt, access, own);
    return;
  }
  struct stat status {};
  if (::fstat(found.get(), &status) != 0) Fail(errno, kCannotCreate, path);
  const bool named = target == ReportTarget::NamedByUser;
  switch (status.st_mode & S_IFMT) {
    case S_IFDIR:
      Fail(EISDIR, kCannotCreate, path);
    case S_IFREG:
      // The rename would get past a file the user may not write; refuse as
      // truncating it would have.
      if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) Fail(errno, kCannotWrite, path);
      ReplaceAtomically(path, bytes, status.st_mode & 0777, access, own);
      return;
    case S_IFLNK:
      if (const std::optional<int> descriptor = own.NamedBy(path)) return WriteIntoDescriptor(*descriptor, bytes, path);
      break;
    case S_IFBLK:
      if (named) RefuseBlockDevice(path);
      break;
    case S_IFCHR:
    case S_IFIFO:
      if (named) return WriteThrough(path, status, bytes);
      break;
    case S_IFSOCK:
      // What opening it would say.
      Fail(ENXIO, "cannot open the report file", path);
  }
  // A link, or a device or FIFO someone may have planted under the default
  // name: replaced by the report, never written through.
  ReplaceAtomically(path, bytes, std::nullopt, access, own);
}

}  // namespace kestro

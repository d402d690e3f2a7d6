// The Linux side of writing a file: what stands at the target, seen without
// following it, and the few operations the decision (core/file_writing.h)
// needs. A replaced file is written to an unnamed temporary file
// (O_TMPFILE) wherever the file system has them, so that nothing is left
// behind even after SIGKILL; it gets its name only when complete.
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

#include "base/linux/read_link.h"
#include "base/linux/system_error.h"
#include "base/linux/unique_fd.h"
#include "core/text.h"

namespace kestro {
namespace {

constexpr const char* kCannotCreate = "cannot create the report file";
constexpr const char* kCannotWrite = "cannot write the report file";
constexpr const char* kCannotOpen = "cannot open the report file";

[[noreturn]] void Fail(int number, const std::string& what, const std::string& path) {
  throw SystemError(number, what + " " + (path.empty() ? std::string("(empty path)") : "'" + path + "'"));
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

// --- Which descriptor a path names -------------------------------------------

std::optional<int> DescriptorNumber(std::string_view name) {
  int number = -1;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (error != std::errc() || end != name.data() + name.size() || number < 0) return std::nullopt;
  return number;
}

// `path` with runs of slashes and "." steps taken out; ".." stays, as what
// it climbs from may be a link.
std::string WithoutEmptySteps(std::string_view path) {
  std::string tidy;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view step = path.substr(start, end - start);
    if (!step.empty() && step != ".") tidy.append(tidy.empty() && path.front() != '/' ? "" : "/").append(step);
    start = end + 1;
  }
  return tidy.empty() && !path.empty() && path.front() == '/' ? "/" : tidy;
}

// The descriptor that `path` names by its text alone, as the kernel would
// read it with /proc mounted: /proc/self/fd/N, /proc/thread-self/fd/N or
// /dev/fd/N. Known without /proc, which containers and chroots often lack.
std::optional<int> DescriptorInText(std::string_view path) {
  const std::string tidy = WithoutEmptySteps(path);
  for (const std::string_view folder : {"/proc/self/fd/", "/proc/thread-self/fd/", "/dev/fd/"}) {
    if (tidy.starts_with(folder)) return DescriptorNumber(std::string_view(tidy).substr(folder.size()));
  }
  return std::nullopt;
}

// The process's own descriptors as the kernel lists them (/proc/self/fd),
// held open so that a path can be compared with it by identity, and an
// unnamed file given a name through it. Invalid where /proc is not mounted.
class OwnDescriptors {
 public:
  OwnDescriptors() : directory_(::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC)) {
    if (directory_.valid() && ::fstat(directory_.get(), &identity_) != 0) directory_ = UniqueFd(-1);
  }
  bool Available() const { return directory_.valid(); }
  int directory() const { return directory_.get(); }

  // The descriptor that `path` names through any chain of links, each
  // followed by its text (/dev/stdout → /proc/self/fd/1) and, where /proc
  // is mounted, compared with /proc/self/fd by identity (/proc/<pid>/fd/N).
  std::optional<int> NamedBy(std::string path) const {
    for (int link = 0; link < 40; ++link) {  // the kernel's own limit on links
      if (const std::optional<int> number = DescriptorInText(path)) return number;
      const PlacedName place = SplitPath(path);
      const UniqueFd directory(::open(place.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      struct stat found {};
      if (!directory.valid() || ::fstat(directory.get(), &found) != 0) return std::nullopt;
      if (Available() && SameFile(found, identity_)) return DescriptorNumber(place.name);
      const std::optional<std::string> next = ReadLinkAt(directory.get(), place.name.c_str());
      if (!next || next->empty()) return std::nullopt;
      path = next->front() == '/' ? *next : place.directory + "/" + *next;
    }
    return std::nullopt;
  }

 private:
  UniqueFd directory_;
  struct stat identity_ {};
};

// --- Fatal signals while a temporary file has a name -------------------------

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t FatalSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kFatalSignals) sigaddset(&set, signal);
  return set;
}

// Holds INT, TERM and HUP back while it lives; one that arrived meanwhile
// ends the process when it goes.
class HeldFatalSignals {
 public:
  HeldFatalSignals() {
    const sigset_t held = FatalSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  HeldFatalSignals(const HeldFatalSignals&) = delete;
  HeldFatalSignals& operator=(const HeldFatalSignals&) = delete;
  ~HeldFatalSignals() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

  // Whether one is waiting that the process does not ignore (nohup).
  static bool OnePending() {
    sigset_t pending;
    if (::sigpending(&pending) != 0) return false;
    for (const int signal : kFatalSignals) {
      struct sigaction action {};
      if (sigismember(&pending, signal) == 1 && ::sigaction(signal, nullptr, &action) == 0 &&
          action.sa_handler != SIG_IGN) {
        return true;
      }
    }
    return false;
  }

 private:
  sigset_t before_{};
};

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

// A named temporary file can outlive the process: while it lives, this
// removes it on INT, TERM and HUP (except for a signal the process ignores,
// nohup) before the signal ends the process. Restores the previous actions.
class FatalSignalCleanup {
 public:
  FatalSignalCleanup() {
    struct sigaction cleanup {};
    cleanup.sa_handler = RemoveTemporaryFileAndDie;
    cleanup.sa_flags = SA_RESETHAND;
    cleanup.sa_mask = FatalSignalSet();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
      ::sigaction(kFatalSignals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN) ::sigaction(kFatalSignals[i], &cleanup, nullptr);
    }
  }
  FatalSignalCleanup(const FatalSignalCleanup&) = delete;
  FatalSignalCleanup& operator=(const FatalSignalCleanup&) = delete;
  ~FatalSignalCleanup() {
    RemoveArmed();
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) ::sigaction(kFatalSignals[i], &previous_[i], nullptr);
  }

  // Runs `makeName` (which gives 0 once `name` exists in `directory`, else
  // an errno) with the signals held, so that a name is never made without
  // being armed for removal.
  template <typename MakeName>
  static int ArmWhile(int directory, const std::string& name, MakeName makeName) {
    const HeldFatalSignals held;
    const int error = makeName();
    if (error == 0) {
      armedDirectory = directory;
      std::memcpy(armedName, name.c_str(), name.size() + 1);
      std::atomic_signal_fence(std::memory_order_seq_cst);
      armed = 1;
    }
    return error;
  }
  // Forgets the name once `rename` took it, with the signals held so that
  // the handler cannot remove a name that is no longer the temporary file's.
  template <typename Rename>
  static int DisarmAfter(Rename rename) {
    const HeldFatalSignals held;
    const int error = rename();
    if (error == 0) armed = 0;
    return error;
  }
  static void RemoveArmed() {
    if (armed) ::unlinkat(armedDirectory, armedName, 0);
    armed = 0;
  }

 private:
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

// Makes a fresh temporary name in a directory through `makeName` (0 once
// the name exists, else an errno), trying again while a name is taken. The
// name made, or the errno of the last try.
template <typename MakeName>
std::pair<std::string, int> MakeTemporaryName(MakeName makeName) {
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    std::string name = TemporaryName();
    error = makeName(name);
    if (error == 0) return {std::move(name), 0};
  }
  return {{}, error};
}

bool TemporaryFilesUnsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// A read descriptor is needed to flush the directory; a directory the user
// may write but not read still takes the report, unflushed.
UniqueFd OpenDirectory(const std::string& directory, const std::string& path) {
  UniqueFd opened(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!opened.valid() && errno == EACCES) opened = UniqueFd(::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!opened.valid()) Fail(errno, kCannotCreate, path);
  return opened;
}

constexpr mode_t kOwnerOnly = 0600;

// What a new file gets: 0666 less the umask.
mode_t FreshFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// --- The target's files --------------------------------------------------------

class LinuxTargetFiles final : public TargetFiles {
 public:
  explicit LinuxTargetFiles(std::string path) : path_(std::move(path)), place_(SplitPath(path_)) {}
  LinuxTargetFiles(const LinuxTargetFiles&) = delete;
  LinuxTargetFiles& operator=(const LinuxTargetFiles&) = delete;
  ~LinuxTargetFiles() override { RemoveTemporary(); }

  // Decided on what was found, not on the name: O_PATH neither follows a
  // link nor opens a device or FIFO (which could block, or act on the open).
  FoundAtTarget Inspect() override {
    if (path_.empty()) Fail(ENOENT, kCannotCreate, path_);
    if (path_.back() == '/') return FoundAtTarget::Directory;
    if (const std::optional<int> descriptor = DescriptorInText(path_)) return OwnDescriptor(*descriptor);
    const UniqueFd found(::open(path_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!found.valid()) {
      if (errno != ENOENT) Fail(errno, kCannotCreate, path_);
      return FoundAtTarget::Nothing;
    }
    if (::fstat(found.get(), &found_) != 0) Fail(errno, kCannotCreate, path_);
    switch (found_.st_mode & S_IFMT) {
      case S_IFREG:
        // The rename would get past a file the user may not write; it is
        // refused, as truncating it would have been.
        if (::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) == 0) return FoundAtTarget::RegularFile;
        unwritable_ = errno;
        return FoundAtTarget::UnwritableFile;
      case S_IFLNK:
        if (const std::optional<int> descriptor = own_.NamedBy(path_)) return OwnDescriptor(*descriptor);
        return FoundAtTarget::Link;
      case S_IFDIR:
        return FoundAtTarget::Directory;
      case S_IFBLK:
        return FoundAtTarget::BlockDeviceOrDisk;
      case S_IFCHR:
      case S_IFIFO:
        return FoundAtTarget::FifoOrCharacterDevice;
      default:
        return FoundAtTarget::Socket;
    }
  }

  void Refuse(FoundAtTarget found) override {
    switch (found) {
      case FoundAtTarget::UnwritableFile:
        Fail(unwritable_, kCannotWrite, path_);
      case FoundAtTarget::BlockDeviceOrDisk:
        RefuseBlockDevice(path_);
      case FoundAtTarget::Socket:
        Fail(ENXIO, kCannotOpen, path_);  // what opening it would say
      case FoundAtTarget::Directory:
        Fail(EISDIR, kCannotCreate, path_);
      default:
        Fail(EINVAL, kCannotCreate, path_);
    }
  }

  void WriteThrough(std::string_view bytes) override {
    if (descriptor_) return WriteIntoDescriptor(*descriptor_, bytes);
    WriteIntoFound(bytes);
  }

  void CreateTemporary(NewFileAccess access) override {
    directory_ = OpenDirectory(place_.directory, path_);
    access_ = access;
    // Nobody can open an unnamed file, so it is made with the mode it keeps
    // (0666 less the umask, or what the directory's default ACL gives).
    temporary_ = UniqueFd(::openat(directory_.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                   access == NewFileAccess::OwnerOnly ? kOwnerOnly : 0666));
    if (temporary_.valid()) return;
    if (!TemporaryFilesUnsupported(errno)) Fail(errno, kCannotCreate, path_);
    CreateNamedTemporary();
  }

  void WriteTemporary(std::string_view bytes) override {
    bytes_ = bytes;
    if (const int error = WriteAll(temporary_.get(), bytes)) Fail(error, kCannotWrite, path_);
  }

  // The final mode is given only now: a named temporary file is its
  // owner's alone until it is complete.
  void FlushTemporary() override {
    if (const std::optional<mode_t> mode = FinalMode(); mode && ::fchmod(temporary_.get(), *mode) != 0) {
      Fail(errno, kCannotCreate, path_);
    }
    if (const int error = Flush(temporary_.get())) Fail(error, kCannotWrite, path_);
  }

  void RenameOver() override {
    if (cleanup_) {
      RenameNamedTemporary();
    } else if (!NameAndRenameUnnamedTemporary()) {
      RewriteAsNamedTemporary();
    }
    // The report is in place: a directory that cannot be flushed changes nothing.
    ::fsync(directory_.get());
  }

  void RemoveTemporary() noexcept override {
    temporary_ = UniqueFd();
    if (!unnamedName_.empty()) ::unlinkat(directory_.get(), unnamedName_.c_str(), 0);
    unnamedName_.clear();
    cleanup_.reset();  // removes the named temporary file
  }

 private:
  FoundAtTarget OwnDescriptor(int descriptor) {
    descriptor_ = descriptor;
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISBLK(status.st_mode) ? FoundAtTarget::BlockDeviceOrDisk
                                                                         : FoundAtTarget::OwnDescriptorLink;
  }

  // Into a descriptor the process already holds, where its opener put it:
  // appended to a file opened for appending, into a pipe or a terminal.
  void WriteIntoDescriptor(int fd, std::string_view bytes) const {
    struct stat status {};
    if (::fstat(fd, &status) != 0) Fail(errno, kCannotWrite, path_);
    if (S_ISBLK(status.st_mode)) RefuseBlockDevice(path_);
    WriteAndFlush(fd, bytes, path_);
  }

  // A FIFO or character device the user named. Opened without O_NONBLOCK: a
  // FIFO waits for its reader as it would for the shell's ">". The opened
  // file must be the one examined, so that nothing swapped in meanwhile is
  // written.
  void WriteIntoFound(std::string_view bytes) const {
    UniqueFd file(::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) Fail(errno, kCannotOpen, path_);
    struct stat opened {};
    if (::fstat(file.get(), &opened) != 0) Fail(errno, kCannotOpen, path_);
    if (!SameFile(opened, found_)) Fail(EAGAIN, "the report file changed while it was opened", path_);
    WriteAndFlush(file.get(), bytes, path_);
    if (const int error = file.Close()) Fail(error, kCannotWrite, path_);
  }

  std::optional<mode_t> FinalMode() const {
    switch (access_) {
      case NewFileAccess::OwnerOnly:
        return kOwnerOnly;  // whatever the umask took away
      case NewFileAccess::KeptFromReplaced:
        return found_.st_mode & 0777;
      case NewFileAccess::Fresh:
        break;
    }
    return cleanup_ ? std::optional<mode_t>(FreshFileMode()) : std::nullopt;
  }

  // Where the file system has no unnamed files (FUSE, some network file
  // systems), or one cannot be named: a named one, which anyone watching
  // the directory could open, so it is made for its owner only.
  void CreateNamedTemporary() {
    cleanup_.emplace();
    const int directory = directory_.get();
    int fd = -1;
    const int error = MakeTemporaryName([&](const std::string& name) {
      return FatalSignalCleanup::ArmWhile(directory, name, [&] {
        fd = ::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kOwnerOnly);
        return fd >= 0 ? 0 : errno;
      });
    }).second;
    if (error != 0) Fail(error, kCannotCreate, path_);
    temporary_ = UniqueFd(fd);
  }

  void RenameNamedTemporary() {
    if (const int error = temporary_.Close()) Fail(error, kCannotWrite, path_);
    const int error = FatalSignalCleanup::DisarmAfter(
        [&] { return ::renameat(directory_.get(), armedName, directory_.get(), place_.name.c_str()) == 0 ? 0 : errno; });
    if (error != 0) Fail(error, "cannot replace the report file", path_);
    cleanup_.reset();
  }

  // Names the unnamed file and renames it over the target with the fatal
  // signals held: one that came before the rename removes the name and ends
  // the process with the previous report in place; one that comes after it
  // ends the process with the new report in place. False, with nothing
  // changed, where the file cannot be named without privileges.
  bool NameAndRenameUnnamedTemporary() {
    const HeldFatalSignals held;
    auto [named, error] = MakeTemporaryName([&](const std::string& name) { return LinkUnnamed(name); });
    if (!own_.Available() && (error == ENOENT || error == EPERM)) return false;
    if (error != 0) Fail(error, kCannotCreate, path_);
    unnamedName_ = std::move(named);
    if (HeldFatalSignals::OnePending()) {
      RemoveTemporary();
      Fail(EINTR, "cannot replace the report file", path_);  // not reported: the signal ends the process first
    }
    if (const int closed = temporary_.Close()) Fail(closed, kCannotWrite, path_);
    if (::renameat(directory_.get(), unnamedName_.c_str(), directory_.get(), place_.name.c_str()) != 0) {
      Fail(errno, "cannot replace the report file", path_);
    }
    unnamedName_.clear();
    return true;
  }

  // linkat(AT_EMPTY_PATH) needs privileges on older kernels; the /proc entry
  // of the descriptor does not.
  int LinkUnnamed(const std::string& name) const {
    const int linked =
        own_.Available()
            ? ::linkat(own_.directory(), std::to_string(temporary_.get()).c_str(), directory_.get(), name.c_str(),
                       AT_SYMLINK_FOLLOW)
            : ::linkat(temporary_.get(), "", directory_.get(), name.c_str(), AT_EMPTY_PATH);
    return linked == 0 ? 0 : errno;
  }

  // Without /proc, and where the kernel lets only the privileged name an
  // unnamed file, the report is written again into a named temporary file.
  void RewriteAsNamedTemporary() {
    temporary_ = UniqueFd();
    CreateNamedTemporary();
    WriteTemporary(bytes_);
    FlushTemporary();
    RenameNamedTemporary();
  }

  std::string path_;
  PlacedName place_;
  OwnDescriptors own_;
  struct stat found_ {};                // what Inspect found at the target
  int unwritable_ = 0;                  // why the user may not write the file found
  std::optional<int> descriptor_;       // the own descriptor that the target names
  UniqueFd directory_;                  // the target's directory
  UniqueFd temporary_;                  // the new file while it is written
  NewFileAccess access_ = NewFileAccess::Fresh;
  std::string_view bytes_;              // what it holds, for a second try under a name
  std::string unnamedName_;             // the unnamed file's name between naming and renaming
  std::optional<FatalSignalCleanup> cleanup_;  // while a named temporary file exists
};

// A reader that went away makes a write fail with EPIPE, which is reported
// like any other failed write, instead of ending the process by SIGPIPE.
class BrokenPipeAsError {
 public:
  BrokenPipeAsError() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous_);
  }
  BrokenPipeAsError(const BrokenPipeAsError&) = delete;
  BrokenPipeAsError& operator=(const BrokenPipeAsError&) = delete;
  ~BrokenPipeAsError() { ::sigaction(SIGPIPE, &previous_, nullptr); }

 private:
  struct sigaction previous_ {};
};

}  // namespace

void ReplaceFileContents(const std::u16string& path, std::string_view bytes, NamedBy namedBy, FileAccess access) {
  const BrokenPipeAsError brokenPipe;
  LinuxTargetFiles files(ToUtf8(path));
  WriteAsDecided(files, bytes, namedBy, access);
}

}  // namespace kestro

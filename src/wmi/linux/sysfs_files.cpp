#include "wmi/linux/sysfs_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/posix/whole_file.h"
#include "core/error.h"

namespace kestro::sysfs {
namespace {

[[noreturn]] void FailReading(int number, const std::string& path, const std::string& hint = "") {
  throw RuntimeError(number, "cannot read " + path + ": " + std::strerror(number) + hint);
}

constexpr std::size_t kChunk = 4096;

// Appends everything that is left to read from `fd` to `content`; 0 on
// success, else the errno.
//
// Every read asks for at least 4096 bytes. sysfs hands over as much as it
// has up to the page size (4096 bytes or more) per read, and so does a local
// file system, so a read that returns less than 4096 bytes has reached the
// end: this saves the second read that would return 0 for each of the many
// small attribute files a scan reads.
int ReadRest(int fd, std::string& content) {
  char buffer[2 * kChunk];  // on the stack: no buffer to clear for each small file
  while (true) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    content.append(buffer, static_cast<std::size_t>(got));
    if (static_cast<std::size_t>(got) < kChunk) return 0;
  }
}

bool DeviceWentAway(int number) { return number == ENOENT || number == ENODEV; }

}  // namespace

std::optional<Directory> Directory::Open(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    FailReading(errno, path);
  }
  return Directory(UniqueDir(dir), path);
}

int Directory::fd() const { return ::dirfd(dir_.get()); }

std::vector<std::string> Directory::EntryNames() {
  std::vector<std::string> names;
  ::rewinddir(dir_.get());
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir_.get());
    if (entry == nullptr) {
      if (errno != 0) FailReading(errno, path_);
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    names.emplace_back(name);
  }
  return names;
}

FileState ReadFileAt(const Directory& dir, const std::string& name, std::string& content) {
  content.clear();
  const UniqueFd file(::openat(dir.fd(), name.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    if (DeviceWentAway(errno)) return FileState::Absent;
    FailReading(errno, dir.path() + "/" + name);
  }
  if (const int number = ReadRest(file.get(), content)) {
    if (DeviceWentAway(number)) return FileState::Absent;
    FailReading(number, dir.path() + "/" + name);
  }
  return FileState::Read;
}

std::optional<std::string> ReadLinkAt(const Directory& dir, const std::string& name) {
  std::string target(256, '\0');
  while (true) {
    const ssize_t length = ::readlinkat(dir.fd(), name.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, const std::string& hint) {
  const std::optional<std::string> content = kestro::ReadWholeFile(
      path,
      {.name = path, .hint = hint, .ifAbsent = IfAbsent::GiveNothing, .maxBytes = UINT64_MAX, .refuseTooLarge = {}});
  if (!content) return std::nullopt;
  return std::vector<std::uint8_t>(content->begin(), content->end());
}

}  // namespace kestro::sysfs

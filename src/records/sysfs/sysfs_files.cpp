#include "records/sysfs/sysfs_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "base/linux/read_link.h"
#include "base/linux/system_error.h"

namespace kestro::sysfs {
namespace {

[[noreturn]] void FailReading(int number, const std::string& path) { throw SystemError(number, "cannot read " + path); }

constexpr std::size_t kChunk = 4096;

// More than any attribute holds (a USB device's descriptors are the largest,
// some kilobytes): a file that goes on, a device planted in a tree, is
// refused rather than read without end.
constexpr std::size_t kMaxAttributeBytes = 1 << 20;

// Appends everything that is left to read from `fd` to `content`; 0 on
// success, EFBIG past kMaxAttributeBytes, else the errno.
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
    if (content.size() > kMaxAttributeBytes) return EFBIG;
  }
}

bool DeviceWentAway(int number) { return number == ENOENT || number == ENODEV; }

}  // namespace

// Opened and listed with plain system calls: opendir would also stat the
// directory, allocate a 32 KiB buffer and seek back to its start.
std::optional<Directory> Directory::Open(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    FailReading(errno, path);
  }
  return Directory(std::move(fd), path);
}

std::vector<std::string> Directory::EntryNames() {
  std::vector<std::string> names;
  alignas(dirent64) char buffer[4 * kChunk];
  while (true) {
    const ssize_t got = ::getdents64(fd(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    // A directory removed while it is listed ends the listing, as readdir has it.
    if (got == 0 || (got < 0 && errno == ENOENT)) break;
    if (got < 0) FailReading(errno, path_);
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      names.emplace_back(name);
    }
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
  return kestro::ReadLinkAt(dir.fd(), name.c_str());
}

}  // namespace kestro::sysfs

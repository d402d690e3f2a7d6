#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/linux/unique_fd.h"

// The few file operations the sysfs back end needs, each one or two system
// calls. Attribute reads go through a directory descriptor (openat), so the
// kernel resolves only the last components of each path.
namespace kestro::sysfs {

// An open directory whose entries can be listed and whose files can be read
// relative to it.
class Directory {
 public:
  // The directory at `path`; nothing when it does not exist. Any other
  // failure to open it throws RuntimeError naming `path`.
  static std::optional<Directory> Open(const std::string& path);

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  // The names of its entries in the order the file system gives them,
  // without "." and "..". Listed once: the descriptor is not rewound.
  std::vector<std::string> EntryNames();

 private:
  Directory(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  UniqueFd fd_;
  std::string path_;
};

enum class FileState { Read, Absent };

// Reads the whole attribute file `name` (relative to `dir`) into `content`,
// replacing what it held. Absent when the file does not exist, or when its
// device went away while it was read (ENODEV): a device unplugged during the
// scan is no failure. A file of more than a megabyte, which no attribute
// holds, and any other failure throw RuntimeError naming the file and the
// reason.
FileState ReadFileAt(const Directory& dir, const std::string& name, std::string& content);

// The target of the symbolic link `name` (relative to `dir`); nothing when it
// is absent or not a link.
std::optional<std::string> ReadLinkAt(const Directory& dir, const std::string& name);

}  // namespace kestro::sysfs

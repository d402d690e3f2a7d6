#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

// The owners of Linux descriptors: every open file and directory of Kestro's
// on Linux is held by one of these, closed when its owner goes.
namespace kestro {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(-1); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now, for a caller that must know whether the data got out: the
  // errno of a failed close, 0 on success.
  int Close() {
    const int fd = Release();
    return fd < 0 || ::close(fd) == 0 ? 0 : errno;
  }

 private:
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

  int fd_ = -1;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
// An open directory stream (opendir, fdopendir).
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

}  // namespace kestro

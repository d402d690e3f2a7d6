#include "base/linux/system_error.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestro {

RuntimeError SystemError(int number, const std::string& what, std::string_view hint) {
  return RuntimeError(number, what + ": " + std::strerror(number) + std::string(hint));
}

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

}  // namespace kestro

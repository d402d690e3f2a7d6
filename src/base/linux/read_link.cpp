#include "base/linux/read_link.h"

#include <unistd.h>

namespace kestro {

std::optional<std::string> ReadLinkAt(int directory, const char* name) {
  std::string target(256, '\0');  // most links are shorter; a longer one takes another try
  while (true) {
    const ssize_t length = ::readlinkat(directory, name, target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

}  // namespace kestro

#include "base/linux/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/linux/system_error.h"
#include "base/linux/unique_fd.h"

namespace kestro {
namespace {

[[noreturn]] void Fail(int number, const WholeFileRules& rules) {
  throw SystemError(number, "cannot read " + rules.name, rules.hint);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, const WholeFileRules& rules) {
  const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    if (errno == ENOENT && rules.ifAbsent == IfAbsent::GiveNothing) return std::nullopt;
    Fail(errno, rules);
  }
  std::string content;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) Fail(errno, rules);
  // Said before reading: some systems read a directory as empty, others fail.
  if (S_ISDIR(status.st_mode)) Fail(EISDIR, rules);
  if (S_ISREG(status.st_mode) && status.st_size > 0) {
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > rules.maxBytes) rules.refuseTooLarge(size);
    content.reserve(static_cast<std::size_t>(size) + 1);
  }
  char buffer[1 << 16];
  while (true) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno, rules);
    if (got == 0) return content;
    if (content.size() + static_cast<std::size_t>(got) > rules.maxBytes) rules.refuseTooLarge(std::nullopt);
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace kestro

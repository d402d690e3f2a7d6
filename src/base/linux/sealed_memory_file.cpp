#include "base/linux/sealed_memory_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>

#include "base/linux/system_error.h"

namespace kestro {
namespace {

constexpr int kAllSeals = F_SEAL_WRITE | F_SEAL_GROW | F_SEAL_SHRINK | F_SEAL_SEAL;

[[noreturn]] void Fail(int error, const std::string& what) { throw SystemError(error, what); }

}  // namespace

UniqueFd SealedMemoryFile(const char* name, std::string_view bytes) {
  UniqueFd file(::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING));
  if (!file.valid()) Fail(errno, "cannot hand the report over");
  if (const int error = WriteAll(file.get(), bytes)) Fail(error, "cannot hand the report over");
  if (::fcntl(file.get(), F_ADD_SEALS, kAllSeals) != 0) Fail(errno, "cannot seal the report handed over");
  return file;
}

std::string ReadSealedMemoryFile(int fd) {
  const int seals = ::fcntl(fd, F_GET_SEALS);
  if (seals < 0) Fail(errno, "descriptor " + std::to_string(fd) + " holds no report handed over");
  if ((seals & F_SEAL_WRITE) == 0 || (seals & F_SEAL_SHRINK) == 0) {
    Fail(EPERM, "descriptor " + std::to_string(fd) + " holds no sealed report");
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) Fail(errno, "cannot read the report handed over");
  std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) Fail(got < 0 ? errno : EIO, "cannot read the report handed over");
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

}  // namespace kestro

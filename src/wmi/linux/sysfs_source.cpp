#include "wmi/linux/sysfs_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "core/error.h"
#include "core/text.h"
#include "core/windows1252.h"
#include "wmi/record_list.h"

namespace kestro {
namespace {

constexpr std::int64_t kInvalidClass = 0x80041010;  // WBEM_E_INVALID_CLASS
constexpr std::int64_t kInvalidQuery = 0x80041017;  // WBEM_E_INVALID_QUERY

// The whole file at `path`; nothing when it does not exist. Any other failure
// to read it throws, naming the file and the reason.
std::optional<Bytes> ReadFileIfPresent(const std::string& path, const char* hint = "") {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const auto fail = [&](int number) {
    throw RuntimeError(number, "cannot read " + path + ": " + std::strerror(number) + hint);
  };
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    fail(errno);
  }
  Bytes content;
  std::uint8_t buffer[16384];
  while (true) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int number = errno;
      ::close(fd);
      fail(number);
    }
    if (got == 0) break;
    content.insert(content.end(), buffer, buffer + got);
  }
  ::close(fd);
  return content;
}

// A dmi/id attribute: SMBIOS string bytes with the kernel's newline behind.
std::optional<std::u16string> ReadDmiText(const std::string& path) {
  std::optional<Bytes> bytes = ReadFileIfPresent(path);
  if (!bytes) return std::nullopt;
  if (!bytes->empty() && bytes->back() == '\n') bytes->pop_back();
  std::u16string text;
  text.reserve(bytes->size());
  for (std::uint8_t byte : *bytes) text += Windows1252ToChar(byte);
  return text;
}

std::u16string Lower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) c = AsciiLower(c);
  return lower;
}

class SysfsConnection : public Connection {
 public:
  SysfsConnection(const std::string& root, std::u16string nameSpace) : root_(root), nameSpace_(Lower(nameSpace)) {}

  std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) override {
    std::optional<std::u16string> className = QueriedClass(wql);
    if (!className) throw RuntimeError(kInvalidQuery, "Invalid query: " + ToUtf8(wql));
    className = Lower(*className);
    if (nameSpace_ == u"root\\wmi" && className == u"mssmbios_rawsmbiostables") return RawSmbiosTables();
    if (nameSpace_ == u"root\\cimv2" && className == u"win32_computersystem") return ComputerSystem();
    if (nameSpace_ == u"root\\cimv2" && className == u"win32_baseboard") return BaseBoard();
    if (nameSpace_ == u"root\\cimv2" && className == u"win32_systemdevices") return SystemDevices();
    throw RuntimeError(kInvalidClass, "Invalid class: " + ToUtf8(wql) + " in " + ToUtf8(nameSpace_));
  }

 private:
  std::unique_ptr<RecordSet> RawSmbiosTables() const {
    std::vector<MemoryRecord> records;
    const std::optional<Bytes> table =
        ReadFileIfPresent(root_ + "/firmware/dmi/tables/DMI", " (reading the SMBIOS table needs root)");
    if (table) records.push_back({u"MSSmBios_RawSMBiosTables", {{u"SMBiosData", *table}}});
    return std::make_unique<RecordList>(std::move(records));
  }

  std::unique_ptr<RecordSet> ComputerSystem() const {
    const std::string id = root_ + "/class/dmi/id/";
    MemoryRecord record{u"Win32_ComputerSystem",
                        {{u"Manufacturer", ReadDmiText(id + "sys_vendor").value_or(u"")},
                         {u"Model", ReadDmiText(id + "product_name").value_or(u"")}}};
    std::vector<MemoryRecord> records;
    records.push_back(std::move(record));
    return std::make_unique<RecordList>(std::move(records));
  }

  std::unique_ptr<RecordSet> BaseBoard() const {
    std::vector<MemoryRecord> records;
    if (std::optional<std::u16string> product = ReadDmiText(root_ + "/class/dmi/id/board_name")) {
      records.push_back({u"Win32_BaseBoard", {{u"Product", std::move(*product)}}});
    }
    return std::make_unique<RecordList>(std::move(records));
  }

  std::unique_ptr<RecordSet> SystemDevices() const { return std::make_unique<RecordList>(std::vector<MemoryRecord>{}); }

  const std::string& root_;
  std::u16string nameSpace_;
};

}  // namespace

std::unique_ptr<Connection> SysfsSource::Connect(std::u16string_view nameSpace) {
  return std::make_unique<SysfsConnection>(root_, std::u16string(nameSpace));
}

}  // namespace kestro

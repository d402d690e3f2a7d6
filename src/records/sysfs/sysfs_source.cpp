#include "records/sysfs/sysfs_source.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "base/linux/system_error.h"
#include "base/linux/whole_file.h"
#include "core/error.h"
#include "core/text.h"
#include "core/windows1252.h"
#include "records/classes_read.h"
#include "records/sysfs/device_instance_ids.h"
#include "records/sysfs/sysfs_files.h"
#include "records/record_list.h"

namespace kestro {
namespace {

// The firmware's files are small (a table of some kilobytes, texts of a few
// bytes); one pointed at an endless device is refused rather than read on.
constexpr std::uint64_t kMaxFirmwareFileBytes = 64 << 20;

// The whole file at `path` as bytes; nothing when it does not exist. Any
// other failure throws RuntimeError naming the file and the reason, followed
// by `hint` when one is given.
std::optional<Bytes> ReadFirmwareFile(const std::string& path, const std::string& hint = "") {
  const WholeFileRules rules{
      .name = path,
      .hint = hint,
      .ifAbsent = IfAbsent::GiveNothing,
      .maxBytes = kMaxFirmwareFileBytes,
      .refuseTooLarge =
          [&path](std::optional<std::uint64_t>) {
            throw RuntimeError(EFBIG, "cannot read " + path + ": it is over " +
                                          std::to_string(kMaxFirmwareFileBytes >> 20) +
                                          " MiB, far more than any firmware file holds; refused");
          },
  };
  std::optional<std::string> bytes = ReadWholeFile(path, rules);
  if (!bytes) return std::nullopt;
  return Bytes(bytes->begin(), bytes->end());
}

// A dmi/id attribute: SMBIOS string bytes with the kernel's newline behind.
std::optional<std::u16string> ReadDmiText(const std::string& path) {
  std::optional<Bytes> bytes = ReadFirmwareFile(path);
  if (!bytes) return std::nullopt;
  if (!bytes->empty() && bytes->back() == '\n') bytes->pop_back();
  std::u16string text;
  text.reserve(bytes->size());
  for (std::uint8_t byte : *bytes) text += Windows1252ToChar(byte);
  return text;
}

// One device of the cached list, by its object path.
class SystemDeviceRecord : public Record {
 public:
  explicit SystemDeviceRecord(const std::u16string& objectPath) : objectPath_(objectPath) {}

  PropertyValue Get(std::u16string_view name) const override {
    if (EqualIgnoringCase(name, wmi::kPartComponent)) return objectPath_;
    ThrowPropertyMissing(ToUtf8(wmi::kSystemDevices.className), name);
  }

 private:
  const std::u16string& objectPath_;
};

class SystemDeviceRecords : public RecordSet {
 public:
  explicit SystemDeviceRecords(const std::vector<std::u16string>& objectPaths) : objectPaths_(objectPaths) {}

  std::unique_ptr<Record> Next() override {
    if (next_ >= objectPaths_.size()) return nullptr;
    return std::make_unique<SystemDeviceRecord>(objectPaths_[next_++]);
  }

 private:
  const std::vector<std::u16string>& objectPaths_;
  std::size_t next_ = 0;
};

class SysfsConnection : public Connection {
 public:
  SysfsConnection(SysfsSource& source, std::u16string_view nameSpace)
      : source_(source), nameSpace_(AsciiLowerCase(nameSpace)) {}

  std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) override {
    std::optional<std::u16string> className = QueriedClass(wql);
    if (!className) throw RuntimeError(wmi::kInvalidQuery, "Invalid query: " + ToUtf8(wql));
    if (Is(wmi::kRawSmbiosTables, *className)) return RawSmbiosTables();
    if (Is(wmi::kComputerSystem, *className)) return ComputerSystem();
    if (Is(wmi::kBaseBoard, *className)) return BaseBoard();
    if (Is(wmi::kSystemDevices, *className)) {
      return std::make_unique<SystemDeviceRecords>(source_.SystemDeviceObjectPaths());
    }
    throw RuntimeError(wmi::kInvalidClass, "Invalid class: " + ToUtf8(wql) + " in " + ToUtf8(nameSpace_));
  }

 private:
  bool Is(const ClassRead& served, std::u16string_view className) const {
    return EqualIgnoringCase(nameSpace_, served.nameSpace) && EqualIgnoringCase(className, served.className);
  }

  // The raw structure table, exactly the bytes Windows hands over. A machine
  // or container without SMBIOS has no file and so gets no record; the file
  // is readable by root only.
  std::unique_ptr<RecordSet> RawSmbiosTables() const {
    std::vector<MemoryRecord> records;
    std::optional<Bytes> table =
        ReadFirmwareFile(source_.root() + "/firmware/dmi/tables/DMI", " (reading the SMBIOS table needs root)");
    if (table) {
      // Moved in, not listed in braces: a braced list would copy the table twice.
      MemoryRecord& record = records.emplace_back(MemoryRecord{std::u16string(wmi::kRawSmbiosTables.className), {}});
      record.properties.emplace_back(std::u16string(wmi::kSmbiosData), std::move(*table));
    }
    return std::make_unique<RecordList>(std::move(records));
  }

  std::unique_ptr<RecordSet> ComputerSystem() const {
    const std::string id = source_.root() + "/class/dmi/id/";
    MemoryRecord record{std::u16string(wmi::kComputerSystem.className),
                        {{std::u16string(wmi::kManufacturer), ReadDmiText(id + "sys_vendor").value_or(u"")},
                         {std::u16string(wmi::kModel), ReadDmiText(id + "product_name").value_or(u"")}}};
    std::vector<MemoryRecord> records;
    records.push_back(std::move(record));
    return std::make_unique<RecordList>(std::move(records));
  }

  std::unique_ptr<RecordSet> BaseBoard() const {
    std::vector<MemoryRecord> records;
    if (std::optional<std::u16string> product = ReadDmiText(source_.root() + "/class/dmi/id/board_name")) {
      records.push_back(
          {std::u16string(wmi::kBaseBoard.className), {{std::u16string(wmi::kProduct), std::move(*product)}}});
    }
    return std::make_unique<RecordList>(std::move(records));
  }

  SysfsSource& source_;
  std::u16string nameSpace_;
};

}  // namespace

SysfsSource::SysfsSource(std::string root, std::string hostName)
    : root_(std::move(root)), hostName_(FromUtf8(hostName)) {}

std::unique_ptr<Connection> SysfsSource::Connect(std::u16string_view nameSpace) {
  return std::make_unique<SysfsConnection>(*this, nameSpace);
}

const sysfs::DeviceIdList& SysfsSource::SystemDevices() {
  if (!devices_) devices_ = std::make_unique<sysfs::DeviceIdList>(sysfs::ScanSystemDevices(root_));
  return *devices_;
}

// Made once with the list: every query of the list reads every path.
const std::vector<std::u16string>& SysfsSource::SystemDeviceObjectPaths() {
  if (!objectPaths_) {
    const sysfs::DeviceIdList& devices = SystemDevices();
    objectPaths_ = std::make_unique<std::vector<std::u16string>>();
    objectPaths_->reserve(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) {
      objectPaths_->push_back(pnp::PnpEntityObjectPath(hostName_, devices[i]));
    }
  }
  return *objectPaths_;
}

std::string LocalHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) throw SystemError(errno, "cannot read the host name");
  return name;
}

}  // namespace kestro

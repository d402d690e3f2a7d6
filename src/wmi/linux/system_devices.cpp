#include "wmi/linux/system_devices.h"

#include <algorithm>
#include <span>
#include <utility>

#include "wmi/linux/device_instance_ids.h"
#include "wmi/linux/sysfs_files.h"
#include "wmi/linux/usb_descriptors.h"

namespace kestro::sysfs {
namespace {

constexpr std::uint16_t kRootHubProductUsb3 = 0x0003;  // Linux Foundation 1d6b:0003, the 3.x root hub

std::string_view WithoutTrailingNewline(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

// The value of `key` in a uevent file ("KEY=value" lines).
std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key) {
  for (std::size_t at = 0; at < uevent.size();) {
    const std::size_t end = std::min(uevent.find('\n', at), uevent.size());
    const std::string_view line = uevent.substr(at, end - at);
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=') {
      return line.substr(key.size() + 1);
    }
    at = end + 1;
  }
  return std::nullopt;
}

using IdPair = std::pair<std::uint16_t, std::uint16_t>;

// "vvvv:dddd" as the uevent file gives PCI_ID and PCI_SUBSYS_ID.
std::optional<IdPair> UeventIdPair(std::optional<std::string_view> text) {
  if (!text || text->size() != 9 || (*text)[4] != ':') return std::nullopt;
  const auto first = pnp::ParseHex(text->substr(0, 4), 4, 4);
  const auto second = pnp::ParseHex(text->substr(5, 4), 4, 4);
  if (!first || !second) return std::nullopt;
  return std::pair{static_cast<std::uint16_t>(*first), static_cast<std::uint16_t>(*second)};
}

// A hex attribute such as "0x21\n".
std::optional<std::uint32_t> HexAttribute(std::string_view text) {
  text = WithoutTrailingNewline(text);
  if (text.starts_with("0x")) text.remove_prefix(2);
  return pnp::ParseHex(text);
}

std::span<const std::uint8_t> AsBytes(const std::string& content) {
  return {reinterpret_cast<const std::uint8_t*>(content.data()), content.size()};
}

// Reads the devices of one bus directory; the buffer is reused for every
// file so that a long scan does not allocate per read.
class BusReader {
 public:
  BusReader(Directory& bus, DeviceIdList& ids) : bus_(bus), ids_(ids) {}

  std::string DevicePath(const std::string& name) {
    const std::optional<std::string> target = ReadLinkAt(bus_, name);
    return target ? DevicePathFromLink(*target) : name;
  }

  bool Read(const std::string& name, const char* attribute) {
    return ReadFileAt(bus_, name + attribute, content_) == FileState::Read;
  }

  const std::string& content() const { return content_; }

 protected:
  Directory& bus_;
  DeviceIdList& ids_;
  std::string content_;
};

class PciReader : public BusReader {
 public:
  using BusReader::BusReader;

  void AddDevice(const std::string& name) {
    std::optional<IdPair> ids, subsystemIds;
    // The uevent file carries both id pairs in one read; where it lacks one,
    // the attributes that hold each id alone stand in.
    if (Read(name, "/uevent")) {
      ids = UeventIdPair(UeventValue(content(), "PCI_ID"));
      subsystemIds = UeventIdPair(UeventValue(content(), "PCI_SUBSYS_ID"));
    }
    if (!ids) ids = AttributeIdPair(name, "/vendor", "/device");
    if (!subsystemIds) subsystemIds = AttributeIdPair(name, "/subsystem_vendor", "/subsystem_device");
    if (!ids || !subsystemIds) return;
    const std::optional<std::uint8_t> revision = Revision(name);
    if (!revision) return;
    const std::string path = DevicePath(name);
    ids_.Add(pnp::PciDeviceInstanceId(ids->first, ids->second, subsystemIds->first, subsystemIds->second, *revision,
                                      pnp::GeneratedInstance(path, pnp::PciLocation(path))));
  }

 private:
  // Two id attributes such as "0x8086\n".
  std::optional<IdPair> AttributeIdPair(const std::string& name, const char* first, const char* second) {
    const std::optional<std::uint16_t> firstId = IdAttribute(name, first);
    if (!firstId) return std::nullopt;
    const std::optional<std::uint16_t> secondId = IdAttribute(name, second);
    if (!secondId) return std::nullopt;
    return IdPair{*firstId, *secondId};
  }

  std::optional<std::uint16_t> IdAttribute(const std::string& name, const char* attribute) {
    if (!Read(name, attribute)) return std::nullopt;
    const std::optional<std::uint32_t> value = HexAttribute(content());
    if (!value || *value > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
  }

  // From the revision attribute; older kernels lack it, and then the revision
  // is byte 8 of the configuration space (reading it may wake the device,
  // which is why the attribute comes first).
  std::optional<std::uint8_t> Revision(const std::string& name) {
    if (Read(name, "/revision")) {
      const std::optional<std::uint32_t> value = HexAttribute(content());
      if (value && *value <= 0xFF) return static_cast<std::uint8_t>(*value);
      return std::nullopt;
    }
    if (Read(name, "/config") && content().size() > 8) return static_cast<std::uint8_t>(content()[8]);
    return std::nullopt;
  }
};

class UsbReader : public BusReader {
 public:
  using BusReader::BusReader;

  void AddDevice(const std::string& name, const UsbDeviceName& parsed) {
    // The descriptors file holds the ids, the class codes and the whole
    // configuration in one read.
    if (!Read(name, "/descriptors")) return;
    const std::optional<usb::Descriptors> descriptors = usb::ParseDescriptors(AsBytes(content()));
    if (!descriptors) return;
    const usb::DeviceDescriptor& device = descriptors->device;
    if (parsed.depth == 0) {
      // Windows always makes up a root hub's instance; the kernel's serial
      // for it is only the controller's name.
      const auto kind = device.productId == kRootHubProductUsb3 ? pnp::RootHubKind::Usb30 : pnp::RootHubKind::Usb20;
      ids_.Add(pnp::RootHubInstanceId(kind, pnp::GeneratedInstance(DevicePath(name), "0")));
      return;
    }
    // The device's path is read only when a stand-in needs it.
    std::string path;
    std::string instance = UsableSerial(name);
    if (instance.empty()) {
      path = DevicePath(name);
      instance = pnp::GeneratedInstance(path, std::to_string(parsed.ports[parsed.depth - 1]));
    }
    ids_.Add(pnp::UsbDeviceInstanceId(device.vendorId, device.productId, instance));
    if (!usb::IsCompositeDevice(*descriptors)) return;
    if (path.empty()) path = DevicePath(name);
    for (std::uint8_t function : usb::FunctionFirstInterfaces(*descriptors->firstConfiguration)) {
      ids_.Add(pnp::UsbFunctionInstanceId(device.vendorId, device.productId, function,
                                          pnp::GeneratedFunctionInstance(path, function)));
    }
  }

 private:
  // The serial when Windows would take it, else empty.
  std::string UsableSerial(const std::string& name) {
    if (!Read(name, "/serial")) return {};
    const std::string_view serial = WithoutTrailingNewline(content());
    return pnp::IsUsableSerial(serial) ? std::string(serial) : std::string();
  }
};

void AddPciDevices(const std::string& root, DeviceIdList& ids) {
  std::optional<Directory> bus = Directory::Open(root + "/bus/pci/devices");
  if (!bus) return;
  std::vector<std::pair<pnp::PciAddress, std::string>> devices;
  for (std::string& name : bus->EntryNames()) {
    if (const std::optional<pnp::PciAddress> address = pnp::ParsePciAddress(name)) {
      devices.emplace_back(*address, std::move(name));
    }
  }
  std::sort(devices.begin(), devices.end());
  PciReader reader(*bus, ids);
  for (const auto& [address, name] : devices) reader.AddDevice(name);
}

void AddUsbDevices(const std::string& root, DeviceIdList& ids) {
  std::optional<Directory> bus = Directory::Open(root + "/bus/usb/devices");
  if (!bus) return;
  std::vector<std::pair<UsbDeviceName, std::string>> devices;
  for (std::string& name : bus->EntryNames()) {
    if (name.find(':') != std::string::npos) continue;  // an interface, not a device
    if (const std::optional<UsbDeviceName> parsed = ParseUsbDeviceName(name)) {
      devices.emplace_back(*parsed, std::move(name));
    }
  }
  std::sort(devices.begin(), devices.end());
  UsbReader reader(*bus, ids);
  for (const auto& [parsed, name] : devices) reader.AddDevice(name, parsed);
}

// A decimal number without sign or leading zero that fits `max`.
std::optional<std::uint32_t> DecimalNumber(std::string_view text, std::uint32_t max) {
  if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

void DeviceIdList::Add(std::string_view id) {
  text_ += id;
  ends_.push_back(text_.size());
}

std::string_view DeviceIdList::operator[](std::size_t index) const {
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_).substr(begin, ends_[index] - begin);
}

DeviceIdList ScanSystemDevices(const std::string& root) {
  DeviceIdList ids;
  AddPciDevices(root, ids);
  AddUsbDevices(root, ids);
  return ids;
}

std::optional<UsbDeviceName> ParseUsbDeviceName(std::string_view name) {
  UsbDeviceName parsed;
  if (name.starts_with("usb")) {
    const std::optional<std::uint32_t> bus = DecimalNumber(name.substr(3), UINT32_MAX);
    if (!bus || *bus == 0) return std::nullopt;
    parsed.bus = *bus;
    return parsed;
  }
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::optional<std::uint32_t> bus = DecimalNumber(name.substr(0, dash), UINT32_MAX);
  if (!bus || *bus == 0) return std::nullopt;
  parsed.bus = *bus;
  std::string_view ports = name.substr(dash + 1);
  while (true) {
    const std::size_t dot = std::min(ports.find('.'), ports.size());
    const std::optional<std::uint32_t> port = DecimalNumber(ports.substr(0, dot), UINT16_MAX);
    if (!port || *port == 0 || parsed.depth == UsbDeviceName::kMaxPorts) return std::nullopt;
    parsed.ports[parsed.depth++] = static_cast<std::uint16_t>(*port);
    if (dot == ports.size()) return parsed;
    ports.remove_prefix(dot + 1);
  }
}

std::string DevicePathFromLink(std::string_view target) {
  std::vector<std::string_view> components;
  std::size_t lastDevices = std::string_view::npos;
  for (std::size_t at = 0; at <= target.size();) {
    const std::size_t end = std::min(target.find('/', at), target.size());
    const std::string_view component = target.substr(at, end - at);
    if (!component.empty() && component != "." && !(component == ".." && components.empty())) {
      if (component == "devices") lastDevices = components.size();
      components.push_back(component);
    }
    at = end + 1;
  }
  const std::size_t first = lastDevices == std::string_view::npos ? 0 : lastDevices + 1;
  std::string path;
  for (std::size_t i = first; i < components.size(); ++i) {
    if (!path.empty()) path += '/';
    path += components[i];
  }
  return path;
}

}  // namespace kestro::sysfs

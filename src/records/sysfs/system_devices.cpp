#include "records/sysfs/system_devices.h"

#include <algorithm>
#include <functional>
#include <map>
#include <span>
#include <tuple>
#include <utility>

#include "records/sysfs/device_instance_ids.h"
#include "records/sysfs/sysfs_files.h"
#include "records/sysfs/usb_descriptors.h"

namespace kestro::sysfs {
namespace {

// The Linux Foundation's root hub product ids (vendor 1d6b).
constexpr std::uint16_t kRootHubProductUsb11 = 0x0001;
constexpr std::uint16_t kRootHubProductUsb3 = 0x0003;

// PCI class codes (class, subclass, programming interface) of USB host
// controllers.
constexpr std::uint32_t kPciClassUhci = 0x0C0300;
constexpr std::uint32_t kPciClassOhci = 0x0C0310;
constexpr std::uint32_t kPciClassEhci = 0x0C0320;
constexpr std::uint32_t kPciClassXhci = 0x0C0330;

// The largest port count a hub can state (bNbrPorts is one byte).
constexpr std::uint32_t kMaxHubPorts = 255;

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

using UsbEntry = std::pair<UsbDeviceName, std::string>;

// Where the devices of one bus are listed: below the root hub that stands for
// their controller on Windows.
struct BusPlacement {
  pnp::RootHubKind kind = pnp::RootHubKind::Usb20;
  std::uint32_t listedBus = 0;   // the bus of that root hub
  std::uint32_t portOffset = 0;  // added to the numbers of this bus's root ports
  std::string rootHubPath;       // that root hub's path, the parent of the root-port devices
};
using BusPlacements = std::map<std::uint32_t, BusPlacement>;

// A root hub whose descriptors could be read.
struct RootHub {
  std::uint32_t bus = 0;
  std::uint16_t productId = 0;
  std::string name;
  std::string path;
};

std::string_view LastComponent(std::string_view path) { return path.substr(path.rfind('/') + 1); }

std::optional<pnp::RootHubKind> KindFromPciClass(std::uint32_t pciClass) {
  switch (pciClass) {
    case kPciClassUhci:
    case kPciClassOhci:
      return pnp::RootHubKind::Usb11;
    case kPciClassEhci:
      return pnp::RootHubKind::Usb20;
    case kPciClassXhci:
      return pnp::RootHubKind::Usb30;
    default:
      return std::nullopt;
  }
}

// From a host controller driver's name: "xhci_hcd", "xhci-hcd",
// "ehci-platform", "ohci-pci", "uhci_hcd" and the like.
std::optional<pnp::RootHubKind> KindFromDriver(std::string_view driver) {
  if (driver.find("xhci") != std::string_view::npos) return pnp::RootHubKind::Usb30;
  if (driver.find("ehci") != std::string_view::npos) return pnp::RootHubKind::Usb20;
  if (driver.find("ohci") != std::string_view::npos || driver.find("uhci") != std::string_view::npos) {
    return pnp::RootHubKind::Usb11;
  }
  return std::nullopt;
}

class UsbReader : public BusReader {
 public:
  using BusReader::BusReader;

  // Reads the root hubs among `devices` and tells where each bus is listed.
  BusPlacements PlaceBuses(const std::vector<UsbEntry>& devices) {
    std::map<std::string, std::vector<RootHub>, std::less<>> hubsByController;
    for (const auto& [parsed, name] : devices) {
      if (parsed.depth != 0) continue;
      if (std::optional<RootHub> hub = ReadRootHub(name, parsed.bus)) {
        hubsByController[std::string(pnp::ParentPath(hub->path))].push_back(std::move(*hub));
      }
    }
    BusPlacements placements;
    for (const auto& [controller, hubs] : hubsByController) PlaceController(controller, hubs, devices, placements);
    return placements;
  }

  // `parsed` is the device's place in the list; `placement` that of its bus,
  // nothing when its root hub could not be read.
  void AddDevice(const std::string& name, const UsbDeviceName& parsed, const BusPlacement* placement) {
    if (parsed.depth == 0) {
      // Windows always makes up a root hub's instance; the kernel's serial
      // for it is only the controller's name.
      if (placement == nullptr) return;
      ids_.Add(pnp::RootHubInstanceId(placement->kind,
                                      pnp::GeneratedRootHubInstance(placement->kind, placement->rootHubPath)));
      return;
    }
    // The descriptors file holds the ids, the class codes and the whole
    // configuration in one read.
    if (!Read(name, "/descriptors")) return;
    const std::optional<usb::Descriptors> descriptors = usb::ParseDescriptors(AsBytes(content()));
    if (!descriptors) return;
    const usb::DeviceDescriptor& device = descriptors->device;
    // The device's path is read only when a stand-in needs it.
    std::string path;
    std::string instance = UsableSerial(name);
    if (instance.empty()) {
      const std::string location = std::to_string(parsed.ports[parsed.depth - 1]);
      if (parsed.depth == 1 && placement != nullptr) {
        instance = pnp::GeneratedInstanceBelow(placement->rootHubPath, location);
      } else {
        path = DevicePath(name);
        instance = pnp::GeneratedInstance(path, location);
      }
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
  // The serial as the instance part when Windows would take it, else empty.
  std::string UsableSerial(const std::string& name) {
    if (!Read(name, "/serial")) return {};
    const std::string_view serial = WithoutTrailingNewline(content());
    return pnp::IsUsableSerial(serial) ? pnp::SerialInstance(serial) : std::string();
  }

  std::optional<RootHub> ReadRootHub(const std::string& name, std::uint32_t bus) {
    if (!Read(name, "/descriptors")) return std::nullopt;
    const std::optional<usb::Descriptors> descriptors = usb::ParseDescriptors(AsBytes(content()));
    if (!descriptors) return std::nullopt;
    return RootHub{bus, descriptors->device.productId, name, DevicePath(name)};
  }

  // Windows shows an xHCI controller as one root hub, the first of its buses
  // in the list, with the ports of the USB 3 bus numbered after those of the
  // USB 2 bus as the controller itself numbers them; every other controller
  // has one bus of its own.
  void PlaceController(std::string_view controller, const std::vector<RootHub>& hubs,
                       const std::vector<UsbEntry>& devices, BusPlacements& placements) {
    const pnp::RootHubKind kind = ControllerKind(controller, hubs);
    const bool xhci = kind == pnp::RootHubKind::Usb30;
    const RootHub& first =
        *std::min_element(hubs.begin(), hubs.end(), [](const RootHub& a, const RootHub& b) { return a.bus < b.bus; });
    std::uint32_t usb2Ports = 0;
    for (const RootHub& hub : hubs) {
      if (xhci && hub.productId != kRootHubProductUsb3) usb2Ports = std::max(usb2Ports, RootPortCount(hub, devices));
    }
    for (const RootHub& hub : hubs) {
      const RootHub& listed = xhci ? first : hub;
      const std::uint32_t offset = xhci && hub.productId == kRootHubProductUsb3 ? usb2Ports : 0;
      placements[hub.bus] = BusPlacement{kind, listed.bus, offset, listed.path};
    }
  }

  // Told by the controller's PCI class code. Where it is no PCI function (or
  // names no USB host), a USB 3 root hub on it, which only xHCI has, or its
  // driver tells; last the root hub's own product id, which cannot tell EHCI
  // from the USB 2 bus of an xHCI controller.
  pnp::RootHubKind ControllerKind(std::string_view controller, const std::vector<RootHub>& hubs) {
    const std::string& name = hubs.front().name;
    if (pnp::ParsePciAddress(LastComponent(controller)) && Read(name, "/../class")) {
      if (const std::optional<std::uint32_t> pciClass = HexAttribute(content())) {
        if (const std::optional<pnp::RootHubKind> kind = KindFromPciClass(*pciClass)) return *kind;
      }
    }
    if (std::any_of(hubs.begin(), hubs.end(),
                    [](const RootHub& hub) { return hub.productId == kRootHubProductUsb3; })) {
      return pnp::RootHubKind::Usb30;
    }
    if (const std::optional<pnp::RootHubKind> kind = KindFromDriver(ControllerDriver(name))) return *kind;
    return hubs.front().productId == kRootHubProductUsb11 ? pnp::RootHubKind::Usb11 : pnp::RootHubKind::Usb20;
  }

  // The name of the host controller's driver: the controller's driver link,
  // else the last word of the root hub's manufacturer string, which the
  // kernel makes "<system> <release> <driver>".
  std::string ControllerDriver(const std::string& rootHubName) {
    if (const std::optional<std::string> target = ReadLinkAt(bus_, rootHubName + "/../driver")) {
      return std::string(LastComponent(*target));
    }
    if (!Read(rootHubName, "/manufacturer")) return {};
    const std::string_view manufacturer = WithoutTrailingNewline(content());
    return std::string(manufacturer.substr(manufacturer.rfind(' ') + 1));
  }

  // A root hub's port count from its maxchild attribute, and never less than
  // the highest root port a device is on, so that ports numbered after these
  // cannot meet them.
  std::uint32_t RootPortCount(const RootHub& hub, const std::vector<UsbEntry>& devices) {
    std::uint32_t count = 0;
    if (Read(hub.name, "/maxchild")) count = DecimalNumber(WithoutTrailingNewline(content()), kMaxHubPorts).value_or(0);
    for (const auto& [parsed, name] : devices) {
      if (parsed.bus == hub.bus && parsed.depth > 0) count = std::max(count, parsed.ports[0]);
    }
    return count;
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
  std::vector<UsbEntry> devices;
  for (std::string& name : bus->EntryNames()) {
    if (name.find(':') != std::string::npos) continue;  // an interface, not a device
    if (const std::optional<UsbDeviceName> parsed = ParseUsbDeviceName(name)) {
      devices.emplace_back(*parsed, std::move(name));
    }
  }
  UsbReader reader(*bus, ids);
  const BusPlacements placements = reader.PlaceBuses(devices);
  // Each device moves to its place below the root hub that stands for its
  // controller; a root hub that stands for none drops out.
  std::vector<std::tuple<UsbDeviceName, std::string, const BusPlacement*>> listed;
  listed.reserve(devices.size());
  for (auto& [parsed, name] : devices) {
    const auto found = placements.find(parsed.bus);
    const BusPlacement* placement = found == placements.end() ? nullptr : &found->second;
    UsbDeviceName place = parsed;
    if (placement != nullptr) {
      if (place.depth == 0 && placement->listedBus != place.bus) continue;
      place.bus = placement->listedBus;
      if (place.depth > 0) place.ports[0] += placement->portOffset;
    }
    listed.emplace_back(place, std::move(name), placement);
  }
  std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  for (const auto& [place, name, placement] : listed) reader.AddDevice(name, place, placement);
}

// Calls `visit` with each component of `path` but the empty ones, "." and,
// unless `keepLeadingParents`, the ".." in front of all others, together with
// the offset where the component ends.
template <typename Visit>
void ForEachPathComponent(std::string_view path, bool keepLeadingParents, Visit&& visit) {
  bool leading = !keepLeadingParents;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    const std::string_view component = path.substr(at, end - at);
    if (!component.empty() && component != "." && !(leading && component == "..")) {
      leading = false;
      visit(component, end);
    }
    at = end + 1;
  }
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
  // Two passes over the components and no list of them: the first finds where
  // those after the last "devices" begin, the second joins them.
  std::size_t from = 0;
  bool afterDevices = false;
  ForEachPathComponent(target, false, [&](std::string_view component, std::size_t end) {
    if (component == "devices") from = end, afterDevices = true;
  });
  std::string path;
  path.reserve(target.size() - from);
  ForEachPathComponent(target.substr(from), afterDevices, [&](std::string_view component, std::size_t) {
    if (!path.empty()) path += '/';
    path += component;
  });
  return path;
}

}  // namespace kestro::sysfs

#include "records/sysfs/device_instance_ids.h"

#include <algorithm>

namespace kestro::pnp {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// `value` in uppercase hex, at least `digits` digits.
void AppendHex(std::string& out, std::uint32_t value, int digits) {
  // Filled from its end and appended in one piece.
  char text[8];
  int first = 8;
  do {
    text[--first] = kHexDigits[value & 0xF];
    value >>= 4;
  } while (value != 0 && first > 0);
  while (8 - first < digits) text[--first] = '0';
  out.append(text + first, static_cast<std::size_t>(8 - first));
}

std::size_t ComponentCount(std::string_view path) {
  return path.empty() ? 0 : static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')) + 1;
}

void AppendUsbIds(std::string& id, std::uint16_t vendorId, std::uint16_t productId) {
  id += "USB\\VID_";
  AppendHex(id, vendorId, 4);
  id += "&PID_";
  AppendHex(id, productId, 4);
}

// "<depth>&<hash>&0", the fields every stand-in starts with.
std::string StandInPrefix(std::size_t depth, std::string_view hashedPath) {
  std::string instance;
  AppendHex(instance, static_cast<std::uint32_t>(depth), 1);
  instance += '&';
  AppendHex(instance, Fnv1a32(hashedPath), 1);
  instance += "&0";
  return instance;
}

std::string StandIn(std::size_t depth, std::string_view hashedPath, std::string_view location) {
  std::string instance = StandInPrefix(depth, hashedPath);
  instance += '&';
  instance += location;
  return instance;
}

}  // namespace

std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
  if (text.size() < minDigits || text.size() > std::min<std::size_t>(maxDigits, 8)) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | digit;
  }
  return value;
}

std::string PciDeviceInstanceId(std::uint16_t vendorId, std::uint16_t deviceId, std::uint16_t subsystemVendorId,
                                std::uint16_t subsystemId, std::uint8_t revision, std::string_view instance) {
  std::string id = "PCI\\VEN_";
  AppendHex(id, vendorId, 4);
  id += "&DEV_";
  AppendHex(id, deviceId, 4);
  id += "&SUBSYS_";
  AppendHex(id, subsystemId, 4);
  AppendHex(id, subsystemVendorId, 4);
  id += "&REV_";
  AppendHex(id, revision, 2);
  id += '\\';
  id += instance;
  return id;
}

std::string UsbDeviceInstanceId(std::uint16_t vendorId, std::uint16_t productId, std::string_view instance) {
  std::string id;
  AppendUsbIds(id, vendorId, productId);
  id += '\\';
  id += instance;
  return id;
}

std::string UsbFunctionInstanceId(std::uint16_t vendorId, std::uint16_t productId, std::uint8_t function,
                                  std::string_view instance) {
  std::string id;
  AppendUsbIds(id, vendorId, productId);
  id += "&MI_";
  AppendHex(id, function, 2);
  id += '\\';
  id += instance;
  return id;
}

std::string RootHubInstanceId(RootHubKind kind, std::string_view instance) {
  std::string id = kind == RootHubKind::Usb30   ? "USB\\ROOT_HUB30\\"
                   : kind == RootHubKind::Usb20 ? "USB\\ROOT_HUB20\\"
                                                : "USB\\ROOT_HUB\\";
  id += instance;
  return id;
}

bool IsUsableSerial(std::string_view serial) {
  return !serial.empty() &&
         std::all_of(serial.begin(), serial.end(), [](char c) { return c >= 0x20 && c <= 0x7E && c != ','; });
}

std::string_view ParentPath(std::string_view devicePath) {
  const std::size_t slash = devicePath.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : devicePath.substr(0, slash);
}

std::string SerialInstance(std::string_view serial) {
  std::string instance(serial);
  for (char& c : instance) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return instance;
}

std::string GeneratedInstance(std::string_view devicePath, std::string_view location) {
  return GeneratedInstanceBelow(ParentPath(devicePath), location);
}

std::string GeneratedInstanceBelow(std::string_view parentPath, std::string_view location) {
  return StandIn(ComponentCount(parentPath) + 2, parentPath, location);
}

std::string GeneratedRootHubInstance(RootHubKind kind, std::string_view devicePath) {
  if (kind == RootHubKind::Usb30) return GeneratedInstance(devicePath, "0");
  return StandInPrefix(ComponentCount(devicePath) + 1, ParentPath(devicePath));
}

std::string GeneratedFunctionInstance(std::string_view devicePath, std::uint8_t function) {
  std::string location;
  AppendHex(location, function, 4);
  return StandIn(ComponentCount(devicePath) + 2, devicePath, location);
}

std::optional<PciAddress> ParsePciAddress(std::string_view name) {
  // dddd:bb:dd.f
  const std::size_t firstColon = name.find(':');
  if (firstColon == std::string_view::npos || name.size() != firstColon + 8 || name[firstColon + 3] != ':' ||
      name[firstColon + 6] != '.') {
    return std::nullopt;
  }
  const auto domain = ParseHex(name.substr(0, firstColon), 4, 8);
  const auto bus = ParseHex(name.substr(firstColon + 1, 2), 2, 2);
  const auto device = ParseHex(name.substr(firstColon + 4, 2), 2, 2);
  const auto function = ParseHex(name.substr(firstColon + 7, 1), 1, 1);
  if (!domain || !bus || !device || !function || *device > 0x1F || *function > 7) return std::nullopt;
  return PciAddress{*domain, static_cast<std::uint8_t>(*bus), static_cast<std::uint8_t>(*device),
                    static_cast<std::uint8_t>(*function)};
}

std::string PciLocation(std::string_view devicePath) {
  std::string location;
  std::string_view rest = devicePath;
  while (!rest.empty()) {
    const std::size_t slash = rest.rfind('/');
    const std::string_view component = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
    const std::optional<PciAddress> address = ParsePciAddress(component);
    if (!address) break;
    AppendHex(location, static_cast<std::uint32_t>(address->device * 8 + address->function), 2);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(0, slash);
  }
  return location;
}

std::uint32_t Fnv1a32(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

std::u16string PnpEntityObjectPath(std::u16string_view hostName, std::string_view deviceInstanceId) {
  // Sized once and written through a pointer: this runs for every device,
  // and appending unit by unit costs a capacity check each.
  constexpr std::u16string_view kHead = u"\\\\";
  constexpr std::u16string_view kMiddle = u"\\root\\cimv2:Win32_PnPEntity.DeviceID=\"";
  const auto escaped = static_cast<std::size_t>(
      std::count_if(deviceInstanceId.begin(), deviceInstanceId.end(), [](char c) { return c == '\\' || c == '"'; }));
  std::u16string path(kHead.size() + hostName.size() + kMiddle.size() + deviceInstanceId.size() + escaped + 1, u'\0');
  char16_t* out = std::copy(kHead.begin(), kHead.end(), path.data());
  for (char16_t c : hostName) *out++ = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
  out = std::copy(kMiddle.begin(), kMiddle.end(), out);
  for (char c : deviceInstanceId) {
    if (c == '\\' || c == '"') *out++ = u'\\';
    // Instance IDs are ASCII: the serials taken into them are checked.
    *out++ = static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  *out = u'"';
  return path;
}

}  // namespace kestro::pnp

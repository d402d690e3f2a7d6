#include "records/sysfs/usb_descriptors.h"

#include <algorithm>
#include <bitset>

namespace kestro::usb {
namespace {

constexpr std::uint8_t kDeviceType = 0x01;
constexpr std::uint8_t kConfigurationType = 0x02;
constexpr std::uint8_t kInterfaceType = 0x04;
constexpr std::uint8_t kInterfaceAssociationType = 0x0B;
constexpr std::size_t kDeviceDescriptorLength = 18;
constexpr std::size_t kConfigurationHeaderLength = 9;
constexpr std::size_t kInterfaceLength = 9;
constexpr std::size_t kInterfaceAssociationLength = 8;
constexpr std::uint8_t kAudioClass = 0x01;

// Bounds-checked little-endian reads over a byte span: a read beyond the end
// yields nothing instead of touching memory it does not own.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  bool Holds(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  std::uint8_t U8(std::size_t offset) const { return Holds(offset, 1) ? bytes_[offset] : 0; }
  std::uint16_t U16(std::size_t offset) const {
    return Holds(offset, 2) ? static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8)) : 0;
  }
  ByteReader Slice(std::size_t offset, std::size_t length) const {
    if (!Holds(offset, 0)) return ByteReader({});
    return ByteReader(bytes_.subspan(offset, std::min(length, bytes_.size() - offset)));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

ConfigurationInfo ReadConfiguration(const ByteReader& configuration) {
  ConfigurationInfo info;
  info.numInterfaces = configuration.U8(4);
  std::size_t offset = configuration.U8(0);
  while (configuration.Holds(offset, 2)) {
    const std::size_t length = configuration.U8(offset);
    const std::uint8_t type = configuration.U8(offset + 1);
    if (length < 2 || !configuration.Holds(offset, length)) break;
    if (type == kInterfaceType && length >= kInterfaceLength) {
      info.interfaces.push_back({configuration.U8(offset + 2), configuration.U8(offset + 3),
                                 configuration.U8(offset + 5), configuration.U8(offset + 6)});
    } else if (type == kInterfaceAssociationType && length >= kInterfaceAssociationLength) {
      info.associations.push_back({configuration.U8(offset + 2), configuration.U8(offset + 3)});
    }
    offset += length;
  }
  return info;
}

// Alternate setting 0 of each interface number, in descriptor order.
std::vector<InterfaceInfo> DefaultSettings(const std::vector<InterfaceInfo>& interfaces) {
  std::bitset<256> seen;
  std::vector<InterfaceInfo> settings;
  for (const InterfaceInfo& interface : interfaces) {
    if (interface.alternateSetting != 0 || seen.test(interface.number)) continue;
    seen.set(interface.number);
    settings.push_back(interface);
  }
  return settings;
}

std::uint8_t AssociatedFunction(const std::vector<InterfaceAssociation>& associations, std::uint8_t number) {
  for (const InterfaceAssociation& association : associations) {
    if (association.count != 0 && number >= association.first && number - association.first < association.count) {
      return association.first;
    }
  }
  return number;
}

}  // namespace

std::optional<Descriptors> ParseDescriptors(std::span<const std::uint8_t> bytes) {
  const ByteReader reader(bytes);
  if (!reader.Holds(0, kDeviceDescriptorLength) || reader.U8(0) != kDeviceDescriptorLength ||
      reader.U8(1) != kDeviceType) {
    return std::nullopt;
  }
  Descriptors descriptors;
  descriptors.device = {reader.U16(8), reader.U16(10), reader.U8(4), reader.U8(5), reader.U8(6), reader.U8(17)};
  const std::size_t at = kDeviceDescriptorLength;
  if (reader.Holds(at, kConfigurationHeaderLength) && reader.U8(at) >= kConfigurationHeaderLength &&
      reader.U8(at + 1) == kConfigurationType) {
    descriptors.firstConfiguration = ReadConfiguration(reader.Slice(at, reader.U16(at + 2)));
  }
  return descriptors;
}

bool IsCompositeDevice(const Descriptors& descriptors) {
  const DeviceDescriptor& device = descriptors.device;
  const bool interfaceDefined = device.deviceClass == 0x00;
  const bool associationsAnnounced =
      device.deviceClass == 0xEF && device.deviceSubClass == 0x02 && device.deviceProtocol == 0x01;
  return (interfaceDefined || associationsAnnounced) && device.numConfigurations == 1 &&
         descriptors.firstConfiguration && descriptors.firstConfiguration->numInterfaces > 1;
}

std::vector<std::uint8_t> FunctionFirstInterfaces(const ConfigurationInfo& configuration) {
  const std::vector<InterfaceInfo> interfaces = DefaultSettings(configuration.interfaces);
  std::bitset<256> functions;
  if (!configuration.associations.empty()) {
    for (const InterfaceInfo& interface : interfaces) {
      functions.set(AssociatedFunction(configuration.associations, interface.number));
    }
  } else {
    for (std::size_t i = 0; i < interfaces.size();) {
      const InterfaceInfo& first = interfaces[i];
      functions.set(first.number);
      ++i;
      if (first.interfaceClass != kAudioClass) continue;
      while (i < interfaces.size() && interfaces[i].interfaceClass == kAudioClass &&
             interfaces[i].interfaceSubClass != first.interfaceSubClass) {
        ++i;
      }
    }
  }
  std::vector<std::uint8_t> firstInterfaces;
  for (std::size_t number = 0; number < functions.size(); ++number) {
    if (functions.test(number)) firstInterfaces.push_back(static_cast<std::uint8_t>(number));
  }
  return firstInterfaces;
}

}  // namespace kestro::usb

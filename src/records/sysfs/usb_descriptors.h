#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What Windows needs from a USB device's descriptors to name the device and
// its functions, read from the bytes the kernel publishes in sysfs as
// `descriptors`: the 18-byte device descriptor, then each configuration
// descriptor with everything that belongs to it (interfaces, interface
// associations, endpoints, class-specific descriptors) as the device sent it.
namespace kestro::usb {

struct DeviceDescriptor {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint8_t deviceClass = 0;
  std::uint8_t deviceSubClass = 0;
  std::uint8_t deviceProtocol = 0;
  std::uint8_t numConfigurations = 0;
};

// An interface descriptor's numbers (alternate setting 0 unless it says so).
struct InterfaceInfo {
  std::uint8_t number = 0;
  std::uint8_t alternateSetting = 0;
  std::uint8_t interfaceClass = 0;
  std::uint8_t interfaceSubClass = 0;
};

// An interface association descriptor: `count` interfaces from `first` form
// one function.
struct InterfaceAssociation {
  std::uint8_t first = 0;
  std::uint8_t count = 0;
};

struct ConfigurationInfo {
  std::uint8_t numInterfaces = 0;                  // bNumInterfaces as the descriptor states it
  std::vector<InterfaceInfo> interfaces;           // in descriptor order, every alternate setting
  std::vector<InterfaceAssociation> associations;  // in descriptor order
};

struct Descriptors {
  DeviceDescriptor device;
  // The first configuration; nothing when the bytes hold none.
  std::optional<ConfigurationInfo> firstConfiguration;
};

// Reads `bytes` with every access bounds-checked. Nothing when they do not
// start with a device descriptor. A configuration that is cut short or holds
// a descriptor shorter than two bytes keeps what came before the fault, as
// the kernel's own parser does.
std::optional<Descriptors> ParseDescriptors(std::span<const std::uint8_t> bytes);

// Whether Windows loads its generic parent driver for the device and so
// gives each of its functions a child device: device class 00, or EF/02/01
// (interface associations announced), exactly one configuration, and more
// than one interface in it.
bool IsCompositeDevice(const Descriptors& descriptors);

// The functions of a composite device's configuration, each named by its
// first interface number, in ascending order, grouped as Windows groups them:
// - when the configuration has interface association descriptors, the
//   interfaces of each association form one function and every other
//   interface is a function of its own;
// - without them, the legacy audio rule: a run of adjacent audio-class (01)
//   interfaces whose subclass differs from the run's first one joins that
//   first interface (an audio control interface and its streaming
//   interfaces); every other interface is a function of its own.
// Only alternate setting 0 counts; an interface number counts once.
std::vector<std::uint8_t> FunctionFirstInterfaces(const ConfigurationInfo& configuration);

}  // namespace kestro::usb

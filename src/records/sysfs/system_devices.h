#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The machine's PCI and USB devices, read from sysfs and named by the device
// instance IDs Windows gives them.
namespace kestro::sysfs {

// Device instance IDs in listing order, packed into one buffer: a machine
// may hold very many devices, and a list of separate strings would cost an
// allocation each.
class DeviceIdList {
 public:
  void Add(std::string_view id);
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t index) const;

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

// Every device below `root` (a sysfs root such as "/sys"): first the PCI
// devices of bus/pci/devices by address, then the USB devices of
// bus/usb/devices (entries without a colon; those with one are interfaces)
// by bus number and port path, each composite device followed by one child
// per function. An xHCI controller's two buses are listed as one, as Windows
// shows them: one USB 3 root hub in the place of the first, then the devices
// of both by port, the USB 3 bus's root ports numbered after the USB 2 bus's.
// A missing bus directory means no such devices; a device that disappears
// while it is read is left out.
DeviceIdList ScanSystemDevices(const std::string& root);

// A USB device entry name as the kernel gives it: "usb<bus>" for a root hub,
// "<bus>-<port>[.<port>...]" for the device at that port path.
struct UsbDeviceName {
  static constexpr std::size_t kMaxPorts = 8;

  std::uint32_t bus = 0;
  std::array<std::uint32_t, kMaxPorts> ports{};  // from 1; 0 fills the places behind the last
  std::uint8_t depth = 0;                        // the number of ports; 0 for a root hub

  // Bus first, then the ports one by one, numerically: a hub comes before
  // the devices behind it, and port 10 after port 9.
  auto operator<=>(const UsbDeviceName&) const = default;
};
std::optional<UsbDeviceName> ParseUsbDeviceName(std::string_view name);

// The device path below "devices/" that a bus entry's link `target` points
// to ("../../../devices/pci0000:00/0000:00:14.0" gives
// "pci0000:00/0000:00:14.0"): what follows its last "devices" component, or
// the target without its leading ".." components when it has none.
std::string DevicePathFromLink(std::string_view target);

}  // namespace kestro::sysfs

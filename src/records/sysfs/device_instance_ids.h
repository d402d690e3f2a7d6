#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Device instance IDs formed as Windows forms them for PCI and USB devices,
// and the WMI object path that names such a device.
//
// The instance part (behind the last backslash) is a USB device's serial
// number when it has a usable one, its ASCII letters in upper case. Otherwise
// Windows makes one up from the device's place in the device tree,
// "<n>&<hash>&<m>&<location>", and Windows' hash cannot be recomputed here.
// The stand-in has the same shape and the same properties, derived from the
// device's sysfs path below "devices/" (its place in the kernel's device
// tree):
// - <n>: the depth of the device in that tree (the number of components of
//   its path) plus one, in uppercase hex: a device on the root PCI bus gets 3,
//   a root hub on its USB controller 4, a device on that root hub 5 and an
//   interface of that device 6, as on Windows.
// - <hash>: FNV-1a (32 bit) of the parent device's path, in uppercase hex
//   without leading zeros, as Windows writes its own. Siblings share it, as
//   on Windows, where it is a hash of the parent's ID; devices on the root
//   PCI bus share it across machines.
// - <m>: always 0.
// - <location>: for a PCI device its device and function number (device * 8
//   + function) as two hex digits, followed by those of each PCI bridge above
//   it up to the root bus ("A0"; "0008" behind the bridge at 00:01.0); for a
//   USB device the number of its port on the parent hub, in decimal; 0 for a
//   USB 3 root hub, none at all (three fields) for the other root hubs; for a
//   function of a composite device its first interface number as four hex
//   digits ("0002").
// The stand-in is stable from run to run as long as the device stays where it
// is, which is what Windows' own IDs promise.
namespace kestro::pnp {

// "PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssvvvv&REV_rr\<instance>": SUBSYS is the
// subsystem device id followed by the subsystem vendor id.
std::string PciDeviceInstanceId(std::uint16_t vendorId, std::uint16_t deviceId, std::uint16_t subsystemVendorId,
                                std::uint16_t subsystemId, std::uint8_t revision, std::string_view instance);

// A root hub by the controller it belongs to: USB 1.1 (UHCI, OHCI), EHCI, or
// xHCI, which Windows shows as one USB 3 root hub for all of its ports.
enum class RootHubKind { Usb11, Usb20, Usb30 };

// "USB\VID_vvvv&PID_pppp\<instance>", or with "&MI_zz" behind the product id
// for the function whose first interface is `function` of a composite device.
std::string UsbDeviceInstanceId(std::uint16_t vendorId, std::uint16_t productId, std::string_view instance);
std::string UsbFunctionInstanceId(std::uint16_t vendorId, std::uint16_t productId, std::uint8_t function,
                                  std::string_view instance);
// "USB\ROOT_HUB\<instance>", "USB\ROOT_HUB20\<instance>" or
// "USB\ROOT_HUB30\<instance>".
std::string RootHubInstanceId(RootHubKind kind, std::string_view instance);

// Whether Windows takes `serial` (a USB serial number string as sysfs gives
// it, without its newline) as the instance part: non-empty, printable ASCII
// only (20h to 7Eh), no comma.
bool IsUsableSerial(std::string_view serial);

// A usable serial as the instance part: its ASCII letters in upper case.
std::string SerialInstance(std::string_view serial);

// The stand-in "<n>&<hash>&0&<location>" for a device whose sysfs path below
// "devices/" is `devicePath`, with `location` as described above.
std::string GeneratedInstance(std::string_view devicePath, std::string_view location);

// The same for a device whose parent in Windows' tree is the device at
// `parentPath`, which need not be its parent in the kernel's tree (the two
// root hubs of an xHCI controller are one on Windows).
std::string GeneratedInstanceBelow(std::string_view parentPath, std::string_view location);

// The stand-in for the root hub at `devicePath`: with location 0 for a USB 3
// root hub, without a location for the others.
std::string GeneratedRootHubInstance(RootHubKind kind, std::string_view devicePath);

// The stand-in for a function of the composite device at `devicePath`: one
// level deeper, the composite device's own path hashed, and the interface
// number as four hex digits.
std::string GeneratedFunctionInstance(std::string_view devicePath, std::uint8_t function);

// The path of a device's parent: `devicePath` without its last component.
std::string_view ParentPath(std::string_view devicePath);

// A PCI function's address as the kernel names it: "dddd:bb:dd.f", domain
// in four or more hex digits (lower case as the kernel writes it, or upper).
struct PciAddress {
  std::uint32_t domain = 0;
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint8_t function = 0;

  auto operator<=>(const PciAddress&) const = default;
};
std::optional<PciAddress> ParsePciAddress(std::string_view name);

// The location of a PCI device at `devicePath`: its device and function
// number, then those of the bridges above it, two hex digits each. Path
// components that are not PCI addresses end the chain.
std::string PciLocation(std::string_view devicePath);

// The value of `text` read as hex digits of either case, `minDigits` to
// `maxDigits` of them (at most 8) and nothing else.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t minDigits = 1, std::size_t maxDigits = 8);

// FNV-1a, 32 bit, of `text`.
std::uint32_t Fnv1a32(std::string_view text);

// `\\HOST\root\cimv2:Win32_PnPEntity.DeviceID="<id>"`: HOST is `hostName` with
// its ASCII letters in upper case; inside the quotes every backslash of
// `deviceInstanceId` is doubled and a quotation mark gets a backslash in
// front, as WMI writes a key value.
std::u16string PnpEntityObjectPath(std::u16string_view hostName, std::string_view deviceInstanceId);

}  // namespace kestro::pnp

#pragma once

#include <string>

#include "wmi/record_source.h"

namespace kestro {

// The records on Linux, read from sysfs below `root` ("/sys" on a machine, a
// fixture folder in tests) and shaped as WMI gives them on Windows:
//   root\WMI   MSSmBios_RawSMBiosTables  SMBiosData: firmware/dmi/tables/DMI
//   root\CIMV2 Win32_ComputerSystem      Manufacturer, Model: class/dmi/id
//              Win32_BaseBoard           Product: class/dmi/id/board_name
//              Win32_SystemDevices       PartComponent: PCI and USB devices
class SysfsSource : public RecordSource {
 public:
  explicit SysfsSource(std::string root) : root_(std::move(root)) {}
  std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) override;

 private:
  std::string root_;
};

}  // namespace kestro

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "records/sysfs/system_devices.h"
#include "records/record_source.h"

namespace kestro {

// The records on Linux, read from sysfs below `root` ("/sys" on a machine, a
// fixture folder in tests) and shaped as WMI gives them on Windows:
//   root\WMI   MSSmBios_RawSMBiosTables  SMBiosData: firmware/dmi/tables/DMI
//   root\CIMV2 Win32_ComputerSystem      Manufacturer, Model: class/dmi/id
//              Win32_BaseBoard           Product: class/dmi/id/board_name
//              Win32_SystemDevices       PartComponent: PCI and USB devices
// Every query reads sysfs afresh, except the device list: it is scanned on
// the first Win32_SystemDevices query and kept for the source's life, so the
// presence scan and the [PNP] listing see the same devices and a large
// machine is scanned once.
class SysfsSource : public RecordSource {
 public:
  // `hostName` names the machine in the device object paths (upper-cased
  // there, as Windows writes the computer name).
  SysfsSource(std::string root, std::string hostName);
  std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) override;

  const std::string& root() const { return root_; }
  const std::u16string& hostName() const { return hostName_; }
  const sysfs::DeviceIdList& SystemDevices();
  // The object path of each device of that list, in its order.
  const std::vector<std::u16string>& SystemDeviceObjectPaths();

 private:
  std::string root_;
  std::u16string hostName_;
  std::unique_ptr<sysfs::DeviceIdList> devices_;
  std::unique_ptr<std::vector<std::u16string>> objectPaths_;
};

// This machine's host name (gethostname).
std::string LocalHostName();

}  // namespace kestro

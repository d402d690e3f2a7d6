#include "records/sysfs/device_instance_ids.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "core/text.h"
#include "test_support.h"

namespace kestro::pnp {
namespace {

TEST(DeviceInstanceIds, FormsTheIdsOfRealWindowsDevices) {
  // Each expected ID is a real one (testdata/pnp, sources S3, S12, S14, S2, S6)
  // rebuilt from its parts.
  EXPECT_EQ(PciDeviceInstanceId(0x8086, 0xA36D, 0x1458, 0x5007, 0x10, "3&11583659&0&A0"),
            "PCI\\VEN_8086&DEV_A36D&SUBSYS_50071458&REV_10\\3&11583659&0&A0");
  EXPECT_EQ(PciDeviceInstanceId(0x1002, 0x67DF, 0x1458, 0x22F7, 0xEF, "4&1fc990d7&0&0019"),
            "PCI\\VEN_1002&DEV_67DF&SUBSYS_22F71458&REV_EF\\4&1fc990d7&0&0019");
  EXPECT_EQ(UsbDeviceInstanceId(0x046D, 0xC24E, "9025267AF90009"), "USB\\VID_046D&PID_C24E\\9025267AF90009");
  EXPECT_EQ(UsbFunctionInstanceId(0x046D, 0xC24E, 0, "6&32C8ADE7&0&0000"),
            "USB\\VID_046D&PID_C24E&MI_00\\6&32C8ADE7&0&0000");
  EXPECT_EQ(UsbFunctionInstanceId(0x2516, 0x003C, 2, "8&7432F63&0&0002"),
            "USB\\VID_2516&PID_003C&MI_02\\8&7432F63&0&0002");
  EXPECT_EQ(RootHubInstanceId(RootHubKind::Usb30, "4&5CDA812&0&0"), "USB\\ROOT_HUB30\\4&5CDA812&0&0");
  EXPECT_EQ(RootHubInstanceId(RootHubKind::Usb20, "4&5854A60&0"), "USB\\ROOT_HUB20\\4&5854A60&0");
  EXPECT_EQ(RootHubInstanceId(RootHubKind::Usb11, "4&2098E145&0"), "USB\\ROOT_HUB\\4&2098E145&0");
  // Hex digits are upper case and padded; an interface number above 9 is hex.
  EXPECT_EQ(UsbFunctionInstanceId(0x0c45, 0x62c0, 0x1A, "x"), "USB\\VID_0C45&PID_62C0&MI_1A\\x");
  EXPECT_EQ(PciDeviceInstanceId(0x1, 0x2, 0x3, 0x4, 0x5, "y"), "PCI\\VEN_0001&DEV_0002&SUBSYS_00040003&REV_05\\y");
}

TEST(DeviceInstanceIds, UsableSerials) {
  const std::pair<const char*, bool> cases[] = {
      {"9025267AF90009", true},
      {"acbe018d4e0a9186bc114bb97d5f0821ee2cfb4f", true},
      {"MSFT30323031313944343033303430", true},
      {"AB 12", true},               // a space is printable
      {"~!\"#\\", true},             // so are the punctuation marks but the comma
      {"", false},                   // nothing to name the device by
      {"1,0", false},                // a comma
      {"AB\x7F", false},             // DEL
      {"A\tB", false},               // a control character
      {"\xC3\xA9t\xC3\xA9", false},  // "été" in UTF-8: not ASCII
  };
  for (const auto& [serial, usable] : cases) EXPECT_EQ(IsUsableSerial(serial), usable) << serial;
}

TEST(DeviceInstanceIds, SerialsBecomeInstancesInUpperCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"2d312ff4bb1927af", "2D312FF4BB1927AF"},  // as Windows names that device
      {"9025267AF90009", "9025267AF90009"},
      {"ab~z{|}`@[", "AB~Z{|}`@["},  // only the letters change
  };
  for (const auto& [serial, instance] : cases) EXPECT_EQ(SerialInstance(serial), instance);
}

TEST(DeviceInstanceIds, Fnv1aTestVectors) {
  EXPECT_EQ(Fnv1a32(""), 0x811C9DC5u);
  EXPECT_EQ(Fnv1a32("a"), 0xE40C292Cu);
  EXPECT_EQ(Fnv1a32("foobar"), 0xBF9CF968u);
}

std::string Hash(std::string_view text) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%X", Fnv1a32(text));
  return hex;
}

TEST(DeviceInstanceIds, StandInsTakeDepthParentAndLocation) {
  // A device on the root PCI bus: depth 3, the host bridge's path hashed.
  EXPECT_EQ(GeneratedInstance("pci0000:00/0000:00:14.0", "A0"), "3&" + Hash("pci0000:00") + "&0&A0");
  // A root hub on it, and a device on the root hub.
  EXPECT_EQ(GeneratedInstance("pci0000:00/0000:00:14.0/usb1", "0"), "4&" + Hash("pci0000:00/0000:00:14.0") + "&0&0");
  EXPECT_EQ(GeneratedInstance("pci0000:00/0000:00:14.0/usb1/1-8", "8"),
            "5&" + Hash("pci0000:00/0000:00:14.0/usb1") + "&0&8");
  // A function of that device: one deeper, the device's own path hashed.
  EXPECT_EQ(GeneratedFunctionInstance("pci0000:00/0000:00:14.0/usb1/1-8", 2),
            "6&" + Hash("pci0000:00/0000:00:14.0/usb1/1-8") + "&0&0002");
  // The depth is hex, as in the real "C&115B6A5E&0&3".
  EXPECT_EQ(GeneratedInstance("a/b/c/d/e/f/g/h/i/j/k", "3").substr(0, 2), "C&");
  // The hash has no leading zeros, as in the real "4&78CD1A&0".
  EXPECT_EQ(GeneratedInstance("p427/x", "1"), "3&483E1A&0&1");
  // Below a parent named apart from the path: the parent's depth and hash.
  EXPECT_EQ(GeneratedInstanceBelow("pci0000:00/0000:00:14.0/usb1", "20"),
            "5&" + Hash("pci0000:00/0000:00:14.0/usb1") + "&0&20");
  // Root hubs: four fields for USB 3, three for the others.
  const std::string xhci = Hash("pci0000:00/0000:00:14.0");
  EXPECT_EQ(GeneratedRootHubInstance(RootHubKind::Usb30, "pci0000:00/0000:00:14.0/usb1"), "4&" + xhci + "&0&0");
  EXPECT_EQ(GeneratedRootHubInstance(RootHubKind::Usb20, "pci0000:00/0000:00:14.0/usb1"), "4&" + xhci + "&0");
  EXPECT_EQ(GeneratedRootHubInstance(RootHubKind::Usb11, "pci0000:00/0000:00:14.0/usb1"), "4&" + xhci + "&0");
}

TEST(DeviceInstanceIds, PciLocationIsTheChainOfDeviceAndFunctionNumbers) {
  EXPECT_EQ(PciLocation("pci0000:00/0000:00:14.0"), "A0");
  EXPECT_EQ(PciLocation("pci0000:00/0000:00:1f.6"), "FE");
  // Behind the bridge at 00:03.1, as the real "4&1fc990d7&0&0019".
  EXPECT_EQ(PciLocation("pci0000:00/0000:00:03.1/0000:0a:00.0"), "0019");
  EXPECT_EQ(PciLocation("pci0000:00/0000:00:1c.4/0000:03:00.0/0000:04:02.0/0000:39:00.0"), "001000E4");
  // A component that is no PCI address ends the chain.
  EXPECT_EQ(PciLocation("LNXSYSTM:00/VMBUS:00/pci1234:00/1234:00:00.0"), "00");
  EXPECT_EQ(PciLocation("platform/soc"), "");
}

TEST(DeviceInstanceIds, PciAddresses) {
  EXPECT_EQ(ParsePciAddress("0000:00:14.0"), (PciAddress{0, 0, 0x14, 0}));
  EXPECT_EQ(ParsePciAddress("0000:3a:1f.7"), (PciAddress{0, 0x3A, 0x1F, 7}));
  EXPECT_EQ(ParsePciAddress("10000:e1:00.0"), (PciAddress{0x10000, 0xE1, 0, 0}));
  for (const char* bad : {"", "pci0000:00", "0000:00:14", "0000:00:14.8", "0000:00:20.0", "000:00:14.0", "0000:0:14.0",
                          "0000:00:14.0x", "0000-00-14.0", "usb1", "000000000:00:00.0"}) {
    EXPECT_FALSE(ParsePciAddress(bad)) << bad;
  }
  EXPECT_LT(*ParsePciAddress("ffff:ff:1f.7"), *ParsePciAddress("10000:00:00.0"));
}

TEST(DeviceInstanceIds, ObjectPathDoublesBackslashesAndEscapesQuotes) {
  EXPECT_EQ(PnpEntityObjectPath(u"desktop-p0mp18k", "USB\\VID_0781&PID_5591\\0501F3"),
            u"\\\\DESKTOP-P0MP18K\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\VID_0781&PID_5591\\\\0501F3\"");
  EXPECT_EQ(PnpEntityObjectPath(u"h", "USB\\VID_1234&PID_0002\\A\"B\\C"),
            u"\\\\H\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\VID_1234&PID_0002\\\\A\\\"B\\\\C\"");
}

// The real object paths of testdata/pnp: each Win32_PnPEntity path is rebuilt
// exactly from its host and its device instance ID.
TEST(DeviceInstanceIds, ObjectPathsMatchRealOnes) {
  std::ifstream samples(testing::SharedTestData("pnp/partcomponent-samples.txt"));
  if (!samples) GTEST_SKIP() << "../shared/testdata is not here";
  const std::regex objectPath(R"re(^\\\\([^\\]+)\\root\\cimv2:Win32_PnPEntity\.DeviceID="(.*)"$)re");
  int checked = 0;
  for (std::string line; std::getline(samples, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, objectPath)) continue;
    const std::string id = std::regex_replace(match[2].str(), std::regex(R"(\\\\)"), "\\");
    EXPECT_EQ(ToUtf8(PnpEntityObjectPath(FromUtf8(match[1].str()), id)), line);
    ++checked;
  }
  EXPECT_GE(checked, 2);
}

}  // namespace
}  // namespace kestro::pnp

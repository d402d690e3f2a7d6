#include "records/sysfs/sysfs_source.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "core/windows1252.h"
#include "run/run.h"
#include "platform/ansi_code_page.h"
#include "core/error.h"
#include "core/report_text.h"
#include "core/text.h"
#include "profile/profile.h"
#include "test_support.h"
#include "records/sysfs/device_instance_ids.h"

namespace kestro {
namespace {

using testing::SysfsTree;

constexpr char kHost[] = "kestro-test";
constexpr char16_t kPathPrefix[] = u"\\\\KESTRO-TEST\\root\\cimv2:Win32_PnPEntity.DeviceID=\"";

std::vector<PropertyValue> Values(SysfsSource& source, std::u16string_view nameSpace, std::u16string_view className,
                                  std::u16string_view property) {
  std::vector<PropertyValue> values;
  ForEachRecord(source, nameSpace, className, [&](const Record& record) { values.push_back(record.Get(property)); });
  return values;
}

// The device instance IDs of `machine`, taken back out of the object paths.
std::vector<std::string> DeviceIds(const std::string& machine) {
  SysfsSource source(SysfsTree(machine), kHost);
  std::vector<std::string> ids;
  for (PropertyValue& value : Values(source, kCimv2Namespace, u"Win32_SystemDevices", u"PartComponent")) {
    const std::u16string path = std::get<std::u16string>(value);
    EXPECT_TRUE(path.starts_with(kPathPrefix) && path.ends_with(u"\"")) << ToUtf8(path);
    std::string id;
    const std::string escaped = ToUtf8(std::u16string_view(path).substr(std::u16string_view(kPathPrefix).size()));
    for (std::size_t i = 0; i + 1 < escaped.size(); ++i) {
      if (escaped[i] == '\\') ++i;  // \\ and \" stand for one character
      id += escaped[i];
    }
    ids.push_back(id);
  }
  return ids;
}

// Matches `ids` against `patterns` one by one. A "{name}" in a pattern stands
// for a stand-in's hash, hex digits without leading zeros: the same name must
// be the same hash wherever it occurs (siblings), different names different
// hashes.
void ExpectIds(const std::vector<std::string>& ids, const std::vector<std::string>& patterns) {
  ASSERT_EQ(ids.size(), patterns.size()) << ::testing::PrintToString(ids);
  std::map<std::string, std::string> named;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    std::string regex;
    std::vector<std::string> names;
    for (std::size_t at = 0; at < patterns[i].size(); ++at) {
      const char c = patterns[i][at];
      if (c == '{') {
        const std::size_t end = patterns[i].find('}', at);
        names.push_back(patterns[i].substr(at + 1, end - at - 1));
        regex += "([1-9A-F][0-9A-F]{0,7}|0)";
        at = end;
      } else {
        if (std::string("\\.^$|()[]*+?").find(c) != std::string::npos) regex += '\\';
        regex += c;
      }
    }
    std::smatch match;
    ASSERT_TRUE(std::regex_match(ids[i], match, std::regex(regex)))
        << "device " << i << ": " << ids[i] << "\n   expected " << patterns[i];
    for (std::size_t n = 0; n < names.size(); ++n) {
      const auto [entry, fresh] = named.emplace(names[n], match[n + 1].str());
      EXPECT_TRUE(fresh || entry->second == match[n + 1].str()) << "hash " << names[n] << " differs at " << ids[i];
    }
  }
  // Different names, different parents: different hashes.
  std::set<std::string> distinct;
  for (const auto& [name, hash] : named) distinct.insert(hash);
  EXPECT_EQ(distinct.size(), named.size());
}

TEST(SysfsSource, DevicesOfALaptop) {
  ExpectIds(DeviceIds("thinkpad-t480s"), {
                                             R"(PCI\VEN_8086&DEV_5914&SUBSYS_225D17AA&REV_08\3&{root}&0&00)",
                                             R"(PCI\VEN_8086&DEV_5917&SUBSYS_225D17AA&REV_07\3&{root}&0&10)",
                                             R"(PCI\VEN_8086&DEV_1911&SUBSYS_225D17AA&REV_00\3&{root}&0&40)",
                                             R"(PCI\VEN_8086&DEV_9D2F&SUBSYS_225D17AA&REV_21\3&{root}&0&A0)",
                                             R"(PCI\VEN_8086&DEV_9D31&SUBSYS_225D17AA&REV_21\3&{root}&0&A2)",
                                             R"(PCI\VEN_8086&DEV_9D3A&SUBSYS_225D17AA&REV_21\3&{root}&0&B0)",
                                             R"(PCI\VEN_8086&DEV_9D10&SUBSYS_225D17AA&REV_F1\3&{root}&0&E0)",
                                             R"(PCI\VEN_8086&DEV_9D16&SUBSYS_225D17AA&REV_F1\3&{root}&0&E6)",
                                             R"(PCI\VEN_8086&DEV_9D18&SUBSYS_225D17AA&REV_F1\3&{root}&0&E8)",
                                             R"(PCI\VEN_8086&DEV_9D4E&SUBSYS_225D17AA&REV_21\3&{root}&0&F8)",
                                             R"(PCI\VEN_8086&DEV_9D21&SUBSYS_225D17AA&REV_21\3&{root}&0&FA)",
                                             R"(PCI\VEN_8086&DEV_9D71&SUBSYS_225D17AA&REV_21\3&{root}&0&FB)",
                                             R"(PCI\VEN_8086&DEV_9D23&SUBSYS_225D17AA&REV_21\3&{root}&0&FC)",
                                             R"(PCI\VEN_8086&DEV_15D7&SUBSYS_225D17AA&REV_21\3&{root}&0&FE)",
                                             R"(PCI\VEN_10EC&DEV_525A&SUBSYS_225D17AA&REV_01\4&{port1c0}&0&00E0)",
                                             R"(PCI\VEN_8086&DEV_24FD&SUBSYS_00108086&REV_78\4&{port1c6}&0&00E6)",
                                             R"(PCI\VEN_144D&DEV_A808&SUBSYS_A801144D&REV_00\4&{port1d0}&0&00E8)",
                                             R"(USB\ROOT_HUB30\4&{xhci}&0&0)",
                                             R"(USB\VID_0EEF&PID_0001\5&{hub1}&0&2)",
                                             R"(USB\VID_FFF0&PID_E005\356342096012745)",
                                             R"(USB\VID_FFF0&PID_E005&MI_00\6&{wwan}&0&0000)",
                                             R"(USB\VID_FFF0&PID_E005&MI_02\6&{wwan}&0&0002)",
                                             R"(USB\VID_FFF0&PID_E005&MI_03\6&{wwan}&0&0003)",
                                             R"(USB\VID_FFF0&PID_E005&MI_08\6&{wwan}&0&0008)",
                                             R"(USB\VID_FFF0&PID_E005&MI_0A\6&{wwan}&0&000A)",
                                             R"(USB\VID_FFF0&PID_E001\5&{hub1}&0&7)",
                                             R"(USB\VID_0C45&PID_62C0\5&{hub1}&0&8)",
                                             R"(USB\VID_0C45&PID_62C0&MI_00\6&{camera}&0&0000)",
                                             R"(USB\VID_0C45&PID_62C0&MI_02\6&{camera}&0&0002)",
                                             R"(USB\VID_08FF&PID_1600\5&{hub1}&0&9)",
                                             R"(USB\VID_0781&PID_5583\4C530001230815109583)",
                                         });
}

TEST(SysfsSource, DevicesInOrderOfAddressAndPortPath) {
  ExpectIds(DeviceIds("edge-cases"), {
                                         R"(PCI\VEN_8086&DEV_1237&SUBSYS_00000000&REV_02\3&{root0}&0&00)",
                                         R"(PCI\VEN_8086&DEV_7020&SUBSYS_11001AF4&REV_01\3&{root0}&0&20)",
                                         // No revision attribute: the revision comes from the config file.
                                         R"(PCI\VEN_8086&DEV_7020&SUBSYS_11001AF4&REV_01\3&{root0}&0&FF)",
                                         R"(PCI\VEN_1022&DEV_1480&SUBSYS_00000000&REV_00\3&{root1}&0&00)",
                                         R"(PCI\VEN_8086&DEV_09AB&SUBSYS_0A381028&REV_00\3&{root10000}&0&00)",
                                         R"(USB\ROOT_HUB30\4&{xhci}&0&0)",
                                         R"(USB\VID_05E3&PID_0608\5&{bus1}&0&1)",
                                         R"(USB\VID_05E3&PID_0608\6&{hub1-1}&0&2)",
                                         // Stated three interfaces, described two: composite, two functions.
                                         R"(USB\VID_046D&PID_C52B\7&{hub1-1.2}&0&3)",
                                         R"(USB\VID_046D&PID_C52B&MI_00\8&{receiver}&0&0000)",
                                         R"(USB\VID_046D&PID_C52B&MI_01\8&{receiver}&0&0001)",
                                         R"(USB\VID_1234&PID_0001\6&{hub1-1}&0&10)",
                                         R"(USB\VID_1234&PID_0002\A"B\C)",
                                         R"(USB\VID_1234&PID_0003\5&{bus1}&0&3)",
                                         R"(USB\VID_1234&PID_0004\5&{bus1}&0&4)",
                                         R"(USB\VID_1234&PID_0005\5&{bus1}&0&5)",
                                         R"(USB\VID_1234&PID_0006\5&{bus1}&0&6)",
                                         R"(USB\VID_1234&PID_0007\5&{bus1}&0&7)",
                                         R"(USB\VID_1234&PID_0007&MI_00\6&{one}&0&0000)",
                                         R"(USB\VID_1234&PID_0008\AB 12)",
                                         R"(USB\VID_1234&PID_0008&MI_10\6&{sixteen}&0&0010)",
                                         R"(USB\VID_1234&PID_0008&MI_11\6&{sixteen}&0&0011)",
                                         R"(USB\VID_1234&PID_0009\5&{bus1}&0&9)",
                                         R"(USB\VID_1234&PID_0009&MI_00\6&{audio}&0&0000)",
                                         R"(USB\VID_1234&PID_0009&MI_02\6&{audio}&0&0002)",
                                         R"(USB\VID_1234&PID_0009&MI_04\6&{audio}&0&0004)",
                                         R"(USB\VID_1234&PID_000B\5&{bus1}&0&11)",
                                         R"(USB\VID_0C45&PID_62C0\5&{bus1}&0&13)",
                                         R"(USB\VID_0BDA&PID_8153\000001)",
                                         R"(USB\VID_0BDA&PID_8153&MI_00\6&{ethernet}&0&0000)",
                                         R"(USB\VID_0BDA&PID_8153&MI_02\6&{ethernet}&0&0002)",
                                     });
}

// Root hubs by their controller's kind; an xHCI controller's two buses as
// one, the USB 3 bus's root ports after the USB 2 bus's 16 (as in the real
// "5&376ABA2D&0&21").
TEST(SysfsSource, RootHubsAsWindowsShowsThem) {
  ExpectIds(DeviceIds("usb-host-controllers"), {
                                                   R"(PCI\VEN_8086&DEV_A36D&SUBSYS_50071458&REV_10\3&{root}&0&A0)",
                                                   R"(PCI\VEN_8086&DEV_3B3C&SUBSYS_216317AA&REV_06\3&{root}&0&D0)",
                                                   R"(PCI\VEN_1002&DEV_4397&SUBSYS_50041458&REV_00\3&{root}&0&D1)",
                                                   R"(PCI\VEN_8086&DEV_2934&SUBSYS_20F017AA&REV_03\3&{root}&0&E8)",
                                                   R"(PCI\VEN_1912&DEV_0014&SUBSYS_00141912&REV_03\3&{root}&0&F0)",
                                                   R"(USB\ROOT_HUB30\4&{xhci}&0&0)",
                                                   R"(USB\VID_2207&PID_0018\2D312FF4BB1927AF)",
                                                   R"(USB\VID_0A5C&PID_4500\5&{bus1}&0&11)",
                                                   R"(USB\VID_048D&PID_8297\5&{bus1}&0&13)",
                                                   R"(USB\VID_05E3&PID_0616\5&{bus1}&0&20)",
                                                   R"(USB\VID_0781&PID_5583\6&{hub2-4}&0&1)",
                                                   R"(USB\ROOT_HUB20\4&{ehci}&0)",
                                                   R"(USB\VID_8087&PID_0020\5&{bus3}&0&1)",
                                                   R"(USB\ROOT_HUB\4&{ohci}&0)",
                                                   R"(USB\ROOT_HUB\4&{uhci}&0)",
                                                   R"(USB\ROOT_HUB30\4&{xhciUsb2Only}&0&0)",
                                                   R"(USB\VID_046D&PID_C077\5&{bus6}&0&1)",
                                                   R"(USB\ROOT_HUB30\4&{byDriver}&0&0)",
                                                   R"(USB\ROOT_HUB30\4&{byManufacturer}&0&0)",
                                                   R"(USB\ROOT_HUB30\4&{bySibling}&0&0)",
                                                   R"(USB\VID_046D&PID_C077\5&{bus9}&0&3)",
                                                   R"(USB\VID_0781&PID_5583\5&{bus9}&0&4)",
                                                   R"(USB\ROOT_HUB20\4&{ehciPlatform}&0)",
                                                   R"(USB\ROOT_HUB20\4&{musb}&0)",
                                               });
}

// One function per case; 05.0 and 06.0 have a pair in neither source.
TEST(SysfsSource, PciIdsFromTheUeventFileOrTheIdAttributes) {
  ExpectIds(DeviceIds("pci-ids-from-attributes"),
            {
                R"(PCI\VEN_8086&DEV_0001&SUBSYS_200117AA&REV_01\3&{root}&0&08)",  // uevent without PCI_ID
                R"(PCI\VEN_8086&DEV_0002&SUBSYS_200217AA&REV_02\3&{root}&0&10)",  // without PCI_SUBSYS_ID
                R"(PCI\VEN_8086&DEV_0003&SUBSYS_200317AA&REV_03\3&{root}&0&18)",  // without both
                R"(PCI\VEN_8086&DEV_0004&SUBSYS_200417AA&REV_04\3&{root}&0&20)",  // no id attributes
            });
}

TEST(SysfsSource, ObjectPathsEscapeTheSerial) {
  SysfsSource source(SysfsTree("edge-cases"), kHost);
  const std::vector<PropertyValue> paths = Values(source, kCimv2Namespace, u"Win32_SystemDevices", u"PartComponent");
  ASSERT_GT(paths.size(), 12u);
  EXPECT_EQ(std::get<std::u16string>(paths[12]),
            u"\\\\KESTRO-TEST\\root\\cimv2:Win32_PnPEntity.DeviceID=\"USB\\\\VID_1234&PID_0002\\\\A\\\"B\\\\C\"");
}

TEST(SysfsSource, NoBusesNoDevices) {
  EXPECT_TRUE(DeviceIds("dmi-unreadable").empty());
  // Hyper-V: PCI devices only, no bus/usb at all.
  EXPECT_EQ(DeviceIds("hyperv-vm-broken").size(), 5u);
}

TEST(SysfsSource, TheDeviceListIsScannedOnceAndServesEveryQuery) {
  SysfsSource source(SysfsTree("thinkpad-t480s"), kHost);
  const auto first = Values(source, kCimv2Namespace, u"Win32_SystemDevices", u"PartComponent");
  const sysfs::DeviceIdList* list = &source.SystemDevices();
  const auto second = Values(source, u"ROOT\\cimv2", u"win32_systemdevices", u"partcomponent");
  EXPECT_EQ(first, second);
  EXPECT_EQ(list, &source.SystemDevices());
}

TEST(SysfsSource, DeviceRecordsHaveOnlyPartComponent) {
  SysfsSource source(SysfsTree("no-dmi"), kHost);
  auto connection = source.Connect(kCimv2Namespace);
  auto records = connection->ExecQuery(u"Select * From Win32_SystemDevices");
  auto record = records->Next();
  ASSERT_TRUE(record);
  try {
    record->Get(u"GroupComponent");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::PropertyMissing));
  }
}

TEST(SysfsSource, RawTableIsTheDmiFile) {
  SysfsSource source(SysfsTree("thinkpad-t480s"), kHost);
  const std::vector<PropertyValue> tables = Values(source, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData");
  ASSERT_EQ(tables.size(), 1u);
  const std::string expected = testing::ReadFile(testing::FixturePath("smbios/lenovo-thinkpad-t480s.bin"));
  EXPECT_EQ(std::get<Bytes>(tables[0]), Bytes(expected.begin(), expected.end()));
}

TEST(SysfsSource, NoDmiFileNoTableRecord) {
  SysfsSource source(SysfsTree("no-dmi"), kHost);
  EXPECT_TRUE(Values(source, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData").empty());
}

TEST(SysfsSource, AnUnreadableTableIsARunTimeErrorNamingFileReasonAndRoot) {
  SysfsSource source(SysfsTree("dmi-unreadable"), kHost);
  try {
    Values(source, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), EISDIR);
    EXPECT_EQ(error.text(), "cannot read " + SysfsTree("dmi-unreadable") +
                                "/firmware/dmi/tables/DMI: Is a directory (reading the SMBIOS table needs root)");
  }
}

// A table that never ends (a link to /dev/zero) is refused at the limit, not
// read until memory runs out.
TEST(SysfsSource, AnEndlessTableIsRefused) {
  const testing::TempDir root;
  std::filesystem::create_directories(root / "firmware/dmi/tables");
  std::filesystem::create_symlink("/dev/zero", root / "firmware/dmi/tables/DMI");
  SysfsSource source(root.path(), kHost);
  try {
    Values(source, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), EFBIG);
    EXPECT_EQ(error.text(), "cannot read " + root.path() +
                                "/firmware/dmi/tables/DMI: it is over 64 MiB, far more than any firmware file holds; refused");
  }
}

// As a normal user the real file (mode 0400, owned by root) cannot be opened.
TEST(SysfsSource, AsANormalUserTheTableCannotBeRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    std::string outcome = "no error";
    if (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
        ::setresuid(65534, 65534, 65534) == 0) {
      try {
        SysfsSource source(SysfsTree("thinkpad-t480s"), kHost);
        Values(source, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData");
      } catch (const RuntimeError& error) {
        outcome = std::to_string(error.number()) + " " + error.text();
      }
    } else {
      outcome = "cannot become nobody";
    }
    [[maybe_unused]] const ssize_t written = ::write(channel[1], outcome.data(), outcome.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string outcome;
  char buffer[512];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) outcome.append(buffer, got);
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(outcome, std::to_string(EACCES) + " cannot read " + SysfsTree("thinkpad-t480s") +
                         "/firmware/dmi/tables/DMI: Permission denied (reading the SMBIOS table needs root)");
}

TEST(SysfsSource, ComputerSystemFromDmiId) {
  SysfsSource source(SysfsTree("thinkpad-t480s"), kHost);
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_ComputerSystem", u"Manufacturer"),
            std::vector<PropertyValue>{u"LENOVO"});
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_ComputerSystem", u"Model"),
            std::vector<PropertyValue>{u"20L8S07A14"});
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_BaseBoard", u"Product"), std::vector<PropertyValue>{u"20L8S07A14"});
}

TEST(SysfsSource, DmiStringsAreWindows1252) {
  SysfsSource source(SysfsTree("edge-cases"), kHost);
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_ComputerSystem", u"Manufacturer"),
            std::vector<PropertyValue>{u"Caf\u017D \u00E9\u20AC\u009D"});
}

TEST(SysfsSource, AbsentDmiAttributesGiveEmptyTextsAndNoBaseBoard) {
  SysfsSource source(SysfsTree("no-dmi"), kHost);
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_ComputerSystem", u"Manufacturer"), std::vector<PropertyValue>{u""});
  EXPECT_EQ(Values(source, kCimv2Namespace, u"Win32_ComputerSystem", u"Model"), std::vector<PropertyValue>{u""});
  EXPECT_TRUE(Values(source, kCimv2Namespace, u"Win32_BaseBoard", u"Product").empty());
}

TEST(SysfsSource, QueriesOutsideTheFourClassesFail) {
  SysfsSource source(SysfsTree("no-dmi"), kHost);
  const std::pair<std::u16string_view, std::u16string_view> failing[] = {
      {kCimv2Namespace, u"Select * From Win32_Processor"},
      {kCimv2Namespace, u"Select * From MSSmBios_RawSMBiosTables"},
      {kWmiNamespace, u"Select * From Win32_SystemDevices"},
      {kCimv2Namespace, u"Select Name From Win32_BaseBoard"},
  };
  for (const auto& [nameSpace, wql] : failing) {
    EXPECT_THROW(source.Connect(nameSpace)->ExecQuery(wql), RuntimeError) << ToUtf8(wql);
  }
  EXPECT_NO_THROW(source.Connect(u"ROOT\\CimV2")->ExecQuery(u"select  *  from  WIN32_BASEBOARD"));
}

// The presence lines through the real collector: the pattern table meets the
// IDs as Windows forms them.
TEST(SysfsSource, DevicePresenceAsOnWindows) {
  const std::pair<const char*, const char*> cases[] = {
      // Camera 1 only by its MI_00 function; every other kind present.
      {"thinkpad-t480s", "WebCam=1\r\nBluetooth=1\r\nWWAN=1\r\nTouchPanel=1\r\nFingerPrint=1\r\n"},
      // Camera 2 matches the device and both its functions. The radio
      // 0xFFF1/0xE002 is found by its short pattern: Windows' IDs carry no
      // revision, so the pattern with "&Rev_0A01" never matches.
      {"surface-laptop-3",
       "WebCam=2\r\nWebCam=2\r\nWebCam=2\r\nBluetooth=1\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
      // Camera 3 by its MI_00 function alone.
      {"dell-xps15-9560", "WebCam=3\r\nBluetooth=1\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
      {"asrock-ryzen-desktop", "WebCam=0\r\nBluetooth=1\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
      {"lenovo-thinkpad-w510", "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
      // Camera 1 with a single interface has no MI_00 function: not found.
      {"edge-cases", "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
      {"no-dmi", "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
  };
  for (const auto& [machine, lines] : cases) {
    SysfsSource source(SysfsTree(machine), kHost);
    ReportText report;
    AppendDevicePresenceLines(source, report);
    EXPECT_EQ(ToUtf8(report.Text()), lines) << machine;
  }
}

}  // namespace
}  // namespace kestro

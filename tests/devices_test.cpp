#include <gtest/gtest.h>

#include <fstream>

#include "core/error.h"
#include "profile/profile.h"
#include "test_support.h"

namespace kestro {
namespace {

using testing::Narrow;

// An object path as WMI writes it, every backslash of `deviceId` doubled.
std::string ObjectPath(const std::string& deviceId) {
  std::string doubled;
  for (char c : deviceId) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return "\\\\PC1\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + doubled + "\"";
}

// JSON for a device list holding `paths`.
std::string Devices(const std::vector<std::string>& paths) {
  std::string records;
  for (const std::string& path : paths) {
    std::string escaped;
    for (char c : path) {
      if (c == '\\' || c == '"') escaped += '\\';
      escaped += c;
    }
    records += std::string(records.empty() ? "" : ",") + R"({"PartComponent": ")" + escaped + "\"}";
  }
  return R"({"root\\CIMV2": {"Win32_SystemDevices": [)" + records + "]}}";
}

std::string PresenceLines(const std::vector<std::string>& paths) {
  auto source = testing::SourceOf(Devices(paths));
  ReportText report;
  AppendDevicePresenceLines(source, report);
  return Narrow(report.Text());
}

const std::string kNothing = "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n";

TEST(DevicePresence, NoRecordsGiveFiveZeroLines) { EXPECT_EQ(PresenceLines({}), kNothing); }

struct PatternCase {
  const char* deviceId;
  const char* expectedLines;
};

class DevicePatterns : public ::testing::TestWithParam<PatternCase> {};

TEST_P(DevicePatterns, RecogniseTheDevice) {
  EXPECT_EQ(PresenceLines({ObjectPath(GetParam().deviceId)}), GetParam().expectedLines) << GetParam().deviceId;
}

const char* const kBluetooth = "WebCam=0\r\nBluetooth=1\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n";

INSTANTIATE_TEST_SUITE_P(
    EveryPattern, DevicePatterns,
    ::testing::Values(
        PatternCase{"USB\\VID_FFF0&PID_E001\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF1&PID_E002&REV_0A01\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF0&PID_E003&REV_0A02\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF0&PID_E004\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF0&PID_E003\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF1&PID_E002\\5&1&0&1", kBluetooth},
        PatternCase{"usb\\vid_fff0&pid_e001\\5&1&0&1", kBluetooth},
        PatternCase{"USB\\VID_FFF0&PID_E005\\5&1&0&1",
                    "WebCam=0\r\nBluetooth=0\r\nWWAN=1\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
        PatternCase{"USB\\VID_0EEF&PID_0001\\5&1&0&1",
                    "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=1\r\nFingerPrint=0\r\n"},
        PatternCase{"USB\\VID_08FF&PID_1600\\5&1&0&1",
                    "WebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=1\r\n"},
        PatternCase{"USB\\VID_0C45&PID_62C0&MI_00\\6&1&0&0000", "WebCam=1\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
        PatternCase{"USB\\VID_05CA&PID_1810\\5&1&0&1", "WebCam=2\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
        PatternCase{"USB\\VID_090C&PID_B370&MI_00\\6&1&0&0000", "WebCam=3\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
        // The camera patterns carry no bus prefix.
        PatternCase{"USBVIDEO\\vid_0c45&pid_62c0&mi_00\\1", "WebCam=1\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"},
        // The camera's other functions do not match MI_00.
        PatternCase{"USB\\VID_0C45&PID_62C0&MI_02\\6&1&0&0002", kNothing.c_str()},
        PatternCase{"USB\\VID_0C45&PID_62C0\\SN1", kNothing.c_str()},
        PatternCase{"PCI\\VEN_8086&DEV_A2AF&SUBSYS_86941043&REV_00\\3&11583659&0&A0", kNothing.c_str()},
        PatternCase{"USB\\VID_FFF0&PID_E00\\1", kNothing.c_str()},
        PatternCase{"HID\\VID_FFF0&PID_E001\\1", kNothing.c_str()}));

TEST(DevicePresence, APathWithASingleBackslashMatchesNoBusPattern) {
  EXPECT_EQ(PresenceLines({R"(\\PC1\root\cimv2:Win32_PnPEntity.DeviceID="USB\VID_0EEF&PID_0001\1")"}), kNothing);
  EXPECT_EQ(PresenceLines({R"(X="USB\VID_05CA&PID_1810\1")"}),
            "WebCam=2\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n");
}

TEST(DevicePresence, CameraLinesFollowTheRecordsAndFlagsHaveNoCount) {
  EXPECT_EQ(PresenceLines({ObjectPath("USB\\VID_05CA&PID_1810\\1"), ObjectPath("PCI\\VEN_1&DEV_2\\3"),
                           ObjectPath("USB\\VID_05CA&PID_1810&MI_00\\7&1&0&0000"),
                           ObjectPath("usb\\vid_fff0&pid_e003\\2"), ObjectPath("USB\\VID_FFF0&PID_E003&REV_0A02\\3")}),
            "WebCam=2\r\nWebCam=2\r\nBluetooth=1\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n");
  EXPECT_EQ(PresenceLines({ObjectPath("USB\\VID_090C&PID_B370&MI_00\\1"), ObjectPath("USB\\VID_0C45&PID_62C0&MI_00\\1")}),
            "WebCam=3\r\nWebCam=1\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n");
}

TEST(DevicePresence, OneRecordHoldingSeveralCamerasGivesTheirLinesInPatternOrder) {
  EXPECT_EQ(PresenceLines({"VID_090C&PID_B370&MI_00 VID_05CA&PID_1810 VID_0C45&PID_62C0&MI_00 VID_05CA&PID_1810"}),
            "WebCam=1\r\nWebCam=2\r\nWebCam=3\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n");
}

TEST(DevicePresence, RealWindowsPathsMatchNothingUnlessListed) {
  // Real object paths and IDs from Windows machines; none of them is in the
  // pattern table.
  std::ifstream samples(testing::SharedTestData("pnp/partcomponent-samples.txt"));
  if (!samples) GTEST_SKIP() << "shared test data absent";
  std::vector<std::string> paths;
  for (std::string line; std::getline(samples, line);) {
    if (line.empty() || line[0] == '#') continue;
    paths.push_back(line.rfind("\\\\", 0) == 0 ? line : ObjectPath(line));
  }
  ASSERT_GT(paths.size(), 40u);
  EXPECT_EQ(PresenceLines(paths), kNothing);
}

// --- The [PNP] listing ---

TEST(PnpListing, NumbersEveryRecordFromZeroAndKeepsThePathUnchanged) {
  const std::string first = ObjectPath("PCI\\VEN_8086&DEV_A2AF\\3&11583659&0&A0");
  const std::string second = R"(\\PC1\root\cimv2:Win32_PnPEntity.DeviceID="A=B \"q\" \\\\x")";
  auto source = testing::SourceOf(Devices({first, second}));
  ReportText report;
  ListPnpDevices(source, report);
  EXPECT_EQ(Narrow(report.Text()), "[PNP]\r\nPNPDEVICE0=" + first + "\r\nPNPDEVICE1=" + second + "\r\n");
}

TEST(PnpListing, NoRecordsLeaveTheHeaderAlone) {
  auto source = testing::SourceOf("{}");
  ReportText report;
  ListPnpDevices(source, report);
  EXPECT_EQ(report.Text(), u"[PNP]\r\n");
}

TEST(PnpListing, ANullPathIsARunTimeError) {
  auto source = testing::SourceOf(R"({"root\\CIMV2": {"Win32_SystemDevices": [{"PartComponent": null}]}})");
  ReportText report;
  EXPECT_THROW(ListPnpDevices(source, report), RuntimeError);
  EXPECT_THROW(AppendDevicePresenceLines(source, report), RuntimeError);
}

}  // namespace
}  // namespace kestro

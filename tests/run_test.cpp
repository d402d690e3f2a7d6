#include "run/run.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/error.h"
#include "core/windows1252.h"
#include "test_support.h"

namespace kestro {
namespace {

using testing::Narrow;
using testing::SourceOf;

// Records what the run hands to its output instead of writing or showing it.
class FakeOutput : public ReportOutput {
 public:
  void WriteReportFile(const OutputTarget& target, std::u16string_view reportText) override {
    writtenPath = target.path;
    text = reportText;
  }
  int ShowReportWindow(std::u16string_view reportText) override {
    shown = true;
    text = reportText;
    return kClosedWindowStatus;
  }
  static constexpr int kClosedWindowStatus = 3;
  std::optional<std::u16string> writtenPath;
  bool shown = false;
  std::u16string text;
};

// A small machine; the class named `failing` fails its query instead.
std::string Machine(std::string_view failing = "") {
  std::string json;
  const auto entry = [&](std::string_view className, std::string_view records) {
    json.append("\"").append(className).append("\": ");
    json.append(className == failing ? R"({"error": 5, "message": "Access denied"})" : records);
  };
  json.append(R"({"root\\WMI": {)");
  entry("MSSmBios_RawSMBiosTables", R"([{"SMBiosData": [0, 24, 0, 0, 1, 2]}])");
  json.append(R"(}, "root\\CIMV2": {)");
  entry("Win32_ComputerSystem", R"json([{"Manufacturer": "ZQ", "Model": "ZQ Corvanta ab1234 (XY123AB#Q7R)"}])json");
  json.append(", ");
  entry("Win32_BaseBoard", R"([{"Product": "8A2B"}])");
  json.append(", ");
  entry("Win32_SystemDevices", R"([{"PartComponent": "PCI\\VEN_8086"}])");
  return json.append("}}");
}

struct RunCase {
  const char16_t* argumentText;
  const char16_t* writtenPath;  // nullptr: no file
  bool shown;
  const char* sectionsPresent;
};

class RunSequence : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunSequence, HandsTheWholeReportToOneOutput) {
  const RunCase& c = GetParam();
  SnapshotSource source = SourceOf(Machine());
  FakeOutput output;
  const int status = RunKestro(CommandLine::FromArgumentText(c.argumentText), source, output, kWindows1252);
  EXPECT_EQ(status, c.shown ? FakeOutput::kClosedWindowStatus : 0);
  EXPECT_EQ(output.shown, c.shown);
  EXPECT_EQ(output.writtenPath.has_value(), c.writtenPath != nullptr);
  if (c.writtenPath != nullptr) {
    EXPECT_EQ(Narrow(*output.writtenPath), Narrow(c.writtenPath));
  }
  EXPECT_TRUE(Narrow(output.text).starts_with("[BIOS Strings]\r\n"));
  EXPECT_NE(Narrow(output.text).find(c.sectionsPresent), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Switches, RunSequence,
                         ::testing::Values(RunCase{u"", u"Kestro.ini", false, "[Versions]\r\n"},
                                           RunCase{u"/File:a.ini /File:b.ini", u"a.ini", false, "[Versions]\r\n"},
                                           // An empty path is the writer's to refuse, once all is collected.
                                           RunCase{u"/File:", u"", false, "[Versions]\r\n"},
                                           RunCase{u"/SHOWDIALOG /File:r.ini", nullptr, true, "[Versions]\r\n"},
                                           RunCase{u"/Type1 /PNP", u"Kestro.ini", false,
                                                   "[PNP]\r\nPNPDEVICE0=PCI\\VEN_8086\r\n[SMBIOSType1]"}));

TEST(RunSequence, AFailureWhileCollectingReachesNoOutput) {
  for (const char* failing : {"MSSmBios_RawSMBiosTables", "Win32_BaseBoard", "Win32_SystemDevices"}) {
    SnapshotSource source = SourceOf(Machine(failing));
    FakeOutput output;
    EXPECT_THROW(RunKestro(CommandLine::FromArgumentText(u"/PNP /SHOWDIALOG"), source, output, kWindows1252), RuntimeError);
    EXPECT_THROW(RunKestro(CommandLine::FromArgumentText(u"/PNP /File:r.ini"), source, output, kWindows1252), RuntimeError);
    EXPECT_FALSE(output.shown) << failing;
    EXPECT_FALSE(output.writtenPath) << failing;
  }
}

}  // namespace
}  // namespace kestro

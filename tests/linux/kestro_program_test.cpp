// The kestro program as a whole: the real binary against fixture trees
// mounted over /sys, the golden reports, failures, --help and --version, the
// man page and the install rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "core/windows1252.h"
#include "run/run.h"
#include "platform/ansi_code_page.h"
#include "test_support.h"
#include "records/sysfs/sysfs_source.h"

namespace kestro {
namespace {

using testing::ProcessResult;
using testing::RunAs;
using testing::SysfsTree;
using testing::TempDir;

// The fixture machines of the golden whole runs (golden/cases.txt).
std::vector<std::string> GoldenMachines() {
  std::ifstream cases(std::string(KESTRO_SOURCE_DIR) + "/tests/golden/cases.txt");
  std::vector<std::string> machines;
  for (std::string line; std::getline(cases, line);) {
    if (line.starts_with("sysfs/")) machines.push_back(line.substr(6, line.find(' ') - 6));
  }
  return machines;
}

#define SKIP_WITHOUT_PRIVATE_SYS() \
  if (const std::optional<std::string> why = testing::WhyNoPrivateSys()) GTEST_SKIP() << *why

// The report the core builds from each tree, written as the file writer
// writes it, is the golden report of the whole run (which also updates it);
// runs without root too.
TEST(KestroReports, GoldenReportsFromTheSource) {
  const std::vector<std::string> machines = GoldenMachines();
  EXPECT_GE(machines.size(), 10u);
  for (const std::string& machine : machines) {
    SysfsSource source(SysfsTree(machine), "kestro-test");
    const std::string report = ToAnsiBytes(BuildReport(Switches{.pnp = true, .type1 = true}, source, kWindows1252)) + "\r\n";
    EXPECT_EQ(report,
              testing::ReadFile(std::string(KESTRO_SOURCE_DIR) + "/tests/golden/expected/sysfs/" + machine + ".ini"))
        << machine;
  }
}

TEST(KestroProgram, WithoutDmiItStillWritesAReportAndExitsZero) {
  SKIP_WITHOUT_PRIVATE_SYS();
  const TempDir work;
  const ProcessResult run = testing::RunKestroOverSys(SysfsTree("no-dmi"), {}, work.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(testing::ReadFile(work / "Kestro.ini"),
            "[BIOS Strings]\r\nManufacturer=\r\nFullProductName=\r\nBrandName=Unknown\r\nModelName=Unknown\r\n"
            "SKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\nFleetmediaFlag=0\r\nChannelID=0\r\n"
            "BiosCharacteristics= \r\nWebCam=0\r\nBluetooth=0\r\nWWAN=0\r\nTouchPanel=0\r\nFingerPrint=0\r\n"
            "[Versions]\r\nVersion=1.05\r\nReleaseDate=2006/10/31\r\nSpecVersion=1.05\r\n"
            "SpecReleaseDate=2006/10/31\r\n\r\n");
}

// This machine's own /sys, whatever it holds: as root the table is readable
// or absent, so the run succeeds.
TEST(KestroProgram, RunsOnThisMachine) {
  if (::geteuid() != 0) GTEST_SKIP() << "a normal user cannot read the SMBIOS table of a machine that has one";
  const TempDir work;
  const ProcessResult run = testing::RunProcess({testing::KestroBinary(), "/PNP", "/Type1"}, work.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string report = testing::ReadFile(work / "Kestro.ini");
  EXPECT_TRUE(report.starts_with("[BIOS Strings]\r\n")) << report;
  EXPECT_NE(report.find("\r\n[PNP]\r\n"), std::string::npos);
  EXPECT_TRUE(report.ends_with("\r\n\r\n"));
}

TEST(KestroProgram, AnUnreadableTableEndsTheRunWithoutAFile) {
  SKIP_WITHOUT_PRIVATE_SYS();
  const TempDir work;
  const ProcessResult run = testing::RunKestroOverSys(SysfsTree("dmi-unreadable"), {"/PNP"}, work.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "kestro: run-time error 21: cannot read /sys/firmware/dmi/tables/DMI: Is a directory "
            "(reading the SMBIOS table needs root)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

TEST(KestroProgram, ANormalUserGetsTheClearMessageAndNoFile) {
  SKIP_WITHOUT_PRIVATE_SYS();
  const TempDir work;
  ASSERT_EQ(::chmod(work.path().c_str(), 0777), 0);
  std::ofstream(work / "Kestro.ini", std::ios::binary) << "earlier report\r\n";
  ASSERT_EQ(::chmod((work / "Kestro.ini").c_str(), 0666), 0);
  const ProcessResult run =
      testing::RunKestroOverSys(SysfsTree("thinkpad-t480s"), {"/PNP", "/Type1"}, work.path(), RunAs::Nobody);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "kestro: run-time error 13: cannot read /sys/firmware/dmi/tables/DMI: Permission denied "
            "(reading the SMBIOS table needs root)\n");
  EXPECT_EQ(testing::ReadFile(work / "Kestro.ini"), "earlier report\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 1);
}

// Where the walk's assumptions hold (BIOS Information with three strings
// first, System Information next, strings in field order), the report agrees
// with dmidecode reading the same /sys.
TEST(KestroProgram, AgreesWithDmidecode) {
  SKIP_WITHOUT_PRIVATE_SYS();
  if (testing::RunProcess({"dmidecode", "--version"}).exitCode != 0) GTEST_SKIP() << "dmidecode is not installed";
  const std::pair<const char*, const char*> fields[] = {
      {"Manufacturer", "Manufacturer"},  {"Product Name", "ProductName"}, {"Version", "Version"},
      {"Serial Number", "SerialNumber"}, {"SKU Number", "SKUNumber"},     {"Family", "Family"},
  };
  for (const char* machine : {"asrock-ryzen-desktop", "gigabyte-ga-ma74gmt-s2"}) {
    const TempDir work;
    const ProcessResult decoded = testing::RunOverSys(SysfsTree(machine), {"dmidecode", "-t", "1"}, work.path());
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    ASSERT_EQ(testing::RunKestroOverSys(SysfsTree(machine), {"/Type1"}, work.path()).exitCode, 0);
    const std::string report = testing::ReadFile(work / "Kestro.ini");
    const std::string type1 = report.substr(report.find("[SMBIOSType1]\r\n"));
    for (const auto& [dmidecodeName, key] : fields) {
      std::smatch value;
      ASSERT_TRUE(std::regex_search(decoded.out, value, std::regex("\n\t" + std::string(dmidecodeName) + ": (.*)\n")))
          << machine << " " << dmidecodeName;
      EXPECT_NE(type1.find("\r\n" + std::string(key) + "=" + value[1].str() + "\r\n"), std::string::npos)
          << machine << " " << key << "=" << value[1];
      if (std::string(key) == "Manufacturer") {
        EXPECT_TRUE(report.find("[BIOS Strings]\r\nManufacturer=" + value[1].str() + "\r\n") == 0) << machine;
      }
      if (std::string(key) == "ProductName") {
        EXPECT_NE(report.find("\r\nFullProductName=" + value[1].str() + "\r\n"), std::string::npos) << machine;
      }
    }
  }
}

// --- the command line

const char* const kSwitches[] = {"/PNP", "/Type1", "/DRIVER", "/File:", "/SHOWDIALOG"};

TEST(KestroProgram, HelpListsEverySwitch) {
  const TempDir work;
  const ProcessResult help = testing::RunProcess({testing::KestroBinary(), "--help"}, work.path());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: kestro [switches]\n")) << help.out;
  for (const char* name : kSwitches) EXPECT_NE(help.out.find(name), std::string::npos) << name;
  EXPECT_EQ(help.err, "");
  // "-h" is the same, also among switches; nothing is collected or written.
  EXPECT_EQ(testing::RunProcess({testing::KestroBinary(), "-h"}, work.path()).out, help.out);
  EXPECT_EQ(testing::RunProcess({testing::KestroBinary(), "/PNP", "--help", "/File:x.ini"}, work.path()).out, help.out);
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

TEST(KestroProgram, Version) {
  const TempDir work;
  const ProcessResult version = testing::RunProcess({testing::KestroBinary(), "--version"}, work.path());
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "Kestro " KESTRO_VERSION_TEXT "\n");
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

// Only an argument that is exactly "--help", "-h" or "--version" answers;
// anything else is argument text as before, and stray text is ignored.
TEST(KestroProgram, OtherArgumentsAreArgumentText) {
  SKIP_WITHOUT_PRIVATE_SYS();
  for (const char* argument : {"--helpme", "-help", "--HELP", "-H", "--version2", "help"}) {
    const TempDir work;
    const ProcessResult run = testing::RunKestroOverSys(SysfsTree("no-dmi"), {argument}, work.path());
    EXPECT_EQ(run.exitCode, 0) << argument;
    EXPECT_EQ(run.out, "") << argument;
    EXPECT_TRUE(testing::FileExists(work / "Kestro.ini")) << argument;
  }
}

// There is no ANSI code page on Linux: Windows-1252 stands for it.
TEST(AnsiCodePage, IsWindows1252Here) {
  EXPECT_EQ(AnsiCodeToChar(0x80), u'\u20AC');
  EXPECT_EQ(ToAnsiBytes(u"\u00E9\u4E2D\r\n"), "\xE9?\r\n");
}

// --- man page and installation

TEST(KestroManPage, FormatsWithoutWarningsAndNamesEverySwitch) {
  const std::string page = std::string(KESTRO_BUILD_DIR) + "/doc/kestro.1";
  const std::string source = testing::ReadFile(page);
  for (const char* name : kSwitches) EXPECT_NE(source.find(name), std::string::npos) << name;
  for (const char* name : {"\\-\\-help", "\\-h", "\\-\\-version", "Kestro.ini", "/sys/firmware/dmi/tables/DMI"}) {
    EXPECT_NE(source.find(name), std::string::npos) << name;
  }
  // kestro-snapshot's tells what a snapshot gives away.
  const std::string snapshotPage = std::string(KESTRO_BUILD_DIR) + "/doc/kestro-snapshot.1";
  EXPECT_NE(testing::ReadFile(snapshotPage).find("serial numbers of the system"), std::string::npos);
  if (testing::RunProcess({"groff", "--version"}).exitCode != 0) GTEST_SKIP() << "groff is not installed";
  for (const std::string& formatted : {page, snapshotPage}) {
    const ProcessResult lint = testing::RunProcess({"groff", "-man", "-Tutf8", "-ww", "-z", formatted});
    EXPECT_EQ(lint.exitCode, 0) << formatted;
    EXPECT_EQ(lint.err, "") << formatted;
  }
}

TEST(KestroInstall, PutsTheProgramAndItsManPageInPlace) {
  const TempDir prefix;
  const ProcessResult install =
      testing::RunProcess({KESTRO_CMAKE, "--install", KESTRO_BUILD_DIR, "--prefix", prefix.path()});
  ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  for (const std::string program : {"kestro", "kestro-snapshot"}) {
    EXPECT_EQ(::access((prefix / "bin/" + program).c_str(), X_OK), 0) << program;
    EXPECT_EQ(testing::ReadFile(prefix / "share/man/man1/" + program + ".1"),
              testing::ReadFile(std::string(KESTRO_BUILD_DIR) + "/doc/" + program + ".1"));
  }
  EXPECT_EQ(testing::RunProcess({prefix / "bin/kestro", "--version"}).out, "Kestro " KESTRO_VERSION_TEXT "\n");
}

}  // namespace
}  // namespace kestro

// kestro-snapshot as a whole: on fixture trees mounted over /sys, the
// snapshot it records makes kestro-replay give what kestro gives there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"

namespace kestro {
namespace {

using testing::ReadFile;
using testing::RunOverSys;
using testing::SysfsTree;

TEST(KestroSnapshot, ReplayingItGivesWhatKestroGivesOnTheMachine) {
  if (const std::optional<std::string> why = testing::WhyNoPrivateSys()) GTEST_SKIP() << *why;
  // A laptop; a large table; no SMBIOS at all; a table that cannot be read (a
  // failing query); texts beyond ASCII and every odd device.
  for (const char* machine : {"thinkpad-t480s", "vmware-virtual-platform", "no-dmi", "dmi-unreadable", "edge-cases"}) {
    const testing::TempDir work;
    const testing::ProcessResult recorded = RunOverSys(SysfsTree(machine), {KESTRO_SNAPSHOT, "s.json"}, work.path());
    ASSERT_EQ(recorded.exitCode, 0) << machine << ": " << recorded.err;
    struct stat status {};
    EXPECT_EQ(::stat((work / "s.json").c_str(), &status) == 0 ? status.st_mode & 07777 : 0, 0600u) << machine;
    EXPECT_EQ(RunOverSys(SysfsTree(machine), {KESTRO_SNAPSHOT}, work.path()).out, ReadFile(work / "s.json"));

    const auto kestro = testing::RunKestroOverSys(SysfsTree(machine), {"/PNP", "/Type1", "/File:k.ini"}, work.path());
    const auto replay = testing::RunProcess({KESTRO_REPLAY, "s.json", "/PNP", "/Type1", "/File:r.ini"}, work.path());
    ASSERT_EQ(replay.exitCode, kestro.exitCode) << machine << ": " << replay.err;
    if (kestro.exitCode == 0) {
      EXPECT_EQ(ReadFile(work / "r.ini"), ReadFile(work / "k.ini")) << machine;
    } else {  // the same failure line, in which the replayed query names itself at the end
      EXPECT_TRUE(replay.err.starts_with("kestro-replay" + kestro.err.substr(6, kestro.err.size() - 7))) << replay.err;
    }
  }
}

TEST(KestroSnapshot, CommandLineAndAFailedWrite) {
  const struct {
    std::vector<std::string> argv;
    int exitCode;
    std::string outputStart;  // standard output, then standard error
  } rows[] = {
      {{KESTRO_SNAPSHOT, "--help"}, 0, "Usage: kestro-snapshot [OUTPUT.json]\n"},
      {{KESTRO_SNAPSHOT, "x.json", "y.json"}, 2, "kestro-snapshot: run-time error 1004: more than one output path"},
      {{"/bin/sh", "-c", "exec \"$0\" >/dev/full", KESTRO_SNAPSHOT},  // reads this machine's /sys
       1,
       "kestro-snapshot: run-time error 28: cannot write the snapshot to standard output: No space left on device\n"},
      {{"python3", "-c",  // a pipe whose reader has gone
        "import os, subprocess, sys; r, w = os.pipe(); os.close(r); sys.exit(subprocess.run(sys.argv[1:], stdout=w).returncode)",
        KESTRO_SNAPSHOT},
       1,
       "kestro-snapshot: run-time error 32: cannot write the snapshot to standard output: Broken pipe\n"},
  };
  for (const auto& row : rows) {
    const testing::TempDir work;
    const testing::ProcessResult run = testing::RunProcess(row.argv, work.path());
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    EXPECT_TRUE((run.out + run.err).starts_with(row.outputStart)) << run.out << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
  }
}

}  // namespace
}  // namespace kestro

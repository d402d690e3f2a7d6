#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "records/snapshot_source.h"

// What the tests share: test data, the golden reports, expected failures, and
// (on Linux, tests/linux/test_support.cpp) temporary folders and programs
// run in private namespaces.
namespace kestro::testing {

// Bytes from a text of decimal values separated by spaces, as the worked
// examples write tables.
inline std::vector<std::uint8_t> BytesOf(const std::string& decimals) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(decimals);
  int value;
  while (in >> value) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

inline SnapshotSource SourceOf(const std::string& json) { return SnapshotSource::Parse(json, "test.json"); }

// Wide text to UTF-8, for readable assertion messages.
inline std::string Narrow(std::u16string_view text) { return ToUtf8(text); }

// A file of the project's test fixtures, by its path below tests/fixtures.
inline std::string FixturePath(const std::string& relative) { return std::string(KESTRO_FIXTURES) + "/" + relative; }

// A file of the shared real data beside the project (../shared/testdata),
// which may not be there.
inline std::string SharedTestData(const std::string& relative) {
  return std::string(KESTRO_SHARED_TESTDATA) + "/" + relative;
}

// Runs `action` and expects it to fail with run-time error `number` whose
// text mentions `mentions`.
template <class Action>
void ExpectRuntimeError(Action&& action, std::int64_t number, std::string_view mentions) {
  try {
    action();
    ADD_FAILURE() << "no run-time error; expected " << number << " mentioning " << mentions;
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), number) << error.text();
    EXPECT_NE(error.text().find(mentions), std::string::npos) << error.text();
  }
}
template <class Action>
void ExpectRuntimeError(Action&& action, ErrorCode code, std::string_view mentions) {
  ExpectRuntimeError(std::forward<Action>(action), static_cast<std::int64_t>(code), mentions);
}

// --- Linux only (tests/linux/test_support.cpp) ---

// The sysfs tree built from tests/fixtures/sysfs/`machine`.machine.
std::string SysfsTree(const std::string& machine);

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A fresh folder below /tmp, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProcessResult {
  int exitCode = -1;  // 128 + signal number when a signal ended it
  std::string out;
  std::string err;
};

// Runs `argv` (looked up in PATH) in `workDir`, standard input empty, and
// waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir = ".");

// Why tests that mount a tree over /sys cannot run here, or nothing when they
// can: they need root and private mount and UTS namespaces.
std::optional<std::string> WhyNoPrivateSys();

enum class RunAs { Root, Nobody };

// Runs `argv` in `workDir`, inside private mount and UTS namespaces in which
// `tree` is mounted over /sys and the host name is "kestro-test". With
// RunAs::Nobody the command runs as user and group 65534 without
// supplementary groups.
ProcessResult RunOverSys(const std::string& tree, const std::vector<std::string>& argv, const std::string& workDir,
                         RunAs user = RunAs::Root);

// The same for the real kestro binary with `arguments`.
ProcessResult RunKestroOverSys(const std::string& tree, const std::vector<std::string>& arguments,
                               const std::string& workDir, RunAs user = RunAs::Root);

// The kestro binary under test.
std::string KestroBinary();

}  // namespace kestro::testing

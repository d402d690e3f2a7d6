#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Paths, temporary folders and child processes for the Linux tests.
namespace kestro::test {

// The sysfs tree built from tests/fixtures/sysfs/`machine`.machine.
std::string SysfsTree(const std::string& machine);

// A file of the source tree, by its path below tests/fixtures.
std::string FixturePath(const std::string& relativePath);

// The shared real-data folder (../shared/testdata next to the repository);
// nothing when it is not there.
std::optional<std::string> SharedTestData();

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

}  // namespace kestro::test

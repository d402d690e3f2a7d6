#include "test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kestro::testing {

std::string SysfsTree(const std::string& machine) { return std::string(KESTRO_SYSFS_TREES) + "/" + machine; }

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

TempDir::TempDir() {
  char name[] = "/tmp/kestro-test-XXXXXX";
  if (::mkdtemp(name) == nullptr) throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
  path_ = name;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir) {
  const TempDir outputs;
  const std::string outPath = outputs / "out";
  const std::string errPath = outputs / "err";
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (child == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::chdir(workDir.c_str()) != 0) {
      ::_exit(126);
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execvp(arguments[0], arguments.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
  }
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

std::optional<std::string> WhyNoPrivateSys() {
  if (::geteuid() != 0) return "mounting a tree over /sys needs root";
  static const ProcessResult probe =
      RunProcess({"unshare", "--mount", "--uts", "--propagation", "private", "--", "true"});
  if (probe.exitCode != 0) return "private mount and UTS namespaces are not available: " + probe.err;
  return std::nullopt;
}

std::string KestroBinary() { return KESTRO_BINARY; }

ProcessResult RunOverSys(const std::string& tree, const std::vector<std::string>& argv, const std::string& workDir,
                         RunAs user) {
  // $1 tree, $2 working folder, then the command.
  std::string script = "hostname kestro-test && mount --bind \"$1\" /sys && cd \"$2\" && shift 2 && exec ";
  if (user == RunAs::Nobody) script += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  script += "\"$@\"";
  std::vector<std::string> command = {"unshare", "--mount", "--uts", "--propagation", "private", "--", "/bin/sh", "-c",
                                      script,    "sh",      tree,    workDir};
  command.insert(command.end(), argv.begin(), argv.end());
  return RunProcess(command);
}

ProcessResult RunKestroOverSys(const std::string& tree, const std::vector<std::string>& arguments,
                               const std::string& workDir, RunAs user) {
  std::vector<std::string> argv = {KestroBinary()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunOverSys(tree, argv, workDir, user);
}

}  // namespace kestro::testing

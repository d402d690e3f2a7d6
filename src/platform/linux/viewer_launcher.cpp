// The viewer is a program of its own, started only for "/SHOWDIALOG" and in
// place of this one (exec): the file-mode programs load no window toolkit and
// can be linked statically, and the process that shows the window is still
// the one the user started.
#include "platform/linux/viewer_launcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/linux/read_link.h"
#include "base/linux/sealed_memory_file.h"
#include "base/linux/system_error.h"
#include "core/error.h"
#include "platform/report_viewer.h"
#include "ui/viewer_program.h"

namespace kestro {
namespace {

[[noreturn]] void NoViewer(const std::string& text) { throw RuntimeError(ErrorCode::NoViewer, text); }

// The folder of this program's file, as the kernel names it: absolute, with
// no links, "." or ".." in it.
std::string ExecutableDirectory() {
  std::optional<std::string> path = ReadLinkAt(AT_FDCWD, "/proc/self/exe");
  if (!path) throw SystemError(errno, "cannot find the viewer program: /proc/self/exe");
  path->erase(path->rfind('/') + 1);
  return *path;
}

// `directory` (ending in '/') followed by the relative path `below`, whose
// ".." steps take the last folder off rather than staying in the text.
std::string JoinNormal(std::string directory, std::string_view below) {
  while (!below.empty()) {
    const std::size_t end = below.find('/');
    const std::string_view step = below.substr(0, end);
    below.remove_prefix(end == std::string_view::npos ? below.size() : end + 1);
    if (step == "..") {
      if (directory.size() > 1) directory.erase(directory.rfind('/', directory.size() - 2) + 1);
    } else if (!step.empty() && step != ".") {
      directory.append(step).push_back('/');
    }
  }
  return directory;
}

// Whether `path` names nothing at all, so that the next place may be tried.
// A program that is there but cannot be started is an answer in itself.
bool IsAbsent(const std::string& path) { return ::access(path.c_str(), F_OK) != 0 && errno == ENOENT; }

[[noreturn]] void CannotStart(const std::string& program, int error) {
  NoViewer("the viewer window cannot be opened: cannot start '" + program + "': " + std::strerror(error));
}

// The first of the candidates that is there at all.
std::string ViewerProgram() {
  std::string places;
  for (const std::string& candidate : ViewerProgramCandidates()) {
    if (!IsAbsent(candidate)) return candidate;
    places += (places.empty() ? "" : " and ") + candidate;
  }
  NoViewer("the viewer window cannot be opened: no viewer program found (looked for " + places +
           "; it is built only where Qt 6 Widgets is installed, and packaged as kestro-viewer)");
}

}  // namespace

std::vector<std::string> ViewerProgramCandidates() {
  const std::string directory = ExecutableDirectory();
  return {directory + KESTRO_VIEWER_PROGRAM_FILE,
          JoinNormal(directory, KESTRO_VIEWER_INSTALLED_DIR) + KESTRO_VIEWER_PROGRAM_FILE};
}

// Never returns: the viewer program takes this process over, the report
// handed over in a sealed memory file whose descriptor it inherits (its exit
// status is the run's), or why it could not is thrown.
int ShowReport(std::u16string_view reportText, const std::string& programName) {
  const std::string program = ViewerProgram();
  const UniqueFd report = SealedMemoryFile(
      "kestro-report",
      std::string_view(reinterpret_cast<const char*>(reportText.data()), reportText.size() * sizeof(char16_t)));
  if (::fcntl(report.get(), F_SETFD, 0) != 0) CannotStart(program, errno);
  std::string descriptorSwitch = std::string(kReportDescriptorSwitch) + std::to_string(report.get());
  std::string name = programName;
  char* const arguments[] = {name.data(), descriptorSwitch.data(), nullptr};
  std::fflush(nullptr);  // exec drops what the C library still buffers
  ::execv(program.c_str(), arguments);
  CannotStart(program, errno);
}

}  // namespace kestro

#include "ui/qt/display_check.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/posix/unique_fd.h"

namespace kestro {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool HoldsWaylandPlugin(const std::string& directory) {
  const UniqueDir dir(::opendir(directory.c_str()));
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name.starts_with("libqwayland") && name.ends_with(".so")) return true;
  }
  return false;
}

std::string WaylandProblem(const DisplayEnvironment& environment, DisplayProbe& probe) {
  const std::optional<std::string> socket = WaylandSocketPath(environment);
  if (!socket) {
    return "the Wayland display '" + environment.waylandDisplay +
           "' (WAYLAND_DISPLAY) cannot be found: XDG_RUNTIME_DIR is not set";
  }
  if (!probe.WaylandCompositorAnswersAt(*socket)) {
    return "no Wayland compositor answers at '" + *socket + "' (WAYLAND_DISPLAY)";
  }
  if (!probe.WaylandPluginInstalled()) return "the Qt Wayland platform plugin is not installed (qt6-wayland)";
  return {};
}

std::string X11Problem(const DisplayEnvironment& environment, DisplayProbe& probe) {
  if (environment.x11Display.empty()) return "DISPLAY is not set";
  return probe.X11ServerProblem();
}

}  // namespace

DisplayEnvironment DisplayEnvironment::OfThisProcess() {
  return {Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("XDG_RUNTIME_DIR")};
}

std::optional<std::string> WaylandSocketPath(const DisplayEnvironment& environment) {
  if (environment.waylandDisplay.empty()) return std::nullopt;
  if (environment.waylandDisplay.starts_with('/')) return environment.waylandDisplay;
  if (environment.runtimeDir.empty()) return std::nullopt;
  return environment.runtimeDir + "/" + environment.waylandDisplay;
}

bool UnixSocketAnswers(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  // Not blocking: a listener whose queue is full is there all the same, and
  // waiting for it could take forever.
  const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (socket.get() < 0) return false;
  return ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
}

bool HasWaylandPlatformPlugin(const std::vector<std::string>& platformPluginDirectories) {
  for (const std::string& directory : platformPluginDirectories) {
    if (HoldsWaylandPlugin(directory)) return true;
  }
  return false;
}

DisplayChoice ChooseDisplay(const DisplayEnvironment& environment, DisplayProbe& probe) {
  // A platform named by the user is the user's choice; Qt reports on it itself.
  if (!environment.qtPlatform.empty()) return {};
  if (environment.waylandDisplay.empty() && environment.x11Display.empty()) {
    return {{},
            "the window cannot be shown: there is no display to show it on (neither DISPLAY nor "
            "WAYLAND_DISPLAY is set)"};
  }
  const std::string waylandProblem = environment.waylandDisplay.empty() ? "" : WaylandProblem(environment, probe);
  const bool wayland = !environment.waylandDisplay.empty() && waylandProblem.empty();
  const std::string x11Problem = X11Problem(environment, probe);
  if (wayland) return {x11Problem.empty() ? "" : "wayland", {}};
  if (x11Problem.empty()) return {"xcb", {}};
  const std::string waylandPart = waylandProblem.empty() ? "" : waylandProblem + ", and ";
  return {{}, "the window cannot be shown: " + waylandPart + x11Problem};
}

}  // namespace kestro

#include "ui/qt/display_check.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/linux/unique_fd.h"

namespace kestro {
namespace {

using Clock = std::chrono::steady_clock;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string LimitText() { return std::to_string(kDisplayAnswerLimit.count()) + " seconds"; }

// Qt compares plugin keys ignoring ASCII case.
std::string Lowercase(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return lower;
}

bool PluginInstalled(DisplayProbe& probe, const std::string& lowercaseKey) {
  return std::ranges::any_of(probe.PlatformPluginKeys(),
                             [&](const std::string& key) { return Lowercase(key) == lowercaseKey; });
}

// "a", "a, and b", "a, b, and c".
std::string OneLine(const std::vector<std::string>& reasons) {
  std::string line;
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    if (i > 0) line += i + 1 == reasons.size() ? ", and " : ", ";
    line += reasons[i];
  }
  return "the window cannot be shown: " + line;
}

// The Wayland client library's name for an unset WAYLAND_DISPLAY.
std::string WaylandDisplayName(const DisplayEnvironment& environment) {
  return environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
}

std::string WaylandCompositorProblem(const DisplayEnvironment& environment, DisplayProbe& probe) {
  const std::optional<std::string> socket = WaylandSocketPath(environment);
  if (!socket) {
    return "the Wayland display '" + WaylandDisplayName(environment) +
           "' (WAYLAND_DISPLAY) cannot be found: XDG_RUNTIME_DIR is not set";
  }
  switch (probe.WaylandCompositorAt(*socket)) {
    case CompositorAnswer::kAnswers:
      return {};
    case CompositorAnswer::kNoCompositor:
      return "no Wayland compositor answers at '" + *socket + "' (WAYLAND_DISPLAY)";
    case CompositorAnswer::kSilent:
      break;
  }
  return "the Wayland compositor at '" + *socket + "' (WAYLAND_DISPLAY) did not answer within " + LimitText();
}

std::string WaylandProblem(const DisplayEnvironment& environment, DisplayProbe& probe) {
  std::string problem = WaylandCompositorProblem(environment, probe);
  if (problem.empty() && !PluginInstalled(probe, "wayland")) {
    problem = "the Qt Wayland platform plugin is not installed (qt6-wayland)";
  }
  return problem;
}

std::string X11Problem(const DisplayEnvironment& environment, DisplayProbe& probe) {
  if (environment.x11Display.empty()) return "DISPLAY is not set";
  return probe.X11ServerProblem();
}

// Why the platform of the QT_QPA_PLATFORM entry `name` cannot start, or
// nothing when it can.
std::string ListedPlatformProblem(std::string_view name, const DisplayEnvironment& environment, DisplayProbe& probe) {
  const std::string key = Lowercase(name);
  if (!PluginInstalled(probe, key)) {
    return "no Qt platform plugin '" + std::string(name) + "' is installed (QT_QPA_PLATFORM)";
  }
  if (key == "xcb") return X11Problem(environment, probe);
  if (key.starts_with("wayland")) return WaylandCompositorProblem(environment, probe);
  return {};
}

// Qt tries the entries of QT_QPA_PLATFORM in order and skips empty ones, but
// ends the process when none starts, or when the one that loads cannot open
// its display.
DisplayChoice ChooseListedPlatform(const DisplayEnvironment& environment, DisplayProbe& probe) {
  const std::string_view list = environment.qtPlatform;
  std::vector<std::string> problems;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    const std::string_view entry = list.substr(start, end - start);
    start = end + 1;
    const std::string_view name = entry.substr(0, entry.find(':'));
    if (name.empty()) continue;
    std::string problem = ListedPlatformProblem(name, environment, probe);
    if (problem.empty()) return {std::string(entry), {}};
    problems.push_back(std::move(problem));
  }
  if (problems.empty()) problems.push_back("QT_QPA_PLATFORM '" + environment.qtPlatform + "' names no Qt platform");
  return {{}, OneLine(problems)};
}

timeval AsTimeval(std::chrono::milliseconds span) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
  return {seconds.count(), static_cast<suseconds_t>(std::chrono::microseconds(span - seconds).count())};
}

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// wl_display.sync: to object 1 (the display), opcode 0, 12 bytes in all,
// asking for the callback object 2; a compositor answers with
// wl_callback.done. Wayland speaks in the machine's own byte order.
bool SendWaylandSync(int fd) {
  const std::uint32_t message[] = {1, (12u << 16) | 0u, 2};
  return ::send(fd, message, sizeof message, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof message);
}

CompositorAnswer AwaitReply(int fd, Clock::time_point deadline) {
  pollfd reply{fd, POLLIN, 0};
  int ready = 0;
  while ((ready = ::poll(&reply, 1, MillisecondsLeft(deadline))) < 0 && errno == EINTR) {
  }
  if (ready == 0) return CompositorAnswer::kSilent;
  char byte = 0;
  return ready > 0 && ::recv(fd, &byte, 1, MSG_DONTWAIT) == 1 ? CompositorAnswer::kAnswers
                                                              : CompositorAnswer::kNoCompositor;
}

}  // namespace

DisplayEnvironment DisplayEnvironment::OfThisProcess() {
  return {Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("XDG_RUNTIME_DIR")};
}

std::optional<std::string> WaylandSocketPath(const DisplayEnvironment& environment) {
  const std::string name = WaylandDisplayName(environment);
  if (name.starts_with('/')) return name;
  if (environment.runtimeDir.empty()) return std::nullopt;
  return environment.runtimeDir + "/" + name;
}

CompositorAnswer AskWaylandCompositor(const std::string& path, std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return CompositorAnswer::kNoCompositor;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.valid()) return CompositorAnswer::kNoCompositor;
  // connect waits while the listener's queue is full, for as long as the
  // send time limit lets it (none, 0, would be for ever).
  const timeval wait = AsTimeval(std::max(limit, std::chrono::milliseconds(1)));
  if (::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait) != 0) {
    return CompositorAnswer::kNoCompositor;
  }
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return errno == EAGAIN ? CompositorAnswer::kSilent : CompositorAnswer::kNoCompositor;
  }
  if (!SendWaylandSync(socket.get())) return CompositorAnswer::kNoCompositor;
  return AwaitReply(socket.get(), deadline);
}

DisplayChoice ChooseDisplay(const DisplayEnvironment& environment, DisplayProbe& probe) {
  if (!environment.qtPlatform.empty()) return ChooseListedPlatform(environment, probe);
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
  if (waylandProblem.empty()) return {{}, OneLine({x11Problem})};
  return {{}, OneLine({waylandProblem, x11Problem})};
}

}  // namespace kestro

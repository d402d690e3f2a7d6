#pragma once

#include <optional>
#include <string>
#include <vector>

// Qt ends the process when the platform it picks cannot open its display, so
// the viewer finds a display that answers, and names its platform to Qt,
// before it creates the application.
namespace kestro {

// What tells Qt where to show windows.
struct DisplayEnvironment {
  std::string qtPlatform;      // QT_QPA_PLATFORM: a platform chosen by name ("offscreen", "xcb", "wayland")
  std::string x11Display;      // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY: a socket name, or an absolute path
  std::string runtimeDir;      // XDG_RUNTIME_DIR: where a socket name is looked up

  static DisplayEnvironment OfThisProcess();
};

// The socket that a Wayland client connects to for `environment`, as the
// Wayland client library finds it; nothing when WAYLAND_DISPLAY is unset, or
// is a name while XDG_RUNTIME_DIR is unset.
std::optional<std::string> WaylandSocketPath(const DisplayEnvironment& environment);

// Whether something accepts a connection at the Unix stream socket `path`.
bool UnixSocketAnswers(const std::string& path);

// Whether one of `platformPluginDirectories` (Qt's plugin folders with
// "/platforms" added) holds a Wayland platform plugin, libqwayland*.so.
bool HasWaylandPlatformPlugin(const std::vector<std::string>& platformPluginDirectories);

// The checks behind the choice, made only where the choice needs them.
class DisplayProbe {
 public:
  virtual ~DisplayProbe() = default;
  virtual bool WaylandCompositorAnswersAt(const std::string& socketPath) = 0;
  virtual bool WaylandPluginInstalled() = 0;
  // Empty when the X server named by DISPLAY lets us in, else why not.
  virtual std::string X11ServerProblem() = 0;
};

struct DisplayChoice {
  std::string qtPlatform;  // the platform to name to Qt; empty for Qt's own choice
  std::string problem;     // why the window cannot be shown; empty when it can
};

// Leaves a platform named in QT_QPA_PLATFORM to Qt. Otherwise a Wayland
// display counts when its compositor answers and Qt has the plugin for it,
// an X display when its server answers. Both: Qt's own choice; one: that
// one; neither: the reasons, on one line.
DisplayChoice ChooseDisplay(const DisplayEnvironment& environment, DisplayProbe& probe);

}  // namespace kestro

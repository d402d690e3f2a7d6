#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Qt ends the process when the platform it picks cannot open its display, so
// the viewer finds a platform that can start, and names it to Qt, before it
// creates the application.
namespace kestro {

// How long a display server is given to answer. A server that accepts a
// connection and never speaks would otherwise keep Qt, and the user, waiting
// for ever.
inline constexpr std::chrono::seconds kDisplayAnswerLimit{5};

// What tells Qt where to show windows.
struct DisplayEnvironment {
  std::string qtPlatform;      // QT_QPA_PLATFORM: Qt platforms to try in order, "name[:options];..."
  std::string x11Display;      // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY: a socket name, or an absolute path
  std::string runtimeDir;      // XDG_RUNTIME_DIR: where a socket name is looked up

  static DisplayEnvironment OfThisProcess();
};

// The socket that a Wayland client connects to for `environment`, as the
// Wayland client library finds it ("wayland-0" when WAYLAND_DISPLAY is
// unset); nothing when that is a name while XDG_RUNTIME_DIR is unset.
std::optional<std::string> WaylandSocketPath(const DisplayEnvironment& environment);

enum class CompositorAnswer {
  kAnswers,       // replied to a round trip
  kNoCompositor,  // nothing listens there, or it hung up
  kSilent,        // took the connection and said nothing within the limit
};

// Connects to the Unix stream socket `path`, asks for a Wayland round trip
// (wl_display.sync) and waits up to `limit`, in all, for any reply.
CompositorAnswer AskWaylandCompositor(const std::string& path, std::chrono::milliseconds limit);

// The checks behind the choice, made only where the choice needs them.
class DisplayProbe {
 public:
  virtual ~DisplayProbe() = default;
  virtual CompositorAnswer WaylandCompositorAt(const std::string& socketPath) = 0;
  // The keys of the platform plugins in Qt's plugin folders ("xcb", ...).
  virtual const std::vector<std::string>& PlatformPluginKeys() = 0;
  // Empty when the X server named by DISPLAY lets us in within
  // kDisplayAnswerLimit, else why not.
  virtual std::string X11ServerProblem() = 0;
};

struct DisplayChoice {
  std::string qtPlatform;  // the platform to name to Qt; empty for Qt's own choice
  std::string problem;     // why the window cannot be shown; empty when it can
};

// With QT_QPA_PLATFORM set, the first of its entries whose plugin is
// installed and can start: "xcb" when the X server answers, "wayland..."
// when the compositor does, any other as soon as it is installed; the entry
// goes to Qt as given, options and all. Otherwise a Wayland display counts
// when its compositor answers and Qt has the plugin for it, an X display
// when its server answers; both: Qt's own choice; one: that one. With
// nothing that counts: the reasons, on one line.
DisplayChoice ChooseDisplay(const DisplayEnvironment& environment, DisplayProbe& probe);

}  // namespace kestro

#pragma once

#include <string>

// Qt ends the process when it finds no display to open, so the viewer looks
// for one before it creates the application.
namespace kestro {

// What tells Qt where to show windows.
struct DisplayEnvironment {
  std::string qtPlatform;      // QT_QPA_PLATFORM: a platform chosen by name ("offscreen", "xcb", "wayland")
  std::string x11Display;      // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY

  static DisplayEnvironment OfThisProcess();
};

enum class DisplayVerdict {
  Ready,           // a platform chosen by name, or a Wayland display
  CheckX11Server,  // only an X display: whether its server answers is still to be seen
  NoDisplay,
};

DisplayVerdict JudgeDisplay(const DisplayEnvironment& environment);

}  // namespace kestro

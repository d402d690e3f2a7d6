#include "ui/qt/display_check.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace kestro {
namespace {

// Answers as told.
struct FakeProbe final : DisplayProbe {
  bool compositor = false;
  bool plugin = false;
  std::string x11Problem;

  bool WaylandCompositorAnswersAt(const std::string&) override { return compositor; }
  bool WaylandPluginInstalled() override { return plugin; }
  std::string X11ServerProblem() override { return x11Problem; }
};

constexpr char kDeadX[] = "the X display ':9' (DISPLAY) cannot be opened: no X server answers there";
constexpr char kShown[] = "";

TEST(DisplayCheck, ChoosesADisplayThatAnswers) {
  struct Case {
    DisplayEnvironment environment;  // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR
    bool compositor, plugin;
    const char* x11Problem;
    const char* platform;
    const char* problem;  // after "the window cannot be shown: "
  };
  const Case cases[] = {
      {{"", "", "", ""},
       true,
       true,
       "",
       "",
       "there is no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
      {{"offscreen", "", "", ""}, false, false, kDeadX, "", kShown},  // named by the user: Qt's to judge
      {{"xcb", ":9", "wayland-0", "/run"}, false, false, kDeadX, "", kShown},
      {{"", ":0", "", ""}, false, false, "", "xcb", kShown},
      {{"", ":9", "", ""}, false, false, kDeadX, "", kDeadX},
      {{"", ":0", "wayland-0", "/run"}, true, true, "", "", kShown},  // both answer: Qt's own choice
      {{"", "", "wayland-0", "/run"}, true, true, "", "wayland", kShown},
      {{"", ":9", "/tmp/w", ""}, true, true, kDeadX, "wayland", kShown},
      {{"", ":0", "wayland-0", "/run"}, false, true, "", "xcb", kShown},
      {{"", ":0", "wayland-0", "/run"}, true, false, "", "xcb", kShown},
      {{"", "", "wayland-0", "/run"},
       false,
       true,
       "",
       "",
       "no Wayland compositor answers at '/run/wayland-0' (WAYLAND_DISPLAY), and DISPLAY is not set"},
      {{"", "", "/tmp/w", "/run"},
       false,
       true,
       "",
       "",
       "no Wayland compositor answers at '/tmp/w' (WAYLAND_DISPLAY), and DISPLAY is not set"},
      {{"", "", "wayland-0", ""},
       true,
       true,
       "",
       "",
       "the Wayland display 'wayland-0' (WAYLAND_DISPLAY) cannot be found: XDG_RUNTIME_DIR is not set, and DISPLAY "
       "is not set"},
      {{"", ":9", "wayland-0", "/run"},
       true,
       false,
       kDeadX,
       "",
       "the Qt Wayland platform plugin is not installed (qt6-wayland), and the X display ':9' (DISPLAY) cannot be "
       "opened: no X server answers there"},
  };
  for (const Case& c : cases) {
    const DisplayEnvironment& e = c.environment;
    SCOPED_TRACE(testing::Message() << "QT_QPA_PLATFORM='" << e.qtPlatform << "' DISPLAY='" << e.x11Display
                                    << "' WAYLAND_DISPLAY='" << e.waylandDisplay << "' XDG_RUNTIME_DIR='"
                                    << e.runtimeDir << "' compositor " << c.compositor << " plugin " << c.plugin
                                    << " X: " << c.x11Problem);
    FakeProbe probe;
    probe.compositor = c.compositor;
    probe.plugin = c.plugin;
    probe.x11Problem = c.x11Problem;
    const DisplayChoice choice = ChooseDisplay(e, probe);
    EXPECT_EQ(choice.qtPlatform, c.platform);
    EXPECT_EQ(choice.problem, *c.problem ? std::string("the window cannot be shown: ") + c.problem : "");
  }
}

// A socket listening at `path`; closed, it leaves its file behind.
int ListenAt(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
  EXPECT_EQ(::listen(fd, 1), 0);
  return fd;
}

TEST(DisplayCheck, FindsListeningCompositorsAndInstalledPlugins) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("display-check-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "xcb-only");
  std::filesystem::create_directories(dir / "with-wayland");
  const int listening = ListenAt(dir / "wayland-live");
  ::close(ListenAt(dir / "wayland-stale"));
  EXPECT_TRUE(UnixSocketAnswers(dir / "wayland-live"));
  EXPECT_FALSE(UnixSocketAnswers(dir / "wayland-stale"));
  EXPECT_FALSE(UnixSocketAnswers(dir / "wayland-none"));
  EXPECT_FALSE(UnixSocketAnswers(std::string(200, 'x')));  // longer than a socket address holds
  ::close(listening);

  std::ofstream(dir / "xcb-only" / "libqxcb.so");
  std::ofstream(dir / "with-wayland" / "libqwayland-generic.so");
  EXPECT_FALSE(HasWaylandPlatformPlugin({dir / "missing", dir / "xcb-only"}));
  EXPECT_TRUE(HasWaylandPlatformPlugin({dir / "xcb-only", dir / "with-wayland"}));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestro

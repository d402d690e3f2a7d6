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
  FakeProbe(bool answers, bool installed, std::string problem)
      : compositor(answers), plugin(installed), x11Problem(std::move(problem)) {}
  bool WaylandCompositorAnswersAt(const std::string&) override { return compositor; }
  bool WaylandPluginInstalled() override { return plugin; }
  std::string X11ServerProblem() override { return x11Problem; }
  bool compositor, plugin;
  std::string x11Problem;
};

const std::string kDeadX = "the X display ':9' (DISPLAY) cannot be opened: no X server answers there";
const std::string kNoX = ", and DISPLAY is not set";

TEST(DisplayCheck, ChoosesADisplayThatAnswers) {
  struct Case {
    DisplayEnvironment environment;  // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR
    FakeProbe probe;                 // compositor answers, plugin installed, X server's problem
    std::string platform, problem;   // the problem after "the window cannot be shown: "
  };
  // clang-format off
  const Case cases[] = {
      {{"", "", "", ""}, {1, 1, ""}, "", "there is no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
      {{"offscreen", ":9", "w", "/r"}, {0, 0, kDeadX}, "", ""},  // named by the user: Qt's to judge
      {{"", ":0", "", ""}, {0, 0, ""}, "xcb", ""},
      {{"", ":9", "", ""}, {0, 0, kDeadX}, "", kDeadX},
      {{"", ":0", "w", "/r"}, {1, 1, ""}, "", ""},  // both answer: Qt's own choice
      {{"", ":9", "w", "/r"}, {1, 1, kDeadX}, "wayland", ""},
      {{"", "", "w", "/r"}, {1, 1, ""}, "wayland", ""},
      {{"", ":0", "w", "/r"}, {0, 1, ""}, "xcb", ""},
      {{"", ":0", "w", "/r"}, {1, 0, ""}, "xcb", ""},
      {{"", "", "w", "/r"}, {0, 1, ""}, "", "no Wayland compositor answers at '/r/w' (WAYLAND_DISPLAY)" + kNoX},
      {{"", "", "/s/w", "/r"}, {0, 1, ""}, "", "no Wayland compositor answers at '/s/w' (WAYLAND_DISPLAY)" + kNoX},
      {{"", "", "w", ""}, {1, 1, ""}, "", "the Wayland display 'w' (WAYLAND_DISPLAY) cannot be found: XDG_RUNTIME_DIR is not set" + kNoX},
      {{"", ":9", "w", "/r"}, {1, 0, kDeadX}, "", "the Qt Wayland platform plugin is not installed (qt6-wayland), and " + kDeadX},
  };
  // clang-format on
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    FakeProbe probe = cases[row].probe;
    const DisplayChoice choice = ChooseDisplay(cases[row].environment, probe);
    EXPECT_EQ(choice.qtPlatform, cases[row].platform) << "row " << row;
    const std::string& problem = cases[row].problem;
    EXPECT_EQ(choice.problem, problem.empty() ? "" : "the window cannot be shown: " + problem) << "row " << row;
  }
}

TEST(DisplayCheck, FindsListeningCompositorsAndInstalledPlugins) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("display-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "xcb");
  std::filesystem::create_directories(dir / "wayland");
  std::ofstream(dir / "xcb" / "libqxcb.so");
  std::ofstream(dir / "wayland" / "libqwayland-generic.so");
  EXPECT_FALSE(HasWaylandPlatformPlugin({dir / "missing", dir / "xcb"}));
  EXPECT_TRUE(HasWaylandPlatformPlugin({dir / "xcb", dir / "wayland"}));

  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, (dir / "wayland-0").c_str(), sizeof address.sun_path - 1);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  EXPECT_FALSE(UnixSocketAnswers(address.sun_path));  // bound, not yet listening
  ASSERT_EQ(::listen(listener, 1), 0);
  EXPECT_TRUE(UnixSocketAnswers(address.sun_path));
  EXPECT_FALSE(UnixSocketAnswers(dir / "wayland-1"));
  ::close(listener);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestro

#include "ui/qt/display_check.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/linux/unique_fd.h"

namespace kestro {
namespace {

constexpr CompositorAnswer kYes = CompositorAnswer::kAnswers, kNo = CompositorAnswer::kNoCompositor,
                           kMute = CompositorAnswer::kSilent;

// Answers as told; Qt's plugins for xcb, offscreen and minimal are
// installed, and Wayland's when told.
struct FakeProbe final : DisplayProbe {
  FakeProbe(CompositorAnswer answer, bool waylandPlugin, std::string problem)
      : compositor(answer), x11Problem(std::move(problem)) {
    if (waylandPlugin) keys.push_back("wayland");
  }
  CompositorAnswer WaylandCompositorAt(const std::string&) override { return compositor; }
  const std::vector<std::string>& PlatformPluginKeys() override { return keys; }
  std::string X11ServerProblem() override { return x11Problem; }
  CompositorAnswer compositor;
  std::string x11Problem;
  std::vector<std::string> keys{"xcb", "offscreen", "minimal"};
};

const std::string kDeadX = "the X display ':9' (DISPLAY) cannot be opened: no X server answers there";
const std::string kNoX = ", and DISPLAY is not set";
const std::string kNoBogus = "no Qt platform plugin 'bogus' is installed (QT_QPA_PLATFORM)";

TEST(DisplayCheck, ChoosesADisplayThatAnswers) {
  struct Case {
    DisplayEnvironment environment;  // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR
    FakeProbe probe;                 // compositor's answer, Wayland plugin installed, X server's problem
    std::string platform, problem;   // the problem after "the window cannot be shown: "
  };
  // clang-format off
  const Case cases[] = {
      {{"", "", "", ""}, {kYes, 1, ""}, "", "there is no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
      {{"", ":0", "", ""}, {kNo, 0, ""}, "xcb", ""},
      {{"", ":9", "", ""}, {kNo, 0, kDeadX}, "", kDeadX},
      {{"", ":0", "w", "/r"}, {kYes, 1, ""}, "", ""},  // both answer: Qt's own choice
      {{"", ":9", "w", "/r"}, {kYes, 1, kDeadX}, "wayland", ""},
      {{"", "", "w", "/r"}, {kYes, 1, ""}, "wayland", ""},
      {{"", ":0", "w", "/r"}, {kNo, 1, ""}, "xcb", ""},
      {{"", ":0", "w", "/r"}, {kMute, 1, ""}, "xcb", ""},
      {{"", ":0", "w", "/r"}, {kYes, 0, ""}, "xcb", ""},
      {{"", "", "w", "/r"}, {kNo, 1, ""}, "", "no Wayland compositor answers at '/r/w' (WAYLAND_DISPLAY)" + kNoX},
      {{"", "", "/s/w", "/r"}, {kNo, 1, ""}, "", "no Wayland compositor answers at '/s/w' (WAYLAND_DISPLAY)" + kNoX},
      {{"", "", "w", "/r"}, {kMute, 1, ""}, "", "the Wayland compositor at '/r/w' (WAYLAND_DISPLAY) did not answer within 5 seconds" + kNoX},
      {{"", "", "w", ""}, {kYes, 1, ""}, "", "the Wayland display 'w' (WAYLAND_DISPLAY) cannot be found: XDG_RUNTIME_DIR is not set" + kNoX},
      {{"", ":9", "w", "/r"}, {kYes, 0, kDeadX}, "", "the Qt Wayland platform plugin is not installed (qt6-wayland), and " + kDeadX},
      // QT_QPA_PLATFORM: the first entry that can start, handed over as given.
      {{"offscreen", ":9", "w", "/r"}, {kNo, 0, kDeadX}, "offscreen", ""},
      {{"bogus", ":0", "w", "/r"}, {kYes, 1, ""}, "", kNoBogus},
      {{"bogus;;OffScreen:size=1x1", "", "", ""}, {kNo, 0, ""}, "OffScreen:size=1x1", ""},  // keys ignore case
      {{"xcb", ":0", "", ""}, {kNo, 0, ""}, "xcb", ""},
      {{"xcb", ":9", "", ""}, {kNo, 0, kDeadX}, "", kDeadX},
      {{"xcb;minimal", ":9", "", ""}, {kNo, 0, kDeadX}, "minimal", ""},
      {{"bogus;xcb", "", "", ""}, {kNo, 0, ""}, "", kNoBogus + kNoX},
      {{"wayland:opt", "", "w", "/r"}, {kYes, 1, ""}, "wayland:opt", ""},
      {{"wayland", ":0", "w", "/r"}, {kYes, 0, ""}, "", "no Qt platform plugin 'wayland' is installed (QT_QPA_PLATFORM)"},
      {{"wayland;bogus;xcb", "", "", "/r"}, {kMute, 1, ""}, "", "the Wayland compositor at '/r/wayland-0' (WAYLAND_DISPLAY) did not answer within 5 seconds, " + kNoBogus + kNoX},
      {{";:size=1;", ":0", "", ""}, {kYes, 1, ""}, "", "QT_QPA_PLATFORM ';:size=1;' names no Qt platform"},
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

TEST(DisplayCheck, AsksTheCompositorForARoundTrip) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("display-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, (dir / "wayland-0").c_str(), sizeof address.sun_path - 1);
  const UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM, 0));
  ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::chrono::milliseconds brief(200), ample(20000);
  EXPECT_EQ(AskWaylandCompositor(address.sun_path, brief), kNo);  // bound, not yet listening
  ASSERT_EQ(::listen(listener.get(), 1), 0);

  // A compositor that reads the request and answers with 12 bytes.
  std::uint32_t request[3] = {};
  std::thread compositor([&] {
    pollfd waiting{listener.get(), POLLIN, 0};
    if (::poll(&waiting, 1, 20000) != 1) return;
    const UniqueFd client(::accept(listener.get(), nullptr, nullptr));
    if (::recv(client.get(), request, sizeof request, MSG_WAITALL) != sizeof request) return;
    const std::uint32_t done[] = {2, 12u << 16, 1};
    ::send(client.get(), done, sizeof done, MSG_NOSIGNAL);
  });
  EXPECT_EQ(AskWaylandCompositor(address.sun_path, ample), kYes);
  compositor.join();
  EXPECT_EQ(request[0], 1u);  // wl_display.sync, 12 bytes, new callback object 2
  EXPECT_EQ(request[1], 12u << 16);
  EXPECT_EQ(request[2], 2u);

  EXPECT_EQ(AskWaylandCompositor(address.sun_path, brief), kMute);  // accepted by the queue, never read
  EXPECT_EQ(AskWaylandCompositor(dir / "wayland-1", brief), kNo);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestro

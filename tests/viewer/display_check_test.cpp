#include "ui/qt/display_check.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(DisplayCheck, FindsWhereQtWouldShowTheWindow) {
  struct Case {
    DisplayEnvironment environment;
    DisplayVerdict verdict;
  };
  const Case cases[] = {
      {{"", "", ""}, DisplayVerdict::NoDisplay},        {{"offscreen", "", ""}, DisplayVerdict::Ready},
      {{"xcb", ":0", ""}, DisplayVerdict::Ready},  // named by the user: Qt's to judge
      {{"", "", "wayland-0"}, DisplayVerdict::Ready},   {{"", ":0", "wayland-0"}, DisplayVerdict::Ready},
      {{"", ":0", ""}, DisplayVerdict::CheckX11Server}, {{"", "localhost:10.0", ""}, DisplayVerdict::CheckX11Server},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "QT_QPA_PLATFORM='" << c.environment.qtPlatform << "' DISPLAY='"
                                    << c.environment.x11Display << "' WAYLAND_DISPLAY='" << c.environment.waylandDisplay
                                    << "'");
    EXPECT_EQ(JudgeDisplay(c.environment), c.verdict);
  }
}

}  // namespace
}  // namespace kestro

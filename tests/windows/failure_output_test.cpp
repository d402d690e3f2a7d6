// What a failure turns into on Windows: whether a window may be shown at all,
// the error of a system call that left no error code.
#include <gtest/gtest.h>

#include "core/error.h"
#include "platform/windows/system_error.h"
#include "platform/windows/window_audience.h"

namespace kestro {
namespace {

TEST(WindowAudience, NobodySeesAHiddenStationOrSessionZero) {
  const std::string hidden = "the process's window station is not visible";
  const struct {
    bool stationVisible;
    DWORD sessionId;
    std::string reason;  // empty: someone sees the window
  } cases[] = {
      {true, 1, ""},
      {true, kUnknownSession, ""},
      {false, 1, hidden},
      {false, 0, hidden},
      {true, 0, "the process runs in session 0, where no user sees a window"},
  };
  for (const auto& [visible, session, reason] : cases) {
    EXPECT_EQ(WhyNobodySeesWindows(visible, session).value_or(""), reason) << visible << " " << session;
  }
}

TEST(SystemFailure, NoErrorCodeIsTheFallbackNotSuccess) {
  const RuntimeError none = SystemFailure(ERROR_SUCCESS, "cannot create the window KestroUI", ErrorCode::ViewerFailed);
  EXPECT_EQ(FormatFailure("Kestro", none), "Kestro: run-time error 1003: cannot create the window KestroUI");
  const RuntimeError denied = SystemFailure(ERROR_ACCESS_DENIED, "cannot create", ErrorCode::ViewerFailed);
  EXPECT_EQ(denied.number(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(denied.text().rfind("cannot create: ", 0), 0u) << denied.text();
}

}  // namespace
}  // namespace kestro

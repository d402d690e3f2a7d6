// What a failure turns into on Windows: whether a window may be shown at all,
// the error of a system call that left no error code.
#include <gtest/gtest.h>

#include "core/error.h"
#include "platform/windows/system_error.h"
#include "platform/windows/window_audience.h"

namespace kestro {
namespace {

TEST(WindowAudience, NobodySeesAHiddenStationOrSessionZero) {
  const struct {
    bool stationVisible;
    DWORD sessionId;
    const char* reason;  // nullptr: someone sees the window
  } cases[] = {
      {true, 1, nullptr},
      {true, kUnknownSession, nullptr},
      {false, 1, "the process's window station is not visible"},
      {true, 0, "the process runs in session 0, where no user sees a window"},
      {false, 0, "the process's window station is not visible"},
  };
  for (const auto& [visible, session, reason] : cases) {
    const std::optional<std::string> why = WhyNobodySeesWindows(visible, session);
    EXPECT_EQ(why.value_or("(sees)"), reason != nullptr ? reason : "(sees)") << visible << " " << session;
  }
}

TEST(WindowAudience, TheTestSessionHasItsWindowsSeen) {
  EXPECT_EQ(WhyNobodySeesThisProcessWindows().value_or("(sees)"), "(sees)");
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

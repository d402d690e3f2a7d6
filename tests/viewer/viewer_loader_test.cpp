#include "platform/posix/viewer_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"

namespace kestro {
namespace {

// What the loader threw for `modulePath`; fails the test when it threw nothing.
RuntimeError LoadFailure(const std::string& modulePath) {
  try {
    OpenReportViewerModule(modulePath);
  } catch (const RuntimeError& error) {
    return error;
  }
  ADD_FAILURE() << "loading " << modulePath << " did not fail";
  return RuntimeError(0, "");
}

TEST(ViewerLoader, LooksBesideTheRunningExecutableThenWhereItIsInstalled) {
  char executable[PATH_MAX] = {};
  ASSERT_GT(::readlink("/proc/self/exe", executable, sizeof executable - 1), 0);
  const std::filesystem::path directory = std::filesystem::path(executable).parent_path();
  const std::vector<std::string> expected = {
      (directory / "kestro-viewer-qt.so").string(),
      (directory / KESTRO_VIEWER_INSTALLED_DIR / "kestro-viewer-qt.so").lexically_normal().string()};
  EXPECT_EQ(ViewerModuleCandidates(), expected);
  EXPECT_EQ(expected[1].find(".."), std::string::npos) << expected[1];
}

TEST(ViewerLoader, MissingModuleIsNoViewer) {
  const RuntimeError error = LoadFailure("/nonexistent/kestro-viewer-qt.so");
  EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::NoViewer));
  EXPECT_NE(error.text().find("/nonexistent/kestro-viewer-qt.so: cannot open shared object file"), std::string::npos)
      << error.text();
}

TEST(ViewerLoader, FileThatIsNoLibraryIsNoViewer) {
  const RuntimeError error = LoadFailure(KESTRO_TEST_SOURCE_DIR "/viewer_snapshot.json");
  EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::NoViewer));
  EXPECT_NE(error.text().find("viewer_snapshot.json"), std::string::npos) << error.text();
}

TEST(ViewerLoader, LibraryWithoutTheEntryIsRefused) {
  const RuntimeError error = LoadFailure(KESTRO_NOT_A_VIEWER_MODULE);
  EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::NoViewer));
  EXPECT_NE(error.text().find("is not a viewer module of this Kestro"), std::string::npos) << error.text();
}

TEST(ViewerLoader, ModulesReasonBecomesTheError) {
  const RuntimeError error = LoadFailure(KESTRO_FAILING_VIEWER_MODULE);
  EXPECT_EQ(error.number(), 4242);
  EXPECT_EQ(error.text(), "no window here");
}

TEST(ViewerLoader, ModuleReturningNothingIsAFailure) {
  const RuntimeError error = LoadFailure(KESTRO_EMPTY_VIEWER_MODULE);
  EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::ViewerFailed));
}

}  // namespace
}  // namespace kestro

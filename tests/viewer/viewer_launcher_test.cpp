#include "platform/linux/viewer_launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "base/linux/sealed_memory_file.h"
#include "core/error.h"
#include "platform/report_viewer.h"

namespace kestro {
namespace {

std::filesystem::path TestDirectory() {
  char executable[PATH_MAX] = {};
  EXPECT_GT(::readlink("/proc/self/exe", executable, sizeof executable - 1), 0);
  return std::filesystem::path(executable).parent_path();
}

TEST(ViewerLauncher, LooksBesideTheRunningExecutableThenWhereItIsInstalled) {
  const std::filesystem::path directory = TestDirectory();
  const std::vector<std::string> expected = {
      (directory / "kestro-viewer").string(),
      (directory / KESTRO_VIEWER_INSTALLED_DIR / "kestro-viewer").lexically_normal().string()};
  EXPECT_EQ(ViewerProgramCandidates(), expected);
  EXPECT_EQ(expected[1].find(".."), std::string::npos) << expected[1];
}

// No viewer program beside this test or where it would be installed.
TEST(ViewerLauncher, MissingProgramIsNoViewerNamingWhereItLooked) {
  try {
    ShowReport(u"[BIOS Strings]\r\n", "kestro");
    FAIL() << "a viewer was found";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::NoViewer));
    EXPECT_NE(error.text().find("no viewer program found (looked for " + ViewerProgramCandidates()[0] + " and "),
              std::string::npos)
        << error.text();
  }
}

TEST(SealedMemoryFile, HandsOverEveryByteAndClosesOnExec) {
  for (const std::string& bytes : {std::string(), std::string("a\0b", 3), std::string(1 << 20, 'x')}) {
    const UniqueFd file = SealedMemoryFile("test", bytes);
    EXPECT_EQ(ReadSealedMemoryFile(file.get()), bytes);
    EXPECT_EQ(::fcntl(file.get(), F_GETFD), FD_CLOEXEC);
    EXPECT_LT(::write(file.get(), "y", 1), 0) << "sealed against writing";
  }
}

TEST(SealedMemoryFile, RefusesWhatIsNoSealedMemoryFile) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const UniqueFd reading(pipeEnds[0]), writing(pipeEnds[1]);
  const UniqueFd unsealed(::memfd_create("unsealed", MFD_ALLOW_SEALING));
  for (const int fd : {-1, 999, reading.get(), unsealed.get()}) {
    EXPECT_THROW(ReadSealedMemoryFile(fd), RuntimeError) << "descriptor " << fd;
  }
}

}  // namespace
}  // namespace kestro

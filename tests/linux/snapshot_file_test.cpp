#include "platform/snapshot_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "test_support.h"

namespace kestro {
namespace {

TEST(LoadSnapshot, NamesAFileThatCannotBeReadAndWhy) {
  const std::string folder = std::filesystem::temp_directory_path().string();
  testing::ExpectRuntimeError([] { LoadSnapshot("/nonexistent/machine.json"); }, ENOENT,
                              "cannot read snapshot /nonexistent/machine.json: No such file");
  testing::ExpectRuntimeError([&] { LoadSnapshot(folder); }, EISDIR,
                              "cannot read snapshot " + folder + ": Is a directory");
}

}  // namespace
}  // namespace kestro

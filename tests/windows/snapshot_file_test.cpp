#include "platform/snapshot_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "base/win/whole_file.h"
#include "test_support.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

TEST(LoadSnapshot, NamesAFileThatCannotBeReadAndWhy) {
  const fs::path folder = fs::temp_directory_path() / ("kestro-snapshot-" + std::to_string(::GetCurrentProcessId()));
  fs::create_directories(folder);
  std::ofstream(folder / "large.json").close();
  fs::resize_file(folder / "large.json", SnapshotSource::kMaxFileBytes + 1);  // sparse: refused before reading
  const std::string base = folder.string();
  const struct {
    std::string path;
    std::int64_t number;
    std::string mentions;
  } cases[] = {
      {base + "\\absent.json", ERROR_FILE_NOT_FOUND, "cannot read snapshot " + base + "\\absent.json"},
      {base, kDirectoryNotSupported, "cannot read snapshot " + base + ": Is a directory"},
      {base + "\\large.json", static_cast<std::int64_t>(ErrorCode::BadSnapshot), "is 1024 MiB"},
  };
  for (const auto& [path, number, mentions] : cases) {
    testing::ExpectRuntimeError([&path] { LoadSnapshot(path); }, number, mentions);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kestro

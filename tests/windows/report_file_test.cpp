#include "platform/report_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// A new, empty folder of its own for each test, removed afterwards.
class ReportFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              (L"kestro-report-file-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter_++));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    for (const auto& entry : fs::directory_iterator(folder_)) {
      ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::u16string PathOf(std::wstring_view name) const { return FromWide((folder_ / name).wstring()); }

  static std::string Contents(const std::u16string& path) {
    std::ifstream in(fs::path(ToWide(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().wstring());
    return names;
  }

  static std::int64_t FailureNumber(const std::u16string& path, std::string_view bytes) {
    try {
      ReplaceFileContents(path, bytes);
    } catch (const RuntimeError& error) {
      EXPECT_FALSE(error.text().empty());
      return error.number();
    }
    ADD_FAILURE() << "writing did not fail";
    return 0;
  }

  fs::path folder_;
  static inline int counter_ = 0;
};

TEST_F(ReportFile, WritesTheBytesAsTheyAre) {
  const std::string bytes = "[Versions]\r\nVersion=1.05\r\n\r\nlone\nLF and \x80\xFF\0NUL"s;
  ReplaceFileContents(PathOf(L"Kestro.ini"), bytes);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), bytes);             // no CR CR LF, no lost NUL
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"Kestro.ini"});  // no temporary file left
}

TEST_F(ReportFile, ReplacesALongerFileCompletely) {
  const std::u16string path = PathOf(L"Kestro.ini");
  ReplaceFileContents(path, std::string(10000, 'x'));
  ReplaceFileContents(path, "short\r\n");
  EXPECT_EQ(Contents(path), "short\r\n");
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ReportFile, RelativeNameLandsInTheCurrentFolder) {
  wchar_t previous[MAX_PATH];
  ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
  ReplaceFileContents(u"Kestro.ini", "here\r\n");
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), "here\r\n");
}

TEST_F(ReportFile, NamesOutsideTheAnsiCodePage) {
  const std::u16string path = PathOf(L"Bericht \u00e4\u00f6\u00fc \u03a9\u0416.ini");
  ReplaceFileContents(path, "wide\r\n");
  EXPECT_EQ(Contents(path), "wide\r\n");
}

TEST_F(ReportFile, PathsThatCannotBeCreatedFail) {
  EXPECT_EQ(FailureNumber(u"", "x"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FailureNumber(PathOf(L"missing\\r.ini"), "x"), ERROR_PATH_NOT_FOUND);
  // A quoted path cut at its space (/File:"C:\My Reports\r.ini): '"' cannot stand in a name.
  EXPECT_NE(FailureNumber(PathOf(L"\"C:"), "x"), 0);
  EXPECT_EQ(Names(), std::vector<std::wstring>{});
}

TEST_F(ReportFile, AFolderIsNoReportFile) {
  fs::create_directory(folder_ / L"Kestro.ini");
  EXPECT_EQ(FailureNumber(PathOf(L"Kestro.ini"), "x"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(fs::is_directory(folder_ / L"Kestro.ini"));
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ReportFile, AFileOpenWithoutSharingIsLeftAsItWas) {
  const std::u16string path = PathOf(L"Kestro.ini");
  ReplaceFileContents(path, "before\r\n");
  const std::wstring widePath = ToWide(path);
  const HANDLE locked = ::CreateFileW(widePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FailureNumber(path, "after\r\n"), ERROR_SHARING_VIOLATION);
  ::CloseHandle(locked);
  EXPECT_EQ(Contents(path), "before\r\n");
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ReportFile, AReadOnlyFileIsLeftAsItWas) {
  const std::u16string path = PathOf(L"Kestro.ini");
  ReplaceFileContents(path, "before\r\n");
  const std::wstring widePath = ToWide(path);
  ASSERT_TRUE(::SetFileAttributesW(widePath.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE writable = ::CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (writable != INVALID_HANDLE_VALUE) {
    ::CloseHandle(writable);
    GTEST_SKIP() << "the system here lets a read-only file be opened for writing (Wine run as root does)";
  }
  EXPECT_EQ(FailureNumber(path, "after\r\n"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Contents(path), "before\r\n");
}

TEST_F(ReportFile, NamesUpTo255CharactersWork) {
  for (const std::size_t length : {245u, 255u}) {
    const std::u16string path = PathOf(std::wstring(length - 4, L'n') + L".ini");
    ReplaceFileContents(path, "before\r\n");
    ReplaceFileContents(path, "after\r\n");
    EXPECT_EQ(Contents(path), "after\r\n") << length;
    EXPECT_EQ(Names().size(), 1u) << length;  // no temporary file beside it
    fs::remove(ToWide(path));
  }
}

TEST_F(ReportFile, AStreamNameIsRefusedBeforeAnythingIsMade) {
  ReplaceFileContents(PathOf(L"Kestro.ini"), "before\r\n");
  EXPECT_EQ(FailureNumber(PathOf(L"Kestro.ini:stream"), "after\r\n"), ERROR_INVALID_NAME);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), "before\r\n");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"Kestro.ini"});
}

TEST_F(ReportFile, ADeviceIsWrittenDirectly) {
  ReplaceFileContents(u"NUL", "into the null device\r\n");
  EXPECT_EQ(Names(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace kestro

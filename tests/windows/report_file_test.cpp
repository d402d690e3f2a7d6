#include "platform/report_file.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/win/wide_text.h"
#include "core/error.h"

namespace kestro {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// The writes below are of a path given with /File:, unless a row says otherwise.
constexpr NamedBy kNamed = NamedBy::FileSwitch;

struct LocalFreeDeleter {
  void operator()(void* memory) const { ::LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

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

  static RuntimeError Failure(const std::u16string& path, std::string_view bytes) {
    try {
      ReplaceFileContents(path, bytes, kNamed);
    } catch (const RuntimeError& error) {
      EXPECT_FALSE(error.text().empty());
      return error;
    }
    ADD_FAILURE() << "writing did not fail";
    return RuntimeError(0, "");
  }

  static std::int64_t FailureNumber(const std::u16string& path, std::string_view bytes) {
    return Failure(path, bytes).number();
  }

  fs::path folder_;
  static inline int counter_ = 0;
};

TEST_F(ReportFile, WritesTheBytesAsTheyAre) {
  const std::string bytes = "[Versions]\r\nVersion=1.05\r\n\r\nlone\nLF and \x80\xFF\0NUL"s;
  ReplaceFileContents(PathOf(L"Kestro.ini"), bytes, kNamed);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), bytes);             // no CR CR LF, no lost NUL
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"Kestro.ini"});  // no temporary file left
}

TEST_F(ReportFile, ReplacesALongerFileCompletely) {
  const std::u16string path = PathOf(L"Kestro.ini");
  ReplaceFileContents(path, std::string(10000, 'x'), kNamed);
  ReplaceFileContents(path, "short\r\n", kNamed);
  EXPECT_EQ(Contents(path), "short\r\n");
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ReportFile, RelativeNameLandsInTheCurrentFolder) {
  wchar_t previous[MAX_PATH];
  ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
  ReplaceFileContents(u"Kestro.ini", "here\r\n", NamedBy::DefaultName);
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), "here\r\n");
}

TEST_F(ReportFile, NamesOutsideTheAnsiCodePage) {
  const std::u16string path = PathOf(L"Bericht \u00e4\u00f6\u00fc \u03a9\u0416.ini");
  ReplaceFileContents(path, "wide\r\n", kNamed);
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
  ReplaceFileContents(path, "before\r\n", kNamed);
  const std::wstring widePath = ToWide(path);
  const HANDLE locked = ::CreateFileW(widePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FailureNumber(path, "after\r\n"), ERROR_SHARING_VIOLATION);
  ::CloseHandle(locked);
  EXPECT_EQ(Contents(path), "before\r\n");
  EXPECT_EQ(Names().size(), 1u);
}

// Refused on the attribute, not left to opening: Wine run as root, like an
// administrator on some systems, may open a read-only file for writing.
TEST_F(ReportFile, AReadOnlyFileIsLeftAsItWas) {
  const std::u16string path = PathOf(L"Kestro.ini");
  ReplaceFileContents(path, "before\r\n", kNamed);
  ASSERT_TRUE(::SetFileAttributesW(ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(FailureNumber(path, "after\r\n"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Contents(path), "before\r\n");
  EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ReportFile, AHiddenOrSystemFileStaysSo) {
  const std::u16string path = PathOf(L"Kestro.ini");
  const std::wstring widePath = ToWide(path);
  constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ReplaceFileContents(path, "before\r\n", kNamed);
  ASSERT_TRUE(::SetFileAttributesW(widePath.c_str(), kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE));
  if ((::GetFileAttributesW(widePath.c_str()) & kHiddenSystem) != kHiddenSystem) {
    GTEST_SKIP() << "the file system here keeps no DOS attributes (Wine keeps them in user.DOSATTRIB)";
  }
  for (const FileAccess access : {FileAccess::Usual, FileAccess::OwnerOnly}) {
    ReplaceFileContents(path, "after\r\n", kNamed, access);
    EXPECT_EQ(::GetFileAttributesW(widePath.c_str()) & kHiddenSystem, kHiddenSystem);
  }
  EXPECT_EQ(Contents(path), "after\r\n");
}

TEST_F(ReportFile, NamesUpTo255CharactersWork) {
  for (const std::size_t length : {245u, 255u}) {
    const std::u16string path = PathOf(std::wstring(length - 4, L'n') + L".ini");
    ReplaceFileContents(path, "before\r\n", kNamed);
    ReplaceFileContents(path, "after\r\n", kNamed);
    EXPECT_EQ(Contents(path), "after\r\n") << length;
    EXPECT_EQ(Names().size(), 1u) << length;  // no temporary file beside it
    fs::remove(ToWide(path));
  }
}

TEST_F(ReportFile, AStreamNameIsRefusedBeforeAnythingIsMade) {
  ReplaceFileContents(PathOf(L"Kestro.ini"), "before\r\n", kNamed);
  EXPECT_EQ(FailureNumber(PathOf(L"Kestro.ini:stream"), "after\r\n"), ERROR_INVALID_NAME);
  EXPECT_EQ(Contents(PathOf(L"Kestro.ini")), "before\r\n");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"Kestro.ini"});
}

// A snapshot is for its owner, SYSTEM and the Administrators, also where it
// replaces a file anyone could read, and whatever its folder hands down.
TEST_F(ReportFile, AnOwnerOnlyFileKeepsEveryoneElseOut) {
  const std::wstring path = ToWide(PathOf(L"wmi.json"));
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;FA;;;WD)(A;;FA;;;BU)(A;;FA;;;AU)",
                                                                     SDDL_REVISION_1, &open, nullptr));
  const LocalMemory openOwned(open);
  SECURITY_ATTRIBUTES openAttributes{sizeof openAttributes, open, FALSE};
  const HANDLE previous = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, &openAttributes, CREATE_NEW, 0, nullptr);
  ASSERT_NE(previous, INVALID_HANDLE_VALUE);
  ::CloseHandle(previous);

  ReplaceFileContents(FromWide(path), "{}", NamedBy::RecorderArgument, FileAccess::OwnerOnly);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                    nullptr, &descriptor),
            ERROR_SUCCESS);
  const LocalMemory descriptorOwned(descriptor);
  wchar_t* text = nullptr;
  ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                     DACL_SECURITY_INFORMATION, &text, nullptr));
  const LocalMemory textOwned(text);
  // Wine keeps no DACL as given but turns it into the file's Unix mode and
  // back: the user and SYSTEM, and Everyone where others may open the file.
  const std::wstring sddl = text;
  for (const wchar_t* outsider : {L";WD)", L";BU)", L";AU)"}) EXPECT_EQ(sddl.find(outsider), sddl.npos) << text;
  EXPECT_NE(sddl.find(L";SY)"), sddl.npos) << text;
}

// NUL in any folder is the null device, as COM1 is the port (which no test
// here names: it would be this machine's serial port).
TEST_F(ReportFile, ADosDeviceIsWrittenWhereItStands) {
  for (const std::u16string& path : {u"NUL"s, PathOf(L"nul"), PathOf(L"nul.txt")}) {
    ReplaceFileContents(path, "into the null device\r\n", kNamed);
  }
  EXPECT_EQ(Names(), std::vector<std::wstring>{});  // nothing renamed over NUL, no temporary file
}

TEST_F(ReportFile, AMailslotIsRefusedAsOne) {
  const RuntimeError error = Failure(u"\\\\.\\mailslot\\kestro", "x");
  EXPECT_EQ(error.number(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(error.text(),
            "cannot create the report file '\\\\.\\mailslot\\kestro': "
            "the path names a mailslot, which passes short messages and holds no file");
}

}  // namespace
}  // namespace kestro

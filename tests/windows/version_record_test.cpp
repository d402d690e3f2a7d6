// Kestro.exe's version record, read with the functions that Windows' file
// properties use (GetFileVersionInfo, VerQueryValue), and its manifest, read
// as the loader finds it, and its message table, read as the event log's
// viewer reads it. The version is the project's (KESTRO_VERSION_*, given by
// CMake).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/win/wide_text.h"
#include "core/text.h"

namespace kestro {
namespace {

// The path of Kestro.exe from KESTRO_EXE; a Unix path is taken through
// Wine's drive Z:, which shows the Unix root.
std::wstring KestroExePath() {
  const char* given = std::getenv("KESTRO_EXE");
  if (given == nullptr) return {};
  std::wstring path = ToWide(FromUtf8(given));
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    path = L"Z:" + path;
  }
  return path;
}

class VersionRecord : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = KestroExePath();
    if (path.empty()) GTEST_SKIP() << "KESTRO_EXE names no Kestro.exe";
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version record in " << ToUtf8(FromWide(path)) << ", error " << ::GetLastError();
    record_.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, record_.data()));
  }

  // The value at `subBlock`, with its length in `length`.
  void* Query(const wchar_t* subBlock, UINT& length) {
    void* value = nullptr;
    if (!::VerQueryValueW(record_.data(), subBlock, &value, &length)) return nullptr;
    return value;
  }

  std::u16string Text(const std::wstring& name) {
    UINT length = 0;
    const std::wstring subBlock = L"\\StringFileInfo\\040904B0\\" + name;
    const auto* text = static_cast<const wchar_t*>(Query(subBlock.c_str(), length));
    if (text == nullptr) return u"(missing)";
    return FromWide(std::wstring_view(text, length).substr(0, std::wstring_view(text, length).find(L'\0')));
  }

  std::vector<unsigned char> record_;
};

TEST_F(VersionRecord, StringValues) {
  EXPECT_EQ(Text(L"ProductName"), u"Kestro");
  EXPECT_EQ(Text(L"InternalName"), u"Kestro");
  EXPECT_EQ(Text(L"OriginalFilename"), u"Kestro.exe");
  EXPECT_EQ(Text(L"FileVersion"), u"" KESTRO_VERSION_TEXT);
  EXPECT_EQ(Text(L"ProductVersion"), u"" KESTRO_VERSION_TEXT);
}

TEST_F(VersionRecord, NumericVersionsAreTheProjects) {
  constexpr DWORD kNumbers[] = {KESTRO_VERSION_NUMBERS};  // M, m, p, 0
  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, kNumbers[0] << 16 | kNumbers[1]);
  EXPECT_EQ(fixed->dwFileVersionLS, kNumbers[2] << 16 | kNumbers[3]);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionRecord, TranslationIsUsEnglishUnicode) {
  UINT length = 0;
  const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", length));
  ASSERT_NE(translation, nullptr);
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

TEST(Manifest, NamesTheVersionAndDeclaresLongPathAwareness) {
  const std::wstring path = KestroExePath();
  if (path.empty()) GTEST_SKIP() << "KESTRO_EXE names no Kestro.exe";
  const HMODULE exe =
      ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr);
  const HRSRC found = ::FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(exe, found))),
                             ::SizeofResource(exe, found));
  ::FreeLibrary(exe);
  EXPECT_NE(manifest.find("name=\"Kestro\" version=\"" KESTRO_VERSION_DOTTED "\""), std::string::npos);
  EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true<"),
            std::string::npos);
}

// Event id 1, the failure that event_log.cpp reports, shows its one
// insertion string as it is, '%' and all.
TEST(MessageTable, EventOneIsTheFailureLine) {
  const std::wstring path = KestroExePath();
  if (path.empty()) GTEST_SKIP() << "KESTRO_EXE names no Kestro.exe";
  const HMODULE exe = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  const wchar_t* line = L"Kestro: run-time error 5: C:\\100% full";
  const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(line)};
  wchar_t shown[256] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, exe, 1,
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), shown, 256,
                                        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
  ::FreeLibrary(exe);
  ASSERT_NE(length, 0u) << "error " << ::GetLastError();
  EXPECT_EQ(std::wstring(shown, length), std::wstring(line) + L"\r\n");
}

}  // namespace
}  // namespace kestro

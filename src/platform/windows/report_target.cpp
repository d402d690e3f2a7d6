#include "platform/windows/report_target.h"

#include <windows.h>

#include <array>
#include <optional>

#include "core/text.h"
#include "platform/windows/wide_text.h"

namespace kestro {
namespace {

constexpr bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
constexpr bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
constexpr bool IsDriveLetter(std::u16string_view text) {
  return text.size() == 2 && IsLetter(text[0]) && text[1] == u':';
}

// What follows the device-namespace prefix of `path`, or nothing when the
// path is not in that namespace. Windows takes either slash in "\\.\" and
// "\\?\"; "\??\" is the object manager's own name for the namespace, which
// Windows passes on untouched.
std::optional<std::u16string_view> DeviceNamespaceRest(std::u16string_view path) {
  if (path.size() < 4) return std::nullopt;
  const bool win32Device =
      IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == u'.' || path[2] == u'?') && IsSeparator(path[3]);
  if (win32Device || path.substr(0, 4) == u"\\??\\") return path.substr(4);
  return std::nullopt;
}

// The character devices that stand in every folder; writing into them is
// like writing into /dev/null or a terminal.
bool IsCharacterDevice(std::u16string_view name) {
  static constexpr std::array<std::u16string_view, 6> kNames = {u"NUL", u"CON", u"CONIN$", u"CONOUT$", u"PRN", u"AUX"};
  for (const std::u16string_view known : kNames) {
    if (EqualIgnoringCase(name, known)) return true;
  }
  const bool port = name.size() == 4 &&
                    (EqualIgnoringCase(name.substr(0, 3), u"COM") || EqualIgnoringCase(name.substr(0, 3), u"LPT"));
  return port && name[3] >= u'1' && name[3] <= u'9';
}

bool IsVolumeName(std::u16string_view name) {
  return name.size() > 8 && EqualIgnoringCase(name.substr(0, 7), u"Volume{") && name.back() == u'}';
}

// Whether the device-namespace path with `rest` behind its prefix names a
// file (or pipe, or character device) rather than a device of its own. A
// file needs something below its drive, volume or share: "C:" alone is the
// volume, "C:\r.ini" a file on it.
bool NamesAFile(std::u16string_view rest) {
  std::size_t end = 0;
  while (end < rest.size() && !IsSeparator(rest[end])) ++end;
  const std::u16string_view first = rest.substr(0, end);
  const bool below = end + 1 < rest.size();
  if (IsDriveLetter(first) || IsVolumeName(first) || EqualIgnoringCase(first, u"UNC") ||
      EqualIgnoringCase(first, u"pipe")) {
    return below;
  }
  return end == rest.size() && IsCharacterDevice(first);
}

// The file's own name: the last component, without the colon of a drive
// letter ("C:r.ini" is r.ini on drive C).
std::u16string_view OwnName(std::u16string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  if (start == 0 && path.size() >= 2 && IsDriveLetter(path.substr(0, 2))) start = 2;
  return path.substr(start);
}

// The full path Windows opens for `path`; empty when it makes none.
std::u16string FullPath(std::u16string_view path) {
  const std::wstring wide = ToWide(path);
  std::wstring full(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) return FromWide(std::wstring_view(full.data(), length));
    full.assign(length, L'\0');  // the size it needs, with its terminating NUL
  }
  return {};
}

}  // namespace

TargetRefusal RefusalOf(std::u16string_view path) {
  if (const auto rest = DeviceNamespaceRest(path); rest && !NamesAFile(*rest)) return TargetRefusal::Device;
  if (OwnName(path).find(u':') != std::u16string_view::npos) return TargetRefusal::StreamName;
  return TargetRefusal::None;
}

TargetRefusal RefusalOfTarget(std::u16string_view path) {
  if (const TargetRefusal given = RefusalOf(path); given != TargetRefusal::None) return given;
  return RefusalOf(FullPath(path));
}

std::string RefusalText(TargetRefusal refusal) {
  switch (refusal) {
    case TargetRefusal::Device:
      return "the path names a device, not a file, and disks and volumes are never written";
    case TargetRefusal::StreamName:
      return "a colon in a file name makes it an alternate data stream of another file";
    case TargetRefusal::None:
      break;
  }
  return {};
}

}  // namespace kestro

#include "platform/windows/report_target.h"

#include <windows.h>

#include <array>
#include <optional>

#include "base/win/wide_text.h"
#include "core/text.h"

namespace kestro {
namespace {

constexpr bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
constexpr bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
constexpr bool IsDriveLetter(std::u16string_view text) {
  return text.size() == 2 && IsLetter(text[0]) && text[1] == u':';
}

// A path's first component and what stands behind the separator after it.
struct FirstComponent {
  std::u16string_view name;
  std::u16string_view below;  // empty when nothing follows
};

FirstComponent SplitFirst(std::u16string_view path) {
  std::size_t end = 0;
  while (end < path.size() && !IsSeparator(path[end])) ++end;
  return {path.substr(0, end), end < path.size() ? path.substr(end + 1) : std::u16string_view()};
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

// A port's number: a digit, or the superscripts ¹ ² ³ that Windows reserves too.
constexpr bool IsPortNumber(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'\u00B9' || c == u'\u00B2' || c == u'\u00B3';
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
  return port && IsPortNumber(name[3]);
}

bool IsVolumeName(std::u16string_view name) {
  return name.size() > 8 && EqualIgnoringCase(name.substr(0, 7), u"Volume{") && name.back() == u'}';
}

// The pipes and mailslots of a server are shares of their own,
// \\server\pipe\ and \\server\mailslot\ (\\*\mailslot\ to every machine of
// the domain); any other share holds files.
PathKind KindOfShare(std::u16string_view serverAndBelow) {
  const std::u16string_view share = SplitFirst(SplitFirst(serverAndBelow).below).name;
  if (EqualIgnoringCase(share, u"pipe")) return PathKind::NamedPipe;
  if (EqualIgnoringCase(share, u"mailslot")) return PathKind::Mailslot;
  return PathKind::File;
}

// What the device-namespace path with `rest` behind its prefix names. A
// file needs something below its drive, volume or share: "C:" alone is the
// volume, "C:\r.ini" a file on it.
PathKind KindInDeviceNamespace(std::u16string_view rest) {
  const auto [first, below] = SplitFirst(rest);
  if (IsDriveLetter(first) || IsVolumeName(first)) return below.empty() ? PathKind::DiskOrVolume : PathKind::File;
  if (EqualIgnoringCase(first, u"UNC")) return below.empty() ? PathKind::DiskOrVolume : KindOfShare(below);
  if (EqualIgnoringCase(first, u"pipe")) return below.empty() ? PathKind::DiskOrVolume : PathKind::NamedPipe;
  if (EqualIgnoringCase(first, u"mailslot")) return PathKind::Mailslot;
  if (first.size() == rest.size() && IsCharacterDevice(first)) return PathKind::DosDevice;
  return PathKind::DiskOrVolume;
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

PathKind KindOf(std::u16string_view path) {
  if (const auto rest = DeviceNamespaceRest(path)) {
    if (const PathKind kind = KindInDeviceNamespace(*rest); kind != PathKind::File) return kind;
  } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    if (const PathKind kind = KindOfShare(path.substr(2)); kind != PathKind::File) return kind;
  }
  if (OwnName(path).find(u':') != std::u16string_view::npos) return PathKind::StreamName;
  return PathKind::File;
}

PathKind KindOfTarget(std::u16string_view path) {
  if (const PathKind given = KindOf(path); given != PathKind::File) return given;
  // CreateFileW opens the console for these two names given whole, before
  // any path is made of them.
  if (EqualIgnoringCase(path, u"CONIN$") || EqualIgnoringCase(path, u"CONOUT$")) return PathKind::DosDevice;
  return KindOf(FullPath(path));
}

std::string RefusalText(PathKind kind) {
  switch (kind) {
    case PathKind::DiskOrVolume:
      return "the path names a device, not a file, and disks and volumes are never written";
    case PathKind::Mailslot:
      return "the path names a mailslot, which passes short messages and holds no file";
    case PathKind::StreamName:
      return "a colon in a file name makes it an alternate data stream of another file";
    case PathKind::File:
    case PathKind::DosDevice:
    case PathKind::NamedPipe:
      break;
  }
  return {};
}

}  // namespace kestro

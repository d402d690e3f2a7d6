#pragma once

#include <string>
#include <string_view>

// Which paths the report may be written to, decided from the path alone so
// that a path that must not be written is refused before anything is opened.
namespace kestro {

enum class TargetRefusal {
  None,
  // A device itself rather than a file on it: a disk, a volume, an object
  // of the system's object namespace (\\.\PhysicalDrive0, \\.\C:,
  // \\?\Volume{...}, \\?\GLOBALROOT\...).
  Device,
  // A colon in the file's own name, which NTFS reads as an alternate data
  // stream of another file (Kestro.ini:stream).
  StreamName,
};

// Why `path` must not be written, as it is written. A path in the device
// namespace (\\.\, \\?\ or \??\, either slash) may name only a file below a
// drive letter, a volume or a share, a named pipe, or one of the character
// devices NUL, CON, CONIN$, CONOUT$, PRN, AUX, COM1-9, LPT1-9; everything
// else there is a device that Kestro never writes. The colon of a drive
// letter ("C:r.ini") is no stream name.
TargetRefusal RefusalOf(std::u16string_view path);

// Why `path` must not be written, judged on `path` and on the full path
// Windows makes of it (which resolves "." and ".." also in device paths, so
// \\.\C:\..\PhysicalDrive0 names the disk). Opens nothing.
TargetRefusal RefusalOfTarget(std::u16string_view path);

// The reason for `refusal`, for the one-line message.
std::string RefusalText(TargetRefusal refusal);

}  // namespace kestro

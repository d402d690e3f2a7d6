#pragma once

#include <string>
#include <string_view>

// What a path names before anything is opened: the writer refuses some of
// these on the path alone (opening a disk for writing is already too much),
// writes others where they stand, and looks on the disk only for a file.
namespace kestro {

enum class PathKind {
  // A name in a file system: a file, a folder, a link, or nothing yet.
  File,
  // A device itself rather than a file on it: a disk, a volume, an object of
  // the system's object namespace (\\.\PhysicalDrive0, \\.\C:,
  // \\?\Volume{...}, \\?\GLOBALROOT\...).
  DiskOrVolume,
  // A character device that stands in every folder (NUL, CON, COM1, LPT1,
  // AUX, PRN, CONIN$, CONOUT$), however the path reaches it: \\.\COM1, COM1,
  // C:\reports\aux, and where Windows reads it so, com1.ini.
  DosDevice,
  // A named pipe (\\.\pipe\name, \\server\pipe\name).
  NamedPipe,
  // A mailslot (\\.\mailslot\name, \\*\mailslot\name): it passes messages
  // of a few hundred bytes and keeps no file.
  Mailslot,
  // A colon in the file's own name, which NTFS reads as an alternate data
  // stream of another file (Kestro.ini:stream).
  StreamName,
};

// What `path` names, as it is written. A path in the device namespace (\\.\,
// \\?\ or \??\, either slash) names a file only below a drive letter, a
// volume or a share; there it may also name a pipe, a mailslot or one of the
// character devices, and anything else is a device of its own. The colon of
// a drive letter ("C:r.ini") is no stream name.
PathKind KindOf(std::u16string_view path);

// What `path` names, judged on `path` and on the full path Windows makes of
// it, which turns a DOS device name in any folder into \\.\NAME and resolves
// "." and ".." also in device paths (\\.\C:\..\PhysicalDrive0 names the
// disk). Opens nothing.
PathKind KindOfTarget(std::u16string_view path);

// Why a path of `kind` is never written, for the one-line message; empty for
// the kinds that may be.
std::string RefusalText(PathKind kind);

}  // namespace kestro

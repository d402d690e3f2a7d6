#pragma once

#include <string_view>

// How every program writes a report or a snapshot, on every platform: what
// stands at the target and who named it decide whether the file is refused,
// written through or replaced as a whole. The decision is made here, once;
// each platform supplies only the operations on its files (TargetFiles).
namespace kestro {

// Who named the file to be written. The default name stands in whatever
// folder the program runs in, where anyone who may write there can plant
// something under it; a name the user gave, on the command line, is the
// user's own choice of what to write into.
enum class NamedBy { DefaultName, FileSwitch, RecorderArgument };

// Who may read the file written. A report is an ordinary file: a new one gets
// what a new file gets there, a replaced one keeps its access. A snapshot
// holds the root-only SMBIOS table and serial numbers: it is the owner's
// alone, also where it replaces a more open file.
enum class FileAccess { Usual, OwnerOnly };

// What stands at the target, found without following a link to its end and
// without opening a device or FIFO.
enum class FoundAtTarget {
  Nothing,
  RegularFile,
  UnwritableFile,         // a regular file the user may not write, or a read-only one
  Link,                   // a symbolic link (on Windows any reparse point), wherever it leads
  OwnDescriptorLink,      // a link naming one of the process's own open descriptors (/dev/stdout)
  FifoOrCharacterDevice,  // also a named pipe or a console on Windows
  DosDevice,              // a name Windows makes a device of in every folder (NUL, COM1, aux.ini)
  BlockDeviceOrDisk,      // also behind an own descriptor; on Windows a disk, a volume
  Socket,
  Directory,
  NoFileName,             // a name that holds no file of its own (an NTFS stream, a mailslot)
};

enum class WriteAction {
  Refuse,        // a run-time error; nothing is written or changed
  WriteThrough,  // into what stands there, as the shell's ">" would
  Replace,       // a new file written beside it and renamed over it
};

// Who may read the new file that replaces the target.
enum class NewFileAccess {
  Fresh,             // what any new file made there gets (the umask, the folder's inherited rules)
  KeptFromReplaced,  // the replaced file's permission bits or attributes
  OwnerOnly,         // its owner alone (0600; on Windows the owner, SYSTEM and Administrators)
};

struct WriteDecision {
  WriteAction action;
  NewFileAccess access;  // for Replace
  bool operator==(const WriteDecision&) const = default;
};

// What to do with `found` at a target named by `namedBy`, for a file of
// `access`. Under the default name whatever is not a plain file is replaced
// as if planted, never written through; a name the user gave is written as
// the shell would write it, except onto a disk.
WriteDecision DecideWrite(FoundAtTarget found, NamedBy namedBy, FileAccess access);

// The operations on one target path that writing needs; each platform
// implements them over its own system calls. Failures throw RuntimeError
// with the system's number.
class TargetFiles {
 public:
  virtual ~TargetFiles() = default;
  // Looks at the target without following it or opening what stands there.
  virtual FoundAtTarget Inspect() = 0;
  // Fails for `found`, with the number and the reason the platform gives.
  [[noreturn]] virtual void Refuse(FoundAtTarget found) = 0;
  // Writes `bytes` into what Inspect found, where it stands.
  virtual void WriteThrough(std::string_view bytes) = 0;
  // A new, empty temporary file beside the target, that only its owner may
  // open until Flush has given it `access`.
  virtual void CreateTemporary(NewFileAccess access) = 0;
  virtual void WriteTemporary(std::string_view bytes) = 0;
  // Gives the temporary file its final access and brings it to the disk.
  virtual void FlushTemporary() = 0;
  // Puts the temporary file in the target's place, atomically.
  virtual void RenameOver() = 0;
  // Removes the temporary file, if there still is one. Never fails.
  virtual void RemoveTemporary() noexcept = 0;
};

// Puts `bytes` at the target of `files` as DecideWrite says: written
// through, or replaced so that a failure leaves the previous file as it was
// and no temporary file behind.
void WriteAsDecided(TargetFiles& files, std::string_view bytes, NamedBy namedBy, FileAccess access);

}  // namespace kestro

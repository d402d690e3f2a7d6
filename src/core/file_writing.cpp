#include "core/file_writing.h"

namespace kestro {
namespace {

constexpr WriteAction kRefuse = WriteAction::Refuse;
constexpr WriteAction kThrough = WriteAction::WriteThrough;
constexpr WriteAction kReplace = WriteAction::Replace;

struct Row {
  FoundAtTarget found;
  WriteAction underDefaultName;
  WriteAction namedByUser;  // with "/File:" or as a recorder's output argument
};

// Under the default name nothing is written through: a link, a FIFO or a
// device there may have been planted to catch the report or stall the run,
// and is replaced like a file. A disk is never written onto.
constexpr Row kDecisions[] = {
    // found at the target                default name  named by the user
    {FoundAtTarget::Nothing,               kReplace,     kReplace},
    {FoundAtTarget::RegularFile,           kReplace,     kReplace},
    {FoundAtTarget::UnwritableFile,        kRefuse,      kRefuse},
    {FoundAtTarget::Link,                  kReplace,     kReplace},
    {FoundAtTarget::OwnDescriptorLink,     kReplace,     kThrough},
    {FoundAtTarget::FifoOrCharacterDevice, kReplace,     kThrough},
    {FoundAtTarget::DosDevice,             kThrough,     kThrough},  // never renamed over: it stands in every folder
    {FoundAtTarget::BlockDeviceOrDisk,     kReplace,     kRefuse},
    {FoundAtTarget::Socket,                kRefuse,      kRefuse},
    {FoundAtTarget::Directory,             kRefuse,      kRefuse},
    {FoundAtTarget::NoFileName,            kRefuse,      kRefuse},
};

// A replaced file keeps its access, what was planted does not; a file for
// its owner is that whatever it replaces.
NewFileAccess AccessOfNewFile(FoundAtTarget found, FileAccess access) {
  if (access == FileAccess::OwnerOnly) return NewFileAccess::OwnerOnly;
  return found == FoundAtTarget::RegularFile ? NewFileAccess::KeptFromReplaced : NewFileAccess::Fresh;
}

}  // namespace

WriteDecision DecideWrite(FoundAtTarget found, NamedBy namedBy, FileAccess access) {
  WriteAction action = kRefuse;
  for (const Row& row : kDecisions) {
    if (row.found == found) action = namedBy == NamedBy::DefaultName ? row.underDefaultName : row.namedByUser;
  }
  return {action, AccessOfNewFile(found, access)};
}

void WriteAsDecided(TargetFiles& files, std::string_view bytes, NamedBy namedBy, FileAccess access) {
  const FoundAtTarget found = files.Inspect();
  const WriteDecision decision = DecideWrite(found, namedBy, access);
  if (decision.action == WriteAction::Refuse) files.Refuse(found);
  if (decision.action == WriteAction::WriteThrough) return files.WriteThrough(bytes);
  try {
    files.CreateTemporary(decision.access);
    files.WriteTemporary(bytes);
    files.FlushTemporary();
    files.RenameOver();
  } catch (...) {
    files.RemoveTemporary();
    throw;
  }
}

}  // namespace kestro

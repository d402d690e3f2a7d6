#include "platform/snapshot_file.h"

#include "base/linux/whole_file.h"

namespace kestro {

SnapshotSource LoadSnapshot(const std::string& path) {
  const WholeFileRules rules{
      .name = "snapshot " + path,
      .hint = "",
      .ifAbsent = IfAbsent::Fail,
      .maxBytes = SnapshotSource::kMaxFileBytes,
      .refuseTooLarge = [&path](std::optional<std::uint64_t> size) { SnapshotSource::RefuseAsTooLarge(path, size); },
  };
  return SnapshotSource::Parse(*ReadWholeFile(path, rules), path);
}

}  // namespace kestro

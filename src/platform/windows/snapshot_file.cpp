#include "platform/snapshot_file.h"

#include "base/win/whole_file.h"
#include "base/win/wide_text.h"
#include "core/text.h"

namespace kestro {

SnapshotSource LoadSnapshot(const std::string& path) {
  const WholeFileRules rules{
      .name = "snapshot " + path,
      .maxBytes = SnapshotSource::kMaxFileBytes,
      .refuseTooLarge = [&path](std::optional<std::uint64_t> size) { SnapshotSource::RefuseAsTooLarge(path, size); },
  };
  return SnapshotSource::Parse(ReadWholeFile(ToWide(FromUtf8(path)), rules), path);
}

}  // namespace kestro

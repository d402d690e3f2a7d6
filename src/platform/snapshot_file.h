#pragma once

#include <string>

#include "records/snapshot_source.h"

namespace kestro {

// The snapshot in the file at `path` (UTF-8), read with the platform's
// whole-file reader: any kind of file, refused unread past the snapshot
// size limit. A file that cannot be read, or is no well-formed snapshot,
// throws RuntimeError naming it.
SnapshotSource LoadSnapshot(const std::string& path);

}  // namespace kestro

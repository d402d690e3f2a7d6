#pragma once

#include <string>
#include <vector>

#include "records/record_source.h"

namespace kestro {

// What a snapshot recorder hands over: the snapshot, and what it had to
// leave out of it.
struct RecordedSnapshot {
  // The JSON text kestro-replay reads, UTF-8, ending in a line feed.
  std::string json;
  // One line per property a record lacks: "<Class>.<Property> left out: <why>".
  std::vector<std::string> leftOut;
};

// Runs each query of kClassesRead on `source`, as a run of Kestro does, and
// records what it yields with exactly the properties Kestro reads: texts as
// strings, byte arrays as arrays of integers (sixteen to a line), null as
// null. A query that fails is recorded as {"error": N, "message": "..."}, so
// that replaying it fails alike; a property a record lacks is left out, so
// that replaying it fails as reading it did. Namespaces and classes appear in
// the order and spelling of kClassesRead.
RecordedSnapshot RecordSnapshot(RecordSource& source);

}  // namespace kestro

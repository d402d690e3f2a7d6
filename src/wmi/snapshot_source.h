#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "wmi/record_source.h"

namespace kestro {

// Records taken from a JSON snapshot instead of the machine: per namespace
// and class, the records a "Select * From <Class>" query yields, in order, or
// the error that query fails with. Names match ignoring letter case; a class
// the snapshot does not list yields no records.
class SnapshotSource : public RecordSource {
 public:
  // A value as the snapshot holds it: texts stay UTF-8 (half the memory of
  // wide text for the ASCII that records are made of) until they are read.
  using StoredValue = std::variant<std::monostate, std::string, Bytes>;
  struct Property {
    const std::u16string* foldedName;  // interned: one copy per distinct name
    StoredValue value;
  };
  struct QueryFailure {
    std::int64_t number;
    std::string message;
  };
  struct ClassEntry {
    std::u16string name;
    std::optional<QueryFailure> failure;
    // The properties of all records, record after record, and where each
    // record's end: a million records cost no more than their values.
    std::vector<Property> properties;
    std::vector<std::size_t> recordEnds;
  };
  // Keyed by the names in lower case.
  using NamespaceEntry = std::map<std::u16string, ClassEntry>;

  // Reads and checks the whole snapshot in `json`, in one pass without a
  // document tree. Anything that is not a well-formed snapshot throws
  // RuntimeError naming `fileName` and the place.
  static SnapshotSource Parse(std::string_view json, const std::string& fileName);
  // The same for the file at `path`; a file that cannot be read, or one far
  // larger than any machine's records (over `kMaxFileBytes`), throws too.
  static SnapshotSource Load(const std::string& path);
  static constexpr std::uint64_t kMaxFileBytes = 1ULL << 30;
  // Appends `chunk`, the next bytes read from the snapshot `fileName`, to
  // `content`, the bytes read before; past `kMaxFileBytes` in all it throws
  // instead, so that no kind of file (a device, a pipe) is read without end.
  static void AppendWithinLimit(std::string& content, std::string_view chunk, const std::string& fileName);

  SnapshotSource() = default;
  SnapshotSource(SnapshotSource&&) = default;
  SnapshotSource& operator=(SnapshotSource&&) = default;

  std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) override;

 private:
  friend class SnapshotReader;
  std::set<std::u16string, std::less<>> propertyNames_;
  std::map<std::u16string, NamespaceEntry> namespaces_;
};

}  // namespace kestro

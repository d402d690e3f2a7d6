#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "records/record_source.h"

namespace kestro {

// Records taken from a JSON snapshot instead of the machine: per namespace
// and class, the records a "Select * From <Class>" query yields, in order, or
// the error that query fails with. Names match ignoring letter case; a class
// the snapshot does not list yields no records.
class SnapshotSource : public RecordSource {
 public:
  // Reads and checks the whole snapshot in `json`, in one pass without a
  // document tree. Anything that is not a well-formed snapshot throws
  // RuntimeError naming `fileName` and the place.
  static SnapshotSource Parse(std::string_view json, const std::string& fileName);

  // Snapshots far larger than any machine's records are refused unread.
  static constexpr std::uint64_t kMaxFileBytes = 1ULL << 30;
  // The refusal of the snapshot `fileName` as too large: `size` in MiB when
  // it was known before reading, else only that it holds more than the limit.
  [[noreturn]] static void RefuseAsTooLarge(const std::string& fileName, std::optional<std::uint64_t> size);

  SnapshotSource();
  SnapshotSource(SnapshotSource&&) noexcept;
  SnapshotSource& operator=(SnapshotSource&&) noexcept;
  ~SnapshotSource() override;

  std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) override;

  // What the snapshot holds, laid out so that a million records cost their
  // size; known only where snapshots are read.
  struct Records;

 private:
  std::unique_ptr<Records> records_;
};

}  // namespace kestro

#pragma once

#include <string>
#include <utility>
#include <vector>

#include "records/record_source.h"

namespace kestro {

// A record held in memory: its class name (for messages) and its properties.
struct MemoryRecord {
  std::u16string className;
  std::vector<std::pair<std::u16string, PropertyValue>> properties;

  // The value of `name` (letter case ignored); a missing property throws.
  const PropertyValue& Find(std::u16string_view name) const;
};

// A result set that owns its records and hands them out in order.
class RecordList : public RecordSet {
 public:
  explicit RecordList(std::vector<MemoryRecord> records) : records_(std::move(records)) {}
  std::unique_ptr<Record> Next() override;

 private:
  std::vector<MemoryRecord> records_;
  std::size_t next_ = 0;
};

}  // namespace kestro

#include "records/record_list.h"

#include "core/text.h"

namespace kestro {
namespace {

class MemoryRecordView : public Record {
 public:
  explicit MemoryRecordView(const MemoryRecord& record) : record_(record) {}
  PropertyValue Get(std::u16string_view name) const override { return record_.Find(name); }

 private:
  const MemoryRecord& record_;
};

}  // namespace

const PropertyValue& MemoryRecord::Find(std::u16string_view name) const {
  for (const auto& [propertyName, value] : properties) {
    if (EqualIgnoringCase(propertyName, name)) return value;
  }
  ThrowPropertyMissing(ToUtf8(className), name);
}

std::unique_ptr<Record> RecordList::Next() {
  if (next_ >= records_.size()) return nullptr;
  return std::make_unique<MemoryRecordView>(records_[next_++]);
}

}  // namespace kestro

#include "wmi/snapshot_source.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/error.h"
#include "core/text.h"

namespace kestro {
namespace {

using Json = nlohmann::json;

constexpr std::int64_t kInvalidQuery = 0x80041017;  // WBEM_E_INVALID_QUERY

std::u16string Folded(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = AsciiLower(c);
  return folded;
}

// Where in the snapshot a check is, as a JSON pointer ("/root\WMI/Class/0").
class Place {
 public:
  explicit Place(const std::string& fileName) : fileName_(fileName) {}
  Place Key(const std::string& key) const { return Place(*this, key); }
  Place Index(std::size_t index) const { return Place(*this, std::to_string(index)); }

  [[noreturn]] void Fail(const std::string& what) const {
    throw RuntimeError(ErrorCode::BadSnapshot,
                       "malformed snapshot " + fileName_ + " at " + (pointer_.empty() ? "/" : pointer_) + ": " + what);
  }

 private:
  Place(const Place& parent, const std::string& step) : fileName_(parent.fileName_), pointer_(parent.pointer_) {
    pointer_ += '/';
    pointer_ += step;
  }
  const std::string& fileName_;
  std::string pointer_;
};

PropertyValue ReadValue(const Json& value, const Place& place) {
  if (value.is_null()) return std::monostate{};
  if (value.is_string()) return FromUtf8(value.get_ref<const std::string&>());
  if (!value.is_array()) place.Fail("a property value must be a string, null or an array of bytes");
  Bytes bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const Json& element = value[i];
    if (!element.is_number_integer() || element.get<std::int64_t>() < 0 || element.get<std::int64_t>() > 255) {
      place.Index(i).Fail("a byte must be an integer from 0 to 255");
    }
    bytes.push_back(static_cast<std::uint8_t>(element.get<std::int64_t>()));
  }
  return bytes;
}

SnapshotSource::SnapshotRecord ReadRecord(const Json& record, const Place& place) {
  if (!record.is_object()) place.Fail("a record must be an object of properties");
  SnapshotSource::SnapshotRecord properties;
  properties.reserve(record.size());
  for (const auto& [name, value] : record.items()) {
    properties.push_back({Folded(FromUtf8(name)), ReadValue(value, place.Key(name))});
  }
  if (properties.size() > 1) {
    std::vector<std::u16string_view> names;
    for (const auto& property : properties) names.push_back(property.foldedName);
    std::sort(names.begin(), names.end());
    const auto twice = std::adjacent_find(names.begin(), names.end());
    if (twice != names.end()) place.Key(ToUtf8(*twice)).Fail("property listed twice (letter case is ignored)");
  }
  return properties;
}

SnapshotSource::QueryFailure ReadFailure(const Json& failure, const Place& place) {
  if (failure.size() != 2 || !failure.contains("error") || !failure.contains("message")) {
    place.Fail(R"(a failing query must be {"error": <integer>, "message": "<text>"})");
  }
  const Json& number = failure["error"];
  const Json& message = failure["message"];
  if (!number.is_number_integer()) place.Key("error").Fail("the error number must be an integer");
  if (number.is_number_unsigned() && number.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
    place.Key("error").Fail("the error number is too large");
  }
  if (!message.is_string()) place.Key("message").Fail("the error message must be a string");
  return {number.get<std::int64_t>(), message.get<std::string>()};
}

SnapshotSource::ClassEntry ReadClass(const std::string& name, const Json& value, const Place& place) {
  SnapshotSource::ClassEntry entry{FromUtf8(name), std::nullopt, {}};
  if (value.is_object()) {
    entry.failure = ReadFailure(value, place);
  } else if (value.is_array()) {
    entry.records.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) entry.records.push_back(ReadRecord(value[i], place.Index(i)));
  } else {
    place.Fail("a class must be an array of records or a failing query");
  }
  return entry;
}

std::string ParseErrorText(const Json::parse_error& error) {
  std::string text = error.what();
  const std::size_t close = text.find("] ");
  return close == std::string::npos ? text : text.substr(close + 2);
}

class SnapshotRecordView : public Record {
 public:
  SnapshotRecordView(const SnapshotSource::SnapshotRecord& record, const SnapshotSource::ClassEntry& entry,
                     std::size_t index)
      : record_(record), entry_(entry), index_(index) {}

  PropertyValue Get(std::u16string_view name) const override {
    const std::u16string wanted = Folded(name);
    for (const auto& property : record_) {
      if (property.foldedName == wanted) return property.value;
    }
    throw RuntimeError(ErrorCode::PropertyMissing, "Object doesn't support this property or method: " +
                                                       ToUtf8(entry_.name) + " record " + std::to_string(index_ + 1) +
                                                       " has no property " + ToUtf8(name));
  }

 private:
  const SnapshotSource::SnapshotRecord& record_;
  const SnapshotSource::ClassEntry& entry_;
  std::size_t index_;
};

class SnapshotRecordSet : public RecordSet {
 public:
  explicit SnapshotRecordSet(const SnapshotSource::ClassEntry* entry) : entry_(entry) {}

  std::unique_ptr<Record> Next() override {
    if (entry_ == nullptr || next_ >= entry_->records.size()) return nullptr;
    const std::size_t index = next_++;
    return std::make_unique<SnapshotRecordView>(entry_->records[index], *entry_, index);
  }

 private:
  const SnapshotSource::ClassEntry* entry_;
  std::size_t next_ = 0;
};

class SnapshotConnection : public Connection {
 public:
  SnapshotConnection(const SnapshotSource::NamespaceEntry* classes, std::u16string nameSpace)
      : classes_(classes), nameSpace_(std::move(nameSpace)) {}

  std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) override {
    const std::optional<std::u16string> className = QueriedClass(wql);
    if (!className) throw RuntimeError(kInvalidQuery, "Invalid query: " + ToUtf8(wql));
    const SnapshotSource::ClassEntry* entry = nullptr;
    if (classes_ != nullptr) {
      const auto found = classes_->find(Folded(*className));
      if (found != classes_->end()) entry = &found->second;
    }
    if (entry != nullptr && entry->failure) {
      throw RuntimeError(entry->failure->number, entry->failure->message + " (" + ToUtf8(wql) + " in " +
                                                     ToUtf8(nameSpace_) + ")");
    }
    return std::make_unique<SnapshotRecordSet>(entry);
  }

 private:
  const SnapshotSource::NamespaceEntry* classes_;
  std::u16string nameSpace_;
};

}  // namespace

SnapshotSource SnapshotSource::Parse(std::string_view json, const std::string& fileName) {
  const Place top(fileName);
  Json document;
  try {
    document = Json::parse(json.begin(), json.end());
  } catch (const Json::parse_error& error) {
    throw RuntimeError(ErrorCode::BadSnapshot, "malformed snapshot " + fileName + ": " + ParseErrorText(error));
  }
  if (!document.is_object()) top.Fail("a snapshot must be an object of namespaces");
  SnapshotSource source;
  for (const auto& [nameSpace, classes] : document.items()) {
    const Place place = top.Key(nameSpace);
    if (!classes.is_object()) place.Fail("a namespace must be an object of classes");
    auto [entry, isNew] = source.namespaces_.try_emplace(Folded(FromUtf8(nameSpace)));
    if (!isNew) place.Fail("namespace listed twice");
    for (const auto& [className, records] : classes.items()) {
      const Place classPlace = place.Key(className);
      ClassEntry classEntry = ReadClass(className, records, classPlace);
      if (!entry->second.try_emplace(Folded(classEntry.name), std::move(classEntry)).second) {
        classPlace.Fail("class listed twice");
      }
    }
  }
  return source;
}

SnapshotSource SnapshotSource::Load(const std::string& path) {
  const auto fail = [&path] {
    const int number = errno;
    throw RuntimeError(number, "cannot read snapshot " + path + ": " + std::strerror(number));
  };
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) fail();
  std::string content;
  char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  if (std::ferror(file.get())) fail();
  return Parse(content, path);
}

std::unique_ptr<Connection> SnapshotSource::Connect(std::u16string_view nameSpace) {
  const auto found = namespaces_.find(Folded(nameSpace));
  return std::make_unique<SnapshotConnection>(found == namespaces_.end() ? nullptr : &found->second,
                                              std::u16string(nameSpace));
}

}  // namespace kestro

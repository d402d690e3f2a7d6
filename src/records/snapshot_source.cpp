#include "records/snapshot_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <variant>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

using Json = nlohmann::json;

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

// Which way a number's sign points, for the places that take no negatives.
enum class Sign { NotNegative, Negative };
// What a class holds: its records, or the failure of its query.
enum class ClassKind { Records, FailingQuery };

std::string ParseErrorText(const nlohmann::detail::exception& error) {
  std::string text = error.what();
  const std::size_t close = text.find("] ");
  return close == std::string::npos ? text : text.substr(close + 2);
}

// `name` as one reference token of a JSON pointer (RFC 6901).
std::string PointerToken(std::string_view name) {
  std::string token;
  for (const char c : name) {
    if (c == '~') {
      token += "~0";
    } else if (c == '/') {
      token += "~1";
    } else {
      token += c;
    }
  }
  return token;
}

// The parser takes a NUL for the end of its input, so a snapshot that parsed
// still holds bytes behind its value if there is one.
void RefuseBytesAfterTheValue(std::string_view json, const std::string& fileName) {
  const std::size_t nul = json.find('\0');
  if (nul == std::string_view::npos) return;
  const std::size_t lineStart = json.rfind('\n', nul);
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(json.begin(), json.begin() + nul, '\n'));
  const std::size_t column = lineStart == std::string_view::npos ? nul + 1 : nul - lineStart;
  throw RuntimeError(ErrorCode::BadSnapshot, "malformed snapshot " + fileName + ": parse error at line " +
                                                 std::to_string(line) + ", column " + std::to_string(column) +
                                                 ": a NUL byte after the JSON value; expected end of input");
}

}  // namespace

struct SnapshotSource::Records {
  std::set<std::u16string, std::less<>> propertyNames;
  std::map<std::u16string, NamespaceEntry> namespaces;
};

namespace {

// Reads a snapshot event by event (nlohmann's SAX interface) straight into
// the source's records, checking each value where it stands.
class SnapshotReader final : public nlohmann::json_sax<Json> {
 public:
  SnapshotReader(const std::string& fileName, SnapshotSource::Records& records)
      : fileName_(fileName), records_(records) {}

  bool null() override { return Scalar(StoredValue{}); }
  bool boolean(bool) override { return Scalar(std::nullopt); }
  bool number_float(number_float_t, const string_t& text) override {
    // The parser falls back to a double for an integer past 64 bits.
    if (text.find_first_of(".eE") == string_t::npos) return OutOfRange();
    return Scalar(std::nullopt);
  }
  bool binary(binary_t&) override { return Scalar(std::nullopt); }
  bool number_integer(number_integer_t value) override {
    return Integer(value, value < 0 ? Sign::Negative : Sign::NotNegative);
  }
  bool number_unsigned(number_unsigned_t value) override {
    if (value > static_cast<number_unsigned_t>(INT64_MAX)) return OutOfRange();
    return Integer(static_cast<std::int64_t>(value), Sign::NotNegative);
  }
  bool string(string_t& value) override;
  bool start_object(std::size_t) override;
  bool end_object() override;
  bool start_array(std::size_t) override;
  bool end_array() override;
  bool key(string_t& key) override;

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
    constexpr int kNumberOverflow = 406;  // a number past a double's range, which has a place
    if (error.id == kNumberOverflow) OutOfRange();
    throw RuntimeError(ErrorCode::BadSnapshot, "malformed snapshot " + fileName_ + ": " + ParseErrorText(error));
  }

 private:
  enum class Level { InNamespaces, InClasses, InRecords, InFailure, InRecord, InByteArray };

  // The place of the value now being read, as a JSON pointer.
  [[noreturn]] void Fail(const std::string& what) const {
    std::string place;
    for (std::size_t i = 0; i < path_.size(); ++i) {
      place += '/';
      place += levels_[i] == Level::InRecords || levels_[i] == Level::InByteArray ? std::to_string(elementIndex_[i] - 1)
                                                                                  : PointerToken(path_[i]);
    }
    throw RuntimeError(ErrorCode::BadSnapshot,
                       "malformed snapshot " + fileName_ + " at " + (place.empty() ? "/" : place) + ": " + what);
  }

  // Called where an array element starts; the place counts it.
  void NextElement() { ++elementIndex_.back(); }
  void Enter(Level level) {
    levels_.push_back(level);
    path_.emplace_back();
    elementIndex_.push_back(0);
  }
  void Leave() {
    levels_.pop_back();
    path_.pop_back();
    elementIndex_.pop_back();
  }
  Level Current() const { return levels_.back(); }

  // A scalar value; `property` is what it gives a record, nothing when a
  // record cannot hold it.
  bool Scalar(std::optional<StoredValue> property);
  bool Integer(std::int64_t value, Sign sign);
  // A number too large for any place; fails naming the place it stands in.
  bool OutOfRange();
  void StartClass(ClassKind kind);
  void EndRecord();

  const std::string& fileName_;
  SnapshotSource::Records& records_;
  std::vector<Level> levels_;
  std::vector<std::string> path_;
  std::vector<std::size_t> elementIndex_;
  NamespaceEntry* nameSpace_ = nullptr;
  ClassEntry* classEntry_ = nullptr;
  std::size_t recordStart_ = 0;
  std::optional<std::int64_t> failureNumber_;
  std::optional<std::string> failureMessage_;
  bool started_ = false;
};

bool SnapshotReader::Scalar(std::optional<StoredValue> property) {
  if (levels_.empty()) Fail("a snapshot must be an object of namespaces");
  switch (Current()) {
    case Level::InNamespaces:
      Fail("a namespace must be an object of classes");
    case Level::InClasses:
      Fail("a class must be an array of records or a failing query");
    case Level::InRecords:
      NextElement();
      Fail("a record must be an object of properties");
    case Level::InFailure:
      Fail(path_.back() == "error" ? "the error number must be an integer" : "the error message must be a string");
    case Level::InByteArray:
      NextElement();
      Fail("a byte must be an integer from 0 to 255");
    case Level::InRecord:
      if (!property) Fail("a property value must be a string, null or an array of bytes");
      classEntry_->properties.back().value = std::move(*property);
      return true;
  }
  return true;
}

bool SnapshotReader::Integer(std::int64_t value, Sign sign) {
  if (!levels_.empty() && Current() == Level::InByteArray) {
    NextElement();
    if (sign == Sign::Negative || value > 255) Fail("a byte must be an integer from 0 to 255");
    std::get<Bytes>(classEntry_->properties.back().value).push_back(static_cast<std::uint8_t>(value));
    return true;
  }
  if (!levels_.empty() && Current() == Level::InFailure && path_.back() == "error") {
    failureNumber_ = value;
    return true;
  }
  return Scalar(std::nullopt);
}

bool SnapshotReader::OutOfRange() {
  if (!levels_.empty() && Current() == Level::InFailure && path_.back() == "error") {
    Fail("the error number is too large");
  }
  return Integer(-1, Sign::Negative);  // no other place takes it either
}

bool SnapshotReader::string(string_t& value) {
  if (!levels_.empty() && Current() == Level::InFailure && path_.back() == "message") {
    failureMessage_ = std::move(value);
    return true;
  }
  return Scalar(StoredValue{std::move(value)});
}

bool SnapshotReader::key(string_t& key) {
  path_.back() = key;
  switch (Current()) {
    case Level::InNamespaces: {
      const auto [entry, isNew] = records_.namespaces.try_emplace(AsciiLowerCase(FromUtf8(key)));
      if (!isNew) Fail("namespace listed twice");
      nameSpace_ = &entry->second;
      break;
    }
    case Level::InFailure:
      if (key != "error" && key != "message") Fail(R"(a failing query holds only "error" and "message")");
      if (key == "error" ? failureNumber_.has_value() : failureMessage_.has_value())
        Fail("\"" + key + "\" listed twice");
      break;
    case Level::InRecord: {
      const std::u16string folded = AsciiLowerCase(FromUtf8(key));
      auto name = records_.propertyNames.find(std::u16string_view(folded));
      if (name == records_.propertyNames.end()) name = records_.propertyNames.insert(folded).first;
      classEntry_->properties.push_back({&*name, StoredValue{}});
      break;
    }
    default:
      break;
  }
  return true;
}

void SnapshotReader::StartClass(ClassKind kind) {
  const std::u16string name = FromUtf8(path_.back());
  const auto [entry, isNew] = nameSpace_->try_emplace(AsciiLowerCase(name));
  if (!isNew) Fail("class listed twice");
  classEntry_ = &entry->second;
  classEntry_->name = name;
  if (kind == ClassKind::FailingQuery) {
    failureNumber_.reset();
    failureMessage_.reset();
  }
}

bool SnapshotReader::start_object(std::size_t) {
  if (levels_.empty()) {
    if (started_) Fail("a snapshot must be one object of namespaces");
    started_ = true;
    Enter(Level::InNamespaces);
    return true;
  }
  switch (Current()) {
    case Level::InNamespaces:
      Enter(Level::InClasses);
      return true;
    case Level::InClasses:
      StartClass(ClassKind::FailingQuery);
      Enter(Level::InFailure);
      return true;
    case Level::InRecords:
      NextElement();
      recordStart_ = classEntry_->properties.size();
      Enter(Level::InRecord);
      return true;
    default:
      return Scalar(std::nullopt);
  }
}

void SnapshotReader::EndRecord() {
  std::vector<const std::u16string*> names;
  for (std::size_t i = recordStart_; i < classEntry_->properties.size(); ++i) {
    names.push_back(classEntry_->properties[i].foldedName);
  }
  std::sort(names.begin(), names.end());
  const auto twice = std::adjacent_find(names.begin(), names.end());
  if (twice != names.end()) {
    path_.back() = ToUtf8(**twice);
    Fail("property listed twice (letter case is ignored)");
  }
  classEntry_->recordEnds.push_back(classEntry_->properties.size());
}

bool SnapshotReader::end_object() {
  const Level level = Current();
  if (level == Level::InRecord) EndRecord();
  Leave();
  if (level == Level::InFailure) {
    if (!failureNumber_ || !failureMessage_)
      Fail(R"(a failing query must be {"error": <integer>, "message": "<text>"})");
    classEntry_->failure = QueryFailure{*failureNumber_, *failureMessage_};
  }
  return true;
}

bool SnapshotReader::start_array(std::size_t) {
  if (levels_.empty()) Fail("a snapshot must be an object of namespaces");
  switch (Current()) {
    case Level::InClasses:
      StartClass(ClassKind::Records);
      Enter(Level::InRecords);
      return true;
    case Level::InRecord:
      classEntry_->properties.back().value = Bytes{};
      Enter(Level::InByteArray);
      return true;
    default:
      return Scalar(std::nullopt);
  }
}

bool SnapshotReader::end_array() {
  Leave();
  return true;
}

}  // namespace

SnapshotSource::SnapshotSource() : records_(std::make_unique<Records>()) {}
SnapshotSource::SnapshotSource(SnapshotSource&&) noexcept = default;
SnapshotSource& SnapshotSource::operator=(SnapshotSource&&) noexcept = default;
SnapshotSource::~SnapshotSource() = default;

SnapshotSource SnapshotSource::Parse(std::string_view json, const std::string& fileName) {
  SnapshotSource source;
  SnapshotReader reader(fileName, *source.records_);
  Json::sax_parse(json.begin(), json.end(), &reader);
  RefuseBytesAfterTheValue(json, fileName);
  return source;
}

void SnapshotSource::RefuseAsTooLarge(const std::string& fileName, std::optional<std::uint64_t> size) {
  const std::string mebibytes = size ? std::to_string(*size >> 20) : "over " + std::to_string(kMaxFileBytes >> 20);
  throw RuntimeError(ErrorCode::BadSnapshot, "snapshot " + fileName + " is " + mebibytes +
                                                 " MiB, far larger than any machine's records; refused");
}

namespace {

PropertyValue Readable(const StoredValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return FromUtf8(*text);
  if (const auto* bytes = std::get_if<Bytes>(&value)) return *bytes;
  return std::monostate{};
}

class SnapshotRecordView : public Record {
 public:
  SnapshotRecordView(const ClassEntry& entry, std::size_t index) : entry_(entry), index_(index) {}

  PropertyValue Get(std::u16string_view name) const override {
    const std::u16string wanted = AsciiLowerCase(name);
    const std::size_t begin = index_ == 0 ? 0 : entry_.recordEnds[index_ - 1];
    for (std::size_t i = begin; i < entry_.recordEnds[index_]; ++i) {
      if (*entry_.properties[i].foldedName == wanted) return Readable(entry_.properties[i].value);
    }
    ThrowPropertyMissing(ToUtf8(entry_.name) + " record " + std::to_string(index_ + 1), name);
  }

 private:
  const ClassEntry& entry_;
  std::size_t index_;
};

class SnapshotRecordSet : public RecordSet {
 public:
  explicit SnapshotRecordSet(const ClassEntry* entry) : entry_(entry) {}

  std::unique_ptr<Record> Next() override {
    if (entry_ == nullptr || next_ >= entry_->recordEnds.size()) return nullptr;
    return std::make_unique<SnapshotRecordView>(*entry_, next_++);
  }

 private:
  const ClassEntry* entry_;
  std::size_t next_ = 0;
};

class SnapshotConnection : public Connection {
 public:
  SnapshotConnection(const NamespaceEntry* classes, std::u16string nameSpace)
      : classes_(classes), nameSpace_(std::move(nameSpace)) {}

  std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) override {
    const std::optional<std::u16string> className = QueriedClass(wql);
    if (!className) throw RuntimeError(wmi::kInvalidQuery, "Invalid query: " + ToUtf8(wql));
    const ClassEntry* entry = nullptr;
    if (classes_ != nullptr) {
      const auto found = classes_->find(AsciiLowerCase(*className));
      if (found != classes_->end()) entry = &found->second;
    }
    if (entry != nullptr && entry->failure) {
      throw RuntimeError(entry->failure->number,
                         entry->failure->message + " (" + ToUtf8(wql) + " in " + ToUtf8(nameSpace_) + ")");
    }
    return std::make_unique<SnapshotRecordSet>(entry);
  }

 private:
  const NamespaceEntry* classes_;
  std::u16string nameSpace_;
};

}  // namespace

std::unique_ptr<Connection> SnapshotSource::Connect(std::u16string_view nameSpace) {
  const auto found = records_->namespaces.find(AsciiLowerCase(nameSpace));
  return std::make_unique<SnapshotConnection>(found == records_->namespaces.end() ? nullptr : &found->second,
                                              std::u16string(nameSpace));
}

}  // namespace kestro

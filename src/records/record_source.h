#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Query access to the machine's management records, shaped after WMI: connect
// to a namespace, run "Select * From <Class>", visit the records in the order
// the source yields them, read properties by name. The collectors see nothing
// but this; WMI, sysfs and snapshots sit behind it.
namespace kestro {

using Bytes = std::vector<std::uint8_t>;

// A property value: null, a text, or a byte array.
using PropertyValue = std::variant<std::monostate, std::u16string, Bytes>;

class Record {
 public:
  virtual ~Record() = default;
  // The value of property `name` (letter case ignored). A record that lacks
  // the property throws RuntimeError; a null value is no error here.
  virtual PropertyValue Get(std::u16string_view name) const = 0;
};

class RecordSet {
 public:
  virtual ~RecordSet() = default;
  // The next record, or null after the last one.
  virtual std::unique_ptr<Record> Next() = 0;
};

class Connection {
 public:
  virtual ~Connection() = default;
  // Runs the WQL query `wql`. A failing query throws RuntimeError.
  virtual std::unique_ptr<RecordSet> ExecQuery(std::u16string_view wql) = 0;
};

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // A connection of its own to `nameSpace` ("root\WMI", "root\CIMV2").
  virtual std::unique_ptr<Connection> Connect(std::u16string_view nameSpace) = 0;
};

inline constexpr std::u16string_view kWmiNamespace = u"root\\WMI";
inline constexpr std::u16string_view kCimv2Namespace = u"root\\CIMV2";

// Runs "Select * From `className`" on a connection of its own to `nameSpace`
// and calls `visit` with each record in order. Connection, result set and
// records are released before it returns.
template <class Visit>
void ForEachRecord(RecordSource& source, std::u16string_view nameSpace, std::u16string_view className, Visit&& visit) {
  const std::unique_ptr<Connection> connection = source.Connect(nameSpace);
  std::u16string wql = u"Select * From ";
  wql += className;
  const std::unique_ptr<RecordSet> records = connection->ExecQuery(wql);
  while (const std::unique_ptr<Record> record = records->Next()) visit(*record);
}

// The class of a "Select * From <Class>" query (any letter case, any runs of
// spaces between the words); nothing for a query of any other shape.
std::optional<std::u16string> QueriedClass(std::u16string_view wql);

// `value` as text. A null value cannot be turned into text (InvalidUseOfNull),
// nor can a byte array (TypeMismatch); the error names the property as
// `className`.`property`.
std::u16string RequireText(PropertyValue value, std::u16string_view className, std::u16string_view property);

// The failure of reading a property a record does not have; `record` names
// the record in the text ("Win32_BaseBoard", "Win32_BaseBoard record 2").
[[noreturn]] void ThrowPropertyMissing(std::string_view record, std::u16string_view property);

}  // namespace kestro

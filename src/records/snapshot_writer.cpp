#include "records/snapshot_writer.h"

#include <nlohmann/json.hpp>

#include "core/error.h"
#include "core/text.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

using Json = nlohmann::ordered_json;

Json ValueOf(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return ToUtf8(*text);
  if (const auto* bytes = std::get_if<Bytes>(&value)) return *bytes;
  return nullptr;
}

// The records of `read` with the properties Kestro reads from them.
Json RecordClass(RecordSource& source, const ClassRead& read, std::vector<std::string>& leftOut) {
  Json records = Json::array();
  ForEachRecord(source, read, [&](const Record& record) {
    Json properties = Json::object();
    for (const std::u16string_view property : read.properties) {
      if (property.empty()) continue;
      try {
        properties[ToUtf8(property)] = ValueOf(record.Get(property));
      } catch (const RuntimeError& error) {
        leftOut.push_back(ToUtf8(read.className) + "." + ToUtf8(property) + " left out: " + error.text());
      }
    }
    records.push_back(std::move(properties));
  });
  return records;
}

// --- Layout: two spaces a level, as nlohmann indents; a byte array in rows
// of sixteen instead of one value a line, so that a table stays readable
// and its offsets easy to count.

constexpr std::size_t kBytesPerRow = 16;

std::string Scalar(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A line break, then the indentation of `depth`.
void NewLine(std::size_t depth, std::string& out) {
  out += '\n';
  out.append(2 * depth, ' ');
}

bool IsByteArray(const Json& value) { return value.is_array() && !value.empty() && value.front().is_number(); }

void AppendByteRows(const Json& bytes, std::size_t depth, std::string& out) {
  out += "[";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % kBytesPerRow == 0) {
      NewLine(depth + 1, out);
    } else {
      out += ' ';
    }
    out += Scalar(bytes[i]);
    if (i + 1 < bytes.size()) out += ",";
  }
  NewLine(depth, out);
  out += ']';
}

void AppendJson(const Json& value, std::size_t depth, std::string& out) {
  if (IsByteArray(value)) return AppendByteRows(value, depth, out);
  if (!value.is_structured() || value.empty()) {
    out += Scalar(value);
    return;
  }
  out += value.is_object() ? "{" : "[";
  bool first = true;
  for (auto item = value.begin(); item != value.end(); ++item) {
    if (!first) out += ',';
    first = false;
    NewLine(depth + 1, out);
    if (value.is_object()) out += Scalar(item.key()) + ": ";
    AppendJson(*item, depth + 1, out);
  }
  NewLine(depth, out);
  out += value.is_object() ? '}' : ']';
}

}  // namespace

RecordedSnapshot RecordSnapshot(RecordSource& source) {
  RecordedSnapshot recorded;
  Json snapshot = Json::object();
  for (const ClassRead& read : wmi::kClassesRead) {
    Json& recordedClass = snapshot[ToUtf8(read.nameSpace)][ToUtf8(read.className)];
    try {
      recordedClass = RecordClass(source, read, recorded.leftOut);
    } catch (const RuntimeError& error) {
      recordedClass = Json{{"error", error.number()}, {"message", error.text()}};
    }
  }
  AppendJson(snapshot, 0, recorded.json);
  recorded.json += "\n";
  return recorded;
}

}  // namespace kestro

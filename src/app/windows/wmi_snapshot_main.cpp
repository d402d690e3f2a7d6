// kestro-wmi-snapshot.exe: captures what Kestro reads from this PC's WMI as a
// record snapshot, so that kestro-replay (on any platform) can run Kestro on
// it. Each of Kestro's four queries is run as Kestro.exe runs it; a query
// that fails is kept as its error, a property that a record lacks is left
// out (as reading it would fail).
//
// Command line: kestro-wmi-snapshot.exe [OUTPUT.json]; without OUTPUT the
// snapshot goes to standard output. Exit status 0, or 1 when it could not be
// written.
#include <windows.h>

#include <nlohmann/json.hpp>
#include <string>

#include "app/windows/argument_text.h"
#include "base/win/wide_text.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/console.h"
#include "platform/report_file.h"
#include "wmi/classes_read.h"
#include "wmi/windows/wmi_source.h"

namespace {

using Json = nlohmann::ordered_json;

Json ValueOf(const kestro::PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return kestro::ToUtf8(*text);
  if (const auto* bytes = std::get_if<kestro::Bytes>(&value)) return *bytes;
  return nullptr;
}

// The records of the class `read` with the properties Kestro reads from it.
Json CaptureClass(kestro::RecordSource& source, const kestro::ClassRead& read) {
  Json records = Json::array();
  kestro::ForEachRecord(source, read, [&](const kestro::Record& record) {
    Json properties = Json::object();
    for (const std::u16string_view property : read.properties) {
      if (property.empty()) continue;
      try {
        properties[kestro::ToUtf8(property)] = ValueOf(record.Get(property));
      } catch (const kestro::RuntimeError& error) {
        // Left out: replaying reads it and fails, as Kestro.exe does here.
        kestro::ShowFailure(kestro::OneLine("kestro-wmi-snapshot: " + kestro::ToUtf8(read.className) + "." +
                                            kestro::ToUtf8(property) + " left out: " + error.text()));
      }
    }
    records.push_back(std::move(properties));
  });
  return records;
}

Json CaptureSnapshot() {
  kestro::WmiSource source;
  Json snapshot = Json::object();
  for (const kestro::ClassRead& read : kestro::wmi::kClassesRead) {
    Json& captured = snapshot[kestro::ToUtf8(read.nameSpace)][kestro::ToUtf8(read.className)];
    try {
      captured = CaptureClass(source, read);
    } catch (const kestro::RuntimeError& error) {
      captured = Json{{"error", error.number()}, {"message", error.text()}};
    }
  }
  return snapshot;
}

}  // namespace

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const kestro::FirstWord output = kestro::SplitFirstWord(kestro::ArgumentTextOf(commandLine));
  try {
    const std::string json = CaptureSnapshot().dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    if (output.word.empty()) {
      kestro::PrintInformation(json);
    } else {
      kestro::ReplaceFileContents(output.word, json);
    }
    return 0;
  } catch (const kestro::RuntimeError& error) {
    kestro::ShowFailure(kestro::FormatFailure("kestro-wmi-snapshot", error));
    return 1;
  }
}

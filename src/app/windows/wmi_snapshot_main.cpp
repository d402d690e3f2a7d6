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

#include "app/program.h"
#include "platform/console.h"
#include "app/windows/argument_text.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/report_file.h"
#include "platform/windows/wide_text.h"
#include "wmi/windows/wmi_source.h"

namespace {

using Json = nlohmann::ordered_json;

struct Query {
  std::u16string_view nameSpace;
  std::u16string_view className;
  std::u16string_view property;
};

constexpr Query kQueries[] = {
    {kestro::kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData"},
    {kestro::kCimv2Namespace, u"Win32_ComputerSystem", u"Manufacturer"},
    {kestro::kCimv2Namespace, u"Win32_ComputerSystem", u"Model"},
    {kestro::kCimv2Namespace, u"Win32_BaseBoard", u"Product"},
    {kestro::kCimv2Namespace, u"Win32_SystemDevices", u"PartComponent"},
};

Json ValueOf(const kestro::PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return kestro::ToUtf8(*text);
  if (const auto* bytes = std::get_if<kestro::Bytes>(&value)) return *bytes;
  return nullptr;
}

// The records of one class with the properties Kestro reads from it.
Json CaptureClass(kestro::RecordSource& source, std::u16string_view nameSpace, std::u16string_view className) {
  Json records = Json::array();
  kestro::ForEachRecord(source, nameSpace, className, [&](const kestro::Record& record) {
    Json properties = Json::object();
    for (const Query& query : kQueries) {
      if (query.className != className) continue;
      try {
        properties[kestro::ToUtf8(query.property)] = ValueOf(record.Get(query.property));
      } catch (const kestro::RuntimeError& error) {
        // Left out: replaying reads it and fails, as Kestro.exe does here.
        kestro::ShowFailure("kestro-wmi-snapshot: " + kestro::ToUtf8(className) + "." + kestro::ToUtf8(query.property) +
                            " left out: " + error.text());
      }
    }
    records.push_back(std::move(properties));
  });
  return records;
}

Json CaptureSnapshot() {
  kestro::WmiSource source;
  Json snapshot = Json::object();
  for (const Query& query : kQueries) {
    const std::string nameSpace = kestro::ToUtf8(query.nameSpace);
    const std::string className = kestro::ToUtf8(query.className);
    if (snapshot.contains(nameSpace) && snapshot[nameSpace].contains(className)) continue;
    try {
      snapshot[nameSpace][className] = CaptureClass(source, query.nameSpace, query.className);
    } catch (const kestro::RuntimeError& error) {
      snapshot[nameSpace][className] = Json{{"error", error.number()}, {"message", error.text()}};
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

// The collectors around the SMBIOS table: the capture from the records, and
// the lines the type 1 walk's entries give.
#include <array>
#include <string_view>

#include "core/error.h"
#include "profile/profile.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

constexpr std::size_t kProductNumberEntry = 5;

constexpr std::array<std::u16string_view, kMaxType1Entries> kType1Keys = {
    u"Manufacturer=", u"ProductName=", u"Version=", u"SerialNumber=", u"SKUNumber=", u"Family=",
};

}  // namespace

SmbiosCapture CollectRawSmbios(RecordSource& source) {
  RawSmbiosText raw;
  ForEachRecord(source, wmi::kRawSmbiosTables, [&](const Record& record) {
    PropertyValue value = record.Get(wmi::kSmbiosData);
    const Bytes* table = std::get_if<Bytes>(&value);
    if (table == nullptr) {
      const bool isNull = std::holds_alternative<std::monostate>(value);
      throw RuntimeError(ErrorCode::TypeMismatch,
                         std::string("Type mismatch: MSSmBios_RawSMBiosTables.SMBiosData is ") +
                             (isNull ? "null" : "a text") + ", not a byte array");
    }
    raw = RawSmbiosText::FromTable(*table);
  });
  return CaptureBiosCharacteristics(std::move(raw));
}

void ListSmbiosType1(const Type1Strings& entries, ReportText& report) {
  report.AppendLine(u"[SMBIOSType1]");
  for (std::size_t k = 0; k < entries.size() && k < kMaxType1Entries; ++k) {
    report.AppendValue(kType1Keys[k], entries[k]);
  }
}

void AppendProductNumber(const Type1Strings& entries, ReportText& report) {
  if (entries.size() >= kProductNumberEntry) report.AppendValue(u"ProdNum=", entries[kProductNumberEntry - 1]);
}

}  // namespace kestro

#include "core/text.h"
#include "profile/profile.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

struct BrandRule {
  std::u16string_view test;    // the model text must contain this
  std::u16string_view anchor;  // the slice is counted from this one's first position
  std::u16string_view brand;
  std::size_t skip;    // characters from the anchor's position to the slice
  std::size_t length;  // characters in the slice
};

// The first rule whose test text the model text contains gives the brand.
// For "ZQ" the test wants a space behind it but the slice is counted from the
// first "ZQ" anywhere, so an earlier "ZQ" inside another word moves it.
constexpr std::array<BrandRule, 3> kBrandRules = {{
    {u"Corvanta", u"Corvanta", u"Corvanta", 9, 6},
    {u"Tindrell", u"Tindrell", u"Tindrell", 9, 5},
    {u"ZQ ", u"ZQ", u"ZQ", 3, 5},
}};

constexpr std::u16string_view kUnknown = u"Unknown";

}  // namespace

void CollectBiosStrings(RecordSource& source, const SmbiosCapture& capture, const Type1Strings& type1,
                        ReportText& report) {
  report.Start(u"[BIOS Strings]");
  AppendIdentityLines(source, report);
  AppendBiosFlagLines(capture, report);
  AppendDevicePresenceLines(source, report);
  AppendProductNumber(type1, report);
}

void AppendIdentityLines(RecordSource& source, ReportText& report) {
  std::u16string modelText;
  ForEachRecord(source, wmi::kComputerSystem, [&](const Record& record) {
    modelText = ReadText(record, wmi::kComputerSystem, wmi::kModel);
    report.AppendValue(u"Manufacturer=", ReadText(record, wmi::kComputerSystem, wmi::kManufacturer));
    report.AppendValue(u"FullProductName=", modelText);
  });
  ForEachRecord(source, wmi::kBaseBoard, [&](const Record& record) {
    report.AppendValue(u"SystemID=", ReadText(record, wmi::kBaseBoard, wmi::kProduct));
  });
  AppendModelTextLines(modelText, report);
}

void AppendModelTextLines(std::u16string_view modelText, ReportText& report) {
  std::u16string_view brand = kUnknown;
  std::u16string_view model = kUnknown;
  for (const BrandRule& rule : kBrandRules) {
    if (FindExact(modelText, rule.test) == 0) continue;
    brand = rule.brand;
    model = Mid(modelText, FindExact(modelText, rule.anchor) + rule.skip, rule.length);
    break;
  }
  report.AppendValue(u"BrandName=", brand);
  report.AppendValue(u"ModelName=", model);

  const std::size_t bracket = FindExact(modelText, u"(");
  if (bracket == 0) {
    report.AppendValue(u"SKUNumber=", kUnknown);
    report.AppendValue(u"SKUOptionConfig=", kUnknown);
    return;
  }
  report.AppendValue(u"SKUNumber=", Mid(modelText, bracket + 1, 6));
  // Searched from the first character, so a "#" before the "(" counts too.
  const std::size_t hash = FindExact(modelText, u"#");
  if (hash != 0) report.AppendValue(u"SKUOptionConfig=", Mid(modelText, hash + 1, 3));
}

void AppendBiosFlagLines(const SmbiosCapture& capture, ReportText& report) {
  // Bits 48..50 and 56..57 of the field: the top two bytes are the system
  // vendor's, and these two values are kept there.
  const unsigned mediaFlag = capture.biosCharBytes[6] & 7u;
  const unsigned channel = capture.biosCharBytes[7] & 3u;
  report.AppendValue(u"FleetmediaFlag=", DecimalText(mediaFlag));
  report.AppendValue(u"ChannelID=", DecimalText(channel));
  // Low half first: the line does not read as one 64-bit number.
  std::u16string field = capture.biosCharLowHex;
  field += u' ';
  field += capture.biosCharHighHex;
  report.AppendValue(u"BiosCharacteristics=", field);
}

}  // namespace kestro

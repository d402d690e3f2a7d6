#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/report_text.h"
#include "smbios/raw_smbios.h"
#include "smbios/type1_walk.h"
#include "records/record_source.h"

// The collectors that turn records and SMBIOS bytes into report lines.
namespace kestro {

// Reads the table from the `SMBiosData` of every MSSmBios_RawSMBiosTables
// record (the last one wins; none gives the empty table) and captures it.
SmbiosCapture CollectRawSmbios(RecordSource& source);

// Appends "[SMBIOSType1]" and one line per entry of the walk: "Manufacturer=",
// "ProductName=", "Version=", "SerialNumber=", "SKUNumber=", "Family=".
void ListSmbiosType1(const Type1Strings& entries, ReportText& report);

// Appends "ProdNum=" with entry 5 when the walk found one.
void AppendProductNumber(const Type1Strings& entries, ReportText& report);

// Starts the report with "[BIOS Strings]" and fills the section: identity
// lines, BIOS characteristics flags, device presence, then "ProdNum=" from the
// walk's `type1` entries.
void CollectBiosStrings(RecordSource& source, const SmbiosCapture& capture, const Type1Strings& type1,
                        ReportText& report);

// Identity lines: a "Manufacturer=" / "FullProductName=" pair per computer
// system record, "SystemID=" per base board, then the lines cut out of the
// model text.
void AppendIdentityLines(RecordSource& source, ReportText& report);

// "BrandName=", "ModelName=", "SKUNumber=" and, usually, "SKUOptionConfig=",
// cut out of `modelText` at fixed distances behind a brand, "(" and "#".
void AppendModelTextLines(std::u16string_view modelText, ReportText& report);

// "FleetmediaFlag=", "ChannelID=" and "BiosCharacteristics=".
void AppendBiosFlagLines(const SmbiosCapture& capture, ReportText& report);

// What the device presence scan found in the device texts.
struct DevicePresence {
  bool bluetooth = false;
  bool wwan = false;
  bool touchPanel = false;
  bool fingerPrint = false;
  bool webCam = false;
};

// Matches one device text (a WMI object path) against the pattern table:
// raises the flags it matches in `presence` and returns which known cameras
// it holds, as the digits of their "WebCam=" lines ("" for none, "2", "13").
std::u16string MatchDevicePatterns(std::u16string_view deviceText, DevicePresence& presence);

// The texts of the device pattern table, in table order (for tests that
// check the one-pass matching against a plain search for each).
std::vector<std::u16string_view> DevicePatternTexts();

// "WebCam=" lines per matching device, then "WebCam=0" when none, then the
// "Bluetooth=", "WWAN=", "TouchPanel=" and "FingerPrint=" lines.
void AppendDevicePresenceLines(RecordSource& source, ReportText& report);

// Appends "[PNP]" and "PNPDEVICE<n>=" with the object path of every device.
void ListPnpDevices(RecordSource& source, ReportText& report);

}  // namespace kestro

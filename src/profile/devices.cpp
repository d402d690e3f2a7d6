#include <bitset>

#include "core/text.h"
#include "profile/profile.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

enum class DeviceKind { Bluetooth, Wwan, TouchPanel, FingerPrint, WebCam };

struct DevicePattern {
  std::u16string_view text;
  DeviceKind kind;
  char16_t webCamDigit;  // the camera's "WebCam=" digit, 0 for other kinds
};

// Patterns 1-9 hold two backslashes: in an object path every backslash of
// the device identifier is doubled. Letter case is ignored when matching.
constexpr std::array<DevicePattern, 12> kDevicePatterns = {{
    {u"USB\\\\Vid_FFF0&Pid_E001", DeviceKind::Bluetooth, 0},
    {u"USB\\\\Vid_FFF1&Pid_E002&Rev_0A01", DeviceKind::Bluetooth, 0},
    {u"USB\\\\Vid_FFF0&Pid_E003&Rev_0A02", DeviceKind::Bluetooth, 0},
    {u"USB\\\\Vid_FFF0&Pid_E004", DeviceKind::Bluetooth, 0},
    {u"USB\\\\Vid_FFF0&Pid_E003", DeviceKind::Bluetooth, 0},
    {u"USB\\\\Vid_FFF1&Pid_E002", DeviceKind::Bluetooth, 0},
    {u"USB\\\\VID_fff0&PID_e005", DeviceKind::Wwan, 0},
    {u"USB\\\\VID_0EEF&PID_0001", DeviceKind::TouchPanel, 0},
    {u"USB\\\\VID_08FF&PID_1600", DeviceKind::FingerPrint, 0},
    {u"VID_0C45&PID_62C0&MI_00", DeviceKind::WebCam, u'1'},
    {u"Vid_05CA&Pid_1810", DeviceKind::WebCam, u'2'},
    {u"VID_090C&PID_B370&MI_00", DeviceKind::WebCam, u'3'},
}};

// Every pattern holds "VID_" once, right at its start or behind "USB\\", so
// a pattern occurs in a text exactly when it matches at that offset before
// some "VID_" of the text: one pass over the text finds them all.
constexpr std::u16string_view kAnchor = u"vid_";

std::array<std::size_t, kDevicePatterns.size()> AnchorOffsets() {
  std::array<std::size_t, kDevicePatterns.size()> offsets{};
  for (std::size_t p = 0; p < kDevicePatterns.size(); ++p) {
    offsets[p] = FindIgnoringCase(kDevicePatterns[p].text, kAnchor) - 1;
  }
  return offsets;
}

bool MatchesAt(std::u16string_view text, std::size_t at, std::u16string_view pattern) {
  if (at + pattern.size() > text.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (AsciiLower(text[at + i]) != AsciiLower(pattern[i])) return false;
  }
  return true;
}

std::bitset<kDevicePatterns.size()> MatchingPatterns(std::u16string_view text) {
  static const std::array<std::size_t, kDevicePatterns.size()> offsets = AnchorOffsets();
  std::bitset<kDevicePatterns.size()> matched;
  for (std::size_t at = 0; at + kAnchor.size() <= text.size(); ++at) {
    if (!MatchesAt(text, at, kAnchor)) continue;
    for (std::size_t p = 0; p < kDevicePatterns.size(); ++p) {
      const std::size_t offset = offsets[p];
      if (at >= offset && MatchesAt(text, at - offset, kDevicePatterns[p].text)) matched.set(p);
    }
  }
  return matched;
}

void Raise(DevicePresence& presence, DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Bluetooth:
      presence.bluetooth = true;
      break;
    case DeviceKind::Wwan:
      presence.wwan = true;
      break;
    case DeviceKind::TouchPanel:
      presence.touchPanel = true;
      break;
    case DeviceKind::FingerPrint:
      presence.fingerPrint = true;
      break;
    case DeviceKind::WebCam:
      presence.webCam = true;
      break;
  }
}

void AppendFlag(ReportText& report, std::u16string_view key, bool present) {
  report.AppendValue(key, present ? u"1" : u"0");
}

}  // namespace

std::vector<std::u16string_view> DevicePatternTexts() {
  std::vector<std::u16string_view> texts;
  for (const DevicePattern& pattern : kDevicePatterns) texts.push_back(pattern.text);
  return texts;
}

std::u16string MatchDevicePatterns(std::u16string_view deviceText, DevicePresence& presence) {
  const auto matched = MatchingPatterns(deviceText);
  std::u16string cameras;
  for (std::size_t p = 0; p < kDevicePatterns.size(); ++p) {
    if (!matched.test(p)) continue;
    Raise(presence, kDevicePatterns[p].kind);
    if (kDevicePatterns[p].webCamDigit != 0) cameras += kDevicePatterns[p].webCamDigit;
  }
  return cameras;
}

void AppendDevicePresenceLines(RecordSource& source, ReportText& report) {
  DevicePresence presence;
  ForEachRecord(source, wmi::kSystemDevices, [&](const Record& record) {
    const std::u16string deviceText = ReadText(record, wmi::kSystemDevices, wmi::kPartComponent);
    for (char16_t digit : MatchDevicePatterns(deviceText, presence)) {
      report.AppendLine(std::u16string(u"WebCam=") + digit);
    }
  });
  // The camera lines inside the loop stand for themselves; "WebCam=0" only
  // when there were none.
  if (!presence.webCam) report.AppendLine(u"WebCam=0");
  AppendFlag(report, u"Bluetooth=", presence.bluetooth);
  AppendFlag(report, u"WWAN=", presence.wwan);
  AppendFlag(report, u"TouchPanel=", presence.touchPanel);
  AppendFlag(report, u"FingerPrint=", presence.fingerPrint);
}

void ListPnpDevices(RecordSource& source, ReportText& report) {
  report.AppendLine(u"[PNP]");
  std::size_t counter = 0;
  std::u16string key;
  ForEachRecord(source, wmi::kSystemDevices, [&](const Record& record) {
    key = u"PNPDEVICE";
    key += DecimalText(counter);
    key += u'=';
    report.AppendValue(key, ReadText(record, wmi::kSystemDevices, wmi::kPartComponent));
    ++counter;
  });
}

}  // namespace kestro

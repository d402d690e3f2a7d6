#include "core/report_json.h"

#include <tuple>
#include <utility>
#include <vector>

#include "core/text.h"

namespace kestro {
namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr std::u16string_view kDeviceSection = u"PNP";

// The keys the report writes once per record or per device, so that their
// section can hold them more than once: one "Manufacturer=",
// "FullProductName=" and "SystemID=" line per computer-system and base-board
// record, one "WebCam=" line per camera. Every other key of every section
// stands at most once.
struct RepeatableKey {
  std::u16string_view section;
  std::u16string_view key;
};
constexpr RepeatableKey kRepeatableKeys[] = {
    {u"BIOS Strings", u"Manufacturer"},
    {u"BIOS Strings", u"FullProductName"},
    {u"BIOS Strings", u"SystemID"},
    {u"BIOS Strings", u"WebCam"},
};

bool IsRepeatable(std::u16string_view section, std::u16string_view key) {
  for (const RepeatableKey& repeatable : kRepeatableKeys) {
    if (repeatable.section == section && repeatable.key == key) return true;
  }
  return false;
}

struct Key {
  std::u16string_view name;
  bool repeatable;
  std::vector<std::u16string_view> values;
};

struct Section {
  std::u16string_view name;
  std::vector<Key> keys;                      // in order of first appearance
  std::vector<std::u16string_view> devices;  // the values of "PNP"
};

// The report's lines, read back: "[name]" starts a section, "key=value"
// belongs to the section above it (the key runs to the first "="). A line
// ends at its CR, which no value holds (the report writes CR as a space).
std::vector<Section> Sections(std::u16string_view reportText) {
  std::vector<Section> sections;
  while (!reportText.empty()) {
    const std::size_t end = reportText.find(u'\r');
    const std::u16string_view line = reportText.substr(0, end);
    reportText.remove_prefix(end == std::u16string_view::npos ? reportText.size() : end + kLineEnd.size());
    const std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos && line.starts_with(u'[') && line.ends_with(u']')) {
      sections.push_back({line.substr(1, line.size() - 2), {}, {}});
      continue;
    }
    if (sections.empty() || equals == std::u16string_view::npos) continue;  // not a line the report writes
    Section& section = sections.back();
    const std::u16string_view key = line.substr(0, equals);
    const std::u16string_view value = line.substr(equals + 1);
    if (section.name == kDeviceSection) {
      section.devices.push_back(value);
      continue;
    }
    Key* known = nullptr;
    for (Key& candidate : section.keys) {
      if (candidate.name == key) known = &candidate;
    }
    if (known == nullptr) known = &section.keys.emplace_back(Key{key, IsRepeatable(section.name, key), {}});
    known->values.push_back(value);
  }
  return sections;
}

// Controls are escaped: a YAML reader (Facter reads an executable fact's
// output as YAML) rejects DEL and the C1 controls raw. Everything else is
// raw UTF-8, never a \u escape: YAML readers mangle escaped surrogate pairs.
bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsPlainAscii(char16_t c) { return c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\'; }

// The bytes one UTF-16 unit can take at most: "\u00XX" for a control.
constexpr std::size_t kMostBytesPerUnit = 6;

// Writes the character at `text[i]` (a pair counts as one) to `at`; the
// position behind it in `text` and in the output.
std::pair<std::size_t, char*> WriteCharacter(std::u16string_view text, std::size_t i, char* at) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  char32_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  } else if (c >= 0xD800 && c <= 0xDFFF) {
    c = 0xFFFD;  // a lone half of a pair is no character
  }
  if (c == u'"' || c == u'\\') {
    *at++ = '\\';
    *at++ = static_cast<char>(c);
  } else if (IsControl(c)) {
    for (const char byte : {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]}) *at++ = byte;
  } else {
    std::string utf8;
    AppendUtf8(utf8, c);
    for (const char byte : utf8) *at++ = byte;
  }
  return {i, at};
}

// Room is made once: one byte a unit, which plain ASCII (nearly all of a
// report) takes, and kMostBytesPerUnit for each unit that is not; then the
// characters are written into it.
void AppendString(std::string& out, std::u16string_view text) {
  std::size_t others = 0;
  for (const char16_t c : text) others += IsPlainAscii(c) ? 0 : 1;
  std::size_t written = out.size();
  out.resize(written + text.size() + 2 + others * (kMostBytesPerUnit - 1));
  char* at = out.data() + written;
  *at++ = '"';
  for (std::size_t i = 0; i < text.size();) {
    if (IsPlainAscii(text[i])) {
      *at++ = static_cast<char>(text[i++]);
    } else {
      std::tie(i, at) = WriteCharacter(text, i, at);
    }
  }
  *at++ = '"';
  out.resize(static_cast<std::size_t>(at - out.data()));
}

void AppendStringList(std::string& out, const std::vector<std::u16string_view>& values, std::string_view indent) {
  if (values.empty()) {
    out += "[]";
    return;
  }
  out += "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    out.append(i == 0 ? "\n" : ",\n").append(indent).append("  ");
    AppendString(out, values[i]);
  }
  out.append("\n").append(indent).append("]");
}

void AppendSection(std::string& out, const Section& section) {
  out += "    ";
  AppendString(out, section.name);
  out += ": ";
  if (section.name == kDeviceSection) return AppendStringList(out, section.devices, "    ");
  if (section.keys.empty()) {
    out += "{}";
    return;
  }
  out += "{";
  for (std::size_t i = 0; i < section.keys.size(); ++i) {
    const Key& key = section.keys[i];
    out += i == 0 ? "\n      " : ",\n      ";
    AppendString(out, key.name);
    out += ": ";
    if (key.repeatable) {
      out += "[";
      for (std::size_t v = 0; v < key.values.size(); ++v) {
        if (v > 0) out += ", ";
        AppendString(out, key.values[v]);
      }
      out += "]";
    } else {
      AppendString(out, key.values.back());
    }
  }
  out += "\n    }";
}

}  // namespace

std::string ReportAsJson(std::u16string_view reportText, std::string_view programVersion) {
  std::string out;
  out.reserve(reportText.size() + reportText.size() / 8 + 256);  // the text, and the quotes and commas around it
  out += "{\n  \"kestro\": {\"version\": \"";
  out.append(programVersion).append("\", \"format\": ").append(std::to_string(kReportJsonFormat)).append("},\n");
  out += "  \"report\": {";
  const std::vector<Section> sections = Sections(reportText);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    out += i == 0 ? "\n" : ",\n";
    AppendSection(out, sections[i]);
  }
  out += sections.empty() ? "}\n}\n" : "\n  }\n}\n";
  return out;
}

}  // namespace kestro

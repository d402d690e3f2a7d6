#include "core/report_json.h"

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
// belongs to the section above it (the key runs to the first "=").
std::vector<Section> Sections(std::u16string_view reportText) {
  std::vector<Section> sections;
  while (!reportText.empty()) {
    const std::size_t end = reportText.find(kLineEnd);
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

void AppendString(std::string& out, std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone half of a pair is no character
    }
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (IsControl(c)) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      AppendUtf8(out, c);
    }
  }
  out += '"';
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
  std::string out = "{\n  \"kestro\": {\"version\": \"";
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

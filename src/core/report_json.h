#pragma once

#include <string>
#include <string_view>

// The report as a JSON document, for the engines that gather facts across a
// fleet (doc/kestro-report.schema.json describes it):
//   {"kestro": {"version": "1.00", "format": 1},
//    "report": {"BIOS Strings": {"Manufacturer": ["..."], "BrandName": "...", ...},
//               "Versions": {...}, "PNP": ["..."], "SMBIOSType1": {...}}}
namespace kestro {

// What the document says of itself; grows only when a document valid before
// would no longer be, or would mean something else.
inline constexpr int kReportJsonFormat = 1;

// `reportText` (the INI report: "[Section]" and "key=value" lines, each
// ending in CR LF) as the JSON document: its sections in report order, each
// an object of its keys in order of first appearance; "PNP" the array of its
// values. A key the report can write more than once in its section is always
// an array of its values, a key it writes once a string, so that each key has
// one type on every machine. Values are the report's text: a character the
// ANSI code page lacks is kept, a lone surrogate becomes U+FFFD; C0 and C1
// controls and DEL are written as \u00XX, every other character as UTF-8.
// The document ends in one line feed.
std::string ReportAsJson(std::u16string_view reportText, std::string_view programVersion);

}  // namespace kestro

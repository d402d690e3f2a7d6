#include "core/report_json.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

using namespace std::string_literals;

TEST(ReportAsJson, SectionsKeysAndRepeatableKeysAsArrays) {
  const std::u16string report =
      u"[BIOS Strings]\r\nManufacturer=ZQ\r\nFullProductName=a=b\r\nBrandName=Unknown\r\nWebCam=1\r\nWebCam=3\r\n"
      u"[Versions]\r\nVersion=1.05\r\n[PNP]\r\nPNPDEVICE0=x\r\nPNPDEVICE1=y\r\n[SMBIOSType1]\r\n";
  EXPECT_EQ(ReportAsJson(report, "1.00"),
            "{\n"
            "  \"kestro\": {\"version\": \"1.00\", \"format\": 1},\n"
            "  \"report\": {\n"
            "    \"BIOS Strings\": {\n"
            "      \"Manufacturer\": [\"ZQ\"],\n"
            "      \"FullProductName\": [\"a=b\"],\n"
            "      \"BrandName\": \"Unknown\",\n"
            "      \"WebCam\": [\"1\", \"3\"]\n"
            "    },\n"
            "    \"Versions\": {\n"
            "      \"Version\": \"1.05\"\n"
            "    },\n"
            "    \"PNP\": [\n"
            "      \"x\",\n"
            "      \"y\"\n"
            "    ],\n"
            "    \"SMBIOSType1\": {}\n"
            "  }\n"
            "}\n");
}

TEST(ReportAsJson, ValuesKeepEveryCharacterAndEscapeOnlyControls) {
  const struct {
    std::u16string value;
    std::string json;
  } rows[] = {
      {u"\u4E2D \u00E9", "\"\u4E2D \u00E9\""},                 // beyond the code page: kept, raw UTF-8
      {u"\U0001F600", "\"\U0001F600\""},                       // a pair is one character, never escaped
      {u"a\xD800z\xDC00", "\"a\uFFFDz\uFFFD\""},              // lone halves
      {u"\x01\x1F\x7F\x80\x9F\xA0", "\"\\u0001\\u001F\\u007F\\u0080\\u009F\u00A0\""},
      {u"\"\\/", "\"\\\"\\\\/\""},
  };
  for (const auto& row : rows) {
    const std::string json = ReportAsJson(u"[Versions]\r\nVersion=" + row.value + u"\r\n", "1.00");
    EXPECT_NE(json.find("\"Version\": " + row.json + "\n"), std::string::npos) << json;
  }
}

TEST(ReportAsJson, AnEmptyReportIsAnEmptyObject) {
  EXPECT_EQ(ReportAsJson(u"", "1.00"), "{\n  \"kestro\": {\"version\": \"1.00\", \"format\": 1},\n  \"report\": {}\n}\n");
}

}  // namespace
}  // namespace kestro

#include "smbios/type1_walk.h"

#include <gtest/gtest.h>

#include "core/windows1252.h"
#include "profile/profile.h"
#include "test_support.h"

namespace kestro {
namespace {

using testing::BytesOf;
using testing::Narrow;

// The BIOS Information structure used in front of most tables below: type 0,
// formatted length 18, three strings and the closing zero (26 bytes).
const std::string kType0 = "0 18 0 0 1 2 0 240 3 7 128 152 139 63 1 0 0 0 65 0 86 49 0 68 0 0 ";
// A type 1 formatted area of length 27 whose string numbers are 1..6.
const std::string kType1Area27 = "1 27 1 0 1 2 3 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 6 5 6 ";
const std::string kEndOfTable = "127 4 2 0 0 0";

std::vector<std::string> Walk(const std::string& decimals) {
  std::vector<std::string> entries;
  for (const auto& entry : WalkType1Strings(RawSmbiosText::FromTable(BytesOf(decimals)), kWindows1252)) {
    entries.push_back(Narrow(entry));
  }
  return entries;
}

using Entries = std::vector<std::string>;

TEST(Type1Walk, WorkedExampleGivesAllSixStrings) {
  const std::string table = kType0 + kType1Area27 + "77 75 0 80 49 0 49 0 83 57 0 75 53 32 0 70 0 0 " + kEndOfTable;
  EXPECT_EQ(Walk(table), (Entries{"MK", "P1", "1", "S9", "K5 ", "F"}));
}

TEST(Type1Walk, WorkedExampleLines) {
  const std::string table = kType0 + kType1Area27 + "77 75 0 80 49 0 49 0 83 57 0 75 53 32 0 70 0 0 " + kEndOfTable;
  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromTable(BytesOf(table)), kWindows1252);
  ReportText report;
  ListSmbiosType1(entries, report);
  AppendProductNumber(entries, report);
  EXPECT_EQ(Narrow(report.Text()),
            "[SMBIOSType1]\r\nManufacturer=MK\r\nProductName=P1\r\nVersion=1\r\nSerialNumber=S9\r\n"
            "SKUNumber=K5 \r\nFamily=F\r\nProdNum=K5 \r\n");
}

TEST(Type1Walk, TextsWithoutTakenTokensGiveNothing) {
  for (const char16_t* text : {u"", u"0", u"0 18", u"255"}) {
    EXPECT_TRUE(WalkType1Strings(RawSmbiosText::FromText(text), kWindows1252).empty()) << Narrow(text);
  }
}

struct WalkCase {
  const char* name;
  std::string table;
  Entries expected;
};

class Type1WalkCases : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Type1WalkCases, GivesTheEntries) { EXPECT_EQ(Walk(GetParam().table), GetParam().expected); }

std::string Zeros(int count) {
  std::string zeros;
  for (int i = 0; i < count; ++i) zeros += "0 ";
  return zeros;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, Type1WalkCases,
    ::testing::Values(
        // After the strings, the walk reads on through the closing zero and the
        // end-of-table structure, as if they were strings too.
        WalkCase{"OneCharacterFirstString",
                 kType0 + kType1Area27 + "65 0 66 67 0 0 " + kEndOfTable,
                 {"A", "BC", "", "\x7f\x04\x02", ""}},
        // A structure without strings: two zero tokens, then the following
        // structure's bytes, each run ending at the next zero byte.
        WalkCase{"Type1WithoutStrings",
                 kType0 + kType1Area27 + "0 0 3 5 1 0 " + kEndOfTable,
                 {"", "", "\x03\x05\x01", "\x7f\x04\x02", ""}},
        // Four strings (formatted length 25): entry 5 is the closing zero,
        // entry 6 the next structure's first bytes up to its first zero.
        WalkCase{"FourStrings",
                 kType0 + "1 25 1 0 1 2 3 4 " + Zeros(16) + "6 65 0 66 0 67 0 68 0 0 2 15 4 0 9 " + kEndOfTable,
                 {"A", "B", "C", "D", "", "\x02\x0f\x04"}},
        WalkCase{"FiveStrings",
                 kType0 + kType1Area27 + "65 0 66 0 67 0 68 0 69 0 0 " + kEndOfTable,
                 {"A", "B", "C", "D", "E", ""}},
        WalkCase{"SeventhStringProducesNothing",
                 kType0 + kType1Area27 + "65 0 66 0 67 0 68 0 69 0 70 0 71 0 0 " + kEndOfTable,
                 {"A", "B", "C", "D", "E", "F"}},
        WalkCase{"NextStructureNotType1",
                 kType0 + "2 8 2 0 1 2 3 4 65 0 66 0 0 " + kType1Area27 + "65 0 0 " + kEndOfTable,
                 {}},
        WalkCase{"ThreeType0StructuresInARun",
                 kType0 + kType0 + kType0 + kType1Area27 + "65 0 66 0 0 " + kEndOfTable,
                 {"A", "B", "", "\x7f\x04\x02", ""}},
        WalkCase{"FirstStructureNeitherType0Nor1",
                 "218 6 0 0 1 0 0 0 " + kType0 + kType1Area27 + "65 0 0 " + kEndOfTable,
                 {}},
        // Two strings in the type 0 structure: the fourth zero token is the
        // handle byte of the type 1 structure, and the two bytes behind it are
        // taken as type 1 and length 2, so the entries come from its
        // formatted area.
        WalkCase{"Type0WithTwoStrings",
                 "0 18 0 0 1 2 0 240 3 7 128 152 139 63 1 0 0 0 65 0 66 0 0 " + kType1Area27 + "65 0 0 " + kEndOfTable,
                 {"\x03\x04", "", "", "", "", ""}},
        // Four strings in the type 0 structure: the jump is made at the end of
        // the fourth string and takes the closing zero and the next type byte
        // as type 0 and length 1; the type 1 structure is never reached.
        WalkCase{"Type0WithFourStrings",
                 "0 18 0 0 1 2 0 240 3 7 128 152 139 63 1 0 0 0 65 0 66 0 67 0 1 5 0 0 " + kType1Area27 + "65 0 0 " +
                     kEndOfTable,
                 {}},
        // A length of 0 puts the string start on the jump's own type token:
        // the run holds the type and the length token (a zero byte).
        WalkCase{"ZeroLengthType1",
                 kType0 + "1 0 65 0 66 0 0 " + kEndOfTable,
                 {std::string("\x01\x00"
                              "A",
                              3),
                  "B", "", "\x7f\x04\x02", ""}},
        WalkCase{"ZerosInsideFormattedAreasAreNotCounted",
                 "0 18 " + Zeros(16) + "65 0 66 0 67 0 0 1 27 " + Zeros(25) + "72 73 0 0 " + kEndOfTable,
                 {"HI", "", "\x7f\x04\x02", ""}},
        WalkCase{"TableEndsWithinTheJump", kType0 + "1", {}},
        WalkCase{"TableEndsRightAfterTheJump", kType0 + "1 27 1", {}},
        WalkCase{"LastValueIsNeverTaken", kType0 + kType1Area27 + "65 0 66 0", {"A"}},
        // A table whose first structure is type 1: its strings are read from
        // behind its formatted area.
        WalkCase{
            "FirstStructureIsType1", "1 8 1 2 3 4 0 0 65 0 66 0 0 " + kEndOfTable, {"A", "B", "", "\x7f\x04\x02", ""}}),
    [](const ::testing::TestParamInfo<WalkCase>& param) { return param.param.name; });

TEST(Type1Walk, StringBytesAbove127DecodeByTheAnsiCodePage) {
  const Type1Strings entries =
      WalkType1Strings(RawSmbiosText::FromTable(BytesOf(kType0 + kType1Area27 + "128 233 129 0 0 " + kEndOfTable)), kWindows1252);
  ASSERT_GE(entries.size(), 1u);
  EXPECT_EQ(entries[0], u"\u20AC\u00E9\u0081");
}

TEST(Type1Walk, ControlCharactersPassIntoTheEntryButNotIntoTheLine) {
  const Type1Strings entries = WalkType1Strings(
      RawSmbiosText::FromTable(BytesOf(kType0 + kType1Area27 + "65 0 66 0 67 0 68 0 75 13 10 9 0 0 " + kEndOfTable)), kWindows1252);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[4], u"K\r\n\t");
  ReportText report;
  AppendProductNumber(entries, report);
  EXPECT_EQ(report.Text(), u"ProdNum=K  \t\r\n");
}

TEST(Type1Walk, NoProductNumberWithoutAFifthEntry) {
  ReportText report;
  AppendProductNumber({u"A", u"B", u"C", u"D"}, report);
  EXPECT_EQ(report.Text(), u"");
  ListSmbiosType1({}, report);
  EXPECT_EQ(report.Text(), u"[SMBIOSType1]\r\n");
}

TEST(Type1Walk, ReadsTheSameFromTextAndFromBytes) {
  const std::string table = kType0 + kType1Area27 + "77 75 0 80 49 0 0 " + kEndOfTable;
  const RawSmbiosText fromBytes = RawSmbiosText::FromTable(BytesOf(table));
  EXPECT_EQ(WalkType1Strings(RawSmbiosText::FromText(fromBytes.ToText()), kWindows1252), WalkType1Strings(fromBytes, kWindows1252));
  EXPECT_EQ(Narrow(fromBytes.ToText()), table);
}

TEST(Type1Walk, TokensThatAreNoByteValuesNeverCountAsZeros) {
  // "00" and "x" spell no byte value the capture could write; they are passed
  // over, and one inside a string becomes U+FFFD.
  const std::u16string text =
      u"0 18 0 0 1 2 0 240 3 7 128 152 139 63 1 0 0 0 65 00 0 86 49 0 68 0 0 1 27 1 0 1 2 3 4 0 0 0 0 0 0 0 0 0 0 0 0 "
      u"0 "
      u"0 0 0 6 5 6 x 0 0 127 4 2 0 0 0";
  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromText(text), kWindows1252);
  ASSERT_GE(entries.size(), 1u);
  EXPECT_EQ(entries[0], u"\uFFFD");
}

}  // namespace
}  // namespace kestro

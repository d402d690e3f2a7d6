#include "smbios/raw_smbios.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "profile/profile.h"
#include "test_support.h"

namespace kestro {
namespace {

using testing::BytesOf;
using testing::Narrow;

// A table whose bytes at offsets 0Ah..11h are 90 98 8B 7F 01 00 05 0A.
const std::string kExampleTable = "0 24 0 0 1 2 0 240 3 7 144 152 139 127 1 0 5 10 0 0";

SmbiosCapture CaptureOf(const std::string& decimals) {
  return CaptureBiosCharacteristics(RawSmbiosText::FromTable(BytesOf(decimals)));
}

TEST(RawSmbiosCapture, TakesTheBiosCharacteristicsBytesAndTheirHex) {
  const SmbiosCapture capture = CaptureOf(kExampleTable);
  EXPECT_EQ(capture.biosCharBytes, (std::array<std::uint8_t, 8>{144, 152, 139, 127, 1, 0, 5, 10}));
  EXPECT_EQ(capture.biosCharLowHex, u"7F8B9890");
  EXPECT_EQ(capture.biosCharHighHex, u"0A050001");
}

TEST(RawSmbiosCapture, TextFormIsDecimalBytesBetweenSingleSpaces) {
  EXPECT_EQ(Narrow(RawSmbiosText::FromTable(BytesOf("0 24 0 0 1 2 255 16")).ToText()), "0 24 0 0 1 2 255 16");
  EXPECT_EQ(RawSmbiosText::FromTable({}).ToText(), u"");
}

TEST(RawSmbiosCapture, HexDigitsPerByte) {
  const SmbiosCapture capture = CaptureOf("0 0 0 0 0 0 0 0 0 0 0 15 16 171 255 0 0 0 0");
  EXPECT_EQ(capture.biosCharLowHex, u"AB100F00");
  EXPECT_EQ(capture.biosCharHighHex, u"000000FF");
}

struct ShortTable {
  int values;
  const char16_t* low;
  const char16_t* high;
};

class RawSmbiosShortTables : public ::testing::TestWithParam<ShortTable> {};

// A token is taken only when a space follows it, so n values give n - 1
// taken tokens and bytes beyond them stay 0.
TEST_P(RawSmbiosShortTables, TakeOnlyTheTokensASpaceFollows) {
  std::string table;
  for (int i = 1; i <= GetParam().values; ++i) table += std::to_string(i) + " ";
  const SmbiosCapture capture = CaptureOf(table);
  EXPECT_EQ(capture.biosCharLowHex, GetParam().low);
  EXPECT_EQ(capture.biosCharHighHex, GetParam().high);
  for (int j = 0; j < 8; ++j) {
    const int token = 11 + j;
    EXPECT_EQ(capture.biosCharBytes[j], token < GetParam().values ? token : 0) << "element " << j;
  }
}

INSTANTIATE_TEST_SUITE_P(Values, RawSmbiosShortTables,
                         ::testing::Values(ShortTable{0, u"", u""}, ShortTable{11, u"", u""},
                                           ShortTable{12, u"0B", u""}, ShortTable{15, u"0E0D0C0B", u""},
                                           ShortTable{18, u"0E0D0C0B", u"11100F"},
                                           ShortTable{19, u"0E0D0C0B", u"1211100F"},
                                           ShortTable{40, u"0E0D0C0B", u"1211100F"}));

TEST(RawSmbiosCapture, TakesWhateverStandsAtTheOffsetsWhateverTheFirstType) {
  const SmbiosCapture capture = CaptureOf("218 24 0 0 1 2 0 240 3 7 1 2 3 4 5 6 7 8 0 0");
  EXPECT_EQ(capture.biosCharLowHex, u"04030201");
  EXPECT_EQ(capture.biosCharHighHex, u"08070605");
}

TEST(RawSmbiosCapture, LongTablesWork) {
  // Real tables of 29 KB exist; their text is far beyond 32,767 characters.
  std::vector<std::uint8_t> table(200000, 255);
  const SmbiosCapture capture = CaptureBiosCharacteristics(RawSmbiosText::FromTable(table));
  EXPECT_EQ(capture.biosCharLowHex, u"FFFFFFFF");
  EXPECT_GT(capture.rawSmbiosText.ToText().size(), 32767u);
}

TEST(RawSmbiosCapture, ATakenTokenThatIsNoByteIsAnError) {
  const RawSmbiosText raw = RawSmbiosText::FromText(u"0 24 0 0 1 2 0 240 3 7 256 0 0 0 0 0 0 0 0");
  testing::ExpectRuntimeError([&] { CaptureBiosCharacteristics(raw); }, ErrorCode::TypeMismatch, "token 11");
}

// --- CollectRawSmbios, from records ---

std::string SnapshotWithTables(const std::string& records) {
  return R"({"root\\WMI": {"MSSmBios_RawSMBiosTables": [)" + records + "]}}";
}

TEST(CollectRawSmbios, NoRecordLeavesEverythingEmpty) {
  auto source = testing::SourceOf(SnapshotWithTables(""));
  const SmbiosCapture capture = CollectRawSmbios(source);
  EXPECT_EQ(capture.rawSmbiosText.TokenCount(), 0u);
  EXPECT_EQ(capture.biosCharBytes, (std::array<std::uint8_t, 8>{}));
  EXPECT_EQ(capture.biosCharLowHex, u"");
  EXPECT_EQ(capture.biosCharHighHex, u"");
}

TEST(CollectRawSmbios, TheLastRecordWins) {
  auto source = testing::SourceOf(SnapshotWithTables(
      R"({"SMBiosData": [0,24,0,0,1,2,0,240,3,7,1,1,1,1,1,1,1,1,0,0]},
         {"SMBiosData": [0,24,0,0,1,2,0,240,3,7,2,2,2,2,2,2,2,2,0,0]})"));
  EXPECT_EQ(CollectRawSmbios(source).biosCharLowHex, u"02020202");
}

TEST(CollectRawSmbios, AnEmptyArrayIsAnEmptyTable) {
  auto source = testing::SourceOf(SnapshotWithTables(R"({"SMBiosData": []})"));
  EXPECT_EQ(CollectRawSmbios(source).rawSmbiosText.TokenCount(), 0u);
}

TEST(CollectRawSmbios, AValueThatIsNoByteArrayIsAnError) {
  for (const char* value : {"null", R"("0 24 0")"}) {
    auto source = testing::SourceOf(SnapshotWithTables(std::string(R"({"SMBiosData": )") + value + "}"));
    testing::ExpectRuntimeError([&] { CollectRawSmbios(source); }, ErrorCode::TypeMismatch, "SMBiosData");
  }
}

}  // namespace
}  // namespace kestro

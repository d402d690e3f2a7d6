#include "records/snapshot_writer.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kestro {
namespace {

// A snapshot source stands in for the machine; that the records read back
// as kestro read them is the whole-program tests' (tests/linux).
TEST(SnapshotWriter, RecordsOnlyWhatKestroReadsAndSixteenBytesToALine) {
  SnapshotSource source = testing::SourceOf(
      R"({"root\\cimv2": {"Win32_BIOS": [{"SerialNumber": "S1"}], "Win32_BaseBoard": [{"PRODUCT": "B", "SerialNumber": "S2"}, {}]},
          "root\\WMI": {"MSSmBios_RawSMBiosTables": [{"SMBiosData": [0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]}]}})");
  const RecordedSnapshot recorded = RecordSnapshot(source);
  EXPECT_TRUE(recorded.json.starts_with(
      "{\n  \"root\\\\WMI\": {\n    \"MSSmBios_RawSMBiosTables\": [\n      {\n        \"SMBiosData\": [\n"
      "          0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,\n          16\n        ]\n      }\n    ]\n  },\n"
      "  \"root\\\\CIMV2\": {\n    \"Win32_ComputerSystem\": [],\n    \"Win32_BaseBoard\": [\n      {\n"
      "        \"Product\": \"B\"\n      },\n      {}\n    ],\n    \"Win32_SystemDevices\": []\n  }\n}\n"))
      << recorded.json;
  EXPECT_EQ(recorded.leftOut, std::vector<std::string>{"Win32_BaseBoard.Product left out: Object doesn't support this "
                                                       "property or method: Win32_BaseBoard record 2 has no property "
                                                       "Product"});
}

}  // namespace
}  // namespace kestro

#include "records/snapshot_source.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "test_support.h"

namespace kestro {
namespace {

using namespace std::literals;

std::vector<PropertyValue> ValuesOf(SnapshotSource& source, std::u16string_view nameSpace, std::u16string_view cls,
                                    std::u16string_view property) {
  std::vector<PropertyValue> values;
  ForEachRecord(source, nameSpace, cls, [&](const Record& record) { values.push_back(record.Get(property)); });
  return values;
}

TEST(SnapshotSource, NamesMatchIgnoringCaseAndValuesKeepTheirKind) {
  auto source = testing::SourceOf(R"({"ROOT\\cimv2": {"win32_baseboard": [{"PRODUCT": "B"}, {"product": null}]},
                                      "root\\wmi": {"MSSMBIOS_RawSMBiosTables": [{"smbiosdata": [0, 255]}]}})");
  const auto products = ValuesOf(source, u"root\\CIMV2", u"Win32_BaseBoard", u"Product");
  ASSERT_EQ(products.size(), 2u);
  EXPECT_EQ(std::get<std::u16string>(products[0]), u"B");
  EXPECT_TRUE(std::holds_alternative<std::monostate>(products[1]));
  const auto tables = ValuesOf(source, u"root\\WMI", u"MSSmBios_RawSMBiosTables", u"SMBiosData");
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(std::get<Bytes>(tables[0]), (Bytes{0, 255}));
}

TEST(SnapshotSource, MissingClassesAndNamespacesYieldNoRecords) {
  auto source = testing::SourceOf(R"({"root\\CIMV2": {}})");
  EXPECT_TRUE(ValuesOf(source, u"root\\CIMV2", u"Win32_BaseBoard", u"Product").empty());
  EXPECT_TRUE(ValuesOf(source, u"root\\WMI", u"MSSmBios_RawSMBiosTables", u"SMBiosData").empty());
}

TEST(SnapshotSource, TextsAreUtf8) {
  auto source = testing::SourceOf(R"({"root\\CIMV2": {"Win32_BaseBoard": [{"Product": "caf\u00e9 \ud83d\ude00"}]}})");
  EXPECT_EQ(std::get<std::u16string>(ValuesOf(source, u"root\\CIMV2", u"Win32_BaseBoard", u"Product")[0]),
            u"caf\u00E9 \U0001F600");
}

TEST(SnapshotSource, AFailingQueryThrowsItsNumberAndMessage) {
  auto source =
      testing::SourceOf(R"({"root\\CIMV2": {"Win32_BaseBoard": {"error": 2147749902, "message": "Invalid class"}}})");
  try {
    ValuesOf(source, u"root\\CIMV2", u"Win32_BaseBoard", u"Product");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 2147749902);
    EXPECT_EQ(error.text().rfind("Invalid class", 0), 0u) << error.text();
  }
}

TEST(SnapshotSource, ARecordLackingAPropertyIsAnErrorWhenItIsRead) {
  auto source = testing::SourceOf(R"({"root\\CIMV2": {"Win32_BaseBoard": [{"Name": "x"}]}})");
  try {
    ValuesOf(source, u"root\\CIMV2", u"Win32_BaseBoard", u"Product");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::PropertyMissing));
    EXPECT_NE(error.text().find("Product"), std::string::npos);
  }
}

TEST(SnapshotSource, OnlyQueriesOfTheOneShapeRun) {
  auto source = testing::SourceOf("{}");
  auto connection = source.Connect(u"root\\CIMV2");
  EXPECT_NO_THROW(connection->ExecQuery(u"select  *  FROM Win32_BaseBoard"));
  EXPECT_THROW(connection->ExecQuery(u"Select Product From Win32_BaseBoard"), RuntimeError);
}

struct MalformedCase {
  const char* name;
  std::string_view json;
  const char* place;  // the message must name it
};

class MalformedSnapshots : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedSnapshots, AreRejectedNamingTheFileAndThePlace) {
  try {
    SnapshotSource::Parse(GetParam().json, "machine.json");
    FAIL() << "accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::BadSnapshot));
    EXPECT_NE(error.text().find("machine.json"), std::string::npos) << error.text();
    EXPECT_NE(error.text().find(GetParam().place), std::string::npos) << error.text();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedSnapshots,
    ::testing::Values(
        MalformedCase{"NotJson", "{\"root\\\\CIMV2\": ", "line 1"}, MalformedCase{"Empty", "", "line 1"},
        MalformedCase{"TopNotObject", "[]", "at /"},
        MalformedCase{"NamespaceNotObject", R"({"root\\CIMV2": []})", R"(/root\CIMV2)"},
        MalformedCase{"ClassNotArray", R"({"root\\CIMV2": {"Win32_BaseBoard": "x"}})", "/Win32_BaseBoard"},
        MalformedCase{"RecordNotObject", R"({"root\\CIMV2": {"Win32_BaseBoard": [1]}})", "/Win32_BaseBoard/0"},
        MalformedCase{"NumberValue", R"({"root\\CIMV2": {"Win32_BaseBoard": [{"Product": 5}]}})", "/0/Product"},
        MalformedCase{"ByteTooLarge", R"({"root\\WMI": {"T": [{"SMBiosData": [1, 256]}]}})", "/SMBiosData/1"},
        MalformedCase{"ByteNegative", R"({"root\\WMI": {"T": [{"SMBiosData": [-1]}]}})", "/SMBiosData/0"},
        MalformedCase{"ByteNotInteger", R"({"root\\WMI": {"T": [{"SMBiosData": [1.5]}]}})", "/SMBiosData/0"},
        MalformedCase{"ErrorWithoutMessage", R"({"root\\WMI": {"T": {"error": 5}}})", "/T"},
        MalformedCase{"ErrorNotInteger", R"({"root\\WMI": {"T": {"error": "5", "message": "m"}}})", "/T/error"},
        MalformedCase{"ClassTwice", R"({"root\\WMI": {"T": [], "t": []}})", "class listed twice"},
        MalformedCase{"NamespaceTwice", R"({"root\\WMI": {}, "ROOT\\wmi": {}})", "namespace listed twice"},
        MalformedCase{"PropertyTwice", R"({"root\\WMI": {"T": [{"A": null, "a": null}]}})", "/T/0/a"},
        MalformedCase{"ErrorTwice", R"({"root\\WMI": {"T": {"error": 1, "error": 2, "message": "m"}}})",
                      R"(/T/error: "error" listed twice)"},
        MalformedCase{"MessageTwice", R"({"root\\WMI": {"T": {"message": "m", "error": 1, "message": "n"}}})",
                      R"(/T/message: "message" listed twice)"},
        MalformedCase{"PointerEscapes", R"({"root\\WMI": {"a/b~c": {"~/": 1}}})", "/a~1b~0c/~0~1"},
        MalformedCase{"ErrorPast64Bits", R"({"root\\WMI": {"T": {"error": -99999999999999999999}}})",
                      "/T/error: the error number is too large"},
        MalformedCase{"ErrorPastDouble", R"({"root\\WMI": {"T": {"error": 1e400}}})",
                      "/T/error: the error number is too large"},
        MalformedCase{"BytePastDouble", R"({"root\\WMI": {"T": [{"SMBiosData": [1, 1e400]}]}})", "/SMBiosData/1"},
        MalformedCase{"NulAfterTheValue", "{}\n \0{}"sv, "line 2, column 2"}),
    [](const ::testing::TestParamInfo<MalformedCase>& param) { return param.param.name; });

}  // namespace
}  // namespace kestro

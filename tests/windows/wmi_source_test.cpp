// The WMI back end against the WMI of the machine the test runs on (in CI:
// Wine's). The tests hold to what WMI promises, not to one machine's values;
// what each query returned is printed for the test log.
#include "records/wmi/wmi_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "records/classes_read.h"

namespace kestro {
namespace {

using Values = std::vector<PropertyValue>;

// Built by appending: GCC 12 sees an overlap that cannot happen in `"..." +
// std::string` (GCC bug 105651) and warns.
std::string Shown(const PropertyValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return "null";
  std::string shown;
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    shown.append("\"").append(ToUtf8(*text)).append("\"");
  } else {
    shown.append("byte array of ").append(std::to_string(std::get<Bytes>(value).size()));
  }
  return shown;
}

// Runs "Select * From `className`" and reads `property` from every record.
Values Query(WmiSource& source, std::u16string_view nameSpace, std::u16string_view className,
             std::u16string_view property) {
  Values values;
  ForEachRecord(source, nameSpace, className, [&](const Record& record) { values.push_back(record.Get(property)); });
  std::printf("%s %s: %zu record(s)", ToUtf8(nameSpace).c_str(), ToUtf8(className).c_str(), values.size());
  for (const PropertyValue& value : values) std::printf("; %s=%s", ToUtf8(property).c_str(), Shown(value).c_str());
  std::printf("\n");
  return values;
}

RuntimeError FailureOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const RuntimeError& error) {
    return error;
  }
  ADD_FAILURE() << "no failure";
  return RuntimeError(0, "");
}

class WmiQueries : public testing::Test {
 protected:
  WmiSource source_;
};

TEST_F(WmiQueries, ComputerSystemHasManufacturerAndModelTexts) {
  const Values manufacturers = Query(source_, kCimv2Namespace, u"Win32_ComputerSystem", u"Manufacturer");
  const Values models = Query(source_, kCimv2Namespace, u"Win32_ComputerSystem", u"Model");
  ASSERT_GE(manufacturers.size(), 1u);
  ASSERT_EQ(models.size(), manufacturers.size());
  for (const PropertyValue& value : manufacturers) EXPECT_TRUE(std::holds_alternative<std::u16string>(value));
  for (const PropertyValue& value : models) EXPECT_TRUE(std::holds_alternative<std::u16string>(value));
}

TEST_F(WmiQueries, BaseBoardHasAProductText) {
  const Values products = Query(source_, kCimv2Namespace, u"Win32_BaseBoard", u"Product");
  ASSERT_GE(products.size(), 1u);
  for (const PropertyValue& value : products) EXPECT_TRUE(std::holds_alternative<std::u16string>(value));
}

TEST_F(WmiQueries, SystemDevicesEnumerateWithObjectPaths) {
  const Values paths = Query(source_, kCimv2Namespace, u"Win32_SystemDevices", u"PartComponent");
  for (const PropertyValue& value : paths) {
    ASSERT_TRUE(std::holds_alternative<std::u16string>(value));
    EXPECT_NE(std::get<std::u16string>(value).find(u":"), std::u16string::npos);  // \\HOST\root\cimv2:Class.Key=...
  }
}

TEST_F(WmiQueries, RawSmbiosTablesGiveBytesOrNull) {
  const Values tables = Query(source_, kWmiNamespace, u"MSSmBios_RawSMBiosTables", u"SMBiosData");
  for (const PropertyValue& value : tables) EXPECT_FALSE(std::holds_alternative<std::u16string>(value));
}

TEST_F(WmiQueries, PropertyNamesIgnoreLetterCase) {
  const Values upper = Query(source_, kCimv2Namespace, u"Win32_ComputerSystem", u"MANUFACTURER");
  const Values lower = Query(source_, kCimv2Namespace, u"Win32_ComputerSystem", u"manufacturer");
  EXPECT_EQ(upper, lower);
}

TEST_F(WmiQueries, EachQueryHasItsOwnConnection) {
  const std::unique_ptr<Connection> first = source_.Connect(kCimv2Namespace);
  const std::unique_ptr<Connection> second = source_.Connect(kCimv2Namespace);
  const std::unique_ptr<RecordSet> boards = first->ExecQuery(u"Select * From Win32_BaseBoard");
  const std::unique_ptr<RecordSet> systems = second->ExecQuery(u"Select * From Win32_ComputerSystem");
  std::size_t count = 0;
  while (boards->Next()) ++count;
  while (systems->Next()) ++count;
  EXPECT_GE(count, 2u);
  EXPECT_EQ(boards->Next(), nullptr);  // stays at the end
}

TEST_F(WmiQueries, MissingPropertyIsWbemNotFound) {
  const RuntimeError error = FailureOf([&] { Query(source_, kCimv2Namespace, u"Win32_BaseBoard", u"NoSuchProperty"); });
  EXPECT_EQ(error.number(), 0x80041002);  // WBEM_E_NOT_FOUND
  EXPECT_EQ(FormatErrorNumber(error.number()).substr(0, 10), "0x80041002");
  EXPECT_NE(error.text().find("NoSuchProperty"), std::string::npos) << error.text();
  EXPECT_NE(error.text().find("Select * From Win32_BaseBoard"), std::string::npos) << error.text();
  std::printf("missing property: %s\n", FormatFailure("test", error).c_str());
}

TEST_F(WmiQueries, NumberPropertyIsATypeMismatch) {
  const RuntimeError error =
      FailureOf([&] { Query(source_, kCimv2Namespace, u"Win32_ComputerSystem", u"NumberOfProcessors"); });
  EXPECT_EQ(error.number(), static_cast<std::int64_t>(ErrorCode::TypeMismatch));
  EXPECT_NE(error.text().find("Win32_ComputerSystem.NumberOfProcessors"), std::string::npos) << error.text();
  std::printf("number property: %s\n", FormatFailure("test", error).c_str());
}

TEST_F(WmiQueries, UnknownNamespaceFailsToConnect) {
  const RuntimeError error = FailureOf([&] { source_.Connect(u"root\\NoSuchNamespace"); });
  EXPECT_EQ(error.number(), 0x8004100E);  // WBEM_E_INVALID_NAMESPACE
  EXPECT_NE(error.text().find("root\\NoSuchNamespace"), std::string::npos) << error.text();
  std::printf("unknown namespace: %s\n", FormatFailure("test", error).c_str());
}

TEST_F(WmiQueries, MalformedQueryFailsNamingIt) {
  // With WBEM_FLAG_RETURN_IMMEDIATELY the failure may come from ExecQuery or
  // from the first Next; either way it names the query.
  const RuntimeError error = FailureOf([&] {
    const std::unique_ptr<Connection> connection = source_.Connect(kCimv2Namespace);
    const std::unique_ptr<RecordSet> records = connection->ExecQuery(u"Select * Frm Win32_BaseBoard");
    while (records->Next()) {
    }
  });
  EXPECT_EQ(error.number(), wmi::kInvalidQuery) << FormatErrorNumber(error.number());
  EXPECT_NE(error.text().find("Select * Frm Win32_BaseBoard"), std::string::npos) << error.text();
  std::printf("malformed query: %s\n", FormatFailure("test", error).c_str());
}

}  // namespace
}  // namespace kestro

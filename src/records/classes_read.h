#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "records/record_source.h"

// What Kestro reads from the machine's management records: four classes and
// the properties taken from each. The collectors query them by these names,
// the sysfs source serves exactly these, and the snapshot recorders record
// exactly these, so the three cannot drift apart.
namespace kestro {

struct ClassRead {
  std::u16string_view nameSpace;
  std::u16string_view className;
  std::array<std::u16string_view, 2> properties;  // the ones read; an unused slot is empty
};

namespace wmi {

inline constexpr std::u16string_view kSmbiosData = u"SMBiosData";
inline constexpr std::u16string_view kManufacturer = u"Manufacturer";
inline constexpr std::u16string_view kModel = u"Model";
inline constexpr std::u16string_view kProduct = u"Product";
inline constexpr std::u16string_view kPartComponent = u"PartComponent";

inline constexpr ClassRead kRawSmbiosTables{kWmiNamespace, u"MSSmBios_RawSMBiosTables", {kSmbiosData}};
inline constexpr ClassRead kComputerSystem{kCimv2Namespace, u"Win32_ComputerSystem", {kManufacturer, kModel}};
inline constexpr ClassRead kBaseBoard{kCimv2Namespace, u"Win32_BaseBoard", {kProduct}};
inline constexpr ClassRead kSystemDevices{kCimv2Namespace, u"Win32_SystemDevices", {kPartComponent}};

// In the order of the run's first query of each.
inline constexpr std::array<ClassRead, 4> kClassesRead = {kRawSmbiosTables, kComputerSystem, kBaseBoard,
                                                          kSystemDevices};

// The WBEM error numbers the record sources give for queries they cannot
// answer, as Windows' WMI gives them.
inline constexpr std::int64_t kInvalidClass = 0x80041010;  // WBEM_E_INVALID_CLASS
inline constexpr std::int64_t kInvalidQuery = 0x80041017;  // WBEM_E_INVALID_QUERY

}  // namespace wmi

// ForEachRecord over the class `read`.
template <class Visit>
void ForEachRecord(RecordSource& source, const ClassRead& read, Visit&& visit) {
  ForEachRecord(source, read.nameSpace, read.className, std::forward<Visit>(visit));
}

// The text of property `property` of `record`, a record of `read`.
inline std::u16string ReadText(const Record& record, const ClassRead& read, std::u16string_view property) {
  return RequireText(record.Get(property), read.className, property);
}

}  // namespace kestro

// The walk on real firmware tables. Where a table meets the walk's
// assumptions, its entries must be the strings dmidecode decodes; where it
// breaks them, the walk's known results stand.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

#include "core/windows1252.h"
#include "profile/profile.h"
#include "smbios/type1_walk.h"
#include "test_support.h"

namespace kestro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The permissively licensed tables are copies in the project; the others are
// read from the shared test data when it is there.
std::optional<std::string> TablePath(const std::string& name, const std::string& suffix) {
  for (const std::string& path :
       {testing::FixturePath("smbios/" + name + suffix), testing::SharedTestData("smbios/" + name + suffix)}) {
    if (std::filesystem::exists(path)) return path;
  }
  return std::nullopt;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Just enough of the SMBIOS standard (DSP0134) to tell whether a table meets
// the walk's assumptions and which string each type 1 field names.
struct Structure {
  std::uint8_t type;
  std::size_t offset;
  std::uint8_t length;
  std::size_t stringCount;
};

std::vector<Structure> Structures(const Bytes& table) {
  std::vector<Structure> structures;
  std::size_t offset = 0;
  while (offset + 4 <= table.size() && table[offset + 1] >= 4) {
    Structure s{table[offset], offset, table[offset + 1], 0};
    std::size_t at = offset + s.length;
    if (at + 1 >= table.size()) break;
    if (table[at] == 0 && table[at + 1] == 0) {
      at += 2;
    } else {
      while (at < table.size() && table[at] != 0) {
        while (at < table.size() && table[at] != 0) ++at;
        ++at;
        ++s.stringCount;
      }
      ++at;
    }
    structures.push_back(s);
    offset = at;
  }
  return structures;
}

// Type 0 structures of three strings each from the start, then type 1.
std::optional<Structure> Type1WhereTheWalkExpectsIt(const std::vector<Structure>& structures) {
  std::size_t i = 0;
  while (i < structures.size() && structures[i].type == 0 && structures[i].stringCount == 3) ++i;
  if (i == 0 || i >= structures.size() || structures[i].type != 1) return std::nullopt;
  return structures[i];
}

// The System Information fields as dmidecode prints them.
std::map<std::string, std::string> DmidecodeType1(const std::string& dumpBin) {
  std::map<std::string, std::string> fields;
  const std::string command = "dmidecode --from-dump '" + dumpBin + "' -t 1 2>/dev/null";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  if (!pipe) return fields;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.size() < 2 || text[0] != '\t' || text[1] == '\t') continue;
    const std::size_t colon = text.find(": ");
    if (colon != std::string::npos) fields[text.substr(1, colon - 1)] = text.substr(colon + 2);
  }
  return fields;
}

bool HaveDmidecode() { return std::system("dmidecode --version >/dev/null 2>&1") == 0; }

// The tables that start with BIOS Information structures of three strings,
// followed by the System Information structure.
const std::vector<std::string> kTablesMeetingTheAssumptions = {
    "asrock-ryzen-desktop",   "dell-poweredge-8450",  "dell-xps15-9560",
    "gigabyte-ga-ma74gmt-s2", "hp-proliant-dl385-g1", "hp-proliant-dl580-g5",
    "hyperv-vm-broken",       "lenovo-thinkpad-w510", "vmware-virtual-platform",
};

class RealTable : public ::testing::TestWithParam<std::string> {};

TEST_P(RealTable, EntriesAreTheStringsDmidecodeDecodes) {
  const auto bin = TablePath(GetParam(), ".bin");
  const auto dumpBin = TablePath(GetParam(), ".dump-bin");
  if (!bin || !dumpBin) GTEST_SKIP() << GetParam() << " is not here (shared test data absent)";
  if (!HaveDmidecode()) GTEST_SKIP() << "dmidecode is not installed";
  const Bytes table = ReadBytes(*bin);
  const std::optional<Structure> type1 = Type1WhereTheWalkExpectsIt(Structures(table));
  ASSERT_TRUE(type1) << GetParam() << " breaks the walk's assumptions";

  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromTable(table), kWindows1252);
  const std::map<std::string, std::string> decoded = DmidecodeType1(*dumpBin);
  ASSERT_FALSE(decoded.empty()) << "dmidecode decoded nothing from " << *dumpBin;
  const std::vector<std::pair<std::string, std::size_t>> fields = {{"Manufacturer", 0x04}, {"Product Name", 0x05},
                                                                   {"Version", 0x06},      {"Serial Number", 0x07},
                                                                   {"SKU Number", 0x19},   {"Family", 0x1A}};
  int compared = 0;
  for (const auto& [field, offset] : fields) {
    if (offset >= type1->length) continue;
    const std::size_t stringNumber = table[type1->offset + offset];
    if (stringNumber == 0 || stringNumber > entries.size()) continue;
    EXPECT_EQ(testing::Narrow(entries[stringNumber - 1]), decoded.at(field)) << field;
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Tables, RealTable, ::testing::ValuesIn(kTablesMeetingTheAssumptions),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// Known results where a table breaks the assumptions.
TEST(RealTableKnownResults, TablesThatDoNotStartWithType0GiveNoEntries) {
  for (const char* name : {"lenovo-thinkpad-t480s", "microsoft-surface-laptop-3", "dell-poweredge-r630",
                           "dell-precision-t7600", "dell-poweredge-1800"}) {
    const auto bin = TablePath(name, ".bin");
    if (!bin) continue;
    EXPECT_TRUE(WalkType1Strings(RawSmbiosText::FromTable(ReadBytes(*bin)), kWindows1252).empty()) << name;
  }
}

TEST(RealTableKnownResults, ShortType1StructuresLetTheWalkReadOnIntoTheNextStructure) {
  // Four strings: entry 5 is the closing zero, entry 6 the type 2 structure's
  // type, length and first handle byte.
  const auto bin = TablePath("vmware-virtual-platform", ".bin");
  ASSERT_TRUE(bin);
  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromTable(ReadBytes(*bin)), kWindows1252);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[3], u"VMware-56 4d e2 c3 c3 c0 e1 e2-46 22 55 4d c5 eb 6b a1");
  EXPECT_EQ(entries[4], u"");
  EXPECT_EQ(entries[5], std::u16string(u"\x02\x0f\x02"));
}

TEST(RealTableKnownResults, Type0WithTwoStringsTakesType1FromTheWrongPlace) {
  const auto bin = TablePath("qemu-kvm-seabios", ".bin");
  if (!bin) GTEST_SKIP() << "shared test data absent";
  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromTable(ReadBytes(*bin)), kWindows1252);
  EXPECT_EQ(entries, (Type1Strings{std::u16string(u"\x01\x00", 2), u"", u"", u"", u"", u""}));
}

TEST(RealTableKnownResults, AFifthEntryEndingInACarriageReturn) {
  // This server's walk puts a CR byte into entry 5; the line keeps to one line.
  const auto bin = TablePath("hp-proliant-dl385-g1", ".bin");
  if (!bin) GTEST_SKIP() << "shared test data absent";
  const Type1Strings entries = WalkType1Strings(RawSmbiosText::FromTable(ReadBytes(*bin)), kWindows1252);
  ASSERT_GE(entries.size(), 5u);
  EXPECT_EQ(entries[4], u"\x03\r");
  ReportText report;
  AppendProductNumber(entries, report);
  EXPECT_EQ(report.Text(), u"ProdNum=\x03 \r\n");
}

}  // namespace
}  // namespace kestro

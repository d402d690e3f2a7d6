// Capture and walk from arbitrary table bytes.
#include <set>

#include "core/windows1252.h"
#include "fuzz_support.h"
#include "profile/profile.h"
#include "smbios/raw_smbios.h"
#include "smbios/type1_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const SmbiosCapture capture = CaptureBiosCharacteristics(RawSmbiosText::FromTable({data, size}));
  KESTRO_FUZZ_CHECK(capture.biosCharLowHex.size() <= 8 && capture.biosCharHighHex.size() <= 8);
  KESTRO_FUZZ_CHECK(capture.biosCharLowHex.size() % 2 == 0);

  const Type1Strings entries = WalkType1Strings(capture.rawSmbiosText, kWindows1252);
  KESTRO_FUZZ_CHECK(entries.size() <= 6);
  std::set<char16_t> inputCharacters;
  for (std::size_t i = 0; i < size; ++i) inputCharacters.insert(Windows1252ToChar(data[i]));
  std::size_t total = 0;
  for (const auto& entry : entries) {
    total += entry.size();
    for (char16_t c : entry) KESTRO_FUZZ_CHECK(inputCharacters.count(c) == 1);
  }
  KESTRO_FUZZ_CHECK(total <= size);

  ReportText report;
  ListSmbiosType1(entries, report);
  AppendProductNumber(entries, report);
  KESTRO_FUZZ_CHECK(fuzz::IsWellFormedReportPart(report.Text()));
  return 0;
}

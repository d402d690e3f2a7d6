// The walk from any text, not only well-formed decimal tokens.
#include "core/windows1252.h"
#include "fuzz_support.h"
#include "core/error.h"
#include "smbios/type1_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const std::u16string text = FromUtf8(fuzz::AsText(data, size));
  const RawSmbiosText raw = RawSmbiosText::FromText(text);
  const Type1Strings entries = WalkType1Strings(raw, kWindows1252);
  KESTRO_FUZZ_CHECK(entries.size() <= 6);
  std::size_t total = 0;
  for (const auto& entry : entries) total += entry.size();
  KESTRO_FUZZ_CHECK(total <= raw.TakenTokens().size());
  try {
    CaptureBiosCharacteristics(raw);
  } catch (const RuntimeError&) {
    // a token that is no byte value where a characteristics byte stands
  }
  return 0;
}

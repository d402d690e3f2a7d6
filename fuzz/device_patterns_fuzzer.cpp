// The one-pass device matching against a plain search for each pattern.
#include "fuzz_support.h"
#include "profile/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestro;
  const std::u16string text = FromUtf8(fuzz::AsText(data, size));
  DevicePresence presence;
  const std::u16string cameras = MatchDevicePatterns(text, presence);

  const std::vector<std::u16string_view> patterns = DevicePatternTexts();
  const auto occurs = [&](std::size_t index) { return FindIgnoringCase(text, patterns[index]) != 0; };
  std::u16string expectedCameras;
  for (std::size_t i = 9; i < 12; ++i) {
    if (occurs(i)) expectedCameras += static_cast<char16_t>(u'1' + (i - 9));
  }
  KESTRO_FUZZ_CHECK(cameras == expectedCameras);
  KESTRO_FUZZ_CHECK(presence.webCam == !expectedCameras.empty());
  KESTRO_FUZZ_CHECK(presence.bluetooth == (occurs(0) || occurs(1) || occurs(2) || occurs(3) || occurs(4) || occurs(5)));
  KESTRO_FUZZ_CHECK(presence.wwan == occurs(6));
  KESTRO_FUZZ_CHECK(presence.touchPanel == occurs(7));
  KESTRO_FUZZ_CHECK(presence.fingerPrint == occurs(8));
  return 0;
}

// The USB descriptor reader over any bytes a device (or a damaged sysfs file)
// could hand over.
#include <cstddef>
#include <cstdint>
#include <span>

#include "records/sysfs/usb_descriptors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto descriptors = kestro::usb::ParseDescriptors(std::span<const std::uint8_t>(data, size));
  if (descriptors) {
    kestro::usb::IsCompositeDevice(*descriptors);
    if (descriptors->firstConfiguration) kestro::usb::FunctionFirstInterfaces(*descriptors->firstConfiguration);
  }
  return 0;
}

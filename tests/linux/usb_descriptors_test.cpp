#include "records/sysfs/usb_descriptors.h"

#include <gtest/gtest.h>

#include <random>

namespace kestro::usb {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A device as the kernel's descriptors file holds it: the device descriptor,
// then one configuration with `body` (interface, association and endpoint
// descriptors) behind its header.
Bytes DeviceBytes(std::uint8_t deviceClass, std::uint8_t subClass, std::uint8_t protocol, std::uint8_t numInterfaces,
                  const Bytes& body, std::uint8_t numConfigurations = 1) {
  Bytes bytes = {18,   1,    0x00, 0x02, deviceClass, subClass, protocol, 64, 0x6D,
                 0x04, 0x26, 0x08, 0x10, 0x00,        1,        2,        0,  numConfigurations};
  const std::size_t total = 9 + body.size();
  const Bytes header = {
      9, 2, static_cast<std::uint8_t>(total), static_cast<std::uint8_t>(total >> 8), numInterfaces, 1, 0, 0x80, 50};
  bytes.insert(bytes.end(), header.begin(), header.end());
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

Bytes Interface(std::uint8_t number, std::uint8_t interfaceClass, std::uint8_t subClass, std::uint8_t alternate = 0) {
  return {9, 4, number, alternate, 1, interfaceClass, subClass, 0, 0, /* endpoint */ 7, 5, 0x81, 3, 8, 0, 10};
}

Bytes Association(std::uint8_t first, std::uint8_t count) { return {8, 0x0B, first, count, 0x0E, 3, 0, 0}; }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

std::vector<std::uint8_t> Functions(const Bytes& bytes) {
  const std::optional<Descriptors> descriptors = ParseDescriptors(bytes);
  if (!descriptors || !descriptors->firstConfiguration) return {};
  return FunctionFirstInterfaces(*descriptors->firstConfiguration);
}

TEST(UsbDescriptors, ReadsTheDeviceDescriptor) {
  const std::optional<Descriptors> descriptors = ParseDescriptors(DeviceBytes(0xEF, 2, 1, 2, Interface(0, 0x0E, 1)));
  ASSERT_TRUE(descriptors);
  EXPECT_EQ(descriptors->device.vendorId, 0x046D);
  EXPECT_EQ(descriptors->device.productId, 0x0826);
  EXPECT_EQ(descriptors->device.deviceClass, 0xEF);
  EXPECT_EQ(descriptors->device.deviceSubClass, 2);
  EXPECT_EQ(descriptors->device.deviceProtocol, 1);
  EXPECT_EQ(descriptors->device.numConfigurations, 1);
  ASSERT_TRUE(descriptors->firstConfiguration);
  EXPECT_EQ(descriptors->firstConfiguration->numInterfaces, 2);
  ASSERT_EQ(descriptors->firstConfiguration->interfaces.size(), 1u);
  EXPECT_EQ(descriptors->firstConfiguration->interfaces[0].interfaceClass, 0x0E);
}

TEST(UsbDescriptors, RejectsBytesThatDoNotStartWithADeviceDescriptor) {
  Bytes good = DeviceBytes(0, 0, 0, 1, Interface(0, 3, 0));
  EXPECT_FALSE(ParseDescriptors({}));
  EXPECT_FALSE(ParseDescriptors(Bytes(good.begin(), good.begin() + 17)));  // cut short
  Bytes wrongType = good;
  wrongType[1] = 2;
  EXPECT_FALSE(ParseDescriptors(wrongType));
  Bytes wrongLength = good;
  wrongLength[0] = 9;
  EXPECT_FALSE(ParseDescriptors(wrongLength));
}

TEST(UsbDescriptors, AnUnconfiguredDeviceHasNoConfiguration) {
  const Bytes bytes = DeviceBytes(0, 0, 0, 1, Interface(0, 3, 0));
  const std::optional<Descriptors> descriptors = ParseDescriptors(Bytes(bytes.begin(), bytes.begin() + 18));
  ASSERT_TRUE(descriptors);
  EXPECT_FALSE(descriptors->firstConfiguration);
  EXPECT_FALSE(IsCompositeDevice(*descriptors));
}

TEST(UsbDescriptors, FaultyConfigurationsKeepWhatCameBeforeTheFault) {
  // A descriptor of length 0 would loop for ever; length 1 cannot hold its type.
  for (std::uint8_t badLength : {std::uint8_t{0}, std::uint8_t{1}}) {
    const Bytes bytes = DeviceBytes(0, 0, 0, 3, Join({Interface(0, 3, 0), Bytes{badLength, 4}, Interface(1, 3, 0)}));
    EXPECT_EQ(Functions(bytes), (std::vector<std::uint8_t>{0})) << int(badLength);
  }
  // A descriptor that runs past the end of the data.
  Bytes overlong = DeviceBytes(0, 0, 0, 2, Join({Interface(0, 3, 0), Interface(1, 3, 0)}));
  overlong[18 + 9 + 16] = 200;
  EXPECT_EQ(Functions(overlong), (std::vector<std::uint8_t>{0}));
  // wTotalLength shorter than the data: what lies behind it belongs to the next configuration.
  Bytes shortTotal = DeviceBytes(0, 0, 0, 2, Join({Interface(0, 3, 0), Interface(1, 3, 0)}));
  shortTotal[18 + 2] = 9 + 16;
  EXPECT_EQ(Functions(shortTotal), (std::vector<std::uint8_t>{0}));
  // wTotalLength longer than the data: the data ends it.
  Bytes longTotal = DeviceBytes(0, 0, 0, 2, Join({Interface(0, 3, 0), Interface(1, 3, 0)}));
  longTotal[18 + 3] = 0x10;
  EXPECT_EQ(Functions(longTotal), (std::vector<std::uint8_t>{0, 1}));
  // Interface and association descriptors too short to hold their fields are skipped.
  const Bytes truncated = DeviceBytes(0, 0, 0, 2, Join({Bytes{4, 4, 7, 0}, Bytes{3, 0x0B, 0}, Interface(1, 3, 0)}));
  EXPECT_EQ(Functions(truncated), (std::vector<std::uint8_t>{1}));
}

TEST(UsbDescriptors, CompositeDevices) {
  struct Case {
    const char* name;
    std::uint8_t deviceClass, subClass, protocol, numInterfaces, numConfigurations;
    bool composite;
  };
  const Case cases[] = {
      {"class 00, two interfaces", 0x00, 0, 0, 2, 1, true},
      {"class 00 with any subclass", 0x00, 5, 7, 2, 1, true},
      {"EF/02/01", 0xEF, 2, 1, 2, 1, true},
      {"one interface", 0x00, 0, 0, 1, 1, false},
      {"two configurations", 0x00, 0, 0, 2, 2, false},
      {"EF/02/02", 0xEF, 2, 2, 2, 1, false},
      {"vendor class", 0xFF, 0, 0, 2, 1, false},
      {"hub", 0x09, 0, 1, 2, 1, false},
      {"Bluetooth E0/01/01", 0xE0, 1, 1, 2, 1, false},
  };
  for (const Case& c : cases) {
    const Bytes bytes = DeviceBytes(c.deviceClass, c.subClass, c.protocol, c.numInterfaces,
                                    Join({Interface(0, 3, 0), Interface(1, 3, 0)}), c.numConfigurations);
    EXPECT_EQ(IsCompositeDevice(*ParseDescriptors(bytes)), c.composite) << c.name;
  }
}

TEST(UsbDescriptors, AssociationsGroupInterfacesIntoFunctions) {
  // A webcam: video (0, 1) and audio (2, 3), each announced by an association.
  EXPECT_EQ(Functions(DeviceBytes(
                0xEF, 2, 1, 4,
                Join({Association(0, 2), Interface(0, 0x0E, 1), Interface(1, 0x0E, 2), Interface(1, 0x0E, 2, 1),
                      Association(2, 2), Interface(2, 1, 1), Interface(3, 1, 2), Interface(3, 1, 2, 1)}))),
            (std::vector<std::uint8_t>{0, 2}));
  // Interfaces outside any association are functions of their own; with an
  // association present the legacy audio grouping does not apply.
  EXPECT_EQ(Functions(DeviceBytes(0xEF, 2, 1, 4,
                                  Join({Association(0, 2), Interface(0, 0x0E, 1), Interface(1, 0x0E, 2),
                                        Interface(2, 1, 1), Interface(3, 1, 2)}))),
            (std::vector<std::uint8_t>{0, 2, 3}));
  // An association whose first interface is missing names its function after it
  // all the same; one that covers no described interface makes no function.
  EXPECT_EQ(Functions(DeviceBytes(0, 0, 0, 3,
                                  Join({Association(0, 3), Interface(1, 3, 0), Interface(2, 3, 0), Association(7, 1),
                                        Interface(3, 3, 0)}))),
            (std::vector<std::uint8_t>{0, 3}));
  // An association of count 0 groups nothing.
  EXPECT_EQ(Functions(DeviceBytes(0, 0, 0, 2, Join({Association(0, 0), Interface(0, 3, 0), Interface(1, 3, 0)}))),
            (std::vector<std::uint8_t>{0, 1}));
  // Interface numbers above 9 and out of order.
  EXPECT_EQ(
      Functions(DeviceBytes(0, 0, 0, 3, Join({Interface(0x11, 3, 0), Interface(0x0A, 3, 0), Interface(2, 3, 0)}))),
      (std::vector<std::uint8_t>{2, 0x0A, 0x11}));
}

TEST(UsbDescriptors, LegacyAudioGrouping) {
  struct Case {
    const char* name;
    Bytes body;
    std::vector<std::uint8_t> functions;
  };
  const std::vector<Case> cases = {
      {"control and two streaming interfaces, then HID",
       Join({Interface(0, 1, 1), Interface(1, 1, 2), Interface(1, 1, 2, 1), Interface(2, 1, 2), Interface(3, 3, 0)}),
       {0, 3}},
      {"a second control interface starts a second collection",
       Join({Interface(0, 1, 1), Interface(1, 1, 2), Interface(2, 1, 1), Interface(3, 1, 3)}),
       {0, 2}},
      {"MIDI streaming joins too", Join({Interface(0, 1, 1), Interface(1, 1, 3)}), {0}},
      {"an interface of another class between them breaks the run",
       Join({Interface(0, 1, 1), Interface(1, 3, 0), Interface(2, 1, 2)}),
       {0, 1, 2}},
      {"a run may start with a streaming interface", Join({Interface(0, 1, 2), Interface(1, 1, 1)}), {0}},
      {"no audio: every interface alone", Join({Interface(0, 3, 1), Interface(1, 3, 0)}), {0, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Functions(DeviceBytes(0, 0, 0, 4, c.body)), c.functions) << c.name;
  }
}

TEST(UsbDescriptors, RandomBytesNeverReadOutOfBounds) {
  // Runs under AddressSanitizer in the sanitizer build; here it checks the
  // parser ends on any input.
  std::mt19937 random(20061031);
  const Bytes base = DeviceBytes(
      0xEF, 2, 1, 4,
      Join({Association(0, 2), Interface(0, 0x0E, 1), Interface(1, 0x0E, 2), Interface(2, 1, 1), Interface(3, 1, 2)}));
  for (int round = 0; round < 20000; ++round) {
    Bytes bytes = base;
    bytes.resize(random() % (base.size() + 8));
    for (auto flips = random() % 6; flips > 0 && !bytes.empty(); --flips) {
      bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    }
    if (const std::optional<Descriptors> descriptors = ParseDescriptors(bytes)) {
      IsCompositeDevice(*descriptors);
      if (descriptors->firstConfiguration) FunctionFirstInterfaces(*descriptors->firstConfiguration);
    }
  }
}

}  // namespace
}  // namespace kestro::usb

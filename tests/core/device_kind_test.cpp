// Devices as a person writes them: every name the program writes reads
// back, hexadecimal numbers that begin with a letter included.
#include "core/device_kind.h"

#include <gtest/gtest.h>

namespace omb {
namespace {

TEST(DeviceSpanText, EveryNameTheProgramWritesReadsBack) {
  for (int kind = 0; kind < kKindCount; ++kind) {
    if (kind == kDx || kind == kMx) continue;  // written as D and M
    for (const std::int32_t number : {0, 1, 9, 10, 15, 16, 0xA0, 0xFF, 0x7FF, 0xABC, 9000, 0xFFFFFF}) {
      const std::string name = deviceName(kind, number);
      EXPECT_EQ(parseDeviceSpan(name), (DeviceSpan{kind, number, number})) << name;
    }
  }
}

TEST(DeviceSpanText, RunsAndMistakes) {
  struct Case {
    const char* text;
    std::optional<DeviceSpan> span;
  };
  const Case cases[] = {
      {"XA", DeviceSpan{kX, 10, 10}},
      {"BF0", DeviceSpan{kB, 0xF0, 0xF0}},
      {"X8-XB", DeviceSpan{kX, 8, 11}},
      {"X8-B", std::nullopt},  // B names a kind of its own
      {"TS5", DeviceSpan{kTS, 5, 5}},
      {"D0100", DeviceSpan{kD, 100, 100}},
      {"D100-109", DeviceSpan{kD, 100, 109}},
      {"DA", std::nullopt},  // D is numbered in decimal
      {"TSA", std::nullopt},
      {"XG", std::nullopt},
      {"X", std::nullopt},
      {"Dx9000", std::nullopt},
      {"D9-D1", std::nullopt},
      {"d100", DeviceSpan{kD, 100, 100}},  // as typed into a command or a file
      {"x1f-x2a", DeviceSpan{kX, 0x1F, 0x2A}},
      {"tn5", DeviceSpan{kTN, 5, 5}},
      {"dx9000", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseDeviceSpan(c.text), c.span) << c.text;
}

}  // namespace
}  // namespace omb

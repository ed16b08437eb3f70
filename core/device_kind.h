// The eighteen device kinds in their fixed order.  The position in this
// order is the index of the kind in both range tables, in device memory and
// the view slot of the kind's own view.
#pragma once

#include <array>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>

namespace omb {

enum DevKind : int {
  kTN = 0, kCN, kD, kW, kR, kDx,
  kX, kY, kM, kL, kS, kB, kF, kMx, kTS, kTC, kCS, kCC,
};
inline constexpr int kKindCount = 18;

struct KindInfo {
  const char* code;      // "TN" .. "CC", "Dx" and "Mx" included
  const char* textCode;  // code as written in device texts ("D" for Dx, "M" for Mx)
  const char* caption;   // menu caption
  bool isWord;
  int radix;             // 10 or 16
  int digits5;           // digits of the number in the five-character text
  int digits7;           // digits of the number in the seven-character text
};

const KindInfo& kindInfo(int kind);
inline bool isWordKind(int kind) { return kind >= kTN && kind <= kDx; }

// Kind whose code is exactly `code` ("Dx" and "Mx" included), or -1.
int kindOfCode(std::string_view code);

// Device text: text code and the number zero-padded in the kind's radix,
// five characters in all (ACPU set) or seven (AnACPU set): X07FF, TN255,
// X0007FF, D009000.
std::string fncDeviceText(int kind, std::int32_t number, int width);

// Address text as the views show a device: code and number zero-padded to
// six digits, five for TN, CN, TS, TC, CS, CC: D000100, TN00015, W0001A0.
std::string fncAddressText(int kind, std::int32_t number);

// A device or a run of devices as a person writes them: the code and the
// number in the kind's radix without padding ("D100", "X1F", "TN5"), a run
// as "D100-D109" or "D100-109", in upper or lower case ("d100", "x1f").  Special D and M numbers are written as D
// and M (D9000); the kind is the code's (D, M), never Dx or Mx.
struct DeviceSpan {
  int kind = -1;
  std::int32_t first = 0, last = 0;
  std::int64_t count() const { return std::int64_t{last} - first + 1; }
  bool operator==(const DeviceSpan&) const = default;
};
std::optional<DeviceSpan> parseDeviceSpan(std::string_view text);
// "D100", "X1F": the short form parseDeviceSpan reads.
std::string deviceName(int kind, std::int32_t number);
// "D100" or "D100-D109": a span as parseDeviceSpan reads it.
std::string deviceSpanText(const DeviceSpan& span);

}  // namespace omb

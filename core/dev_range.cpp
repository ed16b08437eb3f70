#include "core/dev_range.h"

#include "core/numeric.h"

namespace omb {

namespace {
std::size_t textCodeLength(int kind) { return std::string_view(kindInfo(kind).textCode).size(); }

// Mid(text, start, length) with 0-based start: never reads past the end.
std::string_view mid(std::string_view text, std::size_t start, std::size_t length) {
  if (start >= text.size()) return {};
  return text.substr(start, length);
}
}  // namespace

void subSetRangeCodes(DevRangeTable& table) {
  for (int k = 0; k < kKindCount; ++k) table[static_cast<std::size_t>(k)].code = kindInfo(k).code;
}

void fncSetRangeFromValue(DevRange& range, int kind, std::string_view value) {
  std::size_t dash = value.find('-');
  std::string_view firstText = value.substr(0, dash);
  std::string_view lastText = dash == std::string_view::npos ? std::string_view{} : value.substr(dash + 1);
  std::size_t start = textCodeLength(kind);
  std::size_t length = firstText.size() > start ? firstText.size() - start : 0;
  int radix = kindInfo(kind).radix;
  std::int32_t first = readRadix(mid(firstText, start, length), radix);
  std::int32_t last = readRadix(mid(lastText, start, length), radix);
  range.firstText = std::string(firstText);
  range.lastText = std::string(lastText);
  range.first = first;
  range.last = last;
}

std::int32_t fncDevTextNumber(int kind, std::string_view text) {
  return readRadix(mid(text, textCodeLength(kind), std::string_view::npos), kindInfo(kind).radix);
}

void subSetOldVersionRanges(DevRangeTable& range5, DevRangeTable& range7) {
  struct Row { std::int32_t first5, last5, first7, last7; };
  static constexpr Row kRows[kKindCount] = {
      {0, 255, 0, 2047},        // TN
      {0, 255, 0, 1023},        // CN
      {0, 1024, 0, 6143},       // D
      {0, 0x3FF, 0, 0xFFF},     // W
      {0, 8191, 0, 8191},       // R
      {9000, 9255, 9000, 9255}, // Dx
      {0, 0x7FF, 0, 0x7FF},     // X
      {0, 0x7FF, 0, 0x7FF},     // Y
      {0, 2047, 0, 8191},       // M
      {0, 2047, 0, 8191},       // L
      {0, 2047, 0, 8191},       // S
      {0, 0x3FF, 0, 0xFFF},     // B
      {0, 255, 0, 2047},        // F
      {9000, 9255, 9000, 9255}, // Mx
      {0, 255, 0, 2047},        // TS
      {0, 255, 0, 2047},        // TC
      {0, 255, 0, 1023},        // CS
      {0, 255, 0, 1023},        // CC
  };
  subSetRangeCodes(range5);
  subSetRangeCodes(range7);
  for (int k = 0; k < kKindCount; ++k) {
    const Row& r = kRows[k];
    auto set = [k](DevRange& d, std::int32_t first, std::int32_t last, int width) {
      d.first = first;
      d.last = last;
      d.firstText = fncDeviceText(k, first, width);
      d.lastText = fncDeviceText(k, last, width);
    };
    set(range5[static_cast<std::size_t>(k)], r.first5, r.last5, 5);
    set(range7[static_cast<std::size_t>(k)], r.first7, r.last7, 7);
  }
}

}  // namespace omb

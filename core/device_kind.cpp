#include "core/device_kind.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace omb {
namespace {
constexpr std::array<KindInfo, kKindCount> kKinds{{
    {"TN", "TN", "タイマＴ", true, 10, 3, 5},
    {"CN", "CN", "カウンタＣ", true, 10, 3, 5},
    {"D", "D", "データレジスタＤ", true, 10, 4, 6},
    {"W", "W", "リンクレジスタＷ", true, 16, 4, 6},
    {"R", "R", "ファイルレジスタＲ", true, 10, 4, 6},
    {"Dx", "D", "特殊レジスタＤ", true, 10, 4, 6},
    {"X", "X", "入力Ｘ", false, 16, 4, 6},
    {"Y", "Y", "出力Ｙ", false, 16, 4, 6},
    {"M", "M", "内部リレーＭ", false, 10, 4, 6},
    {"L", "L", "ラッチリレーＬ", false, 10, 4, 6},
    {"S", "S", "ステップリレーＳ", false, 10, 4, 6},
    {"B", "B", "リンクリレーＢ", false, 16, 4, 6},
    {"F", "F", "アナンシェータＦ", false, 10, 4, 6},
    {"Mx", "M", "特殊リレーＭ", false, 10, 4, 6},
    {"TS", "TS", "タイマ（接点）Ｔ", false, 10, 3, 5},
    {"TC", "TC", "タイマ（コイル）Ｔ", false, 10, 3, 5},
    {"CS", "CS", "カウンタ（接点）Ｃ", false, 10, 3, 5},
    {"CC", "CC", "カウンタ（コイル）Ｃ", false, 10, 3, 5},
}};

std::string padded(int kind, std::int32_t number, int digits) {
  const KindInfo& k = kKinds[static_cast<std::size_t>(kind)];
  char buf[32];
  std::snprintf(buf, sizeof buf, k.radix == 16 ? "%0*X" : "%0*d", digits, number);
  return std::string(k.textCode) + buf;
}
}  // namespace

const KindInfo& kindInfo(int kind) { return kKinds.at(static_cast<std::size_t>(kind)); }

int kindOfCode(std::string_view code) {
  for (int i = 0; i < kKindCount; ++i)
    if (code == kKinds[static_cast<std::size_t>(i)].code) return i;
  return -1;
}

std::string fncDeviceText(int kind, std::int32_t number, int width) {
  const KindInfo& k = kindInfo(kind);
  return padded(kind, number, width == 5 ? k.digits5 : k.digits7);
}

std::string fncAddressText(int kind, std::int32_t number) {
  return padded(kind, number, std::string_view(kindInfo(kind).textCode).size() == 2 ? 5 : 6);
}

namespace {
// One device of `kindWanted` (any kind when -1), its number alone allowed
// when the kind is known.
std::optional<std::pair<int, std::int32_t>> oneDevice(std::string_view s, int kindWanted) {
  std::size_t n = 0;
  while (n < s.size() && std::isalpha(static_cast<unsigned char>(s[n]))) ++n;
  int kind = kindWanted;
  if (n > 0) {
    // A hexadecimal number may begin with a letter (XA, BF0): the code is
    // the longest run of letters that names a kind.
    while ((kind = kindOfCode(s.substr(0, n))) < 0 && n > 1) --n;
    if (kind < 0 || kind == kDx || kind == kMx || (kindWanted >= 0 && kind != kindWanted)) return std::nullopt;
  }
  if (kind < 0 || n == s.size()) return std::nullopt;
  std::int32_t v = 0;
  const std::string_view digits = s.substr(n);
  const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, kindInfo(kind).radix);
  if (ec != std::errc{} || p != digits.data() + digits.size() || v < 0 || v > 0xFFFFFF) return std::nullopt;
  return std::pair{kind, v};
}
}  // namespace

std::optional<DeviceSpan> parseDeviceSpan(std::string_view written) {
  std::string text(written);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t dash = text.find('-');
  const auto first = oneDevice(std::string_view(text).substr(0, dash), -1);
  if (!first) return std::nullopt;
  DeviceSpan span{first->first, first->second, first->second};
  if (dash == std::string_view::npos) return span;
  const auto last = oneDevice(std::string_view(text).substr(dash + 1), span.kind);
  if (!last || last->second < span.first) return std::nullopt;
  span.last = last->second;
  return span;
}

std::string deviceName(int kind, std::int32_t number) {
  const KindInfo& k = kindInfo(kind);
  char buf[32];
  std::snprintf(buf, sizeof buf, k.radix == 16 ? "%X" : "%d", number);
  return std::string(k.textCode) + buf;
}

std::string deviceSpanText(const DeviceSpan& span) {
  std::string t = deviceName(span.kind, span.first);
  if (span.last != span.first) t += "-" + deviceName(span.kind, span.last);
  return t;
}

}  // namespace omb

#include "core/numeric.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/error.h"

namespace omb {

double leadingNumber(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  double value = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') value = value * 10 + (t[i++] - '0');
  if (i < t.size() && t[i] == '.') {
    double scale = 0.1;
    for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, scale /= 10) value += (t[i] - '0') * scale;
  }
  return negative ? -value : value;
}

double roundHalfEven(double v) {
  double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return r;
}

namespace {
template <class T>
T toInt(double v) {
  double r = roundHalfEven(v);
  if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
        r <= static_cast<double>(std::numeric_limits<T>::max())))
    throw RuntimeError(kErrOverflow);
  return static_cast<T>(r);
}
}  // namespace

std::int16_t toInt16(double v) { return toInt<std::int16_t>(v); }
std::int32_t toInt32(double v) { return toInt<std::int32_t>(v); }

std::int32_t readRadix(std::string_view t, int radix) {
  std::int64_t value = 0;
  for (char c : t) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (radix == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else break;
    if (d >= radix) break;
    value = value * radix + d;
    if (value > std::numeric_limits<std::int32_t>::max()) throw RuntimeError(kErrOverflow);
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t wordsForPoints(std::int64_t points) {
  std::int64_t q = points / 16, r = points % 16;
  if (r < 0) { --q; r += 16; }  // floor division for empty or reversed ranges
  if (r > 8 || (r == 8 && (q & 1))) ++q;
  if (q > std::numeric_limits<std::int32_t>::max()) throw RuntimeError(kErrOverflow);
  return static_cast<std::int32_t>(q);
}

std::optional<std::int64_t> wholeNumber(std::string_view s, std::int64_t lo, std::int64_t hi) {
  std::int64_t v = 0;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc{} || p != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
  return v;
}

WordText readWordText(std::string_view s) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
    if (s[0] == '-') return {};
  }
  std::int64_t v = 0;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || p != s.data() + s.size() || (ec != std::errc{} && ec != std::errc::result_out_of_range)) return {};
  if (ec == std::errc::result_out_of_range || v < -32768 || v > 0xFFFF) return {std::nullopt, true};
  return {static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)), false};
}

}  // namespace omb

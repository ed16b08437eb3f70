// Reading the little-endian fields of the project files: 16- and 32-bit
// integers, floats, 16-bit booleans, texts with a 16-bit byte count and
// fixed-width texts, all in the system code page.  Reading past the end
// throws `Truncated`.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/cp932.h"
#include "core/translate.h"

namespace omb {

struct Truncated : std::runtime_error {
  Truncated() : std::runtime_error(omb::trs("BinaryReader", "ファイルが途中で終わっています。")) {}
};

class BinaryReader {
 public:
  explicit BinaryReader(std::string_view bytes) : in_(bytes) {}
  std::size_t left() const { return in_.size() - at_; }
  std::string_view take(std::size_t n) {
    if (left() < n) throw Truncated();
    const std::string_view s = in_.substr(at_, n);
    at_ += n;
    return s;
  }
  std::int16_t i16() {
    const std::string_view s = take(2);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned char>(s[0]) |
                                                                (static_cast<unsigned char>(s[1]) << 8)));
  }
  std::int32_t i32() {
    const std::string_view s = take(4);
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(u);
  }
  float f32() {
    const auto u = static_cast<std::uint32_t>(i32());
    float v;
    std::memcpy(&v, &u, 4);
    return v;
  }
  bool b16() { return i16() != 0; }
  std::string text() { return cp932::decode(take(static_cast<std::uint16_t>(i16()))); }
  // n bytes of text, blanks trimmed at both ends.
  std::string fixed(std::size_t n) {
    const std::string s = cp932::decode(take(n));
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
  }

 private:
  std::string_view in_;
  std::size_t at_ = 0;
};

}  // namespace omb

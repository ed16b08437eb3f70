#include "core/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace omb::cp932 {
namespace {

// One iconv descriptor per direction, reset before each use.  The program
// has one user-interface thread; the mutex only keeps tests and tools that
// convert from several threads correct.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on an unconvertible or invalid sequence emits "?" and
  // skips `skip(in, pos)` bytes.
  template <class Skip>
  std::string run(std::string_view in, Skip skip) {
    std::lock_guard lock(mutex_);
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.reserve(in.size() * 3 / 2 + 4);
    char buf[512];
    const char* src = in.data();
    std::size_t left = in.size();
    while (left > 0) {
      char* dst = buf;
      std::size_t room = sizeof buf;
      std::size_t r = iconv(cd_, const_cast<char**>(&src), &left, &dst, &room);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (truncated sequence at the end).
        out.push_back('?');
        std::size_t n = skip(std::string_view(src, left));
        src += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
  std::mutex mutex_;
};

std::size_t utf8SeqLen(std::string_view s) {
  auto b = static_cast<unsigned char>(s[0]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
  return n <= s.size() ? n : s.size();
}

Converter& toCp932() {
  static Converter c("CP932", "UTF-8");
  return c;
}
Converter& fromCp932() {
  static Converter c("UTF-8", "CP932");
  return c;
}

}  // namespace

std::string encode(std::string_view utf8) { return toCp932().run(utf8, utf8SeqLen); }

std::string decode(std::string_view bytes) {
  return fromCp932().run(bytes, [](std::string_view) -> std::size_t { return 1; });
}

std::size_t byteLength(std::string_view utf8) { return encode(utf8).size(); }

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::string leftBytes(std::string_view bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t step = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + step > n) break;
    i += step;
  }
  return std::string(bytes.substr(0, std::min(i, bytes.size())));
}

std::string cutToBytes(std::string_view utf8, std::size_t n) {
  // Walk whole characters so that a character the code page cannot hold is
  // kept as it is (it counts as the one byte it would be written as).
  std::size_t used = 0, i = 0;
  while (i < utf8.size()) {
    std::size_t len = utf8SeqLen(utf8.substr(i));
    std::size_t bytes = len == 1 ? 1 : encode(utf8.substr(i, len)).size();
    if (used + bytes > n) break;
    used += bytes;
    i += len;
  }
  return std::string(utf8.substr(0, i));
}

}  // namespace omb::cp932

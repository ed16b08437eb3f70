// The Japanese system code page (CP932, Shift-JIS with the Microsoft
// extensions).  Text inside the program is UTF-8; CP932 exists only at file
// boundaries and in the byte-oriented device conversions.  Conversion goes
// through iconv.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace omb::cp932 {

// UTF-8 -> CP932 bytes.  A character the code page cannot hold becomes "?",
// as the system code page conversion does.
std::string encode(std::string_view utf8);

// CP932 bytes -> UTF-8.  A byte sequence that is not CP932 becomes "?" for
// each offending byte, so decoding never fails and never drops the rest.
std::string decode(std::string_view bytes);

// Length of a UTF-8 text in CP932 bytes.
std::size_t byteLength(std::string_view utf8);

// True when `b` starts a double-byte character (81h-9Fh, E0h-FCh).
bool isLeadByte(unsigned char b);

// The longest prefix of CP932 `bytes` at most n bytes long that does not end
// in the first half of a double-byte character.
std::string leftBytes(std::string_view bytes, std::size_t n);

// The same cut applied to UTF-8 text measured in CP932 bytes; the result is
// UTF-8 again.
std::string cutToBytes(std::string_view utf8, std::size_t n);

}  // namespace omb::cp932

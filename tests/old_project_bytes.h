// An old-generation project file crafted field by field, not by any of the
// program's own code: every word of every kind its index + kind * 10000
// (D5 = 20005), one registered word of number 40000 (an int16 -25536 in the
// file), format 2, AnACPU, 19200 baud, even parity, 7 data bits, 2 stop
// bits, and the station, sum flag and comment given.
#pragma once

#include <string>

#include "store/old_project.h"

namespace omb::test {

struct OldProjectFields {
  std::string station = "1F";  // the two bytes of the field, as they are
  int sum = 1;
  std::string comment = "old line";
};

inline std::string oldProjectBytes(const OldProjectFields& f = {}) {
  std::string b;
  auto i16 = [&](int v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
  };
  auto text = [&](const std::string& t) {
    i16(static_cast<int>(t.size()));
    b += t;
  };
  for (int k = 0; k < kKindCount; ++k)
    for (int w = 0; w < kOldWords[static_cast<std::size_t>(k)]; ++w) i16(w + k * 10000);
  for (int list = 0; list < 2; ++list) {
    for (int i = 0; i < 128; ++i) text(list == 0 && i == 0 ? "D" : "");
    for (int i = 0; i < 128; ++i) text(list == 0 && i == 0 ? "D040000" : "");
    for (int i = 0; i < 128; ++i) i16(list == 0 && i == 0 ? 40000 : 0);
    i16(list == 0 ? 1 : 0);
    i16(list == 0 ? 1 : 0);
  }
  i16(3);
  i16(4);  // reserved
  auto linkList = [&](int n) {
    for (int i = 0; i < 2 * n; ++i) text("");
    for (int i = 0; i < 2 * n; ++i) i16(0);
  };
  linkList(20);
  linkList(20);
  for (int i = 0; i < 20; ++i) i16(0);
  linkList(40);
  linkList(20);
  for (int v : {0, -1, 0, 0, 0, -1, -1, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, -1}) i16(v);
  std::string station = f.station;
  station.resize(2, ' ');
  b += station;
  i16(f.sum);
  std::string comment = f.comment;
  comment.resize(40, ' ');
  b += comment;
  return b;
}

}  // namespace omb::test

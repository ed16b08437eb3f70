// Range records: which device numbers exist, as texts (compared by the
// request checks) and as numbers (used to dimension storage and everywhere
// else).  DevRange5 holds the five-character forms of the ACPU command set,
// DevRange7 the seven-character forms of the AnACPU set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/device_kind.h"

namespace omb {

struct DevRange {
  std::string code;       // kind code, "Dx" and "Mx" included
  std::string firstText;  // e.g. X0000, D9000, X000000
  std::string lastText;   // e.g. X07FF, D009255
  std::int32_t first = 0;
  std::int32_t last = 0;
};

using DevRangeTable = std::array<DevRange, kKindCount>;

// Fills the code of every record, in kind order.
void subSetRangeCodes(DevRangeTable& table);

// Sets a record from a range value of the settings file: two device texts
// joined by "-" ("X0000-X07FF", "M9000-M9255" for Mx).  The number of each
// text starts after the text code (one letter for Dx and Mx, which are
// written "D" and "M") and is as long as the first text's number; it is read
// in the kind's radix, stopping at the first character that is not a digit.
// A number too large for 32 bits raises the overflow error and leaves the
// record unchanged.
void fncSetRangeFromValue(DevRange& range, int kind, std::string_view value);

// The number written in a device text of `kind`: the characters after the
// text code, read in the kind's radix.
std::int32_t fncDevTextNumber(int kind, std::string_view text);

// The old-version layout, which is also the layout of the shipped settings.
void subSetOldVersionRanges(DevRangeTable& range5, DevRangeTable& range7);

}  // namespace omb

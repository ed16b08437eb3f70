// Grids whose rows are words drawn as sixteen bit cells, bit F in column 1
// to bit 0 in column 16: the paged bit views and the bit displays of word
// devices share how their bit cells are drawn and changed.
#pragma once

#include <QString>

#include <cstdint>

#include "core/device_memory.h"
#include "views/flex_grid.h"

namespace omb::bitRows {

inline constexpr int kFirstBitCol = 1;
inline constexpr int kLastBitCol = 16;
inline bool isBitColumn(int col) { return col >= kFirstBitCol && col <= kLastBitCol; }
// The bit a column shows: 15 for column 1 ("F") to 0 for column 16 ("0").
inline int bitOf(int col) { return kLastBitCol - col; }

enum class BitOp { Set, Reset, Not };

// SET, RESET or NOT on the selected bit cells of every selected row with a
// device (the selection cut at column 16).  False, and nothing written,
// when the current cell lies outside the data cells or neither end of the
// selection lies in a bit column.
bool apply(DeviceMemory& memory, const FlexGrid& grid, BitOp op);

// Grids whose rows each stand for one bit (RowDevice::bit 0-15): the
// multi-screen bit windows, the bit lists of the user view and the test
// monitor.  SET, RESET or NOT on the bit of every selected row that has one.
void applyToRowBits(DeviceMemory& memory, const FlexGrid& grid, BitOp op);
// Whether the bit a row stands for is on.
bool rowBitOn(const DeviceMemory& memory, const RowDevice& device);

// A cell's text, written only when it changes.
void setText(FlexGrid& grid, int row, int col, const QString& text);

}  // namespace omb::bitRows

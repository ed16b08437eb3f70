#include "views/bit_rows.h"

#include <algorithm>

namespace omb::bitRows {

bool apply(DeviceMemory& memory, const FlexGrid& g, BitOp op) {
  if (g.row() < 1 || g.rowSel() < 1 || g.col() < 1 || g.colSel() < 1) return false;
  if (!isBitColumn(g.col()) && !isBitColumn(g.colSel())) return false;
  const int left = g.leftCol();
  const int right = std::min(g.rightCol(), kLastBitCol);  // the value and comment columns hold no bits
  for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
    const RowDevice* d = g.rowDevice(r);
    if (!d) continue;
    auto bits = static_cast<std::uint16_t>(memory.word(d->kind, d->word));
    for (int c = left; c <= right; ++c) {
      const auto k = static_cast<std::size_t>(bitOf(c));
      switch (op) {
        case BitOp::Set: bits |= BitMask[k]; break;
        case BitOp::Reset: bits &= BitClearMask[k]; break;
        case BitOp::Not: bits ^= BitMask[k]; break;
      }
    }
    memory.write(d->kind, d->word, static_cast<std::int16_t>(bits));
  }
  return true;
}

void applyToRowBits(DeviceMemory& memory, const FlexGrid& g, BitOp op) {
  for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
    const RowDevice* d = g.rowDevice(r);
    if (!d || d->bit < 0) continue;
    if (op == BitOp::Not) memory.toggleBit(d->kind, d->word, d->bit);
    else memory.writeBit(d->kind, d->word, d->bit, op == BitOp::Set);
  }
}

bool rowBitOn(const DeviceMemory& memory, const RowDevice& d) {
  const auto word = static_cast<std::uint16_t>(memory.word(d.kind, d.word));
  return (word & BitMask[static_cast<std::size_t>(d.bit)]) != 0;
}

void setText(FlexGrid& g, int row, int col, const QString& text) {
  if (g.textMatrix(row, col) != text) g.setTextMatrix(row, col, text);
}

}  // namespace omb::bitRows

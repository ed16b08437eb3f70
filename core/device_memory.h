// Device memory: one array of signed 16-bit words per kind, dimensioned
// from the seven-character range table.  Word kinds hold one device per
// word; bit kinds sixteen devices per word, device n at bit (n - first) mod 16
// of word (n - first) / 16.  D and M numbers outside their own storage
// address the special registers Dx and special relays Mx.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/dev_range.h"
#include "core/error.h"

namespace omb {

// BitMask[i] selects bit i (entry 15 is the sign bit); BitClearMask[i] is
// its complement.
inline constexpr std::array<std::uint16_t, 16> BitMask{
    1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 0x4000, 0x8000};
inline constexpr std::array<std::uint16_t, 16> BitClearMask{
    0xFFFE, 0xFFFD, 0xFFFB, 0xFFF7, 0xFFEF, 0xFFDF, 0xFFBF, 0xFF7F,
    0xFEFF, 0xFDFF, 0xFBFF, 0xF7FF, 0xEFFF, 0xDFFF, 0xBFFF, 0x7FFF};

// Where one device lives in storage.
struct DeviceLocation {
  int kind;            // storage array (Dx / Mx for special devices)
  std::int32_t index;  // word position in that array
  int bit;             // bit within the word (0 for word kinds)
};

class DeviceMemory {
 public:
  // Largest number of devices one kind may be dimensioned with; a range
  // beyond it is a settings mistake and is reported instead of exhausting
  // memory.
  static constexpr std::int64_t kMaxPoints = 0x1000000;

  explicit DeviceMemory(ErrorSink& errors) : errors_(errors) {}

  // (Re)creates every array from the range table, all words 0.  A kind that
  // cannot be created is reported and ends the run; arrays created before it
  // stay.
  void subReDim_Device(const DevRangeTable& range7);

  std::vector<std::int16_t>& words(int kind) { return words_.at(static_cast<std::size_t>(kind)); }
  const std::vector<std::int16_t>& words(int kind) const {
    return words_.at(static_cast<std::size_t>(kind));
  }
  // First device number of a kind's storage.
  std::int32_t firstNumber(int kind) const { return first_.at(static_cast<std::size_t>(kind)); }
  // Number of devices a kind's storage holds (words, or 16 per word).
  std::int64_t capacity(int kind) const;

  // Storage location of device `number` written with `code` (one of X Y M L
  // S B F TS TC CS CC D W R TN CN); D and M numbers outside their own
  // storage resolve to Dx and Mx.  Empty for any other code or a number no
  // storage holds.
  std::optional<DeviceLocation> locate(std::int32_t number, std::string_view code) const;

  // The storage word holding the device: its value for a word kind, the
  // whole word of sixteen devices for a bit kind.  Unknown codes read 0; a
  // number outside storage is reported and reads 0.
  std::int16_t fncDeviceData(std::int32_t number, std::string_view code);
  // Stores the word read by fncDeviceData.  Unknown codes are ignored; a
  // number outside storage is reported and nothing is written.
  void subDeviceWrite(std::int32_t number, std::string_view code, std::int16_t value);

  // One bit device by code and number; out-of-storage numbers are reported
  // (read as off, never written).
  bool fncBit(std::int32_t number, std::string_view code);
  void subBitWrite(std::int32_t number, std::string_view code, bool on);

  // First number of the storage that holds the device written as `text`,
  // -1 for an unknown code.
  std::int32_t fncLBound(std::string_view text) const;

 private:
  ErrorSink& errors_;
  std::array<std::vector<std::int16_t>, kKindCount> words_{};
  std::array<std::int32_t, kKindCount> first_{};
};

// Page table of the 24 view slots.  Slots 0-17 are the kinds, 20-23 the bit
// displays of D, W, R and Dx; 18 (test monitor) and 19 (user view) have no
// range of their own.
inline constexpr int kViewSlotCount = 24;
struct PageSlot {
  std::int32_t perPage = 0;  // devices (bit views: rows of 16) per page
  std::int32_t pages = 1;
};
using PageTable = std::array<PageSlot, kViewSlotCount>;

// Computes the page count of every slot from the ranges and storage.  A page
// size of 0 is reported as a division by zero and ends the run; the slots
// after it keep the counts they had.
void subSet_PageMax(PageTable& pages, const DevRangeTable& range7, const DeviceMemory& memory,
                    ErrorSink& errors);

// True when bit (position mod 16) is set in `word`; a negative position is
// reported and answers false.
bool fncBitCnv(std::int32_t position, std::int16_t word, ErrorSink& errors);

// The word as two characters of the system code page (raw bytes), upper
// byte first; a zero byte becomes a space.  4142h -> "AB", 4100h -> "A ".
std::string fncWordToAscii(std::int16_t word);

// Packs one or two bytes into a word, first byte in the upper half; `hex`
// receives the four upper-case hexadecimal digits.  Any other length gives
// 0 and an empty `hex`.  The text is in system code page bytes, so one
// double-byte character packs into one word.
std::int16_t fncCnvAsciiToAray(std::string_view text, std::string& hex);

// Writes the text two bytes a word into array[firstIndex..lastIndex],
// stopping at the end of the text, at lastIndex or at the array's end; a
// final single byte fills the upper half and 0 the lower.
void subCnvAsciiToAray(std::vector<std::int16_t>& array, std::int64_t firstIndex,
                       std::int64_t lastIndex, std::string_view text);

}  // namespace omb

// Device memory: one array of signed 16-bit words per kind, dimensioned
// from the seven-character range table.  Word kinds hold one device per
// word; bit kinds sixteen devices per word, device n at bit (n - first) mod 16
// of word (n - first) / 16.  D and M numbers outside their own storage
// address the special registers Dx and special relays Mx.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
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

// One run of storage words that a writer changed: words firstWord..lastWord
// of one kind's array (bit kinds: words of sixteen devices).
struct DeviceChange {
  int kind;
  std::int32_t firstWord;
  std::int32_t lastWord;
  bool operator==(const DeviceChange&) const = default;
};

// The words one request or one user action changed, in the order written;
// a write next to or inside the previous run of the same kind extends it.
class ChangeSet {
 public:
  void add(int kind, std::int32_t firstWord, std::int32_t lastWord);
  bool empty() const { return changes_.empty(); }
  const std::vector<DeviceChange>& changes() const { return changes_; }
  void clear() { changes_.clear(); }

 private:
  std::vector<DeviceChange> changes_;
};

// What subscribers receive when a change set is published.
struct ChangeNotice {
  const ChangeSet& changes;
  // The device named in the refresh signal that announces it ("All" for
  // the link, the view's own code for an edit in a view).
  std::string_view device;
  // Who made the change (a view, so it can skip redrawing its own echo);
  // lineWriterSource() for a request of the line; a script its own run;
  // nullptr for other writers without a window.
  const void* source;
};

// The source the link names when it publishes what a request of the line
// wrote (a script may listen to the line's writes only).
const void* lineWriterSource();

// Device memory owns its writes: every writer changes words through the
// write operations below, each of which records what it touched in the
// open change set.  publish() hands that set to every subscriber once per
// request or user action and starts a new one.
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

  // Read access only: writes go through the operations below.
  const std::vector<std::int16_t>& words(int kind) const {
    return words_.at(static_cast<std::size_t>(kind));
  }
  std::size_t size(int kind) const { return words(kind).size(); }
  // The word at `index` of a kind's array; raises the subscript error
  // outside it.
  std::int16_t word(int kind, std::int64_t index) const;

  // --- writes; an index outside the array raises the subscript error and
  // writes nothing ---
  void write(int kind, std::int64_t index, std::int16_t value);
  // Sets (on) or clears one bit of a word, the other fifteen unchanged.
  void writeBit(int kind, std::int64_t index, int bit, bool on);
  void toggleBit(int kind, std::int64_t index, int bit);
  // Words firstIndex..lastIndex (clamped to the array) all set to `value`.
  void fill(int kind, std::int64_t firstIndex, std::int64_t lastIndex, std::int16_t value);
  // Text bytes two to a word into words firstIndex..lastIndex, stopping at
  // the end of the text, at lastIndex or at the array's end; a final single
  // byte fills the upper half and 0 the lower (subCnvAsciiToAray).
  void writeAscii(int kind, std::int64_t firstIndex, std::int64_t lastIndex, std::string_view text);

  // Exchanges the storage (sizes and values) with another memory; the
  // subscribers and open change sets stay where they are.  Nothing is
  // published: the caller announces the new contents.
  void swapContents(DeviceMemory& other) noexcept {
    words_.swap(other.words_);
    first_.swap(other.first_);
  }

  // --- publication ---
  using Subscriber = std::function<void(const ChangeNotice&)>;
  using SubscriptionId = int;
  SubscriptionId subscribe(Subscriber subscriber);
  void unsubscribe(SubscriptionId id);
  // Hands the open change set to every subscriber, in the order they
  // subscribed, and starts a new one.  A request or action that wrote
  // nothing in the end (bit data other than 0 and 1) still publishes its
  // empty set: it is announced all the same.
  void publish(std::string_view device, const void* source = nullptr);
  // What has been written since the last publication.
  const ChangeSet& pending() const { return pending_; }

  // Storage index of device `number` in the array of `storageKind`
  // (counted from the array's first number); empty outside the array.
  std::optional<DeviceLocation> at(int storageKind, std::int64_t number) const;
  // First device number of a kind's storage.
  std::int32_t firstNumber(int kind) const { return first_.at(static_cast<std::size_t>(kind)); }
  // Number of devices a kind's storage holds (words, or 16 per word).
  std::int64_t capacity(int kind) const;

  // The storage kind a device written with `kind`'s code and `number`
  // lives in: D and M numbers from 9000 are the special registers and
  // relays.  This is how a device text of the protocol is resolved.
  static int storageKindOf(int kind, std::int32_t number);

  // Storage location of device `number` written with `code` (one of X Y M L
  // S B F TS TC CS CC D W R TN CN); D and M numbers outside their own
  // storage resolve to Dx and Mx.  Empty for any other code or a number no
  // storage holds.
  std::optional<DeviceLocation> locate(std::int32_t number, std::string_view code) const;

  // Device `number` of code kind `kind` as a request of the link names it
  // (D and M from 9000 up are the special ones), for what stands beside the
  // link (value generators, traces, the control channel): its location,
  // its value (a word's unsigned 16 bits, a bit's 0 or 1) and a write (a
  // word modulo 65536, a bit on for anything but 0).  Empty or false
  // outside device memory.
  std::optional<DeviceLocation> deviceAt(int kind, std::int32_t number) const {
    return at(storageKindOf(kind, number), number);
  }
  std::optional<std::int32_t> deviceValue(int kind, std::int32_t number) const;
  bool writeDevice(int kind, std::int32_t number, std::int32_t value);

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
  std::vector<std::int16_t>& mutableWords(int kind) { return words_.at(static_cast<std::size_t>(kind)); }
  std::size_t checkedIndex(int kind, std::int64_t index) const;

  ErrorSink& errors_;
  std::array<std::vector<std::int16_t>, kKindCount> words_{};
  std::array<std::int32_t, kKindCount> first_{};
  ChangeSet pending_;
  std::vector<std::pair<SubscriptionId, Subscriber>> subscribers_;
  SubscriptionId nextSubscription_ = 0;
};

// Bit `bit` (0..15) of a storage word.
inline bool wordBit(std::int16_t word, int bit) {
  return (static_cast<std::uint16_t>(word) & BitMask[static_cast<std::size_t>(bit)]) != 0;
}

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
// final single byte fills the upper half and 0 the lower.  For arrays that
// are not device memory; device memory has DeviceMemory::writeAscii.
void subCnvAsciiToAray(std::vector<std::int16_t>& array, std::int64_t firstIndex,
                       std::int64_t lastIndex, std::string_view text);

}  // namespace omb

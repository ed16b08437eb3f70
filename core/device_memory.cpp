#include "core/device_memory.h"

#include <algorithm>
#include <cstdio>

#include "core/numeric.h"

namespace omb {

namespace {
// The codes a device can be read or written by; Dx and Mx are reached only
// through D and M numbers.
int accessKind(std::string_view code) {
  int k = kindOfCode(code);
  return (k == kDx || k == kMx) ? -1 : k;
}
}  // namespace

void DeviceMemory::subReDim_Device(const DevRangeTable& range7) {
  pending_.clear();  // it named words of the storage being replaced
  guarded(errors_, "mdlSub.subReDim_Device() ", [&](ErrorTrap& trap) {
    for (int k = 0; k < kKindCount; ++k) {
      trap.section(k + 1);
      const DevRange& r = range7[static_cast<std::size_t>(k)];
      std::int64_t points = std::int64_t{r.last} - r.first + 1;
      if (points > kMaxPoints) throw RuntimeError(kErrOutOfMemory);
      std::int64_t count = isWordKind(k) ? points : wordsForPoints(points);
      if (count <= 0) throw RuntimeError(kErrSubscript);
      auto& w = words_[static_cast<std::size_t>(k)];
      w.assign(static_cast<std::size_t>(count), 0);
      first_[static_cast<std::size_t>(k)] = r.first;
    }
  });
}

void ChangeSet::add(int kind, std::int32_t firstWord, std::int32_t lastWord) {
  if (!changes_.empty()) {
    DeviceChange& last = changes_.back();
    if (last.kind == kind && firstWord <= std::int64_t{last.lastWord} + 1 && lastWord >= std::int64_t{last.firstWord} - 1) {
      last.firstWord = std::min(last.firstWord, firstWord);
      last.lastWord = std::max(last.lastWord, lastWord);
      return;
    }
  }
  changes_.push_back({kind, firstWord, lastWord});
}

std::size_t DeviceMemory::checkedIndex(int kind, std::int64_t index) const {
  if (kind < 0 || kind >= kKindCount || index < 0 || index >= static_cast<std::int64_t>(size(kind)))
    throw RuntimeError(kErrSubscript);
  return static_cast<std::size_t>(index);
}

std::int16_t DeviceMemory::word(int kind, std::int64_t index) const {
  return words(kind)[checkedIndex(kind, index)];
}

void DeviceMemory::write(int kind, std::int64_t index, std::int16_t value) {
  mutableWords(kind)[checkedIndex(kind, index)] = value;
  pending_.add(kind, static_cast<std::int32_t>(index), static_cast<std::int32_t>(index));
}

void DeviceMemory::writeBit(int kind, std::int64_t index, int bit, bool on) {
  std::int16_t& w = mutableWords(kind)[checkedIndex(kind, index)];
  const auto u = static_cast<std::uint16_t>(w);
  const auto b = static_cast<std::size_t>(bit & 15);
  w = static_cast<std::int16_t>(on ? (u | BitMask[b]) : (u & BitClearMask[b]));
  pending_.add(kind, static_cast<std::int32_t>(index), static_cast<std::int32_t>(index));
}

void DeviceMemory::toggleBit(int kind, std::int64_t index, int bit) {
  std::int16_t& w = mutableWords(kind)[checkedIndex(kind, index)];
  w = static_cast<std::int16_t>(static_cast<std::uint16_t>(w) ^ BitMask[static_cast<std::size_t>(bit & 15)]);
  pending_.add(kind, static_cast<std::int32_t>(index), static_cast<std::int32_t>(index));
}

void DeviceMemory::fill(int kind, std::int64_t firstIndex, std::int64_t lastIndex, std::int16_t value) {
  auto& w = mutableWords(kind);
  const std::int64_t from = std::max<std::int64_t>(firstIndex, 0);
  const std::int64_t to = std::min<std::int64_t>(lastIndex, static_cast<std::int64_t>(w.size()) - 1);
  if (from > to) return;
  std::fill(w.begin() + from, w.begin() + to + 1, value);
  pending_.add(kind, static_cast<std::int32_t>(from), static_cast<std::int32_t>(to));
}

void DeviceMemory::writeAscii(int kind, std::int64_t firstIndex, std::int64_t lastIndex, std::string_view text) {
  std::string unused;
  std::int64_t idx = firstIndex < 0 ? 0 : firstIndex;
  auto& w = mutableWords(kind);
  const std::int64_t from = idx;
  for (std::size_t i = static_cast<std::size_t>((idx - firstIndex) * 2); i < text.size(); i += 2, ++idx) {
    if (idx > lastIndex || idx >= static_cast<std::int64_t>(w.size())) break;
    w[static_cast<std::size_t>(idx)] = fncCnvAsciiToAray(text.substr(i, 2), unused);
  }
  if (idx > from) pending_.add(kind, static_cast<std::int32_t>(from), static_cast<std::int32_t>(idx - 1));
}

DeviceMemory::SubscriptionId DeviceMemory::subscribe(Subscriber subscriber) {
  subscribers_.emplace_back(++nextSubscription_, std::move(subscriber));
  return nextSubscription_;
}

void DeviceMemory::unsubscribe(SubscriptionId id) {
  std::erase_if(subscribers_, [id](const auto& s) { return s.first == id; });
}

const void* lineWriterSource() {
  static const char line = 0;
  return &line;
}

void DeviceMemory::publish(std::string_view device, const void* source) {
  // Subscribers may write and publish again (a view redrawing does not,
  // but a follower of values might): they see this set, and what they
  // write lands in a fresh one.
  ChangeSet set;
  std::swap(set, pending_);
  const ChangeNotice notice{set, device, source};
  // By index: a subscriber may subscribe or unsubscribe while it runs.
  for (std::size_t i = 0; i < subscribers_.size(); ++i) {
    const Subscriber fn = subscribers_[i].second;
    fn(notice);
  }
}

int DeviceMemory::storageKindOf(int kind, std::int32_t number) {
  if (kind == kD && number >= 9000) return kDx;
  if (kind == kM && number >= 9000) return kMx;
  return kind;
}

std::optional<DeviceLocation> DeviceMemory::at(int storageKind, std::int64_t number) const {
  if (storageKind < 0 || storageKind >= kKindCount) return std::nullopt;
  const std::int64_t pos = number - firstNumber(storageKind);
  if (pos < 0 || pos >= capacity(storageKind)) return std::nullopt;
  if (isWordKind(storageKind)) return DeviceLocation{storageKind, static_cast<std::int32_t>(pos), 0};
  return DeviceLocation{storageKind, static_cast<std::int32_t>(pos / 16), static_cast<int>(pos % 16)};
}

std::int64_t DeviceMemory::capacity(int kind) const {
  auto n = static_cast<std::int64_t>(words(kind).size());
  return isWordKind(kind) ? n : n * 16;
}

std::optional<DeviceLocation> DeviceMemory::locate(std::int32_t number, std::string_view code) const {
  const int k = accessKind(code);
  if (k < 0) return std::nullopt;
  if (auto own = at(k, number)) return own;
  // A D or M number outside its own storage is a special device.
  const int special = storageKindOf(k, 9000);
  return special != k ? at(special, number) : std::nullopt;
}

std::optional<std::int32_t> DeviceMemory::deviceValue(int kind, std::int32_t number) const {
  const auto loc = deviceAt(kind, number);
  if (!loc) return std::nullopt;
  const auto w = static_cast<std::uint16_t>(word(loc->kind, loc->index));
  return isWordKind(loc->kind) ? std::int32_t{w} : (w >> loc->bit) & 1;
}

bool DeviceMemory::writeDevice(int kind, std::int32_t number, std::int32_t value) {
  const auto loc = deviceAt(kind, number);
  if (!loc) return false;
  if (isWordKind(loc->kind)) write(loc->kind, loc->index, static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
  else writeBit(loc->kind, loc->index, loc->bit, value != 0);
  return true;
}

std::int16_t DeviceMemory::fncDeviceData(std::int32_t number, std::string_view code) {
  return guarded<std::int16_t>(errors_, "mdlSub.fncDeviceData() ", 0, [&](ErrorTrap&) -> std::int16_t {
    if (accessKind(code) < 0) return 0;
    auto loc = locate(number, code);
    if (!loc) throw RuntimeError(kErrSubscript);
    return words(loc->kind)[static_cast<std::size_t>(loc->index)];
  });
}

void DeviceMemory::subDeviceWrite(std::int32_t number, std::string_view code, std::int16_t value) {
  guarded(errors_, "mdlSub.subDeviceWrite() ", [&](ErrorTrap&) {
    if (accessKind(code) < 0) return;
    auto loc = locate(number, code);
    if (!loc) throw RuntimeError(kErrSubscript);
    write(loc->kind, loc->index, value);
  });
}

bool DeviceMemory::fncBit(std::int32_t number, std::string_view code) {
  return guarded(errors_, "mdlSub.fncBit() ", false, [&](ErrorTrap&) {
    auto loc = locate(number, code);
    if (!loc) throw RuntimeError(kErrSubscript);
    return wordBit(words(loc->kind)[static_cast<std::size_t>(loc->index)], loc->bit);
  });
}

void DeviceMemory::subBitWrite(std::int32_t number, std::string_view code, bool on) {
  guarded(errors_, "mdlSub.subBitWrite() ", [&](ErrorTrap&) {
    auto loc = locate(number, code);
    if (!loc) throw RuntimeError(kErrSubscript);
    writeBit(loc->kind, loc->index, loc->bit, on);
  });
}

std::int32_t DeviceMemory::fncLBound(std::string_view text) const {
  if (text.empty()) return -1;
  int k = -1;
  switch (text[0]) {
    case 'X': k = kX; break;
    case 'Y': k = kY; break;
    case 'M': k = kM; break;
    case 'L': k = kL; break;
    case 'S': k = kS; break;
    case 'B': k = kB; break;
    case 'F': k = kF; break;
    case 'D': k = kD; break;
    case 'W': k = kW; break;
    case 'R': k = kR; break;
    default: {
      int two = kindOfCode(text.substr(0, 2));
      if (two == kTN || two == kCN || two == kTS || two == kTC || two == kCS || two == kCC) k = two;
    }
  }
  if (k < 0) return -1;
  if (k == kM || k == kD) {
    // The number is every character after the letter, read in decimal; the
    // text can be too long for any number, which places it outside.
    std::int64_t n = 0;
    bool outside = false;
    for (char c : text.substr(1)) {
      if (c < '0' || c > '9') break;
      n = n * 10 + (c - '0');
      if (n > kMaxPoints * 16) { outside = true; break; }
    }
    std::int64_t pos = n - firstNumber(k);
    if (outside || pos < 0 || pos >= capacity(k)) k = (k == kM) ? kMx : kDx;
  }
  return firstNumber(k);
}

void subSet_PageMax(PageTable& pages, const DevRangeTable& range7, const DeviceMemory& memory,
                    ErrorSink& errors) {
  guarded(errors, "mdlSub.subSet_PageMax() ", [&](ErrorTrap& trap) {
    for (int s = 0; s < kViewSlotCount; ++s) {
      if (s == 18 || s == 19) continue;
      trap.section(s + 1);
      std::int64_t n;
      if (s <= 5) n = std::int64_t{range7[static_cast<std::size_t>(s)].last} - range7[static_cast<std::size_t>(s)].first + 1;
      else if (s <= 17) n = static_cast<std::int64_t>(memory.words(s).size());
      else n = std::int64_t{range7[static_cast<std::size_t>(s - 18)].last} - range7[static_cast<std::size_t>(s - 18)].first + 1;
      PageSlot& slot = pages[static_cast<std::size_t>(s)];
      if (slot.perPage == 0) throw RuntimeError(kErrDivisionByZero);
      std::int64_t p = n % slot.perPage == 0 ? n / slot.perPage : n / slot.perPage + 1;
      // A negative count (from a negative page size or an empty range) would
      // leave a view with no page to show; it counts as one page like 0.
      slot.pages = p < 1 ? 1 : static_cast<std::int32_t>(p);
    }
  });
}

bool fncBitCnv(std::int32_t position, std::int16_t word, ErrorSink& errors) {
  return guarded(errors, "mdlSub.fncBitCnv() ", false, [&](ErrorTrap&) {
    if (position < 0) throw RuntimeError(kErrSubscript);
    return (static_cast<std::uint16_t>(word) & BitMask[static_cast<std::size_t>(position % 16)]) != 0;
  });
}

std::string fncWordToAscii(std::int16_t word) {
  auto w = static_cast<std::uint16_t>(word);
  auto hi = static_cast<char>(w >> 8), lo = static_cast<char>(w & 0xFF);
  return {hi == 0 ? ' ' : hi, lo == 0 ? ' ' : lo};
}

std::int16_t fncCnvAsciiToAray(std::string_view text, std::string& hex) {
  if (text.empty() || text.size() > 2) {
    hex.clear();
    return 0;
  }
  unsigned hi = static_cast<unsigned char>(text[0]);
  unsigned lo = text.size() == 2 ? static_cast<unsigned char>(text[1]) : 0;
  unsigned w = hi << 8 | lo;
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", w);
  hex = buf;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(w));
}

void subCnvAsciiToAray(std::vector<std::int16_t>& array, std::int64_t firstIndex,
                       std::int64_t lastIndex, std::string_view text) {
  std::string unused;
  std::int64_t idx = firstIndex < 0 ? 0 : firstIndex;
  for (std::size_t i = (idx - firstIndex) * 2; i < text.size(); i += 2, ++idx) {
    if (idx > lastIndex || idx >= static_cast<std::int64_t>(array.size())) break;
    array[static_cast<std::size_t>(idx)] = fncCnvAsciiToAray(text.substr(i, 2), unused);
  }
}

}  // namespace omb

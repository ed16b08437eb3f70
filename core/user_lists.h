// The two lists of the user registration view: bit devices and word
// devices gathered from anywhere in device memory, 128 entries each.
// Entries in use stand at indexes 0 .. count - 1 in the order they were
// registered, no two with the same address text.  A full list keeps its
// next index at 127, so every further registration overwrites the last
// entry.  The lists outlive the view and travel with the project.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/device_memory.h"

namespace omb {

inline constexpr int kUserListSize = 128;

// One registration: a bit or a word device.
struct UserListEntry {
  std::string code;         // device code, e.g. "X", "TN"; "D", "W", "R" also for a bit of a word
  std::string addressText;  // e.g. X00000C, D000100, D000100-F (bit F of D100); empty: a free entry
  std::string comment;
  std::int32_t number = 0;  // the device number; of a bit of a word, the word's
  bool operator==(const UserListEntry&) const = default;
};

class UserList {
 public:
  using Entries = std::array<UserListEntry, kUserListSize>;

  UserListEntry& operator[](std::size_t i) { return entries_[i]; }
  const UserListEntry& operator[](std::size_t i) const { return entries_[i]; }
  Entries::iterator begin() { return entries_.begin(); }
  Entries::iterator end() { return entries_.end(); }
  Entries::const_iterator begin() const { return entries_.begin(); }
  Entries::const_iterator end() const { return entries_.end(); }

  // The index the next registration writes, and the entries in use.
  std::int16_t nextIndex() const { return next_; }
  std::int16_t count() const { return count_; }
  // As a project file stores them.
  void setCounters(std::int16_t next, std::int16_t count) {
    next_ = next;
    count_ = count;
  }

  bool contains(std::string_view addressText) const;
  // The registration rule: an address text already listed is skipped
  // (false); otherwise the entry goes to the next index, which moves on
  // (staying at 127 once the list is full).
  bool add(const UserListEntry& entry);
  // "登録・解放" of rows first..last (0-based): the entries below move up
  // into their places, the end fills with free entries, and both counters
  // become the number of entries in use.
  void release(int first, int last);
  void clear();

 private:
  Entries entries_{};
  std::int16_t next_ = 0, count_ = 0;
};

// Where an entry's device lives: its storage word and, for the bit list,
// its bit (the hexadecimal digit after "-" for a bit of a word, else the
// bit's place in its storage word).  Nothing for a free entry or a device
// no storage holds.
std::optional<DeviceLocation> userEntryLocation(const DeviceMemory& memory, const UserListEntry& entry,
                                                bool bitList);

}  // namespace omb

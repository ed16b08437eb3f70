#include "core/user_lists.h"

#include <algorithm>

namespace omb {

bool UserList::contains(std::string_view text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const UserListEntry& e) { return !e.addressText.empty() && e.addressText == text; });
}

bool UserList::add(const UserListEntry& entry) {
  if (contains(entry.addressText)) return false;
  const int at = std::clamp<int>(next_, 0, kUserListSize - 1);
  entries_[static_cast<std::size_t>(at)] = entry;
  next_ = static_cast<std::int16_t>(at + 1);
  count_ = next_;
  if (next_ > kUserListSize - 1) next_ = kUserListSize - 1;
  return true;
}

void UserList::release(int first, int last) {
  first = std::clamp(first, 0, kUserListSize - 1);
  last = std::clamp(last, first, kUserListSize - 1);
  const int k = last - first + 1;
  for (int i = first; i < kUserListSize; ++i)
    entries_[static_cast<std::size_t>(i)] =
        i + k < kUserListSize ? entries_[static_cast<std::size_t>(i + k)] : UserListEntry{};
  const auto used = std::count_if(entries_.begin(), entries_.end(), [](const UserListEntry& e) { return !e.code.empty(); });
  count_ = next_ = static_cast<std::int16_t>(used);
}

void UserList::clear() {
  entries_.fill(UserListEntry{});
  next_ = count_ = 0;
}

std::optional<DeviceLocation> userEntryLocation(const DeviceMemory& memory, const UserListEntry& e, bool bitList) {
  if (e.code.empty() || e.addressText.empty()) return std::nullopt;
  const std::size_t dash = e.addressText.find('-');
  if (bitList && dash != std::string::npos) {
    // A bit of a word: the word by its number, the bit by the digit.
    auto loc = memory.locate(e.number, e.code);
    if (!loc || dash + 1 >= e.addressText.size()) return std::nullopt;
    const char c = e.addressText[dash + 1];
    const int bit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (bit < 0) return std::nullopt;
    loc->bit = bit;
    return loc;
  }
  return memory.locate(e.number, e.code);
}

}  // namespace omb

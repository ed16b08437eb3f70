#include "core/system_state.h"

namespace omb {

bool appendUserEntry(UserList& list, const UserListEntry& entry) {
  for (const auto& e : list)
    if (!e.addressText.empty() && e.addressText == entry.addressText) return false;
  for (auto& e : list)
    if (e.addressText.empty()) {
      e = entry;
      return true;
    }
  list.back() = entry;
  return true;
}

}  // namespace omb

// The test and monitor lists that the PC program fills with its test and
// monitor-registration commands.  An entry with an empty device text ends a
// list.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace omb {

struct LinkListEntry {
  std::string deviceText;  // as received, e.g. X0040 or D000100
  std::string code;        // device code, empty until the range check passed
  std::int32_t number = 0;
  bool isBit = false;
  std::int32_t value = 0;  // test lists: the value to write
};

template <std::size_t N>
using LinkList = std::array<LinkListEntry, N>;

struct LinkLists {
  LinkList<40> MoniBitList;
  LinkList<20> MoniWordList;
  LinkList<20> TestBitList;
  LinkList<20> TestWordList;
};

template <std::size_t N>
void clearList(LinkList<N>& list) {
  for (auto& e : list) e = LinkListEntry{};
}
// Test requests clear only the device texts.
template <std::size_t N>
void clearDeviceTexts(LinkList<N>& list) {
  for (auto& e : list) e.deviceText.clear();
}

}  // namespace omb

// The program's process-wide state, owned by one object created at start-up
// and passed by reference.  Tests create their own instance.  Later layers
// add their models here (link settings, lists, stores, window records).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/dev_range.h"
#include "core/device_memory.h"
#include "core/error.h"

namespace omb {

inline constexpr int kUserListSize = 128;

struct SystemState {
  explicit SystemState(ErrorSink& errorSink) : errors(errorSink), memory(errorSink) {
    subSetRangeCodes(range5);
    subSetRangeCodes(range7);
  }
  SystemState(const SystemState&) = delete;
  SystemState& operator=(const SystemState&) = delete;

  ErrorSink& errors;
  DevRangeTable range5;  // five-character forms (ACPU command set)
  DevRangeTable range7;  // seven-character forms (AnACPU command set); dimensions storage
  DeviceMemory memory;
  PageTable pages;
  // Device texts registered in the user view, words and bits.
  std::array<std::string, kUserListSize> userWordList;
  std::array<std::string, kUserListSize> userBitList;

  // Re-creates device storage from range7 and forgets everything that refers
  // to storage positions.
  void subReDim_Device() { memory.subReDim_Device(range7); }
  void subSet_PageMax() { omb::subSet_PageMax(pages, range7, memory, errors); }

  bool fncCheck_UserDevice_W(std::string_view text) const { return contains(userWordList, text); }
  bool fncCheck_UserDevice_B(std::string_view text) const { return contains(userBitList, text); }

 private:
  static bool contains(const std::array<std::string, kUserListSize>& list, std::string_view text) {
    for (const auto& e : list)
      if (!e.empty() && e == text) return true;
    return false;
  }
};

}  // namespace omb

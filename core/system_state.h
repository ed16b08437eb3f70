// The program's process-wide state, owned by one object created at start-up
// and passed by reference.  Tests create their own instance.  Later layers
// add their models here (link settings, lists, stores, window records).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dev_range.h"
#include "core/device_memory.h"
#include "core/error.h"
#include "core/user_lists.h"
#include "core/view_records.h"

namespace omb {

// The comments the test monitor last looked up for the entries of the
// engine's test and monitor lists; kept with the project.
struct MonitorComments {
  std::array<std::string, 20> testBit, testWord, moniWord;
  std::array<std::string, 40> moniBit;
};

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
  // Registrations of the user view (UserWordList, UserBitList).
  UserList userWordList;
  UserList userBitList;
  MonitorComments monitorComments;
  // Styled cells (record 0 is the default style), multi-screen numbering.
  std::vector<CellStyleRecord> cellStyles{CellStyleRecord{}};
  MultiViews multi;

  // Re-creates device storage from range7 and forgets what referred to the
  // old storage: cell styles and the multi-screen window records.
  void subReDim_Device() {
    memory.subReDim_Device(range7);
    cellStyles.assign(1, CellStyleRecord{});
    multi.resetRecords();
  }
  void subSet_PageMax() { omb::subSet_PageMax(pages, range7, memory, errors); }

  bool fncCheck_UserDevice_W(std::string_view text) const { return userWordList.contains(text); }
  bool fncCheck_UserDevice_B(std::string_view text) const { return userBitList.contains(text); }
};

}  // namespace omb

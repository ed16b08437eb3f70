// Records the views keep in the process-wide state: the styles of styled
// cells, and the numbering of the multi-screen windows.  They live here
// because project files store them with device memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace omb {

// A colour value as project files store it: 00BBGGRR, or a system colour
// with the top bit set (80000005h: the window background).
inline constexpr std::int32_t kSystemWindowColour = static_cast<std::int32_t>(0x80000005u);

struct ColumnStyle {
  bool set = false, bold = false, italic = false, strikethrough = false, underline = false;
  std::string fontName = "ＭＳ ゴシック";
  float fontSize = 9.0f;
  std::int32_t backColour = kSystemWindowColour;
  std::int32_t foreColour = 0;
};

// The styles of one address's three value and comment columns.
struct CellStyleRecord {
  std::string code;
  std::int32_t number = 0;
  std::string addressText;
  std::array<ColumnStyle, 3> columns;
};

// Resets the three column styles of a record to the defaults; its device
// code, address number and address text stay.
void subInit_Font(CellStyleRecord& record);

// One multi-screen window: its instance number (0: a free record), place,
// size (twips) and first shown address offset.
struct MultiWindowRecord {
  std::int32_t number = 0;
  std::int32_t top = 0, left = 0, width = 0, height = 0, startOffset = 0;
};

inline constexpr int kMultiKinds = 24;  // kinds 1-24: slot of the single view + 1

struct MultiViewKind {
  bool open = false;                                 // the kind had windows when they last stored themselves
  std::vector<MultiWindowRecord> records{MultiWindowRecord{}};  // index 0 upwards
};

struct MultiViews {
  std::array<MultiViewKind, kMultiKinds + 1> G_MultiView{};  // index = kind; 0 unused
  std::array<std::int16_t, kMultiKinds + 1> G_MultiNo{};
  std::array<std::int16_t, kMultiKinds + 1> G_MultiLast{};

  // A new window of `kind` gets its instance number; `openWithName` is the
  // number of windows of that kind already open.  Returns the number.
  int subAdd_MultiView(int kind, int openWithName);
  // Device storage was recreated: every kind back to one free record and
  // G_MultiLast 0; the open flags stay.
  void resetRecords();
  // "マルチ画面全消去": flags cleared, one free record per kind.
  void clearAll();
};

}  // namespace omb

// Colours, fonts and comments of device cells, shared by every grid window
// with a comment column: the popup's "セル色設定", "フォント設定",
// "コメント入力" and "コメント消去", the comment delete of an empty in-place
// editor, and drawing the stored styles on a redraw.
//
// Styles are kept per address text in the process-wide cell style table
// (SystemState::cellStyles) for the view columns 1-3, so every window that
// shows an address draws it alike; comments go to the comment store.  The
// operations work on the rows' devices and the selection of the grid they
// are given, and announce a change with "CMNT" for the device code of the
// row concerned.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/view_records.h"
#include "views/device_view.h"
#include "views/flex_grid.h"

namespace omb {

// How a column style looks on a grid cell.
FlexGrid::CellStyle cellStyleOf(const ColumnStyle& style);

// The styles of one redraw: the table indexed by address text once, then
// applied row by row.
class CellStyleIndex {
 public:
  explicit CellStyleIndex(const std::vector<CellStyleRecord>& records);
  const CellStyleRecord* find(const QString& addressText) const;
  // Each set column style of the row's address applied to the grid column
  // that keeps it (FlexGrid::styleSlot).
  void apply(FlexGrid& grid, int row) const;
  // The same for one row without an index: the first record of the row's
  // address, looked up in `records` (for rows filled one at a time).
  static void applyOne(const std::vector<CellStyleRecord>& records, FlexGrid& grid, int row);

 private:
  std::unordered_map<std::string, const CellStyleRecord*> byText_;
};

// Raises "CMNT" for a device code.
using RaiseComment = std::function<void(const std::string& code)>;

// The colour chooser over the selection: back colour of every selected
// cell down to the first row without a device, stored per address and
// column.
void subCelColor(ViewContext& ctx, FlexGrid& grid, const RaiseComment& raise);
// The same with the font chooser: font, size, effects and fore colour.
void subCelFont(ViewContext& ctx, FlexGrid& grid, const RaiseComment& raise);
// The comment of the current row's device, asked in an input box; an empty
// answer or Cancel changes nothing.
void subCommentInput(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise);
// After an OK (Cancel the default), the comments of the selected rows gone.
void subCommentErase(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise);
// Enter on an empty editor in the comment column: the current row's comment
// gone, when it has one.
void subCellCommentDelete(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise);

}  // namespace omb

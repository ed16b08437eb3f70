// What the windows share whose rows are words drawn as sixteen bit cells
// (the paged bit views and the bit displays of word devices): one grid
// `fgrdBit`, the button row SET, RESET, NOT, 登録, Word Data, ALL Clear,
// Prev, Next with the page label, the bit texts from the settings, SET,
// RESET and NOT on the selection (buttons and the keys of a bit cell), and
// the layout.  Each window adds its columns, drawing, double click, Word
// Data, tooltip and registration.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "views/bit_rows.h"
#include "views/grid_view.h"

class QPushButton;

namespace omb {

class BitGridView : public GridView {
  Q_OBJECT
 public:
  using BitOp = bitRows::BitOp;
  static constexpr int kColFirstBit = bitRows::kFirstBitCol;
  static constexpr int kColLastBit = bitRows::kLastBitCol;

  FlexGrid* grid() const { return fgrdBit_; }
  std::vector<FlexGrid*> grids() const override { return {fgrdBit_}; }
  // Words (grid rows) per page.
  int rowsPerPage() const { return rowsPerPage_; }
  // Storage position of the word shown in grid row `row` (1-based) of the
  // current page; it may lie past the device end.
  std::int64_t rowWord(int row) const;
  // The text of a bit cell, from the settings (Hi / Lo).
  const QString& onText() const { return settingsOn_; }
  const QString& offText() const { return settingsOff_; }

  // The routines behind the controls, callable as a click would.
  void subFgrdSerectOnOff(BitOp op);  // SET / RESET / NOT on the selection
  void cmdSet_Click() { subFgrdSerectOnOff(BitOp::Set); }
  void cmdReset_Click() { subFgrdSerectOnOff(BitOp::Reset); }
  void cmdNot_Click() { subFgrdSerectOnOff(BitOp::Not); }
  virtual void cmdWordData_Click() = 0;
  virtual void cmdMoni_Click() = 0;

 protected:
  // `defaultRows`: words per page when the page table has none.
  // `defaultWidthTwips`: the width the window opens with when it has no
  // place of its own, wide enough for all its columns.
  BitGridView(ViewContext& ctx, const ViewFamily& family, int defaultRows, QWidget* parent,
              int defaultWidthTwips = 8400);

  // A double click on the current cell; the tooltip of the current cell.
  virtual void onDoubleClick() = 0;
  virtual void showTip() = 0;
  // The location text of SET, RESET and NOT in error reports.
  virtual const char* onOffLabel() const = 0;

  void layoutControls() override;
  void bitKey(FlexGrid& grid, DirectAction action) override;
  // The kind's storage words, for reading; writes go through memory().
  const std::vector<std::int16_t>& words() const;
  // Columns 0-16 as both windows have them: "Address", then the bit
  // columns tinted in groups of four.
  void buildBitColumns(int cols, int gridWidthTwips);

  int rowsPerPage_ = 0;
  FlexGrid* fgrdBit_ = nullptr;
  QPushButton *cmdSet_ = nullptr, *cmdReset_ = nullptr, *cmdNot_ = nullptr;
  QPushButton *cmdMoni_ = nullptr, *cmdWordData_ = nullptr;
};

}  // namespace omb

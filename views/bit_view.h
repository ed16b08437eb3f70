// The paged bit-device view: one window per bit device (X, Y, M, L, S, B,
// F, the special relays, TS, TC, CS, CC).  Every grid row is one 16-bit
// word of the device drawn as sixteen bit cells (bit F on the left) followed
// by the word in decimal and hexadecimal.  The user sets, resets or inverts
// selected bits, toggles one by double click, writes words or series (Word
// Data), clears the device, copies and pastes words and registers bits or
// words in the user lists (登録).
//
// The twelve windows are one design; BitFamily holds what tells them apart.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "views/bit_rows.h"
#include "views/cell_input.h"
#include "views/grid_view.h"

class QLabel;
class QPushButton;
class QResizeEvent;

namespace omb {


using BitFamily = ViewFamily;
// The family entry of slots 6-17.
const BitFamily& bitFamily(int slot);

class FrmBitDevice : public GridView {
  Q_OBJECT
 public:
  using BitOp = bitRows::BitOp;

  // Grid columns: 0 address of bit F, 1-16 bits F..0, 17 address of bit 0
  // (the word's address), 18 Dec, 19 Hex.
  static constexpr int kColFirstBit = 1;
  static constexpr int kColLastBit = 16;
  static constexpr int kColWordAddress = 17;
  static constexpr int kColDec = 18;
  static constexpr int kColHex = 19;
  static constexpr int kCols = 20;

  // `slot`: 6-17.  Places itself from its window record and draws its page.
  FrmBitDevice(ViewContext& ctx, int slot, QWidget* parent = nullptr);
  ~FrmBitDevice() override;

  FlexGrid* grid() const { return fgrdBit_; }
  // Words (grid rows) per page.
  int rowsPerPage() const { return rowsPerPage_; }
  // Storage position of the word shown in grid row `row` (1-based) of the
  // current page; it may lie past the device end.
  std::int64_t rowWord(int row) const;
  // The text of a bit cell, from the settings (Hi / Lo).
  const QString& onText() const { return onText_; }
  const QString& offText() const { return offText_; }

  // Drawing.
  void subDspAddress();    // columns 0 and 17
  void subDspBitDevice();  // bits, Dec and Hex of every row

  // The routines behind the controls, callable as a click would.
  void subFgrdSerectOnOff(BitOp op);  // SET / RESET / NOT on the selection
  void subFgrdOnOff();                // double click on the current cell
  void subFgrdSerectData();           // Word Data
  void subGfrdUserPut();              // 登録
  void subDeviceTip();                // tooltip of the current bit
  void cmdSet_Click();
  void cmdReset_Click();
  void cmdNot_Click();
  void cmdWordData_Click();
  void cmdMoni_Click();
  // Ctrl+C: the selected rows' words into the shared copy buffer; Ctrl+V:
  // the buffer into the words from the current row down.
  void subFgrid_Copy();
  void subBitPaste();


 protected:
  void redrawAddresses() override { subDspAddress(); }
  void redrawValues() override { subDspBitDevice(); }
  void layoutControls() override { subBit_CmdBtnSet(); }
  void paste(FlexGrid& grid) override;
  void bitKey(FlexGrid& grid, DirectAction action) override;

 private:
  // The kind's storage words, for reading; writes go through memory().
  const std::vector<std::int16_t>& words() const;
  void buildControls();
  void subFgrdSet();
  void subBit_CmdBtnSet();
  // The Word Data dialog of the bit view: title, the column's prompt and
  // the word as initial text.  Returns the answer ("" on Cancel or a
  // refused number); `value` leaves as the number typed.
  std::string fncDataInput(int col, const QString& title, std::int16_t& value);
  // Bit address of grid cell (row, col) from the row's word; -1 when the
  // row stands for none.
  std::int64_t cellBitAddress(int row, int col) const;
  QString bitAddressText(std::int64_t number) const;


  int rowsPerPage_ = 0;
  QString onText_, offText_;
  FlexGrid* fgrdBit_ = nullptr;
  // The bit operations and the word operations of the button row.
  QPushButton *cmdSet_ = nullptr, *cmdReset_ = nullptr, *cmdNot_ = nullptr;
  QPushButton *cmdMoni_ = nullptr, *cmdWordData_ = nullptr;
};

}  // namespace omb

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

#include "views/bit_grid_view.h"
#include "views/cell_input.h"

class QLabel;
class QPushButton;
class QResizeEvent;

namespace omb {


using BitFamily = ViewFamily;
// The family entry of slots 6-17.
const BitFamily& bitFamily(int slot);

class FrmBitDevice : public BitGridView {
  Q_OBJECT
 public:
  // Grid columns: 0 address of bit F, 1-16 bits F..0, 17 address of bit 0
  // (the word's address), 18 Dec, 19 Hex.
  static constexpr int kColWordAddress = 17;
  static constexpr int kColDec = 18;
  static constexpr int kColHex = 19;
  static constexpr int kCols = 20;

  // `slot`: 6-17.  Places itself from its window record and draws its page.
  FrmBitDevice(ViewContext& ctx, int slot, QWidget* parent = nullptr);
  ~FrmBitDevice() override;

  // Drawing.
  void subDspAddress();    // columns 0 and 17
  void subDspBitDevice();  // bits, Dec and Hex of every row

  // The routines behind the controls, callable as a click would.
  void subFgrdOnOff();       // double click on the current cell
  void subFgrdSerectData();  // Word Data
  void subGfrdUserPut();     // 登録
  void subDeviceTip();       // tooltip of the current bit
  void cmdWordData_Click() override;
  void cmdMoni_Click() override;

 protected:
  void redrawAddresses() override { subDspAddress(); }
  void onDoubleClick() override { subFgrdOnOff(); }
  void showTip() override { subDeviceTip(); }
  const char* onOffLabel() const override { return "mdlSubBitDevice.subFgrdSerectOnOff() "; }
  void paste(FlexGrid& grid) override;

 private:
  void subFgrdSet();
  // The Word Data dialog of the bit view: title, the column's prompt and
  // the word as initial text.  Returns the answer ("" on Cancel or a
  // refused number); `value` leaves as the number typed.
  std::string fncDataInput(int col, const QString& title, std::int16_t& value);
  // Bit address of grid cell (row, col) from the row's word; -1 when the
  // row stands for none.
  std::int64_t cellBitAddress(int row, int col) const;
  QString bitAddressText(std::int64_t number) const;
};

}  // namespace omb

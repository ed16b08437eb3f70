// The bit display of a word device: one window each for D, W, R and the
// special registers.  Every row is one word drawn as sixteen bit cells (bit
// F on the left), its value in two columns whose modes switch between Dec,
// Hex and ASCII, and its comment.  Bits are set, reset and inverted like
// the bit view's, values and comments are edited like the word view's.
//
// Colours and fonts chosen here are kept for the address's value and
// comment columns in the cell style table, as the word views keep them: the
// two value columns and the comment column use the table's three column
// styles, so they survive paging and show in every window of the address.
// Bit cells are not styled (the menu is offered only on the value and
// comment columns, and a selection reaching into the bits styles only its
// value and comment cells).
#pragma once

#include <QString>

#include <cstdint>
#include <string>

#include "views/bit_grid_view.h"

namespace omb {

class FrmWordBitDevice : public BitGridView {
  Q_OBJECT
 public:
  // Grid columns: 0 the word's address, 1-16 bits F..0, 17 and 18 the
  // value ("Dec" and "Hex" at first), 19 the comment.
  static constexpr int kColValue1 = 17;
  static constexpr int kColValue2 = 18;
  static constexpr int kColComment = 19;
  static constexpr int kCols = 20;

  // `slot`: 20-23.  Places itself from its window record and draws its page.
  FrmWordBitDevice(ViewContext& ctx, int slot);
  ~FrmWordBitDevice() override;

  void subDspAddress_WB();    // addresses, comments and styles of the page
  void subDspBitDevice_WB();  // bits and values
  void subFgrdOnOff_WB();      // double click on the current cell
  void subFgrdSerectData_WB();  // Word Data
  void subGfrdUserPut_WB();    // 登録
  void subBitTip_WB();         // tooltip of the current bit
  void cmdWordData_Click() override;
  void cmdMoni_Click() override;

 protected:
  void redrawAddresses() override { subDspAddress_WB(); }
  bool addressesShow(const QString& code) const override {
    return code == QLatin1String("CMNT") || code == QLatin1String("ASGN");
  }
  void onDoubleClick() override { subFgrdOnOff_WB(); }
  void showTip() override { subBitTip_WB(); }
  const char* onOffLabel() const override { return "mdlSubWordDevice_Bit.subFgrdSerectOnOff_WB() "; }

 private:
  void subFgrdSet_WB();
  QString addressText(std::int64_t word) const;

};

}  // namespace omb

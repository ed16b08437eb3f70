// Multi-screen windows: any number of small windows per device, each with
// one grid of a chosen number of consecutive devices from a chosen address,
// so that scattered areas of a device can be watched side by side.  A word
// window (TN, CN, D, W, R) shows one word a row like one panel of the word
// view; a bit window (X, Y, M, L, S, B, F) one bit a row as ●/○ with its
// comment.
//
// Each window holds a numbered slot of its kind (its number is in the
// caption); the slot record keeps the window's place, size and start
// address as it moves, when it is left, on "SAVE" and when it closes, so a
// project saved with the windows open brings them back.  "表示アドレス"
// moves the window's view, "デバイス数設定" changes the number of rows of
// the window and of the next windows of its kind.
#pragma once

#include <QString>

#include <cstdint>
#include <string>

#include "views/bit_rows.h"
#include "views/grid_view.h"

class QPushButton;

namespace omb {

// The family of a multi-screen kind (1-5 words, 7-13 bits), or nullptr for
// the kinds without windows.
const ViewFamily* multiFamily(int kind);

class MultiView : public GridView {
  Q_OBJECT
 public:
  int kind() const { return family_.slot + 1; }
  // The slot number (1-based) the window holds.
  int number() const { return number_; }
  int rows() const { return rows_; }
  // Offset of the first row's device from the device's first address
  // (words, or bits for bit windows).
  std::int64_t startOffset() const { return offset_; }
  FlexGrid* grid() const { return grid_; }
  std::vector<FlexGrid*> grids() const override { return {grid_}; }

  // "表示アドレス": the address asked for, then the window shows from it.
  void cmdAddress_Click();
  // Shows from the device `offset` past the first (kept within the
  // device).
  void showFrom(std::int64_t offset);
  // "デバイス数設定": the number of rows asked for.
  void popSetValue_Click();
  // The slot record takes the window's place, size and start offset (not
  // while minimized or maximized).
  void storeRecord();

 protected:
  MultiView(ViewContext& ctx, const ViewFamily& family, int number, bool bits, int defaultWidthTwips,
            int defaultHeightTwips);
  // Caption, row count, place, grid, drawing: the load of a window.
  void load();
  virtual void buildGrid() = 0;

  Cascade& cascade() override { return ctx_.multiCascade; }
  void windowClosing() override;
  void deactivated() override { storeRecord(); }
  // The record follows the window as it moves and resizes.
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void onReNew(const QString& code) override;
  QString baseCaption() const override;
  bool addressesShow(const QString& code) const override {
    return code == QLatin1String("CMNT") || code == QLatin1String("ASGN");
  }
  void setValueChosen() override { popSetValue_Click(); }
  // The last device number the window may start at, and the first.
  std::int64_t firstNumber() const;
  std::int64_t deviceCount() const;

  QPushButton* makeAddressButton();

  FlexGrid* grid_ = nullptr;
  QPushButton* cmdAddress_ = nullptr;
  int number_ = 0;
  int rows_ = 1;
  std::int64_t offset_ = 0;
  bool bits_;

 private:
  MultiWindowRecord& record();
  // The start the user typed, as an offset; nothing when refused or
  // cancelled.
  std::optional<std::int64_t> fncStartAddress();
};

class FrmMultiWord : public MultiView {
  Q_OBJECT
 public:
  FrmMultiWord(ViewContext& ctx, int kind, int number);

  void cmdWordData_Click();
  void cmdMoni_Click();

 protected:
  void buildGrid() override;
  void redrawAddresses() override;
  void layoutControls() override;
  bool commentsFollowPort() const override { return true; }

 private:
  QPushButton *cmdMoni_ = nullptr, *cmdWordData_ = nullptr;
};

class FrmMultiBit : public MultiView {
  Q_OBJECT
 public:
  using BitOp = bitRows::BitOp;
  FrmMultiBit(ViewContext& ctx, int kind, int number);

  // SET, RESET, NOT on the bits of the selected rows; SET and RESET first
  // tell when the current row holds no device.
  void subFgrdSerectOnOffS(BitOp op);
  // Double click: the current row's bit inverted.
  void subFgrdOnOffS();
  // 登録: the selected rows' bits into the user bit list.
  void subGfrdUserPutS();

 protected:
  void buildGrid() override;
  void redrawAddresses() override;
  QString bitText(const FlexGrid& grid, bool on) const override;
  void layoutControls() override;
  bool popupOn(const FlexGrid& grid, int col) const override;
  void bitKey(FlexGrid& grid, DirectAction action) override;

 private:
  QPushButton *cmdSet_ = nullptr, *cmdReset_ = nullptr, *cmdNot_ = nullptr, *cmdMoni_ = nullptr;
};

}  // namespace omb

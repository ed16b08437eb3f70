// What the user registration view and the test monitor share: grids whose
// rows stand for the entries of a list (devices gathered from anywhere in
// device memory), drawn as bit rows ("Address", "Bin", "Device Comment")
// or word rows ("Address", "Dec", "Hex", "Device Comment"), and the value
// operations on them: SET, RESET and NOT, a bit inverted or a value asked
// for by double click, Word Data with an optional step, ALL Clear of the
// listed devices, and paste.  Every change is announced for "All": the
// listed devices may belong to any device.
//
// Both windows show all their entries on one page: the lists are short,
// so Prev and Next are shown but off.
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "views/bit_rows.h"
#include "views/cell_style.h"
#include "views/grid_view.h"

class QLabel;
class QPushButton;

namespace omb {

class ListView : public GridView {
  Q_OBJECT
 public:
  using BitOp = bitRows::BitOp;

  // SET / RESET / NOT on the bits of the selected rows of a bit grid; when
  // the current row stands for no device, the notice and nothing else.
  void subBit(FlexGrid& bitGrid, BitOp op);
  // Double click on a bit grid: the current row's bit inverted.
  void subOnOff(FlexGrid& bitGrid);
  // Word Data on the selected rows of a word grid: a value, or a value and
  // a step ("100,5"); ASCII only by typing or double click.
  void subSelectData_Write(FlexGrid& wordGrid);
  // Double click on a value cell of a word grid: the value asked for.
  void subWordRight(FlexGrid& wordGrid);
  // "ALL Clear": after the question, every device of the rows of `grids`
  // back to 0 (bits cleared, words zeroed).
  void subAllClr(const std::vector<FlexGrid*>& grids);
  // "←": the lists change places.
  virtual void cmdChg_Click() = 0;

 protected:
  ListView(ViewContext& ctx, const ViewFamily& family, int defaultWidthTwips, int defaultHeightTwips);

  // A grid of `rows` entries: bits or words, named `name`.
  FlexGrid* makeGrid(const QString& name, int rows, bool bits);
  // One row of a grid: its device (none: an empty row), address text and
  // comment, then the stored cell styles of its address.
  void showRow(FlexGrid& grid, int row, const std::optional<RowDevice>& device, const std::string& comment,
               const CellStyleIndex& styles);
  // The headings of a grid back to their start (a display mode chosen with
  // the popup returns to "Dec" and "Hex").
  void resetHeadings(FlexGrid& grid);

  void paste(FlexGrid& grid) override;
  bool popupOn(const FlexGrid& grid, int col) const override;
  // Changes of listed devices are told to every view.
  void raiseAll(const char* code) {
    setSkip();
    ctx_.renew("All", code, this);
  }
  // SET, RESET, NOT on the bit grid, Word Data on the word grid, ALL Clear
  // of both, "←", one page, the in-place editor.
  void buildButtons(FlexGrid& bits, FlexGrid& words, const QString& allClrCaption, const QString& allClrTip);
  // Prev, Next and the page label: one page.
  void buildOnePage();

  QPushButton *cmdSet_ = nullptr, *cmdReset_ = nullptr, *cmdNot_ = nullptr, *cmdWordData_ = nullptr;
  QPushButton* cmdChg_ = nullptr;
};

// The user registration view (`frmUser`, slot 19): the user bit list on the
// left grid, the user word list on the right, filled by the 登録 buttons
// of the other views and emptied by "登録・解放".
class FrmUser : public ListView {
  Q_OBJECT
 public:
  explicit FrmUser(ViewContext& ctx);

  FlexGrid* bitGrid() const { return grids_[0]; }
  FlexGrid* wordGrid() const { return grids_[1]; }
  // "登録・解放" under list `list` (0 bits, 1 words).
  void cmdClr_Click(int list);
  // "←": the two lists change sides.
  void cmdChg_Click() override;
  // Which list stands on the left (0 bits, 1 words).
  int leftList() const { return left_; }

 protected:
  void redrawAddresses() override;
  void onReNew(const QString& code) override;
  void layoutControls() override;
  void bitKey(FlexGrid& grid, DirectAction action) override;

 public:
  std::vector<FlexGrid*> grids() const override;

 private:
  // Every entry's comment as the comment store holds it now.
  void refreshComments();
  void enableButtons();

  FlexGrid* grids_[2] = {};
  QPushButton* cmdClr_[2] = {};
  QLabel* lblKensuu_[2] = {};
  int left_ = 0;
};

// The test monitor (`frmUni`, slot 18): the four lists the protocol engine
// keeps — the devices of the last test (read-only) and of the last monitor
// registration (editable) — with their current values and comments.
class FrmUni : public ListView {
  Q_OBJECT
 public:
  explicit FrmUni(ViewContext& ctx);

  // 0 test bits, 1 monitor bits, 2 test words, 3 monitor words.
  FlexGrid* grid(int i) const { return grids_[static_cast<std::size_t>(i)]; }
  // "←": the leftmost grid goes to the right end.
  void cmdChg_Click() override;
  const std::array<int, 4>& order() const { return order_; }

 protected:
  void redrawAddresses() override;
  void onReNew(const QString& code) override;
  // The lists themselves may have changed with the values (a test
  // command): then the whole window is redrawn at the frame, else only the
  // rows whose values changed.
  void onChanged(const ChangeSet& changes) override;
  QString bitText(const FlexGrid& grid, bool on) const override;
  void layoutControls() override;
  bool popupOn(const FlexGrid& grid, int col) const override;
  void bitKey(FlexGrid& grid, DirectAction action) override;

 private:
  // Every entry in use gets the comment the store holds for its device.
  void lookUpComments();
  // The four lists' devices as one text, to tell whether they changed
  // since the addresses were drawn.
  std::string listsShown() const;
  bool listsChanged() const;
  std::string drawnLists_;

  std::array<FlexGrid*, 4> grids_{};
  std::array<QLabel*, 4> labels_{};

 public:
  std::vector<FlexGrid*> grids() const override;

 private:
  std::array<int, 4> order_{0, 1, 2, 3};
};

}  // namespace omb

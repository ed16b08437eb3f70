// What every grid window of device memory shares, whatever it shows: the
// paging buttons and the page label, ALL Clear, the Word Data series,
// announcing its own changes (the skip flag swallows their echo), the
// in-place editor, and its buttons.  The word view, the bit view and the
// grid windows that come after them build on it.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "views/cell_input.h"
#include "views/cell_style.h"
#include "views/device_view.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QResizeEvent;

namespace omb {

class FlexGrid;

// Geometry of the grid windows in twips.  The window sizes of the layout
// rules count the caption bar and the borders; Qt measures the client area,
// so the frame the rules were drawn with is added back before they apply.
namespace gridGeometry {
inline constexpr int kFrameWidth = 120;
inline constexpr int kFrameHeight = 450;
inline constexpr int kButtonHeight = 360;
inline constexpr int kPageLabelWidth = 1000;
inline constexpr int kMinHeight = 2000;
inline constexpr int kWordDataWidth = 1100;
}  // namespace gridGeometry

// Word Data's series: start, start + step, ... into the storage words that
// the rows top..bottom stand for, in row order; a row that stands for no
// word (past the device's end) ends it.  After each write the next value
// must still fit in 16 bits, or the overflow error ends the series there;
// what was written stays.
void writeSeries(DeviceMemory& memory, int kind, int topRow, int bottomRow,
                 const std::function<std::optional<std::int64_t>(int row)>& indexOfRow, std::int16_t start,
                 std::int32_t step);

// What tells the windows of one design apart (the six word views, the
// twelve bit views, the four bit displays of word devices, the twelve kinds
// of multi-screen windows).
struct ViewFamily {
  int slot;             // window slot (of a multi-screen kind: the slot of the single view of its device)
  int kind;             // storage kind shown
  const char* form;     // window name, e.g. "frmWordDeviceD"
  const char* caption;  // window caption
  const char* code;     // device code in addresses, comments and signals ("D"/"M" for the special ones)
  int digits;           // digits of the number in an address text
  bool hex;             // numbers written in hexadecimal (W, X, Y, B)
};

// The family of the single-view slots 0-17 and 20-23 (word views 0-5, bit
// views 6-17, bit displays of word devices 20-23).
const ViewFamily& viewFamily(int slot);

class GridView : public DeviceView {
  Q_OBJECT
 public:
  // `family`: which window of its design it is (ALL Clear clears all of
  // its storage kind).
  GridView(ViewContext& ctx, const ViewFamily& family, int defaultWidthTwips, int defaultHeightTwips,
           QWidget* parent);

  const ViewFamily& family() const { return family_; }
  // The caption again, with the station shown when the line carries
  // several.
  void retitle();
  // The in-place editor of the value cells (hidden unless typing).
  CellEditor* editor() const { return txtInput_; }

  void cmdAllClr_Click();
  void cmdPrev_Click();
  void cmdNext_Click();

  // Right button on a grid: remembers the grid and the cell (the one
  // clicked, else the current one), sets the menu's enabling and tells
  // whether the menu is shown there.
  bool preparePopup(FlexGrid& grid, std::optional<std::pair<int, int>> clicked = std::nullopt);
  // "Dec" / "Hex" / "ASCII" of the popup: the remembered value column's
  // mode, then the values redrawn.
  void setColumnMode(ColumnMode mode);

  // The window's grids.
  virtual std::vector<FlexGrid*> grids() const = 0;
  // How many times the values have been redrawn or their changes noted: a
  // change the view made itself is drawn once, never again for the echo of
  // its own signal.
  int valueRedraws() const { return valueRedraws_; }

 protected:
  // A whole page: its label, the addresses (and what goes with them:
  // comments, registration marks), the values.
  void redrawPage() final;
  // A refresh signal: the values, and the addresses too when the signal is
  // one that changes what they show.
  void onReNew(const QString& code) override;
  virtual void redrawAddresses() = 0;
  // Redraws the values of the page (also after a change the view made
  // itself).  The value cells are texts computed when painted, so this only
  // tells the grids that every value may have changed.
  virtual void redrawValues();
  // Device memory changed (a "DATA" signal with its change set): the rows
  // on the screen that show a changed word are noted, and repainted with
  // the next display frame.
  void onChanged(const ChangeSet& changes) override;
  void flushMarked() override;
  // The text of a value cell of a row with a device, when it is painted or
  // read (GridModel::LiveText): Dec, Hex and ASCII of the row's word, a bit
  // as bitText; empty for cells that show what they were given.  A row
  // whose word storage no longer holds (storage shrank under the window)
  // shows nothing.
  virtual std::optional<QString> liveText(const FlexGrid& grid, const RowDevice& row, int col) const;
  // A bit's text in a grid: the ON and OFF texts of the settings.
  virtual QString bitText(const FlexGrid&, bool on) const { return on ? settingsOn_ : settingsOff_; }
  // The grid's value cells are computed by liveText.
  void makeLive(FlexGrid* grid);
  // Whether a signal of this code changes what the address columns show.
  virtual bool addressesShow(const QString& /*code*/) const { return false; }
  // Places the grid and the buttons for the window's size (not while
  // minimized).
  virtual void layoutControls() = 0;
  void resizeEvent(QResizeEvent* event) override;
  // The window's size in twips as the layout rules count it (frame
  // included).
  double layoutWidth() const;
  double layoutHeight() const;
  // Places a control, measures in twips.
  static void place(QWidget* w, double left, double top, double width, double height);

  // The window's caption without the station.
  virtual QString baseCaption() const;
  // A button with its name, caption and tooltip that runs `click`.
  QPushButton* makeButton(const char* name, const QString& text, const QString& tip, std::function<void()> click);
  // ALL Clear alone, and with Prev, Next and the page label.
  void buildAllClear();
  void buildPaging();

  // The popup of the value and comment cells.  The windows differ in its
  // name, in "デバイス数設定" first, in the display modes, and in the
  // words of the colour and comment items.
  struct PopupSpec {
    const char* name;   // "popData", "popSet"
    bool setValue;      // "デバイス数設定" first
    bool modes;         // "Dec", "Hex", "ASCII"
    bool longCaptions;  // "セル色を設定", "デバイスコメント入力/消去"
    bool cellItems = true;  // colour, font and comment items
  };
  void buildPopup(const PopupSpec& spec);
  // The popup shows on a right click on the grid.
  void attachPopup(FlexGrid* grid);
  // Whether the popup shows on a column: value and comment columns.
  virtual bool popupOn(const FlexGrid& grid, int col) const;
  // Whether the comment items are off while the port is open.
  virtual bool commentsFollowPort() const { return false; }
  // "デバイス数設定".
  virtual void setValueChosen() {}
  void showPageLabel();
  // Announces a change this view has drawn itself: the echo of the signal
  // is swallowed.
  void raiseOwn(const char* code);
  // Where the shared copy, paste and editor routines meet a grid's rows:
  // the words of their devices (rows of one bit carry no word), comments to
  // the store, changes announced as this view.
  CellSink sink(FlexGrid& grid);
  // A key typed on a grid: Ctrl+C and Ctrl+V, the bit keys of a bit column,
  // the in-place editor on a value or comment cell of a row with a device.
  void gridKey(FlexGrid& grid, int key, const QString& text, Qt::KeyboardModifiers modifiers);
  // Ctrl+V: values or comments into the rows from the current one down.
  virtual void paste(FlexGrid& grid);
  // "0"/Space, "1" and Enter on a bit cell.
  virtual void bitKey(FlexGrid& /*grid*/, DirectAction /*action*/) {}
  // Announces a comment or style change this view has drawn itself.
  RaiseComment commentRaiser();

  DeviceMemory& memory() const;
  // Creates the in-place editor: a typed text goes to the edited row's
  // word or comment, an emptied editor deletes a comment.
  void buildEditor();

  QMenu* popup_ = nullptr;
  QAction *popSetValue_ = nullptr, *popDec_ = nullptr, *popHex_ = nullptr, *popAsc_ = nullptr;
  QAction *popCelColor_ = nullptr, *popFontSet_ = nullptr, *popInputCome_ = nullptr, *popDeleteCome_ = nullptr;
  FlexGrid* popupGrid_ = nullptr;
  int popupRow_ = 1, popupCol_ = 1;
  QPushButton* cmdAllClr_ = nullptr;
  QPushButton* cmdPrev_ = nullptr;
  QPushButton* cmdNext_ = nullptr;
  QLabel* lblPage_ = nullptr;
  CellEditor* txtInput_ = nullptr;
  const ViewFamily& family_;
  int valueRedraws_ = 0;
  // The settings' ON and OFF texts of a bit (Hi / Lo); without them a bit
  // still reads as a number.
  const QString settingsOn_, settingsOff_;
};

}  // namespace omb

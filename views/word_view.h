// The paged word-device view: one window per word device (TN, CN, D, W, R
// and the special registers) showing a page of the device in four grid
// panels side by side.  Values are read and typed in decimal, hexadecimal or
// two-character text, filled over a selection (Word Data), cleared as a
// whole (ALL Clear) and registered in the user list (登録).
//
// The drawing and editing routines of the word panels live in the namespace
// mdlSubWordDevice and take the panels and the device as arguments, so that
// the multi-screen word windows can share them.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/device_memory.h"
#include "views/grid_view.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace omb {

class CellEditor;
struct CellSink;
class FlexGrid;

using WordFamily = ViewFamily;
// The family entry of slots 0-5.
const WordFamily& wordFamily(int slot);

namespace mdlSubWordDevice {

// The device a set of word panels shows: one kind of device memory, the
// addresses it holds and how they are written.  The rows' devices drawn
// from it are what reads and writes go through.
struct WordDeviceRef {
  DeviceMemory& memory;
  int kind;             // storage kind
  std::int32_t first;   // address of the kind's first word
  std::string code;     // "D" for the special registers too
  int digits;
  bool hex;
  bool holds(std::int64_t address) const {
    return address >= first && address < first + static_cast<std::int64_t>(memory.size(kind));
  }
};

// Header texts of the panel columns.
inline const QString kAddress = QStringLiteral("Address");
inline const QString kDec = QStringLiteral("Dec");
inline const QString kHex = QStringLiteral("Hex");
inline const QString kAscii = QStringLiteral("ASCII");
inline const QString kComment = QStringLiteral("Device Comment");

// Code followed by the number, zero-padded and cut from the right to
// `digits`: D000100, TN00015, W0001A0.
QString fncAddressTextW(const std::string& code, std::int64_t number, int digits, bool hex);
// The prompt of a value dialog in decimal or hexadecimal, with the step.
std::string fncValuePrompt(bool hex);
// The word a Word Data answer or step stands for: the leading number
// (decimal, rounded half to even) or the hexadecimal digits read as a
// 16-bit pattern (FFFF is -1).  Outside 16 bits raises the overflow error.
std::int16_t fncReadWord(const std::string& text, bool hex);

// Device address shown in `row` (1-based) of panel `panelIndex`, whose
// display starts `panelOffset` words further on.
std::int64_t fncRowAddress(std::int64_t panelOffset, int panelIndex, int perPage, int page, int row,
                           std::int32_t first);

// Builds word panels: `rows` data rows plus the header row, four columns,
// widths, alignments, fonts, the style slots of columns 1-3.
void subFgrdSetW(ErrorSink& errors, std::span<FlexGrid* const> panels, int rows);
// Full redraw: columns back to Address/Dec/Hex/Device Comment, each row's
// device (none past the device end), address texts, the stored cell styles
// and the comments.  `offsets`: each panel's display offset.
void subDspAddressW(ErrorSink& errors, std::span<FlexGrid* const> panels, std::span<const std::int64_t> offsets,
                    int perPage, const WordDeviceRef& dev, int page, const CommentStore& comments,
                    const CellStyleIndex& styles);
// The heading and mode of each panel column, and one row of a panel: the
// device at `address` (none past the device end), its address text and its
// comment (its stored cell styles are the caller's to apply).
void setAddressColumnsW(FlexGrid& g);
void fillAddressRowW(FlexGrid& g, int r, std::int64_t address, const WordDeviceRef& dev, const CommentStore& comments);
// Word Data on the panel's selection: one value, a series (value,step) or
// a text, into the devices of its rows.  `raiseData` announces the change;
// it is called in every case except an upper row past the device end, a
// series that overflows, and Cancel unless `cancelSignals`.
void subFgrdSerectDataW(ViewContext& ctx, FlexGrid& panel, const std::function<void()>& raiseData,
                        bool cancelSignals = true);
// The Word Data input dialog for a column mode.  Returns the answer ("" on
// Cancel, on a column without a value mode and on a refused number);
// `value` comes in as the initial value and leaves as the start value.
std::string fncDataInputW(ViewContext& ctx, const QString& title, std::int16_t& value, ColumnMode mode);

// 登録: appends the selected rows with an address to the user word list,
// each once; then `raiseAsgn`.
void subGfrdUserPutW(ViewContext& ctx, FlexGrid& panel, const std::function<void()>& raiseAsgn);

// Fills the whole array with start, start + step, ... after the user
// confirmed; `raiseData` follows a completed fill.  A value leaving 16 bits
// ends the fill there, reported and without signal.
void subAllSet(ViewContext& ctx, int kind, std::int16_t start, std::int16_t step,
               const std::function<void()>& raiseData);

// The shared message dialog: "1" for OK, "2" for Cancel.
std::string dlgMsg(ViewContext& ctx, const std::string& caption, const std::string& message, bool cancelVisible);
// The shared input dialog: the answer, "" for Cancel.
std::string dlgInput(ViewContext& ctx, const std::string& caption, const std::string& prompt,
                     const std::string& preset);

}  // namespace mdlSubWordDevice

class FrmWordDevice : public GridView {
  Q_OBJECT
 public:
  // `slot`: 0-5.  Places itself from its window record and draws its page.
  FrmWordDevice(ViewContext& ctx, int slot);
  ~FrmWordDevice() override;

  static constexpr int kPanels = 4;
  static constexpr int kCommentCol = 3;
  FlexGrid* panel(int i) const { return fgrdWord_[static_cast<std::size_t>(i)]; }
  int perPage() const { return perPage_; }
  int rowsPerPanel() const { return perPage_ / kPanels; }
  // Address shown in `row` of panel `panelIndex` on the current page.
  std::int64_t rowAddress(int panelIndex, int row) const;
  // Place (0 leftmost) of each panel; "←" turns them.
  const std::array<int, kPanels>& places() const { return place_; }

  // The routines behind the controls, callable as a click would.
  void subDspAddressW();
  void subDspWordDevice();
  std::vector<FlexGrid*> grids() const override;
  void cmdWordData_Click(int panelIndex);
  void cmdMoni_Click(int panelIndex);
  void cmdChg_Click();
  void fgrdWord_DblClick(int panelIndex);
  // Right button on a panel: remembers the cell (the one clicked, else the
  // current one), sets the menu's enabling and tells whether the menu is to
  // be shown (not on the address column).
  bool preparePopData(int panelIndex, std::optional<std::pair<int, int>> clicked = std::nullopt);

 protected:
  void redrawAddresses() override { subDspAddressW(); }
  void redrawValues() override { subDspWordDevice(); }
  void layoutControls() override { subWord_CmdBtnSet(); }
  // Comments and registrations show in the address and comment columns.
  bool addressesShow(const QString& code) const override {
    return code == QLatin1String("CMNT") || code == QLatin1String("ASGN");
  }
  bool commentsFollowPort() const override { return true; }

 private:
  mdlSubWordDevice::WordDeviceRef device() const;
  std::span<FlexGrid* const> panels() const { return {fgrdWord_.data(), fgrdWord_.size()}; }
  void buildControls();
  void subWord_CmdBtnSet();

  int perPage_ = 0;
  std::array<FlexGrid*, kPanels> fgrdWord_{};
  std::array<QPushButton*, kPanels> cmdWordData_{};
  std::array<QPushButton*, kPanels> cmdMoni_{};
  std::array<int, kPanels> place_{0, 1, 2, 3};
  // Where each panel's display starts, words past the page's own place.
  std::array<std::int64_t, kPanels> offsets_{};
  QPushButton* cmdChg_ = nullptr;
};

}  // namespace omb

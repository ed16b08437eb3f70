#include "views/bit_view.h"

#include <algorithm>

#include "core/device_kind.h"
#include "core/device_memory.h"
#include "core/numeric.h"
#include "views/bit_rows.h"
#include "views/cell_input.h"
#include "views/flex_grid.h"
#include "views/word_view.h"
#include "core/translate.h"

namespace omb {

using bitRows::isBitColumn;
using bitRows::setText;

const BitFamily& bitFamily(int slot) { return viewFamily(slot); }

FrmBitDevice::FrmBitDevice(ViewContext& ctx, int slot, QWidget* parent)
    : BitGridView(ctx, bitFamily(slot), slot == kMx ? 16 : 64, parent) {
  const std::string label = std::string(family_.form) + ".Form_Load() ";
  guarded(ctx.errors, label.c_str(), [&](ErrorTrap&) {
    placeFromRecord();
    showPageLabel();
    subFgrdSet();
    subDspAddress();
    subDspBitDevice();
  });
}

FrmBitDevice::~FrmBitDevice() = default;

QString FrmBitDevice::bitAddressText(std::int64_t number) const {
  return QString::fromStdString(fncAddressText(family_.kind, static_cast<std::int32_t>(number)));
}

std::int64_t FrmBitDevice::cellBitAddress(int row, int col) const {
  const RowDevice* d = fgrdBit_->rowDevice(row);
  if (!d) return -1;
  return memory().firstNumber(d->kind) + 16 * d->word + (kColLastBit - col);
}

// ---------------------------------------------------------------- drawing

void FrmBitDevice::subFgrdSet() {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdSet() ", [&](ErrorTrap&) {
    FlexGrid& g = *fgrdBit_;
    RedrawSuspended quiet(g);
    buildBitColumns(kCols, 7630);
    g.setColumn(kColWordAddress, ColumnMode::Address, columnHeading(ColumnMode::Address));
    g.setColWidthTwips(kColWordAddress, 780);
    g.setColumn(kColDec, ColumnMode::Dec, columnHeading(ColumnMode::Dec));
    g.setColWidthTwips(kColDec, 650);
    g.setColAlignment(kColDec, Qt::AlignRight | Qt::AlignVCenter);
    g.setColumn(kColHex, ColumnMode::Hex, columnHeading(ColumnMode::Hex));
    g.setColWidthTwips(kColHex, 600);
    g.setColAlignment(kColHex, Qt::AlignCenter);
  });
}

void FrmBitDevice::subDspAddress() {
  guarded(ctx_.errors, "mdlSubBitDevice.subDspAddress() ", [&](ErrorTrap&) {
    FlexGrid& g = *fgrdBit_;
    RedrawSuspended quiet(g);
    const auto size = static_cast<std::int64_t>(words().size());
    const std::int64_t first = ctx_.memory().firstNumber(family_.kind);
    for (int r = 1; r <= rowsPerPage_; ++r) {
      const std::int64_t w = rowWord(r);
      if (w >= size) {
        g.setRowDevice(r, std::nullopt);
        setText(g, r, 0, QString());
        setText(g, r, kColWordAddress, QString());
        continue;
      }
      // A row stands for its word, named by its bit 0.
      const std::int64_t bit0 = first + 16 * w;
      const QString word = bitAddressText(bit0);
      g.setRowDevice(r, RowDevice{family_.kind, w, family_.code, word});
      setText(g, r, 0, bitAddressText(bit0 + 15));
      setText(g, r, kColWordAddress, word);
    }
  });
}

void FrmBitDevice::subDspBitDevice() { GridView::redrawValues(); }

// ---------------------------------------------------------------- signals

// ---------------------------------------------------------------- bit operations

void FrmBitDevice::subFgrdOnOff() {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdOnOff() ", [&](ErrorTrap& trap) {
    FlexGrid& g = *fgrdBit_;
    const int row = g.row(), col = g.col();
    trap.section(10);
    if (const RowDevice* d = g.rowDevice(row)) {
      const std::vector<std::int16_t>& mem = words();
      const std::int64_t w = rowWord(row);
      auto holds = [&] { return w < static_cast<std::int64_t>(mem.size()); };
      if (holds()) {
        const auto at = static_cast<std::size_t>(w);
        if (isBitColumn(col)) {
          trap.section(20);
          memory().toggleBit(family_.kind, w, kColLastBit - col);
        } else if (col == kColDec || col == kColHex) {
          trap.section(30);
          std::int16_t value = mem[at];
          // The dialog runs an event loop: the storage is looked at again
          // after it.
          if (!fncDataInput(col, d->text, value).empty() && holds())
            memory().write(family_.kind, w, value);
        }
        // An address column changes nothing but still tells the others.
        raiseOwn("DATA");
      }
    }
    trap.section(40);
    subDspBitDevice();
    g.setToolTip(QString());
  });
}

// ---------------------------------------------------------------- Word Data

std::string FrmBitDevice::fncDataInput(int col, const QString& title, std::int16_t& value) {
  return guarded<std::string>(ctx_.errors, "mdlSubBitDevice.fncDataInput() ", {}, [&](ErrorTrap&) {
    if (col != kColDec && col != kColHex) {
      ctx_.presenter.dlgMsg(omb::trs("BitView", "選択範囲無効"), omb::trs("BitView", "[ Dec ]又は、[ Hex ]を選択してください。"), false);
      return std::string();
    }
    const bool hex = col == kColHex;
    const QString preset = fncWordText(value, hex ? ColumnMode::Hex : ColumnMode::Dec);
    const std::string answer =
        ctx_.presenter.dlgInput(title.toStdString(), mdlSubWordDevice::fncValuePrompt(hex), preset.toStdString());
    // A number outside 16 bits is refused here: the trap logs it and the
    // caller sees an empty answer.
    if (!answer.empty()) value = mdlSubWordDevice::fncReadWord(answer, hex);
    return answer;
  });
}

void FrmBitDevice::subFgrdSerectData() {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdSerectData() ", [&](ErrorTrap& trap) {
    const FlexGrid& g = *fgrdBit_;
    trap.section(10);
    if (g.row() < 1 || (g.col() != kColDec && g.col() != kColHex)) {
      ctx_.presenter.dlgMsg(omb::trs("BitView", "選択範囲範囲外"), omb::trs("BitView", "選択範囲が無効です、[Dec][Hex]を選択してください。"), false);
      return;
    }
    if (g.leftCol() != g.rightCol()) {
      ctx_.presenter.dlgMsg(omb::trs("BitView", "セル範囲選択異常"), omb::trs("BitView", "１つの列を選択してください。"), false);
      raiseOwn("DATA");
      return;
    }
    trap.section(20);
    const std::vector<std::int16_t>& mem = words();
    const auto size = static_cast<std::int64_t>(mem.size());
    const int top = g.topRow(), bottom = g.bottomRow(), col = g.col();
    const std::int64_t upper = rowWord(top);
    if (upper >= size) {
      raiseOwn("DATA");
      return;
    }
    std::int16_t value = mem[static_cast<std::size_t>(upper)];
    QString title = g.rowDevice(top)->text;
    if (bottom > top) {
      const RowDevice* lower = g.rowDevice(bottom);
      title += QStringLiteral(" - ") + (lower ? lower->text : QString());
    }
    const std::string answer = fncDataInput(col, title, value);
    if (answer.empty()) {  // Cancel or a refused number
      raiseOwn("DATA");
      return;
    }

    trap.section(30);
    const bool hex = col == kColHex;
    const auto comma = answer.find(',');
    const std::int32_t step =
        comma == std::string::npos ? 0 : mdlSubWordDevice::fncReadWord(answer.substr(comma + 1), hex);
    trap.section(40);
    writeSeries(memory(), family_.kind, top, bottom, [&](int r) -> std::optional<std::int64_t> {
      const std::int64_t w = rowWord(r);
      if (w >= static_cast<std::int64_t>(mem.size())) return std::nullopt;
      return w;
    }, value, step);
    raiseOwn("DATA");
  });
}

void FrmBitDevice::cmdWordData_Click() {
  subFgrdSerectData();
  subDspBitDevice();
}

// ---------------------------------------------------------------- tooltip, 登録

void FrmBitDevice::subDeviceTip() {
  guarded(ctx_.errors, "mdlSubBitDevice.subDeviceTip() ", [&](ErrorTrap&) {
    FlexGrid& g = *fgrdBit_;
    const int row = g.row(), col = g.col();
    QString tip;
    if (row >= 1 && col < kColWordAddress) {
      const std::int64_t number = cellBitAddress(row, col);
      if (number >= 0) {
        tip = bitAddressText(number);
        const std::string comment = ctx_.comments.commentOfAddress(tip.toStdString());
        if (!comment.empty()) tip += QLatin1Char(' ') + QString::fromStdString(comment);
      }
    }
    g.setToolTip(tip);
  });
}

void FrmBitDevice::subGfrdUserPut() {
  guarded(ctx_.errors, "mdlSubBitDevice.subGfrdUserPut() ", [&](ErrorTrap& trap) {
    const FlexGrid& g = *fgrdBit_;
    SystemState& state = ctx_.state;
    const int left = g.leftCol(), right = g.rightCol();
    trap.section(10);
    if (left <= kColLastBit && right >= kColFirstBit) {
      // Right to left: the registrations come in ascending addresses.
      const int from = std::min(right, kColLastBit), to = std::max(left, kColFirstBit);
      for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
        if (!g.rowDevice(r)) continue;
        for (int c = from; c >= to; --c) {
          const std::int64_t number = cellBitAddress(r, c);
          const std::string text = bitAddressText(number).toStdString();
          if (state.fncCheck_UserDevice_B(text)) continue;
          state.userBitList.add({family_.code, text, ctx_.comments.commentOfAddress(text),
                                              static_cast<std::int32_t>(number)});
        }
      }
    } else if (left >= kColWordAddress) {
      trap.section(20);
      for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
        const RowDevice* d = g.rowDevice(r);
        if (!d || state.fncCheck_UserDevice_W(d->text.toStdString())) continue;
        state.userWordList.add({family_.code, d->text.toStdString(), std::string(),
                                             static_cast<std::int32_t>(cellBitAddress(r, kColLastBit))});
      }
    }
    raiseOwn("ASGN");
  });
}

void FrmBitDevice::cmdMoni_Click() { subGfrdUserPut(); }

// ---------------------------------------------------------------- ALL Clear, paging

// ---------------------------------------------------------------- copy and paste

// Ctrl+V: words go into the rows' words; there is no comment column to paste into.
void FrmBitDevice::paste(FlexGrid& grid) {
  omb::subBitPaste(ctx_.errors, grid, ctx_.copyBuffer, family_.code, sink(grid));
}

}  // namespace omb

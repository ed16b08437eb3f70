#include "views/word_bit_view.h"

#include "core/cp932.h"
#include "views/cell_input.h"
#include "views/cell_style.h"
#include "views/flex_grid.h"
#include "views/word_view.h"
#include "core/translate.h"

namespace omb {

namespace {

using bitRows::isBitColumn;
using bitRows::setText;

bool isValueColumn(int col) { return col == FrmWordBitDevice::kColValue1 || col == FrmWordBitDevice::kColValue2; }

}  // namespace

FrmWordBitDevice::FrmWordBitDevice(ViewContext& ctx, int slot)
    // Sixteen bits, Dec, Hex and the comment (8510 twips) with the scroll
    // bar beside them.
    : BitGridView(ctx, viewFamily(slot), slot == 23 ? 16 : 64, nullptr, 9500) {
  attachPopup(fgrdBit_);
  buildPopup({"popData", false, true, true});

  const std::string label = std::string(family_.form) + ".Form_Load() ";
  guarded(ctx.errors, label.c_str(), [&](ErrorTrap&) {
    placeFromRecord();
    showPageLabel();
    subFgrdSet_WB();
    subDspAddress_WB();
    subDspBitDevice_WB();
  });
}

FrmWordBitDevice::~FrmWordBitDevice() = default;

QString FrmWordBitDevice::addressText(std::int64_t word) const {
  return mdlSubWordDevice::fncAddressTextW(family_.code, memory().firstNumber(family_.kind) + word, family_.digits,
                                           family_.hex);
}

// ---------------------------------------------------------------- drawing

void FrmWordBitDevice::subFgrdSet_WB() {
  guarded(ctx_.errors, "mdlSubWordDevice_Bit.subFgrdSet_WB() ", [&](ErrorTrap&) {
    FlexGrid& g = *fgrdBit_;
    RedrawSuspended quiet(g);
    buildBitColumns(kCols, 8850);
    g.setColumn(kColValue1, ColumnMode::Dec, columnHeading(ColumnMode::Dec));
    g.setColWidthTwips(kColValue1, 650);
    g.setColAlignment(kColValue1, Qt::AlignRight | Qt::AlignVCenter);
    g.setColumn(kColValue2, ColumnMode::Hex, columnHeading(ColumnMode::Hex));
    g.setColWidthTwips(kColValue2, 600);
    g.setColAlignment(kColValue2, Qt::AlignCenter);
    g.setColumn(kColComment, ColumnMode::Comment, columnHeading(ColumnMode::Comment));
    g.setColWidthTwips(kColComment, 2000);
    g.setColAlignment(kColComment, Qt::AlignLeft | Qt::AlignVCenter);
    // The value and comment columns keep the styles the word views keep
    // for their columns 1-3.
    for (int slot = 0; slot < 3; ++slot) g.setStyleSlot(kColValue1 + slot, slot);
  });
}

void FrmWordBitDevice::subDspAddress_WB() {
  guarded(ctx_.errors, "mdlSubWordDevice_Bit.subDspAddress_WB() ", [&](ErrorTrap&) {
    FlexGrid& g = *fgrdBit_;
    RedrawSuspended quiet(g);
    const CellStyleIndex styles(ctx_.state.cellStyles);
    const auto size = static_cast<std::int64_t>(words().size());
    for (int r = 1; r <= rowsPerPage_; ++r) {
      // The look of the cells goes back to the columns' before the styles
      // of this page's addresses apply.
      for (int c = kColValue1; c <= kColComment; ++c) g.setCellStyle(r, c, FlexGrid::CellStyle{});
      const std::int64_t w = rowWord(r);
      if (w >= size) {
        g.setRowDevice(r, std::nullopt);
        setText(g, r, 0, QString());
        setText(g, r, kColComment, QString());
        continue;
      }
      const QString text = addressText(w);
      g.setRowDevice(r, RowDevice{family_.kind, w, family_.code, text});
      setText(g, r, 0, text);
      styles.apply(g, r);
      setText(g, r, kColComment, QString::fromStdString(ctx_.comments.commentOfAddress(text.toStdString())));
    }
  });
}

void FrmWordBitDevice::subDspBitDevice_WB() { GridView::redrawValues(); }

// ---------------------------------------------------------------- double click, Word Data

void FrmWordBitDevice::subFgrdOnOff_WB() {
  guarded(ctx_.errors, "mdlSubWordDevice_Bit.subFgrdOnOff_WB() ", [&](ErrorTrap& trap) {
    FlexGrid& g = *fgrdBit_;
    const int row = g.row(), col = g.col();
    const RowDevice* found = g.rowDevice(row);
    if (!found) return;
    const RowDevice d = *found;  // the dialog runs an event loop
    trap.section(10);
    if (isBitColumn(col)) {
      memory().toggleBit(d.kind, d.word, bitRows::bitOf(col));
    } else if (isValueColumn(col)) {
      trap.section(20);
      const ColumnMode mode = g.columnMode(col);
      std::int16_t value = memory().word(d.kind, d.word);
      const std::string answer = mdlSubWordDevice::fncDataInputW(ctx_, d.text, value, mode);
      if (answer.empty()) return;  // Cancel: nothing written, nothing told
      if (mode == ColumnMode::Ascii) {
        if (const auto why = fncAsciiTextRefusal(answer)) {
          ctx_.presenter.dlgMsg(omb::trs("WordBitView", "入力エラー"), *why, false);
          return;
        }
        // From this word on, two bytes a word, as far as the text or the
        // device goes, also past the rows shown.
        const std::string bytes = cp932::encode(answer);
        const auto last = std::min<std::int64_t>(d.word + (static_cast<std::int64_t>(bytes.size()) + 1) / 2 - 1,
                                                 static_cast<std::int64_t>(words().size()) - 1);
        memory().writeAscii(d.kind, d.word, last, bytes);
      } else {
        memory().write(d.kind, d.word, value);
      }
    }
    trap.section(30);
    raiseOwn("DATA");
    subDspBitDevice_WB();
  });
}

void FrmWordBitDevice::subFgrdSerectData_WB() {
  guarded(ctx_.errors, "mdlSubWordDevice_Bit.subFgrdSerectData_WB() ", [&](ErrorTrap&) {
    setSkip();
    FlexGrid& g = *fgrdBit_;
    if (g.row() < 1 || !isValueColumn(g.col())) {
      ctx_.presenter.dlgMsg(omb::trs("WordBitView", "選択範囲範囲外"), omb::trs("WordBitView", "選択範囲が無効です、[Dec][Hex]を選択してくださいい。"), false);
      return;
    }
    mdlSubWordDevice::subFgrdSerectDataW(ctx_, g, [this] { raiseOwn("DATA"); }, false);
  });
}

void FrmWordBitDevice::cmdWordData_Click() {
  subFgrdSerectData_WB();
  subDspBitDevice_WB();
}

// ---------------------------------------------------------------- tooltip, 登録

void FrmWordBitDevice::subBitTip_WB() {
  FlexGrid& g = *fgrdBit_;
  const RowDevice* d = g.rowDevice(g.row());
  g.setToolTip(d && isBitColumn(g.col()) ? d->text + QStringLiteral(" - ") + QString::number(bitRows::bitOf(g.col()))
                                         : QString());
}

void FrmWordBitDevice::subGfrdUserPut_WB() {
  guarded(ctx_.errors, "mdlSubWordDevice_Bit.subGfrdUserPut_WB() ", [&](ErrorTrap& trap) {
    setSkip();
    const FlexGrid& g = *fgrdBit_;
    SystemState& state = ctx_.state;
    const std::int32_t first = memory().firstNumber(family_.kind);
    trap.section(10);
    if (isBitColumn(g.leftCol())) {
      // Right to left: the registrations come in ascending bits.
      const int from = std::min(g.rightCol(), kColLastBit), to = g.leftCol();
      for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
        const RowDevice* d = g.rowDevice(r);
        if (!d) continue;
        for (int c = from; c >= to; --c) {
          const std::string text =
              d->text.toStdString() + "-" + QString::number(bitRows::bitOf(c), 16).toUpper().toStdString();
          if (state.fncCheck_UserDevice_B(text)) continue;
          state.userBitList.add({family_.code, text, std::string(), static_cast<std::int32_t>(first + d->word)});
        }
      }
    } else if (g.leftCol() >= kColValue1) {
      trap.section(20);
      for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
        const RowDevice* d = g.rowDevice(r);
        if (!d) continue;
        const std::string text = d->text.toStdString();
        if (state.fncCheck_UserDevice_W(text)) continue;
        state.userWordList.add({family_.code, text, ctx_.comments.commentOfAddress(text),
                                             static_cast<std::int32_t>(first + d->word)});
      }
    }
    raiseOwn("ASGN");
  });
}

void FrmWordBitDevice::cmdMoni_Click() { subGfrdUserPut_WB(); }

}  // namespace omb

#include "views/cell_style.h"

#include <QFont>

#include <algorithm>

#include "core/presenter.h"
#include "ui/colour.h"
#include "views/cell_input.h"
#include "core/translate.h"

namespace omb {

namespace {

// The entry of an address text: the first free or matching one, else a new
// one; a free or new entry starts from the defaults with the row's device.
CellStyleRecord& entryFor(std::vector<CellStyleRecord>& records, const RowDevice& d) {
  auto it = std::find_if(records.begin(), records.end(), [&](const CellStyleRecord& r) {
    return r.addressText.empty() || r.addressText == d.text.toStdString();
  });
  if (it == records.end()) {
    records.emplace_back();
    it = records.end() - 1;
  }
  if (it->addressText.empty()) {
    subInit_Font(*it);
    it->code = fncSplitAddress(d.text).code;
    it->number = fncAddressNumber(d.text);
    it->addressText = d.text.toStdString();
  }
  return *it;
}

// Applies `change` to every selected cell from the upper row down to the
// first row without a device, on screen and in the style table.  Cells of
// columns the table keeps no style for are left alone, so what the screen
// shows is what paging and other windows show too.
void styleSelection(ViewContext& ctx, FlexGrid& grid, const RaiseComment& raise,
                    const std::function<void(ColumnStyle&)>& change) {
  std::string lastCode;
  for (int r = grid.topRow(); r <= grid.bottomRow(); ++r) {
    const RowDevice* d = grid.rowDevice(r);
    if (!d) break;
    for (int c = std::max(grid.leftCol(), 1); c <= grid.rightCol(); ++c) {
      const int slot = grid.styleSlot(c);
      if (slot < 0) continue;
      ColumnStyle& stored = entryFor(ctx.state.cellStyles, *d).columns[static_cast<std::size_t>(slot)];
      change(stored);
      stored.set = true;
      grid.setCellStyle(r, c, cellStyleOf(stored));
    }
    lastCode = d->code;
  }
  if (!lastCode.empty() && raise) raise(lastCode);
}

}  // namespace

FlexGrid::CellStyle cellStyleOf(const ColumnStyle& s) {
  FlexGrid::CellStyle out;
  out.back = toQColor(s.backColour);
  out.hasBack = true;
  out.fore = toQColor(s.foreColour);
  out.hasFore = true;
  out.font = QFont(QString::fromStdString(s.fontName));
  out.font.setPointSizeF(s.fontSize > 0 ? s.fontSize : 9.0);
  out.font.setBold(s.bold);
  out.font.setItalic(s.italic);
  out.font.setUnderline(s.underline);
  out.font.setStrikeOut(s.strikethrough);
  out.hasFont = true;
  return out;
}

CellStyleIndex::CellStyleIndex(const std::vector<CellStyleRecord>& records) {
  byText_.reserve(records.size());
  for (const CellStyleRecord& r : records)
    if (!r.addressText.empty()) byText_.emplace(r.addressText, &r);  // the first entry of a text wins
}

const CellStyleRecord* CellStyleIndex::find(const QString& addressText) const {
  if (byText_.empty()) return nullptr;
  const auto it = byText_.find(addressText.toStdString());
  return it == byText_.end() ? nullptr : it->second;
}

namespace {
void applyRecord(const CellStyleRecord* r, FlexGrid& grid, int row) {
  if (!r) return;
  for (int c = 1; c < grid.cols(); ++c) {
    const int slot = grid.styleSlot(c);
    if (slot < 0) continue;
    const ColumnStyle& s = r->columns[static_cast<std::size_t>(slot)];
    if (s.set) grid.setCellStyle(row, c, cellStyleOf(s));
  }
}
}  // namespace

void CellStyleIndex::apply(FlexGrid& grid, int row) const {
  if (const RowDevice* d = grid.rowDevice(row)) applyRecord(find(d->text), grid, row);
}

void CellStyleIndex::applyOne(const std::vector<CellStyleRecord>& records, FlexGrid& grid, int row) {
  const RowDevice* d = grid.rowDevice(row);
  if (!d || records.empty()) return;
  const std::string text = d->text.toStdString();
  const auto it = std::find_if(records.begin(), records.end(), [&](const CellStyleRecord& r) { return r.addressText == text; });
  applyRecord(it == records.end() ? nullptr : &*it, grid, row);
}

void subCelColor(ViewContext& ctx, FlexGrid& grid, const RaiseComment& raise) {
  guarded(ctx.errors, "frmMain.subCelColor() ", [&](ErrorTrap&) {
    if (!grid.rowDevice(grid.row())) return;
    const FlexGrid::CellStyle current = grid.cellStyle(grid.row(), grid.col());
    const std::int32_t initial = current.hasBack ? fromQColor(current.back) : kSystemWindowColour;
    const auto colour = ctx.presenter.chooseColour(initial);
    if (!colour) return;
    styleSelection(ctx, grid, raise, [&](ColumnStyle& s) { s.backColour = *colour; });
  });
}

void subCelFont(ViewContext& ctx, FlexGrid& grid, const RaiseComment& raise) {
  guarded(ctx.errors, "frmMain.subCelFont() ", [&](ErrorTrap&) {
    if (!grid.rowDevice(grid.row())) return;
    const FlexGrid::CellStyle current = grid.cellStyle(grid.row(), grid.col());
    const QFont f = current.hasFont ? current.font : grid.font();
    FontChoice preset;
    preset.name = f.family().toStdString();
    preset.size = static_cast<float>(f.pointSizeF() > 0 ? f.pointSizeF() : 9.0);
    preset.bold = f.bold();
    preset.italic = f.italic();
    preset.underline = f.underline();
    preset.strikethrough = f.strikeOut();
    preset.colour = current.hasFore ? fromQColor(current.fore) : 0;
    const auto chosen = ctx.presenter.chooseFont(preset);
    if (!chosen) return;
    styleSelection(ctx, grid, raise, [&](ColumnStyle& s) {
      s.fontName = chosen->name;
      s.fontSize = chosen->size;
      s.bold = chosen->bold;
      s.italic = chosen->italic;
      s.underline = chosen->underline;
      s.strikethrough = chosen->strikethrough;
      s.foreColour = chosen->colour;
    });
  });
}

void subCommentInput(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise) {
  guarded(ctx.errors, "mdlSubWordDevice.subCommentInput() ", [&](ErrorTrap&) {
    const int row = grid.row();
    const RowDevice* d = grid.rowDevice(row);
    if (!d) return;
    const RowDevice device = *d;  // the question runs an event loop
    const std::string prompt = "Address : " + device.text.toStdString() + omb::trs("CellStyle", "\r\nコメントを入力してください。");
    const auto answer =
        ctx.presenter.inputBox(prompt, omb::trs("CellStyle", "コメント・入力"), grid.textMatrix(row, commentCol).toStdString());
    if (!answer || answer->empty()) return;
    grid.setTextMatrix(row, commentCol, QString::fromStdString(*answer));
    ctx.comments.subAdd_Comment(device.text.toStdString() + '\t' + *answer);
    if (raise) raise(device.code);
  });
}

void subCommentErase(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise) {
  guarded(ctx.errors, "mdlSubWordDevice.subCommentErase() ", [&](ErrorTrap&) {
    const RowDevice* current = grid.rowDevice(grid.row());
    if (!current) return;
    const int top = grid.topRow(), bottom = grid.bottomRow();
    auto text = [&](int r) {
      const RowDevice* d = grid.rowDevice(r);
      return d ? d->text.toStdString() : std::string();
    };
    const std::string message = "Address : " + text(top) + omb::trs("CellStyle", " ～ ") + text(bottom) + "\r\n" +
                                grid.textMatrix(top, commentCol).toStdString() + omb::trs("CellStyle", " ～ ") +
                                grid.textMatrix(bottom, commentCol).toStdString() +
                                omb::trs("CellStyle", "\r\n選択範囲のコメントを消去しますか？\r\n");
    if (ctx.presenter.message(message, omb::trs("CellStyle", "コメント・消去"), MsgIcon::Question, MsgButtons::OkCancelSafe) !=
        MsgAnswer::Ok)
      return;
    for (int r = top; r <= bottom; ++r) {
      const RowDevice* d = grid.rowDevice(r);
      if (!d || grid.textMatrix(r, commentCol).isEmpty()) continue;
      grid.setTextMatrix(r, commentCol, QString());
      ctx.comments.subRemove_Comment(d->text.toStdString());
    }
    const RowDevice* upper = grid.rowDevice(top);
    if (raise) raise(upper ? upper->code : current->code);
  });
}

void subCellCommentDelete(ViewContext& ctx, FlexGrid& grid, int commentCol, const RaiseComment& raise) {
  guarded(ctx.errors, "mdlSubWordDevice.subCellCommentDelete() ", [&](ErrorTrap&) {
    const int row = grid.row();
    const RowDevice* d = grid.rowDevice(row);
    if (!d || grid.textMatrix(row, commentCol).isEmpty()) return;
    grid.setTextMatrix(row, commentCol, QString());
    ctx.comments.subRemove_Comment(d->text.toStdString());
    if (raise) raise(d->code);
  });
}

}  // namespace omb

#include "views/word_view.h"

#include <QCoreApplication>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <cstdio>

#include "ui/geometry.h"
#include "core/cp932.h"
#include "core/device_kind.h"
#include "core/device_memory.h"
#include "core/numeric.h"
#include "views/cell_input.h"
#include "views/flex_grid.h"
#include "core/translate.h"

namespace omb {

namespace {

using namespace gridGeometry;
constexpr int kMoniWidth = 600;
// Four panels of Address, Dec, Hex and Device Comment (4030 twips) with
// their scroll bars side by side: the default width shows every heading
// whole.
constexpr int kDefaultWidth = 17500;
constexpr std::array<int, 4> kBottomWidths{500, 1100, 800, 800};  // ←, ALL Clear, Prev, Next

const QString kGridFont = QStringLiteral("ＭＳ ゴシック");
const QString kCommentFont = QStringLiteral("ＭＳＰ ゴシック");

}  // namespace

const WordFamily& wordFamily(int slot) { return viewFamily(slot); }

namespace mdlSubWordDevice {

QString fncAddressTextW(const std::string& code, std::int64_t number, int digits, bool hex) {
  char buf[32];
  std::snprintf(buf, sizeof buf, hex ? "000000%llX" : "000000%lld", static_cast<long long>(number));
  const std::string padded = buf;
  return QString::fromStdString(code + padded.substr(padded.size() - static_cast<std::size_t>(digits)));
}

std::int16_t fncReadWord(const std::string& text, bool hex) {
  if (!hex) return toInt16(leadingNumber(text));
  // Four hexadecimal digits are the word's bit pattern, so the FFFF shown
  // for -1 reads back as -1; more than that cannot be a word.
  const std::int32_t v = readRadix(text, 16);
  if (v > 0xFFFF) throw RuntimeError(kErrOverflow);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

std::int64_t fncRowAddress(std::int64_t panelOffset, int panelIndex, int perPage, int page, int row,
                           std::int32_t first) {
  const int rowsPerPanel = perPage / 4;
  return static_cast<std::int64_t>(first) + panelOffset + static_cast<std::int64_t>(page) * perPage +
         static_cast<std::int64_t>(panelIndex) * rowsPerPanel + (row - 1);
}

void subFgrdSetW(ErrorSink& errors, std::span<FlexGrid* const> panels, int rows) {
  guarded(errors, "mdlSubWordDevice.subFgrdSetW() ", [&](ErrorTrap&) {
    QFont gridFont(kGridFont, 9);
    for (FlexGrid* g : panels) {
      RedrawSuspended quiet(*g);
      g->setFont(gridFont);
      g->setCols(4);  // columns first: a long grid is then sized once
      g->setRows(rows + 1);
      g->setColWidthTwips(0, 780);
      g->setColWidthTwips(1, 650);
      g->setColWidthTwips(2, 600);
      g->setColWidthTwips(3, 2000);
      g->setColAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
      g->setColAlignment(2, Qt::AlignCenter);
      g->setColAlignment(3, Qt::AlignLeft | Qt::AlignVCenter);
      for (int c = 1; c <= 3; ++c) {
        g->setFixedAlignment(c, Qt::AlignCenter);
        g->setStyleSlot(c, c - 1);
      }
      g->setColFont(3, QFont(kCommentFont, 9));  // the comment cells
    }
  });
}

void subDspAddressW(ErrorSink& errors, std::span<FlexGrid* const> panels, std::span<const std::int64_t> offsets,
                    int perPage, const WordDeviceRef& dev, int page, const CommentStore& comments,
                    const CellStyleIndex& styles) {
  guarded(errors, "mdlSubWordDevice.subDspAddressW() ", [&](ErrorTrap&) {
    for (std::size_t p = 0; p < panels.size(); ++p) {
      FlexGrid& g = *panels[p];
      RedrawSuspended quiet(g);
      g.clearTexts();
      setAddressColumnsW(g);
      const std::int64_t offset = p < offsets.size() ? offsets[p] : 0;
      for (int r = 1; r < g.rows(); ++r) {
        fillAddressRowW(g, r, fncRowAddress(offset, static_cast<int>(p), perPage, page, r, dev.first), dev, comments);
        styles.apply(g, r);
      }
    }
  });
}

void setAddressColumnsW(FlexGrid& g) {
  g.setColumn(0, ColumnMode::Address, kAddress);
  g.setColumn(1, ColumnMode::Dec, kDec);
  g.setColumn(2, ColumnMode::Hex, kHex);
  g.setColumn(3, ColumnMode::Comment, kComment);
}

void fillAddressRowW(FlexGrid& g, int r, std::int64_t address, const WordDeviceRef& dev, const CommentStore& comments) {
  if (!dev.holds(address)) return;  // past the device end the row stays empty
  const QString text = fncAddressTextW(dev.code, address, dev.digits, dev.hex);
  g.setRowDevice(r, RowDevice{dev.kind, address - dev.first, dev.code, text});
  g.setTextMatrix(r, 0, text);
  g.setTextMatrix(r, 3, QString::fromStdString(comments.commentOfAddress(text.toStdString())));
}

std::string fncValuePrompt(bool hex) {
  return std::string(hex ? omb::trs("WordView", "１６進数で入力してください") : omb::trs("WordView", "１０進数で入力してください")) +
         omb::trs("WordView", "\r\nステップ数は，カンマで区切ります");
}

std::string fncDataInputW(ViewContext& ctx, const QString& title, std::int16_t& value, ColumnMode mode) {
  return guarded<std::string>(ctx.errors, "mdlSubWordDevice.fncDataInputW() ", {}, [&](ErrorTrap&) {
    const std::string caption = title.toStdString();
    if (mode == ColumnMode::Dec || mode == ColumnMode::Hex) {
      const bool hex = mode == ColumnMode::Hex;
      const std::string answer =
          dlgInput(ctx, caption, fncValuePrompt(hex), fncWordText(value, hex ? ColumnMode::Hex : ColumnMode::Dec).toStdString());
      if (!answer.empty()) value = fncReadWord(answer, hex);
      return answer;
    }
    if (mode == ColumnMode::Ascii) return dlgInput(ctx, caption, omb::trs("WordView", "文字列で入力してください。"), "");
    dlgMsg(ctx, omb::trs("WordView", "セル範囲未選択／未選択"), omb::trs("WordView", "[Device Comment]以外のセル範囲を選択してください。"), false);
    return std::string();
  });
}

void subFgrdSerectDataW(ViewContext& ctx, FlexGrid& panel, const std::function<void()>& raiseData,
                        bool cancelSignals) {
  guarded(ctx.errors, "mdlSubWordDevice.subFgrdSerectDataW() ", [&](ErrorTrap& trap) {
    trap.section(10);
    const int top = panel.topRow(), bottom = panel.bottomRow();
    if (panel.leftCol() != panel.rightCol()) {
      dlgMsg(ctx, omb::trs("WordView", "セル範囲選択異常"), omb::trs("WordView", "１つの列を選択してください。"), false);
      raiseData();
      return;
    }
    const ColumnMode mode = panel.columnMode(panel.col());
    const RowDevice* upper = panel.rowDevice(top);
    if (!upper) return;  // the upper row lies past the device end
    DeviceMemory& memory = ctx.memory();

    trap.section(20);
    std::int16_t value = memory.word(upper->kind, upper->word);
    QString title = upper->text;
    if (bottom > top) {
      const RowDevice* lower = panel.rowDevice(bottom);
      title += QStringLiteral(" - ") + (lower ? lower->text : QString());
    }
    const std::string answer = fncDataInputW(ctx, title, value, mode);
    if (answer.empty() && !cancelSignals) return;

    trap.section(30);
    if (!answer.empty() && mode == ColumnMode::Ascii) {
      if (const auto why = fncAsciiTextRefusal(answer)) {  // never written as something else in silence
        dlgMsg(ctx, omb::trs("WordView", "入力エラー"), *why, false);
        raiseData();
        return;
      }
      // Rows past the device end stand for nothing: the text stops at its
      // last word.
      int last = top;
      while (last < bottom && panel.rowDevice(last + 1)) ++last;
      memory.writeAscii(upper->kind, upper->word, panel.rowDevice(last)->word, cp932::encode(answer));
    } else if (!answer.empty()) {
      const bool hex = mode == ColumnMode::Hex;
      const std::size_t comma = answer.find(',');
      const std::int32_t step = comma == std::string::npos ? 0 : fncReadWord(answer.substr(comma + 1), hex);
      trap.section(40);
      writeSeries(memory, upper->kind, top, bottom, [&](int r) -> std::optional<std::int64_t> {
        const RowDevice* d = panel.rowDevice(r);
        if (!d) return std::nullopt;
        return d->word;
      }, value, step);
    }
    raiseData();
  });
}

void subGfrdUserPutW(ViewContext& ctx, FlexGrid& panel, const std::function<void()>& raiseAsgn) {
  guarded(ctx.errors, "mdlSubWordDevice.subGfrdUserPutW() ", [&](ErrorTrap&) {
    SystemState& state = ctx.state;
    for (int r = panel.topRow(); r <= panel.bottomRow(); ++r) {
      const RowDevice* d = panel.rowDevice(r);
      if (!d) continue;
      const std::string address = d->text.toStdString();
      if (state.fncCheck_UserDevice_W(address)) continue;
      UserListEntry entry;
      entry.code = d->code;
      entry.addressText = address;
      entry.comment = ctx.comments.commentOfAddress(address);
      entry.number = static_cast<std::int32_t>(ctx.memory().firstNumber(d->kind) + d->word);
      state.userWordList.add(entry);
    }
    raiseAsgn();
  });
}

void subAllSet(ViewContext& ctx, int kind, std::int16_t start, std::int16_t step,
               const std::function<void()>& raiseData) {
  guarded(ctx.errors, "frmMain.subAllSet() ", [&](ErrorTrap&) {
    const std::string message = omb::trs("WordView", "全データを ") + std::to_string(start) +
                                omb::trs("WordView", "　で初期化します！\r\n＜注意＞ 選択範囲に関係なく全データを初期化します！");
    if (dlgMsg(ctx, "All Data cler", message, true) != "1") return;
    DeviceMemory& memory = ctx.memory();
    const auto count = static_cast<std::int64_t>(memory.size(kind));
    if (step == 0) {
      memory.fill(kind, 0, count - 1, start);
    } else {
      writeSeries(memory, kind, 0, static_cast<int>(count - 1),
                  [](int index) { return std::optional<std::int64_t>(index); }, start, step);
    }
    raiseData();
  });
}

// The views' dialogs go through the presenter like every other question.
std::string dlgMsg(ViewContext& ctx, const std::string& caption, const std::string& message, bool cancelVisible) {
  return ctx.presenter.dlgMsg(caption, message, cancelVisible) ? "1" : "2";
}

std::string dlgInput(ViewContext& ctx, const std::string& caption, const std::string& prompt,
                     const std::string& preset) {
  return ctx.presenter.dlgInput(caption, prompt, preset);
}

}  // namespace mdlSubWordDevice

using namespace mdlSubWordDevice;

FrmWordDevice::FrmWordDevice(ViewContext& ctx, int slot)
    : GridView(ctx, wordFamily(slot), kDefaultWidth, 5300, ctx.mainWindow) {
  perPage_ = ctx.station->pages[static_cast<std::size_t>(slot)].perPage;
  buildControls();
  const std::string label = std::string(family_.form) + ".Form_Load() ";
  guarded(ctx.errors, label.c_str(), [&](ErrorTrap&) {
    placeFromRecord();
    showPageLabel();
    subFgrdSetW(ctx_.errors, panels(), rowsPerPanel());
    subDspAddressW();
    subDspWordDevice();
  });
}

FrmWordDevice::~FrmWordDevice() = default;

void FrmWordDevice::buildControls() {
  for (int i = 0; i < kPanels; ++i) {
    auto* g = new FlexGrid(this);
    g->setObjectName(QStringLiteral("fgrdWord%1").arg(i));
    makeLive(g);
    attachPopup(g);
    connect(g, &FlexGrid::dblClicked, this, [this, i] { fgrdWord_DblClick(i); });
    connect(g, &FlexGrid::keyPressed, this,
            [this, g](int key, const QString& text, Qt::KeyboardModifiers m) { gridKey(*g, key, text, m); });
    fgrdWord_[static_cast<std::size_t>(i)] = g;

    cmdWordData_[static_cast<std::size_t>(i)] =
        makeButton(QStringLiteral("cmdWordData%1").arg(i).toUtf8().constData(), QStringLiteral("Word Data"),
                   QCoreApplication::translate("WordView", "選択範囲にデータを書き込みます"), [this, i] { cmdWordData_Click(i); });
    cmdMoni_[static_cast<std::size_t>(i)] =
        makeButton(QStringLiteral("cmdMoni%1").arg(i).toUtf8().constData(), QCoreApplication::translate("WordView", "登録"),
                   QCoreApplication::translate("WordView", "選択範囲をユーザー登録画面に登録します"), [this, i] { cmdMoni_Click(i); });
  }
  cmdChg_ = makeButton("cmdChg", QCoreApplication::translate("WordView", "←"), QCoreApplication::translate("WordView", "表示アドレスを変更します"), [this] { cmdChg_Click(); });
  buildPaging();

  buildEditor();

  buildPopup({"popData", false, true, false});

  // The page buttons centred, with the page label right of them.
  const int bottomButtons = kBottomWidths[0] + kBottomWidths[1] + kBottomWidths[2] + kBottomWidths[3];
  const int bottomRow = bottomButtons + 2 * (60 + kPageLabelWidth);
  setMinimumSize(twipsToPixels(bottomRow + 300 - kFrameWidth), twipsToPixels(kMinHeight - kFrameHeight));
}

WordDeviceRef FrmWordDevice::device() const {
  DeviceMemory& memory = ctx_.memory();
  return WordDeviceRef{memory, family_.kind, memory.firstNumber(family_.kind), family_.code, family_.digits,
                       family_.hex};
}

std::int64_t FrmWordDevice::rowAddress(int panelIndex, int row) const {
  return fncRowAddress(offsets_[static_cast<std::size_t>(panelIndex)], panelIndex, perPage_, page_, row,
                       device().first);
}

void FrmWordDevice::subDspAddressW() {
  const CellStyleIndex styles(ctx_.state.cellStyles);
  mdlSubWordDevice::subDspAddressW(ctx_.errors, panels(), offsets_, perPage_, device(), page_, ctx_.comments,
                                   styles);
}

void FrmWordDevice::subDspWordDevice() { GridView::redrawValues(); }

std::vector<FlexGrid*> FrmWordDevice::grids() const { return {fgrdWord_.begin(), fgrdWord_.end()}; }

void FrmWordDevice::cmdWordData_Click(int panelIndex) {
  subFgrdSerectDataW(ctx_, *panel(panelIndex), [this] { raiseOwn("DATA"); });
  subDspWordDevice();
}

void FrmWordDevice::fgrdWord_DblClick(int panelIndex) {
  FlexGrid* g = panel(panelIndex);
  g->setCurrent(g->row(), g->col());
  cmdWordData_Click(panelIndex);
}

void FrmWordDevice::cmdMoni_Click(int panelIndex) {
  subGfrdUserPutW(ctx_, *panel(panelIndex), [this] { raiseOwn("ASGN"); });
}

void FrmWordDevice::cmdChg_Click() {
  guarded(ctx_.errors, "mdlSubWordDevice.subPanelRotate() ", [&](ErrorTrap&) {
    for (int& p : place_) p = (p + kPanels - 1) % kPanels;
    subWord_CmdBtnSet();
  });
}

bool FrmWordDevice::preparePopData(int panelIndex, std::optional<std::pair<int, int>> clicked) {
  return preparePopup(*panel(panelIndex), clicked);
}

void FrmWordDevice::subWord_CmdBtnSet() {
  guarded(ctx_.errors, "mdlSubWordDevice.subWord_CmdBtnSet() ", [&](ErrorTrap&) {
    const double height = layoutHeight();
    const double width = layoutWidth();
    const double panelHeight = std::max(0.0, height - 1550);
    const double panelWidth = std::max(0.0, (width - 400) / kPanels);
    for (int i = 0; i < kPanels; ++i) {
      const double left = 100 + place_[static_cast<std::size_t>(i)] * panelWidth;
      place(panel(i), left, 0, panelWidth, panelHeight);
      place(cmdWordData_[static_cast<std::size_t>(i)], left, height - 1300, kWordDataWidth, kButtonHeight);
      place(cmdMoni_[static_cast<std::size_t>(i)], left + kWordDataWidth, height - 1300, kMoniWidth, kButtonHeight);
    }
    const int total = kBottomWidths[0] + kBottomWidths[1] + kBottomWidths[2] + kBottomWidths[3];
    double left = width / 2 - total / 2.0;
    const std::array<QPushButton*, 4> row{cmdChg_, cmdAllClr_, cmdPrev_, cmdNext_};
    for (std::size_t k = 0; k < row.size(); ++k) {
      place(row[k], left, height - 900, kBottomWidths[k], kButtonHeight);
      left += kBottomWidths[k] - 14;
    }
    // The page ("1/24") right of Next, in the row of the page buttons: under
    // the panels it would lie below a panel's 登録 at some widths.
    place(lblPage_, left + 14 + 60, height - 900, kPageLabelWidth, kButtonHeight);
  });
}

}  // namespace omb

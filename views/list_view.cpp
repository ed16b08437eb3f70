#include "views/list_view.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>

#include "core/cp932.h"
#include "core/numeric.h"
#include "core/user_lists.h"
#include "ui/geometry.h"
#include "views/cell_input.h"
#include "views/cell_style.h"
#include "views/flex_grid.h"
#include "views/word_view.h"
#include "core/translate.h"

namespace omb {

namespace {

using namespace gridGeometry;

const ViewFamily kUserFamily{19, -1, "frmUser", QT_TRANSLATE_NOOP("ViewFamily", "ユーザー設定"), "", 0, false};
const ViewFamily kUniFamily{18, -1, "frmUni", QT_TRANSLATE_NOOP("ViewFamily", "テスト・モニター画面"), "", 0, false};

const QString kGridFont = QStringLiteral("ＭＳ ゴシック");
const QString kCommentFont = QStringLiteral("ＭＳＰ ゴシック");
const char kNoDevice[] = QT_TRANSLATE_NOOP("ListView", "選択範囲に、デバイスが登録されていません。");

bool isBitGrid(const FlexGrid& g) { return g.columnMode(1) == ColumnMode::Bit; }
int commentColumn(const FlexGrid& g) { return isBitGrid(g) ? 2 : 3; }

}  // namespace

// ---------------------------------------------------------------- shared

ListView::ListView(ViewContext& ctx, const ViewFamily& family, int defaultWidthTwips, int defaultHeightTwips)
    : GridView(ctx, family, defaultWidthTwips, defaultHeightTwips, ctx.mainWindow) {}

FlexGrid* ListView::makeGrid(const QString& name, int rows, bool bits) {
  auto* g = new FlexGrid(this);
  g->setObjectName(name);
  makeLive(g);
  RedrawSuspended quiet(*g);
  g->setFont(QFont(kGridFont, 9));
  g->setRows(rows + 1);
  g->setCols(bits ? 3 : 4);
  const int widths[] = {bits ? 900 : 780, bits ? 400 : 650, bits ? 2000 : 600, 2000};
  for (int c = 0; c < g->cols(); ++c) {
    g->setColWidthTwips(c, widths[c]);
    g->setFixedAlignment(c, Qt::AlignCenter);
    if (c > 0) g->setStyleSlot(c, c - 1);
  }
  g->setColAlignment(1, bits ? Qt::AlignCenter : (Qt::AlignRight | Qt::AlignVCenter));
  g->setColAlignment(g->cols() - 1, Qt::AlignLeft | Qt::AlignVCenter);
  g->setColFont(g->cols() - 1, QFont(kCommentFont, 9));  // the comment cells
  if (!bits) g->setColAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  resetHeadings(*g);
  attachPopup(g);
  return g;
}

void ListView::resetHeadings(FlexGrid& g) {
  g.setColumn(0, ColumnMode::Address, columnHeading(ColumnMode::Address));
  if (g.cols() == 3) {
    g.setColumn(1, ColumnMode::Bit, QStringLiteral("Bin"));
    g.setColumn(2, ColumnMode::Comment, columnHeading(ColumnMode::Comment));
  } else {
    g.setColumn(1, ColumnMode::Dec, columnHeading(ColumnMode::Dec));
    g.setColumn(2, ColumnMode::Hex, columnHeading(ColumnMode::Hex));
    g.setColumn(3, ColumnMode::Comment, columnHeading(ColumnMode::Comment));
  }
}

void ListView::showRow(FlexGrid& g, int row, const std::optional<RowDevice>& device, const std::string& comment,
                       const CellStyleIndex& styles) {
  g.setRowDevice(row, device);
  if (!device) return;
  g.setTextMatrix(row, 0, device->text);
  styles.apply(g, row);
  g.setTextMatrix(row, commentColumn(g), QString::fromStdString(comment));
}

bool ListView::popupOn(const FlexGrid& g, int col) const {
  return col > 0 && (GridView::popupOn(g, col) || g.columnMode(col) == ColumnMode::Bit);
}

void ListView::paste(FlexGrid& grid) {
  CellSink s = sink(grid);
  s.renew = [this](const std::string&, const std::string& code) { ctx_.renew("All", code, this); };
  subFgrid_Past(ctx_.errors, grid, ctx_.copyBuffer, s);
}

void ListView::buildButtons(FlexGrid& bits, FlexGrid& words, const QString& allClrCaption,
                            const QString& allClrTip) {
  cmdSet_ = makeButton("cmdSet", QStringLiteral("SET"), QCoreApplication::translate("ListView", "選択範囲を１にセットします"),
                       [this, &bits] { subBit(bits, BitOp::Set); });
  cmdReset_ = makeButton("cmdReset", QStringLiteral("RESET"), QCoreApplication::translate("ListView", "選択範囲を０リセットします"),
                         [this, &bits] { subBit(bits, BitOp::Reset); });
  cmdNot_ = makeButton("cmdNot", QStringLiteral("NOT"), QCoreApplication::translate("ListView", "選択範囲をビット反転します"),
                       [this, &bits] { subBit(bits, BitOp::Not); });
  cmdWordData_ = makeButton("cmdWordData", QStringLiteral("Word Data"), QCoreApplication::translate("ListView", "選択範囲にデータを書き込みます"),
                            [this, &words] { subSelectData_Write(words); });
  cmdAllClr_ = makeButton("cmdAllClr", allClrCaption, allClrTip, [this, &bits, &words] { subAllClr({&bits, &words}); });
  cmdChg_ = makeButton("cmdChg", QCoreApplication::translate("ListView", "←"), QCoreApplication::translate("ListView", "表示アドレスを変更します"), [this] { cmdChg_Click(); });
  buildOnePage();
  buildEditor();
}

void ListView::buildOnePage() {
  cmdPrev_ = makeButton("cmdPrev", QStringLiteral("Prev"), QCoreApplication::translate("ListView", "前ページ表示"), [] {});
  cmdNext_ = makeButton("cmdNext", QStringLiteral("Next"), QCoreApplication::translate("ListView", "次ページ表示"), [] {});
  cmdPrev_->setEnabled(false);
  cmdNext_->setEnabled(false);
  lblPage_ = new QLabel(this);
  lblPage_->setObjectName(QStringLiteral("lblPage"));
  lblPage_->setAlignment(Qt::AlignCenter);
}

void ListView::subBit(FlexGrid& g, BitOp op) {
  static const char* const captions[] = {QT_TRANSLATE_NOOP("ListView", "選択デバイスのビットセット"), QT_TRANSLATE_NOOP("ListView", "選択デバイスのビットリセット"),
                                         QT_TRANSLATE_NOOP("ListView", "選択デバイスのビット反転")};
  static const char* const labels[] = {"mdlSubUniUser.subBit_Set() ", "mdlSubUniUser.subBit_Reset() ",
                                       "mdlSubUniUser.subBit_Not() "};
  const auto i = static_cast<std::size_t>(op);
  if (!g.rowDevice(g.row())) {
    ctx_.presenter.dlgMsg(omb::trs("ListView", captions[i]), omb::trs("ListView", kNoDevice), false);
    return;
  }
  guarded(ctx_.errors, labels[i], [&](ErrorTrap&) {
    bitRows::applyToRowBits(memory(), g, op);
    raiseAll("DATA");
  });
  redrawValues();
}

void ListView::subOnOff(FlexGrid& g) {
  guarded(ctx_.errors, "mdlSubUniUser.subOnOff() ", [&](ErrorTrap&) {
    g.setCurrent(g.row(), g.col());
    const RowDevice* d = g.rowDevice(g.row());
    if (!d || d->bit < 0) return;
    memory().toggleBit(d->kind, d->word, d->bit);
    setSkip();
    ctx_.renew(d->code, "DATA", this);
  });
  redrawValues();
}

void ListView::subSelectData_Write(FlexGrid& g) {
  const RowDevice* current = g.rowDevice(g.row());
  if (!current) {
    ctx_.presenter.dlgMsg(omb::trs("ListView", "選択範囲に数値をセットする"), omb::trs("ListView", kNoDevice), false);
    return;
  }
  guarded(ctx_.errors, "mdlSubUniUser.subSelectData_Write() ", [&](ErrorTrap& trap) {
    setSkip();
    if (g.leftCol() != g.rightCol()) {
      ctx_.presenter.dlgMsg(omb::trs("ListView", "セル範囲選択異常"), omb::trs("ListView", "１つの列を選択してください。"), false);
      return;
    }
    const ColumnMode mode = g.columnMode(g.col());
    if (mode == ColumnMode::Ascii) {
      ctx_.presenter.dlgMsg(omb::trs("ListView", "連続入力不可"),
                            omb::trs("ListView", "文字列での連続入力は、ここでは出来ません。ワード・デバイス画面で行ってください。"), false);
      return;
    }
    if (mode != ColumnMode::Dec && mode != ColumnMode::Hex) {
      ctx_.presenter.dlgMsg(omb::trs("ListView", "セル範囲未選択／未選択"), omb::trs("ListView", "[Device Comment]以外のセル範囲を選択してください。"), false);
      return;
    }
    const bool hex = mode == ColumnMode::Hex;
    QString caption = current->text;
    if (g.rowSel() != g.row()) {
      const RowDevice* other = g.rowDevice(g.rowSel());
      caption += QStringLiteral(" - ") + (other ? other->text : QString());
    }
    const std::int16_t shown = memory().word(current->kind, current->word);
    const std::string answer = ctx_.presenter.dlgInput(caption.toStdString(), mdlSubWordDevice::fncValuePrompt(hex),
                                                       fncWordText(shown, mode).toStdString());
    if (answer.empty()) return;
    trap.section(20);
    std::int64_t value = mdlSubWordDevice::fncReadWord(answer, hex);
    const std::size_t comma = answer.find(',');
    const std::int64_t step = comma == std::string::npos ? 0 : mdlSubWordDevice::fncReadWord(answer.substr(comma + 1), hex);
    // Rows of different devices: each row's word by its own device.  A value
    // leaving 16 bits ends the series there, reported, without a signal.
    trap.section(30);
    for (int r = g.topRow(); r <= g.bottomRow(); ++r) {
      const RowDevice* d = g.rowDevice(r);
      if (!d) continue;
      memory().write(d->kind, d->word, static_cast<std::int16_t>(value));
      value += step;
      if (r < g.bottomRow() && (value < -32768 || value > 32767)) throw RuntimeError(kErrOverflow);
    }
    raiseAll("DATA");
  });
  redrawValues();
}

void ListView::subWordRight(FlexGrid& g) {
  guarded(ctx_.errors, "mdlSubUniUser.subWordRight() ", [&](ErrorTrap&) {
    g.setCurrent(g.row(), g.col());
    const RowDevice* found = g.rowDevice(g.row());
    if (!found) return;
    const RowDevice d = *found;  // the dialog runs an event loop
    const ColumnMode mode = g.columnMode(g.col());
    const std::int16_t shown = memory().word(d.kind, d.word);
    std::string answer;
    std::int16_t word = 0;
    if (mode == ColumnMode::Dec || mode == ColumnMode::Hex) {
      const bool hex = mode == ColumnMode::Hex;
      answer = ctx_.presenter.dlgInput(d.text.toStdString(), mdlSubWordDevice::fncValuePrompt(hex),
                                       fncWordText(shown, mode).toStdString());
      if (answer.empty()) return;
      word = mdlSubWordDevice::fncReadWord(answer, hex);
    } else if (mode == ColumnMode::Ascii) {
      answer = ctx_.presenter.dlgInput(d.text.toStdString(), omb::trs("ListView", "文字列で入力してください。１ワード以上の文字列は破棄されます。"), "");
      if (answer.empty()) return;
      if (const auto why = fncAsciiTextRefusal(answer)) {
        ctx_.presenter.dlgMsg(omb::trs("ListView", "入力エラー"), *why, false);
        return;
      }
      // The first two bytes, never half of a double-byte character.
      const std::string bytes = cp932::leftBytes(cp932::encode(answer), 2);
      const auto hi = static_cast<unsigned char>(bytes.empty() ? 0 : bytes[0]);
      const auto lo = static_cast<unsigned char>(bytes.size() > 1 ? bytes[1] : 0);
      word = static_cast<std::int16_t>(static_cast<std::uint16_t>((hi << 8) | lo));
    } else {
      ctx_.presenter.dlgMsg(omb::trs("ListView", "セル範囲無効／未選択"), omb::trs("ListView", "[Device Comment]以外のセル範囲を選択してください。"), false);
      return;
    }
    memory().write(d.kind, d.word, word);
    setSkip();
    ctx_.renew(d.code, "DATA", this);
  });
  redrawValues();
}

void ListView::subAllClr(const std::vector<FlexGrid*>& grids) {
  guarded(ctx_.errors, "mdlSubUniUser.subAllClr() ", [&](ErrorTrap&) {
    if (!ctx_.presenter.dlgMsg("All Data cler",
                               omb::trs("ListView", "登録デバイスの数値データをクリア（０で初期化）しますか？\r\n"
                               "＜注意＞ 選択範囲に関係なく登録デバイス全データを初期化します！"),
                               true))
      return;
    for (FlexGrid* g : grids)
      for (int r = 1; r < g->rows(); ++r)
        if (const RowDevice* d = g->rowDevice(r)) {
          if (d->bit < 0) memory().write(d->kind, d->word, 0);
          else memory().writeBit(d->kind, d->word, d->bit, false);
        }
    raiseAll("DATA");
  });
  redrawValues();
}

// ---------------------------------------------------------------- user registration view

FrmUser::FrmUser(ViewContext& ctx) : ListView(ctx, kUserFamily, 8650, 6000) {
  grids_[0] = makeGrid(QStringLiteral("fgrdWord0"), kUserListSize, true);
  grids_[1] = makeGrid(QStringLiteral("fgrdWord1"), kUserListSize, false);
  for (FlexGrid* g : grids_) {
    connect(g, &FlexGrid::keyPressed, this, [this, g](int key, const QString& text, Qt::KeyboardModifiers m) {
      if (g->rowDevice(g->row())) gridKey(*g, key, text, m);
    });
  }
  connect(grids_[0], &FlexGrid::dblClicked, this, [this] { subOnOff(*grids_[0]); });
  connect(grids_[1], &FlexGrid::dblClicked, this, [this] { subWordRight(*grids_[1]); });
  for (int i = 0; i < 2; ++i) {
    cmdClr_[i] = makeButton(QStringLiteral("cmdClr%1").arg(i).toUtf8().constData(), QCoreApplication::translate("ListView", "登録・解放"),
                            QCoreApplication::translate("ListView", "選択範囲の登録デバイスを解放します"), [this, i] { cmdClr_Click(i); });
    lblKensuu_[i] = new QLabel(this);
    lblKensuu_[i]->setObjectName(QStringLiteral("lblKensuu%1").arg(i));
    lblKensuu_[i]->setAlignment(Qt::AlignCenter);
  }
  buildButtons(*grids_[0], *grids_[1], QStringLiteral("All Cler"), QCoreApplication::translate("ListView", "ユーザー登録デバイスの数値を０にします"));
  buildPopup({"popData", false, true, false});
  setMinimumSize(twipsToPixels(2650 - kFrameWidth), twipsToPixels(2750 - kFrameHeight));
  guarded(ctx.errors, "frmUser.Form_Load() ", [&](ErrorTrap&) {
    placeFromRecord();
    page_ = lastPage_ = 0;
    lblPage_->setText(QStringLiteral("Page"));
    redrawAddresses();
    redrawValues();
    enableButtons();
  });
}

void FrmUser::redrawAddresses() {
  guarded(ctx_.errors, "frmUser.subDspAddress() ", [&](ErrorTrap&) {
    const CellStyleIndex styles(ctx_.state.cellStyles);
    const UserList* lists[] = {&ctx_.state.userBitList, &ctx_.state.userWordList};
    for (int i = 0; i < 2; ++i) {
      FlexGrid& g = *grids_[i];
      RedrawSuspended quiet(g);
      g.clearTexts();
      resetHeadings(g);
      for (int r = 1; r <= kUserListSize; ++r) {
        const UserListEntry& e = (*lists[i])[static_cast<std::size_t>(r - 1)];
        std::optional<RowDevice> device;
        if (const auto loc = userEntryLocation(memory(), e, i == 0))
          device = RowDevice{loc->kind, loc->index, e.code, QString::fromStdString(e.addressText), i == 0 ? loc->bit : -1};
        showRow(g, r, device, e.comment, styles);
        // A listed device no storage holds still shows its name.
        if (!device) g.setTextMatrix(r, 0, QString::fromStdString(e.addressText));
      }
      lblKensuu_[i]->setText(QCoreApplication::translate("ListView", "登録件数%1/128").arg(lists[i]->count()));
    }
  });
}

std::vector<FlexGrid*> FrmUser::grids() const { return {grids_[0], grids_[1]}; }

void FrmUser::refreshComments() {
  for (UserList* list : {&ctx_.state.userBitList, &ctx_.state.userWordList})
    for (UserListEntry& e : *list)
      if (!e.addressText.empty()) e.comment = ctx_.comments.commentOfAddress(e.addressText);
}

void FrmUser::onReNew(const QString& code) {
  if (code == QLatin1String("CMNT")) refreshComments();
  if (code == QLatin1String("CMNT") || code == QLatin1String("ASGN")) redrawAddresses();
  redrawValues();
  enableButtons();
}

void FrmUser::enableButtons() {
  const bool bits = ctx_.state.userBitList.count() > 0, words = ctx_.state.userWordList.count() > 0;
  for (QPushButton* b : {cmdClr_[0], cmdSet_, cmdReset_, cmdNot_}) b->setEnabled(bits);
  for (QPushButton* b : {cmdClr_[1], cmdWordData_}) b->setEnabled(words);
  cmdAllClr_->setEnabled(bits || words);
}

void FrmUser::bitKey(FlexGrid& grid, DirectAction action) {
  if (&grid != grids_[0]) return;
  subBit(grid, action == DirectAction::Set ? BitOp::Set : action == DirectAction::Reset ? BitOp::Reset : BitOp::Not);
}

void FrmUser::cmdClr_Click(int i) {
  UserList& list = i == 0 ? ctx_.state.userBitList : ctx_.state.userWordList;
  if (list.count() == 0) return;
  const FlexGrid& g = *grids_[i];
  auto listed = [&](int row) { return row >= 1 && !list[static_cast<std::size_t>(row - 1)].addressText.empty(); };
  if (!listed(g.row())) {
    ctx_.presenter.dlgMsg(omb::trs("ListView", "登録データを解放"), omb::trs("ListView", kNoDevice), false);
    return;
  }
  if (!listed(g.rowSel())) {
    ctx_.presenter.dlgMsg(omb::trs("ListView", "登録データを解放"), omb::trs("ListView", "解放する領域を選択してください。"), false);
    return;
  }
  if (!ctx_.presenter.dlgMsg(omb::trs("ListView", "登録データを解放"), omb::trs("ListView", "デバイス登録データを解放しますか？"), true)) return;
  list.release(g.topRow() - 1, g.bottomRow() - 1);
  redrawAddresses();
  redrawValues();
  enableButtons();
}

void FrmUser::cmdChg_Click() {
  left_ = 1 - left_;
  layoutControls();
}

void FrmUser::layoutControls() {
  guarded(ctx_.errors, "frmUser.subCmdBtnSet() ", [&](ErrorTrap&) {
    const double height = std::max(layoutHeight(), 2750.0);
    const double width = std::max(layoutWidth(), 2650.0);
    const double gridHeight = std::max(0.0, height - 2250);
    const double widths[] = {3660, 4380};
    FlexGrid* leftGrid = grids_[left_];
    FlexGrid* rightGrid = grids_[1 - left_];
    const double leftWidth = widths[left_];
    place(leftGrid, 100, 60, leftWidth, gridHeight);
    place(rightGrid, 100 + leftWidth + 200, 60, widths[1 - left_], gridHeight);
    const double buttonsTop = 60 + gridHeight + 50;
    const double releaseTop = buttonsTop + kButtonHeight - 10;
    // Under each list: the bit operations or Word Data, then its count and
    // its release button.
    for (int i = 0; i < 2; ++i) {
      const double gridLeft = i == left_ ? 100 : 100 + leftWidth + 200;
      place(lblKensuu_[i], gridLeft, releaseTop, widths[i] - 1100, kButtonHeight);
      place(cmdClr_[i], gridLeft + widths[i] - 1100, releaseTop, 1100, kButtonHeight);
      if (i == 0) {
        place(cmdSet_, gridLeft, buttonsTop, 750, kButtonHeight);
        place(cmdReset_, gridLeft + 740, buttonsTop, 750, kButtonHeight);
        place(cmdNot_, gridLeft + 1470, buttonsTop, 750, kButtonHeight);
      } else {
        place(cmdWordData_, gridLeft, buttonsTop, kWordDataWidth, kButtonHeight);
      }
    }
    const double rowTop = releaseTop + 400;
    place(cmdChg_, width / 2 - 700, rowTop, 700, kButtonHeight);
    place(cmdAllClr_, width / 2 - 20, rowTop, 900, kButtonHeight);
    place(cmdPrev_, width / 2 - 700, rowTop + kButtonHeight, 700, kButtonHeight);
    place(cmdNext_, width / 2 - 20, rowTop + kButtonHeight, 700, kButtonHeight);
    place(lblPage_, width / 2 + 700, rowTop + kButtonHeight, kPageLabelWidth, kButtonHeight);
  });
}

// ---------------------------------------------------------------- test monitor

// Opened wide enough for every heading: each grid shows its columns up to
// "Device Comment" whole (the lists are side by side).
FrmUni::FrmUni(ViewContext& ctx) : ListView(ctx, kUniFamily, 17000, 5300) {
  const int rows[] = {20, 40, 10, 20};
  const char* const headings[] = {QT_TRANSLATE_NOOP("ListView", "テスト・ランダム"), QT_TRANSLATE_NOOP("ListView", "モニター登録"), QT_TRANSLATE_NOOP("ListView", "テスト・ランダム"), QT_TRANSLATE_NOOP("ListView", "モニター登録")};
  for (int i = 0; i < 4; ++i) {
    grids_[static_cast<std::size_t>(i)] = makeGrid(QStringLiteral("fgrdWord%1").arg(i), rows[i], i < 2);
    labels_[static_cast<std::size_t>(i)] = new QLabel(QCoreApplication::translate("ListView", headings[i]), this);
    labels_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Label1%1").arg(i));
  }
  for (int i : {0, 2}) grids_[static_cast<std::size_t>(i)]->setToolTip(QCoreApplication::translate("ListView", "書き換えできません"));
  grids_[2]->setColAlignment(2, Qt::AlignCenter);
  grids_[3]->setColAlignment(2, Qt::AlignCenter);
  // Only the monitor lists take keys and double clicks.
  for (FlexGrid* g : {grids_[1], grids_[3]})
    connect(g, &FlexGrid::keyPressed, this, [this, g](int key, const QString& text, Qt::KeyboardModifiers m) {
      if (g->rowDevice(g->row())) gridKey(*g, key, text, m);
    });
  connect(grids_[1], &FlexGrid::dblClicked, this, [this] { subOnOff(*grids_[1]); });
  connect(grids_[3], &FlexGrid::dblClicked, this, [this] { subWordRight(*grids_[3]); });
  for (FlexGrid* g : {grids_[0], grids_[2]}) connect(g, &FlexGrid::dblClicked, this, [this] { redrawValues(); });

  buildButtons(*grids_[1], *grids_[3], QStringLiteral("ALL Clear"), QCoreApplication::translate("ListView", "全ての数値を０クリアします"));
  buildPopup({"popData", false, true, false, false});
  setMinimumSize(twipsToPixels(2650 - kFrameWidth), twipsToPixels(2750 - kFrameHeight));
  guarded(ctx.errors, "frmUni.Form_Load() ", [&](ErrorTrap&) {
    placeFromRecord();
    page_ = lastPage_ = 0;
    lblPage_->setText(QStringLiteral("1/1"));
    redrawAddresses();
    redrawValues();
  });
}

void FrmUni::lookUpComments() {
  MonitorComments& c = ctx_.station->monitorComments;
  const LinkLists& l = ctx_.lists();
  auto look = [this](const auto& list, auto& comments) {
    for (std::size_t i = 0; i < comments.size() && i < list.size(); ++i)
      comments[i] = list[i].deviceText.size() > 3 ? ctx_.comments.fncDeviceComment(list[i].code, list[i].number)
                                                  : std::string();
  };
  look(l.TestBitList, c.testBit);
  look(l.MoniBitList, c.moniBit);
  look(l.TestWordList, c.testWord);
  look(l.MoniWordList, c.moniWord);
}

void FrmUni::redrawAddresses() {
  guarded(ctx_.errors, "frmUni.subDspAddress() ", [&](ErrorTrap&) {
    drawnLists_ = listsShown();
    lookUpComments();
    const CellStyleIndex styles(ctx_.state.cellStyles);
    const MonitorComments& c = ctx_.station->monitorComments;
    auto fill = [&](FlexGrid& g, const auto& list, const auto& comments) {
      RedrawSuspended quiet(g);
      g.clearTexts();
      resetHeadings(g);
      for (int r = 1; r < g.rows(); ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        std::optional<RowDevice> device;
        if (i < list.size() && list[i].deviceText.size() > 3)
          if (const auto loc = memory().locate(list[i].number, list[i].code))
            // A bit device registered by word (X0010 with WM) is a word
            // row: its sixteen bits are one value here.
            device = RowDevice{loc->kind, loc->index, list[i].code, QString::fromStdString(list[i].deviceText),
                               list[i].isBit && isBitGrid(g) ? loc->bit : -1};
        showRow(g, r, device, i < comments.size() ? comments[i] : std::string(), styles);
      }
    };
    const LinkLists& l = ctx_.lists();
    fill(*grids_[0], l.TestBitList, c.testBit);
    fill(*grids_[1], l.MoniBitList, c.moniBit);
    fill(*grids_[2], l.TestWordList, c.testWord);
    fill(*grids_[3], l.MoniWordList, c.moniWord);
  });
}

std::vector<FlexGrid*> FrmUni::grids() const { return {grids_.begin(), grids_.end()}; }

QString FrmUni::bitText(const FlexGrid&, bool on) const { return on ? QStringLiteral("1") : QStringLiteral("0"); }

void FrmUni::onReNew(const QString& code) {
  if (code == QLatin1String("CMNT") || code == QLatin1String("ASGN") ||
      (code == QLatin1String("DATA") && listsChanged()))
    redrawAddresses();
  redrawValues();
}

std::string FrmUni::listsShown() const {
  std::string shown;
  auto add = [&shown](const auto& list) {
    for (const LinkListEntry& e : list) shown.append(e.deviceText).append(e.code).push_back('\n');
    shown.push_back('|');
  };
  const LinkLists& l = ctx_.lists();
  add(l.TestBitList);
  add(l.MoniBitList);
  add(l.TestWordList);
  add(l.MoniWordList);
  return shown;
}

bool FrmUni::listsChanged() const { return listsShown() != drawnLists_; }

void FrmUni::onChanged(const ChangeSet& changes) {
  if (listsChanged()) deferToFrame();
  else GridView::onChanged(changes);
}

bool FrmUni::popupOn(const FlexGrid& g, int col) const {
  return (&g == grids_[2] || &g == grids_[3]) && (col == 1 || col == 2);
}

void FrmUni::bitKey(FlexGrid& grid, DirectAction action) {
  if (&grid != grids_[1]) return;
  subBit(grid, action == DirectAction::Set ? BitOp::Set : action == DirectAction::Reset ? BitOp::Reset : BitOp::Not);
}

void FrmUni::cmdChg_Click() {
  std::rotate(order_.begin(), order_.begin() + 1, order_.end());
  layoutControls();
}

void FrmUni::layoutControls() {
  guarded(ctx_.errors, "frmUni.subCmdBtnSet() ", [&](ErrorTrap&) {
    const double height = std::max(layoutHeight(), 2750.0);
    const double width = std::max(layoutWidth(), 2650.0);
    const double gridHeight = std::max(0.0, height - 1800);
    const double share[] = {0.22, 0.22, 0.28, 0.28};
    double left = 120;
    std::array<double, 4> lefts{};
    for (int k : order_) {
      const auto i = static_cast<std::size_t>(k);
      const double w = share[i] * std::max(0.0, width - 600);
      lefts[i] = left;
      place(labels_[i], left, 0, w, 280);
      place(grids_[i], left, 300, w, gridHeight);
      left += w + 100;
    }
    const double top = 300 + gridHeight + 60;
    place(cmdSet_, lefts[1], top, 750, kButtonHeight);
    place(cmdReset_, lefts[1] + 730, top, 750, kButtonHeight);
    place(cmdNot_, lefts[1] + 1460, top, 750, kButtonHeight);
    place(cmdWordData_, lefts[3], top, kWordDataWidth, kButtonHeight);
    const double row2 = top + kButtonHeight + 60;
    place(cmdChg_, width / 2 - 1600, row2, 700, kButtonHeight);
    place(cmdAllClr_, width / 2 - 900, row2, 1100, kButtonHeight);
    place(cmdPrev_, width / 2 + 300, row2, 700, kButtonHeight);
    place(cmdNext_, width / 2 + 980, row2, 700, kButtonHeight);
    place(lblPage_, width / 2 + 1700, row2, 700, kButtonHeight);
  });
}

}  // namespace omb

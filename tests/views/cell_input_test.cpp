// Typing into cells, the in-place editor, Ctrl+C / Ctrl+V and the two
// small dialogs, driven offscreen as a view drives them.
#include "views/cell_input.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace omb {
namespace {

// A column headed as the views head it: the heading and what its cells
// hold ("0".."F" and "Bin" are bit columns).
void setHeading(FlexGrid& g, int col, const QString& heading) {
  ColumnMode mode = ColumnMode::Other;
  for (ColumnMode m : {ColumnMode::Address, ColumnMode::Dec, ColumnMode::Hex, ColumnMode::Ascii, ColumnMode::Comment})
    if (heading == columnHeading(m)) mode = m;
  if (heading == "Bin" || (heading.size() == 1 && QStringLiteral("0123456789ABCDEF").contains(heading)))
    mode = ColumnMode::Bit;
  g.setColumn(col, mode, heading);
}

// A row standing for a D word, or (empty text) for nothing.
void setAddress(FlexGrid& g, int row, const QString& text) {
  g.setTextMatrix(row, 0, text);
  if (text.isEmpty()) g.setRowDevice(row, std::nullopt);
  else g.setRowDevice(row, RowDevice{0, text.mid(1).toLongLong(), "D", text});
}

// A word panel: Address / <mode 1> / <mode 2> / Device Comment, rows
// D000100.. with the word 10 × row, the last two rows past the device end.
struct Panel {
  explicit Panel(int rows = 9, QString first = "D000100", const char* m1 = "Dec", const char* m2 = "Hex") {
    grid.setRows(rows);
    grid.setCols(4);
    setHeading(grid, 0, "Address");
    setHeading(grid, 1, m1);
    setHeading(grid, 2, m2);
    setHeading(grid, 3, "Device Comment");
    const int base = first.mid(1).toInt();
    for (int r = 1; r <= rows - 3; ++r) {
      setAddress(grid, r, QStringLiteral("D%1").arg(base + r - 1, 6, 10, QLatin1Char('0')));
      memory[grid.textMatrix(r, 0)] = static_cast<std::int16_t>(10 * r);
      for (int c = 1; c <= 2; ++c)
        grid.setTextMatrix(r, c, fncWordText(static_cast<std::int16_t>(10 * r), grid.columnMode(c)));
    }
    sink.readRowWord = [this](int row) { return memory.at(grid.rowDevice(row)->text); };
    sink.writeWord = [this](const RowDevice& d, std::int16_t v) {
      writes.push_back({d.text, v});
      memory[d.text] = v;
    };
    sink.addComment = [this](const QString& line) { comments.push_back(line); };
    sink.renew = [this](const std::string& d, const std::string& code) { raised.push_back(d + " " + code); };
  }
  FlexGrid grid;
  CellSink sink;
  std::map<QString, std::int16_t> memory;
  std::vector<std::pair<QString, std::int16_t>> writes;
  std::vector<QString> comments;
  std::vector<std::string> raised;
};

void press(QWidget* w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &e);
}

TEST(CellInputDirect, KeyOnACellByItsHeader) {
  using A = DirectAction;
  struct Case {
    const char* header;
    QString key;
    A action;
    QString text;
    bool selectAll;
    int maxLength;
  };
  // The current cell (row 2) holds "CELL" in every case.
  const Case cases[] = {
      {"Dec", "-", A::OpenEditor, "-", false, 6},
      {"Dec", "5", A::OpenEditor, "5", false, 6},
      {"Dec", "\r", A::OpenEditor, "CELL", true, 6},
      {"Dec", "a", A::None, "", false, 6},
      {"Dec", "\x03", A::None, "", false, 6},
      {"Hex", "c", A::OpenEditor, "C", false, 4},
      {"Hex", "F", A::OpenEditor, "F", false, 4},
      {"Hex", "g", A::None, "", false, 4},
      {"Hex", "-", A::None, "", false, 4},
      {"Hex", "\r", A::OpenEditor, "CELL", true, 4},
      {"ASCII", "x", A::OpenEditor, "x", false, 2},
      {"ASCII", "\b", A::None, "", false, 2},
      {"ASCII", "\r", A::OpenEditor, "CELL", true, 2},
      {"Device Comment", "あ", A::OpenEditor, "あ", false, 99},
      {"Device Comment", " ", A::OpenEditor, " ", false, 99},
      {"Device Comment", "\r", A::OpenEditor, "CELL", true, 99},
      {"Device Comment", "\x16", A::None, "", false, 99},
      {"F", "1", A::Set, "", false, 0},
      {"0", "0", A::Reset, "", false, 0},
      {"A", " ", A::Reset, "", false, 0},
      {"7", "\r", A::Not, "", false, 0},
      {"Bin", "1", A::Set, "", false, 0},
      {"Bin", "2", A::None, "", false, 0},
      {"Address", "1", A::None, "", false, 0},
      {"Address", "\r", A::None, "", false, 0},
      {"Comment", "x", A::None, "", false, 0},
  };
  test::RecordingErrorSink errors;
  for (const Case& c : cases) {
    FlexGrid g;
    g.setRows(4);
    g.setCols(3);
    setHeading(g, 1, c.header);
    g.setTextMatrix(2, 1, "CELL");
    g.setCurrent(2, 1);
    const DirectInput in = fncInput_Direct(errors, g, c.key);
    const std::string what = std::string(c.header) + " / " + c.key.toStdString();
    EXPECT_EQ(in.action, c.action) << what;
    EXPECT_EQ(in.text, c.text) << what;
    EXPECT_EQ(in.selectAll, c.selectAll) << what;
    EXPECT_EQ(in.maxLength, c.maxLength) << what;
  }
  EXPECT_TRUE(errors.reports.empty());
}

TEST(CellInputDirect, QtKeysBecomeTypedCharacters) {
  EXPECT_EQ(typedKey(Qt::Key_Return, "\r", Qt::NoModifier), "\r");
  EXPECT_EQ(typedKey(Qt::Key_Enter, "", Qt::KeypadModifier), "\r");
  EXPECT_EQ(typedKey(Qt::Key_C, "", Qt::ControlModifier), "\x03");
  EXPECT_EQ(typedKey(Qt::Key_V, "v", Qt::ControlModifier), "\x16");
  EXPECT_EQ(typedKey(Qt::Key_Escape, "", Qt::NoModifier), "\x1b");
  EXPECT_EQ(typedKey(Qt::Key_Backspace, "", Qt::NoModifier), "\b");
  EXPECT_EQ(typedKey(Qt::Key_Delete, "\x7f", Qt::NoModifier), "");
  EXPECT_EQ(typedKey(Qt::Key_Left, "", Qt::NoModifier), "");
  EXPECT_EQ(typedKey(Qt::Key_A, "A", Qt::ShiftModifier), "A");
}

TEST(CellInputEditor, KeyFilterByHeader) {
  struct Case {
    const char* header;
    QString key, passed;
  };
  const Case cases[] = {
      {"Dec", "7", "7"},        {"Dec", "-", ""},       {"Dec", "a", ""},         {"Dec", "\b", "\b"},
      {"Dec", "\r", "\r"},      {"Dec", "\x1b", "\x1b"}, {"Dec", "\x16", ""},      {"Hex", "c", "C"},
      {"Hex", "f", "F"},        {"Hex", "E", "E"},      {"Hex", "g", ""},         {"Hex", "\b", "\b"},
      {"ASCII", "g", "g"},      {"ASCII", "-", "-"},    {"Device Comment", "あ", "あ"},
      {"Device Comment", "\x16", "\x16"},              {"Address", "1", ""},     {"F", "1", ""},
      {"Address", "\r", "\r"},
  };
  test::RecordingErrorSink errors;
  for (const Case& c : cases) {
    FlexGrid g;
    g.setRows(2);
    g.setCols(3);
    setHeading(g, 2, c.header);
    EXPECT_EQ(fncEditKeyFilter(errors, g, 2, c.key), c.passed) << c.header << " / " << c.key.toStdString();
  }
}

TEST(CellInputEditor, ValueConvertedAndRowRewritten) {
  struct Case {
    const char* mode1;
    const char* mode2;
    int col;
    QString text;
    std::int16_t word;
    QString cell1, cell2;
  };
  const Case cases[] = {
      {"Dec", "Hex", 1, "-5", -5, "-5", "FFFB"},
      {"Dec", "Hex", 1, "99999", 32767, "32767", "7FFF"},
      {"Dec", "Hex", 1, "-", 0, "0", "0000"},
      {"Dec", "Hex", 2, "7", 7, "7", "0007"},
      {"Dec", "Hex", 2, "ffff", -1, "-1", "FFFF"},
      {"Dec", "ASCII", 2, "A", 0x4100, "16640", "A "},
      {"Hex", "ASCII", 2, "AB", 0x4142, "4142", "AB"},
      {"ASCII", "Dec", 1, "あ", static_cast<std::int16_t>(0x82A0), "あ", "-32096"},
      {"ASCII", "Hex", 1, "日", static_cast<std::int16_t>(0x93FA), "日", "93FA"},
      {"Hex", "ASCII", 2, "ｱB", static_cast<std::int16_t>(0xB142), "B142", "ｱB"},
  };
  test::RecordingErrorSink errors;
  for (const Case& c : cases) {
    Panel p(9, "D000100", c.mode1, c.mode2);
    p.grid.setTextMatrix(2, 3, "comment");
    const auto word = fncCellEditValue(errors, p.grid, 2, c.col, c.text);
    const std::string what = c.text.toStdString();
    ASSERT_TRUE(word.has_value()) << what;
    EXPECT_EQ(*word, c.word) << what;
    EXPECT_EQ(p.grid.textMatrix(2, 1), c.cell1) << what;
    EXPECT_EQ(p.grid.textMatrix(2, 2), c.cell2) << what;
    EXPECT_EQ(p.grid.textMatrix(2, 3), "comment") << what;
    EXPECT_EQ(p.grid.textMatrix(3, 1), fncWordText(30, p.grid.columnMode(1))) << what << ": other rows alone";
  }
  // A text that does not fit a word, or a character the code page has not,
  // is refused with a reason, never written as something else.
  for (const QString& text : {QStringLiteral("ABC"), QStringLiteral("日本"), QStringLiteral("A日"), QString::fromUtf8("\xF0\x9F\x98\x80")}) {
    Panel q(9, "D000100", "ASCII", "Hex");
    std::vector<std::string> why;
    EXPECT_FALSE(fncCellEditValue(errors, q.grid, 2, 1, text, [&](const std::string& w) { why.push_back(w); }).has_value())
        << text.toStdString();
    ASSERT_EQ(why.size(), 1u) << text.toStdString();
    EXPECT_NE(why[0].find("「" + text.toStdString() + "」"), std::string::npos);
    EXPECT_EQ(q.grid.textMatrix(2, 2), fncWordText(20, ColumnMode::Hex)) << "the row is left as it was";
  }
  // The comment column takes the text and gives no word.
  Panel p;
  EXPECT_FALSE(fncCellEditValue(errors, p.grid, 4, 3, "ポンプ起動").has_value());
  EXPECT_EQ(p.grid.textMatrix(4, 3), "ポンプ起動");
  EXPECT_EQ(p.grid.textMatrix(4, 1), "40");
  // More than four hex digits cannot be a word: reported, no word.
  EXPECT_FALSE(fncCellEditValue(errors, p.grid, 4, 2, "12345").has_value());
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "mdlSubWordDevice.fncCellEditValue() 6");
  EXPECT_EQ(p.grid.textMatrix(4, 2), "0028");
}

// The whole road a view takes: a key on the grid, the editor over the cell,
// Enter writing the word.
struct EditingPanel : Panel {
  EditingPanel() : Panel(9), editor(errors) {
    grid.resize(600, 400);
    grid.show();
    QApplication::processEvents();
    QObject::connect(&grid, &FlexGrid::keyPressed, &grid,
                     [this](int key, const QString& text, Qt::KeyboardModifiers mods) {
                       const DirectInput in = fncInput_Direct(errors, grid, typedKey(key, text, mods));
                       if (in.action == DirectAction::OpenEditor) subShowCellEditor(errors, grid, editor, in);
                     });
    QObject::connect(&editor, &CellEditor::committed, &grid, [this](int row, int col, const QString& text) {
      subCellEditWrite(errors, grid, row, col, text, sink);
    });
    QObject::connect(&editor, &CellEditor::committedEmpty, &grid, [this] { ++empties; });
    QObject::connect(&editor, &CellEditor::cancelled, &grid, [this] { ++cancels; });
  }
  void type(const QString& keys) {
    for (QChar ch : keys) {
      QWidget* target = editor.isVisible() ? static_cast<QWidget*>(&editor) : &grid;
      if (ch == u'\r') press(target, Qt::Key_Return, "\r");
      else if (ch == u'\x1b') press(target, Qt::Key_Escape, "\x1b");
      else if (ch == u'\b') press(target, Qt::Key_Backspace, "\b");
      else press(target, QKeySequence(QString(ch).toUpper())[0].key(), QString(ch));
    }
  }
  test::RecordingErrorSink errors;
  CellEditor editor;
  int empties = 0, cancels = 0;
};

TEST(CellInputEditor, TypingMinusFiveWritesMinusFive) {
  EditingPanel p;
  p.grid.setCurrent(2, 1);
  p.type("-");
  ASSERT_TRUE(p.editor.isVisible());
  EXPECT_EQ(p.editor.geometry(), p.grid.cellRect(2, 1));
  EXPECT_EQ(p.editor.maxLength(), 6);
  EXPECT_EQ(p.editor.text(), "-");
  p.type("5a-\r");  // letters and a second minus are swallowed
  EXPECT_FALSE(p.editor.isVisible());
  ASSERT_EQ(p.writes.size(), 1u);
  EXPECT_EQ(p.writes[0], (std::pair<QString, std::int16_t>{"D000101", -5}));
  EXPECT_EQ(p.grid.textMatrix(2, 2), "FFFB");
  EXPECT_EQ(p.raised, std::vector<std::string>{"D DATA"});
  EXPECT_EQ(p.grid.row(), 3) << "moves one row down";
  EXPECT_TRUE(p.errors.reports.empty());
}

TEST(CellInputEditor, EnterSelectsCellTextEscLeavesValue) {
  EditingPanel p;
  p.grid.setCurrent(3, 1);
  p.type("\r");
  ASSERT_TRUE(p.editor.isVisible());
  EXPECT_EQ(p.editor.text(), "30");
  EXPECT_EQ(p.editor.selectedText(), "30");
  p.type("99\x1b");
  EXPECT_FALSE(p.editor.isVisible());
  EXPECT_EQ(p.cancels, 1);
  EXPECT_TRUE(p.writes.empty());
  EXPECT_EQ(p.grid.textMatrix(3, 1), "30");
  EXPECT_EQ(p.grid.row(), 3);

  // Hex: g swallowed, c entered as C.
  p.grid.setCurrent(3, 2);
  p.type("cg\r");
  ASSERT_EQ(p.writes.size(), 1u);
  EXPECT_EQ(p.writes[0].second, 0x0C);
  EXPECT_EQ(p.grid.textMatrix(3, 2), "000C");
  EXPECT_EQ(p.grid.textMatrix(3, 1), "12");

  // Enter with nothing typed writes nothing.
  p.grid.setCurrent(5, 1);
  p.type("\r\b\b\r");
  EXPECT_EQ(p.empties, 1);
  EXPECT_EQ(p.writes.size(), 1u);
  EXPECT_FALSE(p.editor.isVisible());
}

TEST(CellInputEditor, LastRowStaysAndFocusLossWritesNothing) {
  EditingPanel p;
  Panel& base = p;
  setAddress(base.grid, 8, "D000107");  // make the last row a device row
  p.grid.setCurrent(8, 1);
  p.type("4\r");
  ASSERT_EQ(p.writes.size(), 1u);
  EXPECT_EQ(p.writes[0], (std::pair<QString, std::int16_t>{"D000107", 4}));
  EXPECT_EQ(p.grid.row(), 8);

  p.type("7");
  ASSERT_TRUE(p.editor.isVisible());
  QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
  QApplication::sendEvent(&p.editor, &out);
  EXPECT_FALSE(p.editor.isVisible());
  EXPECT_EQ(p.writes.size(), 1u);
  EXPECT_EQ(p.cancels, 0);

  // A row past the device end takes nothing.
  p.grid.setCurrent(7, 1);
  p.type("9\r");
  EXPECT_EQ(p.writes.size(), 1u);
  EXPECT_EQ(p.grid.textMatrix(7, 1), "");
}

TEST(CellInputAddress, SplitAndNumber) {
  struct Case {
    QString text;
    std::string code;
    int digits;
    std::int32_t number;
  };
  const Case cases[] = {
      {"D000100", "D", 6, 100},   {"TN00015", "TN", 5, 15}, {"CC02047", "CC", 5, 2047},
      {"W0001A0", "W", 6, 0x1A0}, {"X00040F", "X", 6, 0x40F}, {"B000FFF", "B", 6, 0xFFF},
      {"M009000", "M", 6, 9000},  {"", "", 0, -1},          {"D", "D", 0, -1},
  };
  for (const Case& c : cases) {
    const SplitAddress s = fncSplitAddress(c.text);
    EXPECT_EQ(s.code, c.code) << c.text.toStdString();
    EXPECT_EQ(s.digits, c.digits) << c.text.toStdString();
    EXPECT_EQ(fncAddressNumber(c.text), c.number) << c.text.toStdString();
  }
}

TEST(CellInputCopy, EachRowsWordOnceWhateverTheDisplay) {
  // Rows 1-3 selected; row 2 has no address.
  for (const auto& [m1, m2] : {std::pair{"Dec", "Hex"}, std::pair{"Hex", "ASCII"}, std::pair{"Dec", "Dec"}}) {
    Panel from(9, "D000100", m1, m2);
    setAddress(from.grid, 2, "");
    from.grid.setTextMatrix(1, 3, "first");
    from.grid.setSelection(3, 2, 1, 1);
    CopyBuffer buffer;
    test::RecordingErrorSink errors;
    subFgrid_Copy(errors, from.grid, buffer, from.sink);
    EXPECT_TRUE(buffer.filled);
    EXPECT_EQ(buffer.values, (std::vector<std::int16_t>{10, 30})) << m1 << "/" << m2;
    EXPECT_EQ(buffer.comments, (std::vector<std::string>{"first", ""})) << m1 << "/" << m2;
  }
  // The word comes from the device, never from what a cell shows.
  Panel from;
  from.grid.setTextMatrix(1, 1, "-7");
  from.grid.setSelection(1, 1, 2, 1);
  CopyBuffer buffer;
  test::RecordingErrorSink errors;
  subFgrid_Copy(errors, from.grid, buffer, from.sink);
  EXPECT_EQ(buffer.values, (std::vector<std::int16_t>{10, 20}));
}

TEST(CellInputPaste, ThreeRowsOneWithoutAddressWriteTwoWords) {
  Panel from(9, "D000100");
  setAddress(from.grid, 3, "");  // the last of the three copied rows
  from.grid.setSelection(1, 1, 3, 1);
  CopyBuffer buffer;
  test::RecordingErrorSink errors;
  subFgrid_Copy(errors, from.grid, buffer, from.sink);

  Panel to(9, "D000200");
  to.grid.setCurrent(2, 2);
  subFgrid_Past(errors, to.grid, buffer, to.sink);
  EXPECT_EQ(to.writes, (std::vector<std::pair<QString, std::int16_t>>{{"D000201", 10}, {"D000202", 20}}));
  EXPECT_EQ(to.memory["D000203"], 40) << "the third row is left alone";
  EXPECT_EQ(to.raised, std::vector<std::string>{"D DATA"});
  EXPECT_TRUE(to.comments.empty());
  EXPECT_TRUE(errors.reports.empty());

  // A gap in the target takes no entry; the paste stops at the last row.
  Panel gap(9, "D000300");
  setAddress(gap.grid, 5, "");
  gap.grid.setCurrent(5, 1);
  subFgrid_Past(errors, gap.grid, buffer, gap.sink);
  EXPECT_EQ(gap.writes, (std::vector<std::pair<QString, std::int16_t>>{{"D000305", 10}}));
  Panel end(9, "D000400");
  setAddress(end.grid, 8, "D000407");
  end.grid.setCurrent(8, 1);
  subFgrid_Past(errors, end.grid, buffer, end.sink);
  EXPECT_EQ(end.writes, (std::vector<std::pair<QString, std::int16_t>>{{"D000407", 10}}));
}

TEST(CellInputPaste, NothingBeforeAnyCopyAndEmptyCommentsChangeNothing) {
  CopyBuffer none;
  test::RecordingErrorSink errors;
  Panel to;
  to.grid.setCurrent(1, 1);
  subFgrid_Past(errors, to.grid, none, to.sink);
  to.grid.setCurrent(1, 3);
  subFgrid_Past(errors, to.grid, none, to.sink);
  subBitPaste(errors, to.grid, none, "X", to.sink);
  EXPECT_TRUE(to.writes.empty());
  EXPECT_TRUE(to.comments.empty());
  EXPECT_TRUE(to.raised.empty());
  EXPECT_TRUE(errors.reports.empty());

  // Comments: empty ones leave the row's comment alone, others are stored.
  Panel from;
  from.grid.setTextMatrix(2, 3, "valve");
  from.grid.setSelection(1, 3, 3, 3);
  CopyBuffer buffer;
  subFgrid_Copy(errors, from.grid, buffer, from.sink);
  Panel target(9, "D000500");
  target.grid.setCurrent(1, 3);
  subFgrid_Past(errors, target.grid, buffer, target.sink);
  EXPECT_EQ(target.comments, std::vector<QString>{"D000501\tvalve"});
  EXPECT_TRUE(target.writes.empty());
  EXPECT_EQ(target.raised, std::vector<std::string>{"D CMNT"});

  Panel blank;
  blank.grid.setSelection(1, 1, 3, 1);
  subFgrid_Copy(errors, blank.grid, buffer, blank.sink);
  Panel again(9, "D000600");
  again.grid.setCurrent(1, 3);
  subFgrid_Past(errors, again.grid, buffer, again.sink);
  EXPECT_TRUE(again.comments.empty());
  EXPECT_TRUE(again.writes.empty());

  // A "Bin" column takes nothing.
  setHeading(again.grid, 1, "Bin");
  again.grid.setCurrent(1, 1);
  subFgrid_Past(errors, again.grid, buffer, again.sink);
  EXPECT_TRUE(again.writes.empty());
  EXPECT_EQ(again.raised.size(), 1u);
}

TEST(CellInputPaste, BitViewRowsTakeWordsByTheirBitZeroAddress) {
  test::RecordingErrorSink errors;
  FlexGrid g;
  g.setRows(5);
  g.setCols(20);
  setHeading(g, 0, "Address");
  setHeading(g, 17, "Address");
  setHeading(g, 18, "Dec");
  for (int r = 1; r <= 3; ++r) {
    const QString word = QStringLiteral("X%1").arg(16 * (r - 1), 6, 16, QLatin1Char('0')).toUpper();
    g.setTextMatrix(r, 0, QStringLiteral("X%1").arg(16 * r - 1, 6, 16, QLatin1Char('0')).toUpper());
    g.setTextMatrix(r, 17, word);
    g.setRowDevice(r, RowDevice{6, r - 1, "X", word});
  }
  CopyBuffer buffer{true, {0x00FF, -1, 5}, {"", "", ""}};
  std::vector<std::pair<QString, std::int16_t>> writes;
  std::vector<std::string> raised;
  CellSink sink;
  sink.writeWord = [&](const RowDevice& d, std::int16_t v) { writes.push_back({d.text, v}); };
  sink.renew = [&](const std::string& d, const std::string& c) { raised.push_back(d + " " + c); };
  g.setCurrent(2, 5);
  subBitPaste(errors, g, buffer, "X", sink);
  // Rows 2 and 3 have addresses, row 4 none: two words.
  EXPECT_EQ(writes, (std::vector<std::pair<QString, std::int16_t>>{{"X000010", 0x00FF}, {"X000020", -1}}));
  EXPECT_EQ(raised, std::vector<std::string>{"X DATA"});
}

TEST(CellInputPaste, FailureIsReportedOnceAndWhatWasWrittenStays) {
  Panel from;
  from.grid.setSelection(1, 1, 3, 1);
  CopyBuffer buffer;
  test::RecordingErrorSink errors;
  subFgrid_Copy(errors, from.grid, buffer, from.sink);
  Panel to(9, "D000200");
  int calls = 0;
  to.sink.writeWord = [&](const RowDevice& d, std::int16_t v) {
    if (++calls == 2) throw RuntimeError(kErrSubscript);
    to.writes.push_back({d.text, v});
  };
  to.grid.setCurrent(1, 1);
  subFgrid_Past(errors, to.grid, buffer, to.sink);
  EXPECT_EQ(to.writes.size(), 1u);
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "mdlSubWordDevice.subFgrid_Past() 9");
  EXPECT_TRUE(to.raised.empty());
}

// The dialogs as the person at the screen answers them.
TEST(DlgInput, ShowsItsTextsAndAnswersTheTextOrNothing) {
  {
    dlgInput d("D000100 - D000104", "１０進数で入力してください", "100");
    EXPECT_EQ(d.objectName(), "dlgInput");
    EXPECT_EQ(d.windowTitle(), "D000100 - D000104");
    EXPECT_EQ(d.findChild<QLabel*>("lblComment")->text(), "１０進数で入力してください");
    auto* txt = d.findChild<QLineEdit*>("txtInput");
    EXPECT_EQ(txt->text(), "100");
    txt->setText("100,2");
    d.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(d.answer(), "100,2");
  }
  {
    dlgInput d("t", "p", "x");
    d.txtInput()->setText("typed");
    EXPECT_EQ(d.cmdCancel()->text(), "ｷｬﾝｾﾙ");
    d.cmdCancel()->click();
    EXPECT_EQ(d.answer(), "");
  }
}

TEST(DlgInput, EnterMovesToOkAndASecondEnterAnswers) {
  dlgInput d("caption", "prompt", "1234");
  d.show();
  QApplication::processEvents();
  ASSERT_EQ(d.focusWidget(), d.txtInput());
  EXPECT_EQ(d.txtInput()->selectedText(), "1234");

  press(d.focusWidget(), Qt::Key_Return, "\r");
  EXPECT_EQ(d.focusWidget(), d.cmdOK());
  EXPECT_TRUE(d.isVisible()) << "the first Enter only chooses OK";
  EXPECT_EQ(d.txtInput()->text(), "1234");
  press(d.focusWidget(), Qt::Key_Return, "\r");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.answer(), "1234");

  dlgInput e("caption", "prompt", "abc");
  e.show();
  QApplication::processEvents();
  press(e.focusWidget(), Qt::Key_Escape, "\x1b");
  EXPECT_EQ(e.focusWidget(), e.cmdCancel());
  EXPECT_TRUE(e.isVisible());
  press(e.focusWidget(), Qt::Key_Return, "\r");
  EXPECT_FALSE(e.isVisible());
  EXPECT_EQ(e.answer(), "");
}

TEST(DlgMsg, AnswersOneForOkTwoForCancel) {
  {
    dlgMsg d("All Data cler", "全データを 0　で初期化します！", true);
    EXPECT_EQ(d.objectName(), "dlgMsg");
    EXPECT_EQ(d.windowTitle(), "All Data cler");
    EXPECT_EQ(d.findChild<QLabel*>("lblMsg")->text(), "全データを 0　で初期化します！");
    EXPECT_FALSE(d.cmdCancel()->isHidden());
    d.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(d.answer(), "1");
  }
  {
    dlgMsg d("c", "m", true);
    d.cmdCancel()->click();
    EXPECT_EQ(d.answer(), "2");
  }
  {
    dlgMsg d("セル範囲選択異常", "１つの列を選択してください。", false);
    EXPECT_TRUE(d.cmdCancel()->isHidden()) << "a notice has no Cancel";
  }
  // Offscreen with keys: Enter presses OK; Esc answers as Cancel.
  dlgMsg d("c", "m", true);
  d.show();
  QApplication::processEvents();
  press(d.focusWidget() ? d.focusWidget() : d.cmdOK(), Qt::Key_Return, "\r");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.answer(), "1");
  dlgMsg e("c", "m", false);
  e.show();
  QApplication::processEvents();
  press(&e, Qt::Key_Escape, "\x1b");
  EXPECT_FALSE(e.isVisible());
  EXPECT_EQ(e.answer(), "2");
}

}  // namespace
}  // namespace omb

// Typing into grid cells, and Ctrl+C / Ctrl+V between grids: the one way
// every device view does it (procedures of mdlSubWordDevice).
//
// What a key does is decided by the mode of the cell's column (Dec, Hex,
// ASCII word values, comments, bits, or nothing on an address column), and
// which device a row stands for by the row's device, both kept by the grid
// beside its texts.  The routines read and write the grid only; device
// memory, comments and the refresh signal are reached through the
// callbacks the view hands in, so word views, bit views and the
// multi-screen windows share them.  Every routine runs under its own error
// trap and reports failures to the ErrorSink it is given.
#pragma once

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/error.h"
#include "views/copy_buffer.h"
#include "views/flex_grid.h"

namespace omb {

// The heading a column of a mode shows: "Address", "Dec", "Hex", "ASCII",
// "Device Comment" (empty for the others, whose headings are their own).
QString columnHeading(ColumnMode mode);

// A key event as the one character it types: "\r" Enter, "\b" Backspace,
// "\x1b" Esc, "\x03" Ctrl+C, "\x16" Ctrl+V, otherwise the event's text
// (empty for keys that type nothing, such as the arrows).
QString typedKey(int key, const QString& text, Qt::KeyboardModifiers modifiers);

// A word as a cell of a value column shows it: "Dec" signed decimal, "Hex"
// four upper-case digits, "ASCII" its two characters; empty for any other
// mode.
QString fncWordText(std::int16_t value, ColumnMode mode);

// ---------------------------------------------------------------- typing on a cell

enum class DirectAction { None, OpenEditor, Set, Reset, Not };
struct DirectInput {
  DirectAction action = DirectAction::None;
  QString text;            // OpenEditor: the editor's first text
  bool selectAll = false;  // OpenEditor: opened with Enter, cell text selected
  int maxLength = 0;       // editor length of the column (0: no editor column)
};

// Classifies a key typed on the grid's current cell (`key` as typedKey
// gives it).
DirectInput fncInput_Direct(ErrorSink& errors, const FlexGrid& grid, const QString& key);

// The in-place editor of a view (`txtInput`): hidden until opened over a
// cell; filters the keys typed into it by the cell's column.  Enter with a
// text emits committed, hides and moves the grid's current cell one row
// down; Enter with no text emits committedEmpty and hides; Esc emits
// cancelled and hides.  The grid gets the focus back in all three cases.
// Losing the focus hides it without a signal.
class CellEditor : public QLineEdit {
  Q_OBJECT
 public:
  explicit CellEditor(ErrorSink& errors, QWidget* parent = nullptr);

  // Places the editor over (row, col) of `grid` and gives it the focus; the
  // text is inserted (cut to maxLength), all selected when `selectAll`.
  void open(FlexGrid& grid, int row, int col, const QString& text, bool selectAll, int maxLength);
  // Hides without a signal.
  void close();

  FlexGrid* grid() const { return grid_; }
  int row() const { return row_; }
  int col() const { return col_; }

 signals:
  void committed(int row, int col, const QString& text);
  void committedEmpty(int row, int col);
  void cancelled();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void finish();

  ErrorSink& errors_;
  FlexGrid* grid_ = nullptr;
  int row_ = 0, col_ = 0;
  bool closing_ = false;
};

// Opens the editor over the grid's current cell.
void subShowCellEditor(ErrorSink& errors, FlexGrid& grid, CellEditor& editor, const QString& text,
                       bool selectAll, int maxLength);
inline void subShowCellEditor(ErrorSink& errors, FlexGrid& grid, CellEditor& editor, const DirectInput& in) {
  subShowCellEditor(errors, grid, editor, in.text, in.selectAll, in.maxLength);
}

// Filters a key typed into the editor of column `col`: the key to insert,
// possibly changed (a-f to upper case in Hex), or empty when swallowed.
QString fncEditKeyFilter(ErrorSink& errors, const FlexGrid& grid, int col, const QString& key);

// Converts the editor's text by the column's header.  A value column gives
// the word and every value column of the row ("Dec", "Hex", "ASCII") is
// rewritten with it in its own mode; the comment column takes the text and
// gives no word.  Dec: the leading number limited to -32768..32767; Hex:
// hexadecimal digits (more than FFFF is an overflow: no word); ASCII: text
// of at most two bytes of the system code page (two half-width characters
// or one double-byte character such as 日, 93FAh) packed upper byte first.
// A text that does not fit a word, or holds a character the code page has
// not, is refused: `refuse` tells why and no word is given.
std::optional<std::int16_t> fncCellEditValue(ErrorSink& errors, FlexGrid& grid, int row, int col,
                                              const QString& text,
                                              const std::function<void(const std::string&)>& refuse = nullptr);

// Why a text cannot be a word of the system code page (ASCII cells), or
// nothing when it can.
std::optional<std::string> fncAsciiWordRefusal(const std::string& utf8);
// Why a text cannot go into words as system code page bytes (ASCII Word
// Data), or nothing when it can.
std::optional<std::string> fncAsciiTextRefusal(const std::string& utf8);

// ---------------------------------------------------------------- address texts

struct SplitAddress {
  std::string code;  // "D", "TN", "X" ...; two letters after T or C
  int digits = 0;    // characters after the code
};
SplitAddress fncSplitAddress(const QString& addressText);
// The number of an address text read in its device's radix (hexadecimal
// for X, Y, B and W); -1 when the text has no number.
std::int32_t fncAddressNumber(const QString& addressText);

// ---------------------------------------------------------------- copy and paste

// Where copy and paste meet device memory, the comment store and the
// refresh signal.
struct CellSink {
  // The word shown in a row, for copying (rows with a device only).
  std::function<std::int16_t(int row)> readRowWord;
  // Writes the word a row stands for.
  std::function<void(const RowDevice& device, std::int16_t value)> writeWord;
  // Stores a comment line: address text, TAB, comment.
  std::function<void(const QString& commentLine)> addComment;
  // The refresh signal (subDspRenew).
  std::function<void(const std::string& device, const std::string& code)> renew;
  // Tells the person at the screen why a typed text was refused.
  std::function<void(const std::string& why)> refuse;
};

// Ctrl+C: the selected rows (upper to lower) that stand for a device put
// their word value and their comment (the comment column, empty without
// one) into the buffer, one entry each.
void subFgrid_Copy(ErrorSink& errors, const FlexGrid& grid, CopyBuffer& buffer, const CellSink& sink);

// Ctrl+V into word rows: from the current row down, as many rows as the
// buffer holds (stopping at the last row); each row with a device takes
// the next entry.  On the comment column the non-empty comments are stored
// and "CMNT" raised; on a bit column nothing happens; elsewhere the values
// are written and "DATA" raised, for the device of the current row.
// Nothing at all before the first copy.
void subFgrid_Past(ErrorSink& errors, const FlexGrid& grid, const CopyBuffer& buffer, const CellSink& sink);

// Ctrl+V in the paged bit views: as many rows from the current one down as
// the buffer holds; each row with a device receives the next value into its
// word; then "DATA" for `device`.
void subBitPaste(ErrorSink& errors, const FlexGrid& grid, const CopyBuffer& buffer, const std::string& device,
                 const CellSink& sink);

// Enter with a text in the editor: converts (fncCellEditValue), then writes
// the word and raises "DATA", or stores the comment and raises "CMNT", for
// the row's device.  A row without a device takes nothing.
void subCellEditWrite(ErrorSink& errors, FlexGrid& grid, int row, int col, const QString& text,
                      const CellSink& sink);

}  // namespace omb

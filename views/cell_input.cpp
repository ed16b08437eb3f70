#include "views/cell_input.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/cp932.h"
#include "core/device_kind.h"
#include "core/device_memory.h"
#include "core/numeric.h"
#include "core/translate.h"

namespace omb {

namespace {

const QString kEnter = QStringLiteral("\r");
const QString kBackspace = QStringLiteral("\b");
const QString kEsc = QStringLiteral("\x1b");

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isUpperHex(QChar c) { return isDigit(c) || (c >= u'A' && c <= u'F'); }
bool isLowerHex(QChar c) { return c >= u'a' && c <= u'f'; }
// A character that goes into a text: anything but the control characters.
bool isPrintable(const QString& key) {
  if (key.isEmpty()) return false;
  const char16_t c = key.at(0).unicode();
  return c > 31 && c != 0x7F;
}

// The word of a value written in a cell of the given mode.
std::int16_t wordFromText(const QString& text, ColumnMode mode) {
  switch (mode) {
    case ColumnMode::Dec: {
      const double v = roundHalfEven(leadingNumber(text.toStdString()));
      return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    case ColumnMode::Hex: {
      const std::int32_t v = readRadix(text.toStdString(), 16);
      if (v > 0xFFFF) throw RuntimeError(kErrOverflow);
      return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    }
    case ColumnMode::Ascii: {
      std::string hex;
      return fncCnvAsciiToAray(cp932::encode(text.toStdString()), hex);
    }
    default:
      return 0;
  }
}

int findColumn(const FlexGrid& grid, ColumnMode mode) {
  for (int c = 1; c < grid.cols(); ++c)
    if (grid.columnMode(c) == mode) return c;
  return -1;
}

void raise(const CellSink& sink, const RowDevice* device, const char* code) {
  if (sink.renew) sink.renew(device ? device->code : std::string(), code);
}

}  // namespace

QString columnHeading(ColumnMode mode) {
  switch (mode) {
    case ColumnMode::Address: return QStringLiteral("Address");
    case ColumnMode::Dec: return QStringLiteral("Dec");
    case ColumnMode::Hex: return QStringLiteral("Hex");
    case ColumnMode::Ascii: return QStringLiteral("ASCII");
    case ColumnMode::Comment: return QStringLiteral("Device Comment");
    default: return {};
  }
}

QString typedKey(int key, const QString& text, Qt::KeyboardModifiers modifiers) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kEnter;
    case Qt::Key_Backspace: return kBackspace;
    case Qt::Key_Escape: return kEsc;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return {};
    default: break;
  }
  if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier) && key >= Qt::Key_A &&
      key <= Qt::Key_Z)
    return QString(QChar(static_cast<char16_t>(key - Qt::Key_A + 1)));  // Ctrl+C = 3, Ctrl+V = 22
  if (text.size() == 1 && text.at(0).unicode() == 0x7F) return {};
  return text;
}

QString fncWordText(std::int16_t value, ColumnMode mode) {
  switch (mode) {
    case ColumnMode::Dec: return QString::number(value);
    case ColumnMode::Hex:
      return QStringLiteral("%1").arg(static_cast<std::uint16_t>(value), 4, 16, QLatin1Char('0')).toUpper();
    case ColumnMode::Ascii: return QString::fromStdString(cp932::decode(fncWordToAscii(value)));
    default: return {};
  }
}

// ---------------------------------------------------------------- typing on a cell

DirectInput fncInput_Direct(ErrorSink& errors, const FlexGrid& grid, const QString& key) {
  return guarded<DirectInput>(errors, "mdlSubWordDevice.fncInput_Direct() ", {}, [&](ErrorTrap& trap) {
    trap.section(100);
    DirectInput in;
    const int row = grid.row(), col = grid.col();
    auto open = [&](const QString& text, bool withCellText) {
      in.action = DirectAction::OpenEditor;
      in.text = withCellText ? grid.textMatrix(row, col) : text;
      in.selectAll = withCellText;
    };
    const bool one = key.size() == 1;
    const QChar c = one ? key.at(0) : QChar();
    switch (grid.columnMode(col)) {
      case ColumnMode::Dec:
        in.maxLength = 6;
        if (key == kEnter) open({}, true);
        else if (one && (c == u'-' || isDigit(c))) open(key, false);
        break;
      case ColumnMode::Hex:
        in.maxLength = 4;
        if (key == kEnter) open({}, true);
        else if (one && (isUpperHex(c) || isLowerHex(c))) open(key.toUpper(), false);
        break;
      case ColumnMode::Ascii:
        in.maxLength = 2;
        if (key == kEnter) open({}, true);
        else if (isPrintable(key)) open(key, false);
        break;
      case ColumnMode::Comment:
        in.maxLength = 99;
        if (key == kEnter) open({}, true);
        else if (isPrintable(key)) open(key, false);
        break;
      case ColumnMode::Bit:
        if (key == u"0" || key == u" ") in.action = DirectAction::Reset;
        else if (key == u"1") in.action = DirectAction::Set;
        else if (key == kEnter) in.action = DirectAction::Not;
        break;
      case ColumnMode::Other:
      case ColumnMode::Address:
        break;
    }
    return in;
  });
}

QString fncEditKeyFilter(ErrorSink& errors, const FlexGrid& grid, int col, const QString& key) {
  return guarded<QString>(errors, "mdlSubWordDevice.fncEditKeyFilter() ", {}, [&](ErrorTrap& trap) {
    trap.section(100);
    if (key == kEsc || key == kEnter) return key;
    const bool one = key.size() == 1;
    const QChar c = one ? key.at(0) : QChar();
    switch (grid.columnMode(col)) {
      case ColumnMode::Dec:
        return (key == kBackspace || (one && isDigit(c))) ? key : QString();
      case ColumnMode::Hex:
        if (key == kBackspace || (one && isUpperHex(c))) return key;
        return (one && isLowerHex(c)) ? key.toUpper() : QString();
      case ColumnMode::Ascii:
      case ColumnMode::Comment:
        return key;
      default:
        return QString();
    }
  });
}

CellEditor::CellEditor(ErrorSink& errors, QWidget* parent) : QLineEdit(parent), errors_(errors) {
  setObjectName(QStringLiteral("txtInput"));
  setFrame(false);
  hide();
}

void CellEditor::open(FlexGrid& grid, int row, int col, const QString& text, bool selectAll, int maxLength) {
  grid_ = &grid;
  row_ = row;
  col_ = col;
  // The editor lives in the viewport of the grid it edits, so it scrolls
  // with the cell.
  if (parentWidget() != grid.viewport()) setParent(grid.viewport());
  const ColumnMode mode = grid.columnMode(col);
  setAttribute(Qt::WA_InputMethodEnabled, mode == ColumnMode::Ascii || mode == ColumnMode::Comment);
  // The cell's own font, so the text does not jump when the editor opens.
  const FlexGrid::CellStyle style = grid.cellStyle(row, col);
  setFont(style.hasFont ? style.font : grid.font());
  clear();
  setMaxLength(maxLength > 0 ? maxLength : 32767);
  setGeometry(grid.cellRect(row, col));
  show();
  raise();
  setFocus(Qt::OtherFocusReason);
  insert(text);
  if (selectAll) this->selectAll();
}

void CellEditor::close() {
  closing_ = true;
  if (grid_ && hasFocus()) grid_->setFocus(Qt::OtherFocusReason);
  hide();
  closing_ = false;
}

void CellEditor::keyPressEvent(QKeyEvent* event) {
  const QString key = typedKey(event->key(), event->text(), event->modifiers());
  if (key.isEmpty() || !grid_) {  // movement and deletion keys edit as usual
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString passed = fncEditKeyFilter(errors_, *grid_, col_, key);
  event->accept();  // Enter and Esc must not reach the grid underneath
  if (passed.isEmpty()) return;
  if (passed == kEsc) {
    close();
    emit cancelled();
    return;
  }
  if (passed == kEnter) {
    finish();
    return;
  }
  if (passed == key) {
    QLineEdit::keyPressEvent(event);
  } else {
    QKeyEvent changed(event->type(), event->key(), event->modifiers(), passed, event->isAutoRepeat(),
                      static_cast<quint16>(event->count()));
    QLineEdit::keyPressEvent(&changed);
  }
}

void CellEditor::finish() {
  FlexGrid* grid = grid_;
  const int row = row_, col = col_;
  const QString t = text();
  close();
  if (t.isEmpty()) {
    emit committedEmpty(row, col);
  } else {
    emit committed(row, col, t);
    if (grid) grid->moveDown();
  }
}

void CellEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A context menu or another window taking the focus keeps the edit open.
  if (closing_ || event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
    return;
  hide();
}

void subShowCellEditor(ErrorSink& errors, FlexGrid& grid, CellEditor& editor, const QString& text,
                       bool selectAll, int maxLength) {
  guarded(errors, "mdlSubWordDevice.subShowCellEditor() ", [&](ErrorTrap& trap) {
    trap.section(100);
    editor.open(grid, grid.row(), grid.col(), text, selectAll, maxLength);
  });
}

std::optional<std::string> fncAsciiTextRefusal(const std::string& utf8) {
  if (cp932::decode(cp932::encode(utf8)) != utf8)
    return omb::trs("CellInput", "「") + utf8 + omb::trs("CellInput", "」にはシステムの文字コードで表せない文字があります。");
  return std::nullopt;
}

std::optional<std::string> fncAsciiWordRefusal(const std::string& utf8) {
  if (auto why = fncAsciiTextRefusal(utf8)) return why;
  if (cp932::encode(utf8).size() > 2)
    return omb::trs("CellInput", "「") + utf8 + omb::trs("CellInput", "」は１ワードに入りません。\r\n１ワードには半角２文字か全角１文字が入ります。");
  return std::nullopt;
}

std::optional<std::int16_t> fncCellEditValue(ErrorSink& errors, FlexGrid& grid, int row, int col,
                                              const QString& text,
                                              const std::function<void(const std::string&)>& refuse) {
  return guarded<std::optional<std::int16_t>>(
      errors, "mdlSubWordDevice.fncCellEditValue() ", std::nullopt,
      [&](ErrorTrap& trap) -> std::optional<std::int16_t> {
        trap.section(100);
        const ColumnMode mode = grid.columnMode(col);
        if (mode == ColumnMode::Comment) {
          grid.setTextMatrix(row, col, text);
          return std::nullopt;
        }
        if (mode != ColumnMode::Dec && mode != ColumnMode::Hex && mode != ColumnMode::Ascii) return std::nullopt;
        if (mode == ColumnMode::Ascii && !text.isEmpty()) {
          if (const auto why = fncAsciiWordRefusal(text.toStdString())) {
            if (refuse) refuse(*why);
            return std::nullopt;
          }
        }
        trap.section(200);
        const std::int16_t word = wordFromText(text, mode);
        trap.section(300);
        for (int c = 1; c < grid.cols(); ++c) {
          const ColumnMode m = grid.columnMode(c);
          if (m == ColumnMode::Dec || m == ColumnMode::Hex || m == ColumnMode::Ascii)
            grid.setTextMatrix(row, c, fncWordText(word, m));
        }
        return word;
      });
}

// ---------------------------------------------------------------- address texts

SplitAddress fncSplitAddress(const QString& addressText) {
  SplitAddress s;
  if (addressText.isEmpty()) return s;
  const QChar first = addressText.at(0);
  const int len = (first == u'T' || first == u'C') && addressText.size() >= 2 ? 2 : 1;
  s.code = addressText.left(len).toStdString();
  s.digits = static_cast<int>(addressText.size()) - len;
  return s;
}

std::int32_t fncAddressNumber(const QString& addressText) {
  const SplitAddress s = fncSplitAddress(addressText);
  if (s.digits <= 0) return -1;
  const int kind = kindOfCode(s.code);
  const int radix = kind >= 0 ? kindInfo(kind).radix : 10;
  const QString rest = addressText.mid(static_cast<qsizetype>(s.code.size()));
  if (rest.isEmpty() || !(radix == 16 ? isUpperHex(rest.at(0)) || isLowerHex(rest.at(0)) : isDigit(rest.at(0))))
    return -1;
  return readRadix(rest.toStdString(), radix);
}

// ---------------------------------------------------------------- copy and paste

void subFgrid_Copy(ErrorSink& errors, const FlexGrid& grid, CopyBuffer& buffer, const CellSink& sink) {
  guarded(errors, "mdlSubWordDevice.subFgrid_Copy() ", [&](ErrorTrap& trap) {
    trap.section(100);
    const int commentCol = findColumn(grid, ColumnMode::Comment);
    std::vector<std::int16_t> values;
    std::vector<std::string> comments;
    trap.section(200);
    for (int r = grid.topRow(); r <= grid.bottomRow(); ++r) {
      if (!grid.rowDevice(r)) continue;
      values.push_back(sink.readRowWord ? sink.readRowWord(r) : std::int16_t{0});
      comments.push_back(commentCol > 0 ? grid.textMatrix(r, commentCol).toStdString() : std::string());
    }
    trap.section(300);
    buffer.values = std::move(values);
    buffer.comments = std::move(comments);
    buffer.filled = true;
  });
}

void subFgrid_Past(ErrorSink& errors, const FlexGrid& grid, const CopyBuffer& buffer, const CellSink& sink) {
  if (!buffer.filled) return;
  guarded(errors, "mdlSubWordDevice.subFgrid_Past() ", [&](ErrorTrap& trap) {
    trap.section(100);
    const int current = grid.row();
    const ColumnMode mode = grid.columnMode(grid.col());
    if (mode == ColumnMode::Bit) return;
    const bool comments = mode == ColumnMode::Comment;
    const std::size_t count = comments ? buffer.comments.size() : buffer.values.size();
    const int last = std::min<std::int64_t>(grid.rows() - 1, current + static_cast<std::int64_t>(count) - 1);
    std::size_t next = 0;
    trap.section(200);
    for (int r = current; r <= last; ++r) {
      const RowDevice* device = grid.rowDevice(r);
      if (!device) continue;
      const std::size_t i = next++;
      if (comments) {
        const std::string& comment = buffer.comments[i];
        if (!comment.empty() && sink.addComment)
          sink.addComment(device->text + u'\t' + QString::fromStdString(comment));
      } else if (sink.writeWord) {
        sink.writeWord(*device, buffer.values[i]);
      }
    }
    trap.section(300);
    raise(sink, grid.rowDevice(current), comments ? "CMNT" : "DATA");
  });
}

void subBitPaste(ErrorSink& errors, const FlexGrid& grid, const CopyBuffer& buffer, const std::string& device,
                 const CellSink& sink) {
  if (!buffer.filled) return;
  guarded(errors, "mdlSubWordDevice.subBitPaste() ", [&](ErrorTrap& trap) {
    trap.section(100);
    const int current = grid.row();
    const int last =
        std::min<std::int64_t>(grid.rows() - 1, current + static_cast<std::int64_t>(buffer.values.size()) - 1);
    std::size_t next = 0;
    trap.section(200);
    for (int r = current; r <= last; ++r) {
      const RowDevice* device = grid.rowDevice(r);
      if (!device) continue;
      const std::int16_t v = buffer.values[next++];
      if (sink.writeWord) sink.writeWord(*device, v);
    }
    trap.section(300);
    if (sink.renew) sink.renew(device, "DATA");
  });
}

void subCellEditWrite(ErrorSink& errors, FlexGrid& grid, int row, int col, const QString& text,
                      const CellSink& sink) {
  // A row without a device (past the device's end) takes no input at all.
  const RowDevice* found = grid.rowDevice(row);
  if (!found) return;
  const RowDevice device = *found;
  const std::optional<std::int16_t> word = fncCellEditValue(errors, grid, row, col, text, sink.refuse);
  guarded(errors, "mdlSubWordDevice.subCellEditWrite() ", [&](ErrorTrap& trap) {
    trap.section(100);
    if (grid.columnMode(col) == ColumnMode::Comment) {
      if (sink.addComment) sink.addComment(device.text + u'\t' + text);
      raise(sink, &device, "CMNT");
    } else if (word) {
      if (sink.writeWord) sink.writeWord(device, *word);
      raise(sink, &device, "DATA");
    }
  });
}

}  // namespace omb

#include "store/comment_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>

#include "core/atomic_file.h"
#include "core/cp932.h"
#include "core/numeric.h"
#include "store/error_log.h"
#include "core/translate.h"

namespace omb {

namespace {

const char kFullWidthSpace[] = "\xE3\x80\x80";  // "　"

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A whole number in the radix, blanks around it allowed; anything else is
// the type-mismatch error, a value beyond 32 bits the overflow error.
std::int32_t strictNumber(std::string_view text, int radix) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const auto isDigit = [radix](char c) {
    return (c >= '0' && c <= '9') || (radix == 16 && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
  };
  if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit)) throw RuntimeError(kErrTypeMismatch);
  const std::int32_t value = readRadix(text, radix);
  return negative ? -value : value;
}

// Lines of a text, CR LF or LF ended; a last line without an end counts.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// A comment lives on one line of the file.
std::string oneLine(std::string comment) {
  std::replace(comment.begin(), comment.end(), '\r', ' ');
  std::replace(comment.begin(), comment.end(), '\n', ' ');
  return comment;
}

// The address text of a view with its two-letter T and C codes reduced to
// the table letter (TN00015 -> T00015), and a bit of a word named by its
// word (D000100-F -> D000100): the bit shares the word's comment.
std::string tableText(std::string text) {
  const std::size_t dash = text.find('-');
  if (dash != std::string::npos && dash + 2 == text.size()) text.erase(dash);
  if (text.size() >= 2 && (text[0] == 'T' || text[0] == 'C')) return text.substr(0, 1) + text.substr(2);
  return text;
}

}  // namespace

// ---------------------------------------------------------------- table

void CommentTable::clear() {
  entries_.assign(1, CommentEntry{});
  reindex();
}

void CommentTable::reindex() {
  first_.clear();
  first_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) first_.emplace(entries_[i].number, i);
}

const std::string* CommentTable::find(std::int32_t number) const {
  const auto it = first_.find(number);
  return it == first_.end() ? nullptr : &entries_[it->second].comment;
}

void CommentTable::set(std::int32_t number, std::string comment) {
  comment = oneLine(std::move(comment));
  if (entries_.size() == 1) {
    CommentEntry& only = entries_[0];
    if (only.number == number || only.comment.empty()) {
      only = CommentEntry{number, std::move(comment)};
      reindex();
      return;
    }
  } else if (const auto it = first_.find(number); it != first_.end()) {
    entries_[it->second].comment = std::move(comment);
    return;
  }
  entries_.push_back(CommentEntry{number, std::move(comment)});
  first_.emplace(number, entries_.size() - 1);
}

void CommentTable::remove(std::int32_t number) {
  const auto it = first_.find(number);
  if (it != first_.end()) entries_[it->second] = CommentEntry{};
  if (entries_.size() > 1) {
    std::erase_if(entries_, [](const CommentEntry& e) { return e.comment.empty(); });
    if (entries_.empty()) entries_.push_back(CommentEntry{});
  }
  reindex();
}

void CommentTable::assign(std::vector<CommentEntry> entries) {
  if (entries.empty()) entries.push_back(CommentEntry{});
  for (CommentEntry& e : entries) e.comment = oneLine(std::move(e.comment));
  entries_ = std::move(entries);
  reindex();
}

// ---------------------------------------------------------------- store

int CommentStore::tableOf(char letter) {
  for (int i = 0; i < kCommentTables; ++i)
    if (kCommentLetters[static_cast<std::size_t>(i)] == letter) return i;
  return -1;
}

int CommentStore::radixOf(int table) {
  const char l = kCommentLetters[static_cast<std::size_t>(table)];
  return l == 'W' || l == 'X' || l == 'Y' || l == 'B' ? 16 : 10;
}

std::optional<int> CommentStore::tableOfText(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const int t = tableOf(text.front());
  if (t < 0) return std::nullopt;
  return t;
}

void CommentStore::subClear_Comment() {
  for (CommentTable& t : tables_) t.clear();
}

void CommentStore::subGet_Coment(char separator, const std::string& line, int table, int radix) {
  getComent(errors_, separator, line, table, radix);
}

void CommentStore::getComent(ErrorSink& errors, char separator, const std::string& line, int table, int radix) {
  const std::size_t cut = line.find(separator);
  std::string comment;
  if (cut != std::string::npos) {
    const std::size_t next = line.find(separator, cut + 1);
    comment = line.substr(cut + 1, next == std::string::npos ? std::string::npos : next - cut - 1);
  }
  setComment(errors, line.substr(0, cut), std::move(comment), table, radix);
}

void CommentStore::setComment(ErrorSink& errors, const std::string& address, std::string comment, int table,
                              int radix) {
  guarded(errors, "mdlFileAccess.subGet_Coment() ", [&](ErrorTrap&) {
    const std::int32_t number = strictNumber(std::string_view(address).substr(std::min<std::size_t>(1, address.size())), radix);
    if (comment.empty()) comment = kFullWidthSpace;
    tables_[static_cast<std::size_t>(table)].set(number, std::move(comment));
  });
}

void CommentStore::subDell_Coment(const std::string& addressText, int table, int radix) {
  guarded(errors_, "mdlFileAccess.subDell_Coment() ", [&](ErrorTrap&) {
    const std::int32_t number =
        strictNumber(std::string_view(addressText).substr(std::min<std::size_t>(1, addressText.size())), radix);
    tables_[static_cast<std::size_t>(table)].remove(number);
  });
}

void CommentStore::subAdd_Comment(const std::string& line) {
  if (line.empty()) return;
  guarded(errors_, "mdlFileAccess.subAdd_Comment() ", [&](ErrorTrap&) {
    // The comment is all that follows the first TAB: a comment typed in a
    // view may hold tabs of its own.
    const std::size_t tab = line.find('\t');
    const std::string address = tableText(line.substr(0, tab));
    if (const auto t = tableOfText(address))
      setComment(errors_, address, tab == std::string::npos ? std::string() : line.substr(tab + 1), *t, radixOf(*t));
  });
}

void CommentStore::subRemove_Comment(const std::string& addressText) {
  if (addressText.empty()) return;
  guarded(errors_, "mdlFileAccess.subAdd_Comment() ", [&](ErrorTrap&) {
    const std::string text = tableText(addressText);
    if (const auto t = tableOfText(text)) subDell_Coment(text, *t, radixOf(*t));
  });
}

std::string CommentStore::fncDeviceComment(std::string_view code, std::int64_t number) const {
  return guarded<std::string>(errors_, "mdlSub.fncDeviceComment() ", {}, [&](ErrorTrap&) -> std::string {
    char letter;
    if (code == "T" || code == "TS" || code == "TC") letter = 'T';
    else if (code == "C" || code == "CS" || code == "CC") letter = 'C';
    else if (code.size() == 1 && code != "T" && code != "C" && tableOf(code.front()) >= 0) letter = code.front();
    else return {};
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
      return {};
    const std::string* c = tables_[static_cast<std::size_t>(tableOf(letter))].find(static_cast<std::int32_t>(number));
    return c ? *c : std::string();
  });
}

std::string CommentStore::commentOfAddress(const std::string& addressText) const {
  const std::string text = tableText(addressText);
  const auto t = tableOfText(text);
  if (!t || text.size() < 2) return {};
  try {
    const std::int32_t number = strictNumber(std::string_view(text).substr(1), radixOf(*t));
    const std::string* c = tables_[static_cast<std::size_t>(*t)].find(number);
    return c ? *c : std::string();
  } catch (const RuntimeError&) {
    return {};
  }
}

bool CommentStore::fncRead_Comment(char separator, const std::string& path) {
  return guarded<bool>(errors_, "mdlFileAccess.fncRead_Comment() ", false, [&](ErrorTrap&) {
    std::string bytes;
    int error = 0;
    const bool whole = readWholeFile(path, bytes, error);
    // What was read before a read error is imported all the same.  The
    // lines that do not parse are told all at once, not a box each, each
    // by the file's name, its line number and its text (the procedure's
    // own "Line 0" section would read like a line of the file).
    struct Collect : ErrorSink {
      void subPutErrorLog(const std::string& detail, const std::string& location) override {
        std::string why = detail;
        if (why.rfind("Line ", 0) == 0 && why.find(':') != std::string::npos) why.erase(0, why.find(':') + 1);
        reports.push_back({file + " " + omb::fill(omb::trs("CommentStore", "%1 行目「%2」: "), {std::to_string(lineNo), line}) + why, location});
      }
      std::string file;
      std::size_t lineNo = 0;
      std::string line;
      std::vector<Report> reports;
    } refused;
    refused.file = subGetFolda_Path(path).name;
    const std::string text = cp932::decode(bytes);
    for (std::string_view line : splitLines(text)) {
      ++refused.lineNo;
      if (line.empty()) continue;
      const int t = tableOf(line.front());
      if (t < 0) continue;
      refused.line = std::string(line);
      getComent(refused, separator, refused.line, t, radixOf(t));
    }
    if (!refused.reports.empty()) errors_.subPutErrorLogs(refused.reports);
    if (!whole) throw RuntimeError(errorFromErrno(error));
    return true;
  });
}

std::string quoteComment(std::string_view comment) {
  std::string out = "\"";
  for (char c : comment) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string unquoteComment(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  if (field.empty() || field.front() != '"') {
    const std::size_t comma = field.find(',');
    return std::string(trimBlanks(field.substr(0, comma)));
  }
  std::string out;
  for (std::size_t i = 1; i < field.size(); ++i) {
    if (field[i] != '"') {
      out += field[i];
    } else if (i + 1 < field.size() && field[i + 1] == '"') {
      out += '"';
      ++i;
    } else {
      break;
    }
  }
  return out;
}

std::string CommentStore::fileBytes() const {
  std::string text;
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    const auto& entries = tables_[t].entries();
    text += kCommentLetters[t];
    text += "\r\n ";
    text += std::to_string(entries.size() - 1);
    text += " \r\n";
    for (const CommentEntry& e : entries) {
      text += std::to_string(e.number);
      text += ',';
      text += quoteComment(e.comment);
      text += "\r\n";
    }
  }
  return cp932::encode(text);
}

bool CommentStore::subFile_putDevCmnt(const std::string& path) {
  return guarded<bool>(errors_, "frmMain.subFile_putDevCmnt() ", false, [&](ErrorTrap&) {
    if (const auto failed = writeFileAtomically(path, fileBytes()))
      throw RuntimeError(errorFromErrno(failed->error));
    return true;
  });
}

bool CommentStore::readFileBytes(std::string_view bytes) {
  subClear_Comment();
  return guarded<bool>(errors_, "frmMain.subFile_getDevCmnt() ", false, [&](ErrorTrap& trap) {
    const std::string text = cp932::decode(bytes);
    const std::vector<std::string_view> lines = splitLines(text);
    std::size_t next = 0;
    auto line = [&]() -> std::string_view {
      if (next >= lines.size()) throw RuntimeError(kErrInputPastEnd);
      return lines[next++];
    };
    for (std::size_t t = 0; t < tables_.size(); ++t) {
      trap.section(static_cast<int>(t) + 1);
      line();  // the letter: the order of the blocks assigns them
      const std::int32_t upper = strictNumber(line(), 10);
      if (upper < 0) throw RuntimeError(kErrSubscript);
      std::vector<CommentEntry> entries;
      try {
        for (std::int64_t i = 0; i <= upper; ++i) {
          const std::string_view pair = line();
          const std::size_t comma = pair.find(',');
          if (comma == std::string_view::npos) throw RuntimeError(kErrInputPastEnd);
          const std::int32_t number = strictNumber(pair.substr(0, comma), 10);
          entries.push_back(CommentEntry{number, unquoteComment(pair.substr(comma + 1))});
        }
      } catch (...) {
        if (!entries.empty()) tables_[t].assign(std::move(entries));
        throw;
      }
      tables_[t].assign(std::move(entries));
    }
    return true;
  });
}

bool CommentStore::subFile_getDevCmnt(const std::string& path) {
  std::string bytes;
  int error = 0;
  if (!readWholeFile(path, bytes, error)) {
    subClear_Comment();
    return guarded<bool>(errors_, "frmMain.subFile_getDevCmnt() ", false, [&](ErrorTrap&) -> bool {
      throw RuntimeError(errorFromErrno(error));
    });
  }
  return readFileBytes(bytes);
}

}  // namespace omb

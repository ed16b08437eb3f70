// Device comments: one free-text comment per device address, kept in twelve
// tables (T, C, D, W, R, X, Y, M, L, S, B, F) that the device codes share
// (TN, TS and TC use T; CN, CS and CC use C; the special registers and
// relays use D and M), the comment file that travels with a project, and
// the import of separated text files.
//
// A table is an ordered list of (number, comment).  It always holds at
// least one entry; its empty state is the single free slot (0, "").  Entries
// keep their insertion order and the first entry of a number wins; an index
// from number to that first entry keeps lookups, edits and imports fast for
// tables of a hundred thousand comments without changing which entry is
// found.
//
// Text is UTF-8 here and CP932 in files.
//
// The comment file, one block per table in the order above, lines ended by
// CR LF:
//
//   D                  the table's letter
//    2                 its upper index (entries - 1), printed with a sign blank and a trailing blank
//   100,"Pump ""A"""   one line per entry: the number in decimal, a comma, the quoted comment
//
// A double quote inside a comment is written twice, as spreadsheets write
// it in CSV, so every comment reads back exactly as it was written (commas,
// tabs, blanks at either end and Japanese text included).  A reader of
// files written before the doubling sees the same text wherever those files
// could be read at all: a single quote still ends the text, and anything
// after the closing quote is ignored.  Line breaks cannot be part of a
// comment: they are stored as blanks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/error.h"

namespace omb {

struct CommentEntry {
  std::int32_t number = 0;
  std::string comment;
};

// One table.  Its entries are read through entries(); every change goes
// through the operations, which keep the lookup index right.
class CommentTable {
 public:
  CommentTable() { clear(); }

  const std::vector<CommentEntry>& entries() const { return entries_; }
  // Back to the single free slot.
  void clear();
  // The comment of the first entry with this number, or nothing.
  const std::string* find(std::int32_t number) const;
  // Sets a comment (not empty): a one-entry table whose entry has this
  // number or is free takes it over; otherwise the first entry with the
  // number gets it, or a new entry is appended.
  void set(std::int32_t number, std::string comment);
  // The first entry of the number becomes free; a table of more than one
  // entry then keeps only its entries with a comment (the free slot when
  // none is left).
  void remove(std::int32_t number);
  // Replaces the entries as a file lists them (at least one).
  void assign(std::vector<CommentEntry> entries);

 private:
  void reindex();
  std::vector<CommentEntry> entries_;
  std::unordered_map<std::int32_t, std::size_t> first_;  // number -> first entry with a comment
};

inline constexpr int kCommentTables = 12;
// The table letters in their fixed order.
inline constexpr std::array<char, kCommentTables> kCommentLetters{'T', 'C', 'D', 'W', 'R', 'X',
                                                                  'Y', 'M', 'L', 'S', 'B', 'F'};

class CommentStore {
 public:
  explicit CommentStore(ErrorSink& errors) : errors_(errors) {}

  // Table index of a letter (upper case), or -1.
  static int tableOf(char letter);
  // Hexadecimal numbers for the W, X, Y and B tables.
  static int radixOf(int table);

  const CommentTable& table(int index) const { return tables_[static_cast<std::size_t>(index)]; }

  // Every table back to its free slot.
  void subClear_Comment();
  // line = address text ("D000100", "TN00015", "X00001F"), TAB, comment
  // (everything after the first TAB, tabs included).  Empty lines and texts
  // of no table change nothing.
  void subAdd_Comment(const std::string& line);
  // Removes the comment of an address text.
  void subRemove_Comment(const std::string& addressText);
  // The comment of a device code ("D", "TS", "X" ...) and number; empty when
  // there is none.  TN and CN have no comments of their own.
  std::string fncDeviceComment(std::string_view code, std::int64_t number) const;
  // The comment of an address text as the views show it, empty when none;
  // a bit of a word (D000100-F) has its word's comment.
  std::string commentOfAddress(const std::string& addressText) const;

  // One line of a separated text: field 1 the address text (one-letter
  // code), field 2 the comment ("　" when missing or empty), further fields
  // dropped.  A field 1 that is not a number is reported and the line
  // skipped.
  void subGet_Coment(char separator, const std::string& line, int table, int radix);
  void subDell_Coment(const std::string& addressText, int table, int radix);

  // The import of a text file (system code page): every line that starts
  // with a table letter.  False when the file could not be opened or read
  // to its end (reported; the lines read so far stay).
  bool fncRead_Comment(char separator, const std::string& path);

  // The comment file as bytes, and written to `path` whole or not at all
  // (reported; false on failure).
  std::string fileBytes() const;
  bool subFile_putDevCmnt(const std::string& path);
  // Reads a comment file: the tables it holds replace the store's.  A
  // missing block or a malformed pair is reported; the tables read
  // completely keep their new contents, the one being read the pairs read
  // so far, the rest are empty.  False on failure.
  bool subFile_getDevCmnt(const std::string& path);
  // The same from the file's bytes.
  bool readFileBytes(std::string_view bytes);

 private:
  // Table and radix of an address text's first character; nothing for a
  // text of no table.
  static std::optional<int> tableOfText(std::string_view text);
  void getComent(ErrorSink& errors, char separator, const std::string& line, int table, int radix);
  void setComment(ErrorSink& errors, const std::string& address, std::string comment, int table, int radix);
  std::array<CommentTable, kCommentTables> tables_;
  ErrorSink& errors_;
};

// A comment as the file writes it: in double quotes, a quote inside doubled.
std::string quoteComment(std::string_view comment);
// The comment of one pair's text after the number's comma: the quoted text
// (doubled quotes read as one), or the bare text up to the next comma when
// it is not quoted.
std::string unquoteComment(std::string_view field);

}  // namespace omb

// Initialisation files in the Windows profile style:
//
//   [section]
//   key=value
//
// stored in the system code page (CP932).  Names and values in this
// interface are UTF-8; the file keeps its bytes.  A file saved as UTF-8 by
// a Linux editor (a UTF-8 byte order mark, or text that is valid UTF-8 and
// not plain ASCII) is read as UTF-8 and written back as UTF-8, its mark
// kept; CP932 text is practically never valid UTF-8, so the two do not mix
// up.
//
// Reading: section and key names are matched without regard to the case of
// ASCII letters (Japanese names compare exactly); the first section and the
// first key of a name win.  Blanks (space, tab) around names and values are
// ignored.  A value is cut to its first 126 bytes in the file, never in the
// middle of a double-byte character.  Lines whose first non-blank character
// is ";" are comments; lines before the first section header and lines that
// are neither header nor "key=value" are ignored.
//
// Writing replaces only the value of the key written: the line keeps its
// bytes up to and including the "=", the value follows, the line keeps its
// own line end.  A missing key is added after the last key of its section
// (right after the header when the section has none), a missing section at
// the end of the file.  Every other line stays byte for byte as it was,
// with its own line end; added lines take the file's line end (that of its
// first line, CR LF for a new file).
//
// The file is rewritten as a whole into a temporary file in the same folder
// that then replaces it, so a crash leaves either the old or the new file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace omb {

class IniFile {
 public:
  enum class Encoding { Cp932, Utf8 };
  // Longest value a read returns, in file bytes.
  static constexpr std::size_t kMaxValueBytes = 126;

  // An empty file that is not present on disk.
  IniFile() = default;

  // Reads the file.  A missing file gives an empty document that is not
  // present().  A file that exists but cannot be read raises RuntimeError.
  static IniFile load(const std::string& path);

  // The document built from file bytes, as if read from disk.
  static IniFile fromBytes(std::string bytes);

  // True when load() found the file.
  bool present() const { return present_; }
  // The encoding the file was read in (and is written in).
  Encoding encoding() const { return encoding_; }
  // Lines (1-based) of a UTF-8 file that are not UTF-8: their names and
  // values cannot be read.
  const std::vector<std::size_t>& undecodableLines() const { return undecodable_; }
  // The 1-based line of `key` in `section`; empty when not present.
  std::optional<std::size_t> lineOf(std::string_view section, std::string_view key) const;

  // The value of `key` in `section`; empty when the section or the key is
  // not present.  A key written with nothing after "=" is present and empty.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // The value, or an empty text when the section or the key is not present.
  std::string read(std::string_view section, std::string_view key) const {
    return value(section, key).value_or(std::string());
  }

  // Sets `key` of `section` to `value` (see the file comment for where).
  // Names and values that would not read back (a line break anywhere, "="
  // in a key or a key starting with ";" or "[", "]" in a section name, an
  // empty section or key) raise RuntimeError (invalid procedure call) and
  // change nothing.
  void write(std::string_view section, std::string_view key, std::string_view value);

  // The file as it will be written, in CP932.
  std::string bytes() const;

  // Writes the document to `path` through a temporary file in the same
  // folder.  Failures raise RuntimeError; the file at `path` is then as it
  // was before.
  void save(const std::string& path) const;

 private:
  enum class LineKind { Other, Section, Key };
  struct Line {
    std::string text;  // CP932 bytes without the line end
    std::string eol;   // "\r\n", "\n" or "" (last line without one)
    LineKind kind = LineKind::Other;
    std::string name;         // section or key name, trimmed, UTF-8
    std::size_t valueAt = 0;  // Key: byte offset just after the "="
  };

  void parse(Line& line) const;
  std::string decode(std::string_view bytes) const;
  std::string encode(std::string_view utf8) const;
  std::optional<std::size_t> findSection(std::string_view section) const;
  std::size_t sectionEnd(std::size_t header) const;  // index of the next header or size()
  std::optional<std::size_t> findKey(std::size_t header, std::string_view key) const;
  std::string lineEnd() const;

  std::vector<Line> lines_;
  bool present_ = false;
  Encoding encoding_ = Encoding::Cp932;
  std::vector<std::size_t> undecodable_;
  bool bom_ = false;
};

// The value of a key in the file at `file`; empty when the file, the
// section or the key is missing.  A file that cannot be read raises
// RuntimeError.
std::string fncReadIni(std::string_view section, std::string_view key, const std::string& file);

// Writes one key into the file at `file` (creating the file when it is
// missing).  Does nothing and answers false when the key or the value is
// empty; true when written.  A failed write raises RuntimeError.
bool fncWriteIni(std::string_view section, std::string_view key, std::string_view value,
                 const std::string& file);

}  // namespace omb

#include "store/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/atomic_file.h"
#include "core/cp932.h"
#include "core/error.h"

namespace omb {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Blanks are single bytes below any trail byte of a double-byte character,
// so trimming the raw CP932 bytes at both ends is safe.
std::string_view trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Position of the single-byte character `c`: in CP932 bytes the second
// byte of a double-byte character is skipped ("]" and "=" can be trail
// bytes); in UTF-8 no byte of a longer character is below 80h.
std::size_t findChar(std::string_view s, char c, std::size_t from, bool cp932Bytes) {
  for (std::size_t i = from; i < s.size();) {
    if (cp932Bytes && cp932::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == c) return i;
    ++i;
  }
  return std::string_view::npos;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare in UTF-8, where every byte below 80h is a real ASCII
// character; only those fold.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

[[noreturn]] void raiseErrno(int e) { throw RuntimeError(errorFromErrno(e)); }

// Valid UTF-8 (plain ASCII included).
bool validUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// Valid UTF-8 with at least one character beyond ASCII.
bool looksUtf8(std::string_view s) {
  return validUtf8(s) && std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// At most n bytes of UTF-8, never ending inside a character.
std::string_view utf8Left(std::string_view s, std::size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

}  // namespace

std::string IniFile::decode(std::string_view bytes) const {
  return encoding_ == Encoding::Utf8 ? std::string(bytes) : cp932::decode(bytes);
}

std::string IniFile::encode(std::string_view utf8) const {
  return encoding_ == Encoding::Utf8 ? std::string(utf8) : cp932::encode(utf8);
}

std::optional<std::size_t> IniFile::lineOf(std::string_view section, std::string_view key) const {
  auto header = findSection(section);
  if (!header) return std::nullopt;
  auto at = findKey(*header, key);
  if (!at) return std::nullopt;
  return *at + 1;
}

void IniFile::parse(Line& line) const {
  line.kind = LineKind::Other;
  line.name.clear();
  line.valueAt = 0;
  std::string_view t = line.text;
  std::size_t i = 0;
  while (i < t.size() && isBlank(t[i])) ++i;
  if (i == t.size() || t[i] == ';') return;
  if (t[i] == '[') {
    std::size_t close = findChar(t, ']', i + 1, encoding_ == Encoding::Cp932);
    if (close == std::string_view::npos) return;
    line.kind = LineKind::Section;
    line.name = decode(trim(t.substr(i + 1, close - i - 1)));
    return;
  }
  std::size_t eq = findChar(t, '=', i, encoding_ == Encoding::Cp932);
  if (eq == std::string_view::npos) return;
  line.kind = LineKind::Key;
  line.name = decode(trim(t.substr(0, eq)));
  line.valueAt = eq + 1;
}

IniFile IniFile::fromBytes(std::string bytes) {
  IniFile ini;
  std::string_view all = bytes;
  if (all.substr(0, 3) == "\xEF\xBB\xBF") {
    ini.encoding_ = Encoding::Utf8;
    ini.bom_ = true;
    all.remove_prefix(3);
  } else {
    // Line by line: a UTF-8 file with a stray line in another code (a
    // pasted CP932 comment) is still UTF-8; that line is named, not every
    // key of the file.
    std::size_t utf8Lines = 0, otherLines = 0;
    std::vector<std::size_t> other;
    std::size_t number = 0;
    for (std::size_t at = 0; at < all.size();) {
      std::size_t nl = all.find('\n', at);
      if (nl == std::string_view::npos) nl = all.size();
      const std::string_view line = all.substr(at, nl - at);
      ++number;
      if (looksUtf8(line)) ++utf8Lines;
      else if (!validUtf8(line)) {
        ++otherLines;
        other.push_back(number);
      }
      at = nl + 1;
    }
    if (utf8Lines > otherLines) {
      ini.encoding_ = Encoding::Utf8;
      ini.undecodable_ = std::move(other);
    }
  }
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t nl = all.find('\n', start);
    Line line;
    if (nl == std::string_view::npos) {
      line.text = std::string(all.substr(start));
      start = all.size();
    } else {
      std::size_t end = nl;
      if (end > start && all[end - 1] == '\r') --end;
      line.text = std::string(all.substr(start, end - start));
      line.eol = std::string(all.substr(end, nl + 1 - end));
      start = nl + 1;
    }
    ini.parse(line);
    ini.lines_.push_back(std::move(line));
  }
  ini.present_ = true;
  return ini;
}

IniFile IniFile::load(const std::string& path) {
  // Never blocks and reads only a regular file (a FIFO or a device named
  // as the settings file is refused at once).
  std::string bytes;
  int error = 0;
  if (!readWholeFile(path, bytes, error)) {
    if (error == ENOENT) return IniFile();
    raiseErrno(error);
  }
  return fromBytes(std::move(bytes));
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == LineKind::Section && sameName(lines_[i].name, section)) return i;
  return std::nullopt;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != LineKind::Section) ++i;
  return i;
}

std::optional<std::size_t> IniFile::findKey(std::size_t header, std::string_view key) const {
  std::size_t end = sectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i)
    if (lines_[i].kind == LineKind::Key && sameName(lines_[i].name, key)) return i;
  return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  auto header = findSection(section);
  if (!header) return std::nullopt;
  auto at = findKey(*header, key);
  if (!at) return std::nullopt;
  const Line& line = lines_[*at];
  std::string_view v = trim(std::string_view(line.text).substr(line.valueAt));
  if (encoding_ == Encoding::Utf8) return std::string(utf8Left(v, kMaxValueBytes));
  return cp932::decode(cp932::leftBytes(v, kMaxValueBytes));
}

std::string IniFile::lineEnd() const {
  for (const Line& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return "\r\n";
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
  if (trim(section).empty() || trim(key).empty() || hasLineBreak(section) || hasLineBreak(key) ||
      hasLineBreak(value) || section.find(']') != std::string_view::npos ||
      key.find('=') != std::string_view::npos || trim(key).front() == ';' || trim(key).front() == '[')
    throw RuntimeError(kErrInvalidCall);
  const std::string eol = lineEnd();
  auto makeLine = [this](std::string text, std::string lineEnd) {
    Line l;
    l.text = std::move(text);
    l.eol = std::move(lineEnd);
    parse(l);
    return l;
  };
  // A line that gets a successor needs a line end of its own.
  auto endLineBefore = [&](std::size_t pos) {
    if (pos > 0 && lines_[pos - 1].eol.empty()) lines_[pos - 1].eol = eol;
  };

  auto header = findSection(section);
  if (!header) {
    std::size_t pos = lines_.size();
    endLineBefore(pos);
    lines_.push_back(makeLine("[" + encode(section) + "]", eol));
    lines_.push_back(makeLine(encode(key) + "=" + encode(value), eol));
    return;
  }
  if (auto at = findKey(*header, key)) {
    Line& line = lines_[*at];
    line.text = line.text.substr(0, line.valueAt) + encode(value);
    parse(line);
    return;
  }
  // After the section's last key, so that blank lines and comments that
  // lead into the next section stay in front of it.
  std::size_t pos = *header + 1;
  for (std::size_t i = *header + 1, end = sectionEnd(*header); i < end; ++i)
    if (lines_[i].kind == LineKind::Key) pos = i + 1;
  endLineBefore(pos);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos),
                makeLine(encode(key) + "=" + encode(value), eol));
}

std::string IniFile::bytes() const {
  std::string out = bom_ ? "\xEF\xBB\xBF" : "";
  for (const Line& l : lines_) out += l.text + l.eol;
  return out;
}

void IniFile::save(const std::string& path) const {
  if (const auto failed = writeFileAtomically(path, bytes())) raiseErrno(failed->error);
}

std::string fncReadIni(std::string_view section, std::string_view key, const std::string& file) {
  return IniFile::load(file).read(section, key);
}

bool fncWriteIni(std::string_view section, std::string_view key, std::string_view value,
                 const std::string& file) {
  if (key.empty() || value.empty()) return false;
  IniFile ini = IniFile::load(file);
  ini.write(section, key, value);
  ini.save(file);
  return true;
}

}  // namespace omb

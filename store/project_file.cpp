#include "store/project_file.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/cp932.h"
#include "core/device_memory.h"
#include "core/numeric.h"
#include "link/framing.h"
#include "link/link_settings.h"
#include "store/binary_reader.h"
#include "core/translate.h"

namespace omb {

namespace {

const char* const kMultiMark = "Ver 2.0.125";
const char* const kWindowMark = "Ver 2.0.128";

std::string trimBlanks(std::string s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

class Writer {
 public:
  void i16(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out_ += static_cast<char>(u & 0xFF);
    out_ += static_cast<char>(u >> 8);
  }
  void i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  void f32(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    i32(static_cast<std::int32_t>(u));
  }
  void b16(bool v) { i16(v ? -1 : 0); }
  // A run of words in one go (device memory is most of a file).
  void words(const std::vector<std::int16_t>& v) {
    const std::size_t at = out_.size();
    out_.resize(at + 2 * v.size());
    char* p = out_.data() + at;
    for (std::int16_t w : v) {
      const auto u = static_cast<std::uint16_t>(w);
      *p++ = static_cast<char>(u & 0xFF);
      *p++ = static_cast<char>(u >> 8);
    }
  }
  void reserve(std::size_t n) { out_.reserve(n); }
  void text(const std::string& utf8) {
    const std::string bytes = cp932::encode(utf8);
    const std::size_t n = std::min<std::size_t>(bytes.size(), 0xFFFF);
    i16(static_cast<std::int16_t>(static_cast<std::uint16_t>(n)));
    out_.append(bytes, 0, n);
  }
  // Exactly n bytes, cut without splitting a double-byte character and
  // padded with blanks.
  void fixed(const std::string& utf8, std::size_t n) {
    std::string bytes = cp932::leftBytes(cp932::encode(utf8), n);
    bytes.resize(n, ' ');
    out_ += bytes;
  }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

struct Corrupt : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Reader = BinaryReader;

// The number of storage words a range dimensions, as device memory counts
// them; refused when the program cannot hold it.
std::int64_t wordsOf(int kind, const DevRange& r) {
  const std::int64_t points = std::int64_t{r.last} - r.first + 1;
  if (points <= 0 || points > DeviceMemory::kMaxPoints)
    throw Corrupt(omb::trs("ProjectFile", "デバイス範囲 ") + r.code + " (" + std::to_string(r.first) + omb::trs("ProjectFile", "～") + std::to_string(r.last) +
                  omb::trs("ProjectFile", ") はこのプログラムでは扱えません。"));
  const std::int64_t count = isWordKind(kind) ? points : wordsForPoints(points);
  if (count <= 0) throw Corrupt(omb::trs("ProjectFile", "デバイス範囲 ") + r.code + omb::trs("ProjectFile", " が不正です。"));
  return count;
}

void writeRange(Writer& w, const DevRange& r) {
  w.text(r.code);
  w.text(r.firstText);
  w.text(r.lastText);
  w.i32(r.first);
  w.i32(r.last);
}

DevRange readRange(Reader& r) {
  DevRange d;
  d.code = r.text();
  d.firstText = r.text();
  d.lastText = r.text();
  d.first = r.i32();
  d.last = r.i32();
  return d;
}

void writeUserList(Writer& w, const UserList& list) {
  for (const auto& e : list) w.text(e.code);
  for (const auto& e : list) w.text(e.addressText);
  for (const auto& e : list) w.text(e.comment);
  for (const auto& e : list) w.i32(e.number);
  w.i16(list.nextIndex());
  w.i16(list.count());
}

void readUserList(Reader& r, UserList& list) {
  for (auto& e : list) e.code = r.text();
  for (auto& e : list) e.addressText = r.text();
  for (auto& e : list) e.comment = r.text();
  for (auto& e : list) e.number = r.i32();
  const std::int16_t next = r.i16();
  const std::int16_t count = r.i16();
  list.setCounters(next, count);
}

template <std::size_t N>
void writeLinkList(Writer& w, const LinkList<N>& list) {
  for (const auto& e : list) w.text(e.deviceText);
  for (const auto& e : list) w.text(e.code);
  for (const auto& e : list) w.i32(e.number);
  for (const auto& e : list) w.i16(e.isBit ? 1 : 0);
}

template <std::size_t N>
void readLinkList(Reader& r, LinkList<N>& list) {
  for (auto& e : list) e.deviceText = r.text();
  for (auto& e : list) e.code = r.text();
  for (auto& e : list) e.number = r.i32();
  for (auto& e : list) e.isBit = r.i16() != 0;
}

template <std::size_t N>
void writeTexts(Writer& w, const std::array<std::string, N>& texts, std::size_t count = N) {
  for (std::size_t i = 0; i < count; ++i) w.text(texts[i]);
}

template <std::size_t N>
void readTexts(Reader& r, std::array<std::string, N>& texts, std::size_t count = N) {
  for (std::size_t i = 0; i < count; ++i) texts[i] = r.text();
}

void writeTriples(Writer& w, const std::array<std::array<std::int16_t, 3>, kViewSlotCount>& t) {
  for (const auto& slot : t)
    for (std::int16_t v : slot) w.i16(v);
}

void readTriples(Reader& r, std::array<std::array<std::int16_t, 3>, kViewSlotCount>& t) {
  for (auto& slot : t)
    for (std::int16_t& v : slot) v = r.i16();
}

void writeColumnStyle(Writer& w, const ColumnStyle& c) {
  w.b16(c.set);
  w.b16(c.bold);
  w.b16(c.italic);
  w.text(c.fontName);
  w.f32(c.fontSize);
  w.b16(c.strikethrough);
  w.b16(c.underline);
  w.i32(c.backColour);
  w.i32(c.foreColour);
}

ColumnStyle readColumnStyle(Reader& r) {
  ColumnStyle c;
  c.set = r.b16();
  c.bold = r.b16();
  c.italic = r.b16();
  c.fontName = r.text();
  c.fontSize = r.f32();
  c.strikethrough = r.b16();
  c.underline = r.b16();
  c.backColour = r.i32();
  c.foreColour = r.i32();
  return c;
}

}  // namespace

std::string encodeProject(const ProjectImage& p) {
  Writer w;
  std::size_t words = 0;
  for (const auto& m : p.memory) words += m.size();
  w.reserve(2 * words + 64 * 1024);
  w.fixed(kProjectVersion, 20);
  for (const WindowSetting& s : p.windows) {
    w.i16(s.Page);
    w.i32(s.Top);
    w.i32(s.Left);
    w.i32(s.Width);
    w.i32(s.Height);
    w.b16(s.flg);
  }
  for (const DevRange& r : p.range5) writeRange(w, r);
  for (const DevRange& r : p.range7) writeRange(w, r);
  writeTriples(w, p.pageTable);
  for (const auto& m : p.memory) w.words(m);
  writeUserList(w, p.userWordList);
  writeUserList(w, p.userBitList);
  writeLinkList(w, p.lists.TestBitList);
  writeTexts(w, p.monitorComments.testBit);
  writeLinkList(w, p.lists.TestWordList);
  writeTexts(w, p.monitorComments.testWord);
  for (const auto& e : p.lists.TestWordList) w.i16(static_cast<std::int16_t>(e.value));
  writeLinkList(w, p.lists.MoniBitList);
  writeTexts(w, p.monitorComments.moniBit, 20);
  writeLinkList(w, p.lists.MoniWordList);
  writeTexts(w, p.monitorComments.moniWord);
  for (std::int16_t v : p.reserved) w.i16(v);
  for (bool b : p.menus.flags()) w.b16(b);
  for (bool b : p.handshakes) w.b16(b);
  w.i16(p.wait);
  w.fixed(trimBlanks(p.station), 2);
  w.i16(p.sum);
  w.fixed(trimBlanks(p.comment), 40);
  // Items of 2.0.125.
  writeTriples(w, p.multiPageTable);
  for (std::int16_t v : p.multiLast) w.i16(v);
  for (const ProjectImage::Kind& k : p.kinds) {
    w.i16(static_cast<std::int16_t>(k.records.size()));
    w.b16(k.open);
    std::int32_t number = 0;
    for (const MultiWindowRecord& r : k.records) {
      w.i32(++number);
      w.i32(r.top);
      w.i32(r.left);
      w.i32(r.width);
      w.i32(r.height);
      w.i32(r.startOffset);
    }
  }
  for (std::int16_t v : p.multiNo) w.i16(v);
  w.i16(p.comPort);
  w.i16(static_cast<std::int16_t>(p.cellStyles.size() - 1));
  for (const CellStyleRecord& c : p.cellStyles) {
    w.text(c.code);
    w.i32(c.number);
    w.text(c.addressText);
    for (const ColumnStyle& s : c.columns) writeColumnStyle(w, s);
  }
  // Item of 2.0.128.
  w.i32(p.windowTop);
  w.i32(p.windowLeft);
  w.i32(p.windowHeight);
  w.i32(p.windowWidth);
  return w.take();
}

ProjectRead decodeProject(std::string_view bytes) {
  ProjectRead result;
  if (bytes.empty() || bytes.front() != 'V') {
    result.notAProject = true;
    return result;
  }
  try {
    Reader r(bytes);
    ProjectImage p;
    p.version = r.fixed(20);
    for (WindowSetting& s : p.windows) {
      s.Page = r.i16();
      s.Top = r.i32();
      s.Left = r.i32();
      s.Width = r.i32();
      s.Height = r.i32();
      s.flg = r.b16();
    }
    for (DevRange& d : p.range5) d = readRange(r);
    for (DevRange& d : p.range7) d = readRange(r);
    readTriples(r, p.pageTable);
    // Storage is sized by the ranges just read: refused before anything
    // is allocated when the program cannot hold it or the file is too
    // short to fill it.
    std::int64_t total = 0;
    std::array<std::int64_t, kKindCount> counts{};
    for (int k = 0; k < kKindCount; ++k) total += counts[static_cast<std::size_t>(k)] = wordsOf(k, p.range7[static_cast<std::size_t>(k)]);
    if (static_cast<std::int64_t>(r.left()) < 2 * total) throw Truncated();
    for (int k = 0; k < kKindCount; ++k) {
      auto& words = p.memory[static_cast<std::size_t>(k)];
      words.resize(static_cast<std::size_t>(counts[static_cast<std::size_t>(k)]));
      for (std::int16_t& v : words) v = r.i16();
    }
    readUserList(r, p.userWordList);
    readUserList(r, p.userBitList);
    readLinkList(r, p.lists.TestBitList);
    readTexts(r, p.monitorComments.testBit);
    readLinkList(r, p.lists.TestWordList);
    readTexts(r, p.monitorComments.testWord);
    for (auto& e : p.lists.TestWordList) e.value = r.i16();
    readLinkList(r, p.lists.MoniBitList);
    readTexts(r, p.monitorComments.moniBit, 20);
    readLinkList(r, p.lists.MoniWordList);
    readTexts(r, p.monitorComments.moniWord);
    for (std::int16_t& v : p.reserved) v = r.i16();
    p.menus = readLinkMenus(r);
    for (bool& b : p.handshakes) b = r.b16();
    p.wait = r.i16();
    p.station = r.fixed(2);
    p.sum = r.i16();
    p.comment = r.fixed(40);
    if (versionAtLeast(p.version, kMultiMark)) {
      p.hasMultiScreen = true;
      readTriples(r, p.multiPageTable);
      for (std::int16_t& v : p.multiLast) v = r.i16();
      for (ProjectImage::Kind& k : p.kinds) {
        const std::int16_t n = r.i16();
        k.open = r.b16();
        if (n < 0 || static_cast<std::int64_t>(r.left()) < 24 * std::int64_t{n}) throw Truncated();
        k.records.resize(static_cast<std::size_t>(n));
        for (MultiWindowRecord& rec : k.records) {
          rec.number = r.i32();
          rec.top = r.i32();
          rec.left = r.i32();
          rec.width = r.i32();
          rec.height = r.i32();
          rec.startOffset = r.i32();
        }
      }
      for (std::int16_t& v : p.multiNo) v = r.i16();
      p.comPort = r.i16();
      const std::int16_t upper = r.i16();
      if (upper < 0) throw Corrupt(omb::trs("ProjectFile", "セル書式の件数が不正です。"));
      p.cellStyles.assign(static_cast<std::size_t>(upper) + 1, CellStyleRecord{});
      for (CellStyleRecord& c : p.cellStyles) {
        c.code = r.text();
        c.number = r.i32();
        c.addressText = r.text();
        for (ColumnStyle& s : c.columns) s = readColumnStyle(r);
      }
      if (versionAtLeast(p.version, kWindowMark)) {
        p.hasWindow = true;
        p.windowTop = r.i32();
        p.windowLeft = r.i32();
        p.windowHeight = r.i32();
        p.windowWidth = r.i32();
      }
    }
    result.image = std::move(p);
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  return result;
}

namespace {

std::string unusable(const std::string& field, const std::string& value) {
  return field + omb::trs("ProjectFile", " の値 ") + value + omb::trs("ProjectFile", " はこのプログラムでは扱えません。");
}

// A group of menu entries of which exactly one must be checked; the
// entries checked, by caption, when not.
template <std::size_t N>
std::string oneOf(const char* field, const std::array<bool, N>& checked, const std::array<const char*, N>& captions,
                  bool noneAllowed = false) {
  std::string value;
  int count = 0;
  for (std::size_t i = 0; i < N; ++i)
    if (checked[i]) {
      value += (count++ ? "," : "") + omb::trs("ProjectFile", captions[i]);
    }
  if (count == 1 || (count == 0 && noneAllowed)) return {};
  return unusable(omb::trs("ProjectFile", field), count == 0 ? omb::trs("ProjectFile", "（選択なし）") : value);
}

}  // namespace

std::string unusableSetting(const LinkMenus& m, const std::string& station, std::int16_t sum) {
  for (const std::string& why :
       {oneOf(QT_TRANSLATE_NOOP("ProjectFile", "専用プロトコル"), m.formats, {QT_TRANSLATE_NOOP("ProjectFile", "形式１"), QT_TRANSLATE_NOOP("ProjectFile", "形式２"), QT_TRANSLATE_NOOP("ProjectFile", "形式３"), QT_TRANSLATE_NOOP("ProjectFile", "形式４")}),
        oneOf(QT_TRANSLATE_NOOP("ProjectFile", "CPUタイプ"), std::array<bool, 2>{m.acpu, m.anAcpu}, {"ACPU", "AnACPU"}),
        oneOf(QT_TRANSLATE_NOOP("ProjectFile", "ボーレート"), m.bauds, {"19200", "9600", "4800", "2400", "1200", "600", "300"}),
        oneOf(QT_TRANSLATE_NOOP("ProjectFile", "パリティ"), m.parities, {QT_TRANSLATE_NOOP("ProjectFile", "無し"), QT_TRANSLATE_NOOP("ProjectFile", "偶数"), QT_TRANSLATE_NOOP("ProjectFile", "奇数")}),
        oneOf(QT_TRANSLATE_NOOP("ProjectFile", "キャラクタ長"), std::array<bool, 2>{m.charLen8, m.charLen7}, {"8", "7"}),
        oneOf(QT_TRANSLATE_NOOP("ProjectFile", "ストップビット"), std::array<bool, 2>{m.stopBit1, m.stopBit2}, {"1", "2"})})
    if (!why.empty()) return why;
  // Control characters are shown by name: the text is for a person, and
  // such a station never reaches the line.
  if (!isStationNumber(station)) return unusable(omb::trs("ProjectFile", "局番号"), "\"" + renderFrame(station).replaced + "\"");
  if (sum < 0 || sum > 2) return unusable(omb::trs("ProjectFile", "チェックサム有り"), std::to_string(sum));
  return {};
}

std::string unusableSetting(const ProjectImage& p) {
  if (std::string why = unusableSetting(p.menus, p.station, p.sum); !why.empty()) return why;
  if (std::string why = oneOf(QT_TRANSLATE_NOOP("ProjectFile", "ハンドシェーク"), p.handshakes, {QT_TRANSLATE_NOOP("ProjectFile", "無し"), "XOnXOff", "RTS", "RTSXOnXOff"}, true);
      !why.empty())
    return why;
  if (p.wait < LinkSettings::kWaitMinMs || p.wait > LinkSettings::kWaitMaxMs)
    return unusable(omb::trs("ProjectFile", "受信文字間 Wait"), std::to_string(p.wait));
  return {};
}

ProjectRead readProject(std::string_view bytes) {
  ProjectRead read = decodeProject(bytes);
  if (read.image) {
    read.error = unusableSetting(*read.image);
    if (!read.error.empty()) read.image.reset();
  }
  return read;
}

std::array<bool, LinkMenus::kCount> LinkMenus::flags() const {
  std::array<bool, kCount> f{};
  std::size_t i = 0;
  for (bool b : formats) f[i++] = b;
  f[i++] = acpu;
  f[i++] = anAcpu;
  for (bool b : bauds) f[i++] = b;
  for (bool b : parities) f[i++] = b;
  f[i++] = charLen8;
  f[i++] = charLen7;
  f[i++] = stopBit1;
  f[i++] = stopBit2;
  return f;
}

LinkMenus readLinkMenus(BinaryReader& r) {
  LinkMenus m;
  for (bool& b : m.formats) b = r.b16();
  m.acpu = r.b16();
  m.anAcpu = r.b16();
  for (bool& b : m.bauds) b = r.b16();
  for (bool& b : m.parities) b = r.b16();
  m.charLen8 = r.b16();
  m.charLen7 = r.b16();
  m.stopBit1 = r.b16();
  m.stopBit2 = r.b16();
  return m;
}

namespace {
// Folder of the project + its name up to the first "." + `suffix`.
std::string companionOf(const std::string& projectPath, const char* suffix) {
  const std::size_t slash = projectPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : projectPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? projectPath : projectPath.substr(slash + 1);
  return folder + name.substr(0, name.find('.')) + suffix;
}
}  // namespace

std::string commentFileOf(const std::string& projectPath) { return companionOf(projectPath, "_Device.cmt"); }
std::string simFileOf(const std::string& projectPath) { return companionOf(projectPath, "_Sim.txt"); }
std::string scriptFileOf(const std::string& projectPath) { return companionOf(projectPath, "_Script.js"); }

}  // namespace omb

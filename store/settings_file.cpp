#include "store/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>

#include "core/dev_range.h"
#include "core/device_kind.h"
#include "core/numeric.h"
#include "store/ini_file.h"
#include "core/translate.h"

namespace omb {

namespace {

constexpr const char* kReadLabel = "mdlFileAccess.fncGetIniFile() ";
constexpr const char* kWriteLabel = "mdlFileAccess.subPutIniFile() ";

constexpr const char* kSecFolderPath = "フォルダパス";
constexpr const char* kSecFolderName = "フォルダ名";
constexpr const char* kSecFileName = "ファイル名";
constexpr const char* kSecBuffers = "通信ポート";
constexpr const char* kSecCheckBoxes = "チェックボックス";
constexpr const char* kSecOptions = "オプションボタン";
constexpr const char* kSecRange5 = "デバイス範囲５桁";
constexpr const char* kSecRange7 = "デバイス範囲７桁";
constexpr const char* kSecBitPages = "ビットデバイス画面設定";
constexpr const char* kSecWordPages = "ワードデバイス画面設定";
constexpr const char* kSecMultiBit = "マルチビットデバイス画面設定";
constexpr const char* kSecMultiWord = "マルチワードデバイス画面設定";
constexpr const char* kSecBitTexts = "ビット表示設定";
constexpr const char* kSecWindows = "画面サイズ";
constexpr const char* kSecComPorts = "COMポート";

// Keys of "ビットデバイス画面設定" and the page-table slots they set: the
// bit kinds at their own slots, D W R Dx at the bit displays of those word
// devices (20-23), not at the word views.
struct SlotKey {
  const char* key;
  int slot;
};
constexpr SlotKey kBitPageKeys[] = {
    {"X", kX},   {"Y", kY},   {"M", kM},   {"L", kL},   {"S", kS},   {"B", kB},
    {"F", kF},   {"Mx", kMx}, {"TS", kTS}, {"TC", kTC}, {"CS", kCS}, {"CC", kCC},
    {"D", 20},   {"W", 21},   {"R", 22},   {"Dx", 23},
};
constexpr SlotKey kWordPageKeys[] = {
    {"TN", kTN}, {"CN", kCN}, {"D", kD}, {"W", kW}, {"R", kR}, {"Dx", kDx},
};
constexpr SlotKey kMultiBitKeys[] = {
    {"X", kX}, {"Y", kY}, {"M", kM}, {"L", kL}, {"S", kS}, {"B", kB}, {"F", kF},
};
constexpr SlotKey kMultiWordKeys[] = {
    {"TN", kTN}, {"CN", kCN}, {"D", kD}, {"W", kW}, {"R", kR},
};

std::string_view trimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The whole text as a decimal number: [+-] digits [. digits] [e [+-] digits],
// at least one digit before or after the point.
std::optional<double> strictNumber(std::string_view text) {
  std::string_view t = trimBlanks(text);
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9') ++j, ++expDigits;
    if (expDigits == 0) return std::nullopt;
    i = j;
  }
  if (i != t.size()) return std::nullopt;
  // from_chars does not take a leading "+".
  std::string_view body = t.front() == '+' ? t.substr(1) : t;
  double v = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
  if (ec == std::errc::result_out_of_range) throw RuntimeError(kErrOverflow);
  if (ec != std::errc() || end != body.data() + body.size()) return std::nullopt;
  return v;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

CheckState checkState(const std::string& text) {
  std::int16_t v = fncIniLenient16(text);
  if (v == 0) return CheckState::Unchecked;
  if (v == 2) return CheckState::Grayed;
  return CheckState::Checked;  // 1 and every other number
}

template <std::size_t N>
void optionIndex(std::array<bool, N>& options, const std::string& text) {
  std::int16_t v = fncIniLenient16(text);
  options.fill(false);
  if (v >= 0 && static_cast<std::size_t>(v) < N) options[static_cast<std::size_t>(v)] = true;
}

// Decimal text of a twip count: whole numbers without a point, fractions
// with their decimals, never in exponent form.
std::string twipText(double v) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
    return std::to_string(static_cast<long long>(v));
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v), std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

std::string windowKey(int n, const char* field) {
  return "G_SetWindow[" + std::to_string(n) + "]_" + field;
}

// The reader of one pass: every assignment is one step; a step that fails
// leaves its target as it was and becomes one problem that names the file,
// section, key and line.  The problems are reported together at the end.
class Reader {
 public:
  struct Problem {
    int section;  // the reader's section number
    int number;   // the error number
    std::string description, iniSection, key, value;
    std::optional<std::size_t> line;
  };

  Reader(const IniFile& ini, ErrorTrap& trap) : ini_(ini), trap_(trap) {}

  std::string text(const char* section, const std::string& key) const { return ini_.read(section, key); }

  template <class F>
  void step(const char* section, const std::string& key, F&& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      fail(section, key, e.number(), e.description());
    } catch (const std::bad_alloc&) {
      fail(section, key, kErrOutOfMemory, errorDescription(kErrOutOfMemory));
    } catch (const std::exception&) {
      fail(section, key, kErrInvalidCall, errorDescription(kErrInvalidCall));
    }
  }

  // A range key: two device texts of the kind joined by "-", the first not
  // after the last.  A value that cannot be used leaves the record as it
  // was and answers false.
  bool range(DevRange& r, int kind, const char* section) {
    const std::string code = kindInfo(kind).code;
    bool ok = false;
    step(section, code, [&] {
      const std::string value = text(section, code);
      if (value.empty()) throw RuntimeError(kErrSubscript, omb::trs("SettingsFile", "値がありません"));
      const std::size_t dash = value.find('-');
      if (dash == std::string::npos) throw RuntimeError(kErrSubscript, omb::trs("SettingsFile", "「先頭-最終」の形ではありません"));
      std::size_t next = value.find('-', dash + 1);
      const std::string first = value.substr(0, dash);
      const std::string last =
          value.substr(dash + 1, next == std::string::npos ? std::string::npos : next - dash - 1);
      const std::string textCode = kindInfo(kind).textCode;
      if (first.rfind(textCode, 0) != 0 || last.rfind(textCode, 0) != 0)
        throw RuntimeError(kErrTypeMismatch, omb::trs("SettingsFile", "デバイス記号が ") + textCode + omb::trs("SettingsFile", " ではありません"));
      // Every character after the code is a digit of the kind's radix: a
      // number read only up to a stray letter would serve another range
      // than the one written.
      const int radix = kindInfo(kind).radix;
      for (const std::string& t : {first, last}) {
        const std::string digits = t.substr(textCode.size());
        const bool ok = !digits.empty() && std::all_of(digits.begin(), digits.end(), [radix](char c) {
          return (c >= '0' && c <= '9') || (radix == 16 && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
        });
        if (!ok)
          throw RuntimeError(kErrTypeMismatch,
                             omb::trs("SettingsFile", "「") + t + omb::trs("SettingsFile", "」の番号が ") + (radix == 16 ? "16" : "10") + omb::trs("SettingsFile", " 進の数字ではありません"));
      }
      DevRange parsed = r;
      fncSetRangeFromValue(parsed, kind, first + "-" + last);
      if (parsed.first > parsed.last) throw RuntimeError(kErrSubscript, omb::trs("SettingsFile", "先頭が最終より後ろです"));
      parsed.firstText = first;
      parsed.lastText = last;
      r = parsed;
      ok = true;
    });
    return ok;
  }

  // A value that is read (as the rules say) but cannot be what was meant:
  // named like a failure, and the target takes what the rules give.
  void warn(const char* section, const std::string& key, const std::string& description) {
    fail(section, key, kErrTypeMismatch, description);
  }
  // A line of the file that could not be decoded.
  void badLine(std::size_t line, const std::string& description) {
    problems_.push_back({trap_.currentSection(), kErrTypeMismatch, description, "", "", "", line});
  }

  const std::vector<Problem>& problems() const { return problems_; }
  // Each problem in plain words, for a person reading standard error.
  std::vector<std::string> plainTexts(const std::string& file) const {
    std::vector<std::string> out;
    for (const Problem& p : problems_) {
      std::string where = file;
      if (p.iniSection.empty()) where += " (" + omb::fill(omb::trs("SettingsFile", "%1 行目)"), {std::to_string(p.line.value_or(0))});
      else
        where += " [" + p.iniSection + "] " + p.key +
                 (p.line ? " (" + omb::fill(omb::trs("SettingsFile", "%1 行目) = \""), {std::to_string(*p.line)}) + p.value + "\"" : std::string(omb::trs("SettingsFile", " (キーがありません)")));
      out.push_back(where + ": " + p.description);
    }
    return out;
  }
  // Adds what was done about it to the last problem.
  void note(const std::string& text) {
    if (!problems_.empty()) problems_.back().description += omb::trs("SettingsFile", "（") + text + omb::trs("SettingsFile", "）");
  }

  // Every problem of the pass, each naming where it is, told together.
  void report(const std::string& file) const {
    if (problems_.empty()) return;
    std::vector<ErrorSink::Report> reports;
    for (const Problem& p : problems_) {
      std::string detail = "Line " + std::to_string(p.section) + ":" + p.description + " -- " + file;
      if (p.iniSection.empty()) detail += " (" + omb::fill(omb::trs("SettingsFile", "%1 行目)"), {std::to_string(p.line.value_or(0))});
      else
        detail += " [" + p.iniSection + "] " + p.key +
                  (p.line ? " (" + omb::fill(omb::trs("SettingsFile", "%1 行目) = \""), {std::to_string(*p.line)}) + p.value + "\"" : std::string(omb::trs("SettingsFile", " (キーがありません)")));
      reports.push_back({detail, trap_.locationText(p.number)});
    }
    trap_.sink().subPutErrorLogs(reports);
  }

 private:
  void fail(const char* section, const std::string& key, int number, const std::string& description) {
    problems_.push_back(
        {trap_.currentSection(), number, description, section, key, text(section, key), ini_.lineOf(section, key)});
  }

  const IniFile& ini_;
  ErrorTrap& trap_;
  std::vector<Problem> problems_;
};

}  // namespace

std::int16_t fncIniLenient16(const std::string& text) { return toInt16(leadingNumber(text)); }
std::int32_t fncIniLenient32(const std::string& text) { return toInt32(leadingNumber(text)); }

std::int16_t fncIniStrict16(const std::string& text) {
  auto v = strictNumber(text);
  if (!v) throw RuntimeError(kErrTypeMismatch);
  return toInt16(*v);
}

bool fncIniBoolean(const std::string& text) {
  std::string_view t = trimBlanks(text);
  if (equalsAsciiNoCase(t, "true")) return true;
  if (equalsAsciiNoCase(t, "false")) return false;
  auto v = strictNumber(t);
  if (!v) throw RuntimeError(kErrTypeMismatch);
  return *v != 0;
}

SettingsFile::SettingsFile(std::string programFolder, SystemState& state, Settings& settings,
                           Presenter& presenter)
    : programFolder_(std::move(programFolder)), state_(state), settings_(settings), presenter_(presenter) {
  if (programFolder_.empty() || programFolder_.back() != '/') programFolder_ += '/';
}

bool SettingsFile::fncGetIniFile(int startSection) {
  ErrorTrap trap(state_.errors, kReadLabel);
  const std::string file = fileName();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    presenter_.message(omb::trs("SettingsFile", "初期設定ファイル\r\n") + file +
                           omb::trs("SettingsFile", "\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n"),
                       omb::trs("SettingsFile", "初期設定ファイル異常"), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  // The file is read once; a file that is there but cannot be read gives
  // nothing to go on, so it ends the read like a missing one (after the
  // report that says why) instead of reporting every key.
  IniFile ini;
  trap.section(kIniSectionOpen);
  try {
    ini = IniFile::load(file);
  } catch (const RuntimeError& e) {
    trap.report(e);
    return false;
  }
  if (!ini.present()) {  // removed between the two looks
    trap.report(kErrFileNotFound, errorDescription(kErrFileNotFound));
    return false;
  }

  Reader rd(ini, trap);
  Settings& s = settings_;
  auto from = [&](int section) {
    if (startSection > section) return false;
    trap.section(section);
    return true;
  };
  // A lenient number reads what it can; text that is not wholly a number
  // is named (it is read as its leading number, as ever).
  auto notANumber = [&](const char* sec, const std::string& key) {
    const std::string t = rd.text(sec, key);
    bool whole = true;
    try {
      whole = t.empty() || strictNumber(t).has_value();
    } catch (const RuntimeError&) {
      // too large: the read itself names it
    }
    if (!whole)
      rd.warn(sec, key, omb::trs("SettingsFile", "数値ではありません（") + std::to_string(static_cast<long long>(leadingNumber(t))) + omb::trs("SettingsFile", " として読みます）"));
  };
  auto lenient16 = [&](const char* sec, const std::string& key, std::int16_t& target) {
    notANumber(sec, key);
    rd.step(sec, key, [&] { target = fncIniLenient16(rd.text(sec, key)); });
  };
  auto lenient32 = [&](const char* sec, const std::string& key, std::int32_t& target) {
    notANumber(sec, key);
    rd.step(sec, key, [&] { target = fncIniLenient32(rd.text(sec, key)); });
  };
  // A check state is 0, 1 or 2; an option index lies within its group.
  auto inChoices = [&](const char* sec, const std::string& key, int count, bool checkBox) {
    const std::string t = rd.text(sec, key);
    if (t.empty()) return;
    std::optional<double> v;
    try {
      v = strictNumber(t);
    } catch (const RuntimeError&) {
      return;  // too large: the read itself names it
    }
    if (v && *v == std::trunc(*v) && *v >= 0 && *v < count) return;
    const bool zero = leadingNumber(t) == 0;
    rd.warn(sec, key, omb::trs("SettingsFile", "0 から ") + std::to_string(count - 1) + omb::trs("SettingsFile", " のどれかでなければなりません（") +
                          (checkBox ? (zero ? omb::trs("SettingsFile", "0 として読みます") : omb::trs("SettingsFile", "1 として読みます")) : omb::trs("SettingsFile", "どれも選ばれません")) + omb::trs("SettingsFile", "）"));
  };
  // Devices per page divide the devices into pages: 0 or less cannot.
  auto positive = [&](const char* sec, const std::string& key, std::int64_t value) {
    if (value <= 0 && !rd.text(sec, key).empty())
      rd.warn(sec, key, omb::trs("SettingsFile", "1 以上の数でなければなりません（ページ数を計算できません）"));
  };
  for (std::size_t line : ini.undecodableLines())
    rd.badLine(line, ini.encoding() == IniFile::Encoding::Utf8 ? omb::trs("SettingsFile", "UTF-8 として読めない文字があります（この行は使われません）")
                                                               : omb::trs("SettingsFile", "読めない文字があります"));

  if (from(kIniSectionFolderPath)) {
    s.folders.SysLogPath = rd.text(kSecFolderPath, "SysLog");
    s.folders.ComLogPath = rd.text(kSecFolderPath, "ComLog");
    s.folders.ProjectsPath = rd.text(kSecFolderPath, "Projects");
  }
  if (from(kIniSectionFolderName)) {
    s.folders.SysLogName = rd.text(kSecFolderName, "SysLog");
    s.folders.ComLogName = rd.text(kSecFolderName, "ComLog");
    s.folders.ProjectsName = rd.text(kSecFolderName, "Projects");
  }
  if (from(kIniSectionFileName)) {
    s.GS_ComLog = rd.text(kSecFileName, "GS_ComLog");
    s.GS_ComLogHdd = rd.text(kSecFileName, "GS_ComLogHdd");
  }
  if (from(kIniSectionBuffers)) {
    lenient16(kSecBuffers, "GE_InBufferSize", s.GE_InBufferSize);
    lenient16(kSecBuffers, "GE_OutBufferSize", s.GE_OutBufferSize);
  }
  if (from(kIniSectionCheckBoxes)) {
    for (const char* key : {"ViewAlert", "LogFile", "LogDsp"}) inChoices(kSecCheckBoxes, key, 3, true);
    rd.step(kSecCheckBoxes, "ViewAlert", [&] { s.ViewAlert = checkState(rd.text(kSecCheckBoxes, "ViewAlert")); });
    rd.step(kSecCheckBoxes, "LogFile", [&] { s.LogFile = checkState(rd.text(kSecCheckBoxes, "LogFile")); });
    rd.step(kSecCheckBoxes, "LogDsp", [&] { s.LogDsp = checkState(rd.text(kSecCheckBoxes, "LogDsp")); });
  }
  if (from(kIniSectionOptions)) {
    inChoices(kSecOptions, "FileType", 2, false);
    inChoices(kSecOptions, "DspType", 3, false);
    rd.step(kSecOptions, "FileType", [&] { optionIndex(s.FileType, rd.text(kSecOptions, "FileType")); });
    rd.step(kSecOptions, "DspType", [&] { optionIndex(s.DspType, rd.text(kSecOptions, "DspType")); });
  }
  if (from(kIniSectionRanges)) {
    // A range that cannot be read falls back to the shipped one of its
    // kind, so that kind still answers; the report says so.
    DevRangeTable shipped5, shipped7;
    subSetRangeCodes(shipped5);
    subSetRangeCodes(shipped7);
    subSetOldVersionRanges(shipped5, shipped7);
    rangeFallbacks_.clear();
    auto range = [&](DevRangeTable& t, const DevRangeTable& shipped, int k, const char* sec) {
      DevRange& r = t[static_cast<std::size_t>(k)];
      if (rd.range(r, k, sec)) return;
      r = shipped[static_cast<std::size_t>(k)];
      rd.note(omb::trs("SettingsFile", "出荷時の範囲 ") + r.firstText + "-" + r.lastText + omb::trs("SettingsFile", " を使います"));
      rangeFallbacks_.push_back(std::string("[") + sec + "] " + kindInfo(k).code);
    };
    for (int k = kTN; k <= kDx; ++k) range(state_.range5, shipped5, k, kSecRange5);
    for (int k = kTN; k <= kDx; ++k) range(state_.range7, shipped7, k, kSecRange7);
    for (int k = kX; k <= kCC; ++k) {
      range(state_.range5, shipped5, k, kSecRange5);
      range(state_.range7, shipped7, k, kSecRange7);
    }
  }
  auto perPage = [&](int slot) -> std::int32_t& { return state_.pages[static_cast<std::size_t>(slot)].perPage; };
  if (from(kIniSectionBitPages)) {
    for (const SlotKey& k : kBitPageKeys) {
      notANumber(kSecBitPages, k.key);
      rd.step(kSecBitPages, k.key, [&] { perPage(k.slot) = fncIniLenient16(rd.text(kSecBitPages, k.key)); });
      positive(kSecBitPages, k.key, perPage(k.slot));
    }
  }
  if (from(kIniSectionWordPages)) {
    for (const SlotKey& k : kWordPageKeys) {
      bool read = false;
      rd.step(kSecWordPages, k.key, [&] {
        perPage(k.slot) = fncIniStrict16(rd.text(kSecWordPages, k.key));
        read = true;
      });
      if (read) positive(kSecWordPages, k.key, perPage(k.slot));
    }
  }
  auto multi = [&](int slot) -> std::int16_t& { return s.multiPageTable[static_cast<std::size_t>(slot)]; };
  if (from(kIniSectionMultiBit)) {
    for (const SlotKey& k : kMultiBitKeys) {
      lenient16(kSecMultiBit, k.key, multi(k.slot));
      positive(kSecMultiBit, k.key, multi(k.slot));
    }
  }
  if (from(kIniSectionMultiWord)) {
    for (const SlotKey& k : kMultiWordKeys) {
      bool read = false;
      rd.step(kSecMultiWord, k.key, [&] {
        multi(k.slot) = fncIniStrict16(rd.text(kSecMultiWord, k.key));
        read = true;
      });
      if (read) positive(kSecMultiWord, k.key, multi(k.slot));
    }
  }
  if (from(kIniSectionBitTexts)) {
    s.Lo = rd.text(kSecBitTexts, "Lo");
    s.Hi = rd.text(kSecBitTexts, "Hi");
  }
  if (from(kIniSectionWindows)) {
    lenient32(kSecWindows, "Main_Top", s.mainWindow.Top);
    lenient32(kSecWindows, "Main_Left", s.mainWindow.Left);
    // The size is 16-bit in the file and taken only above 500 twips, so a
    // missing or tiny size leaves the designed one.
    rd.step(kSecWindows, "Main_Height", [&] {
      std::int16_t v = fncIniLenient16(rd.text(kSecWindows, "Main_Height"));
      if (v > 500) s.mainWindow.Height = v;
    });
    rd.step(kSecWindows, "Main_Width", [&] {
      std::int16_t v = fncIniLenient16(rd.text(kSecWindows, "Main_Width"));
      if (v > 500) s.mainWindow.Width = v;
    });
    for (int n = 1; n <= kViewSlotCount; ++n) {
      WindowSetting& w = s.G_SetWindow[static_cast<std::size_t>(n - 1)];
      rd.step(kSecWindows, windowKey(n, "flg"), [&] {
        std::string flg = rd.text(kSecWindows, windowKey(n, "flg"));
        if (!flg.empty()) w.flg = fncIniBoolean(flg);
      });
      lenient16(kSecWindows, windowKey(n, "Page"), w.Page);
      lenient32(kSecWindows, windowKey(n, "Height"), w.Height);
      lenient32(kSecWindows, windowKey(n, "Left"), w.Left);
      lenient32(kSecWindows, windowKey(n, "Top"), w.Top);
      lenient32(kSecWindows, windowKey(n, "Width"), w.Width);
    }
  }
  // Our own section for Linux, after everything else and only in the full
  // read: the re-read of the multi-screen settings leaves the ports alone.
  if (startSection == 0) {
    trap.section(kIniSectionComPorts);
    for (int n = 1; n <= kIniComPortCount; ++n)
      s.comPorts[static_cast<std::size_t>(n - 1)] = rd.text(kSecComPorts, "COM" + std::to_string(n));
  }
  rd.report(file);
  problems_ = rd.plainTexts(file);
  return true;
}

void SettingsFile::subPutIniFile(const WindowTwips& mainWindowNow) {
  // The section is built in memory and the file replaced in one piece, so
  // a failure anywhere leaves the file as it was.
  guarded(state_.errors, kWriteLabel, [&](ErrorTrap& trap) {
    trap.section(100);
    IniFile ini = IniFile::load(fileName());
    trap.section(200);
    for (int n = 1; n <= kViewSlotCount; ++n) {
      const WindowSetting& w = settings_.G_SetWindow[static_cast<std::size_t>(n - 1)];
      ini.write(kSecWindows, windowKey(n, "flg"), w.flg ? "True" : "False");
      ini.write(kSecWindows, windowKey(n, "Page"), std::to_string(w.Page));
      ini.write(kSecWindows, windowKey(n, "Height"), std::to_string(w.Height));
      ini.write(kSecWindows, windowKey(n, "Left"), std::to_string(w.Left));
      ini.write(kSecWindows, windowKey(n, "Top"), std::to_string(w.Top));
      ini.write(kSecWindows, windowKey(n, "Width"), std::to_string(w.Width));
    }
    trap.section(300);
    ini.write(kSecWindows, "Main_Top", twipText(mainWindowNow.Top));
    ini.write(kSecWindows, "Main_Left", twipText(mainWindowNow.Left));
    ini.write(kSecWindows, "Main_Height", twipText(mainWindowNow.Height));
    ini.write(kSecWindows, "Main_Width", twipText(mainWindowNow.Width));
    trap.section(400);
    ini.save(fileName());
  });
}

void subSetFolders(FolderSettings& f, const std::string& programFolder) {
  auto compose = [&](const std::string& path, std::string& name, const char* fallback) {
    if (name.empty()) name = fallback;
    return path.empty() ? programFolder + name : path + "/" + name;
  };
  f.SysLog = compose(f.SysLogPath, f.SysLogName, "Log");
  f.ComLog = compose(f.ComLogPath, f.ComLogName, "Log");
  f.Projects = compose(f.ProjectsPath, f.ProjectsName, "Projects");
}

void subCreateFolders(const FolderSettings& f, Presenter& presenter) {
  struct Folder {
    const std::string& path;
    const char* message;
    const char* title;
  };
  const Folder folders[] = {
      {f.SysLog, QT_TRANSLATE_NOOP("SettingsFile", "システムログフォルダが作成出来きませんでした。"), QT_TRANSLATE_NOOP("SettingsFile", "システムログフォルダの確認")},
      {f.ComLog, QT_TRANSLATE_NOOP("SettingsFile", "通信ログフォルダが作成出来きませんでした。"), QT_TRANSLATE_NOOP("SettingsFile", "通信ログフォルダの確認")},
      {f.Projects, QT_TRANSLATE_NOOP("SettingsFile", "プロジェクトフォルダが作成出来きませんでした。"), QT_TRANSLATE_NOOP("SettingsFile", "プロジェクトフォルダの確認")},
  };
  for (const Folder& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder.path, ec)) continue;
    // Parents are created too, so a path to a new place works in one go.
    std::filesystem::create_directories(folder.path, ec);
    if (ec || !std::filesystem::is_directory(folder.path, ec))
      presenter.message(omb::trs("SettingsFile", folder.message) + omb::trs("SettingsFile", "\r\nInit.ini ファイルを見直してください。\r\n") + folder.path,
                        omb::trs("SettingsFile", folder.title), MsgIcon::Exclamation, MsgButtons::Ok);
  }
}

}  // namespace omb

#include "store/settings_file.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>

#include "core/dev_range.h"
#include "core/device_kind.h"
#include "core/numeric.h"
#include "store/ini_file.h"

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

// The reader of one pass: every assignment is one step under the trap; a
// step that fails is reported and its target keeps the value it had.
class Reader {
 public:
  Reader(const IniFile& ini, ErrorTrap& trap) : ini_(ini), trap_(trap) {}

  std::string text(const char* section, const std::string& key) const { return ini_.read(section, key); }

  template <class F>
  void step(F&& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      trap_.report(e);
    } catch (const std::bad_alloc&) {
      trap_.report(kErrOutOfMemory, errorDescription(kErrOutOfMemory));
    } catch (const std::exception&) {
      trap_.report(kErrInvalidCall, errorDescription(kErrInvalidCall));
    }
  }

  // A range key: the value splits at "-" into the first and the last device
  // text.  Three steps: the first text, the last text, and both numbers
  // (read through fncSetRangeFromValue, which takes the digit count from the
  // first text).  An empty value has no parts and fails all three; a value
  // without "-" has no last text and fails the last two.
  void range(DevRange& r, int kind, const char* section) {
    const std::string value = text(section, kindInfo(kind).code);
    const std::size_t dash = value.find('-');
    const std::string first = value.substr(0, dash);
    std::string last;
    if (dash != std::string::npos) {
      std::size_t next = value.find('-', dash + 1);
      last = value.substr(dash + 1, next == std::string::npos ? std::string::npos : next - dash - 1);
    }
    step([&] {
      if (value.empty()) throw RuntimeError(kErrSubscript);
      r.firstText = first;
    });
    step([&] {
      if (dash == std::string::npos) throw RuntimeError(kErrSubscript);
      r.lastText = last;
    });
    step([&] {
      if (dash == std::string::npos) throw RuntimeError(kErrSubscript);
      DevRange parsed = r;
      fncSetRangeFromValue(parsed, kind, first + "-" + last);
      r.first = parsed.first;
      r.last = parsed.last;
    });
  }

 private:
  const IniFile& ini_;
  ErrorTrap& trap_;
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
    presenter_.message("初期設定ファイル\r\n" + file +
                           "\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n",
                       "初期設定ファイル異常", MsgIcon::Critical, MsgButtons::Ok);
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
  auto lenient16 = [&](const char* sec, const std::string& key, std::int16_t& target) {
    rd.step([&] { target = fncIniLenient16(rd.text(sec, key)); });
  };
  auto lenient32 = [&](const char* sec, const std::string& key, std::int32_t& target) {
    rd.step([&] { target = fncIniLenient32(rd.text(sec, key)); });
  };

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
    rd.step([&] { s.ViewAlert = checkState(rd.text(kSecCheckBoxes, "ViewAlert")); });
    rd.step([&] { s.LogFile = checkState(rd.text(kSecCheckBoxes, "LogFile")); });
    rd.step([&] { s.LogDsp = checkState(rd.text(kSecCheckBoxes, "LogDsp")); });
  }
  if (from(kIniSectionOptions)) {
    rd.step([&] { optionIndex(s.FileType, rd.text(kSecOptions, "FileType")); });
    rd.step([&] { optionIndex(s.DspType, rd.text(kSecOptions, "DspType")); });
  }
  if (from(kIniSectionRanges)) {
    auto at = [](DevRangeTable& t, int k) -> DevRange& { return t[static_cast<std::size_t>(k)]; };
    for (int k = kTN; k <= kDx; ++k) rd.range(at(state_.range5, k), k, kSecRange5);
    for (int k = kTN; k <= kDx; ++k) rd.range(at(state_.range7, k), k, kSecRange7);
    for (int k = kX; k <= kCC; ++k) {
      rd.range(at(state_.range5, k), k, kSecRange5);
      rd.range(at(state_.range7, k), k, kSecRange7);
    }
  }
  auto perPage = [&](int slot) -> std::int32_t& { return state_.pages[static_cast<std::size_t>(slot)].perPage; };
  if (from(kIniSectionBitPages)) {
    for (const SlotKey& k : kBitPageKeys)
      rd.step([&] { perPage(k.slot) = fncIniLenient16(rd.text(kSecBitPages, k.key)); });
  }
  if (from(kIniSectionWordPages)) {
    for (const SlotKey& k : kWordPageKeys)
      rd.step([&] { perPage(k.slot) = fncIniStrict16(rd.text(kSecWordPages, k.key)); });
  }
  auto multi = [&](int slot) -> std::int16_t& { return s.multiPageTable[static_cast<std::size_t>(slot)]; };
  if (from(kIniSectionMultiBit)) {
    for (const SlotKey& k : kMultiBitKeys) lenient16(kSecMultiBit, k.key, multi(k.slot));
  }
  if (from(kIniSectionMultiWord)) {
    for (const SlotKey& k : kMultiWordKeys)
      rd.step([&] { multi(k.slot) = fncIniStrict16(rd.text(kSecMultiWord, k.key)); });
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
    rd.step([&] {
      std::int16_t v = fncIniLenient16(rd.text(kSecWindows, "Main_Height"));
      if (v > 500) s.mainWindow.Height = v;
    });
    rd.step([&] {
      std::int16_t v = fncIniLenient16(rd.text(kSecWindows, "Main_Width"));
      if (v > 500) s.mainWindow.Width = v;
    });
    for (int n = 1; n <= kViewSlotCount; ++n) {
      WindowSetting& w = s.G_SetWindow[static_cast<std::size_t>(n - 1)];
      rd.step([&] {
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
      {f.SysLog, "システムログフォルダが作成出来きませんでした。", "システムログフォルダの確認"},
      {f.ComLog, "通信ログフォルダが作成出来きませんでした。", "通信ログフォルダの確認"},
      {f.Projects, "プロジェクトフォルダが作成出来きませんでした。", "プロジェクトフォルダの確認"},
  };
  for (const Folder& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder.path, ec)) continue;
    // Parents are created too, so a path to a new place works in one go.
    std::filesystem::create_directories(folder.path, ec);
    if (ec || !std::filesystem::is_directory(folder.path, ec))
      presenter.message(std::string(folder.message) + "\r\nInit.ini ファイルを見直してください。\r\n" + folder.path,
                        folder.title, MsgIcon::Exclamation, MsgButtons::Ok);
  }
}

}  // namespace omb

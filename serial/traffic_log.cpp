#include "serial/traffic_log.h"

#include <algorithm>
#include <cstdint>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "core/atomic_file.h"
#include "core/cp932.h"
#include "core/numeric.h"
#include "link/framing.h"
#include "core/translate.h"

namespace omb {
namespace {

constexpr const char* kRecv = "受信 : ";
constexpr const char* kSend = "送信 : ";
constexpr const char* kCommPortError = QT_TRANSLATE_NOOP("TrafficLog", "【Comm Port 異常】 : ");

constexpr const char* kOpenLine =
    "========================================= OPEN =========================================";
constexpr const char* kOpenEndLine = "------------------------------------------------------------------";
constexpr const char* kCloseLine =
    "========================================= CLOSE ========================================";
constexpr const char* kShutdownRule = "--------------------------------------------------";

constexpr const char* kSaveTitle = QT_TRANSLATE_NOOP("TrafficLog", "通信ログ保存");

constexpr int kLogRowDefault = 20, kLogRowMin = 2, kLogRowMax = 9999;
constexpr std::size_t kLogRowChars = 4;

// Dead prefix worth cutting away from the text buffer.
constexpr std::size_t kCompactAt = 64 * 1024;

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v % 100);
  return buf;
}

// The error number of a file that would not open, by the reason the system
// gives.
int openErrorNumber(int err) {
  switch (err) {
    case ENOENT: case ENOTDIR: return kErrPathNotFound;
    case EACCES: case EPERM: case EROFS: return kErrPermissionDenied;
    case ENOSPC: return kErrDiskFull;
    case ENAMETOOLONG: return kErrBadFileName;
    default: return kErrPathFileAccess;
  }
}

int writeErrorNumber(int err) { return err == ENOSPC ? kErrDiskFull : kErrDeviceIO; }

// Numeric in the way a user types a number: blanks around, an optional
// sign, digits with at most one decimal point, an optional exponent.
bool isNumericText(std::string_view s, double& value) {
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (n > i && s[n - 1] == ' ') --n;
  const std::string_view t = s.substr(i, n - i);
  std::size_t p = 0;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
  std::size_t digits = 0;
  while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
  if (p < t.size() && t[p] == '.') {
    ++p;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
  }
  if (digits == 0) return false;
  if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
    ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
    std::size_t expDigits = 0;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (p != t.size()) return false;
  value = std::strtod(std::string(t).c_str(), nullptr);
  return true;
}

// The entry limit a text stands for: numeric text rounded and held within
// 2..9999, anything else the default.
int logRowLimit(std::string_view text) {
  double v = 0;
  if (!isNumericText(text, v)) return kLogRowDefault;
  v = roundHalfEven(v);
  if (!(v >= kLogRowMin)) return kLogRowMin;  // also catches NaN
  if (v > kLogRowMax) return kLogRowMax;
  return static_cast<int>(v);
}

// The first `n` characters of UTF-8 text.
std::string firstChars(std::string text, std::size_t n) {
  std::size_t i = 0, count = 0;
  while (i < text.size()) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == n) {
        text.resize(i);
        break;
      }
      ++count;
    }
    ++i;
  }
  return text;
}

// The comment of a saved log becomes part of its file name, and the file
// must land in the communication log folder and nowhere else.  So the
// comment may not name a folder ("/" or "\", which is the separator of the
// paths users know from Windows), may not climb out of one (".."), and may
// not hold what no file name can or should: NUL and the other control
// characters, and : * ? " < > |, which are refused by the file systems the
// logs are usually copied to.  A refused comment is not altered behind the
// user's back; the user is told and nothing is written.
bool isSafeFileComment(std::string_view comment) {
  if (comment.find("..") != std::string_view::npos) return false;
  for (char c : comment) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
    if (std::strchr("/\\:*?\"<>|", c) != nullptr) return false;
  }
  return true;
}

const char* sumLine(CheckState s) {
  switch (s) {
    case CheckState::Checked: return "チェックサム : 有り";
    case CheckState::Grayed: return "チェックサム : 無効";
    default: return "チェックサム : 無し";
  }
}

}  // namespace

PortBanner portBanner(const LinkSettings& s, std::string portNo, std::string portSettings,
                      std::string handshaking) {
  PortBanner b;
  b.portNo = std::move(portNo);
  b.settings = std::move(portSettings);
  b.handshaking = std::move(handshaking);
  b.waitMs = s.waitMs;
  b.cpuType = s.cpuType();
  b.keisiki = s.keisiki();
  b.kyokuNo = s.config.station;
  b.pcNo = s.config.pcNo;
  b.chkSum = s.config.sum;
  return b;
}

TrafficLog::TrafficLog(LinkSettings& settings, const Clock& clock, Presenter& presenter,
                       ErrorSink& errors)
    : settings_(settings), clock_(clock), presenter_(presenter), errors_(errors) {
  dspTypeEnabled_ = chkFixEnabled_ = settings_.chkLogDsp;
}

TrafficLog::~TrafficLog() = default;

// ---------------------------------------------------------------------------
// On-screen text

void TrafficLog::notify(const LogChange& change) {
  if (changed) changed(change);
}

void TrafficLog::notifyControls() { notify({LogChange::Kind::Controls, 0, 0, {}}); }

bool TrafficLog::trimFirstLine() {
  const std::size_t lf = buf_.find('\n', head_);
  if (lf == std::string::npos) return false;
  head_ = lf + 1;
  --lines_;
  if (head_ >= kCompactAt && head_ * 2 >= buf_.size()) {
    buf_.erase(0, head_);
    head_ = 0;
  }
  return true;
}

void TrafficLog::insertText(std::string_view s, std::size_t trimmed, std::size_t trimmedLines) {
  // The caps make room before the text goes in.
  const auto newLines = static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
  const std::size_t lineCap = chkFix_ ? 2 * static_cast<std::size_t>(std::max(logRowMax_, 1)) + 2 : SIZE_MAX;
  while ((lines_ + newLines > lineCap || text().size() + s.size() > byteLimit_) && lines_ > 0) {
    const std::size_t before = text().size();
    if (!trimFirstLine()) break;
    trimmed += before - text().size();
    ++trimmedLines;
    caret_ = text().size();  // as after the entry limit's trim: on at the end
  }
  const std::size_t at = caret_;
  if (head_ + at == buf_.size()) buf_.append(s);
  else buf_.insert(head_ + at, s);
  caret_ = at + s.size();
  lines_ += newLines;
  notify({LogChange::Kind::Text, trimmed, at, s, trimmedLines});
}

void TrafficLog::emptyLog() {
  buf_.clear();
  buf_.shrink_to_fit();
  head_ = 0;
  caret_ = 0;
  lines_ = 0;
  notify({LogChange::Kind::Reset, 0, 0, {}});
}

void TrafficLog::setInsertionPoint(std::size_t offset) {
  const std::string_view t = text();
  if (offset > t.size()) offset = t.size();
  while (offset > 0 && offset < t.size() && (static_cast<unsigned char>(t[offset]) & 0xC0) == 0x80)
    --offset;
  caret_ = offset;
}

void TrafficLog::subDsp_CommLog(const std::string& kind, const std::string& raw,
                                const std::string& replaced, const std::string& hex) {
  guarded(errors_, "frmMain.subDsp_CommLog() ", [&](ErrorTrap& trap) {
    trap.section(1);
    std::size_t trimmed = 0, trimmedLines = 0;
    if (chkFix_) {
      ++logRows_;
      if (logRows_ > logRowMax_) {
        logRows_ = logRowMax_;
        const std::size_t oldSize = text().size();
        if (trimFirstLine()) {
          trimmed = oldSize - text().size();
          trimmedLines = 1;
        }
        caret_ = text().size();
      }
    }
    trap.section(2);
    const std::string stamp = "[" + formatTime(clock_.now()) + "]";
    // The entry is composed first and inserted in one step, so the text box
    // never shows half an entry and needs no disabling while it is written.
    trap.section(3);
    std::string entry;
    if (kind == kRecv || kind == kSend) {
      const std::string* shown = nullptr;
      std::string reading;
      switch (dspType_) {
        case DspType::Raw: shown = &raw; break;
        case DspType::Replaced: shown = &replaced; break;
        case DspType::Hex: shown = &hex; break;
        case DspType::Decoded:
          reading = reader_.reading(kind == kRecv, raw, settings_.config);
          shown = &reading;
          break;
        case DspType::None: break;
      }
      if (shown) entry = stamp + kind + *shown + CRLF;
      if (kind == kSend) entry += CRLF;  // every sent frame is followed by an empty line
    } else {
      entry = kind + CRLF;
    }
    insertText(entry, trimmed, trimmedLines);
  });
}

void TrafficLog::screenInsert(const std::string& text) { insertText(text, 0, 0); }

std::string TrafficLog::fileReading(bool fromPc, std::string_view bytes) {
  if (!fileReadings_ || !file_) return {};
  return reader_.reading(fromPc, bytes, settings_.config);
}

void TrafficLog::popLogCls_Click() {
  emptyLog();
  logRows_ = 0;
}

void TrafficLog::cmdClr_Click() {
  popLogCls_Click();
  settings_.lblComErr.clear();
  settings_.lblRev.clear();
  settings_.setLabel(settings_.lblSnd, "");
  notifyControls();
}

// ---------------------------------------------------------------------------
// Controls

void TrafficLog::setChkLogDsp(bool ticked) {
  settings_.chkLogDsp = ticked;
  dspTypeEnabled_ = ticked;
  chkFixEnabled_ = ticked;
  if (!ticked) {
    if (chkFix_) setChkFix(false);
    txtLogRowEnabled_ = false;
  }
  notifyControls();
}

void TrafficLog::setOptDspType(DspType type) {
  dspType_ = type;
  notifyControls();
}

void TrafficLog::setChkFix(bool ticked) {
  chkFix_ = ticked;
  txtLogRowEnabled_ = ticked;
  if (ticked) {
    // Counting starts afresh on an empty log, so the limit holds exactly.
    emptyLog();
    logRowMax_ = logRowLimit(txtLogRow_);
    logRows_ = 0;
  }
  notifyControls();
}

void TrafficLog::setTxtLogRow(std::string text) {
  txtLogRow_ = firstChars(std::move(text), kLogRowChars);
  notifyControls();
}

void TrafficLog::txtLogRow_LostFocus() {
  const int limit = logRowLimit(txtLogRow_);
  txtLogRow_ = std::to_string(limit);
  logRowMax_ = limit;
  logRows_ = 0;
  emptyLog();
  notifyControls();
}

void TrafficLog::setChkLogFile(bool ticked) {
  chkLogFile_ = ticked;
  fileTypeEnabled_ = ticked;
  notifyControls();
}

void TrafficLog::setOptFileType(LogFileType type) {
  fileType_ = type;
  notifyControls();
}

void TrafficLog::subEnable_CommSet(bool enabled) {
  // The file-type options follow chkLogFile also when the port's settings
  // are unlocked again: they mean nothing while no file is written.
  saveEnabled_ = enabled;
  chkLogFileEnabled_ = enabled;
  fileTypeEnabled_ = enabled && chkLogFile_;
  notifyControls();
}

// ---------------------------------------------------------------------------
// Traffic-log file

void TrafficLog::closeFile() { file_.reset(); }

void TrafficLog::filePrint(const std::string& text) {
  if (!file_) return;
  const std::string bytes = cp932::encode(text) + CRLF;
  errno = 0;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size() &&
                  std::fflush(file_.get()) == 0;
  if (!ok) {
    const int number = writeErrorNumber(errno);
    closeFile();
    throw RuntimeError(number);
  }
}

void TrafficLog::writeFileLines(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) filePrint(std::string(line));
}

bool TrafficLog::portOpened(const PortBanner& b) {
  return guarded(errors_, "frmMain.cmdPOpen_Click() ", false, [&](ErrorTrap& trap) {
    const DateTime now = clock_.now();
    closeFile();  // at most one file is open; a new opening starts without one
    const std::string lines[] = {
        kOpenLine,
        formatDateTime(now),
        "ポート PC = " + b.portNo,
        "通信パラメータ : <" + b.settings + ">",
        b.handshaking.empty() ? std::string() : "ハンドシェーク : " + b.handshaking,
        "受信文字間Wait : " + std::to_string(b.waitMs) + " [mSec]",
        "コマンドタイプ : " + b.cpuType,
        "専用プロトコル : " + b.keisiki,
        "局番号         : " + b.kyokuNo,
        "ＰＣ番号       : " + b.pcNo,
        sumLine(b.chkSum),
        kOpenEndLine,
    };
    constexpr std::size_t kDateLine = 1, kHandshakeLine = 4;
    const bool noHandshake = b.handshaking.empty();

    if (chkLogFile_) {
      trap.section(10);
      std::string name;
      switch (fileType_) {
        case LogFileType::Fixed: name = GS_ComLog + ".txt"; break;
        case LogFileType::Unique:
          name = GS_ComLogHdd + "_" + twoDigits(now.month) + twoDigits(now.day) + "_" +
                 formatTimeCompact(now) + ".txt";
          break;
        case LogFileType::None: throw RuntimeError(kErrBadFileName);
      }
      trap.section(20);
      errno = 0;
      File f(std::fopen(joinPath(comLogFolder, name).c_str(), "ab"));
      if (!f) throw RuntimeError(openErrorNumber(errno));
      file_ = std::move(f);
      trap.section(30);
      try {
        for (std::size_t i = 0; i < std::size(lines); ++i)
          if (!(i == kHandshakeLine && noHandshake)) filePrint(lines[i]);
      } catch (...) {
        closeFile();
        throw;
      }
    }
    if (settings_.chkLogDsp) {
      trap.section(40);
      for (std::size_t i = 0; i < std::size(lines); ++i)
        if (i != kDateLine && !(i == kHandshakeLine && noHandshake)) subDsp_CommLog(lines[i], "", "", "");
    }
    return true;
  });
}

bool TrafficLog::portClosed(const std::string& portNo) {
  return guarded(errors_, "frmMain.cmdPClose_Click() ", false, [&](ErrorTrap& trap) {
    if (file_) {
      trap.section(10);
      try {
        writeFileLines({"Port = " + portNo + " close", formatDateTime(clock_.now()), kCloseLine});
      } catch (...) {
        closeFile();
        throw;
      }
      closeFile();
    }
    if (settings_.chkLogDsp) {
      trap.section(20);
      subDsp_CommLog(kCloseLine, "", "", "");
    }
    return true;
  });
}

void TrafficLog::shutdown(const std::string& portNo) {
  guarded(errors_, "frmMain.Form_QueryUnload() ", [&](ErrorTrap& trap) {
    if (!file_) return;
    trap.section(20);
    try {
      writeFileLines({kShutdownRule, "Form_QueryUnload()", "Port = " + portNo + " close", kShutdownRule});
    } catch (...) {
      closeFile();
      throw;
    }
    closeFile();
  });
}

void TrafficLog::lineError(const std::string& message) {
  guarded(errors_, "frmMain.comm_OnComm() ", [&](ErrorTrap& trap) {
    trap.section(40);
    if (file_) filePrint("[" + formatTime(clock_.now()) + "] " + omb::trs("TrafficLog", kCommPortError) + message);
    trap.section(50);
    if (settings_.chkLogDsp) subDsp_CommLog(omb::trs("TrafficLog", kCommPortError) + message, "", "", "");
  });
}

void TrafficLog::note(const std::string& message) {
  guarded(errors_, "frmMain.subNote() ", [&](ErrorTrap&) {
    const std::string text = omb::trs("TrafficLog", "【") + message + omb::trs("TrafficLog", "】\r\n");
    if (file_) filePrint("[" + formatTime(clock_.now()) + "] " + text);
    if (settings_.chkLogDsp) subDsp_CommLog(text, "", "", "");
  });
}

// ---------------------------------------------------------------------------
// Saving the on-screen log

void TrafficLog::popLogSave_Click(const std::string& preset, const std::string& windowCaption) {
  saveLogAs("frmMain.popLogSave_Click() ", preset, windowCaption);
}

void TrafficLog::cmdSaveLog_Click(const std::string& preset, const std::string& windowCaption) {
  saveLogAs("frmMain.cmdSaveLog_Click() ", preset, windowCaption);
}

void TrafficLog::saveLogAs(const char* label, const std::string& preset, const std::string& windowCaption) {
  guarded(errors_, label, [&](ErrorTrap& trap) {
    trap.section(1);
    const std::optional<std::string> answer =
        presenter_.inputBox(omb::trs("TrafficLog", "コメントを入力してください"), omb::trs("TrafficLog", kSaveTitle), preset);
    if (!answer || answer->empty()) return;
    const std::string& comment = *answer;
    if (!isSafeFileComment(comment)) {
      presenter_.message(std::string(omb::trs("TrafficLog", "コメントはファイル名の一部になるため、次の文字は使えません。")) + CRLF +
                             omb::trs("TrafficLog", "/ \\ : * ? \" < > | 、\"..\"、制御文字") + CRLF + omb::trs("TrafficLog", "保存を中止しました。"),
                         omb::trs("TrafficLog", kSaveTitle), MsgIcon::Exclamation, MsgButtons::Ok);
      return;
    }
    trap.section(2);
    const std::string name = comment + "_" + formatTimeCompact(clock_.now()) + ".txt";
    const std::string path = joinPath(comLogFolder, name);
    trap.section(3);
    if (const std::optional<std::string> failed = subSave_CommLog(comment, path, windowCaption)) {
      presenter_.message(path + CRLF + omb::trs("TrafficLog", "へ書き込めませんでした。") + CRLF + *failed, name, MsgIcon::Critical,
                         MsgButtons::Ok);
      return;
    }
    presenter_.message(path + CRLF + omb::trs("TrafficLog", "へ書き込み完了しました。"), name, MsgIcon::Information, MsgButtons::Ok);
  });
}

// The file is written in one piece or not at all: a full disk, a read-only
// or vanished folder leave no partial file, and the answer says why.
std::optional<std::string> TrafficLog::subSave_CommLog(const std::string& comment, const std::string& path,
                                                       const std::string& windowCaption) {
  // Four items, each ended by CR LF: the log text already ends its own
  // lines, so a non-empty log is followed by one empty line.
  std::string out;
  for (const std::string& item : {windowCaption, "収集日時 : " + formatDateTime(clock_.now()),
                                  "コメント : <" + comment + ">", std::string(text())}) {
    out += cp932::encode(item);
    out += CRLF;
  }
  if (const auto failed = writeFileAtomically(path, out)) return failed->reason;
  return std::nullopt;
}

}  // namespace omb

// The traffic log: the model behind the log area of the main window
// ("通信履歴　電文表記") and the traffic-log file in the communication log
// folder.  It holds the on-screen log text, the state of the log-area
// controls (check boxes, option groups, the entry limit and which of them
// are enabled) and the open traffic-log file.  The main window shows this
// model and forwards the user's actions to it; nothing here draws.
//
// Texts are UTF-8 inside; the traffic-log file and saved copies of the
// on-screen log are CP932 with CR LF line ends.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/error.h"
#include "core/presenter.h"
#include "link/frame_reading.h"
#include "link/link_settings.h"
#include "link/traffic_sink.h"
#include "serial/port_log.h"

namespace omb {

// optDspType: which rendering of a frame the on-screen log shows.
// Decoded: the frame put into words ("WR D0100 ×4 → 0001 0002").
enum class DspType { None = -1, Raw = 0, Replaced = 1, Hex = 2, Decoded = 3 };

// optFileType: one traffic-log file appended to at every opening, or a new
// file per opening.
enum class LogFileType { None = -1, Fixed = 0, Unique = 1 };

// How the on-screen text changed, so that a view can follow without copying
// the whole text: first `trimmed` bytes were removed from the start, then
// `inserted` was inserted at byte offset `at` (counted after the trim).
// `inserted` is valid only during the notice.  Reset: the text was emptied.
// Controls: only control states (or the last-frame labels) changed.
struct LogChange {
  enum class Kind { Text, Reset, Controls };
  Kind kind = Kind::Text;
  std::size_t trimmed = 0;  // bytes dropped from the start of the text
  std::size_t at = 0;
  std::string_view inserted;
  std::size_t trimmedLines = 0;  // the whole lines those bytes were
};

class TrafficLog final : public TrafficSink, public PortLog {
 public:
  // `settings` is shared with the protocol engine: it holds chkLogDsp and the
  // last-frame labels that "履歴クリア" empties.
  TrafficLog(LinkSettings& settings, const Clock& clock, Presenter& presenter, ErrorSink& errors);
  ~TrafficLog() override;
  TrafficLog(const TrafficLog&) = delete;
  TrafficLog& operator=(const TrafficLog&) = delete;

  // Called after every change of the text or of the controls.
  std::function<void(const LogChange&)> changed;

  // --- TrafficSink --------------------------------------------------------
  // One entry of the on-screen log.  Failures are reported under the entry
  // writer's own trap; the entry is then lost.
  void subDsp_CommLog(const std::string& kind, const std::string& raw, const std::string& replaced,
                      const std::string& hex) override;
  void screenInsert(const std::string& text) override;
  bool fileOpen() const override { return file_ != nullptr; }
  // A line that cannot be written closes the file (so a full disk does not
  // fail every later frame) and raises the error for the caller's trap.
  void filePrint(const std::string& text) override;
  std::string fileReading(bool fromPc, std::string_view bytes) override;

  // --- On-screen log ------------------------------------------------------
  std::string_view text() const { return std::string_view(buf_).substr(head_); }
  // The on-screen text never holds more than this many bytes, nor, while
  // the entry limit is on, more than twice its entries in lines (entries of
  // several lines would otherwise pile up without end): the oldest lines go
  // first.  An entry longer than the limit is still shown whole.
  static constexpr std::size_t kDefaultScreenBytes = 4 * 1024 * 1024;
  void setScreenByteLimit(std::size_t bytes) { byteLimit_ = bytes; }
  // Byte offset in text() where entries go; the end unless the user placed
  // the caret elsewhere.  Offsets inside a UTF-8 character move back to its
  // start.
  std::size_t insertionPoint() const { return caret_; }
  void setInsertionPoint(std::size_t offset);
  int m_LogRows() const { return logRows_; }
  int m_LogRowMax() const { return logRowMax_; }

  void popLogCls_Click();  // "ログをクリアする"
  void cmdClr_Click();     // "履歴クリア": also empties lblComErr, lblRev, lblSnd

  // --- Controls of the log area -------------------------------------------
  bool chkLogDsp() const { return settings_.chkLogDsp; }
  void setChkLogDsp(bool ticked);
  DspType optDspType() const { return dspType_; }
  void setOptDspType(DspType type);
  bool chkFix() const { return chkFix_; }
  void setChkFix(bool ticked);
  // The entry limit as typed (at most 4 characters).  The box selects its
  // whole text on getting the focus; Enter is not typed but leaves the box.
  const std::string& txtLogRow() const { return txtLogRow_; }
  void setTxtLogRow(std::string text);
  // Leaving the box (or Enter): confirms the limit and empties the log.
  void txtLogRow_LostFocus();
  bool chkLogFile() const { return chkLogFile_; }
  void setChkLogFile(bool ticked);
  LogFileType optFileType() const { return fileType_; }
  void setOptFileType(LogFileType type);
  // Whether the traffic-log file carries the reading of every frame (a
  // line "解読 : ..." after its hexadecimal form).
  bool fileReadings() const { return fileReadings_; }
  void setFileReadings(bool on) {
    fileReadings_ = on;
    notifyControls();
  }

  bool optDspTypeEnabled() const { return dspTypeEnabled_; }
  bool chkFixEnabled() const { return chkFixEnabled_; }
  bool txtLogRowEnabled() const { return txtLogRowEnabled_; }
  bool optFileTypeEnabled() const { return fileTypeEnabled_; }
  bool chkLogFileEnabled() const { return chkLogFileEnabled_; }
  bool cmdSaveLogEnabled() const { return saveEnabled_; }
  bool popLogSaveEnabled() const { return saveEnabled_; }
  // The log-area part of subEnable_CommSet: cmdSaveLog, popLogSave,
  // chkLogFile and both file-type options follow `enabled` (false while the
  // port is open).
  void subEnable_CommSet(bool enabled) override;

  // --- Traffic-log file ---------------------------------------------------
  std::string comLogFolder;  // communication log folder, without a trailing separator
  std::string GS_ComLog;     // name of the fixed file, without ".txt"
  std::string GS_ComLogHdd;  // head of the per-opening file names

  // Port opened: when chkLogFile is ticked, opens the traffic-log file and
  // writes the OPEN banner to it; then, when chkLogDsp is ticked, writes the
  // banner to the screen.  A failure (missing folder, no file type chosen)
  // is reported under the opening's trap, ends the sequence there and leaves
  // no file open; false then.  The port itself is not affected.
  bool portOpened(const PortBanner& banner) override;
  // Port closed: CLOSE lines to the open file, which is then closed; the
  // last of them to the screen when chkLogDsp is ticked.  False after a
  // failure, which is reported under the closing's trap.
  bool portClosed(const std::string& portNo) override;
  // Shutdown: the shutdown lines to the open file, which is then closed.
  void shutdown(const std::string& portNo);
  // A line error: `message` holds the error texts, each ended by CR LF.
  void lineError(const std::string& message) override;
  // A note of the line (a TCP client coming, going or refused), in the
  // log like a line error but not marked as one.
  void note(const std::string& message) override;

  // --- Saving the on-screen log -------------------------------------------
  // "名前を付けて保存する" and "履歴保存": ask for a comment (preset: the text
  // of status bar panel 5) and save the log as <comment>_<hhnnss>.txt in the
  // communication log folder.  `windowCaption` heads the file.
  void popLogSave_Click(const std::string& preset, const std::string& windowCaption);
  void cmdSaveLog_Click(const std::string& preset, const std::string& windowCaption);
  // Writes the on-screen log to `path`, replacing a file of that name, in
  // one piece; empty on success, otherwise why it failed (nothing is left
  // at `path` then but what was there before).
  std::optional<std::string> subSave_CommLog(const std::string& comment, const std::string& path,
                                             const std::string& windowCaption);

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  using File = std::unique_ptr<std::FILE, FileCloser>;

  void insertText(std::string_view s, std::size_t trimmed, std::size_t trimmedLines);
  bool trimFirstLine();
  void emptyLog();
  void notify(const LogChange& change);
  void notifyControls();
  void writeFileLines(std::initializer_list<std::string_view> lines);
  void closeFile();
  void saveLogAs(const char* label, const std::string& preset, const std::string& windowCaption);

  LinkSettings& settings_;
  const Clock& clock_;
  Presenter& presenter_;
  ErrorSink& errors_;

  // The on-screen text is buf_ from head_ on: the entry limit drops lines
  // from the start by moving head_, and the dead prefix is only cut away
  // once it outweighs the live text, so neither appends nor trims copy the
  // whole log.
  std::string buf_;
  std::size_t head_ = 0;
  std::size_t caret_ = 0;
  std::size_t lines_ = 0;  // line ends in the text
  std::size_t byteLimit_ = kDefaultScreenBytes;
  int logRows_ = 0;
  int logRowMax_ = 20;

  DspType dspType_ = DspType::None;
  bool chkFix_ = false;
  std::string txtLogRow_ = "20";
  bool chkLogFile_ = false;
  LogFileType fileType_ = LogFileType::None;
  bool fileReadings_ = false;
  FrameReader reader_;  // the readings of the screen and of the file

  bool dspTypeEnabled_ = true;
  bool chkFixEnabled_ = true;
  bool txtLogRowEnabled_ = false;
  bool fileTypeEnabled_ = false;
  bool chkLogFileEnabled_ = true;
  bool saveEnabled_ = true;

  File file_;  // m_LogFileNo: null when no traffic-log file is open
};

}  // namespace omb

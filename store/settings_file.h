// The settings file "Init.ini" beside the executable: the working folders,
// the traffic-log file names, the serial buffer sizes, the start states of
// the main window's check boxes and options, both device range tables, the
// devices per page of every view, the bit texts, the window records and the
// mapping of COM numbers to Linux devices.
//
// The whole file is read once at start-up; "マルチ画面初期化" re-reads its
// tail; only the window section "画面サイズ" is ever written back.  The user
// edits everything else with a text editor.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/device_memory.h"
#include "core/presenter.h"
#include "core/system_state.h"
#include "core/check_state.h"

namespace omb {

inline constexpr const char* kIniFileName = "Init.ini";
inline constexpr int kIniComPortCount = 16;

// Section numbers of the reader; a report names the section of the key
// that failed, and the re-read starts at one of them.
enum IniSection : int {
  kIniSectionOpen = 100,         // opening the file (ours: an unreadable file)
  kIniSectionFolderPath = 200,   // [フォルダパス]
  kIniSectionFolderName = 300,   // [フォルダ名]
  kIniSectionFileName = 400,     // [ファイル名]
  kIniSectionBuffers = 500,      // [通信ポート]
  kIniSectionCheckBoxes = 600,   // [チェックボックス]
  kIniSectionOptions = 700,      // [オプションボタン]
  kIniSectionRanges = 800,       // [デバイス範囲５桁], [デバイス範囲７桁]
  kIniSectionBitPages = 900,     // [ビットデバイス画面設定]
  kIniSectionWordPages = 1000,   // [ワードデバイス画面設定]
  kIniSectionMultiBit = 1100,    // [マルチビットデバイス画面設定]; the re-read starts here
  kIniSectionMultiWord = 1200,   // [マルチワードデバイス画面設定]
  kIniSectionBitTexts = 1300,    // [ビット表示設定]
  kIniSectionWindows = 1400,     // [画面サイズ]
  kIniSectionComPorts = 1500,    // [COMポート]; full read only
};

// The working folders.  The three paths and names are as read; the folders
// are composed from them by subSetFolders.
struct FolderSettings {
  // "フォルダパス": the parent of each folder; empty for the program folder.
  std::string SysLogPath, ComLogPath, ProjectsPath;
  // "フォルダ名": the folder names; empty ones get "Log", "Log", "Projects"
  // when the folders are composed.
  std::string SysLogName, ComLogName, ProjectsName;
  // System log, communication log and project folder, without a trailing
  // separator.
  std::string SysLog, ComLog, Projects;
};

// One G_SetWindow record: the view of window slot n-1 (Init.ini number n).
// Top, Left, Width and Height in twips.
struct WindowSetting {
  std::int16_t Page = 0;
  std::int32_t Top = 0, Left = 0, Width = 0, Height = 0;
  bool flg = false;  // the window was open
};

// The main window's place in twips.  Width and Height are applied only when
// they exceed 500.
struct MainWindowSetting {
  std::int32_t Top = 0, Left = 0, Width = 0, Height = 0;
};

// Devices (rows) per window of the multi-screen views, by window slot: the
// word kinds TN CN D W R at 0-4, the bit kinds X Y M L S B F at 6-12.
using MultiPageTable = std::array<std::int16_t, kViewSlotCount>;

// Everything the settings file holds besides the range tables and the
// devices per page of the single views (those go into SystemState).
struct Settings {
  FolderSettings folders;
  std::string GS_ComLog;     // fixed traffic-log file name, without ".txt"
  std::string GS_ComLogHdd;  // head of the per-opening traffic-log file names
  std::int16_t GE_InBufferSize = 0;   // serial receive buffer, bytes
  std::int16_t GE_OutBufferSize = 0;  // serial transmit buffer, bytes
  // Start states of chkViewAlert, chkLogFile, chkLogDsp.
  CheckState ViewAlert = CheckState::Unchecked;
  CheckState LogFile = CheckState::Unchecked;
  CheckState LogDsp = CheckState::Unchecked;
  // Start selection of optFileType(0..1) and optDspType(0..2); an index out
  // of range leaves the whole group unselected.
  std::array<bool, 2> FileType{};
  std::array<bool, 3> DspType{};
  MultiPageTable multiPageTable{};
  std::string Lo;  // cell text of a bit that is 0
  std::string Hi;  // cell text of a bit that is 1
  MainWindowSetting mainWindow;
  std::array<WindowSetting, kViewSlotCount> G_SetWindow{};
  // "[COMポート]" COM1..COM16: a device path ("/dev/ttyUSB0") or a virtual
  // port ("pty:PATH"); empty when the number is not mapped.
  std::array<std::string, kIniComPortCount> comPorts{};
};

// The main window's present place in twips, as written back; a fractional
// twip count is written with its decimals.
struct WindowTwips {
  double Top = 0, Left = 0, Height = 0, Width = 0;
};

// Reads and writes the settings file of one program folder.
class SettingsFile {
 public:
  // `programFolder` is the executable's folder; a missing trailing "/" is
  // added.  Ranges and devices per page go into `state`, everything else
  // into `settings`; reports go to state.errors, messages to `presenter`.
  SettingsFile(std::string programFolder, SystemState& state, Settings& settings,
               Presenter& presenter);

  const std::string& programFolder() const { return programFolder_; }
  // Program folder + "Init.ini", unless another file was chosen.
  std::string fileName() const { return fileName_.empty() ? programFolder_ + kIniFileName : fileName_; }
  // Reads and writes `path` instead (the serve mode's --ini).
  void setFileName(std::string path) { fileName_ = std::move(path); }

  // Reads the file from section `startSection` on: 0 reads everything,
  // kIniSectionMultiBit (1100) re-reads the multi-screen page sizes, the bit
  // texts and the window section.  A missing file shows the missing-file
  // message and answers false; so does a file that cannot be read, after
  // reporting why.  Each key that cannot be read is reported under
  // "mdlFileAccess.fncGetIniFile() " with its section number and keeps its
  // previous value; reading goes on with the next key.
  bool fncGetIniFile(int startSection);
  // The range keys of the last read that could not be used and were given
  // the shipped range of their kind ("[デバイス範囲５桁] TN" ...).
  const std::vector<std::string>& rangeFallbacks() const { return rangeFallbacks_; }
  // Every value of the last read that could not be used as written, in
  // plain words: file, section, key, line, value and what is wrong.
  const std::vector<std::string>& problems() const { return problems_; }

  // Writes the window section "画面サイズ": the 24 G_SetWindow records and
  // the main window's present place.  Other lines of the file stay as they
  // are.  A failure is reported under "mdlFileAccess.subPutIniFile() " and
  // leaves the file as it was.
  void subPutIniFile(const WindowTwips& mainWindowNow);

 private:
  std::string programFolder_;
  std::string fileName_;
  std::vector<std::string> rangeFallbacks_;
  std::vector<std::string> problems_;
  SystemState& state_;
  Settings& settings_;
  Presenter& presenter_;
};

// Composes the three working folders: the name, or its default when empty,
// below the "フォルダパス" value joined with "/", or directly in the program
// folder (which ends with "/") when that value is empty.  The defaults are
// written back into the name fields.
void subSetFolders(FolderSettings& folders, const std::string& programFolder);

// Creates each working folder that does not exist, in the order system log,
// communication log, project folder.  A folder that cannot be created gets
// its warning and the next one is tried.
void subCreateFolders(const FolderSettings& folders, Presenter& presenter);

// The lenient number of a settings value: its leading number rounded half to
// even into 16 or 32 bits ("" and "abc" give 0); outside the width raises
// the overflow error.
std::int16_t fncIniLenient16(const std::string& text);
std::int32_t fncIniLenient32(const std::string& text);
// The strict number: the whole text, blanks aside, must be a decimal number
// (sign, fraction and exponent allowed) within 16 bits; anything else raises
// the type-mismatch error, too large a number the overflow error.
std::int16_t fncIniStrict16(const std::string& text);
// "True"/"False" in any case, or a strict number (0 false, else true);
// anything else raises the type-mismatch error.
bool fncIniBoolean(const std::string& text);

}  // namespace omb

#include "serial/traffic_log.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/cp932.h"
#include "core/system_state.h"
#include "link/framing.h"
#include "link/link_engine.h"
#include "link/memory_transport.h"
#include "test_support.h"

namespace omb {
namespace {

namespace fs = std::filesystem;

const std::string kOpen = std::string(41, '=') + " OPEN " + std::string(41, '=');
const std::string kClose = std::string(41, '=') + " CLOSE " + std::string(40, '=');
const std::string kOpenEnd(66, '-');
const std::string kRule50(50, '-');

// Lines each ended by CR LF.
std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// Every file below `root`, relative to it.
std::set<std::string> filesUnder(const std::string& root) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (!e.is_directory()) out.insert(fs::relative(e.path(), root).string());
  return out;
}

struct TrafficLogTest : ::testing::Test {
  test::TempDir dir;
  std::string folder = dir.file("Log");
  ManualClock clock{DateTime{2024, 5, 3, 14, 5, 9}};
  LinkSettings settings;
  RecordingPresenter presenter;
  test::RecordingErrorSink errors;
  TrafficLog log{settings, clock, presenter, errors};

  TrafficLogTest() {
    fs::create_directories(folder);
    log.comLogFolder = folder;
    log.setOptDspType(DspType::Raw);
  }
  void setLimit(const std::string& n) {
    log.setTxtLogRow(n);
    log.txtLogRow_LostFocus();
    log.setChkFix(true);
  }
  // Logs to the fixed file COMLOG.txt in the log folder.
  void logToFixedFile() {
    log.GS_ComLog = "COMLOG";
    log.setChkLogFile(true);
    log.setOptFileType(LogFileType::Fixed);
  }
  void received(const std::string& raw) { log.subDsp_CommLog("受信 : ", raw, "", ""); }
  void sent(const std::string& raw) { log.subDsp_CommLog("送信 : ", raw, "", ""); }
  std::string screen() const { return std::string(log.text()); }
  // The link as the banner shows it; separate from `settings` so that the
  // banner is seen to come from its argument.
  LinkSettings link;
  PortBanner banner() const { return portBanner(link, "3", "9600,n,8,1", "RTS"); }
};

// ---------------------------------------------------------------------------
// Entries and the entry limit

// A limit of two keeps the last two entries. It counts entries but trims a
// line at a time, so of a sent frame's entry the empty line stays.
TEST_F(TrafficLogTest, LimitTwoKeepsTheLastTwoEntries) {
  struct Case {
    const char* name;
    void (TrafficLogTest::*entry)(const std::string&);
    std::vector<std::string> frames;
    std::string screen;
  };
  const Case cases[] = {
      {"received", &TrafficLogTest::received, {"R1", "R2", "R3"}, "[14:05:09]受信 : R2\r\n[14:05:09]受信 : R3\r\n"},
      {"sent", &TrafficLogTest::sent, {"S1", "S2", "S3"}, "\r\n[14:05:09]送信 : S2\r\n\r\n[14:05:09]送信 : S3\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.popLogCls_Click();
    setLimit("2");
    for (const std::string& frame : c.frames) (this->*c.entry)(frame);
    EXPECT_EQ(screen(), c.screen);
    EXPECT_EQ(log.m_LogRows(), 2);
  }
}

// Entries of several lines never pile up without end under the entry
// limit, and no limit lets the text grow past its byte cap: the oldest
// lines go, and a view that follows the notices stays in step.
TEST_F(TrafficLogTest, TheScreenTextStaysBoundedInLinesAndBytes) {
  std::string view;
  log.changed = [&](const LogChange& c) {
    if (c.kind == LogChange::Kind::Reset) view.clear();
    if (c.kind != LogChange::Kind::Text) return;
    view.erase(0, c.trimmed);
    view.insert(c.at, c.inserted);
  };
  setLimit("3");
  for (int i = 0; i < 1000; ++i) sent("S" + std::to_string(i));
  const std::string shown = screen();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 8);  // twice the limit and two
  EXPECT_NE(shown.find("S999"), std::string::npos);
  EXPECT_EQ(view, shown);

  log.setChkFix(false);
  log.setScreenByteLimit(1000);
  for (int i = 0; i < 1000; ++i) received(std::string(90, 'R'));
  EXPECT_LE(screen().size(), 1000u);
  EXPECT_GT(screen().size(), 800u);
  EXPECT_EQ(view, screen());
}

TEST_F(TrafficLogTest, ClearingEmptiesLogAndCounterSoEntriesFillUpToTheLimitAgain) {
  setLimit("2");
  for (const char* r : {"R1", "R2", "R3"}) received(r);
  settings.lblRev = "rev";
  settings.lblSnd = "snd";
  settings.lblComErr = "err";

  log.popLogCls_Click();
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(log.m_LogRows(), 0);
  EXPECT_EQ(settings.lblRev, "rev");  // the popup entry leaves the labels

  received("R4");
  log.cmdClr_Click();
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(settings.lblRev + settings.lblSnd + settings.lblComErr, "");

  received("R5");
  received("R6");
  EXPECT_EQ(screen(), "[14:05:09]受信 : R5\r\n[14:05:09]受信 : R6\r\n");
  received("R7");
  EXPECT_EQ(screen(), "[14:05:09]受信 : R6\r\n[14:05:09]受信 : R7\r\n");
}

TEST_F(TrafficLogTest, ConfirmingTheLimitNormalisesItAndEmptiesTheLog) {
  struct Case {
    const char* typed;
    const char* shown;
    int max;
  };
  const Case cases[] = {
      {"abc", "20", 20}, {"1", "2", 2},       {"3.6", "4", 4}, {"2.5", "2", 2},  // halves to even
      {"", "20", 20},    {"9e99", "9999", 9999}, {"-7", "2", 2}, {" 12 ", "12", 12},
  };
  log.setChkFix(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    received("R");
    received("R");
    ASSERT_EQ(log.m_LogRows(), 2);
    log.setTxtLogRow(c.typed);
    log.txtLogRow_LostFocus();
    EXPECT_EQ(log.txtLogRow(), c.shown);
    EXPECT_EQ(log.m_LogRowMax(), c.max);
    EXPECT_EQ(log.m_LogRows(), 0);
    EXPECT_EQ(screen(), "");
  }
  log.setTxtLogRow("12345");  // the box holds at most four characters
  EXPECT_EQ(log.txtLogRow(), "1234");
}

TEST_F(TrafficLogTest, FramesShowTheRenderingOfTheDisplayMode) {
  const FrameTexts f = renderFrame(std::string("\x02" "00FF\x03"));
  struct Case {
    DspType mode;
    std::string receivedEntry, sentEntry;
  };
  const Case cases[] = {
      {DspType::None, "", "\r\n"},
      {DspType::Raw, "[14:05:09]受信 : \x02" "00FF\x03\r\n", "[14:05:09]送信 : \x02" "00FF\x03\r\n\r\n"},
      {DspType::Replaced, "[14:05:09]受信 : (STX)00FF(ETX)\r\n", "[14:05:09]送信 : (STX)00FF(ETX)\r\n\r\n"},
      {DspType::Hex, "[14:05:09]受信 : 02 30 30 46 46 03 \r\n", "[14:05:09]送信 : 02 30 30 46 46 03 \r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    log.popLogCls_Click();
    log.setOptDspType(c.mode);
    log.subDsp_CommLog("受信 : ", logText(f.raw), logText(f.replaced), f.hex);
    EXPECT_EQ(screen(), c.receivedEntry);
    log.popLogCls_Click();
    log.subDsp_CommLog("送信 : ", logText(f.raw), logText(f.replaced), f.hex);
    EXPECT_EQ(screen(), c.sentEntry);
    log.popLogCls_Click();
    log.subDsp_CommLog("【否定応答 受信電文】 : x", "raw", "rep", "hex");  // any other kind: the kind alone
    EXPECT_EQ(screen(), "【否定応答 受信電文】 : x\r\n");
  }
}

TEST_F(TrafficLogTest, EntriesGoToTheInsertionPointUntilATrimPutsItAtTheEnd) {
  log.subDsp_CommLog("A", "", "", "");
  log.setInsertionPoint(0);
  log.subDsp_CommLog("B", "", "", "");
  log.subDsp_CommLog("C", "", "", "");
  EXPECT_EQ(screen(), "B\r\nC\r\nA\r\n");
  log.screenInsert("x");
  EXPECT_EQ(screen(), "B\r\nC\r\nxA\r\n");

  setLimit("2");
  log.subDsp_CommLog("D", "", "", "");
  log.subDsp_CommLog("E", "", "", "");
  log.setInsertionPoint(0);
  log.subDsp_CommLog("F", "", "", "");  // trims D and appends at the end
  EXPECT_EQ(screen(), "E\r\nF\r\n");
  EXPECT_EQ(log.insertionPoint(), screen().size());

  log.setInsertionPoint(1);  // inside the first character of "受"
  log.popLogCls_Click();
  log.subDsp_CommLog("受", "", "", "");
  log.setInsertionPoint(1);
  EXPECT_EQ(log.insertionPoint(), 0u);
}

// A view that follows the change notices alone ends with the model's text,
// also across the compaction of a long limited log.
TEST_F(TrafficLogTest, ChangeNoticesLetAViewFollowTheText) {
  std::string view;
  int notices = 0;
  log.changed = [&](const LogChange& c) {
    ++notices;
    switch (c.kind) {
      case LogChange::Kind::Reset: view.clear(); break;
      case LogChange::Kind::Text:
        view.erase(0, c.trimmed);
        view.insert(c.at, c.inserted);
        break;
      case LogChange::Kind::Controls: break;
    }
  };
  received("first");
  log.setInsertionPoint(0);
  log.screenInsert("head ");
  sent("second");
  EXPECT_EQ(view, screen());

  setLimit("3");
  for (int i = 0; i < 30000; ++i) {
    if (i % 1000 == 0) log.setInsertionPoint(0);
    received("frame " + std::to_string(i));
  }
  EXPECT_EQ(view, screen());
  EXPECT_EQ(screen(),
            "[14:05:09]受信 : frame 29997\r\n[14:05:09]受信 : frame 29998\r\n[14:05:09]受信 : frame 29999\r\n");
  EXPECT_GT(notices, 30000);
}

// ---------------------------------------------------------------------------
// Controls

TEST_F(TrafficLogTest, CheckBoxReactions) {
  EXPECT_TRUE(log.chkLogDsp());
  EXPECT_TRUE(log.optDspTypeEnabled());
  EXPECT_TRUE(log.chkFixEnabled());
  EXPECT_FALSE(log.txtLogRowEnabled());
  EXPECT_FALSE(log.optFileTypeEnabled());
  EXPECT_EQ(log.txtLogRow(), "20");
  EXPECT_EQ(log.m_LogRowMax(), 20);

  // chkFix: ticking empties the log and takes the limit; unticking keeps
  // the text and lets it grow.
  received("R0");
  log.setTxtLogRow("2");
  log.setChkFix(true);
  EXPECT_TRUE(log.txtLogRowEnabled());
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(log.m_LogRowMax(), 2);
  for (const char* r : {"R1", "R2", "R3"}) received(r);
  log.setChkFix(false);
  EXPECT_FALSE(log.txtLogRowEnabled());
  for (const char* r : {"R4", "R5"}) received(r);
  EXPECT_EQ(screen(), "[14:05:09]受信 : R2\r\n[14:05:09]受信 : R3\r\n[14:05:09]受信 : R4\r\n"
                      "[14:05:09]受信 : R5\r\n");

  // chkLogDsp: unticking disables the display controls and unticks chkFix;
  // the engine reads the same flag.
  // Ticking it again enables them; chkFix stays unticked.
  log.setChkFix(true);
  for (bool ticked : {false, true}) {
    SCOPED_TRACE(ticked ? "chkLogDsp ticked again" : "chkLogDsp unticked");
    log.setChkLogDsp(ticked);
    EXPECT_EQ(settings.chkLogDsp, ticked);
    EXPECT_EQ(log.optDspTypeEnabled(), ticked);
    EXPECT_EQ(log.chkFixEnabled(), ticked);
    EXPECT_FALSE(log.chkFix());
    EXPECT_FALSE(log.txtLogRowEnabled());
  }

  // chkLogFile and the port's settings lock: while the port is open the file
  // controls and saving are off.
  log.setChkLogFile(true);
  EXPECT_TRUE(log.optFileTypeEnabled());
  for (bool enabled : {false, true}) {
    SCOPED_TRACE(enabled ? "settings unlocked" : "settings locked");
    log.subEnable_CommSet(enabled);
    EXPECT_EQ(log.optFileTypeEnabled(), enabled);
    EXPECT_EQ(log.chkLogFileEnabled(), enabled);
    EXPECT_EQ(log.cmdSaveLogEnabled(), enabled);
    EXPECT_EQ(log.popLogSaveEnabled(), enabled);
  }
  log.setChkLogFile(false);
  EXPECT_FALSE(log.optFileTypeEnabled());
  // Unticked, they stay off when the settings unlock after a close.
  log.subEnable_CommSet(false);
  log.subEnable_CommSet(true);
  EXPECT_FALSE(log.optFileTypeEnabled());
  EXPECT_TRUE(log.chkLogFileEnabled());
}

// ---------------------------------------------------------------------------
// Traffic-log file

TEST_F(TrafficLogTest, FixedFileCollectsBannersOfTwoOpeningsAndTheScreenGetsAllButTheDate) {
  logToFixedFile();
  link.config.sum = CheckState::Checked;
  link.config.station = "05";
  ASSERT_TRUE(log.portOpened(banner()));
  EXPECT_TRUE(log.fileOpen());
  clock.set({2024, 5, 3, 14, 6, 0});
  ASSERT_TRUE(log.portClosed("3"));
  EXPECT_FALSE(log.fileOpen());

  // The second opening: no handshaking chosen, sum greyed, nothing on screen.
  log.setChkLogDsp(false);
  clock.set({2024, 5, 4, 9, 0, 1});
  PortBanner b = banner();
  b.handshaking.clear();
  b.chkSum = CheckState::Grayed;
  b.waitMs = 500;
  ASSERT_TRUE(log.portOpened(b));
  ASSERT_TRUE(log.portClosed("3"));

  const std::vector<std::string> first = {
      kOpen,
      "2024/05/03 14:05:09",
      "ポート PC = 3",
      "通信パラメータ : <9600,n,8,1>",
      "ハンドシェーク : RTS",
      "受信文字間Wait : 40 [mSec]",
      "コマンドタイプ : ACPU",
      "専用プロトコル : 形式１",
      "局番号         : 05",
      "ＰＣ番号       : FF",
      "チェックサム : 有り",
      kOpenEnd,
  };
  const std::vector<std::string> second = {
      kOpen,
      "2024/05/04 09:00:01",
      "ポート PC = 3",
      "通信パラメータ : <9600,n,8,1>",
      "受信文字間Wait : 500 [mSec]",
      "コマンドタイプ : ACPU",
      "専用プロトコル : 形式１",
      "局番号         : 05",
      "ＰＣ番号       : FF",
      "チェックサム : 無効",
      kOpenEnd,
  };
  EXPECT_EQ(test::readFile(folder + "/COMLOG.txt"),
            cp932::encode(crlf(first) + crlf({"Port = 3 close", "2024/05/03 14:06:00", kClose}) + crlf(second) +
                          crlf({"Port = 3 close", "2024/05/04 09:00:01", kClose})));
  EXPECT_EQ(filesUnder(folder), std::set<std::string>{"COMLOG.txt"});

  std::vector<std::string> onScreen = first;
  onScreen.erase(onScreen.begin() + 1);
  onScreen.push_back(kClose);
  EXPECT_EQ(screen(), crlf(onScreen));
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(TrafficLogTest, UniqueFileIsNamedAfterTheOpening) {
  log.GS_ComLogHdd = "LOG";
  log.setChkLogFile(true);
  log.setOptFileType(LogFileType::Unique);
  ASSERT_TRUE(log.portOpened(banner()));
  EXPECT_EQ(filesUnder(folder), std::set<std::string>{"LOG_0503_140509.txt"});
  EXPECT_EQ(test::readFile(folder + "/LOG_0503_140509.txt").substr(0, kOpen.size() + 2), kOpen + "\r\n");
  EXPECT_NE(screen().find("チェックサム : 無し\r\n"), std::string::npos);
}

TEST_F(TrafficLogTest, WithoutFileOutputOnlyTheScreenGetsTheBanner) {
  log.setOptFileType(LogFileType::Fixed);
  ASSERT_TRUE(log.portOpened(banner()));
  EXPECT_FALSE(log.fileOpen());
  EXPECT_TRUE(filesUnder(dir.str()).empty());
  EXPECT_EQ(screen().substr(0, kOpen.size() + 2), kOpen + "\r\n");
}

TEST_F(TrafficLogTest, FileThatCannotBeCreatedIsReportedAndTheLogCarriesOn) {
  struct Case {
    const char* name;
    LogFileType type;
    bool folderExists;
    std::string location;
  };
  const Case cases[] = {
      {"no file type", LogFileType::None, true, "frmMain.cmdPOpen_Click() 52"},
      {"missing folder", LogFileType::Fixed, false, "frmMain.cmdPOpen_Click() 76"},
  };
  log.GS_ComLog = "COMLOG";
  log.setChkLogFile(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    errors.reports.clear();
    log.popLogCls_Click();
    log.setOptFileType(c.type);
    log.comLogFolder = c.folderExists ? folder : dir.file("missing");
    EXPECT_FALSE(log.portOpened(banner()));
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(errors.reports[0].location, c.location);
    EXPECT_FALSE(log.fileOpen());
    EXPECT_TRUE(filesUnder(dir.str()).empty());
    EXPECT_EQ(screen(), "");  // the opening ends where it failed

    received("R");  // the log itself still works
    EXPECT_EQ(screen(), "[14:05:09]受信 : R\r\n");
    EXPECT_TRUE(log.portClosed("3"));
  }
  log.comLogFolder = folder;
  log.setOptFileType(LogFileType::Fixed);
  EXPECT_TRUE(log.portOpened(banner()));
  EXPECT_TRUE(log.fileOpen());
}

TEST_F(TrafficLogTest, ShutdownLinesEndTheFileAndNothingIsWrittenAfterwards) {
  logToFixedFile();
  ASSERT_TRUE(log.portOpened(banner()));
  log.filePrint("line");
  const std::string before = test::readFile(folder + "/COMLOG.txt");
  const std::string screenBefore = screen();

  log.shutdown("3");
  EXPECT_FALSE(log.fileOpen());
  log.filePrint("after");
  log.shutdown("3");
  EXPECT_EQ(test::readFile(folder + "/COMLOG.txt"),
            before + cp932::encode(crlf({kRule50, "Form_QueryUnload()", "Port = 3 close", kRule50})));
  EXPECT_EQ(screen(), screenBefore);
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(TrafficLogTest, LineErrorGoesToFileWithStampAndToScreenAsPlainLine) {
  logToFixedFile();
  ASSERT_TRUE(log.portOpened(banner()));
  log.popLogCls_Click();
  const std::string fileBefore = test::readFile(folder + "/COMLOG.txt");

  clock.set({2024, 5, 3, 15, 0, 7});
  log.lineError("04H フレーム エラーです\r\n");
  EXPECT_EQ(screen(), "【Comm Port 異常】 : 04H フレーム エラーです\r\n\r\n");

  log.setChkLogDsp(false);
  log.lineError("01H パリティ エラーです\r\n");
  EXPECT_EQ(screen(), "【Comm Port 異常】 : 04H フレーム エラーです\r\n\r\n");
  EXPECT_EQ(test::readFile(folder + "/COMLOG.txt"),
            fileBefore + cp932::encode("[15:00:07] 【Comm Port 異常】 : 04H フレーム エラーです\r\n\r\n"
                                       "[15:00:07] 【Comm Port 異常】 : 01H パリティ エラーです\r\n\r\n"));
}

// ---------------------------------------------------------------------------
// Saving the on-screen log

TEST_F(TrafficLogTest, SaveWritesCommentAndTimeNamedFileWithHeader) {
  received("ｱ-R1");
  sent("S1");
  test::writeFile(folder + "/test_140509.txt", "an older file of that name");
  presenter.inputAnswers = {std::string("test")};

  log.cmdSaveLog_Click("プロジェクトA", "Ombrisal - sample.bin");

  ASSERT_EQ(presenter.inputs.size(), 1u);
  EXPECT_EQ(presenter.inputs[0].text, "コメントを入力してください");
  EXPECT_EQ(presenter.inputs[0].title, "通信ログ保存");
  EXPECT_EQ(presenter.presets[0], "プロジェクトA");
  const std::string path = folder + "/test_140509.txt";
  EXPECT_EQ(test::readFile(path),
            cp932::encode("Ombrisal - sample.bin\r\n"
                          "収集日時 : 2024/05/03 14:05:09\r\n"
                          "コメント : <test>\r\n"
                          "[14:05:09]受信 : ｱ-R1\r\n"
                          "[14:05:09]送信 : S1\r\n\r\n"
                          "\r\n"));
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, path + "\r\nへ書き込み完了しました。");
  EXPECT_EQ(presenter.boxes[0].title, "test_140509.txt");
  EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Information);
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(TrafficLogTest, CancelOrEmptyCommentSavesNothing) {
  presenter.inputAnswers = {std::string(), std::nullopt};
  log.popLogSave_Click("", "caption");
  log.popLogSave_Click("", "caption");
  EXPECT_EQ(presenter.inputs.size(), 2u);
  EXPECT_TRUE(presenter.boxes.empty());
  EXPECT_TRUE(filesUnder(dir.str()).empty());
}

TEST_F(TrafficLogTest, CommentThatCouldLeaveTheLogFolderIsRefused) {
  const std::string outside = dir.file("evil");
  const std::string cases[] = {
      "../evil", "..", "a..b", "sub/evil", "sub\\evil", outside, std::string("a\0b", 3), "tab\there",
      "a:b",     "a*b", "a?b", "a\"b",     "a<b",      "a>b",   "a|b",
  };
  for (const std::string& comment : cases) {
    SCOPED_TRACE(comment);
    presenter.boxes.clear();
    presenter.inputAnswers = {comment};
    log.popLogSave_Click("", "caption");
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].title, "通信ログ保存");
    EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_NE(presenter.boxes[0].text.find("保存を中止しました。"), std::string::npos);
    EXPECT_TRUE(filesUnder(dir.str()).empty());
    EXPECT_FALSE(fs::exists(outside + "_140509.txt"));
  }
  EXPECT_TRUE(errors.reports.empty());
}

// A save that cannot be written is told as a failure, naming the file and
// the reason, and leaves no file behind; what was there stays.
TEST_F(TrafficLogTest, AFailedSaveIsToldAsAFailureAndLeavesNoPartialFile) {
  received("R1");
  struct Case {
    const char* name;
    std::function<std::string()> folder;  // prepares the folder, gives its path
  };
  const Case cases[] = {
      {"missing folder", [&] { return dir.file("missing"); }},
      {"read-only folder",
       [&] {
         const std::string f = dir.file("readonly");
         fs::create_directories(f);
         fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec);
         return f;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (::geteuid() == 0 && std::string(c.name) == "read-only folder") continue;  // root writes anyway
    presenter.boxes.clear();
    log.comLogFolder = c.folder();
    presenter.inputAnswers = {std::string("test")};
    log.popLogSave_Click("", "caption");
    ASSERT_EQ(presenter.boxes.size(), 1u);
    const std::string path = log.comLogFolder + "/test_140509.txt";
    EXPECT_EQ(presenter.boxes[0].text.rfind(path + "\r\nへ書き込めませんでした。\r\n", 0), 0u) << presenter.boxes[0].text;
    EXPECT_GT(presenter.boxes[0].text.size(), (path + "\r\nへ書き込めませんでした。\r\n").size());  // the reason
    EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(presenter.boxes[0].title, "test_140509.txt");
    EXPECT_FALSE(fs::exists(path));
  }
  if (fs::exists(dir.file("readonly"))) fs::permissions(dir.file("readonly"), fs::perms::owner_all);
  EXPECT_TRUE(filesUnder(dir.str()).empty());
  EXPECT_TRUE(errors.reports.empty());
}

// A disk that fills up half-way (a file size limit stands for it): the old
// file of that name stays as it was, and no temporary file is left.
TEST_F(TrafficLogTest, ASaveThatDoesNotFitLeavesTheOldFileAsItWas) {
  for (int i = 0; i < 50; ++i) received("R" + std::to_string(i));
  const std::string path = folder + "/test_140509.txt";
  test::writeFile(path, "the old file");
  presenter.inputAnswers = {std::string("test")};
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 100;
  const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  log.popLogSave_Click("", "caption");
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldSignal);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_NE(presenter.boxes[0].text.find("へ書き込めませんでした。"), std::string::npos) << presenter.boxes[0].text;
  EXPECT_EQ(test::readFile(path), "the old file");
  EXPECT_EQ(filesUnder(folder), std::set<std::string>{"test_140509.txt"});
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// The engine logging into the traffic log: the decoded mode shows each
// frame read out, and the file carries the readings when asked to.
TEST_F(TrafficLogTest, TheDecodedModeAndTheFileShowWhatEachFrameMeans) {
  ManualScheduler loop{clock};
  SystemState state{errors};
  subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  LinkLists lists;
  MemoryTransport port{loop};
  LinkContext ctx{state, settings, lists, clock, log, {}};
  LinkEngine engine{ctx, loop, port};
  port.onReceived = [&](std::string_view bytes) { engine.feed(bytes); };
  port.open();
  settings.waitMs = 5;
  settings.chkViewAlert = true;
  state.memory.write(kD, 100, 7);
  logToFixedFile();
  ASSERT_TRUE(log.portOpened(banner()));
  log.setChkLogDsp(true);
  log.setOptDspType(DspType::Decoded);
  log.popLogCls_Click();
  auto exchange = [&](const std::string& request) {
    port.feed(request);
    loop.advance(1000);
    return port.takeOutput();
  };

  exchange("\x05" "00FFWR0D010002");
  exchange("\x05" "00FFBR0D000001");
  EXPECT_EQ(screen().rfind("[14:05:09]受信 : WR D0100 ×2\r\n"
                           "[14:05:09]送信 : WR D0100 ×2 → 0007 0000\r\n\r\n"
                           "[14:05:09]受信 : BR D0000 ×1\r\n【否定応答 受信電文】 : ",
                           0),
            0u)
      << screen();
  const std::string nak = "[14:05:09]送信 : NAK 06 (範囲外)\r\n\r\n";
  EXPECT_EQ(screen().substr(screen().size() - nak.size()), nak);
  // Not asked for: the file holds the three renderings only.
  exchange("\x05" "00FFWW0D0100010001");
  log.setFileReadings(true);
  exchange("\x05" "00FFWR0D010001");
  ASSERT_TRUE(log.portClosed("3"));
  std::string file;
  int err = 0;
  ASSERT_TRUE(readWholeFile(folder + "/COMLOG.txt", file, err));
  const std::string text = cp932::decode(file);
  EXPECT_EQ(text.find("解読 : WW"), std::string::npos) << text;
  EXPECT_NE(text.find("30 31 \r\n解読 : WR D0100 ×1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("解読 : WR D0100 ×1 → 0001\r\n\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace omb

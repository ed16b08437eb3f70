#include "store/error_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/cp932.h"
#include "test_support.h"

namespace omb {
namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  ErrorLogTest() { log.setFolder(dir.str()); }
  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock{DateTime{2026, 7, 3, 9, 5, 7}};
  ErrorLog log{presenter, clock};
};

TEST_F(ErrorLogTest, ShowsACriticalBoxThenAppendsOneCp932Line) {
  log.subPutErrorLog("Line 110:ファイルが見つかりません。", "frmMain.subFile_put() 53");
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "Error Line 110:ファイルが見つかりません。");
  EXPECT_EQ(presenter.boxes[0].title, "frmMain.subFile_put() 53");
  EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Critical);
  EXPECT_EQ(presenter.boxes[0].buttons, MsgButtons::Ok);

  clock.set(DateTime{2026, 12, 31, 23, 59, 58});
  log.subPutErrorLog("Line 0:x", "mdlSub.y() 9");
  const std::string expected =
      cp932::encode("2026/07/03 09:05:07 frmMain.subFile_put() 53 Line 110:ファイルが見つかりません。") +
      "\r\n2026/12/31 23:59:58 mdlSub.y() 9 Line 0:x\r\n";
  EXPECT_EQ(test::readFile(dir.file("Error_Log.TXT")), expected);
}

// Many failures found together are one box that lists them (the first 30)
// and still a line each in the log.
TEST_F(ErrorLogTest, ManyReportsAtOnceAreOneBoxAndALineEach) {
  std::vector<ErrorSink::Report> reports;
  for (int i = 1; i <= 32; ++i) reports.push_back({"Line 800:bad " + std::to_string(i), "m.read() 13"});
  log.subPutErrorLogs(reports);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  const std::string& text = presenter.boxes[0].text;
  EXPECT_EQ(text.rfind("Error (32)\r\nm.read() 13 Line 800:bad 1\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("Line 800:bad 30"), std::string::npos);
  EXPECT_EQ(text.find("Line 800:bad 31"), std::string::npos);
  EXPECT_NE(text.find("ほか 2 件"), std::string::npos);
  const std::string file = test::readFile(dir.file("Error_Log.TXT"));
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 32);
  EXPECT_NE(file.find("m.read() 13 Line 800:bad 32\r\n"), std::string::npos);
}

TEST_F(ErrorLogTest, AppendsToWhatIsAlreadyThere) {
  test::writeFile(dir.file("Error_Log.TXT"), "old line\r\n");
  log.subPutErrorLog("Line 1:d", "m.p() 5");
  EXPECT_EQ(test::readFile(dir.file("Error_Log.TXT")), "old line\r\n2026/07/03 09:05:07 m.p() 5 Line 1:d\r\n");
}

TEST_F(ErrorLogTest, AMissingFolderStillShowsTheBoxAndCreatesNothing) {
  log.setFolder(dir.file("removed"));
  log.subPutErrorLog("Line 1:d", "m.p() 5");
  EXPECT_EQ(presenter.boxes.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("removed")));
}

TEST_F(ErrorLogTest, AnErrorTrapEndsInTheLog) {
  guarded(log, "frmMain.subFile_put() ", [](ErrorTrap& trap) {
    trap.section(200);
    throw RuntimeError(kErrDiskFull);
  });
  const std::string line = "2026/07/03 09:05:07 frmMain.subFile_put() 61 Line 200:ディスクの空き容量が不足しています。";
  EXPECT_EQ(test::readFile(dir.file("Error_Log.TXT")), cp932::encode(line) + "\r\n");
}

class SysLogCheckTest : public ErrorLogTest {
 protected:
  std::string monthly() const { return dir.file("SysLog_07.txt"); }
  void check() { subSysLogCheck(dir.str(), clock, presenter, log); }
};

TEST_F(SysLogCheckTest, KeepsThisYearsFileAndDeletesAnOlderOne) {
  EXPECT_EQ(sysLogFileName(clock.now()), "SysLog_07.txt");
  test::writeFile(monthly(), "header\r\n2026/07/01 start\r\n");
  check();
  EXPECT_TRUE(std::filesystem::exists(monthly()));
  test::writeFile(monthly(), "header\r\n2025/07/01 start\r\n");
  check();
  EXPECT_FALSE(std::filesystem::exists(monthly()));
  check();  // no file: nothing to do
  EXPECT_TRUE(presenter.boxes.empty());
  EXPECT_EQ(presenter.beeps, 0);
}

TEST_F(SysLogCheckTest, AOneLineFileBeepsReportsAndIsKept) {
  test::writeFile(monthly(), "only one line\r\n");
  check();
  EXPECT_TRUE(std::filesystem::exists(monthly()));
  EXPECT_EQ(presenter.beeps, 1);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].title, "mdlFileAccess.subSysLogCheck()  Err:62");
  EXPECT_EQ(presenter.boxes[0].text, "Error Line 2:ファイルにこれ以上データがありません。");
}

TEST(FolderPath, SplitsAtTheLastSeparator) {
  struct Case { const char* path; const char* folder; const char* name; };
  for (auto c : {Case{"C:\\Work\\Test.bin", "C:\\Work\\", "Test.bin"},
                 Case{"/home/u/prj/a.bin", "/home/u/prj/", "a.bin"}, Case{"plain.bin", "", "plain.bin"},
                 Case{"dir/", "dir/", ""}, Case{"", "", ""}}) {
    FolderAndName r = subGetFolda_Path(c.path);
    EXPECT_EQ(r.folder, c.folder) << c.path;
    EXPECT_EQ(r.name, c.name) << c.path;
  }
}

}  // namespace
}  // namespace omb

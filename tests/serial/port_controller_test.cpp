// Discovery, settings, opening, closing and line events of the serial port,
// on the in-memory port.
#include "serial/port_controller.h"

#include <gtest/gtest.h>

#include "link/memory_port.h"
#include "test_support.h"

namespace omb {
namespace {

struct RecordingPortLog : PortLog {
  bool portOpened(const PortBanner& b) override {
    lines.push_back("open " + b.portNo + " " + b.settings + " " + b.handshaking + " " + std::to_string(b.waitMs));
    return true;
  }
  bool portClosed(const std::string& portNo) override {
    lines.push_back("close " + portNo);
    return true;
  }
  void lineError(const std::string& m) override { lines.push_back("error " + m); }
  void subEnable_CommSet(bool enabled) override { lines.push_back(enabled ? "enable" : "disable"); }
  std::vector<std::string> lines;
};

struct Fixture {
  ManualClock clock{DateTime{2026, 5, 3, 14, 5, 9}};
  ManualScheduler loop{clock};
  test::RecordingErrorSink errors;
  SystemState state{errors};
  LinkSettings link;
  LinkLists lists;
  MemoryPort port{loop};
  RecordingPresenter presenter;
  NullTrafficSink traffic;
  RecordingPortLog log;
  PortController* controller = nullptr;
  LinkContext ctx{state, link, lists, port, clock, presenter, traffic, nullptr, [this] { controller->cmdPClose_Click(); }};
  LinkEngine engine{ctx, loop};
  PortController pc{port, engine, link, log, presenter, errors, clock};
  Fixture() {
    controller = &pc;
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    link.chkViewAlert = true;
  }
};

TEST(PortController, DiscoveryListsThePortsThatOpenAndChoosesTheFirstThatOpensAgain) {
  Fixture f;
  int asked2 = 0;
  f.port.canOpen = [&](int n) { return n == 5 || (n == 2 && ++asked2 == 1); };  // port 2 is taken after the first pass
  EXPECT_EQ(f.pc.fncCommPort(), 5);
  ASSERT_EQ(f.pc.mnuCommPortNo.size(), 2u);
  EXPECT_EQ(f.pc.mnuCommPortNo[0].caption, "COM 2");
  EXPECT_EQ(f.pc.mnuCommPortNo[1].caption, "COM 5");
  EXPECT_TRUE(f.pc.mnuCommPortNo[1].checked);
  EXPECT_FALSE(f.pc.mnuCommPortNo[0].checked);
  EXPECT_EQ(f.pc.lblCommPort, "5");
  EXPECT_EQ(f.pc.panelPortNo, "5");
  EXPECT_EQ(f.pc.panelSetting, "9600,n,8,1");
  EXPECT_FALSE(f.port.portOpen());

  f.port.canOpen = [](int) { return false; };
  EXPECT_EQ(f.pc.fncCommPort(), 0);
  ASSERT_EQ(f.pc.mnuCommPortNo.size(), 1u);
  EXPECT_EQ(f.pc.mnuCommPortNo[0].tag, "0");
  EXPECT_EQ(f.pc.lblCommPort, "X");
}

TEST(PortController, TheSettingsStringAndLabelsFollowTheMenus) {
  Fixture f;
  f.pc.chooseBaud(0);
  f.pc.chooseParity('e');
  f.pc.chooseDataLength(7);
  f.pc.chooseStopBits(2);
  EXPECT_EQ(f.pc.panelSetting, "19200,e,7,2");
  EXPECT_EQ(f.pc.lblBlate, "19200");
  EXPECT_EQ(f.pc.lblParity, "偶数");
  EXPECT_EQ(f.pc.lblDataLen, "7");
  EXPECT_EQ(f.pc.lblStopBit, "2");
  f.pc.chooseBaud(6);
  EXPECT_EQ(f.pc.lblBlate, "  300");
  f.pc.parity = 0;  // a group with nothing checked adds nothing
  EXPECT_EQ(f.pc.settingsString(), "300,7,2");
}

TEST(PortController, OpeningAndClosing) {
  Fixture f;
  f.pc.lblCommPort = "X";
  f.pc.cmdPOpen_Click();
  ASSERT_EQ(f.presenter.boxes.size(), 1u);
  EXPECT_EQ(f.presenter.boxes[0].text, "ポート番号が不正です！");
  EXPECT_EQ(f.presenter.boxes[0].title, "ポート№異常");

  f.pc.fncCommPort();
  f.pc.hscWait = 120;
  f.pc.handshaking = 2;
  f.pc.cmdPOpen_Click();
  EXPECT_TRUE(f.port.portOpen());
  EXPECT_TRUE(f.pc.G_PortOpen);
  EXPECT_EQ(f.pc.panelStatus, "Open");
  EXPECT_FALSE(f.pc.cmdPOpenEnabled);
  EXPECT_TRUE(f.pc.cmdPCloseEnabled);
  EXPECT_FALSE(f.pc.commSetEnabled);
  EXPECT_EQ(f.link.waitMs, 120);
  EXPECT_EQ(f.port.rThreshold(), 1);
  EXPECT_EQ(f.port.handshaking(), 2);
  EXPECT_EQ(f.log.lines, (std::vector<std::string>{"disable", "open 1 9600,n,8,1 RTS 120"}));

  f.pc.cmdPClose_Click();
  EXPECT_FALSE(f.port.portOpen());
  EXPECT_FALSE(f.pc.G_PortOpen);
  EXPECT_EQ(f.pc.panelStatus, "Close");
  EXPECT_TRUE(f.pc.commSetEnabled);
  EXPECT_EQ(f.log.lines.back(), "close 1");
  EXPECT_EQ(f.log.lines[2], "enable");
  f.pc.cmdPClose_Click();
  EXPECT_EQ(f.presenter.boxes.back().text, "ポートが開いていません！");
  EXPECT_EQ(f.presenter.boxes.back().title, "未オープン");
}

TEST(PortController, APortThatWillNotOpenIsReportedAndDiscoveryRunsAgain) {
  Fixture f;
  f.pc.fncCommPort();  // every port opens: COM 1 is current
  f.port.canOpen = [](int n) { return n != 1; };
  f.pc.cmdPOpen_Click();
  EXPECT_FALSE(f.port.portOpen());
  ASSERT_EQ(f.presenter.boxes.size(), 1u);
  EXPECT_EQ(f.presenter.boxes[0].text, "COMポート1 がオープン出来ませんでした！");
  EXPECT_EQ(f.presenter.boxes[0].title, "設定異常");
  EXPECT_EQ(f.pc.lblCommPort, "2");  // rediscovered: the first port that opens now
}

TEST(PortController, LineErrorsAreAnsweredAtOnceAndLogged) {
  Fixture f;
  f.pc.fncCommPort();
  f.pc.cmdPOpen_Click();
  struct Case { CommEvent event; std::string reply, text; };
  const Case cases[] = {
      {CommEvent::FramingError, std::string(1, NAK) + "00FF04", "04H フレーム エラーです"},
      {CommEvent::Overrun, std::string(1, NAK) + "00FF05", "05H オーバーラン エラーです"},
      {CommEvent::ParityError, std::string(1, NAK) + "00FF01", "01H パリティ エラーです"},
      {CommEvent::RxOverflow, std::string(1, NAK) + "00FF", "受信バッファがオーバーフロー"},
      {CommEvent::TxFull, std::string(1, NAK) + "00FF", "送信バッファがいっぱいです"},
  };
  for (const auto& c : cases) {
    f.port.setRThreshold(0);
    f.port.feed("00FF");  // pending input is thrown away
    f.port.raise(c.event);
    f.loop.runDue();
    EXPECT_EQ(f.port.takeOutput(), c.reply);
    EXPECT_EQ(f.link.lblSnd, c.reply);
    EXPECT_EQ(f.link.lblComErr, "[14:05:09] " + c.text + "\r\n");
    EXPECT_EQ(f.log.lines.back(), "error " + c.text + "\r\n");
    EXPECT_EQ(f.port.inBufferCount(), 0);
    EXPECT_EQ(f.port.rThreshold(), 1);
  }
  // After a format-2 request the block number and, in format 3, NN go along.
  f.link.blockNo = "12";
  f.link.nakCode = "NN";
  f.port.raise(CommEvent::FramingError);
  f.port.raise(CommEvent::Break);  // ignored
  f.loop.runDue();
  EXPECT_EQ(f.port.takeOutput(), std::string(1, NAK) + "1200FFNN04");
}

TEST(PortController, ALineErrorDuringABurstIsHandledWhenTheBurstIsOver) {
  Fixture f;
  f.pc.fncCommPort();
  f.pc.cmdPOpen_Click();
  f.port.feed(std::string(1, ENQ) + "00FFWR0D000001");
  f.loop.advance(5);
  ASSERT_TRUE(f.engine.busy());
  f.port.raise(CommEvent::ParityError);
  f.loop.advance(1000);
  EXPECT_EQ(f.port.takeOutput(),
            std::string(1, STX) + "00FF0000" + std::string(1, ETX) + std::string(1, NAK) + "00FF01");
  EXPECT_EQ(f.port.rThreshold(), 1);
}

TEST(PortController, RequestsArriveThroughThePortEvent) {
  Fixture f;
  f.pc.fncCommPort();
  f.pc.cmdPOpen_Click();
  f.port.feed(std::string(1, ENQ) + "00FFWR0D000001");
  f.loop.advance(1000);
  EXPECT_EQ(f.port.takeOutput(), std::string(1, STX) + "00FF0000" + std::string(1, ETX));
}

TEST(PortController, AVanishedDeviceClosesThePortOnceWithOneMessage) {
  Fixture f;
  f.pc.fncCommPort();
  f.pc.cmdPOpen_Click();
  f.port.raise(CommEvent::DeviceLost);
  f.loop.runDue();
  EXPECT_FALSE(f.port.portOpen());
  EXPECT_FALSE(f.pc.G_PortOpen);
  ASSERT_EQ(f.presenter.boxes.size(), 1u);
  EXPECT_EQ(f.presenter.boxes[0].title, "通信異常");
  EXPECT_EQ(f.log.lines[2].rfind("error COM1 の装置が見つからなくなりました。", 0), 0u);
  EXPECT_EQ(f.log.lines.back(), "close 1");
  f.pc.cmdPOpen_Click();  // and it opens again
  EXPECT_TRUE(f.port.portOpen());
}

}  // namespace
}  // namespace omb

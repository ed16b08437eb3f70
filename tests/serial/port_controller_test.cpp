// Discovery, settings, opening, closing and line events of the serial port,
// on the in-memory port.
#include "serial/port_controller.h"

#include <gtest/gtest.h>

#include "link/memory_transport.h"
#include "test_support.h"

namespace omb {
namespace {

// Records the port's sequences and the engine's line-error entries in one
// list, in the order they happen.
struct RecordingPortLog : PortLog, TrafficSink {
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
  void subDsp_CommLog(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void screenInsert(const std::string&) override {}
  bool fileOpen() const override { return false; }
  void filePrint(const std::string&) override {}
  std::vector<std::string> lines;
};

// The serial side of the in-memory line: which COM number is selected and
// what configuration was applied.
struct FakeLine : SerialLine {
  void setCommPort(int n) override { number = n; }
  int commPort() const override { return number; }
  void setLineConfig(const LineConfig& c) override { config = c; }
  LineConfig lineConfig() const override { return config; }
  std::vector<std::string> unappliedSettings() const override { return refused; }
  int number = 1;
  LineConfig config;
  std::vector<std::string> refused;
};

struct Fixture {
  ManualClock clock{DateTime{2026, 5, 3, 14, 5, 9}};
  ManualScheduler loop{clock};
  test::RecordingErrorSink errors;
  SystemState state{errors};
  LinkSettings link;
  LinkLists lists;
  MemoryTransport port{loop};
  FakeLine line;
  RecordingPresenter presenter;
  RecordingPortLog log;
  LinkContext ctx{state, link, lists, clock, log, nullptr};
  LinkEngine engine{ctx, loop, port};
  PortController pc{port, line, engine, link, log, presenter, errors, clock};
  // Which COM numbers open (all when unset).
  std::function<bool(int)> canOpen;
  Fixture() {
    port.canOpen = [this] { return !canOpen || canOpen(line.number); };
    engine.closeRequested = [this] { pc.cmdPClose_Click(); };
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    link.chkViewAlert = true;
  }
  // Chooses the first port that opens and opens it.
  void open() {
    pc.fncCommPort();
    pc.cmdPOpen_Click();
  }
  // The PC program reads D0 and gets what the port answers.
  std::string readD0() {
    port.feed(std::string(1, ENQ) + "00FFWR0D000001");
    loop.advance(1000);
    return port.takeOutput();
  }
};

TEST(PortController, DiscoveryListsThePortsThatOpenAndChoosesTheFirstThatOpensAgain) {
  Fixture f;
  int asked2 = 0;
  f.canOpen = [&](int n) { return n == 5 || (n == 2 && ++asked2 == 1); };  // port 2 is taken after the first pass
  EXPECT_EQ(f.pc.fncCommPort(), 5);
  ASSERT_EQ(f.pc.mnuCommPortNo.size(), 2u);
  EXPECT_EQ(f.pc.mnuCommPortNo[0].caption, "COM 2");
  EXPECT_EQ(f.pc.mnuCommPortNo[1].caption, "COM 5");
  EXPECT_TRUE(f.pc.mnuCommPortNo[1].checked);
  EXPECT_FALSE(f.pc.mnuCommPortNo[0].checked);
  EXPECT_EQ(f.pc.lblCommPort, "5");
  EXPECT_EQ(f.pc.panelPortNo, "5");
  EXPECT_EQ(f.pc.panelSetting, "9600,n,8,1");
  EXPECT_FALSE(f.port.isOpen());

  f.canOpen = [](int) { return false; };
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
  EXPECT_TRUE(f.port.isOpen());
  EXPECT_TRUE(f.pc.G_PortOpen);
  EXPECT_EQ(f.pc.panelStatus, "Open");
  EXPECT_FALSE(f.pc.cmdPOpenEnabled);
  EXPECT_TRUE(f.pc.cmdPCloseEnabled);
  EXPECT_FALSE(f.pc.commSetEnabled);
  EXPECT_EQ(f.link.waitMs, 120);
  EXPECT_EQ(f.line.config.handshake, Handshake::RtsCts);
  EXPECT_EQ(f.line.config, (LineConfig{9600, Parity::None, 8, 1, Handshake::RtsCts, 1024, 512, true}));
  EXPECT_EQ(f.log.lines, (std::vector<std::string>{"disable", "open 1 9600,n,8,1 RTS 120"}));

  f.pc.cmdPClose_Click();
  EXPECT_FALSE(f.port.isOpen());
  EXPECT_FALSE(f.pc.G_PortOpen);
  EXPECT_EQ(f.pc.panelStatus, "Close");
  EXPECT_TRUE(f.pc.commSetEnabled);
  EXPECT_EQ(f.log.lines.back(), "close 1");
  EXPECT_EQ(f.log.lines[2], "enable");
  f.pc.cmdPClose_Click();
  EXPECT_EQ(f.presenter.boxes.back().text, "ポートが開いていません！");
  EXPECT_EQ(f.presenter.boxes.back().title, "未オープン");
}

TEST(PortController, SettingsTheDeviceRefusedAreReportedOnceAfterTheBanner) {
  Fixture f;
  f.pc.fncCommPort();
  f.line.refused = {"パリティ e", "データ長 7"};
  std::vector<std::string> told;
  f.pc.onSettingsRefused = [&](const std::string& m) { told.push_back(m); };
  f.pc.cmdPOpen_Click();
  ASSERT_TRUE(f.port.isOpen());
  const std::string message = "COM1 の装置が受け付けなかった設定があります: パリティ e データ長 7";
  EXPECT_EQ(f.log.lines, (std::vector<std::string>{"disable", "open 1 9600,n,8,1 無し 40", "error " + message + "\r\n"}));
  EXPECT_EQ(told, std::vector<std::string>{message});
}

TEST(PortController, AVanishedDeviceCanBeLookedForUntilItIsBack) {
  Fixture f;
  f.pc.fncCommPort();
  int lost = 0;
  f.pc.onDeviceLost = [&] { ++lost; };
  f.pc.cmdPOpen_Click();
  f.port.raise(LineEvent::DeviceLost);
  f.loop.runDue();
  EXPECT_EQ(lost, 1);
  EXPECT_TRUE(f.presenter.boxes.empty());  // the owner tells, not a box
  f.canOpen = [](int) { return false; };
  EXPECT_FALSE(f.pc.reopen());
  f.canOpen = nullptr;
  EXPECT_TRUE(f.pc.reopen());
  EXPECT_TRUE(f.port.isOpen());
  EXPECT_EQ(f.pc.panelStatus, "Open");
  EXPECT_EQ(f.log.lines.back(), "open 1 9600,n,8,1 無し 40");
  EXPECT_EQ(f.readD0(), std::string(1, STX) + "00FF0000" + std::string(1, ETX));
}

TEST(PortController, APortThatWillNotOpenIsReportedAndDiscoveryRunsAgain) {
  Fixture f;
  f.pc.fncCommPort();  // every port opens: COM 1 is current
  f.canOpen = [](int n) { return n != 1; };
  f.pc.cmdPOpen_Click();
  EXPECT_FALSE(f.port.isOpen());
  ASSERT_EQ(f.presenter.boxes.size(), 1u);
  EXPECT_EQ(f.presenter.boxes[0].text, "COMポート1 がオープン出来ませんでした！");
  EXPECT_EQ(f.presenter.boxes[0].title, "設定異常");
  EXPECT_EQ(f.pc.lblCommPort, "2");  // rediscovered: the first port that opens now
}

TEST(PortController, LineErrorsAreAnsweredAtOnceAndLogged) {
  Fixture f;
  f.open();
  struct Case { LineEvent event; std::string reply, text; };
  const Case cases[] = {
      {LineEvent::FramingError, std::string(1, NAK) + "00FF04", "04H フレーム エラーです"},
      {LineEvent::Overrun, std::string(1, NAK) + "00FF05", "05H オーバーラン エラーです"},
      {LineEvent::ParityError, std::string(1, NAK) + "00FF01", "01H パリティ エラーです"},
      {LineEvent::RxOverflow, std::string(1, NAK) + "00FF", "受信バッファがオーバーフロー"},
      {LineEvent::TxFull, std::string(1, NAK) + "00FF", "送信バッファがいっぱいです"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    f.port.raise(c.event);
    f.port.feed("00FF");  // pending input is thrown away
    f.loop.runDue();
    EXPECT_EQ(f.port.takeOutput(), c.reply);
    EXPECT_EQ(f.link.lblSnd, c.reply);
    EXPECT_EQ(f.link.lblComErr, "[14:05:09] " + c.text + "\r\n");
    EXPECT_EQ(f.log.lines.back(), "error " + c.text + "\r\n");
    EXPECT_EQ(f.port.undelivered(), 0u);
    EXPECT_FALSE(f.engine.busy());
  }
  // After a format-2 request its block number goes along, after a format-3
  // request NN.
  struct Follow { Format format; std::string request, reply; };
  for (const auto& c : {Follow{Format::F2, std::string(1, ENQ) + "1200FFWR0D000001", std::string(1, NAK) + "1200FF04"},
                        Follow{Format::F3, std::string(1, STX) + "00FFWR0D000001" + std::string(1, ETX),
                               std::string(1, NAK) + "00FFNN04"}}) {
    SCOPED_TRACE(c.request);
    f.link.config.format = c.format;
    f.port.feed(c.request);
    f.loop.advance(1000);
    f.port.takeOutput();
    f.port.raise(LineEvent::FramingError);
    f.loop.runDue();
    EXPECT_EQ(f.port.takeOutput(), c.reply);
  }
}

TEST(PortController, ALineErrorDuringABurstIsHandledWhenTheBurstIsOver) {
  Fixture f;
  f.open();
  f.port.feed(std::string(1, ENQ) + "00FFWR0D000001");
  f.loop.advance(5);
  ASSERT_TRUE(f.engine.busy());
  f.port.raise(LineEvent::ParityError);
  f.loop.advance(1000);
  EXPECT_EQ(f.port.takeOutput(),
            std::string(1, STX) + "00FF0000" + std::string(1, ETX) + std::string(1, NAK) + "00FF01");
  EXPECT_FALSE(f.engine.busy());
}

TEST(PortController, RequestsArriveThroughThePortEvent) {
  Fixture f;
  f.open();
  EXPECT_EQ(f.readD0(), std::string(1, STX) + "00FF0000" + std::string(1, ETX));
}

TEST(PortController, AVanishedDeviceClosesThePortOnceWithOneMessage) {
  Fixture f;
  f.open();
  f.port.raise(LineEvent::DeviceLost);
  f.loop.runDue();
  EXPECT_FALSE(f.port.isOpen());
  EXPECT_FALSE(f.pc.G_PortOpen);
  ASSERT_EQ(f.presenter.boxes.size(), 1u);
  EXPECT_EQ(f.presenter.boxes[0].title, "通信異常");
  EXPECT_EQ(f.log.lines[2].rfind("error COM1 の装置が見つからなくなりました。", 0), 0u);
  EXPECT_EQ(f.log.lines.back(), "close 1");
  f.pc.cmdPOpen_Click();  // and it opens again
  EXPECT_TRUE(f.port.isOpen());
}

}  // namespace
}  // namespace omb

// A PC program writes over a virtual port; the open view shows the new
// value before the reply reaches the PC program.
#include <poll.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/frm_main.h"
#include "pc_port.h"
#include "test_support.h"
#include "views/flex_grid.h"
#include "views/view_factory.h"
#include "app/compose.h"
#include "app/app_core.h"
#include "views/view_manager.h"
#include "views/word_view.h"

namespace omb {
namespace {

TEST(ViewsEndToEnd, AWriteOverTheLineIsShownBeforeTheReplyIsSent) {
  test::TempDir dir;
  std::string ini = test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
  ini += "COM1=pty:" + dir.file("com1") + "\r\n";
  for (int n = 2; n <= 16; ++n) ini += "COM" + std::to_string(n) + "=" + dir.file("none") + "\r\n";
  test::writeFile(dir.file("Init.ini"), ini);
  RecordingPresenter presenter;
  SystemClock clock;
  AppCore core(presenter, clock, dir.str() + "/");
  ASSERT_TRUE(core.startUp());
  FrmMain main(core);
  main.Form_Load();
  ViewManager views(omb::viewHostOf(core), &main);
  views.factory = createSingleView;
  views.openSingleView(kD);
  auto* view = dynamic_cast<FrmWordDevice*>(views.view(kD));
  ASSERT_NE(view, nullptr);

  // What the view shows, and whether the PC program has its reply yet, at
  // the moment the engine announces the change.
  test::PcPort* pc = nullptr;
  QString shown;
  bool announced = false, replyWaiting = true;
  core.subDspRenew = [&](const std::string& device, const std::string& code) {
    views.subDspRenew(device, code);
    shown = view->panel(0)->textMatrix(2, 1);  // D000001
    replyWaiting = pc && pc->waiting();
    announced = true;
  };
  main.findChild<QPushButton*>("cmdPOpen")->click();  // sum check on, format 1
  ASSERT_TRUE(core.line.isOpen());
  test::PcPort peer(dir.file("com1"));
  pc = &peer;
  ASSERT_TRUE(peer.ok());
  peer.send(std::string(1, ENQ) + "00FFWW0D0001011234FA");  // D1 = 1234h (4660)
  std::string reply;
  QElapsedTimer t;
  t.start();
  while (reply.size() < 5 && t.elapsed() < 3000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    reply += peer.receive(5 - reply.size(), 1);
  }
  EXPECT_EQ(reply, std::string(1, ACK) + "00FF");
  EXPECT_TRUE(announced);
  EXPECT_FALSE(replyWaiting);
  EXPECT_EQ(shown, "4660");
  EXPECT_EQ(core.state.memory.fncDeviceData(1, "D"), 0x1234);
}

}  // namespace
}  // namespace omb

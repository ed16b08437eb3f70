// One project, opened by each of the program's front ends: the main window
// (as its File menu does), the control channel's `load`, and the serve
// mode's --project.  Each ends in the same state: device memory, test and
// monitor lists, monitor comments, device comments, value generators, link
// and line settings, and the window records.  The state is compared as each
// front end saves it again.
#include <gtest/gtest.h>

#include <QApplication>

#include <filesystem>

#include "app/compose.h"
#include "app/control_commands.h"
#include "app/frm_main.h"
#include "app/project_commands.h"
#include "e2e/serve_process.h"
#include "store/project_file.h"
#include "test_support.h"
#include "views/view_manager.h"

namespace omb {
namespace {

class FrontEnds : public ::testing::Test {
 protected:
  FrontEnds() { test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini")); }
  std::unique_ptr<AppCore> start() {
    auto core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    return core;
  }
  // Writes the project every front end opens: nothing in it is a default.
  void author(const std::string& path) {
    auto core = start();
    core->link.config = LinkConfig{Format::F4, CpuType::AnACPU, "05", "FE", CheckState::Unchecked, false};
    core->pc.hscWait = 42;
    core->pc.baudIndex = 0;
    core->pc.parity = 'o';
    core->pc.stopBits = 2;
    core->state.memory.subDeviceWrite(100, "D", 1234);
    core->state.memory.subBitWrite(0x1F, "X", true);
    core->lists.MoniWordList[0].deviceText = "D0100";
    core->state.monitorComments.moniWord[0] = "pump speed";
    core->settings.G_SetWindow[3].flg = true;
    core->settings.G_SetWindow[3].Page = 2;
    core->comments.subAdd_Comment("D000100\tpump");
    std::string why;
    // Paused: a running one would move D300 while a front end works.
    ASSERT_TRUE(core->generators.load("counter D300 period=100 paused", clock.steadyMs(), why)) << why;
    ProjectCommands project(*core);
    ASSERT_FALSE(project.subFile_put(path).has_value());
    ASSERT_TRUE(core->comments.subFile_putDevCmnt(commentFileOf(path)));
    ASSERT_FALSE(project.saveSimFile(path).has_value());
  }

  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
};

// What a saved project says of the state, for comparing.
struct Saved {
  ProjectImage image;
  std::string comments, generators;
};
Saved savedAt(const std::string& path) {
  ProjectRead read = readProject(test::readFile(path));
  EXPECT_TRUE(read.image) << path << ": " << read.error;
  return {read.image ? *read.image : ProjectImage{}, test::readFile(commentFileOf(path)),
          test::readFile(simFileOf(path))};
}

void expectSameState(const Saved& a, const Saved& b) {
  EXPECT_EQ(a.image.memory, b.image.memory);
  EXPECT_EQ(a.image.station, b.image.station);
  EXPECT_EQ(a.image.sum, b.image.sum);
  EXPECT_EQ(a.image.wait, b.image.wait);
  EXPECT_EQ(a.image.menus.formats, b.image.menus.formats);
  EXPECT_EQ(a.image.menus.anAcpu, b.image.menus.anAcpu);
  EXPECT_EQ(a.image.menus.bauds, b.image.menus.bauds);
  EXPECT_EQ(a.image.menus.parities, b.image.menus.parities);
  EXPECT_EQ(a.image.menus.stopBit2, b.image.menus.stopBit2);
  EXPECT_EQ(a.image.lists.MoniWordList[0].deviceText, b.image.lists.MoniWordList[0].deviceText);
  EXPECT_EQ(a.image.monitorComments.moniWord, b.image.monitorComments.moniWord);
  ASSERT_EQ(a.image.windows.size(), b.image.windows.size());
  for (std::size_t s = 0; s < a.image.windows.size(); ++s) {
    EXPECT_EQ(a.image.windows[s].flg, b.image.windows[s].flg) << "window " << s;
    EXPECT_EQ(a.image.windows[s].Page, b.image.windows[s].Page) << "window " << s;
  }
  EXPECT_EQ(a.comments, b.comments);
  EXPECT_EQ(a.generators, b.generators);
}

TEST_F(FrontEnds, TheWindowTheControlChannelAndTheServeModeOpenAProjectAlike) {
  const std::string project = dir.file("line 5.bin");
  ASSERT_NO_FATAL_FAILURE(author(project));
  const Saved original = savedAt(project);
  ASSERT_EQ(original.image.station, "05");

  // The window, composed as the program composes it; the File menu's open.
  {
    auto core = start();
    FrmMain w(*core);
    ViewManager views(viewHostOf(*core), &w);
    ProjectCommands commands(*core);
    composeWindow(*core, w, views, commands);
    w.Form_Load();
    presenter.fileAnswers = {project};
    w.findChild<QAction*>("mnuFileOpen")->trigger();
    EXPECT_EQ(commands.projectPath(), project);
    EXPECT_TRUE(views.isOpen(3));  // the window the project marks as open
    EXPECT_EQ(core->link.config.station, "05");
    const std::string out = dir.file("window.bin");
    ASSERT_FALSE(commands.subFile_put(out).has_value());
    ASSERT_TRUE(core->comments.subFile_putDevCmnt(commentFileOf(out)));
    ASSERT_FALSE(commands.saveSimFile(out).has_value());
    SCOPED_TRACE("window");
    expectSameState(original, savedAt(out));
  }
  // The control channel of a program that started with its defaults.
  {
    auto core = start();
    ProjectCommands commands(*core);
    ControlInterpreter ctl(controlTargetsOf(*core, commands));
    EXPECT_EQ(ctl.run("load " + project).answer, R"j({"ok":true})j");
    const std::string out = dir.file("control.bin");
    EXPECT_EQ(ctl.run("save " + out).answer, R"j({"ok":true})j");
    SCOPED_TRACE("control channel");
    expectSameState(original, savedAt(out));
  }
  // The serve mode, saved through its control socket.
  {
    const std::string com = dir.file("com"), sock = dir.file("ctl.sock"), out = dir.file("serve.bin");
    test::ServeProcess serve({"--serve", "pty:" + com, "--project", project, "--control", sock, "--ini",
                              dir.file("Init.ini")});
    ASSERT_TRUE(serve.waitForOutput("serving on " + com)) << serve.out << serve.err;
    test::ServeProcess save({"ctl", sock, "save", out});
    EXPECT_EQ(save.wait(30000), 0) << save.out << save.err;
    EXPECT_EQ(serve.stop(), 0) << serve.err;
    SCOPED_TRACE("serve mode");
    expectSameState(original, savedAt(out));
  }
}

}  // namespace
}  // namespace omb

// The script window offscreen, and the control channel's script commands:
// both on the program's one script host.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/control_channel.h"
#include "app/control_commands.h"
#include "app/frm_main.h"
#include "app/frm_script.h"
#include "app/script_control.h"
#include "test_support.h"
#include "widget_support.h"

namespace omb {
namespace {

using test::child;

class ScriptWindow : public ::testing::Test {
 protected:
  ScriptWindow() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
  }

  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
  std::unique_ptr<AppCore> core;
};

TEST_F(ScriptWindow, RunsTheEditorsTextMarksAnErrorsLineAndShowsTheConsole) {
  ASSERT_FALSE(core->script.load("log('from before');", "Line_Script.js"));
  FrmMain main(*core);
  main.findChild<QAction*>("mnuScript")->trigger();
  auto* w = main.findChild<FrmScript*>("frmScript");
  ASSERT_NE(w, nullptr);
  auto* editor = child<ScriptEditor>(*w, "txtScript");
  auto* console = child<QPlainTextEdit>(*w, "txtScriptConsole");
  auto* state = child<QLabel>(*w, "lblScriptState");
  // It opens on the script in use and what it said so far.
  EXPECT_EQ(editor->toPlainText(), "log('from before');");
  EXPECT_EQ(console->toPlainText(), "from before");
  EXPECT_TRUE(state->text().startsWith("実行中: Line_Script.js")) << state->text().toStdString();

  // A mistake: told in the console at its line, the line marked; the
  // script that ran goes on.
  editor->setPlainText("on('M0', function (v) {\n  log('M0 is', v);\n  set('D0', v +);\n});");
  child<QPushButton>(*w, "cmdScriptRun")->click();
  EXPECT_EQ(editor->errorLines(), QSet<int>{3});
  EXPECT_TRUE(console->toPlainText().contains("Line_Script.js:3: SyntaxError")) << console->toPlainText().toStdString();
  EXPECT_TRUE(core->script.running());

  editor->setPlainText("on('M0', function (v) {\n  log('M0 is', v);\n  set('D0', v + 1);\n});");
  EXPECT_TRUE(editor->errorLines().isEmpty()) << "an edit clears the marks";
  child<QPushButton>(*w, "cmdScriptRun")->click();
  EXPECT_TRUE(state->text().contains("変化の処理 1")) << state->text().toStdString();
  core->state.memory.writeDevice(kM, 0, 1);
  core->state.memory.publish("All");
  QApplication::processEvents();
  EXPECT_TRUE(console->toPlainText().endsWith("M0 is 1")) << console->toPlainText().toStdString();
  EXPECT_EQ(*core->state.memory.deviceValue(kD, 0), 2);
  // The running script is what a project saves.
  EXPECT_EQ(core->script.source(), editor->toPlainText().toStdString());

  child<QPushButton>(*w, "cmdScriptStop")->click();
  EXPECT_EQ(state->text(), "停止中");
  EXPECT_FALSE(child<QPushButton>(*w, "cmdScriptStop")->isEnabled());
}

// The script commands of the control channel, on a host of their own.
class ScriptCommands : public ::testing::Test {
 protected:
  ScriptCommands() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    host.memoryOf = [this](std::string_view st) { return st.empty() ? &state.memory : nullptr; };
  }
  std::string run(std::string_view line) { return interpreter.run(line).answer; }

  test::TempDir dir;
  test::RecordingErrorSink errors;
  SystemState state{errors};
  ManualClock clock;
  ManualScheduler scheduler{clock};
  FaultInjector faults;
  LinkStats stats;
  ScriptHost host{scheduler, clock};
  ControlInterpreter interpreter{ControlTargets{
      state.memory, scheduler, faults, stats, {}, {}, {}, {}, {},
      [this](const std::vector<std::string_view>& words, std::string_view rest) {
        return scriptControl(host, words, rest);
      }}};
};

TEST_F(ScriptCommands, LoadStopAndStatusAreAnsweredAsJson) {
  test::writeFile(dir.file("good one.js"), "set('D1', 5);\non('M0', function () {});\nevery(100, function () {});");
  test::writeFile(dir.file("bad.js"), "\nnosuch();");
  const std::string stopped =
      R"({"ok":true,"script":{"running":false,"file":"","handlers":0,"timers":0,"errors":0,"last_error":""}})";
  struct Case {
    std::string request, answer;
  };
  const Case cases[] = {
      {"script status", stopped},
      {"script load " + dir.file("good one.js"),
       R"({"ok":true,"script":{"running":true,"file":"good one.js","handlers":1,"timers":1,"errors":0,"last_error":""}})"},
      {"script load " + dir.file("bad.js"), R"({"ok":false,"error":"bad.js:2: ReferenceError: nosuch is not defined"})"},
      {"script load " + dir.file("none.js"),
       R"({"ok":false,"error":"cannot read )" + dir.file("none.js") + R"(: No such file or directory"})"},
      {"script status",
       R"({"ok":true,"script":{"running":true,"file":"good one.js","handlers":1,"timers":1,"errors":1,"last_error":"bad.js:2: ReferenceError: nosuch is not defined"}})"},
      {"script stop",
       R"({"ok":true,"script":{"running":false,"file":"bad.js","handlers":0,"timers":0,"errors":1,"last_error":"bad.js:2: ReferenceError: nosuch is not defined"}})"},
      {"script", R"({"ok":false,"error":"usage: script load FILE, script stop or script status"})"},
      {"script load", R"({"ok":false,"error":"usage: script load FILE, script stop or script status"})"},
      {"script stop now", R"({"ok":false,"error":"usage: script load FILE, script stop or script status"})"},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.request), c.answer) << c.request;
  EXPECT_EQ(*state.memory.deviceValue(kD, 1), 5);
  EXPECT_TRUE(scheduler.idle());
  // ctl makes a relative script path whole before it leaves.
  EXPECT_EQ(controlRequestText({"script", "load", "lines/a.js"}, "/home/pc"), "script load /home/pc/lines/a.js");
  EXPECT_EQ(controlRequestText({"script", "status"}, "/home/pc"), "script status");
}

}  // namespace
}  // namespace omb

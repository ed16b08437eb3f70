// The window's File menu writes and reads device values, and the log area
// offers the decoded mode and the readings in the file.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>

#include "app/compose.h"
#include "app/frm_main.h"
#include "app/project_commands.h"
#include "test_support.h"
#include "views/view_manager.h"

namespace omb {
namespace {

TEST(ValuesMenu, ExportsAndImportsDeviceValuesAndABadFileChangesNothing) {
  test::TempDir dir;
  test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  RecordingPresenter presenter;
  ManualClock clock;
  AppCore core(presenter, clock, dir.str() + "/");
  ASSERT_TRUE(core.startUp());
  FrmMain w(core);
  ViewManager views(viewHostOf(core), &w);
  ProjectCommands project(core);
  composeWindow(core, w, views, project);
  w.Form_Load();

  core.state.memory.writeDevice(kD, 100, 1234);
  core.state.memory.writeDevice(kX, 0x1F, 1);
  presenter.saveAnswers = {dir.file("values.csv")};
  w.findChild<QAction*>("mnuValuesExport")->trigger();
  EXPECT_EQ(test::readFile(dir.file("values.csv")), "device,value\nD100,1234\nX1F,1\n");

  test::writeFile(dir.file("bad.csv"), "D100,7\nX1F,3\n");
  presenter.fileAnswers = {dir.file("bad.csv")};
  w.findChild<QAction*>("mnuValuesImport")->trigger();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_NE(presenter.boxes[0].text.find("bad.csv: 2 行目: "), std::string::npos) << presenter.boxes[0].text;
  EXPECT_EQ(core.state.memory.deviceValue(kD, 100), 1234);

  test::writeFile(dir.file("good.json"), "{\"D100\":7,\"X1F\":0}");
  presenter.fileAnswers = {dir.file("good.json")};
  w.findChild<QAction*>("mnuValuesImport")->trigger();
  EXPECT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(core.state.memory.deviceValue(kD, 100), 7);
  EXPECT_EQ(core.state.memory.deviceValue(kX, 0x1F), 0);

  // The log's fourth mode and the readings of the file.
  w.findChild<QRadioButton*>("optDspType3")->click();
  EXPECT_EQ(core.log.optDspType(), DspType::Decoded);
  w.findChild<QCheckBox*>("chkLogReading")->click();
  EXPECT_TRUE(core.log.fileReadings());
}

}  // namespace
}  // namespace omb

#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>

#include "test_support.h"

namespace omb {
namespace {

QApplication& app() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication a(argc, argv);
  return a;
}

TEST(FrmMain, OpensShowingTheDeviceLayoutAndCloses) {
  app();
  test::RecordingErrorSink errors;
  SystemState state(errors);
  subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  FrmMain w(state);
  w.show();
  auto* grid = w.findChild<QTableWidget*>("fgrdDevices");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->rowCount(), kKindCount);
  EXPECT_EQ(grid->item(kMx, 0)->text(), QStringLiteral("特殊リレーＭ"));
  EXPECT_EQ(grid->item(kMx, 2)->text(), QStringLiteral("M009255"));
  EXPECT_EQ(grid->item(kMx, 3)->text(), QStringLiteral("16"));
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace omb

#include "core/view_records.h"

#include <gtest/gtest.h>

#include "core/system_state.h"
#include "test_support.h"

namespace omb {
namespace {

TEST(MultiViews, WindowsAreNumberedFromOneAndAFreedNumberIsReused) {
  MultiViews m;
  EXPECT_EQ(m.subAdd_MultiView(1, 0), 1);
  EXPECT_EQ(m.subAdd_MultiView(1, 1), 2);
  EXPECT_EQ(m.subAdd_MultiView(1, 2), 3);
  EXPECT_EQ(m.G_MultiNo[1], 3);
  EXPECT_EQ(m.G_MultiLast[1], 1);  // the highest index before the array grew
  m.G_MultiView[1].records[1].number = 0;  // window 2 closed
  EXPECT_EQ(m.subAdd_MultiView(1, 2), 2);
  EXPECT_EQ(m.subAdd_MultiView(7, 0), 1);  // kinds count apart
  m.G_MultiView[1].open = true;
  m.resetRecords();
  EXPECT_EQ(m.G_MultiView[1].records.size(), 1u);
  EXPECT_TRUE(m.G_MultiView[1].open);
  EXPECT_EQ(m.G_MultiLast[1], 0);
  m.clearAll();
  EXPECT_FALSE(m.G_MultiView[1].open);
}

TEST(CellStyles, RecreatingStorageForgetsStylesAndResetKeepsTheAddress) {
  test::RecordingErrorSink errors;
  SystemState state(errors);
  subSetOldVersionRanges(state.range5, state.range7);
  CellStyleRecord r{"D", 100, "D000100", {}};
  r.columns[1].set = true;
  r.columns[1].bold = true;
  r.columns[1].fontName = "Other";
  state.cellStyles.push_back(r);
  subInit_Font(state.cellStyles[1]);
  EXPECT_FALSE(state.cellStyles[1].columns[1].set);
  EXPECT_EQ(state.cellStyles[1].columns[1].fontName, "ＭＳ ゴシック");
  EXPECT_EQ(state.cellStyles[1].columns[1].fontSize, 9.0f);
  EXPECT_EQ(state.cellStyles[1].addressText, "D000100");
  state.subReDim_Device();
  EXPECT_EQ(state.cellStyles.size(), 1u);
}

}  // namespace
}  // namespace omb

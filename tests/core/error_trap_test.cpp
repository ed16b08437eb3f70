#include "core/error.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace omb {
namespace {

TEST(ErrorTrap, ReportsOnceWithLabelNumberAndLastSection) {
  test::RecordingErrorSink errors;
  int closed = 0;
  struct Closer {
    int& n;
    ~Closer() { ++n; }
  };
  const int result = guarded(errors, "frmMain.subFile_put() ", 42, [&](ErrorTrap& trap) {
    Closer file{closed};
    trap.section(100);
    trap.section(110);
    throw RuntimeError(kErrFileNotFound);
    return 1;
  });
  EXPECT_EQ(result, 42);  // the neutral result
  EXPECT_EQ(closed, 1);   // what the procedure held is released
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "frmMain.subFile_put() 53");
  EXPECT_EQ(errors.reports[0].detail, "Line 110:ファイルが見つかりません。");
}

TEST(ErrorTrap, AFailureBeforeAnySectionIsSectionZero) {
  test::RecordingErrorSink errors;
  guarded(errors, "mdlSub.x() ", [](ErrorTrap&) { throw RuntimeError(7, "custom"); });
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].detail, "Line 0:custom");
  EXPECT_EQ(errors.reports[0].location, "mdlSub.x() 7");
}

TEST(ErrorTrap, SuccessReportsNothingAndOtherExceptionsAreStillTrapped) {
  test::RecordingErrorSink errors;
  EXPECT_EQ(guarded(errors, "a.b() ", 0, [](ErrorTrap&) { return 5; }), 5);
  EXPECT_TRUE(errors.reports.empty());
  EXPECT_EQ(guarded(errors, "a.b() ", -1, [](ErrorTrap&) -> int { throw std::out_of_range("x"); }), -1);
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "a.b() 5");
}

}  // namespace
}  // namespace omb

// The device windows in English: their titles, buttons, menus and tool tips
// translated, nothing left in Japanese, the data they show unchanged.
#include <gtest/gtest.h>

#include <QPushButton>

#include "english.h"
#include "view_fixture.h"
#include "views/bit_view.h"
#include "views/list_view.h"
#include "views/word_view.h"

namespace omb {
namespace {

class EnglishViews : public test::ViewFixture {};

TEST_F(EnglishViews, EveryKindOfWindowShowsNoJapanese) {
  test::English english;
  ASSERT_TRUE(english.ok);
  // A device comment is data: it is shown as the user wrote it.
  core->comments.subAdd_Comment("D000000\t搬送速度");
  struct Case {
    int slot;
    const char* title;
  };
  // A word view, a word view as bits, a bit view, the test monitor, the
  // user's lists.
  const Case cases[] = {{kD, "Data register D"}, {20, "Data register  D"}, {kX, "Input  X"},
                        {18, "Test Monitor"},     {19, "User settings"}};
  for (const Case& c : cases) {
    manager->openSingleView(c.slot);
    QWidget* v = manager->view(c.slot);
    ASSERT_NE(v, nullptr) << c.slot;
    EXPECT_EQ(v->windowTitle(), QString::fromUtf8(c.title));
    const QStringList left = test::japaneseLeft(*v);
    EXPECT_EQ(left, QStringList()) << c.slot;
  }
  auto& word = dynamic_cast<FrmWordDevice&>(*manager->view(kD));
  EXPECT_EQ(test::find<QPushButton>(word, "cmdMoni0").text(), "Reg.");
  EXPECT_EQ(test::find<QPushButton>(word, "cmdAllClr").toolTip(), "Clears every value to 0");
  EXPECT_EQ(word.panel(0)->textMatrix(1, 3), QString::fromUtf8("搬送速度"));
}

TEST_F(EnglishViews, MultiWindowsAreTitledInEnglish) {
  test::English english;
  ASSERT_TRUE(english.ok);
  manager->openMultiView(3);  // (D, as the menu numbers the multi-screen kinds)
  ASSERT_EQ(manager->multiViews.size(), 1u);
  QWidget& w = *manager->multiViews.front();
  EXPECT_TRUE(w.windowTitle().startsWith("Data register D - ")) << w.windowTitle().toStdString();
  EXPECT_EQ(test::japaneseLeft(w), QStringList());
}

}  // namespace
}  // namespace omb

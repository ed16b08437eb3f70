// Qt's own dialogs as the program shows them, offscreen: in Japanese, the
// font chooser with the text colour, and the project choosers in their
// folder.  Each test answers the modal dialog from a timer, as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <filesystem>
#include <functional>

#include "app/qt_presenter.h"
#include "test_support.h"
#include "ui/colour.h"
#include "ui/dlg_font.h"
#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"
#include "ui/qt_japanese.h"

namespace omb {
namespace {

// Runs `act` on the first shown window of type T once it is there (the
// modal dialog's own event loop runs the timer).
template <class T>
void whenShown(std::function<void(T&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* found = qobject_cast<T*>(w);
      if (!found || !found->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      act(*found);
      return;
    }
  });
  timer->start();
}

// Qt's Japanese texts for the length of a test.
class Japanese : public ::testing::Test {
 protected:
  Japanese() : translator_(installQtJapanese()) {}
  ~Japanese() override {
    if (translator_) QCoreApplication::removeTranslator(translator_);
    delete translator_;
    QLocale::setDefault(QLocale::system());
  }
  QTranslator* translator_;
};

TEST_F(Japanese, TheFileChooserAndTheTextFieldMenuSpeakJapanese) {
  ASSERT_NE(translator_, nullptr) << "Qt's Japanese translation is not installed (qt6-translations-l10n)";
  test::TempDir dir;
  QtPresenter presenter;
  QString open, fileName, cancel;
  whenShown<QFileDialog>([&](QFileDialog& d) {
    auto* buttons = d.findChild<QDialogButtonBox*>("buttonBox");
    if (buttons && buttons->button(QDialogButtonBox::Open)) open = buttons->button(QDialogButtonBox::Open)->text();
    if (buttons && buttons->button(QDialogButtonBox::Cancel)) cancel = buttons->button(QDialogButtonBox::Cancel)->text();
    if (auto* label = d.findChild<QLabel*>("fileNameLabel")) fileName = label->text();
    d.reject();
  });
  EXPECT_EQ(presenter.openFileName("プロジェクトを開く", {"(*.bin)"}, "bin", dir.str()), std::nullopt);
  EXPECT_EQ(open, "開く(&O)");
  EXPECT_EQ(cancel, "キャンセル");
  EXPECT_EQ(fileName, "ファイル名(&N):");

  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList items;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) items << a->text().section(QLatin1Char('\t'), 0, 0);
  EXPECT_TRUE(items.contains("元に戻す(&U)")) << items.join(" | ").toStdString();
  EXPECT_TRUE(items.contains("すべてを選択")) << items.join(" | ").toStdString();
}

// "フォント設定": the colour stands with underline and strikethrough, opens
// on the cell's fore colour and comes back with the font.
TEST(FontChooser, OffersTheTextColourBesideUnderlineAndStrikethrough) {
  QtPresenter presenter;
  FontChoice preset;
  preset.name = "ＭＳ ゴシック";
  preset.size = 12;
  preset.colour = 0x000000FF;  // red (00BBGGRR)
  const QColor green(0, 128, 0);
  QColor opened;
  bool besideEffects = false;
  whenShown<DlgFont>([&](DlgFont& d) {
    opened = d.colour();
    const auto effects = d.fontChooser()->findChildren<QCheckBox*>();
    besideEffects = effects.size() == 2;
    for (QCheckBox* box : effects) besideEffects = besideEffects && box->parentWidget() == d.cmdColour()->parentWidget();
    for (QCheckBox* box : effects)
      if (box->text().contains("nderline")) box->click();
    whenShown<QColorDialog>([&](QColorDialog& c) {
      c.setCurrentColor(green);
      c.accept();
    });
    d.cmdColour()->click();
    d.accept();
  });
  const auto chosen = presenter.chooseFont(preset);
  EXPECT_EQ(opened, QColor(255, 0, 0));
  EXPECT_TRUE(besideEffects) << "the colour button stands in the effects group";
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->colour, fromQColor(green));
  EXPECT_TRUE(chosen->underline);
  EXPECT_FALSE(chosen->strikethrough);
  EXPECT_EQ(chosen->size, 12.0f);

  // Cancel: nothing chosen.
  whenShown<DlgFont>([](DlgFont& d) { d.reject(); });
  EXPECT_EQ(presenter.chooseFont(preset), std::nullopt);
}

// Every box is as wide as its title with the title bar's buttons, so the
// window manager does not shorten it ("プロジェ… て保存").
TEST(Dialogs, EveryBoxIsAsWideAsItsTitle) {
  const QString title = QStringLiteral("プロジェクトに名前を付けて保存");
  auto needs = [&](const QWidget& w) {
    QFont bold = w.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + 120;
  };
  QtPresenter presenter;
  int shown = 0, wanted = 0;
  whenShown<QInputDialog>([&](QInputDialog& d) {
    shown = d.width();
    wanted = needs(d);
    d.reject();
  });
  EXPECT_EQ(presenter.inputBox("コメントを入力してください", title.toStdString(), ""), std::nullopt);
  EXPECT_GE(shown, wanted);
  dlgMsg message(title, QStringLiteral("x"), false);
  dlgInput input(title, QStringLiteral("x"), QString());
  for (QDialog* d : std::initializer_list<QDialog*>{&message, &input}) {
    d->show();
    QCoreApplication::processEvents();
    EXPECT_GE(d->width(), needs(*d)) << d->objectName().toStdString();
    d->hide();
  }
}

// The project choosers open in the projects folder, and a bare name typed
// there is that folder's file with the extension added.
TEST(ProjectChoosers, StartInTheirFolderWhereABareNameIsFound) {
  test::TempDir dir;
  const std::string projects = dir.file("Projects");
  std::filesystem::create_directories(projects);
  test::writeFile(projects + "/Line2.bin", "x");
  QtPresenter presenter;
  QString openedIn;
  auto typeName = [&](const char* name) {
    return [&openedIn, name](QFileDialog& d) {
      openedIn = d.directory().absolutePath();
      d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromUtf8(name));
      auto* buttons = d.findChild<QDialogButtonBox*>("buttonBox");
      buttons->button(d.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save)
          ->click();
    };
  };
  whenShown<QFileDialog>(typeName("Line2"));
  EXPECT_EQ(presenter.openFileName("プロジェクトを開く", {"(*.bin)"}, "bin", projects), projects + "/Line2.bin");
  EXPECT_EQ(openedIn.toStdString(), projects);

  whenShown<QFileDialog>(typeName("Line3"));
  EXPECT_EQ(presenter.saveFileName("プロジェクトに名前を付けて保存", {"(*.bin)"}, "bin", projects + "/Test.bin"),
            projects + "/Line3.bin");
  EXPECT_EQ(openedIn.toStdString(), projects);
}

// A dialog opens over the window the user works in, and a box that follows
// another (a refusal after an input box, before any window is active
// again) over the same window, not over the main window.
TEST(DialogOwner, ABoxThatFollowsAnotherOpensOverTheSameWindow) {
  QWidget main, view;
  main.show();
  view.show();
  QtPresenter presenter(&main);
  const auto parentOfNextBox = [&presenter] {
    QWidget* parent = nullptr;
    whenShown<dlgMsg>([&parent](dlgMsg& box) {
      parent = box.parentWidget();
      box.close();
    });
    presenter.dlgMsg("range", "out of range", false);
    return parent;
  };

  QApplication::setActiveWindow(&view);
  EXPECT_EQ(parentOfNextBox(), &view) << "over the window worked in";
  QApplication::setActiveWindow(nullptr);
  EXPECT_EQ(parentOfNextBox(), &view) << "the box that follows, over the same window";

  // Long after, with no window active: the main window.
  QElapsedTimer later;
  later.start();
  while (later.elapsed() < 600) QApplication::processEvents(QEventLoop::AllEvents, 20);
  QApplication::setActiveWindow(nullptr);
  EXPECT_EQ(parentOfNextBox(), &main);
}

}  // namespace
}  // namespace omb

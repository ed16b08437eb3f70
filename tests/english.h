// Window tests in English: the program's translation installed for the
// life of the object, then taken out again so the tests after it read the
// Japanese source texts, as the suites expect.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "app/language.h"

namespace omb::test {

class English {
 public:
  English() : locale_(QLocale()) { ok = installLanguage(Language::English); }
  ~English() {
    installLanguage(Language::Japanese, false);
    QLocale::setDefault(locale_);
  }
  English(const English&) = delete;
  English& operator=(const English&) = delete;
  bool ok = false;

 private:
  QLocale locale_;
};

// Kana, kanji, Japanese punctuation and the full- and half-width forms.
inline bool hasJapanese(const QString& s) {
  for (const QChar c : s) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
  }
  return false;
}

// Every text a person reads on `w` and its children: titles, captions,
// menu entries, tool tips and placeholders, each prefixed by the object
// that shows it.
inline QStringList shownTexts(const QWidget& w) {
  QStringList out;
  auto add = [&](const QObject* o, const QString& what, const QString& text) {
    if (!text.isEmpty()) out << o->objectName() + "." + what + ": " + text;
  };
  add(&w, "windowTitle", w.windowTitle());
  for (const QWidget* c : w.findChildren<QWidget*>()) {
    add(c, "toolTip", c->toolTip());
    if (auto* l = qobject_cast<const QLabel*>(c)) add(c, "text", l->text());
    if (auto* b = qobject_cast<const QAbstractButton*>(c)) add(c, "text", b->text());
    if (auto* g = qobject_cast<const QGroupBox*>(c)) add(c, "title", g->title());
    if (auto* m = qobject_cast<const QMenu*>(c)) add(c, "title", m->title());
  }
  for (const QAction* a : w.findChildren<QAction*>()) {
    add(a, "text", a->text());
    add(a, "toolTip", a->toolTip());
  }
  return out;
}

// The texts of `w` that are still Japanese.
inline QStringList japaneseLeft(const QWidget& w) {
  QStringList left;
  for (const QString& t : shownTexts(w))
    if (hasJapanese(t)) left << t;
  return left;
}

}  // namespace omb::test

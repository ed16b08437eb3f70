// The fonts of the windows.
#pragma once

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace omb {

// Windows fonts named in settings and projects resolve to Japanese fonts
// that are installed here.
inline void setUpFonts() {
  const QStringList gothic{"IPAGothic", "IPAexGothic", "Noto Sans CJK JP", "Noto Sans Mono CJK JP"};
  const QStringList pgothic{"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP"};
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
  QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pgothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳＰ ゴシック"), pgothic);
  const QStringList families = QFontDatabase::families();
  for (const QString& f : pgothic)
    if (families.contains(f)) {
      QFont font(f);
      font.setPointSize(10);
      QApplication::setFont(font);
      break;
    }
}

}  // namespace omb

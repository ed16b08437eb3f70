// The font chooser of "フォント設定": Qt's font dialog, and beside its
// underline and strikethrough the text colour ("文字色"), which becomes the
// cell's fore colour.  The colour button opens the colour chooser; the
// sample line shows the font in the chosen colour.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QFontDialog;
class QLineEdit;
class QPushButton;

namespace omb {

class DlgFont : public QDialog {
  Q_OBJECT
 public:
  DlgFont(const QFont& font, const QColor& colour, QWidget* parent = nullptr);

  QFont selectedFont() const;
  QColor colour() const { return colour_; }
  void setColour(const QColor& colour);

  // The embedded font dialog and the colour button (`cmdFontColour`).
  QFontDialog* fontChooser() const { return fonts_; }
  QPushButton* cmdColour() const { return cmdColour_; }

 private:
  void chooseColour();

  QFontDialog* fonts_ = nullptr;
  QPushButton* cmdColour_ = nullptr;
  QLineEdit* sample_ = nullptr;
  QColor colour_;
};

}  // namespace omb

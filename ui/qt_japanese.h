// Qt's own texts in Japanese: the file, colour and font choosers, the
// right-click menu of text fields and every other text Qt draws itself.
// They come from the translations installed with Qt (the Debian package
// qt6-translations-l10n).
#pragma once

class QTranslator;

namespace omb {

// Installs Qt's Japanese translation in the running application and makes
// Japanese the default locale (dates and sizes in the file chooser).  The
// translator is owned by the application; null when the translation is not
// installed, and Qt's texts then stay English.
QTranslator* installQtJapanese();

}  // namespace omb

// Texts the user reads, in the language chosen at start-up.  The source
// texts are the program's own Japanese; a translator installed in the
// running application (app/language.h) gives them in another language, and
// without one they come back as written.  The calls are found by lupdate
// (scripts/translations), so the context and the text must be literals.
#pragma once

#include <initializer_list>
#include <string>

// A text to translate where it is used, marked for lupdate where it is
// written down (tables of constants): trs(context, entry) at the use.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x  // (as Qt defines it, so the two agree)
#endif

namespace omb {

// `source` (UTF-8) in the current language.
std::string trs(const char* context, const char* source);

// `text` with %1, %2, ... %9 replaced by `args` in order, for sentences
// whose word order differs between languages:
//   fill(trs("Ctx", "局番 %1 が重複しています"), {station})
std::string fill(std::string text, std::initializer_list<std::string> args);

}  // namespace omb

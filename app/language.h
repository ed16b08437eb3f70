// The language of everything the user reads: Japanese, the program's own,
// or English through Qt's translation system.  Chosen once at start-up, in
// this order: the --lang option, the setting [表示言語] Language= of the
// settings file, then the locale of the environment (LC_ALL, else
// LC_MESSAGES, else LANG, the first one set): English when it begins with
// "en", Japanese otherwise (the C and POSIX locales included).
//
// Only what people read changes.  Files the program writes (projects,
// comment files, the settings file, the frames of the traffic log) are the
// same bytes in either language.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QTranslator;

namespace omb {

enum class Language { Japanese, English };

// "ja" or "en" (any case); empty for anything else.
std::optional<Language> languageNamed(std::string_view code);

// Reads one environment variable; null when it is not set.
using EnvironmentReader = std::function<const char*(const char*)>;
EnvironmentReader processEnvironment();

// The language the locale of the environment asks for.
Language localeLanguage(const EnvironmentReader& env);

// The choice in the order above.  `option` is the value of --lang (already
// known to be valid when set), `setting` the settings file's value: one
// that names no language is passed over.
Language chooseLanguage(const std::optional<std::string>& option, const std::optional<std::string>& setting,
                        const EnvironmentReader& env);

// The settings file's value, empty when the file, the section or the key is
// missing or the file cannot be read.
std::optional<std::string> languageSetting(const std::string& settingsFile);

// Takes every "--lang CODE" and "--lang=CODE" out of `args` (the arguments
// after the program name; a control request's own words are left alone)
// and gives the last one's code.  False, with `error` in English for
// scripts, when a value is missing or names no language.
bool takeLanguageOption(std::vector<std::string>& args, std::optional<std::string>& code, std::string& error);

// Makes `language` the one of the running application: Qt's own texts and
// the default locale with it, and the program's translation for English.
// Translators installed by an earlier call are taken out first, so tests can
// switch back and forth.  Without `qtTexts` (a program without windows)
// Qt's own texts and the default locale are left alone.  False when a
// translation could not be loaded.
bool installLanguage(Language language, bool qtTexts = true);

// The language installed last (Japanese before any).
Language currentLanguage();

// The --lang given on the command line, kept for the serve mode and the
// window, which learn the settings file's place only later.
void setLanguageOption(std::optional<std::string> code);
const std::optional<std::string>& languageOption();

// installLanguage(chooseLanguage(languageOption(), the setting of
// `settingsFile`, the process's environment), qtTexts); the language
// chosen.  A translation that cannot be loaded is reported on standard
// error, and the program goes on.
Language applyLanguage(const std::string& settingsFile, bool qtTexts = true);

}  // namespace omb

#include "app/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "store/ini_file.h"
#include "ui/qt_japanese.h"

namespace omb {

namespace {

constexpr std::string_view kSettingSection = "表示言語";
constexpr std::string_view kSettingKey = "Language";

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Translators of the current language, owned by the application.
std::vector<QTranslator*>& installed() {
  static std::vector<QTranslator*> list;
  return list;
}

Language& current() {
  static Language language = Language::Japanese;
  return language;
}

std::optional<std::string>& optionSlot() {
  static std::optional<std::string> code;
  return code;
}

}  // namespace

std::optional<Language> languageNamed(std::string_view code) {
  const std::string c = lower(code);
  if (c == "ja") return Language::Japanese;
  if (c == "en") return Language::English;
  return std::nullopt;
}

EnvironmentReader processEnvironment() {
  return [](const char* name) -> const char* { return std::getenv(name); };
}

Language localeLanguage(const EnvironmentReader& env) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = env(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).substr(0, 2) == "en" ? Language::English : Language::Japanese;
  }
  return Language::Japanese;
}

Language chooseLanguage(const std::optional<std::string>& option, const std::optional<std::string>& setting,
                        const EnvironmentReader& env) {
  if (option)
    if (const auto l = languageNamed(*option)) return *l;
  if (setting)
    if (const auto l = languageNamed(*setting)) return *l;
  return localeLanguage(env);
}

std::optional<std::string> languageSetting(const std::string& settingsFile) {
  try {
    return IniFile::load(settingsFile).value(kSettingSection, kSettingKey);
  } catch (...) {
    // (The start-up reports an unreadable settings file itself.)
    return std::nullopt;
  }
}

bool takeLanguageOption(std::vector<std::string>& args, std::optional<std::string>& code, std::string& error) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args.size(); ++i) {
    // A control request's words are its own from "ctl" on.
    if (args[i] == "ctl" && kept.empty()) {
      kept.insert(kept.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    std::optional<std::string> value;
    if (args[i] == "--lang") {
      if (i + 1 >= args.size()) return error = "--lang needs a value (ja or en)", false;
      value = args[++i];
    } else if (args[i].rfind("--lang=", 0) == 0) {
      value = args[i].substr(7);
    } else {
      kept.push_back(args[i]);
      continue;
    }
    if (!languageNamed(*value)) return error = "--lang " + *value + ": the language is ja or en", false;
    code = value;
  }
  args = std::move(kept);
  return true;
}

bool installLanguage(Language language, bool qtTexts) {
  for (QTranslator* t : installed()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
  installed().clear();
  current() = language;
  if (language == Language::Japanese) {
    if (!qtTexts) return true;
    QTranslator* qt = installQtJapanese();
    if (qt) installed().push_back(qt);
    return qt != nullptr;
  }
  // Qt's own texts are English as they are; only the program's need a
  // translation.
  if (qtTexts) QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  auto* own = new QTranslator(QCoreApplication::instance());
  if (!own->load(QStringLiteral(":/i18n/ombrisal_en.qm"))) {
    delete own;
    return false;
  }
  QCoreApplication::installTranslator(own);
  installed().push_back(own);
  return true;
}

Language currentLanguage() { return current(); }

void setLanguageOption(std::optional<std::string> code) { optionSlot() = std::move(code); }

const std::optional<std::string>& languageOption() { return optionSlot(); }

Language applyLanguage(const std::string& settingsFile, bool qtTexts) {
  const Language language = chooseLanguage(languageOption(), languageSetting(settingsFile), processEnvironment());
  if (!installLanguage(language, qtTexts)) {
    if (language == Language::Japanese)
      std::fprintf(stderr, "ombrisal: Qt's Japanese translation (qt6-translations-l10n) is not installed; "
                           "Qt's own dialogs stay in English\n");
    else
      std::fprintf(stderr, "ombrisal: the English translation is missing from this build\n");
  }
  return language;
}

}  // namespace omb

// The window's language: the translators, the setting and the option.
#include "ui/Language.h"

#include <QApplication>
#include <QSettings>
#include <QTranslator>

#include "ui/AppInfo.h"
#include "ui/QtText.h"

#include <algorithm>
#include <array>

// The translations are compiled into the library, whose unused parts the
// linker leaves out unless something names them.
static void InitTranslationResources() {
  Q_INIT_RESOURCE(qvl_translations);
}

namespace qvl {
namespace {

const QString kLanguageKey = QStringLiteral("language");
const QString kOption = QStringLiteral("--lang");

language_t g_language = language_t::Japanese;

// The translators of each language, loaded at the first use and kept for the
// application's life; installed while their language is chosen. Null where
// there is nothing to load: the window's own catalogue of the source
// language, Qt's own texts in English.
struct translators_t {
  QTranslator* window = nullptr;
  QTranslator* qt = nullptr;
};

const translators_t& Translators(language_t language) {
  static const std::array<translators_t, kLanguageCount> translators = [] {
    InitTranslationResources();
    std::array<translators_t, kLanguageCount> all;
    for (std::size_t l = 0; l < kLanguageCount; ++l) {
      const QString code = LanguageCode(kLanguages[l].language);
      if (l != 0) {
        auto* t = new QTranslator(qApp);
        if (t->load(QStringLiteral(":/i18n/quovel-pm_%1.qm").arg(code))) {
          all[l].window = t;
        } else {
          delete t;
        }
      }
      if (kLanguages[l].language != language_t::English) all[l].qt = LoadQtTranslation(code);
    }
    return all;
  }();
  return translators[std::min(static_cast<std::size_t>(language), kLanguageCount - 1)];
}

// A message of --lang, which comes before any language is chosen: in the
// source language, then in English as its catalogue has it, each with the
// choice of every language's code in its own words.
QString LanguageOptionError(const char* source, const std::optional<QString>& code) {
  const auto say = [&](language_t language, const QString& text) {
    const QString said = text.arg(ToQString(LanguageCodeChoice(language)));
    return code ? said.arg(*code) : said;
  };
  const QTranslator* english = Translators(language_t::English).window;
  QString translated =
      english != nullptr ? english->translate("TLanguageOption", source) : QString();
  if (translated.isEmpty()) translated = QString::fromUtf8(source);
  return QStringLiteral("--lang: %1 (%2).")
      .arg(say(kLanguages[0].language, QString::fromUtf8(source)),
           say(language_t::English, translated));
}

}  // namespace

QString LanguageCode(language_t language) {
  const std::string_view code = LanguageName(language);
  return QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size()));
}

QString LanguageCodes() {
  QStringList codes;
  for (const language_entry_t& entry : kLanguages) codes << LanguageCode(entry.language);
  return codes.join(QLatin1Char('|'));
}

std::optional<language_t> LanguageFromCode(const QString& code) {
  for (const language_entry_t& entry : kLanguages) {
    if (code == LanguageCode(entry.language)) return entry.language;
  }
  return std::nullopt;
}

language_t WindowLanguage() {
  return g_language;
}

bool SetWindowLanguage(language_t language) {
  // Every change of the translators makes every window retranslate: none
  // when the language stays.
  static bool applied = false;
  if (applied && language == g_language) return true;
  const translators_t& chosen = Translators(language);
  if (language != kLanguages[0].language && chosen.window == nullptr) return false;
  applied = true;
  g_language = language;
  // The core first: the windows ask it for its texts when they retranslate.
  ApplyCoreLanguage(language);
  for (const language_entry_t& other : kLanguages) {
    if (other.language == language) continue;
    for (QTranslator* t : {Translators(other.language).qt, Translators(other.language).window}) {
      if (t != nullptr) QCoreApplication::removeTranslator(t);
    }
  }
  for (QTranslator* t : {chosen.qt, chosen.window}) {
    if (t != nullptr) QCoreApplication::installTranslator(t);
  }
  return true;
}

void ApplyCoreLanguage(language_t language) {
  qvl::SetLanguage(language);
}

language_t StoredLanguage() {
  return LanguageFromCode(QSettings().value(kLanguageKey).toString())
      .value_or(language_t::Japanese);
}

void StoreLanguage(language_t language) {
  QSettings().setValue(kLanguageKey, LanguageCode(language));
}

language_option_t TakeLanguageOption(QStringList& arguments) {
  language_option_t result;
  for (int i = 0; i < arguments.size();) {
    QString code;
    if (arguments[i] == kOption) {
      if (i + 1 >= arguments.size()) {
        return {std::nullopt,
                LanguageOptionError(QT_TRANSLATE_NOOP("TLanguageOption", "%1 を指定してください"),
                                    std::nullopt)};
      }
      code = arguments[i + 1];
      arguments.remove(i, 2);
    } else if (arguments[i].startsWith(kOption + QLatin1Char('='))) {
      code = arguments[i].mid(kOption.size() + 1);
      arguments.remove(i);
    } else {
      ++i;
      continue;
    }
    result.language = LanguageFromCode(code);
    if (!result.language) {
      return {
          std::nullopt,
          LanguageOptionError(QT_TRANSLATE_NOOP("TLanguageOption",
                                                "「%2」は知らない言語です。%1 を指定してください"),
                              code)};
    }
  }
  return result;
}

}  // namespace qvl

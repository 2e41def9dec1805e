// The window's language: the translators, the setting and the option.
#include "ui/Language.h"

#include <QApplication>
#include <QSettings>
#include <QTranslator>

#include "ui/AppInfo.h"

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

// Loaded at the first use and kept for the application's life; installed
// while their language is chosen.
QTranslator* WindowEnglish() {
  static QTranslator* translator = [] {
    InitTranslationResources();
    auto* t = new QTranslator(qApp);
    if (!t->load(QStringLiteral(":/i18n/quovel-pm_en.qm"))) {
      delete t;
      return static_cast<QTranslator*>(nullptr);
    }
    return t;
  }();
  return translator;
}

// Qt's own buttons and dialogs speak English without a translation.
QTranslator* QtJapanese() {
  static QTranslator* const translator = LoadQtTranslation();
  return translator;
}

}  // namespace

QString LanguageCode(language_t language) {
  const std::string_view code = LanguageName(language);
  return QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size()));
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
  QTranslator* const english = WindowEnglish();
  if (language == language_t::English && english == nullptr) return false;
  applied = true;
  g_language = language;
  // The core first: the windows ask it for its texts when they retranslate.
  ApplyCoreLanguage(language);
  const bool japanese = language == language_t::Japanese;
  if (QTranslator* qt = QtJapanese()) {
    japanese ? QCoreApplication::installTranslator(qt) : QCoreApplication::removeTranslator(qt);
  }
  if (english != nullptr) {
    japanese ? QCoreApplication::removeTranslator(english)
             : QCoreApplication::installTranslator(english);
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
        return {std::nullopt, QStringLiteral("--lang: ja か en を指定してください (ja or en).")};
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
      return {std::nullopt,
              QStringLiteral("--lang: 「%1」は知らない言語です。ja か en を指定してください "
                             "(unknown language \"%1\"; ja or en).")
                  .arg(code)};
    }
  }
  return result;
}

}  // namespace qvl

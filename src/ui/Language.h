// The language the window speaks: Japanese unless the player chose English
// (表示 > 言語 / Language, or `--lang` for one run), whatever the system's
// locale. Switching installs the translations of the window, of Qt's own
// dialogs and of the core's texts; every window retranslates itself on the
// QEvent::LanguageChange that follows.
#pragma once

#include <QString>
#include <QStringList>

#include "model/qvl_messages.h"

#include <optional>

namespace qvl {

// "ja" or "en", as the option and the settings spell it; and back.
[[nodiscard]] QString LanguageCode(language_t language);
// Every language's code, as a usage line offers them: "ja|en".
[[nodiscard]] QString LanguageCodes();
[[nodiscard]] std::optional<language_t> LanguageFromCode(const QString& code);

// The language in use now.
[[nodiscard]] language_t WindowLanguage();

// Installs the language's translations and passes it on to the core; the
// change reaches every widget as a QEvent::LanguageChange. False when the
// window's English translation cannot be loaded (the texts stay as they were).
bool SetWindowLanguage(language_t language);

// The core's own texts (scores' titles and formulas, the calculator's
// messages, hints and row labels) in the window's language.
void ApplyCoreLanguage(language_t language);

// The player's choice from the menu; Japanese when nothing was chosen or the
// stored value is unknown.
[[nodiscard]] language_t StoredLanguage();
void StoreLanguage(language_t language);

// Takes "--lang CODE" or "--lang=CODE" out of arguments. language: the one
// asked for, empty when there was no option; error: the message for a missing
// or unknown code, then language is empty.
struct language_option_t {
  std::optional<language_t> language;
  QString error;
};
[[nodiscard]] language_option_t TakeLanguageOption(QStringList& arguments);

}  // namespace qvl

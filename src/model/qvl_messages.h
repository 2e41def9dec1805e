// The core's texts in each language the program speaks, and the language a
// player chose. The sources hold each message in Japanese, the program's own
// language; every other language's texts are in its catalogue,
// resources/i18n/quovel-pm_CODE.ts, beside the window's, and the build turns
// them into a table of the core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace qvl {

// A language is its place in kLanguages. Two have names of their own: the
// source language, and English, which the command line's argument parser and
// Qt's own texts speak untranslated.
enum class language_t : std::uint8_t { Japanese = 0, English = 1 };

// The languages the program speaks, in the order the window's menu lists
// them, so that every list of languages walks this one: the code that
// --lang, QVL_LANG, the settings and the catalogue's file name use; the
// language's name in itself, as its menu item shows it (UTF-8, like the
// message table's sources) with the item's access key; and its English name,
// which names the item for tests. The first is the source language. A new
// language is one line here and its catalogue.
struct language_entry_t {
  language_t language;
  std::string_view code;
  std::string_view own_name;
  char access_key;
  std::string_view english_name;
};
inline constexpr language_entry_t kLanguages[] = {
    {language_t::Japanese, "ja", "日本語", 'J', "Japanese"},
    {language_t::English, "en", "English", 'E', "English"},
};
inline constexpr std::size_t kLanguageCount = std::size(kLanguages);

// The language of every text the core hands out from now on. Japanese until a
// caller chooses otherwise; safe to call from any thread, though a text
// already built keeps the language it was built in.
void SetLanguage(language_t language);
[[nodiscard]] language_t CurrentLanguage();

// A language's code (letter case ignored) names it; anything else names
// none.
[[nodiscard]] std::optional<language_t> LanguageFromName(std::string_view name);
[[nodiscard]] std::string_view LanguageName(language_t language);
// Every language's code as a choice, in the words of the language given
// ("ja か en", "ja or en"), as code page 932 bytes.
[[nodiscard]] std::string LanguageCodeChoice(language_t language);

// Every text of the core that a player reads. A message is a whole sentence;
// what varies in it stands as a placeholder {1}, {2}, … filled by
// FormatMessage, so that each language orders its own sentence.
enum class message_t : std::uint16_t {
  // The twelve terms' titles; 3 and 6 have a group form whose own count is halved.
  TermBorderBonus,
  TermCherryMaxClearBonus,
  TermCherryOnBorderBonuses,
  TermCherryOnPointItems,
  TermCherryOnPointItemsGroup,
  TermCherryOnSpellCardGraze,
  TermGrazeScore,
  TermGrazeOnBonusItems,
  TermGrazeOnBonusItemsGroup,
  TermSpellCardGrazeBonus,
  TermPointItems,
  TermBonusItems,
  TermSpellCardBonusBase,
  TermEnemyBulletBonus,
  // The words of the formulas.
  LabelInitialCherry,
  LabelBorderTimes,
  LabelFactor,
  LabelGainedCherry,
  LabelHereAnd,
  LabelHereIn,
  LabelClearBonus,
  LabelGraze,
  LabelPointItems,
  LabelBonusItems,
  LabelBasePoints,
  LabelSpellGraze,
  LabelCherryBefore,
  LabelNew,
  LabelOldTimes,
  LabelOldItems,
  LabelCherryMaxRaised,
  LabelClearBonusCount,
  LabelLaterBorderTimes,
  LabelLaterPointItems,
  LabelLaterSpellGraze,
  LabelGrazePoints,
  LabelLaterBonusItems,
  LabelGrazeBefore,
  // The terms' notes, and how a hint shows a title with its note.
  NoteCherryMaxFirst,
  NoteBonusItemSteps,
  NoteBonusItems,
  NoteMakesNoSense,
  HintTitleWithNote,
  // The editor's rows.
  RowBorderTimes,
  RowCherryMax,
  RowGainedCherry,
  RowGraze,
  RowSpellGraze,
  RowPointItems,
  RowBonusItems,
  RowSpellCardBonusBaseTotal,
  RowSpellCardBonusBase,
  RowEnemyBulletBonusTotal,
  RowEnemyBulletBonus,
  RowSpellCardsCaptured,
  EditorValueTooLarge,
  QuestionBaseZeroButCaptured,
  QuestionBaseSetButNotCaptured,
  WarningEnemyBulletBonusZero,
  // The status panels, as a screen reader says them.
  StatusBonusItems,
  StatusGraze,
  StatusPointItems,
  StatusCherry,
  StatusCherryMax,
  StatusSpellCards,
  StatusCherryPlus,
  // Loading and saving.
  LoadFailed,
  SaveFailed,
  FilePosition,
  FileEndsAt,
  FileEndsInString,
  FileEndsInList,
  FileEndsBeforeName,
  FileEndsInElement,
  GroupsTooDeep,
  NoRootElement,
  OutOfMemory,
  CannotOpenFile,
  CannotReadFile,
  NotARegularFile,
  FileNotFound,
  OtherUsersLink,
  CannotReplaceFile,
  NamedNotARegularFile,
  ChangedDuringSave,
  CannotCreateTemporary,
  WriteFailed,
  CannotSetAttributes,
  // The calculator.
  CalcInvalidComma,
  CalcUndefinedIdent,
  CalcNoMarkBetweenValue,
  CalcNoValueBetweenMark,
  CalcNoValueAfterMark,
  CalcInvalidBracket,
  CalcEmptyExpression,
  CalcNotEnoughParameters,
  CalcTooManyParameters,
  CalcExpressionTooLong,
  CalcInvalidName,
  CalcNotNameValue,
  CalcRegisteredFunction,
  CalcInUserFuncNames,
  CalcInVariables,
  ScbHint,
  // Shorter forms of the hint for a narrow status bar: the figures stay.
  ScbHintShort,
  ScbHintFigures,
  // The functions' help texts, in the order they are registered.
  HelpNot,
  HelpDiv,
  HelpAbs,
  HelpPi,
  HelpSqrt,
  HelpCeil,
  HelpTrunc,
  HelpFloor,
  HelpSin,
  HelpCos,
  HelpTan,
  HelpAsin,
  HelpAcos,
  HelpAtan,
  HelpSinh,
  HelpCosh,
  HelpTanh,
  HelpSum,
  HelpMin,
  HelpMax,
  HelpAverage,
  HelpStdDev,
  HelpIf,
  HelpCompare,
  HelpSign,
  HelpIsOdd,
  HelpIsEven,
  HelpIsNot,
  HelpIsMinus,
  HelpIsPlus,
  HelpAnd,
  HelpOr,
  HelpScb,
  // A value beyond the score range, and where it stands.
  ValueOutOfRange,
  ValueOutOfRangeAt,
  NameTotal,
  NameRunningTotal,
  NameDifference,
  // qvl's own messages.
  CliUsageHint,
  CliPathStart,
  CliNoNodeAt,
  CliNoPatternTitled,
  CliBadScore,
  CliBadBool,
  CliUnknownSceneField,
  CliUnknownGroupField,
  CliBadChange,
  CliNotShiftJis,
  CliRawNeedsCsv,
  CliOutputNeedsName,
  CliBadQvlLang,
  CliCannotWriteStdout,
  CliOutOfMemory,
  CliSubcommandRequired,
  CliRequired,
  CliNotOneOf,
  CliNotExpected,
  CliNeeds,
  CliNeedsValue,
  CliBadCommandLine,
  // Two things to choose from, and with it a longer list.
  ChoiceOr,
  Count  // not a message
};

// One entry of the table: the message's Japanese text (UTF-8), which is also
// its key in every catalogue, and the word that tells it apart there from
// another message of the same text (empty where none does).
struct message_source_t {
  message_t id;
  std::string_view text;
  std::string_view disambiguation;
};
// The whole table, in the order of message_t.
[[nodiscard]] const message_source_t* MessageTable();
inline constexpr std::size_t kMessageCount = static_cast<std::size_t>(message_t::Count);

// A message as the language's catalogue has it (UTF-8); the source text for
// the source language, and empty where the catalogue has no translation.
[[nodiscard]] std::string_view TranslatedMessage(message_t id, language_t language);

// A message as code page 932 bytes, in the current language or the one given
// (in Japanese where that language's catalogue lacks it); converted once for
// the life of the program.
[[nodiscard]] const std::string& Message(message_t id);
[[nodiscard]] const std::string& Message(message_t id, language_t language);

// The message with {1}, {2}, … replaced by the code page 932 texts given, in
// one pass: a placeholder inside a filled-in text (a file name, say) stays as
// it is. A placeholder without a text is left out.
[[nodiscard]] std::string FormatMessage(message_t id, std::initializer_list<std::string_view> args);
[[nodiscard]] std::string FillPlaceholders(std::string_view cp932,
                                           std::initializer_list<std::string_view> args);

}  // namespace qvl

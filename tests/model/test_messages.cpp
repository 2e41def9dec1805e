#include "model/qvl_messages.h"

#include <gtest/gtest.h>

#include <set>

#include "calc/CalcCustom.h"
#include "calc/Calculator.h"
#include "model/qvl_document.h"
#include "model/qvl_editor.h"
#include "model/qvl_scene.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

// Switches the core's language for one test and back to the default after it,
// so that no other test sees English.
class language_scope_t {
 public:
  explicit language_scope_t(language_t l) { SetLanguage(l); }
  ~language_scope_t() { SetLanguage(language_t::Japanese); }
  language_scope_t(const language_scope_t&) = delete;
  language_scope_t& operator=(const language_scope_t&) = delete;
};

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

// The placeholders {1} … {9} a text uses.
std::set<std::string> Placeholders(std::string_view text) {
  std::set<std::string> found;
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] == '{' && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}') {
      found.insert(std::string(text.substr(i, 3)));
    }
  }
  return found;
}

// Every language's catalogue, as the build compiled it into the core, has
// every message; a language other than the source one has its own text.
TEST(Messages, EveryLanguageHasEveryMessageWithTheSamePlaceholders) {
  for (const language_entry_t& l : kLanguages) {
    for (std::size_t i = 0; i < kMessageCount; ++i) {
      const message_source_t& m = MessageTable()[i];
      const std::string_view text = TranslatedMessage(m.id, l.language);
      SCOPED_TRACE(std::string(l.code) + ": " + std::string(m.text));
      EXPECT_EQ(static_cast<std::size_t>(m.id), i);
      EXPECT_FALSE(text.empty());
      if (l.language != kLanguages[0].language) {
        EXPECT_NE(text, m.text);
      }
      // Every language goes through the same code page 932 strings as Japanese.
      EXPECT_EQ(UnconvertibleToCp932(text), "");
      EXPECT_EQ(U(Message(m.id, l.language)), text);
      EXPECT_EQ(Placeholders(text), Placeholders(m.text));
    }
  }
}

TEST(Messages, TheCurrentLanguageChoosesTheText) {
  EXPECT_EQ(CurrentLanguage(), language_t::Japanese);
  EXPECT_EQ(U(Message(message_t::TermBorderBonus)), "ボーダーボーナス");
  {
    language_scope_t english(language_t::English);
    EXPECT_EQ(CurrentLanguage(), language_t::English);
    EXPECT_EQ(Message(message_t::TermBorderBonus), "Border bonus");
  }
  EXPECT_EQ(U(Message(message_t::TermBorderBonus)), "ボーダーボーナス");
}

TEST(Messages, LanguageNames) {
  const struct {
    std::string_view name;
    std::optional<language_t> language;
  } cases[] = {{"ja", language_t::Japanese}, {"EN", language_t::English},
               {"en", language_t::English},  {"", std::nullopt},
               {"xx", std::nullopt},         {"en_US", std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageFromName(c.name), c.language) << c.name;
  }
  EXPECT_EQ(LanguageName(language_t::English), "en");
  EXPECT_EQ(LanguageName(language_t::Japanese), "ja");
}

TEST(Messages, PlaceholdersAreFilledOnceAndOnlyOutsideDoubleByteCharacters) {
  const struct {
    std::string format;  // code page 932
    std::string a, b;
    std::string expected;
  } cases[] = {
      {"{2} then {1}", "x", "y", "y then x"},
      // A file name that itself reads like a placeholder stays as it is.
      {"\"{1}\" ({2})", "{2}.pat", "z", "\"{2}.pat\" (z)"},
      // A placeholder with nothing to fill it is left out; {0} is no placeholder.
      {"{3}{0}", "x", "y", "{0}"},
      // 0x81 0x7B is one double-byte character whose trail byte looks like "{".
      {"\x81{1}", "x", "y", "\x81{1}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FillPlaceholders(c.format, {c.a, c.b}), c.expected) << c.format;
  }
}

// The texts built by the model, the editor and the calculator follow the
// language; Japanese is what it always was.
TEST(Messages, TextsOfTheCoreFollowTheLanguage) {
  const editor_node_t scene{true, scene_kind_t::SpellCard};
  const auto undefined = [] {
    try {
      TFunctionRegistry registry;
      RegisterStandardFunctions(registry);
      TCalculator calculator(registry);
      calculator.Evaluate("abc");
    } catch (const ECalculator& e) {
      return e.Message();
    }
    return std::string();
  };
  const struct {
    language_t language;
    std::string load_failure, row_label, calculator, help;
  } cases[] = {
      {language_t::Japanese,
       "「a.pat」の読み込みに失敗しました。\n他のソフト等で使用している場合は終了させて下さい。",
       "ボーダーボーナスを得た回数", "演算式内に、不明な識別子[abc]が含まれています",
       "ABS(Value)\r\n絶対値\r\nValue ... 対象となる値または式"},
      {language_t::English,
       "Could not read \"a.pat\".\nIf another program is using it, close that program.",
       "Border bonuses obtained", "The expression contains an unknown identifier [abc]",
       "ABS(Value)\r\nAbsolute value\r\nValue ... the value or expression"},
  };
  for (const auto& c : cases) {
    language_scope_t scope(c.language);
    SCOPED_TRACE(std::string(LanguageName(c.language)));
    EXPECT_EQ(U(LoadFailureMessage("a.pat")), c.load_failure);
    EXPECT_EQ(U(EditorRowLabel(scene, 1)), c.row_label);
    EXPECT_EQ(U(undefined()), c.calculator);
    EXPECT_EQ(U(FunctionHelpText("abs")), c.help);
  }
  EXPECT_EQ(FunctionHelpText("nope"), "");
}

// The registry keeps at most 255 bytes of a help text.
TEST(Messages, HelpTextsFitTheRegistry) {
  for (auto id = static_cast<std::size_t>(message_t::HelpNot); id < kMessageCount; ++id) {
    for (const language_entry_t& l : kLanguages) {
      EXPECT_LE(Message(static_cast<message_t>(id), l.language).size(), 255u) << id;
    }
  }
}

}  // namespace
}  // namespace qvl

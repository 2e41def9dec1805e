#include "model/qvl_document.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/qvl_file.h"
#include "model/qvl_text.h"
#include "test_temp.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

constexpr score_t kMax = std::numeric_limits<score_t>::max();
constexpr score_t kMin = std::numeric_limits<score_t>::min();

std::string Cp(std::string_view utf8) {
  return Utf8ToCp932(utf8);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::unique_ptr<root_t> Load(std::string_view text) {
  auto root = std::make_unique<root_t>();
  EXPECT_TRUE(LoadDocumentFromText(*root, text)) << text;
  return root;
}

// The root's own text, without normalising anything first.
std::string Snapshot(const root_t& root) {
  return root.WriteSXML(0);
}

scene_t& SceneAt(const group_t& g, int i) {
  return dynamic_cast<scene_t&>(*g.Child(i));
}
group_t& GroupAt(const group_t& g, int i) {
  return dynamic_cast<group_t&>(*g.Child(i));
}
pattern_t& PatternAt(const scene_base_t& n, int i) {
  return dynamic_cast<pattern_t&>(*n.patterns.Items(i));
}
grouped_pattern_t& GroupedAt(const scene_base_t& n, int i) {
  return dynamic_cast<grouped_pattern_t&>(*n.patterns.Items(i));
}

// ---- Layout -------------------------------------------------------------------

TEST(DocumentText, SmallFileLayout) {
  // A root with its one grouped pattern and one stage holding one spell card
  // with one pattern, all added by normalisation.
  root_t root;
  auto* stage = static_cast<group_t*>(root.AddChild(std::make_unique<group_t>(&root)));
  stage->kind = group_kind_t::Stage;
  auto* card = static_cast<scene_t*>(stage->AddChild(std::make_unique<scene_t>(stage)));
  card->kind = scene_kind_t::SpellCard;

  // A grouped pattern whose first line starts after `indent` spaces and whose
  // further attributes line up after `pad` spaces.
  auto grouped = [](std::vector<std::string>& lines, int indent, int pad_width) {
    const std::string pad(static_cast<std::size_t>(pad_width), ' ');
    lines.push_back(std::string(static_cast<std::size_t>(indent), ' ') +
                    "(grouped-pattern (@ (title \"\")");
    lines.push_back(pad + "(memo \"\")");
    lines.push_back(pad + "(selected \"true\")");
    for (const char* name :
         {"player", "bomb", "cherry-max", "cherry-difference", "cherry-plus", "border-bonus-times",
          "bonus-item", "point", "graze-in-getting-spell-cards", "graze-rest",
          "total-spell-card-bonus-base", "total-enemy-bullet-bonus"}) {
      lines.push_back(pad + "(" + name + " \"0\")");
    }
    lines.push_back(pad + "(getting-spell-cards-number \"0\")))");
  };
  std::vector<std::string> expected = {
      "(root (@ (game \"Quovel\")", "         (difficulty \"Easy\")", "         (title \"\")",
      "         (memo \"\")",       "         (grouping \"false\"))",
  };
  // The root's grouped pattern is at level 1: 2 + 20 spaces.
  grouped(expected, 2, 22);
  expected.push_back("  (group (@ (kind \"stage\")");
  expected.push_back(std::string(12, ' ') + "(title \"\")");
  expected.push_back(std::string(12, ' ') + "(memo \"\")");
  expected.push_back(std::string(12, ' ') + "(grouping \"false\"))");
  // The group's is at level 2: 4 + 20.
  grouped(expected, 4, 24);
  expected.push_back("    (scene (@ (kind \"spell-card\")");
  for (const char* a : {"(title \"\")", "(point \"0\")", "(initial-spell-card-bonus \"0\")",
                        "(time-limit \"0\")", "(decrease-rate \"0\")", "(memo \"\"))"}) {
    expected.push_back(std::string(14, ' ') + a);
  }
  expected.push_back("      (pattern (@ (title \"\")");
  for (const char* a :
       {"(memo \"\")", "(selected \"true\")", "(player \"0\")", "(bomb \"0\")",
        "(cherry-max \"0\")", "(cherry-difference \"0\")", "(cherry-plus \"0\")",
        "(border-bonus-times \"0\")", "(bonus-item \"0\")", "(point \"0\")", "(graze \"0\")",
        "(spell-card-bonus-base \"0\")", "(enemy-bullet-bonus \"0\")"}) {
    expected.push_back(std::string(18, ' ') + a);
  }
  // Six closing parentheses: the text element, the attribute list, the
  // pattern, the scene, the group and the root.
  expected.push_back(std::string(18, ' ') + "(getting-spell-card \"false\"))))))");

  ASSERT_EQ(expected.size(), 63u);
  root.NormalizePatterns();
  std::string text;
  for (const std::string& line : expected) text += line + "\r\n";
  EXPECT_EQ(DocumentText(root), text);
}

TEST(DocumentText, EveryLineBreakBecomesCarriageReturnLineFeed) {
  root_t root;
  root.memo = "a\nb\rc\r\nd\n\re";
  const std::string text = DocumentText(root);
  EXPECT_NE(text.find("(memo \"a\r\nb\r\nc\r\nd\r\n\r\ne\")"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  // No lone carriage return or line feed is left anywhere.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      ASSERT_LT(i + 1, text.size());
      EXPECT_EQ(text[i + 1], '\n');
    }
    if (text[i] == '\n') {
      EXPECT_EQ(text[i - 1], '\r');
    }
  }
}

TEST(DocumentText, LineBreakNormalisationMatchesTheSimpleRule) {
  // Lines split at CR LF, lone CR and lone LF, each written with CR LF; checked
  // against a plain byte-by-byte version for memos of every shape.
  auto simple = [](const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += "\r\n";
      } else {
        out += text[i];
      }
    }
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') out += "\r\n";
    return out;
  };
  std::mt19937 random(7);
  const std::string alphabet = "ab\r\n";
  for (int round = 0; round < 500; ++round) {
    // Texts at the root and deep down: the writer looks for lone line breaks
    // in every text of the tree.
    root_t root;
    auto* group = static_cast<group_t*>(root.AddChild(std::make_unique<group_t>(&root)));
    auto* scene = static_cast<scene_t*>(group->AddChild(std::make_unique<scene_t>(group)));
    root.NormalizePatterns();
    for (std::string* field : {&root.memo, &root.title, &root.patterns.Items(0)->memo, &group->memo,
                               &scene->title, &scene->patterns.Items(0)->title}) {
      const int length = static_cast<int>(random() % 12);
      for (int i = 0; i < length; ++i) field->push_back(alphabet[random() % alphabet.size()]);
    }
    EXPECT_EQ(DocumentText(root), simple(root.WriteSXML(0))) << root.memo;
  }
}

// ---- Round trips --------------------------------------------------------------

void FillBase(pattern_base_t& p, const std::string& title, score_t seed) {
  p.title = title;
  p.memo = Cp("メモ\r\n二行目 \\ \"引用\" 表");
  p.player = seed;
  p.bomb = -seed;
  p.cherry_max = kMax;
  p.cherry_difference = kMin;
  p.cherry_plus = seed * 3;
  p.border_bonus_times = seed + 1;
  p.bonus_item = seed + 2;
  p.point = seed + 3;
}

// A document with every field set: negative numbers, both 64-bit limits, line
// breaks, backslashes and double quotes, and Japanese text whose second bytes
// are 0x5C (表, ソ, 能).
std::unique_ptr<root_t> FullDocument() {
  auto root = std::make_unique<root_t>();
  root->difficulty = difficulty_t::Lunatic;
  root->title = Cp("表のソ能力");
  root->memo = "C:\\path\\to\r\n\"quoted\"\r\n\\";
  root->grouping = true;
  for (int i = 0; i < 2; ++i) {
    auto g = std::make_unique<grouped_pattern_t>();
    FillBase(*g, i == 0 ? "b" : Cp("表"), 10 + i);
    g->selected = i == 1;
    g->getting_spell_cards_number = -4;
    g->graze_in_getting_spell_cards = kMax;
    g->graze_rest = kMin;
    g->total_spell_card_bonus_base = 123456789012345;
    g->total_enemy_bullet_bonus = -987654321;
    root->patterns.AddSorted(std::move(g));
  }
  auto* stage = static_cast<group_t*>(root->AddChild(std::make_unique<group_t>(root.get())));
  stage->kind = group_kind_t::Stage;
  stage->title = Cp("1面　ソヨカ");
  stage->memo = "\\\\";
  auto* boss = static_cast<group_t*>(stage->AddChild(std::make_unique<group_t>(stage)));
  boss->kind = group_kind_t::Boss;
  boss->grouping = true;
  boss->title = "(not) ;a #|list|#";
  auto* card = static_cast<scene_t*>(boss->AddChild(std::make_unique<scene_t>(boss)));
  card->kind = scene_kind_t::SpellCard;
  card->title = Cp("幻符「表裏」");
  card->point = -1;
  card->initial_spell_card_bonus = kMax;
  card->time_limit = kMin;
  card->decrease_rate = -30;
  card->memo = Cp("ソ\\\\");
  for (int i = 0; i < 3; ++i) {
    auto p = std::make_unique<pattern_t>();
    FillBase(*p, "p" + std::to_string(2 - i), 100 * i - 50);
    p->selected = i == 2;
    p->graze = kMin + i;
    p->spell_card_bonus_base = kMax - i;
    p->enemy_bullet_bonus = -i;
    p->getting_spell_card = i % 2 == 0;
    card->patterns.AddSorted(std::move(p));
  }
  auto* attack = static_cast<scene_t*>(boss->AddChild(std::make_unique<scene_t>(boss)));
  attack->kind = scene_kind_t::NormalAttackWithEnemyBulletBonus;
  attack->point = kMax;
  auto* odd = static_cast<scene_t*>(stage->AddChild(std::make_unique<scene_t>(stage)));
  odd->kind = scene_kind_t::Dummy;
  auto* way = static_cast<group_t*>(root->AddChild(std::make_unique<group_t>(root.get())));
  way->kind = group_kind_t::Dummy;
  root->NormalizePatterns();  // as a loaded document always is
  return root;
}

TEST(DocumentRoundTrip, EveryFieldSavesAndLoadsUnchanged) {
  auto original = FullDocument();
  const std::string text = DocumentText(*original);
  auto loaded = Load(text);
  EXPECT_EQ(DocumentText(*loaded), text);

  // Spot checks that the values really came back, not just the same text.
  EXPECT_EQ(loaded->difficulty, difficulty_t::Lunatic);
  EXPECT_TRUE(loaded->grouping);
  EXPECT_EQ(loaded->title, Cp("表のソ能力"));
  EXPECT_EQ(loaded->memo, "C:\\path\\to\r\n\"quoted\"\r\n\\");
  ASSERT_EQ(loaded->patterns.Count(), 2);
  EXPECT_EQ(GroupedAt(*loaded, 0).title, "b");  // "b" sorts before 0x95 0x5C
  EXPECT_EQ(GroupedAt(*loaded, 1).graze_rest, kMin);
  EXPECT_TRUE(GroupedAt(*loaded, 1).selected);
  const group_t& stage = GroupAt(*loaded, 0);
  EXPECT_EQ(stage.memo, "\\\\");
  const group_t& boss = GroupAt(stage, 0);
  EXPECT_TRUE(boss.grouping);
  EXPECT_EQ(boss.title, "(not) ;a #|list|#");
  const scene_t& card = SceneAt(boss, 0);
  EXPECT_EQ(card.kind, scene_kind_t::SpellCard);
  EXPECT_EQ(card.initial_spell_card_bonus, kMax);
  EXPECT_EQ(card.time_limit, kMin);
  EXPECT_EQ(card.decrease_rate, -30);
  EXPECT_EQ(card.memo, Cp("ソ\\\\"));
  ASSERT_EQ(card.patterns.Count(), 3);
  EXPECT_EQ(PatternAt(card, 0).title, "p0");
  EXPECT_EQ(PatternAt(card, 0).graze, kMin + 2);
  EXPECT_TRUE(PatternAt(card, 0).selected);
  EXPECT_EQ(PatternAt(card, 2).memo, Cp("メモ\r\n二行目 \\ \"引用\" 表"));
  EXPECT_EQ(SceneAt(boss, 1).point, kMax);
  EXPECT_EQ(SceneAt(stage, 1).kind, scene_kind_t::Dummy);
  EXPECT_EQ(GroupAt(*loaded, 1).kind, group_kind_t::Dummy);
}

TEST(DocumentRoundTrip, QuoteAfterJapaneseCharacterKeepsTheTree) {
  // "あ" is 0x82 0xA0; a double quote right after it cannot be read back and
  // is written as the full-width quote ” (0x81 0x68).
  root_t root;
  root.title = Cp("あ\"") + "\"";
  auto* scene = static_cast<scene_t*>(root.AddChild(std::make_unique<scene_t>(&root)));
  scene->kind = scene_kind_t::Way;
  scene->title = "after";
  scene->memo = Cp("表\"");  // 0x5C is no lead byte: this quote is escaped as usual
  const std::string text = DocumentText(root);
  auto loaded = Load(text);
  EXPECT_EQ(loaded->title, Cp("あ”") + "\"");
  ASSERT_EQ(loaded->ChildCount(), 1);
  EXPECT_EQ(SceneAt(*loaded, 0).title, "after");
  EXPECT_EQ(SceneAt(*loaded, 0).memo, Cp("表\""));
  EXPECT_EQ(loaded->patterns.Count(), 1);
  // From then on the text is stable.
  EXPECT_EQ(DocumentText(*Load(DocumentText(*loaded))), DocumentText(*loaded));
}

TEST(DocumentRoundTrip, ClearedRootGivesOneSelectedGroupedPattern) {
  root_t root;
  root.ClearNode();
  auto loaded = Load(DocumentText(root));
  EXPECT_EQ(loaded->ChildCount(), 0);
  ASSERT_EQ(loaded->patterns.Count(), 1);
  EXPECT_TRUE(GroupedAt(*loaded, 0).selected);
  EXPECT_EQ(GroupedAt(*loaded, 0).title, "");
}

TEST(DocumentRoundTrip, LoneLineFeedInMemoComesBackAsCarriageReturnLineFeed) {
  root_t root;
  root.memo = "one\ntwo";
  EXPECT_EQ(Load(DocumentText(root))->memo, "one\r\ntwo");
}

// ---- Reading rules ------------------------------------------------------------

TEST(DocumentLoad, ValueForms) {
  auto root = Load(
      "(root (@ (difficulty \"HARD\") (GROUPING \"True\") (Title \"t\"))"
      " (grouped-pattern (@ (selected \"TRUE\") (title \"x\")))"
      " (grouped-pattern (@ (selected \"yes\") (title \"y\")))"
      " (group (@ (kind \"STAGE\") (grouping \"1\"))"
      "  (scene (@ (kind \"Spell-Card\") (point \"+7\") (time-limit \"-5\")"
      "            (initial-spell-card-bonus \"9223372036854775807\")"
      "            (decrease-rate \"-9223372036854775808\"))))"
      " (group (@ (kind \"other\")))"
      " (scene (@ (point \"12\"))))");
  EXPECT_EQ(root->difficulty, difficulty_t::Hard);
  EXPECT_TRUE(root->grouping);
  EXPECT_EQ(root->title, "t");
  EXPECT_TRUE(GroupedAt(*root, 0).selected);
  EXPECT_FALSE(GroupedAt(*root, 1).selected);
  const group_t& stage = GroupAt(*root, 0);
  EXPECT_EQ(stage.kind, group_kind_t::Stage);
  EXPECT_FALSE(stage.grouping);
  const scene_t& card = SceneAt(stage, 0);
  EXPECT_EQ(card.kind, scene_kind_t::SpellCard);
  EXPECT_EQ(card.point, 7);
  EXPECT_EQ(card.time_limit, -5);
  EXPECT_EQ(card.initial_spell_card_bonus, kMax);
  EXPECT_EQ(card.decrease_rate, kMin);
  EXPECT_EQ(GroupAt(*root, 1).kind, group_kind_t::Dummy);
  // A missing kind is the dummy kind too.
  EXPECT_EQ(SceneAt(*root, 2).kind, scene_kind_t::Dummy);
  EXPECT_EQ(SceneAt(*root, 2).point, 12);
}

TEST(DocumentLoad, DifficultyTexts) {
  const std::vector<std::pair<std::string, difficulty_t>> cases = {
      {"(difficulty \"easy\")", difficulty_t::Easy},
      {"(difficulty \"Normal\")", difficulty_t::Normal},
      {"(difficulty \"LUNATIC\")", difficulty_t::Lunatic},
      {"(difficulty \"extra\")", difficulty_t::Extra},
      {"(difficulty \"Phantasm\")", difficulty_t::Phantasm},
      {"(difficulty \"hard \")", difficulty_t::Phantasm},
      {"(difficulty \"\")", difficulty_t::Phantasm},
      {"", difficulty_t::Phantasm},
  };
  for (const auto& [attribute, expected] : cases) {
    auto root = Load("(root (@ " + attribute + "))");
    EXPECT_EQ(root->difficulty, expected) << attribute;
  }
}

TEST(DocumentLoad, IntegersThatDoNotConvertLeaveTheField) {
  const std::vector<std::pair<std::string, score_t>> cases = {
      {"12", 12},
      {"-5", -5},
      {"+5", 5},
      {"-0", 0},
      {"007", 7},
      {"9223372036854775807", kMax},
      {"-9223372036854775808", kMin},
      // Each of these leaves the field as it was (0 in a new pattern).
      {"12a", 0},
      {"", 0},
      {"-", 0},
      {"+", 0},
      {"+-5", 0},
      {"--5", 0},
      {" 5", 0},
      {"5 ", 0},
      {"1e3", 0},
      {"0x10", 0},
      {"1.5", 0},
      {"9223372036854775808", 0},
      {"-9223372036854775809", 0},
      {"99999999999999999999999", 0},
      {"\xEF\xBC\x95", 0},  // a full-width digit
  };
  for (const auto& [value, expected] : cases) {
    auto root = Load("(root (scene (@ (kind \"way\") (point \"" + value +
                     "\")) (pattern (@ (graze \"" + value + "\") (bomb \"3\")))))");
    const scene_t& scene = SceneAt(*root, 0);
    EXPECT_EQ(scene.point, expected) << value;
    EXPECT_EQ(PatternAt(scene, 0).graze, expected) << value;
    EXPECT_EQ(PatternAt(scene, 0).bomb, 3) << value;  // the others are read regardless
  }
}

TEST(DocumentLoad, SpellCardValuesOnlyForSpellCards) {
  auto root = Load(
      "(root (scene (@ (kind \"normal-attack\") (initial-spell-card-bonus \"5\")"
      " (time-limit \"6\") (decrease-rate \"7\"))))");
  const scene_t& scene = SceneAt(*root, 0);
  EXPECT_EQ(scene.kind, scene_kind_t::NormalAttack);
  EXPECT_EQ(scene.initial_spell_card_bonus, 0);
  EXPECT_EQ(scene.time_limit, 0);
  EXPECT_EQ(scene.decrease_rate, 0);
  // And they are not written for it either.
  EXPECT_EQ(DocumentText(*root).find("time-limit"), std::string::npos);
}

TEST(DocumentLoad, PatternsAreSortedByTitle) {
  auto root = Load(
      "(root (grouped-pattern (@ (title \"b\"))) (grouped-pattern (@ (title \"a\")))"
      " (scene (pattern (@ (title \"b\"))) (pattern (@ (title \"B\"))) (pattern (@ (title \"a\")))"
      "  (pattern (@ (title \"a\") (memo \"second a\")))))");
  EXPECT_EQ(GroupedAt(*root, 0).title, "a");
  EXPECT_EQ(GroupedAt(*root, 1).title, "b");
  const scene_t& scene = SceneAt(*root, 0);
  ASSERT_EQ(scene.patterns.Count(), 4);
  EXPECT_EQ(PatternAt(scene, 0).title, "B");
  EXPECT_EQ(PatternAt(scene, 1).title, "a");
  EXPECT_EQ(PatternAt(scene, 1).memo, "");
  EXPECT_EQ(PatternAt(scene, 2).memo, "second a");  // equal titles keep the file's order
  EXPECT_EQ(PatternAt(scene, 3).title, "b");
}

TEST(DocumentLoad, TitlesAreSortedAsTheyWillBeSaved) {
  // A lone line break is read as CR LF before the list is sorted, as the
  // next save writes it: "\nb" sorts after "\r\na", as it will then.
  auto root = Load(
      "(root (scene (pattern (@ (title \"\nb\") (memo \"x\ry\")))"
      " (pattern (@ (title \"\r\na\")))))");
  const scene_t& scene = SceneAt(*root, 0);
  ASSERT_EQ(scene.patterns.Count(), 2);
  EXPECT_EQ(PatternAt(scene, 0).title, "\r\na");
  EXPECT_EQ(PatternAt(scene, 1).title, "\r\nb");
  EXPECT_EQ(PatternAt(scene, 1).memo, "x\r\ny");
}

TEST(DocumentLoad, ManyPatternsInOneScene) {
  // A large list is sorted once, not once per pattern.
  constexpr int kCount = 20000;
  std::string text = "(root (scene";
  for (int i = kCount - 1; i >= 0; --i) {
    char title[16];
    std::snprintf(title, sizeof title, "%06d", i);
    text += " (pattern (@ (title \"" + std::string(title) + "\")))";
  }
  text += "))";
  auto root = Load(text);
  const scene_t& scene = SceneAt(*root, 0);
  ASSERT_EQ(scene.patterns.Count(), kCount);
  for (int i = 0; i < kCount; i += 997) {
    char title[16];
    std::snprintf(title, sizeof title, "%06d", i);
    EXPECT_EQ(PatternAt(scene, i).title, title);
  }
  // The file selected none; normalisation selects the first.
  EXPECT_TRUE(PatternAt(scene, 0).selected);
}

TEST(DocumentLoad, WhatTheReaderIgnores) {
  auto root = Load(
      "\"text\" (other (root (@ (title \"nested\")))) ; not this one\n"
      "(root (@ (title \"first\") (title \"duplicate\"))"
      " \"text in the root\""
      " (pattern-ol (li \"1\") (li (grouped-pattern (@ (title \"hidden\")))))"
      " (Group (@ (kind \"stage\")))"
      " (unknown (group (@ (kind \"stage\"))))"
      " (pattern (@ (title \"a pattern in a group is not read\")))"
      " (scene (@ (kind \"way\")) (grouped-pattern) \"t\" (other) (pattern (@ (title \"p\")))))"
      "(root (@ (title \"second\")))");
  EXPECT_EQ(root->title, "first");
  ASSERT_EQ(root->ChildCount(), 1);
  ASSERT_EQ(root->patterns.Count(), 1);  // the one normalisation added
  EXPECT_EQ(GroupedAt(*root, 0).title, "");
  const scene_t& scene = SceneAt(*root, 0);
  ASSERT_EQ(scene.patterns.Count(), 1);
  EXPECT_EQ(PatternAt(scene, 0).title, "p");
}

TEST(DocumentLoad, RootFoundAfterOtherElements) {
  auto root = Load("(other) (root (@ (difficulty \"Extra\")))");
  EXPECT_EQ(root->difficulty, difficulty_t::Extra);
}

// Only blanks and comments open as an empty plan with a new document's
// difficulty; any other text without a root element is no plan and fails,
// leaving the tree as it was.
TEST(DocumentLoad, WithoutRootOnlyBlanksAndCommentsAreAnEmptyPlan) {
  const struct {
    std::string text;
    bool plan;
  } cases[] = {
      {"", true},
      {" \t\r\n", true},
      {"; only a comment\r\n", true},
      {"; a comment without a line break", true},
      {"#| a block |# ; and a line\n#||#", true},
      {"#| never closed", true},
      {"(not-root)", false},
      {"notes: one line of words\r\n", false},
      {"\x89PNG\r\n\x1a\n" + std::string(4, '\0'), false},
      {"\"text\"", false},
      {"; comment\nword", false},
      {"#|#", true},  // the "|" that opens a comment does not close it
      {"#|#x", true},
      {"#x", false},
      {"...", false},
      {") (root)", false},  // a surplus ")" ends the reading before the root
  };
  root_t previous;
  previous.title = "old";
  previous.difficulty = difficulty_t::Hard;
  previous.AddChild(std::make_unique<scene_t>(&previous));
  for (const auto& c : cases) {
    root_t root;
    ASSERT_TRUE(LoadDocumentFromText(root, DocumentText(previous)));
    const std::string before = Snapshot(root);
    const load_result_t result = LoadDocumentFromText(root, c.text);
    EXPECT_EQ(result.ok, c.plan) << c.text;
    if (!c.plan) {
      EXPECT_EQ(result.reason, Cp("「root」要素がありません。パターンファイルではないようです。"));
      EXPECT_EQ(Snapshot(root), before) << c.text;
      continue;
    }
    EXPECT_EQ(root.title, "") << c.text;
    EXPECT_EQ(root.ChildCount(), 0) << c.text;
    ASSERT_EQ(root.patterns.Count(), 1) << c.text;
    EXPECT_TRUE(GroupedAt(root, 0).selected) << c.text;
    // A new document's difficulty, not the one of the plan before.
    EXPECT_EQ(root.difficulty, root_t().difficulty) << c.text;
    EXPECT_EQ(root.kind, group_kind_t::Dummy) << c.text;
  }
}

TEST(DocumentLoad, FailedParseLeavesTheTreeUnchanged) {
  auto root = Load(DocumentText(*FullDocument()));
  const std::string before = Snapshot(*root);
  std::string deep;
  for (int i = 0; i <= kMaxGroupDepth; ++i) deep += "(group ";
  const std::vector<std::string> bad = {
      "(root (@ (title \"cut off",
      "(root (scene (@ (kind \"way\"",
      "(root (group (",
      std::string(100000, '('),
      "(root " + deep,  // groups nested deeper than the limit
  };
  for (const std::string& text : bad) {
    EXPECT_FALSE(LoadDocumentFromText(*root, text)) << text.substr(0, 40);
    EXPECT_EQ(Snapshot(*root), before) << text.substr(0, 40);
  }
}

TEST(DocumentLoad, GroupsNestedUpToTheLimitLoad) {
  std::string text = "(root ";
  for (int i = 0; i < kMaxGroupDepth; ++i) text += "(group (@ (kind \"way\")) ";
  text += std::string(kMaxGroupDepth + 1, ')');
  auto root = Load(text);
  int depth = 0;
  for (const group_t* g = root.get(); g->ChildCount() > 0; g = &GroupAt(*g, 0)) ++depth;
  EXPECT_EQ(depth, kMaxGroupDepth);
  // Deeply nested elements that are not groups are ignored, at any depth.
  EXPECT_TRUE(LoadDocumentFromText(
      *root, "(root (x " + std::string(100000, '(') + " \"\"" + std::string(100002, ')')));
}

// Where the text could not be read and what was expected there; the line and
// column count characters, a double-byte one as one.
TEST(DocumentLoad, FailureReasonsGiveThePosition) {
  std::string deep = "(root\r\n";
  for (int i = 0; i <= kMaxGroupDepth; ++i) deep += "(group";
  deep += " ";
  const struct {
    std::string text;
    std::string reason;
  } cases[] = {
      {"(root (@ (title \"表ソ",
       "1行20文字目でファイルが終わっています。1行17文字目からの文字列を閉じる「\"」が必要です。"},
      {"(root\r\n  (@ (title \"x\")",
       "2行17文字目でファイルが終わっています。2行3文字目からのリストを閉じる「)」が必要です。"},
      {"(root\n(group (",
       "2行9文字目でファイルが終わっています。2行8文字目の「(」に続く名前が必要です。"},
      // Cut off between items: the elements still open are not taken as whole.
      {"(root\r\n  (group (@ (title \"s\")))\r\n",
       "3行1文字目でファイルが終わっています。1行1文字目からの要素を閉じる「)」が必要です。"},
      {"(root\r(scene\r",
       "3行1文字目でファイルが終わっています。2行1文字目からの要素を閉じる「)」が必要です。"},
      {deep, "2行" + std::to_string(6 * kMaxGroupDepth + 1) +
                 "文字目: 入れ子が256段より深くなっています。"},
  };
  for (const auto& c : cases) {
    root_t root;
    const load_result_t result = LoadDocumentFromText(root, Cp(c.text));
    EXPECT_FALSE(result.ok) << c.text.substr(0, 40);
    EXPECT_EQ(result.reason, Cp(c.reason)) << c.text.substr(0, 40);
  }
}

TEST(DocumentLoad, TemplatesCutOffAtTheEndFail) {
  for (const char* name : {"qvl_easy.pat", "qvl_extra.pat"}) {
    const std::string bytes = ReadFile(fs::path(QVL_TEMPLATE_DIR) / name);
    // Each scene is complete; only the closing parentheses of the last
    // pattern's scene, group and root are missing.
    const std::string cut = bytes.substr(0, bytes.size() - 6);
    root_t root;
    root.title = "kept";
    const load_result_t result = LoadDocumentFromText(root, cut);
    EXPECT_FALSE(result.ok) << name;
    EXPECT_NE(result.reason.find(Cp("要素を閉じる「)」が必要です。")), std::string::npos) << name;
    EXPECT_EQ(root.title, "kept") << name;
  }
}

TEST(DocumentLoad, TemplatesCutAnywhereFail) {
  // A cut after the root's "(" and before its last ")" always leaves an
  // element open. Every cut of every template would take hours, so a fixed
  // sample: every cut in the first 384 bytes and the last 64 (the attribute
  // lists and the closings), and 150 anywhere.
  std::mt19937_64 random(28);
  int cuts = 0;
  for (const auto& entry : fs::directory_iterator(QVL_TEMPLATE_DIR)) {
    const std::string bytes = ReadFile(entry.path());
    const std::size_t first = bytes.find('(') + 1;
    const std::size_t last = bytes.rfind(')');
    ASSERT_LT(first + 384, last - 64);
    std::vector<std::size_t> at;
    for (std::size_t i = first; i < first + 384; ++i) at.push_back(i);
    for (std::size_t i = last - 64; i <= last; ++i) at.push_back(i);
    std::uniform_int_distribution<std::size_t> anywhere(first, last);
    for (int i = 0; i < 150; ++i) at.push_back(anywhere(random));
    for (const std::size_t cut : at) {
      root_t root;
      root.title = "kept";
      ASSERT_FALSE(LoadDocumentFromText(root, std::string_view(bytes).substr(0, cut)).ok)
          << entry.path().filename() << " cut after " << cut << " bytes";
      ASSERT_EQ(root.title, "kept");
      ++cuts;
    }
  }
  EXPECT_GE(cuts, 3000);
}

// ---- Files --------------------------------------------------------------------

class DocumentFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / test::UniqueName("qvl_document_test_");
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  [[nodiscard]] std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// Answers the retry question from a script and records the messages.
struct scripted_answers_t {
  std::vector<load_answer_t> answers;
  std::vector<std::string> messages;
  std::function<void()> before_answer;

  load_failure_handler_t Handler() {
    return [this](const std::string& message) {
      messages.push_back(message);
      if (before_answer) before_answer();
      const std::size_t i = messages.size() - 1;
      return i < answers.size() ? answers[i] : load_answer_t::Abort;
    };
  }
};

TEST_F(DocumentFileTest, SaveThenLoad) {
  const fs::path file = dir_ / "doc.pat";
  auto original = FullDocument();
  const save_result_t saved = SaveDocument(*original, file);
  ASSERT_TRUE(saved.ok) << saved.error;
  EXPECT_TRUE(saved.error.empty());
  EXPECT_EQ(ReadFile(file), DocumentText(*original));
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});  // no temporary file left

  scripted_answers_t script;
  root_t root;
  EXPECT_TRUE(LoadDocument(root, file, script.Handler()));
  EXPECT_TRUE(script.messages.empty());
  EXPECT_EQ(DocumentText(root), ReadFile(file));
}

#ifndef _WIN32  // POSIX only: modes; Windows keeps ACLs through ReplaceFileW
TEST_F(DocumentFileTest, SaveReplacesAnExistingFileKeepingItsPermissions) {
  const fs::path file = dir_ / "doc.pat";
  WriteFile(file, "old contents");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  root_t root;
  root.title = "new";
  ASSERT_TRUE(SaveDocument(root, file).ok);
  EXPECT_EQ(ReadFile(file), DocumentText(root));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
}
#endif

#ifndef _WIN32  // POSIX only: symbolic links need a privilege on Windows
TEST_F(DocumentFileTest, SaveThroughASymbolicLinkKeepsTheLink) {
  fs::create_directories(dir_ / "real");
  const fs::path target = dir_ / "real" / "doc.pat";
  WriteFile(target, "old");
  fs::create_symlink(fs::path("real") / "doc.pat", dir_ / "link.pat");
  root_t root;
  ASSERT_TRUE(SaveDocument(root, dir_ / "link.pat").ok);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.pat"));
  EXPECT_EQ(ReadFile(target), DocumentText(root));
}
#endif

#ifndef _WIN32  // POSIX only: the limit is 255 bytes of a name here, MAX_PATH there
TEST_F(DocumentFileTest, SaveUnderANameNearTheLengthLimit) {
  const std::string name = std::string(250, 'n') + ".pat";
  root_t root;
  const save_result_t result = SaveDocument(root, dir_ / name);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(Files(), std::vector<std::string>{name});
}
#endif

TEST_F(DocumentFileTest, SaveIntoAMissingFolderFails) {
  root_t root;
  const save_result_t result = SaveDocument(root, dir_ / "missing" / "doc.pat");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(DocumentFileTest, SaveOverAFolderFailsAndLeavesIt) {
  fs::create_directories(dir_ / "doc.pat" / "inside");
  root_t root;
  const save_result_t result = SaveDocument(root, dir_ / "doc.pat");
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(fs::is_directory(dir_ / "doc.pat" / "inside"));
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
}

#ifndef _WIN32  // POSIX only: a file-size limit (setrlimit)
TEST_F(DocumentFileTest, SaveThatRunsOutOfSpaceKeepsTheOldFile) {
  // A file size limit makes the write fail part way, as a full disk would,
  // even for a user whom permissions don't stop.
  const fs::path file = dir_ / "doc.pat";
  WriteFile(file, "the previous document");
  auto big = FullDocument();
  rlimit old_limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const save_result_t result = SaveDocument(*big, file);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(Cp("書き込みに失敗しました。")), std::string::npos) << result.error;
  EXPECT_EQ(ReadFile(file), "the previous document");
  EXPECT_EQ(Files(), std::vector<std::string>{"doc.pat"});
}
#endif

#ifndef _WIN32  // POSIX only: folder modes; a folder's read-only attribute does not stop writing on
                // Windows
TEST_F(DocumentFileTest, SaveIntoAReadOnlyFolderFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  const fs::path file = dir_ / "doc.pat";
  WriteFile(file, "previous");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  root_t root;
  const save_result_t result = SaveDocument(root, file);
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(ReadFile(file), "previous");
}
#endif

TEST(DocumentMessages, SaveFailureNamesTheFile) {
  EXPECT_EQ(SaveFailureMessage(Cp("a.pat"), "why"),
            Cp("「a.pat」を保存できませんでした。") + "\nwhy");
}

#ifndef _WIN32  // POSIX only: modes that deny reading
TEST_F(DocumentFileTest, UnreadableFileGivesTheSystemsReason) {
  scripted_answers_t script;
  root_t root;
  fs::create_directories(dir_ / "folder.pat");
  EXPECT_FALSE(LoadDocument(root, dir_ / "folder.pat", script.Handler()));
  ASSERT_EQ(script.messages.size(), 1u);
  EXPECT_NE(script.messages[0].find("\n" + Cp("ファイルを読み込めません。(Is a directory)")),
            std::string::npos);
}
#endif

TEST_F(DocumentFileTest, TruncatedFileAsksAndLeavesTheTreeUnchanged) {
  const fs::path file = dir_ / "cut.pat";
  const std::string full = DocumentText(*FullDocument());
  WriteFile(file, full.substr(0, full.size() / 2));
  auto root = Load(DocumentText(*FullDocument()));
  root->title = "current";
  const std::string before = Snapshot(*root);

  scripted_answers_t script;
  script.answers = {load_answer_t::Retry, load_answer_t::Abort};
  EXPECT_FALSE(LoadDocument(*root, file, script.Handler()));
  ASSERT_EQ(script.messages.size(), 2u);  // asked again after Retry
  const std::string fixed =
      Cp("「") + file.string() +
      Cp("」の読み込みに失敗しました。\n他のソフト等で使用している場合は終了させて下さい。");
  EXPECT_EQ(LoadFailureMessage(file), fixed);
  // The reason stands on a line below the fixed text.
  const std::string reason =
      LoadDocumentFromText(*Load(""), full.substr(0, full.size() / 2)).reason;
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(script.messages[0], fixed + "\n" + reason);
  EXPECT_EQ(LoadFailureMessage(file, reason), script.messages[0]);
  EXPECT_EQ(Snapshot(*root), before);
}

TEST_F(DocumentFileTest, RetryAfterTheCauseIsGoneSucceeds) {
  const fs::path file = dir_ / "doc.pat";
  WriteFile(file, "(root (@ (title \"unfinished");
  scripted_answers_t script;
  script.answers = {load_answer_t::Retry};
  script.before_answer = [&] { WriteFile(file, "(root (@ (title \"finished\")))"); };
  root_t root;
  EXPECT_TRUE(LoadDocument(root, file, script.Handler()));
  EXPECT_EQ(script.messages.size(), 1u);
  EXPECT_EQ(root.title, "finished");
}

TEST_F(DocumentFileTest, WithoutHandlerAFailureAborts) {
  const fs::path file = dir_ / "cut.pat";
  WriteFile(file, "(root \"");
  root_t root;
  EXPECT_FALSE(LoadDocument(root, file, nullptr));
  ASSERT_EQ(root.patterns.Count(), 1);  // normalised whatever the result
}

TEST_F(DocumentFileTest, MissingFileFailsWithoutAsking) {
  root_t root;
  root.title = "kept";
  scripted_answers_t script;
  EXPECT_FALSE(LoadDocument(root, dir_ / "missing.pat", script.Handler()));
  EXPECT_TRUE(script.messages.empty());
  EXPECT_EQ(root.title, "kept");
  EXPECT_EQ(root.patterns.Count(), 1);
}

TEST_F(DocumentFileTest, FileThatDisappearsAfterAFailureIsAFailure) {
  const fs::path file = dir_ / "doc.pat";
  WriteFile(file, "(root \"");
  scripted_answers_t script;
  script.answers = {load_answer_t::Retry};
  script.before_answer = [&] { fs::remove(file); };
  root_t root;
  EXPECT_FALSE(LoadDocument(root, file, script.Handler()));
  EXPECT_EQ(script.messages.size(), 1u);
}

TEST_F(DocumentFileTest, FolderInsteadOfAFileAsks) {
  fs::create_directories(dir_ / "folder.pat");
  scripted_answers_t script;
  root_t root;
  EXPECT_FALSE(LoadDocument(root, dir_ / "folder.pat", script.Handler()));
  EXPECT_EQ(script.messages.size(), 1u);
}

#ifndef _WIN32  // POSIX only: named pipes in the file system
TEST_F(DocumentFileTest, PipeInsteadOfAFileAsksWithoutWaiting) {
  // Opening a pipe for reading waits for a writer; the load must not.
  ASSERT_EQ(::mkfifo((dir_ / "pipe.pat").c_str(), 0600), 0);
  scripted_answers_t script;
  root_t root;
  EXPECT_FALSE(LoadDocument(root, dir_ / "pipe.pat", script.Handler()));
  ASSERT_EQ(script.messages.size(), 1u);
  EXPECT_NE(script.messages[0].find("\n" + Cp("通常のファイルではありません。")),
            std::string::npos);
}
#endif

TEST_F(DocumentFileTest, JapaneseFileNameInTheMessage) {
  // UTF-8 on disk (UTF-16 on Windows), code page 932 in the message.
  const fs::path file = dir_ / PathFromUtf8("表ソ.pat");
  WriteFile(file, "(root \"");
  scripted_answers_t script;
  root_t root;
  EXPECT_FALSE(LoadDocument(root, file, script.Handler()));
  ASSERT_EQ(script.messages.size(), 1u);
  EXPECT_NE(script.messages[0].find(Cp("表ソ.pat」の読み込み")), std::string::npos);
}

// ---- Templates ----------------------------------------------------------------

struct template_case_t {
  const char* file;
  difficulty_t difficulty;
  int stages;
};

const template_case_t kTemplates[] = {
    {"qvl_easy.pat", difficulty_t::Easy, 6},   {"qvl_normal.pat", difficulty_t::Normal, 6},
    {"qvl_hard.pat", difficulty_t::Hard, 6},   {"qvl_lunatic.pat", difficulty_t::Lunatic, 6},
    {"qvl_extra.pat", difficulty_t::Extra, 1}, {"qvl_phantasm.pat", difficulty_t::Phantasm, 1},
};

struct template_counts_t {
  int spell_cards = 0;
  int bullet_bonus_attacks = 0;
  std::vector<int> boss_spell_cards;  // per stage, the stage boss's
};

void CheckEmptySelectedPattern(const scene_base_t& node) {
  ASSERT_EQ(node.patterns.Count(), 1) << node.title;
  const pattern_base_t& p = *node.patterns.Items(0);
  EXPECT_TRUE(p.selected) << node.title;
  EXPECT_EQ(p.title, "") << node.title;
  EXPECT_EQ(p.cherry_max + p.border_bonus_times + p.point + p.bonus_item, 0) << node.title;
}

void CheckScene(const scene_t& scene, group_kind_t parent_kind, template_counts_t& counts,
                std::set<std::string>& card_titles) {
  CheckEmptySelectedPattern(scene);
  EXPECT_FALSE(scene.title.empty());
  EXPECT_GT(scene.point, 0) << scene.title;
  EXPECT_LT(scene.point, 1000) << scene.title;
  // Ways hold way scenes, bosses their attacks.
  EXPECT_EQ(scene.kind == scene_kind_t::Way, parent_kind == group_kind_t::Way) << scene.title;
  EXPECT_NE(scene.kind, scene_kind_t::Dummy);
  if (scene.kind == scene_kind_t::NormalAttackWithEnemyBulletBonus) ++counts.bullet_bonus_attacks;
  if (scene.kind != scene_kind_t::SpellCard) {
    EXPECT_EQ(scene.initial_spell_card_bonus, 0);
    return;
  }
  ++counts.spell_cards;
  EXPECT_TRUE(card_titles.insert(scene.title).second) << "repeated " << scene.title;
  EXPECT_NE(scene.title.find(Cp("「")), std::string::npos) << scene.title;
  EXPECT_GE(scene.time_limit, 20);
  EXPECT_LE(scene.time_limit, 120);
  EXPECT_GT(scene.decrease_rate, 0);
  EXPECT_GT(scene.initial_spell_card_bonus, scene.time_limit * scene.decrease_rate) << scene.title;
}

TEST(Templates, LoadAndSaveByteForByte) {
  for (const auto& t : kTemplates) {
    const fs::path file = fs::path(QVL_TEMPLATE_DIR) / t.file;
    const std::string bytes = ReadFile(file);
    ASSERT_FALSE(bytes.empty()) << file;
    root_t root;
    scripted_answers_t script;
    ASSERT_TRUE(LoadDocument(root, file, script.Handler())) << file;
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(DocumentText(root), bytes) << file;
    EXPECT_EQ(root.difficulty, t.difficulty) << file;
    EXPECT_EQ(root.title, "Quovel " + DifficultyName(t.difficulty)) << file;
  }
}

TEST(Templates, LookLikeTheGame) {
  std::vector<int> spell_cards_by_difficulty;
  for (const auto& t : kTemplates) {
    SCOPED_TRACE(t.file);
    root_t root;
    ASSERT_TRUE(LoadDocument(root, fs::path(QVL_TEMPLATE_DIR) / t.file, nullptr));
    CheckEmptySelectedPattern(root);
    ASSERT_EQ(root.ChildCount(), t.stages);
    template_counts_t counts;
    std::set<std::string> card_titles;
    for (int s = 0; s < root.ChildCount(); ++s) {
      const group_t& stage = GroupAt(root, s);
      CheckEmptySelectedPattern(stage);
      EXPECT_EQ(stage.kind, group_kind_t::Stage);
      EXPECT_EQ(stage.StageNumber(), s + 1);
      // First half of the way, mid-boss, second half, boss.
      ASSERT_EQ(stage.ChildCount(), 4);
      EXPECT_EQ(GroupAt(stage, 0).title, Cp("道中前半"));
      EXPECT_EQ(GroupAt(stage, 1).title.rfind(Cp("中ボス"), 0), 0u);
      EXPECT_EQ(GroupAt(stage, 2).title, Cp("道中後半"));
      EXPECT_EQ(GroupAt(stage, 3).title.rfind(Cp("ボス"), 0), 0u);
      for (int g = 0; g < 4; ++g) {
        const group_t& part = GroupAt(stage, g);
        CheckEmptySelectedPattern(part);
        EXPECT_EQ(part.kind, g % 2 == 0 ? group_kind_t::Way : group_kind_t::Boss);
        ASSERT_GT(part.ChildCount(), 0);
        const int before = counts.spell_cards;
        for (int i = 0; i < part.ChildCount(); ++i) {
          CheckScene(SceneAt(part, i), part.kind, counts, card_titles);
        }
        if (g == 3) {
          counts.boss_spell_cards.push_back(counts.spell_cards - before);
          // A boss fight opens with a normal attack.
          EXPECT_EQ(SceneAt(part, 0).kind, scene_kind_t::NormalAttack);
        }
      }
    }
    EXPECT_GT(counts.bullet_bonus_attacks, 0);
    // Later stages have at least as many spell cards as earlier ones.
    for (std::size_t i = 1; i < counts.boss_spell_cards.size(); ++i) {
      EXPECT_GE(counts.boss_spell_cards[i], counts.boss_spell_cards[i - 1]);
    }
    if (t.stages == 1) {
      EXPECT_GE(counts.boss_spell_cards[0], 10);  // a long boss chain
    }
    spell_cards_by_difficulty.push_back(counts.spell_cards);
  }
  // Easy to Lunatic: more spell cards on each higher difficulty.
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_GT(spell_cards_by_difficulty[i], spell_cards_by_difficulty[i - 1]);
  }
}

// Numbers are summed as they are checked up to 18 digits, and handed to the
// library beyond: both sides of that line, the limits of 64 bits and what is
// not a number at all.
TEST(ParseScore, AcceptsSignedDecimalsWithin64Bits) {
  const struct {
    const char* text;
    bool ok;
    score_t value;
  } cases[] = {
      {"0", true, 0},
      {"-0", true, 0},
      {"+7", true, 7},
      {"007", true, 7},
      {"-25", true, -25},
      {"999999999999999999", true, 999999999999999999},
      {"-999999999999999999", true, -999999999999999999},
      {"1234567890123456789", true, 1234567890123456789},
      {"+9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},
      {"9223372036854775808", false, 0},
      {"00000000000000000000001", true, 1},
      {"", false, 0},
      {"-", false, 0},
      {"+-1", false, 0},
      {"12a", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1e3", false, 0},
  };
  for (const auto& c : cases) {
    score_t value = 42;
    EXPECT_EQ(ParseScore(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 42) << c.text;
  }
}

}  // namespace
}  // namespace qvl

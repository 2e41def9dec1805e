#include "model/qvl_editor.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/qvl_text.h"

namespace qvl {
namespace {

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

editor_node_t Scene(scene_kind_t k) {
  return {true, k};
}

TEST(EditorRows, LabelsAndForcedZeroRowsPerKind) {
  struct row_t {
    scene_kind_t kind;
    std::vector<int> unlabelled;
    std::vector<int> forced;
  };
  const row_t rows[] = {
      {scene_kind_t::Way, {5, 8, 9, 10}, {5, 8, 9, 10}},
      {scene_kind_t::NormalAttack, {5, 6, 8, 9, 10}, {5, 6, 8, 9, 10}},
      {scene_kind_t::NormalAttackWithEnemyBulletBonus, {5, 8, 10}, {5, 8, 10}},
      {scene_kind_t::SpellCard, {5, 10}, {5, 10}},
      {scene_kind_t::Dummy, {5, 8, 9, 10}, {5, 8, 10}},  // row 9: no label, yet editable
  };
  for (const row_t& r : rows) {
    SCOPED_TRACE(SceneKindName(r.kind));
    for (int row = 1; row <= 10; ++row) {
      const bool unlabelled =
          std::find(r.unlabelled.begin(), r.unlabelled.end(), row) != r.unlabelled.end();
      const bool forced = std::find(r.forced.begin(), r.forced.end(), row) != r.forced.end();
      EXPECT_EQ(EditorRowLabel(Scene(r.kind), row).empty(), unlabelled) << "row " << row;
      EXPECT_EQ(IsForcedZeroRow(Scene(r.kind), row), forced) << "row " << row;
      EXPECT_EQ(IsReadOnlyRow(Scene(r.kind), row), forced || row == 3) << "row " << row;
    }
  }
  const editor_node_t group;
  for (int row = 1; row <= 10; ++row) {
    EXPECT_FALSE(EditorRowLabel(group, row).empty());
    EXPECT_FALSE(IsForcedZeroRow(group, row));
    EXPECT_EQ(IsReadOnlyRow(group, row), row == 3);
  }
  EXPECT_EQ(U(EditorRowLabel(group, 5)), "うち取得したスペルでの分");
  EXPECT_EQ(U(EditorRowLabel(group, 8)), "スペルカードボーナス基礎合計");
  EXPECT_EQ(U(EditorRowLabel(Scene(scene_kind_t::SpellCard), 8)), "スペルカードボーナス基礎");
  EXPECT_EQ(U(EditorRowLabel(group, 10)), "取得スペルカード枚数");
  EXPECT_EQ(EditorRowLabel(group, 11), "");

  scene_t s;
  s.kind = scene_kind_t::SpellCard;
  EXPECT_TRUE(EditorNodeOf(&s).is_scene);
  EXPECT_EQ(EditorNodeOf(&s).kind, scene_kind_t::SpellCard);
  root_t root;
  EXPECT_FALSE(EditorNodeOf(&root).is_scene);
  EXPECT_FALSE(EditorNodeOf(nullptr).is_scene);
}

TEST(EditorRows, PatternColumns) {
  pattern_t p;
  p.border_bonus_times = 1;
  p.cherry_max = 100;
  p.cherry_difference = 30;
  p.graze = 4;
  p.point = 6;
  p.bonus_item = 7;
  p.spell_card_bonus_base = 8;
  p.enemy_bullet_bonus = 9;
  EXPECT_EQ(PatternColumn(p), (editor_column_t{1, 100, 70, 4, 0, 6, 7, 8, 9, 0}));
  grouped_pattern_t g;
  g.cherry_max = 5;
  g.graze_in_getting_spell_cards = 3;
  g.graze_rest = 2;
  g.total_spell_card_bonus_base = 8;
  g.total_enemy_bullet_bonus = 9;
  g.getting_spell_cards_number = 10;
  EXPECT_EQ(PatternColumn(g), (editor_column_t{0, 5, 5, 5, 3, 0, 0, 8, 9, 10}));
  // A scene's column has no rows 5 and 10, whatever the pattern holds.
  EXPECT_EQ(NodeColumn(editor_node_t{}, g), PatternColumn(g));
  EXPECT_EQ(NodeColumn(Scene(scene_kind_t::Way), g),
            (editor_column_t{0, 5, 5, 5, 0, 0, 0, 8, 9, 0}));
}

TEST(EditorRounding, NearestWithTiesToEvenAndRangeChecked) {
  EXPECT_EQ(RoundToScore(2.5), 2);
  EXPECT_EQ(RoundToScore(3.5), 4);
  EXPECT_EQ(RoundToScore(-2.5), -2);
  EXPECT_EQ(RoundToScore(1499.6), 1500);
  EXPECT_EQ(RoundToScore(-0.4), 0);
  EXPECT_EQ(RoundToScore(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(RoundToScore(-9223372036854775808.0), std::numeric_limits<score_t>::min());
  EXPECT_FALSE(RoundToScore(9223372036854775808.0));
  EXPECT_FALSE(RoundToScore(1e300));
  EXPECT_FALSE(RoundToScore(-1e19));
}

struct asked_t {
  std::vector<spell_card_question_t> questions;
  int warnings = 0;
  bool answer = true;
  editor_prompts_t Prompts() {
    return {[this](spell_card_question_t q) {
              questions.push_back(q);
              return answer;
            },
            [this] { ++warnings; }};
  }
};

editor_input_t Input(editor_cells_t cells, bool captured = false) {
  editor_input_t in;
  in.cells = cells;
  in.getting_spell_card = captured;
  in.title = "t";
  in.memo = "m";
  return in;
}

TEST(EditorReading, SceneFields) {
  asked_t asked;
  const editor_read_t r = ReadEditorPattern(
      Scene(scene_kind_t::SpellCard), Input({2, 1500, 0, 100.4, 0, 50, 10, 5000000, 7, 0}, true),
      asked.Prompts());
  ASSERT_TRUE(r.pattern);
  const auto& p = dynamic_cast<const pattern_t&>(*r.pattern);
  EXPECT_EQ(p.border_bonus_times, 2);
  EXPECT_EQ(p.cherry_max, 1500);
  EXPECT_EQ(p.cherry_difference, 0);
  EXPECT_EQ(r.cells[2], 1500);  // the gained cherry follows row 2
  EXPECT_EQ(p.graze, 100);
  EXPECT_EQ(p.point, 50);
  EXPECT_EQ(p.bonus_item, 10);
  EXPECT_EQ(p.spell_card_bonus_base, 5000000);
  EXPECT_EQ(p.enemy_bullet_bonus, 7);
  EXPECT_TRUE(p.getting_spell_card);
  EXPECT_FALSE(p.selected);  // the session decides which pattern is current
  EXPECT_EQ(p.title, "t");
  EXPECT_EQ(p.memo, "m");
  EXPECT_EQ(p.player + p.bomb + p.cherry_plus, 0);
  EXPECT_TRUE(asked.questions.empty());
  EXPECT_EQ(asked.warnings, 0);
}

TEST(EditorReading, TitleAndMemoAreHeldAsTheFileGivesThemBack) {
  // Sorted by the title as stored, a list keeps its order through a save.
  const std::string typed = "\x82\xA0\"\nb";  // あ, a double quote, a lone line feed
  const std::string held = "\x82\xA0\x81\x68\r\nb";
  for (const bool scene : {true, false}) {
    SCOPED_TRACE(scene ? "scene" : "group");
    editor_input_t in = Input({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    in.title = typed;
    in.memo = typed;
    asked_t asked;
    const editor_read_t r =
        ReadEditorPattern(scene ? Scene(scene_kind_t::Way) : editor_node_t{}, in, asked.Prompts());
    ASSERT_TRUE(r.pattern);
    EXPECT_EQ(r.pattern->title, held);
    EXPECT_EQ(r.pattern->memo, held);
  }
}

TEST(EditorReading, CapturedWithZeroBaseAsksFirstQuestion) {
  asked_t yes;
  editor_read_t r = ReadEditorPattern(Scene(scene_kind_t::SpellCard),
                                      Input({0, 0, 0, 0, 0, 0, 0, 0, 5, 0}, true), yes.Prompts());
  ASSERT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(yes.questions[0], spell_card_question_t::BaseZeroButCaptured);
  EXPECT_FALSE(r.getting_spell_card);
  EXPECT_FALSE(dynamic_cast<pattern_t&>(*r.pattern).getting_spell_card);

  asked_t no;
  no.answer = false;
  r = ReadEditorPattern(Scene(scene_kind_t::SpellCard), Input({0, 0, 0, 0, 0, 0, 0, 0, 5, 0}, true),
                        no.Prompts());
  EXPECT_TRUE(r.getting_spell_card);
  EXPECT_EQ(no.questions.size(), 1u);
}

TEST(EditorReading, UncapturedWithBaseAsksSecondQuestion) {
  asked_t no;
  no.answer = false;
  editor_read_t r = ReadEditorPattern(Scene(scene_kind_t::SpellCard),
                                      Input({0, 0, 0, 0, 0, 0, 0, 1000, 5, 0}), no.Prompts());
  ASSERT_EQ(no.questions.size(), 1u);
  EXPECT_EQ(no.questions[0], spell_card_question_t::BaseSetButNotCaptured);
  EXPECT_EQ(r.cells[7], 0);
  EXPECT_EQ(dynamic_cast<pattern_t&>(*r.pattern).spell_card_bonus_base, 0);

  asked_t yes;
  r = ReadEditorPattern(Scene(scene_kind_t::SpellCard), Input({0, 0, 0, 0, 0, 0, 0, 1000, 5, 0}),
                        yes.Prompts());
  EXPECT_TRUE(r.getting_spell_card);
  EXPECT_EQ(dynamic_cast<pattern_t&>(*r.pattern).spell_card_bonus_base, 1000);
  EXPECT_EQ(U(SpellCardQuestionText(spell_card_question_t::BaseSetButNotCaptured)),
            "スペルカードボーナス基礎の入力欄に0以外の値が入っています。\r\n"
            "スペルカードを取得するのですか？");
}

TEST(EditorReading, ZeroEnemyBulletBonusWarnsAndGoesOn) {
  for (scene_kind_t kind : {scene_kind_t::NormalAttackWithEnemyBulletBonus, scene_kind_t::SpellCard,
                            scene_kind_t::Way}) {
    asked_t asked;
    asked.answer = false;
    const editor_read_t r =
        ReadEditorPattern(Scene(kind), Input({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), asked.Prompts());
    EXPECT_EQ(asked.warnings, kind == scene_kind_t::Way ? 0 : 1);
    ASSERT_TRUE(r.pattern);
    EXPECT_EQ(r.pattern->border_bonus_times, 1);
  }
  EXPECT_EQ(U(EnemyBulletBonusWarningText()), "敵弾消しボーナスの値が0になっています。");
}

TEST(EditorReading, GroupGrazeSplitsAndNeverAsks) {
  asked_t asked;
  editor_read_t r = ReadEditorPattern(editor_node_t{}, Input({0, 0, 0, 300, 500, 0, 0, 0, 0, 3}),
                                      asked.Prompts());
  auto* g = dynamic_cast<grouped_pattern_t*>(r.pattern.get());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(r.cells[4], 300);
  EXPECT_EQ(g->graze_in_getting_spell_cards, 300);
  EXPECT_EQ(g->graze_rest, 0);
  EXPECT_EQ(g->getting_spell_cards_number, 3);
  EXPECT_FALSE(g->selected);
  EXPECT_TRUE(asked.questions.empty());

  r = ReadEditorPattern(editor_node_t{}, Input({0, 0, 0, 300, 100, 0, 0, 0, 0, 0}),
                        asked.Prompts());
  g = dynamic_cast<grouped_pattern_t*>(r.pattern.get());
  EXPECT_EQ(g->graze_rest, 200);
  EXPECT_EQ(g->TotalGraze(), 300);
  EXPECT_EQ(PatternColumn(*g)[3], 300);
}

TEST(EditorReading, GroupFractionalCherryMaxShowsTheStoredValue) {
  editor_read_t r =
      ReadEditorPattern(editor_node_t{}, Input({0, 1500.4, 0, 0, 0, 0, 0, 0, 0, 0}), {});
  EXPECT_EQ(r.pattern->cherry_max, 1500);
  EXPECT_EQ(r.cells[2], 1500);
  r = ReadEditorPattern(editor_node_t{}, Input({0, 1499.6, 0, 0, 0, 0, 0, 0, 0, 0}), {});
  EXPECT_EQ(r.pattern->cherry_max, 1500);
  EXPECT_EQ(r.pattern->cherry_difference, 0);
}

TEST(EditorReading, ValuesBeyondTheScoreRangeAreRefused) {
  asked_t asked;
  const editor_read_t r =
      ReadEditorPattern(Scene(scene_kind_t::SpellCard),
                        Input({0, 0, 0, 0, 0, 0, 1e20, 0, 0, 0}, true), asked.Prompts());
  EXPECT_EQ(r.pattern, nullptr);
  EXPECT_NE(U(r.error).find("回収したボーナスアイテム数"), std::string::npos);
  EXPECT_TRUE(asked.questions.empty());
}

}  // namespace
}  // namespace qvl

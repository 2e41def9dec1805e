// A first plan from start to finish: the Hard template, a spell card's bonus
// typed as scb of the time left, Calculate, Update, Save As, and the file
// opened again.
#include "EditorFixture.h"
#include "calc/CalcCustom.h"

namespace qvl {
namespace {

const char* const kSpellCard = "霧符「朝霧の重ね衣」";

TEST_F(PatternEditorTest, EndToEndPlanFromTheHardTemplateSurvivesSaveAndReopen) {
  TMainWnd& w = Make();
  Action("Hard2")->trigger();
  ASSERT_EQ(w.windowTitle(), Caption(QStringLiteral("*Hard*")));
  Select(kSpellCard);
  ASSERT_NE(w.CurrentNode(), nullptr);
  const double expected = ScbValue(w.CurrentNode(), 30);
  ASSERT_GT(expected, 0);

  TypeInto(8, QStringLiteral("scb(30)"));
  Commit();
  // The template's pattern is not captured: the second question, Yes.
  dialogs.confirms.push_back(true);
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(8), QString::number(expected, 'f', 0));
  EXPECT_TRUE(NewGetSpell()->isChecked());
  EXPECT_EQ(DiffText(8), QStringLiteral("+") + QString::number(expected, 'f', 0));
  EXPECT_TRUE(Out()->CellText(4, 13).startsWith(QLatin1Char('+')));

  // Update as the current pattern: one question, the pattern is the current one.
  dialogs.confirms.push_back(true);
  Button("ApplyButton")->click();
  EXPECT_TRUE(w.DocumentModified());
  const auto& stored = dynamic_cast<const pattern_t&>(*w.CurrentNode()->patterns.Current());
  EXPECT_EQ(stored.spell_card_bonus_base, static_cast<score_t>(expected));
  EXPECT_TRUE(stored.getting_spell_card);
  const score_t total = w.OldValue()->Total();

  const QString file = TempPath(QStringLiteral("plan.pat"));
  dialogs.save_names.push_back(file);
  Action("SaveAs1")->trigger();
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());

  // A fresh window opens the file again.
  window.reset();
  dialogs.Clear();
  TMainWnd& again = Make({file});
  Select(kSpellCard);
  const auto& reloaded = dynamic_cast<const pattern_t&>(*again.CurrentNode()->patterns.Current());
  EXPECT_EQ(reloaded.spell_card_bonus_base, static_cast<score_t>(expected));
  EXPECT_TRUE(reloaded.getting_spell_card);
  EXPECT_EQ(reloaded.title, "*untitled*");
  EXPECT_EQ(OldText(8), QString::number(expected, 'f', 0));
  EXPECT_TRUE(Control<QCheckBox>("OldGetSpellCheckBox")->isChecked());
  EXPECT_EQ(again.OldValue()->Total(), total);
  EXPECT_EQ(Out()->CellText(2, 13), QString::number(total));
  // The captured card counts for every later scene.
  Select("2面　風鈴の峠");
  EXPECT_EQ(Panel(5), QStringLiteral("C+: 1100"));
}

}  // namespace
}  // namespace qvl

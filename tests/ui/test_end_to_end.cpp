// A first plan from start to finish: the Hard template, a spell card's bonus
// typed as scb of the time left, Calculate, Update, Save As, and the file
// opened again.
#include "EditorFixture.h"
#include "calc/CalcCustom.h"

namespace qvl {
namespace {

const char* const kSpellCard = "霧符「朝霧の重ね衣」";

// The node and its descendants, depth first.
void VisitNodes(const scene_base_t& node, const std::function<void(const scene_base_t&)>& visit) {
  visit(node);
  if (const auto* group = dynamic_cast<const group_t*>(&node)) {
    for (int i = 0; i < group->ChildCount(); ++i) VisitNodes(*group->Child(i), visit);
  }
}

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
  const score_t total = w.Comparison().OldValue()->Total().Value();

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
  EXPECT_EQ(again.Comparison().OldValue()->Total(), total);
  EXPECT_EQ(Out()->CellText(2, 13), QString::number(total));
  // The captured card counts for every later scene.
  Select("2面　風鈴の峠");
  EXPECT_EQ(Panel(5), QStringLiteral("C+: 1100"));
}

// The same plan by keyboard alone: the menu by its access keys, the tree by
// the arrow keys, Tab to the new column, Enter to calculate, Alt+A, Ctrl+S.
TEST_F(PatternEditorTest, KeyboardOnlyPlanFromTheHardTemplate) {
  TMainWnd& w = Make();
  Activate();
  Key(Qt::Key_F, Qt::AltModifier);  // ファイル(&F)
  Key(Qt::Key_N);                   // 新規作成(&N): Easy, Normal, Hard
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  Key(Qt::Key_Return);
  ASSERT_EQ(w.windowTitle(), Caption(QStringLiteral("*Hard*")));
  // The closed menus hand the activation back to the window.
  QCoreApplication::processEvents();
  Activate();
  ASSERT_EQ(FocusName(), QStringLiteral("SceneView"));

  // Down the tree, unfolding groups on the way, to the spell card.
  const QString target = QString::fromUtf8(kSpellCard);
  for (int i = 0; i < 80 && Tree()->currentItem()->text(0) != target; ++i) {
    QTreeWidgetItem* current = Tree()->currentItem();
    Key(current->childCount() > 0 && !current->isExpanded() ? Qt::Key_Right : Qt::Key_Down);
  }
  ASSERT_NE(w.CurrentNode(), nullptr);
  ASSERT_EQ(ToQString(w.CurrentNode()->title), target);
  const double expected = ScbValue(w.CurrentNode(), 30);

  for (int i = 0; i < 10 && FocusName() != QStringLiteral("InputKwGrid"); ++i) Key(Qt::Key_Tab);
  ASSERT_EQ(FocusName(), QStringLiteral("InputKwGrid"));
  // The grid keeps its current cell, the old column at first: over to the new.
  for (int i = 0; i < 3 && In()->CurrentCol() < 2; ++i) Key(Qt::Key_Right);
  for (int i = 0; i < 12 && In()->CurrentRow() != 8; ++i) {
    Key(In()->CurrentRow() < 8 ? Qt::Key_Down : Qt::Key_Up);
  }
  ASSERT_EQ(In()->CurrentCol(), 2);
  ASSERT_EQ(In()->CurrentRow(), 8);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("scb(30)"));
  dialogs.confirms.push_back(true);  // the spell card is captured
  Key(Qt::Key_Return);
  EXPECT_EQ(NewText(8), QString::number(expected, 'f', 0));

  dialogs.confirms.push_back(true);  // update the pattern being edited
  Key(Qt::Key_A, Qt::AltModifier);
  ASSERT_TRUE(WaitUntil([&w] { return w.DocumentModified(); }));

  const QString file = TempPath(QStringLiteral("keys.pat"));
  dialogs.save_names.push_back(file);
  Key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(w.DocumentModified());
  root_t saved;
  ASSERT_TRUE(
      LoadDocument(saved, ToPath(file), [](const std::string&) { return load_answer_t::Abort; }));
  const scene_base_t* card = nullptr;
  VisitNodes(saved, [&](const scene_base_t& node) {
    if (ToQString(node.title) == target) card = &node;
  });
  ASSERT_NE(card, nullptr);
  const auto* stored = dynamic_cast<const pattern_t*>(card->patterns.Current());
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->spell_card_bonus_base, static_cast<score_t>(expected));
  EXPECT_TRUE(stored->getting_spell_card);
}

}  // namespace
}  // namespace qvl

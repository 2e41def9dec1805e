#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "WindowFixture.h"
#include "grid/KwGrid.h"

namespace qvl {
namespace {

const QString kGroupingRefusal =
    QStringLiteral("親ノードの方でまとめてるのを解除してから選択してくださいな。");

// A scene with twelve titled patterns p01..p12 and an untitled one, which the
// sorted list puts first.
void BuildManyPatterns(root_t& root) {
  root.title = Utf8ToCp932("全体");
  auto* scene = AddNode<scene_t>(root, "多い");
  scene->kind = scene_kind_t::Way;
  scene->patterns.AddSorted(ScenePattern("", 0));
  for (int i = 1; i <= 12; ++i) {
    const std::string title = (i < 10 ? "p0" : "p") + std::to_string(i);
    scene->patterns.AddSorted(ScenePattern(title.c_str(), i, i == 5));
  }
}

QStringList DynamicCaptions(QMenu& menu) {
  QStringList captions;
  for (QAction* a : menu.actions()) {
    if (a->objectName().startsWith(QStringLiteral("PatternItem"))) captions << a->text();
  }
  return captions;
}

TEST_F(WindowTest, TreeShowsTheDocumentWithImagesPerKind) {
  Make({sample});
  TSceneTreeView* tree = Tree();
  EXPECT_FALSE(tree->rootIsDecorated());
  EXPECT_EQ(tree->indentation(), 19);
  EXPECT_EQ(tree->selectionMode(), QAbstractItemView::ExtendedSelection);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(root->text(0), QStringLiteral("Hard 全体"));
  EXPECT_TRUE(root->isExpanded());
  ASSERT_EQ(root->childCount(), 2);
  EXPECT_FALSE(root->child(0)->isExpanded());
  const struct {
    const char* title;
    int image;
  } cases[] = {{"Hard 全体", 0}, {"1面", 0},   {"ボス", 0},    {"1面道中", 3},
               {"スペルA", 1},   {"通常1", 3}, {"スペルB", 1}, {"2面道中", 3}};
  for (const auto& c : cases) {
    QTreeWidgetItem* item = Item(c.title);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->data(0, Qt::UserRole).toInt(), c.image) << c.title;
    EXPECT_FALSE(item->icon(0).isNull()) << c.title;
  }
  EXPECT_EQ(Item("ボス")->childCount(), 2);
}

TEST_F(WindowTest, ClickingAScenShowsItsValuesAndStatus) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  ASSERT_NE(w.CurrentNode(), nullptr);
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("スペルA"));
  ASSERT_NE(w.Comparison().OldValue(), nullptr);
  ASSERT_NE(w.Comparison().NewValue(), nullptr);
  EXPECT_EQ(w.Comparison().OldValue()->Total(), w.CurrentNode()->CurrentExplanation().Total());
  auto* out = Control<TKwGrid>("OutputKwGrid");
  EXPECT_EQ(out->CellText(2, 13), QString::number(w.Comparison().OldValue()->Total().Value()));
  EXPECT_EQ(out->CellText(3, 13), QString::number(w.Comparison().NewValue()->Total().Value()));
  EXPECT_TRUE(Control<QLabel>("StatusPanel5")->text().startsWith(QStringLiteral("C+: ")));
  EXPECT_TRUE(Control("NewGetSpellCheckBox")->isVisibleTo(&w));
  EXPECT_FALSE(Control("GroupingCheckBox")->isVisibleTo(&w));
  EXPECT_TRUE(Control("SceneMemoApplyButton")->isEnabled());
}

TEST_F(WindowTest, CtrlClickSelectsSeveralAndSumsAStageOnceWithItsOwnScene) {
  TMainWnd& w = Make({sample});
  Click(Item("1面"));
  const score_t stage_total = w.Document().Child(0)->CurrentValue().Total().Value();
  Click(Item("スペルA"), Qt::ControlModifier);
  EXPECT_EQ(Tree()->selectedItems().size(), 2);
  EXPECT_EQ(w.CurrentNode(), nullptr);
  ASSERT_NE(w.Comparison().OldValue(), nullptr);
  EXPECT_EQ(w.Comparison().OldValue()->Total(), stage_total);
  EXPECT_EQ(w.Comparison().NewValue(), nullptr);
  EXPECT_FALSE(Control("SceneMemoApplyButton")->isEnabled());

  // Ctrl+click again takes the scene out of the selection.
  Click(Item("スペルA"), Qt::ControlModifier);
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{Item("1面")});
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("1面"));
}

TEST_F(WindowTest, ShiftClickSelectsTheVisibleRange) {
  TMainWnd& w = Make({sample});
  Item("1面")->setExpanded(true);
  Click(Item("1面道中"));
  Click(Item("ボス"), Qt::ShiftModifier);
  const QList<QTreeWidgetItem*> selected = Tree()->selectedItems();
  EXPECT_EQ(selected.size(), 3);
  EXPECT_TRUE(Item("スペルA")->isSelected());
  EXPECT_EQ(w.CurrentNode(), nullptr);
  EXPECT_NE(w.Comparison().OldValue(), nullptr);  // a sum, as for Ctrl+click
}

TEST_F(WindowTest, SelectionInsideAGroupingGroupIsRefused) {
  TMainWnd& w = Make({sample});
  auto* stage = dynamic_cast<group_t*>(w.Document().Child(0));
  ASSERT_NE(stage, nullptr);
  stage->grouping = true;
  Click(Item("1面"));
  Click(Item("スペルA"));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("information")), QStringList{kGroupingRefusal});
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{Item("1面")});
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("1面"));

  // The grandparent's grouping refuses too, also for Ctrl+click.
  dialogs.Clear();
  Click(Item("通常1"), Qt::ControlModifier);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("information")), QStringList{kGroupingRefusal});
  EXPECT_EQ(Tree()->selectedItems().size(), 1);

  // A grouping group is edited as one: its editor is on.
  EXPECT_TRUE(Control("CalcButton")->isEnabled());
  ASSERT_NE(w.Comparison().NewValue(), nullptr);
}

TEST_F(WindowTest, ArrowKeysStepOverTheScenesOfAGroupDescribedAsAWhole) {
  TMainWnd& w = Make({sample});
  Activate();
  Click(Item("ボス"));
  QTest::mouseClick(Control("GroupingCheckBox"), Qt::LeftButton);
  ASSERT_TRUE(dynamic_cast<const group_t&>(*w.CurrentNode()).grouping);
  Item("ボス")->setExpanded(true);
  Tree()->setFocus();
  // Down leaves the group for the next node that can be selected, asking
  // nothing; Up comes back to the group over the same scenes.
  QTest::keyClick(Tree(), Qt::Key_Down);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("information")), QStringList());
  EXPECT_EQ(Tree()->currentItem(), Item("2面"));
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("2面"));
  QTest::keyClick(Tree(), Qt::Key_Up);
  EXPECT_EQ(Tree()->currentItem(), Item("ボス"));
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("ボス"));
  // A click on one of its scenes still says why it cannot be selected.
  Click(Item("通常1"));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("information")), QStringList{kGroupingRefusal});
  EXPECT_EQ(Tree()->currentItem(), Item("ボス"));
}

TEST_F(WindowTest, ClickBesideTheItemsKeepsTheSelection) {
  TMainWnd& w = Make({sample});
  Click(Item("2面"));
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {},
                    QPoint(5, Tree()->viewport()->height() - 5));
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{Item("2面")});
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("2面"));
}

TEST_F(WindowTest, SelectAllIsCheckedLikeEveryOtherChange) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("未適用"));
  dialogs.confirms.push_back(false);
  Tree()->setFocus();
  QTest::keyClick(Tree(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")).size(), 1);
  EXPECT_EQ(Tree()->selectedItems().size(), 1);
  EXPECT_TRUE(w.MemoModified());
}

TEST_F(WindowTest, UnappliedMemoIsAskedAboutBeforeTheSelectionMoves) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("メモ書き"));
  ASSERT_TRUE(w.MemoModified());
  dialogs.confirms.push_back(false);
  Click(Item("1面道中"));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("「スペルA」のメモの変更を破棄します。よろしいですか？")});
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("スペルA"));
  EXPECT_EQ(Control<QPlainTextEdit>("SceneMemo")->toPlainText(), QStringLiteral("メモ書き"));

  dialogs.confirms.push_back(true);
  Click(Item("1面道中"));
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("1面道中"));
  EXPECT_FALSE(w.MemoModified());
  EXPECT_TRUE(w.CurrentNode()->memo.empty());
}

TEST_F(WindowTest, MemoUpdateAsksAndMarksTheDocumentModified) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("一行目\n二行目"));
  dialogs.confirms.push_back(false);
  Control<QPushButton>("SceneMemoApplyButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("「スペルA」のメモを更新します。よろしいですか？")});
  EXPECT_TRUE(w.CurrentNode()->memo.empty());
  EXPECT_FALSE(w.DocumentModified());

  dialogs.confirms.push_back(true);
  Control<QPushButton>("SceneMemoApplyButton")->click();
  EXPECT_EQ(w.CurrentNode()->memo, Utf8ToCp932("一行目\r\n二行目"));
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_FALSE(w.MemoModified());
}

TEST_F(WindowTest, MemoWithCharactersFilesCannotHoldIsRefused) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  Control<QPlainTextEdit>("SceneMemo")->setPlainText(QStringLiteral("ok 한글 😀"));
  Control<QPushButton>("SceneMemoApplyButton")->click();
  const QStringList errors = dialogs.Texts(QStringLiteral("error"));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(QStringLiteral("「한」")));
  EXPECT_TRUE(errors[0].contains(QStringLiteral("「글」")));
  EXPECT_TRUE(errors[0].contains(QStringLiteral("「😀」")));
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("confirm")).isEmpty());
  EXPECT_TRUE(w.CurrentNode()->memo.empty());
  EXPECT_TRUE(w.MemoModified());
  EXPECT_FALSE(w.DocumentModified());
}

TEST_F(WindowTest, RightClickSelectsTheNodeBeforeThePopupMenu) {
  TMainWnd& w = Make({sample});
  QTreeWidgetItem* item = Item("1面道中");
  Click(item, {}, Qt::RightButton);
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{item});
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("1面道中"));
}

TEST_F(WindowTest, PopupMenuHasFixedItemsAndOneRadioItemPerTitledPattern) {
  const QString many = WriteSample(QStringLiteral("many.pat"), BuildManyPatterns);
  TMainWnd& w = Make({many});
  Click(Item("多い"));
  w.SceneViewPopupMenuPopup();
  auto* menu = w.findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> actions = menu->actions();
  ASSERT_GE(actions.size(), 6);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("選択(&S)"));
  EXPECT_EQ(menu->defaultAction(), actions[0]);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), QStringLiteral("コピー(&C)"));
  EXPECT_TRUE(actions[3]->isSeparator());
  EXPECT_EQ(actions[4]->text(), QStringLiteral("パターンの一括指定(&P)"));
  EXPECT_FALSE(actions[4]->isEnabled());  // one node without children
  EXPECT_TRUE(actions[5]->isSeparator());

  // Index 0 is the untitled pattern: no item, and the digit 0 is skipped.
  QStringList expected;
  for (int i = 1; i <= 12; ++i) {
    const QString title = QStringLiteral("p%1").arg(i, 2, 10, QLatin1Char('0'));
    expected << (i < 10 ? title + QStringLiteral("(&%1)").arg(i) : title);
  }
  EXPECT_EQ(DynamicCaptions(*menu), expected);
  for (QAction* a : actions.mid(6)) {
    EXPECT_TRUE(a->isCheckable());
    EXPECT_EQ(a->isChecked(), a->text() == QStringLiteral("p05(&5)")) << a->text().toStdString();
  }

  // Opening again rebuilds the items instead of adding more.
  w.SceneViewPopupMenuPopup();
  EXPECT_EQ(DynamicCaptions(*menu).size(), 12);

  // Choosing an item makes its pattern current; the file keeps the choice.
  QAction* p12 = menu->actions().last();
  ASSERT_EQ(p12->text(), QStringLiteral("p12"));
  p12->trigger();
  EXPECT_EQ(ToQString(w.CurrentNode()->patterns.Current()->title), QStringLiteral("p12"));
  EXPECT_TRUE(w.DocumentModified());
}

TEST_F(WindowTest, PopupOverSeveralNodesKeepsThePreviousPopupNode) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  w.SceneViewPopupMenuPopup();
  ASSERT_EQ(ToQString(w.PopupNode()->title), QStringLiteral("スペルA"));
  Click(Item("1面道中"));
  Click(Item("2面道中"), Qt::ControlModifier);
  w.SceneViewPopupMenuPopup();
  auto* menu = w.findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
  EXPECT_TRUE(DynamicCaptions(*menu).isEmpty());
  EXPECT_TRUE(Action("P1")->isEnabled());
  EXPECT_EQ(ToQString(w.PopupNode()->title), QStringLiteral("スペルA"));

  // Copy acts on the popup node: the node's text as the file writes it.
  Action("Copy2")->trigger();
  EXPECT_EQ(dialogs.clipboard, ToQString(w.PopupNode()->WriteSXML(0)));
  EXPECT_TRUE(dialogs.clipboard.contains(QStringLiteral("スペルA")));

  // Select (the default item) selects it through the usual checks.
  Action("Edit2")->trigger();
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("スペルA"));
}

TEST_F(WindowTest, PopupNodeGoneWithARebuildIsNoNode) {
  TMainWnd& w = Make({sample});
  Click(Item("スペルA"));
  w.SceneViewPopupMenuPopup();
  ASSERT_NE(w.PopupNode(), nullptr);
  const QString other = WriteSample(QStringLiteral("other.pat"));
  ASSERT_TRUE(w.OpenDocument(other));
  EXPECT_EQ(w.PopupNode(), nullptr);
  Action("Copy2")->trigger();
  Action("Edit2")->trigger();
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("clipboard")).isEmpty());
  EXPECT_EQ(w.CurrentNode(), &w.Document());
}

TEST_F(WindowTest, SubstringCommandChoosesTheFirstMatchIgnoringLetterCase) {
  TMainWnd& w = Make({sample});
  Click(Item("1面"));
  Click(Item("2面道中"), Qt::ControlModifier);
  dialogs.inputs.push_back(QStringLiteral("ABC"));
  Action("P1")->trigger();
  EXPECT_EQ(dialogs.input_caption, QStringLiteral("パターン名に含まれる文字列を入力してください"));
  EXPECT_EQ(
      dialogs.Texts(QStringLiteral("input")),
      QStringList{QStringLiteral("アルファベットの大文字小文字は区別しません。\n\r"
                                 "一致するものが複数あれば、最も上にあるパターンが選ばれます。")});
  const auto current = [this](const char* title) {
    return ToQString(TSceneTreeView::NodeOf(Item(title))->patterns.Current()->title);
  };
  // Which pattern each node takes is the session's rule
  // (tests/model/test_session.cpp): one chosen, one without a match.
  EXPECT_EQ(current("2面道中"), QStringLiteral("ゆっくりABC"));
  EXPECT_EQ(current("スペルB"), QStringLiteral("取得"));
  EXPECT_TRUE(w.DocumentModified());
  // The selection is shown afresh.
  EXPECT_EQ(Tree()->selectedItems().size(), 2);
  ASSERT_NE(w.Comparison().OldValue(), nullptr);
}

TEST_F(WindowTest, SubstringCommandCancelledChangesNothing) {
  TMainWnd& w = Make({sample});
  Click(Item("1面"));
  dialogs.inputs = {std::nullopt};
  Action("P1")->trigger();
  EXPECT_EQ(ToQString(TSceneTreeView::NodeOf(Item("1面道中"))->patterns.Current()->title),
            QStringLiteral("安全"));
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("1面"));
}

}  // namespace
}  // namespace qvl

// Undo and redo through the keys: every undoable change comes back exactly,
// the modified flag follows the saved state, the usual questions come first,
// text fields keep their own undo.
#include <QAbstractButton>
#include <QAccessible>
#include <QMenu>

#include "EditorFixture.h"
#include "model/qvl_history.h"

namespace qvl {
namespace {

class UndoTest : public PatternEditorTest {
 protected:
  TMainWnd& OpenActive() {
    TMainWnd& w = Open();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    return w;
  }
  std::string Text() const { return DocumentText(window->Document()); }
  // A key on the focused widget, as a player presses it.
  static void Press(int key, Qt::KeyboardModifiers mods) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), mods);
  }
  // Ctrl+Z and Ctrl+Y from the tree, which is no text field.
  void Undo() {
    Tree()->setFocus();
    Press(Qt::Key_Z, Qt::ControlModifier);
  }
  void Redo() {
    Tree()->setFocus();
    Press(Qt::Key_Y, Qt::ControlModifier);
  }

 public:
  // An undoable change as a player makes it: select the node, type what
  // needs typing, press the button or choose the menu item, answer.
  struct change_t {
    const char* node;
    const char* command;  // a button or a menu item
    int answer;           // to its question; -1 for none
    const char* step;     // the step's name in the menu
  };
  void Make(const change_t& c) {
    Select(c.node);
    const QString command = QString::fromLatin1(c.command);
    if (command == QStringLiteral("ApplyButton")) SetNew(7, QStringLiteral("2*3"));
    if (command == QStringLiteral("SceneMemoApplyButton")) {
      Control<QPlainTextEdit>("SceneMemo")->setFocus();
      Press(Qt::Key_D, Qt::NoModifier);
    }
    if (command == QStringLiteral("P1")) dialogs.inputs.push_back(QStringLiteral("稼"));
    if (command.startsWith(QStringLiteral("PatternItem"))) window->SceneViewPopupMenuPopup();
    if (c.answer >= 0) dialogs.confirms.push_back(c.answer == 1);
    if (auto* button = window->findChild<QAbstractButton*>(command)) {
      button->click();
    } else {
      Action(c.command)->trigger();
    }
    dialogs.Clear();
    Tree()->setFocus();
  }
};

const UndoTest::change_t kUpdate{"道中", "ApplyButton", 1, "パターン「安全」の更新"};
const UndoTest::change_t kMemo{"通常", "SceneMemoApplyButton", 1, "「通常」のメモの更新"};
const UndoTest::change_t kChanges[] = {
    kUpdate,
    {"道中", "DeleteButton", 1, "パターン「安全」の削除"},
    {"スペル1", "DeleteButton", 1, "パターン「取得」の削除"},  // the only one
    {"道中", "NewButton", 0, "新しいパターンの追加"},
    kMemo,
    {"ボス", "GroupingCheckBox", -1, "「ボス」のまとめて記述の設定"},
    {"道中", "PatternItem1", -1, "「道中」の現行パターンの選択"},
    {"1面", "P1", -1, "パターンの一括指定"},
};

// Each change made through its button or menu item is one step that the
// menu names; that undo brings back every byte is the history's to show.
TEST_F(UndoTest, EachChangeIsAStepTheMenuNames) {
  for (const change_t& c : kChanges) {
    SCOPED_TRACE(c.step);
    OpenActive();
    Make(c);
    EXPECT_EQ(Action("Undo1")->text(),
              QStringLiteral("元に戻す(&U): ") + QString::fromUtf8(c.step));
    EXPECT_TRUE(dialogs.events.empty());
    window.reset();
  }
}

TEST_F(UndoTest, TheKeysUndoAndRedoAndTheTreeShowsTheStepsNode) {
  TMainWnd& w = OpenActive();
  // Undo and redo lead the edit menu, before a separator and its old items.
  const QList<QAction*> items = Control<QMenu>("Edit1")->actions();
  ASSERT_GE(items.size(), 4);
  EXPECT_EQ(items.mid(0, 4),
            (QList<QAction*>{Action("Undo1"), Action("Redo1"), items[2], Action("Copy1")}));
  EXPECT_TRUE(items[2]->isSeparator());
  const QString caption = w.windowTitle();
  const std::string before = Text();
  Make(kUpdate);
  const std::string after = Text();
  ASSERT_NE(after, before);
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_FALSE(Action("Redo1")->isEnabled());
  Select("1面");  // elsewhere: undo shows the step's node again

  Undo();
  EXPECT_EQ(Text(), before);
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_FALSE(Action("Undo1")->isEnabled());
  EXPECT_EQ(Action("Undo1")->text(), QStringLiteral("元に戻す(&U)"));
  EXPECT_EQ(Action("Redo1")->text(),
            QStringLiteral("やり直し(&R): ") + QString::fromUtf8(kUpdate.step));
  ASSERT_NE(w.CurrentNode(), nullptr);
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QString::fromUtf8(kUpdate.node));
  EXPECT_EQ(Tree()->selectedItems(), QList<QTreeWidgetItem*>{Item(kUpdate.node)});
  // Shown afresh: the old column is the current pattern as it came back.
  EXPECT_EQ(w.Comparison().OldValue()->Total(), w.CurrentNode()->CurrentExplanation().Total());

  Redo();
  EXPECT_EQ(Text(), after);
  EXPECT_TRUE(w.DocumentModified());
  Undo();
  Tree()->setFocus();
  Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Text(), after);
  // The caption carries no mark of changes: it stays the file's.
  EXPECT_EQ(w.windowTitle(), caption);
  EXPECT_TRUE(dialogs.events.empty());
}

// The editor's document, with the way's patterns titled "(A)" (current) and
// "B": "(A)" sorts before "*untitled*", "B" after it.
void BuildTitlesAroundUntitled(root_t& root) {
  BuildEditorDocument(root);
  auto& way = *static_cast<scene_t*>(root.Child(0)->AsGroup()->Child(0));
  way.patterns.Clear();
  AddScenePattern(way, "(A)", true).bonus_item = 5;
  AddScenePattern(way, "B", false).bonus_item = 6;
}

TEST_F(UndoTest, TwoUndosAfterANewAndAnotherUpdateGiveBackThePlayersPatterns) {
  document = WriteSample(QStringLiteral("titles.pat"), BuildTitlesAroundUntitled);
  OpenActive();
  const std::string before = Text();
  Select("道中");
  dialogs.confirms.push_back(false);  // the new pattern starts empty
  QTest::mouseClick(Button("NewButton"), Qt::LeftButton);
  ASSERT_EQ(NewTitles()->currentText(), QStringLiteral("*untitled*"));
  // B, the next title of the box, from the keyboard.
  NewTitles()->setFocus();
  QTest::keyClick(NewTitles(), Qt::Key_Down);
  ASSERT_EQ(NewTitles()->currentText(), QStringLiteral("B"));
  TypeInto(7, QStringLiteral("9"));
  Commit();
  dialogs.confirms.push_back(true);                    // update B
  dialogs.three_way.push_back(TDialogs::TAnswer::No);  // not to become current
  QTest::mouseClick(Button("ApplyButton"), Qt::LeftButton);
  ASSERT_FALSE(window->PatternEdited());
  const std::string after = Text();

  Undo();
  Undo();
  EXPECT_EQ(Text(), before);
  Redo();
  Redo();
  EXPECT_EQ(Text(), after);
  EXPECT_EQ(dialogs.events.size(), 3u) << "no question but the three answered";
}

TEST_F(UndoTest, TheChartHearsOfALoadBeforeTheRootIsSelected) {
  TMainWnd& w = OpenActive();
  std::vector<session_op_t> heard;
  const int id = w.Session().AddListener(
      [&heard](const session_change_t& c) { heard.push_back(c.Op()); }, listener_rank_t::Chart);
  dialogs.open_names.push_back(document);
  Tree()->setFocus();
  Press(Qt::Key_O, Qt::ControlModifier);
  w.Session().RemoveListener(id);
  EXPECT_EQ(heard, (std::vector<session_op_t>{session_op_t::Load, session_op_t::Select}));
}

TEST_F(UndoTest, TheModifiedFlagFollowsTheSavedStateAndSoDoesTheCloseQuestion) {
  TMainWnd& w = OpenActive();
  Make(kMemo);
  dialogs.confirms.push_back(true);  // overwrite?
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(w.DocumentModified());
  Make(kUpdate);
  EXPECT_TRUE(w.DocumentModified());

  Undo();
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_TRUE(Action("Undo1")->isEnabled());
  // Back at the saved state nothing is asked on closing.
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(dialogs.events.empty());
  // Opening a file starts a new history.
  ASSERT_TRUE(w.OpenDocument(document));
  Tree()->setFocus();
  EXPECT_FALSE(Action("Undo1")->isEnabled());
  EXPECT_FALSE(Action("Redo1")->isEnabled());
}

TEST_F(UndoTest, UnappliedEditsAreAskedAboutAndNoCancelsTheUndo) {
  TMainWnd& w = OpenActive();
  Make(kUpdate);
  const std::string stored = Text();
  Select("スペル1");
  TypeInto(4, QStringLiteral("77"));
  Commit();
  ASSERT_TRUE(w.PatternEdited());
  dialogs.Clear();

  dialogs.confirms.push_back(false);
  Undo();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("パターン「取得」の変更を破棄します。よろしいですか？")});
  EXPECT_EQ(Text(), stored);
  EXPECT_TRUE(w.PatternEdited());
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("スペル1"));

  dialogs.confirms.push_back(true);
  Undo();
  EXPECT_NE(Text(), stored);
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("道中"));
}

TEST_F(UndoTest, CtrlZInACellEditorUndoesOnlyItsText) {
  TMainWnd& w = OpenActive();
  Make(kUpdate);  // a step to undo
  const std::string stored = Text();
  const int steps = w.History().Index();
  In()->setFocus();
  TypeInto(2, QStringLiteral("123"));
  QLineEdit* editor = In()->Editor();
  ASSERT_EQ(QApplication::focusWidget(), editor);
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(editor->text(), QStringLiteral("123"));
  Press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), QStringLiteral("123"));
  EXPECT_EQ(Text(), stored);
  EXPECT_EQ(w.History().Index(), steps);
}

TEST_F(UndoTest, AFieldWithNothingOfItsOwnToUndoLeavesTheKeysToTheDocument) {
  OpenActive();
  const std::string before = Text();
  Make(kUpdate);
  const std::string after = Text();
  // The cell editor opens by itself after every command: the keys must still
  // reach the document from there, and from the other fields too.
  for (const char* name : {"InputKwGrid", "NewMemo", "NewTitleLabeledEdit", "SceneMemo"}) {
    SCOPED_TRACE(name);
    const auto focus = [&] {
      if (QString::fromLatin1(name) == QStringLiteral("InputKwGrid")) {
        In()->setFocus();
        In()->FocusCell(2, 1);
      } else {
        Control<QWidget>(name)->setFocus();
      }
    };
    focus();
    EXPECT_EQ(Action("Undo1")->text(),
              QStringLiteral("元に戻す(&U): ") + QString::fromUtf8(kUpdate.step));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), before);
    focus();
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), after);
    // Ctrl+Y, which the fields leave to the window anyway, the same.
    focus();
    Press(Qt::Key_Z, Qt::ControlModifier);
    focus();
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(), after);
  }
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(UndoTest, InAFieldWithTypingTheMenuNamesWhatItsItemsUndoAndDoesThat) {
  TMainWnd& w = OpenActive();
  Make(kUpdate);  // a step of the document's, which the items must not name now
  const std::string stored = Text();
  const int steps = w.History().Index();
  auto* menu = Control<QMenu>("Edit1");
  const struct {
    const char* field;
    const char* name;
  } cases[] = {{"InputKwGrid", "セル"}, {"NewTitleLabeledEdit", "タイトル"}, {"NewMemo", "メモ"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    if (QString::fromLatin1(c.field) == QStringLiteral("InputKwGrid")) {
      ClickCell(2, 2);
    } else {
      QTest::mouseClick(Control(c.field), Qt::LeftButton);
    }
    QWidget* field = QApplication::focusWidget();
    Press(Qt::Key_End, Qt::NoModifier);
    Press(Qt::Key_5, Qt::NoModifier);
    const auto text = [field] {
      if (auto* line = qobject_cast<QLineEdit*>(field)) return line->text();
      return qobject_cast<QPlainTextEdit*>(field)->toPlainText();
    };
    const QString typed = text();
    const QString undo =
        QStringLiteral("元に戻す(&U): ") + QString::fromUtf8(c.name) + QStringLiteral("への入力");
    Press(Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
    EXPECT_EQ(Action("Undo1")->text(), undo);
    // What assistive technology reads is what the item shows.
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(menu);
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->child(0)->text(QAccessible::Name), QString(undo).remove(QLatin1Char('&')));
    QTest::keyClick(menu, Qt::Key_U);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_NE(text(), typed);
    EXPECT_EQ(Text(), stored);
    EXPECT_EQ(w.History().Index(), steps);
    EXPECT_EQ(Action("Redo1")->text(), QStringLiteral("やり直し(&R): ") +
                                           QString::fromUtf8(c.name) + QStringLiteral("への入力"));
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
  }
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(UndoTest, AMemoUpdatedWithItsOwnTextIsNoStepAndNoChange) {
  TMainWnd& w = OpenActive();
  Select("通常");
  QTest::mouseClick(Control("SceneMemo"), Qt::LeftButton);
  Press(Qt::Key_D, Qt::NoModifier);
  Press(Qt::Key_Backspace, Qt::NoModifier);
  ASSERT_TRUE(w.MemoModified());
  dialogs.confirms.push_back(true);
  QTest::mouseClick(Button("SceneMemoApplyButton"), Qt::LeftButton);
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_FALSE(w.MemoModified());
  EXPECT_EQ(w.History().Count(), 0);
  Undo();
  EXPECT_FALSE(Action("Undo1")->isEnabled());
}

}  // namespace
}  // namespace qvl

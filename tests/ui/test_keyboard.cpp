// The window as a player reaches it: keys to the focused control, clicks on
// viewports, the window at its minimum size and with the fonts at hand.
#include <QAbstractEventDispatcher>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolTip>

#include <functional>

#include "EditorFixture.h"
#include "ui/Dialogs.h"

namespace qvl {
namespace {

const QString kGroupingRefusal =
    QStringLiteral("親ノードの方でまとめてるのを解除してから選択してくださいな。");

// Presses key until the focus is in the control named stop (or max presses);
// the controls passed, in order.
QStringList Walk(Qt::Key key, Qt::KeyboardModifiers mods, const QString& stop, int max = 40) {
  QStringList passed;
  for (int i = 0; i < max; ++i) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
    passed << FocusName();
    if (passed.last() == stop) break;
  }
  return passed;
}

using KeyboardTest = PatternEditorTest;

TEST_F(KeyboardTest, TabAndShiftTabWalkTheWholeWindowWithoutTypingIntoTheMemos) {
  TMainWnd& w = Open();
  Select("道中");
  Activate();
  Tree()->setFocus();
  const QStringList forward = Walk(Qt::Key_Tab, {}, QStringLiteral("SceneView"));
  for (const char* name : {"SceneMemo", "SceneMemoApplyButton", "InputKwGrid", "NewMemo",
                           "NewTitleLabeledEdit", "CalcButton", "ApplyButton"}) {
    EXPECT_TRUE(forward.contains(QString::fromLatin1(name)))
        << name << ": " << forward.join(' ').toStdString();
  }
  EXPECT_EQ(forward.last(), QStringLiteral("SceneView")) << forward.join(' ').toStdString();

  Button("CalcButton")->setFocus();
  const QStringList back = Walk(Qt::Key_Backtab, Qt::ShiftModifier, QStringLiteral("SceneView"));
  for (const char* name : {"NewMemo", "InputKwGrid", "SceneMemo"}) {
    EXPECT_TRUE(back.contains(QString::fromLatin1(name)))
        << name << ": " << back.join(' ').toStdString();
  }
  EXPECT_EQ(back.last(), QStringLiteral("SceneView")) << back.join(' ').toStdString();
  EXPECT_FALSE(Control<QPlainTextEdit>("NewMemo")->toPlainText().contains(QLatin1Char('\t')));
  EXPECT_FALSE(Control<QPlainTextEdit>("SceneMemo")->toPlainText().contains(QLatin1Char('\t')));
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_FALSE(w.MemoModified());
}

TEST_F(KeyboardTest, TabIntoTheInputGridLandsOnTheNewColumnAndDownStaysInIt) {
  const struct {
    const char* from;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
  } cases[] = {{"OutputKwGrid", Qt::Key_Tab, {}},
               {"NewTitleComboBox", Qt::Key_Backtab, Qt::ShiftModifier}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    window.reset();
    Open();
    Select("道中");
    Activate();
    Control(c.from)->setFocus();
    Key(c.key, c.mods);
    ASSERT_EQ(FocusName(), QStringLiteral("InputKwGrid"));
    // The first editable cell of the new column is current, its editor open.
    EXPECT_EQ(In()->CurrentCol(), 2);
    EXPECT_EQ(In()->CurrentRow(), 1);
    EXPECT_TRUE(In()->EditorOpen());
    Key(Qt::Key_Down);
    EXPECT_EQ(In()->CurrentCol(), 2);
    EXPECT_EQ(In()->CurrentRow(), 2);
  }
}

struct open_cell_case_t {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  std::deque<bool> answers;
  // What the command saw, checked once it ran.
  std::function<bool(TMainWnd&)> saw_typed_text;
};

TEST_F(KeyboardTest, EveryCommandTakesTheTextStillOpenInACell) {
  const QString discard = QStringLiteral("パターン「安全」の変更を破棄します。よろしいですか？");
  const open_cell_case_t cases[] = {
      {"Alt+C calculates it",
       Qt::Key_C,
       Qt::AltModifier,
       {},
       [this](TMainWnd&) { return NewText(3) == QStringLiteral("1500"); }},
      {"Alt+A stores it",
       Qt::Key_A,
       Qt::AltModifier,
       {true},
       [this](TMainWnd&) {
         const auto* p = dynamic_cast<const pattern_t*>(Node("道中")->patterns.Current());
         return p != nullptr && p->cherry_max == 1500;
       }},
      {"Ctrl+O asks about it",
       Qt::Key_O,
       Qt::ControlModifier,
       {false},
       [this, discard](TMainWnd&) {
         return dialogs.Texts(QStringLiteral("confirm")) == QStringList{discard};
       }},
      {"Alt+N asks about it",
       Qt::Key_N,
       Qt::AltModifier,
       {false},
       [this, discard](TMainWnd&) {
         return dialogs.Texts(QStringLiteral("confirm")) == QStringList{discard};
       }},
      {"Ctrl+S keeps it as an edit",
       Qt::Key_S,
       Qt::ControlModifier,
       {true},
       [](TMainWnd& w) { return w.PatternEdited(); }},
  };
  for (const open_cell_case_t& c : cases) {
    SCOPED_TRACE(c.name);
    window.reset();
    TMainWnd& w = Open();
    Select("道中");
    Activate();
    In()->setFocus();
    TypeInto(2, QStringLiteral("1000+500"));
    ASSERT_TRUE(In()->EditorOpen());
    dialogs.confirms = c.answers;
    Key(c.key, c.mods);
    EXPECT_TRUE(WaitUntil([&] { return c.saw_typed_text(w); }));
    EXPECT_TRUE(dialogs.confirms.empty());
    dialogs.confirms.clear();
    dialogs.Clear();
  }
}

TEST_F(KeyboardTest, AMenuClosedWithoutACommandGivesTheFocusBackWithTheTyping) {
  for (const Qt::Key menu : {Qt::Key_E, Qt::Key_V, Qt::Key_F}) {
    SCOPED_TRACE(QKeySequence(menu).toString().toStdString());
    window.reset();
    TMainWnd& w = Open();
    Select("道中");
    Activate();
    for (const char* field : {"NewTitleLabeledEdit", "InputKwGrid"}) {
      SCOPED_TRACE(field);
      if (QString::fromLatin1(field) == QStringLiteral("InputKwGrid")) {
        ClickCell(2, 2);
      } else {
        QTest::mouseClick(Control(field), Qt::LeftButton);
      }
      QWidget* typing = QApplication::focusWidget();
      auto* line = qobject_cast<QLineEdit*>(typing);
      ASSERT_NE(line, nullptr);
      line->selectAll();
      Key(Qt::Key_1);
      Key(Qt::Key_2);
      Key(menu, Qt::AltModifier);
      ASSERT_NE(QApplication::activePopupWidget(), nullptr);
      Key(Qt::Key_Escape);
      Key(Qt::Key_Escape);
      EXPECT_EQ(QApplication::focusWidget(), typing);
      Key(Qt::Key_3);
      EXPECT_EQ(line->text(), QStringLiteral("123"));
    }
    // The cell's typing counts: Enter commits it and calculates.
    Key(Qt::Key_Return);
    EXPECT_EQ(NewText(2), QStringLiteral("123"));
    EXPECT_EQ(NewText(3), QStringLiteral("123"));
    EXPECT_TRUE(w.PatternEdited());
    dialogs.Clear();
  }
  // From the menu bar on to another control, the grid is left as by a click.
  ClickCell(2, 6);
  ASSERT_FALSE(Panel(0).isEmpty());
  Key(Qt::Key_4);
  Key(Qt::Key_E, Qt::AltModifier);
  Key(Qt::Key_Escape);
  QTest::mouseClick(Control("NewMemo"), Qt::LeftButton);
  EXPECT_EQ(Panel(0), QString());
  EXPECT_FALSE(In()->EditorOpen());
  EXPECT_EQ(NewText(6), QStringLiteral("4"));
}

struct gesture_case_t {
  const char* name;
  std::function<void()> before;  // with the grouping still off
  std::function<void()> gesture;
};

TEST_F(WindowTest, EveryGestureThatWouldSelectInsideAGroupingGroupIsRefusedWhole) {
  const gesture_case_t cases[] = {
      {"a click on a node of a multiple selection",
       [this] {
         Click(Item("1面道中"));
         Click(Item("2面道中"), Qt::ControlModifier);
       },
       [this] {
         const QRect r = Tree()->visualItemRect(Item("1面道中"));
         QTest::mousePress(Tree()->viewport(), Qt::LeftButton, {}, r.center());
         QTest::mouseRelease(Tree()->viewport(), Qt::LeftButton, {}, r.center());
       }},
      {"a Shift+click range", [this] { Click(Item("Hard 全体")); },
       [this] { Click(Item("2面道中"), Qt::ShiftModifier); }},
      {"select all", [this] { Click(Item("2面")); }, [] { Key(Qt::Key_A, Qt::ControlModifier); }},
      {"Ctrl+Space on the focused node",
       [this] {
         Click(Item("1面"));
         Key(Qt::Key_Down, Qt::ControlModifier);
       },
       [] { Key(Qt::Key_Space, Qt::ControlModifier); }},
  };
  for (const gesture_case_t& c : cases) {
    SCOPED_TRACE(c.name);
    window.reset();
    dialogs.Clear();
    TMainWnd& w = Make({sample});
    Activate();
    Item("1面")->setExpanded(true);
    Tree()->setFocus();
    c.before();
    const QList<QTreeWidgetItem*> before = Tree()->selectedItems();
    const scene_base_t* shown = w.CurrentNode();
    dynamic_cast<group_t&>(*w.Document().Child(0)).grouping = true;
    c.gesture();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("information")), QStringList{kGroupingRefusal});
    EXPECT_EQ(Tree()->selectedItems(), before);
    EXPECT_EQ(w.CurrentNode(), shown);
  }
}

TEST_F(KeyboardTest, SelectOnTheNodeSelectedAlreadyAsksNothingAndKeepsTheEdits) {
  TMainWnd& w = Open();
  Select("道中");
  Activate();
  In()->setFocus();
  TypeInto(7, QStringLiteral("9"));
  Commit();
  ASSERT_TRUE(w.PatternEdited());
  // A right click, and the context menu event the desktop makes of it.
  Click(Item("道中"), {}, Qt::RightButton);
  const QPoint at = Tree()->visualItemRect(Item("道中")).center();
  QContextMenuEvent context(QContextMenuEvent::Mouse, at, Tree()->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(Tree()->viewport(), &context);
  auto* menu = w.findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
  ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
  QTest::keyClick(menu, Qt::Key_S);  // 選択(&S)
  EXPECT_TRUE(dialogs.events.empty());
  EXPECT_TRUE(w.PatternEdited());
  EXPECT_EQ(NewText(7), QStringLiteral("9"));
}

// Keyboards without a menu key open the popup menu with Shift+F10.
TEST_F(KeyboardTest, ShiftF10OpensTheTreesPopupMenu) {
  TMainWnd& w = Open();
  Select("道中");
  Activate();
  auto* menu = w.findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
  ASSERT_NE(menu, nullptr);
  Tree()->setFocus();
  QTest::keyClick(Tree(), Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
  QTest::keyClick(menu, Qt::Key_1);  // 稼ぎ(&1)
  EXPECT_EQ(ToQString(Node("道中")->CurrentPattern().title), QStringLiteral("稼ぎ"));
}

TEST_F(KeyboardTest, AHintChangedUnderTheRestingMouseStaysAsLongAsEveryHint) {
  Open();
  Select("道中");
  QWidget* view = Out()->viewport();
  const QPoint first = Out()->CellRect(2, 1).center();
  QTest::mouseMove(view, first);
  QHelpEvent help(QEvent::ToolTip, first, view->mapToGlobal(first));
  QCoreApplication::sendEvent(view, &help);
  ASSERT_TRUE(QToolTip::isVisible());
  QTest::mouseMove(view, Out()->CellRect(2, 2).center());
  ASSERT_TRUE(QToolTip::isVisible());
  ASSERT_EQ(QToolTip::text(), Out()->toolTip());
  QWidget* tip = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->inherits("QTipLabel") && top->isVisible()) tip = top;
  }
  ASSERT_NE(tip, nullptr);
  QList<int> intervals;
  for (const auto& t : QAbstractEventDispatcher::instance()->registeredTimers(tip)) {
    intervals << t.interval;
  }
  EXPECT_TRUE(intervals.contains(kHintDisplayMs)) << intervals.size();
}

TEST_F(KeyboardTest, AtTheMinimumSizeEveryControlIsWhollyVisible) {
  TMainWnd& w = Open();
  Select("スペル1");
  w.resize(w.minimumSize());
  QCoreApplication::processEvents();
  ASSERT_LE(w.width(), 760 - 16 + In()->ColWidth(0) - 155);
  ASSERT_LE(w.height(), 870 - 39);
  const QRect bar(w.statusBar()->mapTo(&w, QPoint(0, 0)), w.statusBar()->size());
  for (const char* name :
       {"SceneView", "SceneMemo", "SceneMemoApplyButton", "OutputKwGrid", "InputKwGrid",
        "OldTitleComboBox", "NewTitleComboBox", "OldGetSpellCheckBox", "NewGetSpellCheckBox",
        "MemoLabel", "OldMemo", "NewMemo", "NewTitleLabeledEdit", "CalcButton", "NewButton",
        "ApplyButton", "DeleteButton"}) {
    QWidget* c = Control(name);
    EXPECT_TRUE(c->isVisible()) << name;
    EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << name;
    const QRect in_window(c->mapTo(&w, QPoint(0, 0)), c->size());
    EXPECT_FALSE(in_window.intersects(bar)) << name;
  }
  // Below the grid's last row the box's button face shows, no white strip.
  QWidget* view = In()->viewport();
  const QImage image = view->grab().toImage();
  const int below = In()->CellRect(0, 10).bottom() + 5;
  ASSERT_LT(below, image.height());
  EXPECT_EQ(QColor(image.pixel(view->width() / 2, below)), w.palette().color(QPalette::Button));
}

TEST_F(KeyboardTest, NoLabelHeaderOrHintIsCutWithTheFontInUse) {
  TMainWnd& w = Open();
  const QFontMetrics labels(UiFont());
  const QFontMetrics cells(GridFont());
  const auto fits = [](const QFontMetrics& fm, const QString& text, int width) {
    return fm.horizontalAdvance(text) + 2 * 4 < width;
  };
  for (const char* node : {"Easy 全体", "1面", "道中", "スペル1", "通常", "弾消し"}) {
    Select(node);
    for (int r = 1; r <= 10; ++r) {
      EXPECT_TRUE(fits(labels, In()->CellText(0, r), In()->ColWidth(0))) << node << " row " << r;
    }
  }
  for (int r = 1; r <= 13; ++r) {
    EXPECT_TRUE(fits(labels, Out()->CellText(1, r), Out()->ColWidth(1))) << "row " << r;
  }
  for (int c = 2; c <= 4; ++c) {
    EXPECT_TRUE(fits(cells, Out()->CellText(c, 0), Out()->ColWidth(c))) << "header " << c;
  }
  // The scb hint of a spell card in status panel 0, at the starting width.
  Select("スペル1");
  QTest::mouseClick(In()->viewport(), Qt::LeftButton, {}, In()->CellRect(1, 8).center());
  auto* panel = Control<QLabel>("StatusPanel0");
  ASSERT_TRUE(panel->text().startsWith(QStringLiteral("「scb(")));
  // The window starts as wide as the hint needs, as far as the screen allows.
  const int needed = w.width() - panel->contentsRect().width() +
                     panel->fontMetrics().horizontalAdvance(panel->text());
  const int screen = w.screen()->availableGeometry().width() - 16;
  EXPECT_GE(w.width(), std::min(needed, screen)) << needed << " " << screen;
}

TEST(QtDialogsTest, MessageBoxButtonsAreJapanese) {
  const auto box =
      TQtDialogs::MessageBox(nullptr, QMessageBox::Question, QStringLiteral("?"),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel |
                                 QMessageBox::Ok | QMessageBox::Retry | QMessageBox::Abort);
  const struct {
    QMessageBox::StandardButton button;
    const char* text;
  } cases[] = {{QMessageBox::Yes, "はい"},          {QMessageBox::No, "いいえ"},
               {QMessageBox::Cancel, "キャンセル"}, {QMessageBox::Ok, "OK"},
               {QMessageBox::Retry, "再試行"},      {QMessageBox::Abort, "中止"}};
  for (const auto& c : cases) {
    QString text = box->button(c.button)->text();
    // The access key: "はい(&Y)" reads はい.
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)$"))).remove(QLatin1Char('&'));
    EXPECT_EQ(text, QString::fromUtf8(c.text));
  }
}

TEST(QtDialogsTest, AMissingTranslationIsNoHindrance) {
  QTemporaryDir empty;
  EXPECT_EQ(LoadQtTranslation(QStringLiteral("ja"), empty.path()), nullptr);
}

}  // namespace
}  // namespace qvl

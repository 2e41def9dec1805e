// The pattern editor, the comparison table and the status bar of the real
// window: rows per kind of node, read-only cells, sums, differences and their
// colours, hints, the copy key and the status panels.
#include <QAccessible>
#include <QStatusBar>

#include "EditorFixture.h"
#include "calc/CalcCustom.h"
#include "model/qvl_status.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

const QColor kWhite(Qt::white);
const QColor kLightBlue(221, 221, 255);
const QColor kLightRed(255, 221, 221);

// Which spell boxes and grouping box a node of each kind shows. The rows'
// labels and read-only rules are the editor model's; the grid shows them.
struct rows_case_t {
  const char* title;
  bool spell_boxes;
  bool grouping_box;
};

// A group without grouping (the boss) is a sum: nothing can be typed.
const rows_case_t kRowsCases[] = {
    {"道中", false, false},   {"通常", false, false}, {"弾消し", false, false},
    {"スペル1", true, false}, {"ボス", false, true},
};

TEST_F(PatternEditorTest, RowsAndReadOnlyCellsFollowTheKindOfNode) {
  TMainWnd& w = Open();
  for (const rows_case_t& c : kRowsCases) {
    SCOPED_TRACE(c.title);
    Select(c.title);
    const scene_base_t* node = Node(c.title);
    const editor_node_t kind = EditorNodeOf(node);
    for (int r = 1; r <= 10; ++r) {
      EXPECT_EQ(In()->CellText(0, r), ToQString(EditorRowLabel(kind, r))) << "row " << r;
      EXPECT_EQ(In()->Model().IsReadOnly(2, r), !node->EditsOwnPatterns() || IsReadOnlyRow(kind, r))
          << "row " << r;
      EXPECT_TRUE(In()->Model().IsReadOnly(1, r)) << "row " << r;
      EXPECT_TRUE(In()->Model().IsReadOnly(3, r)) << "row " << r;
    }
    EXPECT_EQ(In()->CellText(3, 0), QStringLiteral("差"));
    EXPECT_EQ(NewGetSpell()->isVisibleTo(&w), c.spell_boxes);
    EXPECT_EQ(Control("OldGetSpellCheckBox")->isVisibleTo(&w), c.spell_boxes);
    EXPECT_EQ(Grouping()->isVisibleTo(&w), c.grouping_box);
  }
  // The boss, a sum, still shows its one row that only groups have.
  EXPECT_EQ(In()->CellText(0, 5), QStringLiteral("うち取得したスペルでの分"));
}

TEST_F(PatternEditorTest, BothGridsShowEveryColumnWhole) {
  Open();
  // The right-aligned differences end at the last column's right edge.
  for (TKwGrid* grid : {In(), Out()}) {
    SCOPED_TRACE(grid->objectName().toStdString());
    EXPECT_GE(grid->viewport()->width(), grid->Model().ColPos(grid->ColCount()));
  }
}

TEST_F(PatternEditorTest, SceneShowsItsCurrentPatternInBothColumns) {
  TMainWnd& w = Open();
  Select("スペル1");
  const std::array<const char*, 10> expected{"0", "0", "0",      "10",   "0",
                                             "0", "1", "400000", "5000", "0"};
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(OldText(r), QString::fromLatin1(expected[static_cast<std::size_t>(r - 1)]));
    EXPECT_EQ(NewText(r), OldText(r));
    EXPECT_EQ(DiffText(r), QStringLiteral("0"));
    EXPECT_EQ(ColorAt(*In(), 3, r), kWhite);
  }
  EXPECT_TRUE(NewGetSpell()->isChecked());
  EXPECT_TRUE(Control<QCheckBox>("OldGetSpellCheckBox")->isChecked());
  EXPECT_EQ(OldTitles()->currentText(), QStringLiteral("取得"));
  EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("取得"));
  EXPECT_FALSE(OldTitles()->isEnabled());
  EXPECT_EQ(Control<QLineEdit>("NewTitleLabeledEdit")->text(), QStringLiteral("取得"));
  for (const char* name : {"CalcButton", "NewButton", "ApplyButton", "DeleteButton"}) {
    EXPECT_TRUE(Button(name)->isEnabled()) << name;
  }
  // Filling the editor is no edit.
  EXPECT_FALSE(w.PatternEdited());

  // The way's memo and its two titles, sorted; the current one is selected.
  Select("道中");
  EXPECT_EQ(Control<QPlainTextEdit>("OldMemo")->toPlainText(), QStringLiteral("安全第一"));
  EXPECT_EQ(Control<QPlainTextEdit>("NewMemo")->toPlainText(), QStringLiteral("安全第一"));
  ASSERT_EQ(NewTitles()->count(), 2);
  EXPECT_EQ(NewTitles()->itemText(0), QStringLiteral("安全"));
  EXPECT_EQ(NewTitles()->itemText(1), QStringLiteral("稼ぎ"));
  EXPECT_EQ(NewTitles()->currentIndex(), 0);
  EXPECT_EQ(w.Editor().AcceptedNewTitleIndex(), 0);
  EXPECT_FALSE(NewGetSpell()->isChecked());
}

TEST_F(PatternEditorTest, ForcedZeroRowsTakeNoTypingAndStoreZero) {
  TMainWnd& w = Open();
  Select("通常");
  EXPECT_TRUE(In()->FocusCell(2, 6));
  EXPECT_FALSE(In()->EditorOpen());
  // An edit that reaches such a row anyway stores 0.
  TCellValue v = QStringLiteral("123");
  w.Editor().InputKwGridCellEdit(2, 6, true, v);
  EXPECT_TRUE(std::holds_alternative<std::int64_t>(v));
  EXPECT_EQ(std::get<std::int64_t>(v), 0);
  EXPECT_TRUE(w.PatternEdited());
  // Other rows keep what was typed.
  TCellValue typed = QStringLiteral("1+1");
  w.Editor().InputKwGridCellEdit(2, 7, true, typed);
  EXPECT_EQ(std::get<QString>(typed), QStringLiteral("1+1"));
}

TEST_F(PatternEditorTest, TypingMarksThePatternEditedAndFillingDoesNot) {
  TMainWnd& w = Open();
  Select("道中");
  TypeInto(7, QStringLiteral("9"));
  EXPECT_FALSE(w.PatternEdited());  // not committed yet
  Commit();
  EXPECT_TRUE(w.PatternEdited());
  EXPECT_EQ(NewText(7), QStringLiteral("9"));

  // A committed edit that changed nothing is no edit.
  dialogs.confirms.push_back(true);  // discard the edit
  Select("通常");
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")),
            QStringList{QStringLiteral("パターン「安全」の変更を破棄します。よろしいですか？")});
  EXPECT_FALSE(w.PatternEdited());
  In()->FocusCell(2, 1);
  Commit();
  EXPECT_FALSE(w.PatternEdited());

  // The memo and the title of the new pattern are edits too.
  for (int i = 0; i < 2; ++i) {
    Select("道中");
    ASSERT_FALSE(w.PatternEdited());
    if (i == 0) {
      Control<QPlainTextEdit>("NewMemo")->setPlainText(QStringLiteral("x"));
    } else {
      Control<QLineEdit>("NewTitleLabeledEdit")->setText(QStringLiteral("x"));
    }
    EXPECT_TRUE(w.PatternEdited()) << i;
    dialogs.confirms.push_back(true);
    Select("通常");
  }
  Select("スペル1");
  NewGetSpell()->click();
  EXPECT_TRUE(w.PatternEdited());
  dialogs.confirms.push_back(true);
  Select("通常");
}

TEST_F(PatternEditorTest, RootShowsTheWholeDocumentInTheOldColumnOnly) {
  TMainWnd& w = Open();
  ASSERT_EQ(w.CurrentNode(), &w.Document());
  const editor_column_t totals = PatternColumn(w.Document().OwnTotals());
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(OldText(r), QString::number(totals[static_cast<std::size_t>(r - 1)])) << r;
    EXPECT_EQ(NewText(r), QString()) << r;
    EXPECT_TRUE(In()->Model().IsReadOnly(2, r)) << r;
  }
  EXPECT_EQ(OldText(7), QStringLiteral("13"));
  EXPECT_EQ(OldText(10), QStringLiteral("3"));
  for (const char* name : {"CalcButton", "NewButton", "ApplyButton", "DeleteButton"}) {
    EXPECT_FALSE(Button(name)->isEnabled()) << name;
  }
  EXPECT_FALSE(NewTitles()->isEnabled());
  EXPECT_FALSE(Control("NewMemo")->isEnabled());
  EXPECT_TRUE(Grouping()->isVisibleTo(&w));
  EXPECT_TRUE(Grouping()->isEnabled());
  EXPECT_TRUE(Control("SceneMemoApplyButton")->isEnabled());
  // The comparison table: old column only.
  ASSERT_NE(w.Comparison().OldValue(), nullptr);
  EXPECT_EQ(w.Comparison().NewValue(), nullptr);
  EXPECT_EQ(Out()->CellText(2, 13), QString::number(w.Comparison().OldValue()->Total().Value()));
  EXPECT_EQ(Out()->CellText(3, 13), QString());
  EXPECT_EQ(Out()->CellText(4, 13), QString());
}

TEST_F(PatternEditorTest, MultipleSelectionSumsEachNodeOnce) {
  TMainWnd& w = Open();
  Select("1面");
  const editor_column_t stage = PatternColumn(Node("1面")->OwnTotals());
  const score_t stage_total = Node("1面")->CurrentValue().Total().Value();
  Click(Item("道中"), Qt::ControlModifier);
  EXPECT_EQ(w.CurrentNode(), nullptr);
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(OldText(r), QString::number(stage[static_cast<std::size_t>(r - 1)])) << r;
  }
  EXPECT_EQ(w.Comparison().OldValue()->Total(), stage_total);
  // A second stage adds its own.
  Click(Item("2面"), Qt::ControlModifier);
  EXPECT_EQ(OldText(7), QString::number(stage[6] + 4));
  EXPECT_EQ(In()->CellText(0, 5), QStringLiteral("うち取得したスペルでの分"));
  EXPECT_FALSE(Button("CalcButton")->isEnabled());
  EXPECT_FALSE(Control("SceneMemoApplyButton")->isEnabled());
  EXPECT_FALSE(Grouping()->isVisibleTo(&w));
  // Panels 1 to 3 are emptied; 4 and 5 keep the last single node's texts.
  EXPECT_EQ(Panel(1), QString());
  EXPECT_EQ(Panel(3), QString());
  EXPECT_EQ(Panel(5), QStringLiteral("C+: 1000"));
}

TEST_F(PatternEditorTest, EnteringACellWritesItsHintIntoPanelZero) {
  Open();
  Select("スペル1");
  const QString scb = QStringLiteral(
      "「scb(撃破時の残り時間)」と入力。初期SCB: 1000000; 制限時間: 30秒; "
      "ボーナス減少レート: 20000/s");
  ASSERT_TRUE(In()->FocusCell(1, 8));
  EXPECT_EQ(Panel(0), scb);
  ASSERT_TRUE(In()->FocusCell(1, 7));
  EXPECT_EQ(Panel(0), QString());
  ASSERT_TRUE(In()->FocusCell(2, 8));
  EXPECT_EQ(Panel(0), scb);
  ASSERT_TRUE(In()->FocusCell(2, 6));
  EXPECT_EQ(Panel(0), QStringLiteral("回収可能な得点アイテム数: 0"));

  Select("道中");
  ASSERT_TRUE(In()->FocusCell(1, 6));
  EXPECT_EQ(Panel(0), QStringLiteral("回収可能な得点アイテム数: 120"));
  // Row 8 of a scene that is no spell card has no hint.
  ASSERT_TRUE(In()->FocusCell(1, 8));
  EXPECT_EQ(Panel(0), QString());

  // A group counts the collectable points of its scenes, in the old column
  // only while it is a sum.
  Select("1面");
  ASSERT_TRUE(In()->FocusCell(1, 6));
  EXPECT_EQ(Panel(0), QStringLiteral("回収可能な得点アイテム数: 120"));
  ASSERT_TRUE(In()->FocusCell(2, 7));
  ASSERT_TRUE(In()->FocusCell(2, 6));
  EXPECT_EQ(Panel(0), QString());
}

TEST_F(PatternEditorTest, LeavingTheInputGridEmptiesPanelZero) {
  Open();
  Activate();
  Select("スペル1");
  In()->setFocus();
  ASSERT_TRUE(In()->FocusCell(1, 8));
  ASSERT_FALSE(Panel(0).isEmpty());
  // Shift+Tab from the grid leaves it for the control before it.
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_FALSE(In()->isAncestorOf(QApplication::focusWidget()));
  ASSERT_NE(QApplication::focusWidget(), In());
  EXPECT_EQ(Panel(0), QString());
}

struct difference_case_t {
  const char* typed;
  const char* text;
  QColor color;
  // What a screen reader says of the colour.
  const char* heard;
};

// A cell's description as assistive technology reads it.
QString HeardOf(TKwGrid& grid, int col, int row) {
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(row, col);
  return cell ? cell->text(QAccessible::Description) : QStringLiteral("(no cell)");
}

TEST_F(PatternEditorTest, DifferencesShowTheirSignOnWhiteLightBlueOrLightRed) {
  Open();
  Select("道中");  // 5 bonus items
  const difference_case_t cases[] = {{"6", "+1", kLightBlue, "増加"},
                                     {"4", "-1", kLightRed, "減少"},
                                     {"5", "0", kWhite, ""},
                                     {"5-1000000000000", "-1000000000000", kLightRed, "減少"}};
  for (const difference_case_t& c : cases) {
    SCOPED_TRACE(c.typed);
    SetNew(7, QString::fromLatin1(c.typed));
    Button("CalcButton")->click();
    EXPECT_EQ(DiffText(7), QString::fromLatin1(c.text));
    EXPECT_EQ(ColorAt(*In(), 3, 7), c.color);
    EXPECT_EQ(HeardOf(*In(), 3, 7), QString::fromUtf8(c.heard));
    EXPECT_EQ(DiffText(6), QStringLiteral("0"));
    // The comparison table's difference column is new minus old, total too.
    for (int r = 1; r <= 13; ++r) {
      const score_t d =
          std::get<std::int64_t>(Out()->Cells(3, r)) - std::get<std::int64_t>(Out()->Cells(2, r));
      EXPECT_EQ(Out()->CellText(4, r), ToQString(DifferenceText(d))) << r;
      EXPECT_EQ(ColorAt(*Out(), 4, r), d == 0 ? kWhite : d > 0 ? kLightBlue : kLightRed) << r;
      EXPECT_EQ(HeardOf(*Out(), 4, r), d == 0  ? QString()
                                       : d > 0 ? QStringLiteral("増加")
                                               : QStringLiteral("減少"))
          << r;
    }
    score_t sum = 0;
    for (int r = 1; r <= 12; ++r) sum += std::get<std::int64_t>(Out()->Cells(3, r));
    EXPECT_EQ(std::get<std::int64_t>(Out()->Cells(3, 13)), sum);
  }
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
}

TEST_F(PatternEditorTest, HoverHintFollowsTheCellUnderTheMouse) {
  TMainWnd& w = Open();
  Select("スペル1");
  TKwGrid* out = Out();
  const auto hint_of = [](const pattern_value_t* v, int row) {
    return MemoToQString((*v)[row - 1].HintText());
  };
  const auto move_to = [out](int col, int row) {
    QTest::mouseMove(out->viewport(), out->CellRect(col, row).center());
  };
  move_to(3, 3);
  const QString row3 = hint_of(w.Comparison().NewValue(), 3);
  ASSERT_FALSE(row3.isEmpty());
  EXPECT_EQ(out->Hint(), row3);
  EXPECT_EQ(Panel(0), TCustomKwGrid::LongHint(row3));
  EXPECT_EQ(out->toolTip(), TCustomKwGrid::ShortHint(row3));
  EXPECT_FALSE(out->toolTip().contains(QLatin1Char('\r')));

  move_to(3, 4);
  const QString row4 = hint_of(w.Comparison().NewValue(), 4);
  EXPECT_NE(row4, row3);
  EXPECT_EQ(out->Hint(), row4);

  // Moving inside one cell does not build the hint again.
  out->SetHint(QStringLiteral("kept"));
  QTest::mouseMove(out->viewport(), out->CellRect(3, 4).center() + QPoint(3, 1));
  EXPECT_EQ(out->Hint(), QStringLiteral("kept"));

  move_to(2, 11);
  EXPECT_EQ(out->Hint(), hint_of(w.Comparison().OldValue(), 11));
  // The total and the difference column have no hint.
  move_to(3, 13);
  EXPECT_EQ(out->Hint(), QString());
  EXPECT_EQ(Panel(0), QString());
  move_to(2, 12);
  EXPECT_FALSE(out->Hint().isEmpty());
  move_to(4, 12);
  EXPECT_EQ(out->Hint(), QString());

  // A calculation replaces the value under a resting mouse: the next move
  // inside the same cell explains the new one.
  move_to(3, 11);
  SetNew(8, QStringLiteral("300000"));
  Button("CalcButton")->click();
  QTest::mouseMove(out->viewport(), out->CellRect(3, 11).center() + QPoint(1, 0));
  EXPECT_EQ(out->Hint(), hint_of(w.Comparison().NewValue(), 11));
  EXPECT_TRUE(out->Hint().contains(QStringLiteral("300000")));
}

TEST_F(PatternEditorTest, HoverOverTheGroupBoxBesideTheGridClearsTheHint) {
  TMainWnd& w = Open();
  Select("スペル1");
  QTest::mouseMove(Out()->viewport(), Out()->CellRect(3, 5).center());
  ASSERT_FALSE(Out()->Hint().isEmpty());
  auto* box = Control<QGroupBox>("OutputGroupBox");
  // The caption's strip above the grid.
  QTest::mouseMove(box, QPoint(box->width() / 2, 2));
  EXPECT_EQ(Out()->Hint(), QString());
  // Without a value for the column the previous hint stays.
  QTest::mouseMove(Out()->viewport(), Out()->CellRect(3, 5).center());
  Click(Item("2面"), Qt::ControlModifier);
  ASSERT_EQ(w.Comparison().NewValue(), nullptr);
  const QString before = Out()->Hint();
  QTest::mouseMove(Out()->viewport(), Out()->CellRect(3, 6).center());
  EXPECT_EQ(Out()->Hint(), before);
}

struct panels_case_t {
  const char* title;
  std::array<const char*, 5> panels;
};

TEST_F(PatternEditorTest, StatusPanelsShowTheTotalsBeforeTheNode) {
  Open();
  const panels_case_t cases[] = {
      // The whole document for the root.
      {"Easy 全体", {"☆:    13", "G:    80", "P:   30", "C:  201000/ 201000", "Spell:  3"}},
      // Nothing comes before the first scene.
      {"道中", {"☆:     0", "G:     0", "P:    0", "C:  200000/ 200000", "C+: 1000"}},
      {"スペル1", {"☆:     5", "G:    50", "P:   30", "C:  201000/ 201000", "C+: 1000"}},
      // Three captured spell cards come before the second stage.
      {"2面道中", {"☆:     9", "G:    80", "P:   30", "C:  201000/ 201000", "C+: 1300"}},
      {"2面", {"☆:     9", "G:    80", "P:   30", "C:  201000/ 201000", "C+: 1300"}},
  };
  for (const panels_case_t& c : cases) {
    SCOPED_TRACE(c.title);
    Select(c.title);
    for (int i = 1; i <= 5; ++i) {
      EXPECT_EQ(Panel(i), QString::fromUtf8(c.panels[static_cast<std::size_t>(i - 1)])) << i;
    }
    // The same texts as the command-line tool's.
    const std::array<std::string, 5> core = StatusPanelTexts(*Node(c.title));
    for (int i = 1; i <= 5; ++i)
      EXPECT_EQ(Panel(i), ToQString(core[static_cast<std::size_t>(i - 1)]));
  }
}

TEST_F(PatternEditorTest, StatusBarStartsWithItsCaptionsAndWideningWidensOnlyPanelZero) {
  Make();
  const QStringList initial{QStringLiteral("☆"), QStringLiteral("Graze"), QStringLiteral("Point"),
                            QStringLiteral("Cherry/Cherry Max"), QStringLiteral("Spell/C+")};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(Panel(i), initial[i - 1]);
  EXPECT_EQ(Panel(0), QString());

  std::array<int, 6> before{};
  window->resize(900, 900);
  QCoreApplication::processEvents();
  for (int i = 0; i < 6; ++i) {
    before[static_cast<std::size_t>(i)] =
        Control(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->width();
  }
  window->resize(1200, 900);
  QCoreApplication::processEvents();
  for (int i = 1; i < 6; ++i) {
    EXPECT_EQ(Control(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->width(),
              before[static_cast<std::size_t>(i)])
        << i;
  }
  EXPECT_EQ(Control("StatusPanel0")->width(), before[0] + 300);
  // Panels 1 to 5 sit at the right end.
  auto* bar = Control<QStatusBar>("StatusBar");
  const QWidget* last = Control("StatusPanel5");
  EXPECT_GE(last->geometry().right(), bar->width() - 20);
}

// A played plan with totals far beyond the usual digits before its spell card.
void BuildLongNumbers(root_t& root) {
  root.title = Utf8ToCp932("Lunatic 全体");
  root.difficulty = difficulty_t::Lunatic;
  auto* stage = AddNode<group_t>(root, "6面");
  stage->kind = group_kind_t::Stage;
  auto* way = AddNode<scene_t>(*stage, "6面道中");
  way->kind = scene_kind_t::Way;
  pattern_t& p = AddScenePattern(*way, "稼ぎ", true);
  p.point = 24348;
  p.bonus_item = 1234567;
  p.graze = 7654321;
  p.cherry_max = 98765432;
  AddScenePattern(*AddSpellCard(*stage, "最後のスペル", 99999999, 999, 999999), "取得", true);
}

TEST_F(PatternEditorTest, EveryStatusPanelShowsItsWholeTextAtEveryWindowSize) {
  const QString plan = WriteSample(QStringLiteral("long.pat"), BuildLongNumbers);
  TMainWnd& w = Make({plan});
  Select("最後のスペル");
  ClickCell(1, 8);  // the scb hint in panel 0
  auto* bar = Control<QStatusBar>("StatusBar");
  auto* hint = Control<TStatusPanel>("StatusPanel0");
  ASSERT_TRUE(hint->text().endsWith(QStringLiteral("999999/s")));
  constexpr std::array<int, 6> kDesigned{0, 60, 55, 50, 115, 65};
  for (const int width : {0, 900, 2400}) {
    SCOPED_TRACE(width);
    w.resize(width, w.height());
    QCoreApplication::processEvents();
    for (int i = 1; i <= 5; ++i) {
      const auto* panel =
          Control<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData());
      EXPECT_GE(panel->width(), kDesigned[static_cast<std::size_t>(i)]) << i;
      EXPECT_GE(panel->width(), panel->sizeHint().width()) << panel->text().toStdString();
      EXPECT_TRUE(bar->rect().contains(panel->geometry())) << i;
    }
    // Panel 0 gives up words, never the figures: the initial bonus, the time
    // limit and the decrease rate all show, whole, and the whole text is the tip.
    const bool cut = hint->fontMetrics().horizontalAdvance(hint->text()) >
                     hint->contentsRect().width() - hint->fontMetrics().horizontalAdvance('x');
    EXPECT_EQ(hint->Cut(), cut);
    const QString shown = hint->ShownText();
    EXPECT_LE(hint->fontMetrics().horizontalAdvance(shown), hint->contentsRect().width());
    EXPECT_FALSE(shown.contains(QChar(0x2026))) << shown.toStdString();
    for (const char* figure : {"99999999", "999秒", "999999/s"}) {
      EXPECT_TRUE(shown.contains(QString::fromUtf8(figure))) << shown.toStdString();
    }
    EXPECT_EQ(hint->toolTip(), cut ? hint->text() : QString());
    // The minimum width shortens it; a wide window shows it whole.
    if (width != 900) {
      EXPECT_EQ(cut, width == 0);
    }
  }
  EXPECT_EQ(Panel(3), QStringLiteral("P: 24348"));
}

TEST_F(PatternEditorTest, CopyKeyCopiesTheSelectedCellWhenNoEditorIsOpen) {
  Open();
  Select("道中");
  // The comparison grid: X alone is enough.
  ASSERT_TRUE(Out()->FocusCell(2, 13));
  QTest::keyClick(Out(), Qt::Key_X);
  EXPECT_EQ(dialogs.clipboard, Out()->CellText(2, 13));
  ASSERT_TRUE(Out()->FocusCell(3, 10));
  QTest::keyClick(Out(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(dialogs.clipboard, Out()->CellText(3, 10));

  // The input grid: a read-only cell has no editor.
  ASSERT_TRUE(In()->FocusCell(1, 7));
  ASSERT_FALSE(In()->EditorOpen());
  QTest::keyClick(In(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(dialogs.clipboard, QStringLiteral("5"));
  // In an open editor C is a letter.
  dialogs.Clear();
  ASSERT_TRUE(In()->FocusCell(2, 7));
  ASSERT_TRUE(In()->EditorOpen());
  QTest::keyClick(In()->Editor(), Qt::Key_C);
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("clipboard")).isEmpty());
  EXPECT_EQ(In()->Editor()->text(), QStringLiteral("c"));
}

TEST_F(PatternEditorTest, ChoosingAnotherTitleAsksBeforeUnappliedEditsAreLost) {
  TMainWnd& w = Open();
  Select("道中");
  Control<QPlainTextEdit>("NewMemo")->setPlainText(QStringLiteral("書きかけ"));
  ASSERT_TRUE(w.PatternEdited());
  const QString question = QStringLiteral("パターン「安全」の変更を破棄します。よろしいですか？");

  // No: the previous item comes back, the edits stay.
  dialogs.confirms.push_back(false);
  QTest::keyClick(NewTitles(), Qt::Key_Down);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{question});
  EXPECT_EQ(NewTitles()->currentIndex(), 0);
  EXPECT_TRUE(w.PatternEdited());
  EXPECT_EQ(Control<QPlainTextEdit>("NewMemo")->toPlainText(), QStringLiteral("書きかけ"));

  // Yes: the chosen pattern fills the new column and shows its effect.
  dialogs.confirms.push_back(true);
  QTest::keyClick(NewTitles(), Qt::Key_Down);
  EXPECT_EQ(NewTitles()->currentIndex(), 1);
  EXPECT_EQ(w.Editor().AcceptedNewTitleIndex(), 1);
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_EQ(NewText(1), QStringLiteral("3"));
  EXPECT_EQ(NewText(7), QStringLiteral("8"));
  EXPECT_EQ(DiffText(7), QStringLiteral("+3"));
  EXPECT_EQ(DiffText(2), QStringLiteral("+1000"));
  EXPECT_EQ(Control<QLineEdit>("NewTitleLabeledEdit")->text(), QStringLiteral("稼ぎ"));
  EXPECT_EQ(Control<QPlainTextEdit>("NewMemo")->toPlainText(), QString());
  const pattern_base_t* other = Node("道中")->patterns.Items(1);
  EXPECT_EQ(w.Comparison().NewValue()->Total(), Node("道中")->CompareWithCurrent(*other).Total());
  // The old column stays with the current pattern.
  EXPECT_EQ(OldText(7), QStringLiteral("5"));

  // Without edits no question is asked.
  dialogs.Clear();
  QTest::keyClick(NewTitles(), Qt::Key_Up);
  EXPECT_TRUE(dialogs.events.empty());
  EXPECT_EQ(NewText(7), QStringLiteral("5"));
}

TEST_F(PatternEditorTest, SelectionChangeWithUnappliedCellEditAsksFirst) {
  TMainWnd& w = Open();
  Select("道中");
  TypeInto(1, QStringLiteral("7"));
  Commit();
  dialogs.confirms.push_back(false);
  Select("通常");
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("道中"));
  EXPECT_EQ(NewText(1), QStringLiteral("7"));
  dialogs.confirms.push_back(true);
  Select("通常");
  EXPECT_EQ(ToQString(w.CurrentNode()->title), QStringLiteral("通常"));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")).size(), 2);
}

// The counts of a scene whose terms leave the signed 64-bit range, typed into
// the new column and calculated.
void TypeOverflowingCounts(TKwGrid& in) {
  const std::pair<int, const char*> counts[] = {
      {2, "987654321098"}, {4, "98765432109"}, {6, "1234567890123"}, {7, "123456789012"}};
  for (const auto& [row, text] : counts) {
    ASSERT_TRUE(in.FocusCell(2, row));
    in.Editor()->selectAll();
    QTest::keyClicks(in.Editor(), QString::fromLatin1(text));
  }
  ASSERT_TRUE(in.FocusCell(1, 1));
}

TEST_F(PatternEditorTest, TermsBeyond64BitsSayOverflowAndTheStatusBarNamesThem) {
  Open();
  Select("道中");
  TypeOverflowingCounts(*In());
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  TKwGrid* out = Out();
  const QString overflow = QStringLiteral("桁あふれ");
  // Terms 3 and 6 and the total, and their differences; the other terms exact.
  for (const int row : {4, 7, 13}) {
    EXPECT_EQ(out->CellText(3, row), overflow) << row;
    EXPECT_EQ(out->CellText(4, row), overflow) << row;
  }
  EXPECT_EQ(out->CellText(3, 9), QStringLiteral("277777775277675000"));
  EXPECT_EQ(ColorAt(*out, 4, 4), QColor(Qt::white));
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
  EXPECT_TRUE(Panel(0).contains(QStringLiteral(
      "「桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響」の値が64ビット整数"
      "の範囲を超える")))
      << Panel(0).toStdString();
  EXPECT_TRUE(Panel(0).contains(QStringLiteral("「合計」"))) << Panel(0).toStdString();
}

TEST_F(PatternEditorTest, LongNumbersOfTheComparisonAreShownWhole) {
  Open();
  Select("道中");
  TypeOverflowingCounts(*In());
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  QCoreApplication::processEvents();
  TKwGrid* out = Out();
  ASSERT_EQ(out->CellText(4, 9), QStringLiteral("+277777775270925000"));
  // Every value column is as wide as its widest text, and the grid shows
  // every column whole.
  for (int col = 2; col <= 4; ++col) {
    EXPECT_LE(out->TextColWidth(col, 1), out->ColWidth(col)) << col;
  }
  EXPECT_LT(out->CellRect(4, 9).right(), out->viewport()->width());
}

TEST_F(PatternEditorTest, ClickingTheTotalRowKeepsEveryRowOfTheComparisonInView) {
  TMainWnd& w = Open();
  Select("道中");
  for (const QSize size : {w.size(), w.minimumSize()}) {
    w.resize(size);
    QCoreApplication::processEvents();
    TKwGrid* out = Out();
    for (const int col : {2, 3, 4}) {
      QTest::mouseClick(out->viewport(), Qt::LeftButton, {}, out->CellRect(col, 13).center());
      EXPECT_EQ(out->TopRow(), 1) << col;
      EXPECT_LE(out->CellRect(col, 13).bottom(), out->viewport()->height() - 1) << col;
    }
  }
}

}  // namespace
}  // namespace qvl

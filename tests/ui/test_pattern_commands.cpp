// The pattern commands of the real window: Calculate (button and Enter),
// Update with its questions, Delete, New, the grouping check box, the spell
// card questions, the enemy bullet bonus warning and the copy command.
#include "EditorFixture.h"
#include "calc/CalcCustom.h"
#include "model/qvl_status.h"

namespace qvl {
namespace {

const QString kFirstSpellQuestion = QStringLiteral(
    "スペルカードボーナス基礎の入力欄に0が入っています。\r\n"
    "スペルカードを取得しないのですか？");
const QString kSecondSpellQuestion = QStringLiteral(
    "スペルカードボーナス基礎の入力欄に0以外の値が入っています。\r\n"
    "スペルカードを取得するのですか？");
const QString kBulletWarning = QStringLiteral("敵弾消しボーナスの値が0になっています。");
const QString kNewQuestion =
    QStringLiteral("旧パターンを下敷きにしますか？（更新しなければ内容は消えます）");

QString UpdateQuestion(const char* title) {
  return QStringLiteral("編集中のパターン「") + QString::fromUtf8(title) +
         QStringLiteral("」を更新します。よろしいですか？");
}
QString DeleteQuestion(const char* title) {
  return QStringLiteral("編集中のパターン「") + QString::fromUtf8(title) +
         QStringLiteral("」を削除します。よろしいですか？");
}
QString DiscardQuestion(const char* title) {
  return QStringLiteral("パターン「") + QString::fromUtf8(title) +
         QStringLiteral("」の変更を破棄します。よろしいですか？");
}

const pattern_t& ScenePatternAt(scene_base_t* node, int i) {
  return dynamic_cast<const pattern_t&>(*node->patterns.Items(i));
}
const pattern_t& CurrentScenePattern(scene_base_t* node) {
  return dynamic_cast<const pattern_t&>(*node->patterns.Current());
}

using PatternCommandTest = PatternEditorTest;

// --- Calculate

TEST_F(PatternCommandTest, CalculateReplacesExpressionsAndShowsTheEffect) {
  TMainWnd& w = Open();
  Select("道中");
  SetNew(2, QStringLiteral("1000+500"));
  SetNew(1, QString());  // an empty cell is 0
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(2), QStringLiteral("1500"));
  EXPECT_EQ(NewText(3), QStringLiteral("1500"));
  EXPECT_EQ(DiffText(2), QStringLiteral("+500"));
  EXPECT_EQ(DiffText(3), QStringLiteral("+500"));
  EXPECT_EQ(NewText(1), QStringLiteral("0"));
  EXPECT_EQ(DiffText(1), QStringLiteral("-2"));
  EXPECT_TRUE(std::holds_alternative<std::int64_t>(In()->Cells(2, 7)));

  pattern_t expected = CurrentScenePattern(Node("道中"));
  expected.cherry_max = 1500;
  expected.border_bonus_times = 0;
  EXPECT_EQ(w.Comparison().NewValue()->Total(), Node("道中")->CompareWithCurrent(expected).Total());
  // Nothing is stored, no flag changes.
  EXPECT_EQ(CurrentScenePattern(Node("道中")).cherry_max, 1000);
  EXPECT_FALSE(w.DocumentModified());
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(PatternCommandTest, EnterInTheEditorCommitsAndCalculates) {
  TMainWnd& w = Open();
  Select("道中");
  TypeInto(2, QStringLiteral("1000+500"));
  QTest::keyClick(In()->Editor(), Qt::Key_Return);
  EXPECT_EQ(NewText(2), QStringLiteral("1500"));
  EXPECT_EQ(NewText(3), QStringLiteral("1500"));
  EXPECT_EQ(In()->Editor()->text(), QStringLiteral("1500"));
  EXPECT_EQ(DiffText(2), QStringLiteral("+500"));
  EXPECT_TRUE(w.PatternEdited());

  // Enter in a control that leaves it alone presses the default button too.
  SetNew(7, QStringLiteral("2*3"));
  QTest::keyClick(Control<QLineEdit>("NewTitleLabeledEdit"), Qt::Key_Return);
  EXPECT_EQ(NewText(7), QStringLiteral("6"));
  // Not while the default button is disabled.
  dialogs.confirms.push_back(true);  // discard the typed edit
  Select("1面");
  dialogs.Clear();
  QTest::keyClick(Tree(), Qt::Key_Return);
  EXPECT_TRUE(dialogs.events.empty());
}

TEST_F(PatternCommandTest, FractionalAnswersRoundToEvenWithoutAnErrorBox) {
  Open();
  Select("道中");  // 5 bonus items, 30 point items
  SetNew(7, QStringLiteral("5/2"));
  SetNew(6, QStringLiteral("71/2"));
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(7), QStringLiteral("2.5"));
  EXPECT_EQ(DiffText(7), QStringLiteral("-3"));
  EXPECT_EQ(DiffText(6), QStringLiteral("+6"));
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
}

TEST_F(PatternCommandTest, AFailingEditableCellStopsWithTheCalculatorsMessage) {
  TMainWnd& w = Open();
  Select("道中");
  const pattern_value_t* before = w.Comparison().NewValue();
  SetNew(2, QStringLiteral("10*10"));
  SetNew(4, QStringLiteral("1+"));
  SetNew(7, QStringLiteral("3*3"));
  Button("CalcButton")->click();
  const QString message = ToQString(ENoValueAfterMark().Message());
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{message});
  // Rows before the failure are evaluated, the rest keep their texts.
  EXPECT_EQ(NewText(2), QStringLiteral("100"));
  EXPECT_EQ(NewText(4), QStringLiteral("1+"));
  EXPECT_EQ(NewText(7), QStringLiteral("3*3"));
  EXPECT_EQ(w.Comparison().NewValue(), before);

  // The same text fails again: nothing passes on a remembered answer.
  Button("CalcButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), (QStringList{message, message}));
  EXPECT_EQ(NewText(4), QStringLiteral("1+"));

  // Arithmetic errors come the same way.
  SetNew(4, QStringLiteral("1/0"));
  Button("CalcButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")).last(),
            QStringLiteral("Floating point division by zero"));
}

TEST_F(PatternCommandTest, ACellWithCharactersTheCalculatorCannotReadIsRefusedByName) {
  TMainWnd& w = Open();
  Select("道中");
  const pattern_value_t* before = w.Comparison().NewValue();
  SetNew(7, QStringLiteral("3😀"));
  Button("CalcButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{UnconvertibleMessage(QStringLiteral("😀"))});
  EXPECT_EQ(NewText(7), QStringLiteral("3😀"));
  EXPECT_EQ(w.Comparison().NewValue(), before);
}

TEST_F(PatternCommandTest, EnterOnAFocusedButtonPressesThatButton) {
  Open();
  Select("道中");
  Activate();
  QPushButton* button = Button("NewButton");
  button->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), button);
  dialogs.confirms.push_back(false);  // start from nothing
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{kNewQuestion});
  EXPECT_EQ(Node("道中")->patterns.Count(), 3);
}

TEST_F(PatternCommandTest, AFailingReadOnlyCellBecomesZeroAndTheSameTextBelowStillFails) {
  Open();
  Select("通常");
  SetNew(6, QStringLiteral("1+"));  // read-only for a normal attack
  Button("CalcButton")->click();
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
  EXPECT_EQ(NewText(6), QStringLiteral("0"));

  // An editable row with the text that just failed silently is evaluated
  // afresh and fails with its message.
  SetNew(6, QStringLiteral("1+"));
  SetNew(7, QStringLiteral("1+"));
  Button("CalcButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{ToQString(ENoValueAfterMark().Message())});
  EXPECT_EQ(NewText(6), QStringLiteral("0"));
  EXPECT_EQ(NewText(7), QStringLiteral("1+"));
}

TEST_F(PatternCommandTest, ScbFollowsTheSelectedSceneAcrossCommands) {
  Open();
  Select("スペル1");
  // The last cell of one calculation and the first of the next hold the
  // same text; the second scene has other spell card values.
  SetNew(10, QStringLiteral("scb(30)"));
  SetNew(8, QStringLiteral("scb(25)"));
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(8), QString::number(ScbValue(Node("スペル1"), 25), 'f', 0));
  Select("スペル2");
  SetNew(1, QStringLiteral("scb(30)"));
  Button("CalcButton")->click();
  const double expected = ScbValue(Node("スペル2"), 30);
  ASSERT_NE(expected, ScbValue(Node("スペル1"), 30));
  EXPECT_EQ(NewText(1), QString::number(expected, 'f', 0));
}

TEST_F(PatternCommandTest, ValuesBeyondTheScoreRangeAreRefusedAndNothingIsStored) {
  TMainWnd& w = Open();
  Select("道中");
  SetNew(1, QStringLiteral("1e30"));
  Button("CalcButton")->click();
  const QString refusal = QStringLiteral(
      "「ボーダーボーナスを得た回数」の値が大きすぎます。-9223372036854775808から"
      "9223372036854775807までの整数になる値を入力して下さい。");
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{refusal});

  dialogs.Clear();
  dialogs.confirms.push_back(true);
  Button("ApplyButton")->click();
  EXPECT_EQ(dialogs.Kinds(), (QStringList{QStringLiteral("confirm"), QStringLiteral("error")}));
  EXPECT_EQ(CurrentScenePattern(Node("道中")).border_bonus_times, 2);
  EXPECT_EQ(Node("道中")->patterns.Count(), 2);
  EXPECT_FALSE(w.DocumentModified());

  // A group's rows 4 and 5 beyond 32 bits are plain scores.
  Select("ボス");
  Grouping()->click();
  SetNew(4, QStringLiteral("5000000000"));
  SetNew(5, QStringLiteral("6000000000"));
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(5), QStringLiteral("5000000000"));
  EXPECT_EQ(DiffText(4), QStringLiteral("+5000000000"));
}

// Typed and calculated by keys: an answer that is no whole score shows in the
// calculator's own text form (as qvl calc prints it), a whole one with all its
// digits; a value beyond 64 bits is refused by its row, never stored cut.
TEST_F(PatternCommandTest, AnswersShowAsTheCalculatorWritesThemAndBeyond64BitsAreRefused) {
  TMainWnd& w = Open();
  Activate();
  Select("道中");
  const QString refusal = QStringLiteral(
      "「ボーダーボーナスを得た回数」の値が大きすぎます。-9223372036854775808から"
      "9223372036854775807までの整数になる値を入力して下さい。");
  const struct {
    const char* typed;
    const char* shown;
    bool refused;
  } rows[] = {
      {"99999999999999999999", "1E20", true},
      {"-1.5e20", "-1.5E20", true},
      {"1/100000", "1E-5", false},
      {"10^18", "1000000000000000000", false},
  };
  for (const auto& row : rows) {
    dialogs.Clear();
    QTest::mouseClick(In()->viewport(), Qt::LeftButton, {}, In()->CellRect(2, 1).center());
    ASSERT_TRUE(In()->EditorOpen());
    In()->Editor()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(row.typed));
    Key(Qt::Key_Return);  // commits and calculates
    EXPECT_EQ(NewText(1), QString::fromLatin1(row.shown)) << row.typed;
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
              row.refused ? QStringList{refusal} : QStringList{})
        << row.typed;
  }

  // The shown text is what Update reads: beyond 64 bits nothing is stored.
  QTest::mouseClick(In()->viewport(), Qt::LeftButton, {}, In()->CellRect(2, 1).center());
  In()->Editor()->selectAll();
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("99999999999999999999"));
  dialogs.Clear();
  dialogs.confirms.push_back(true);
  Key(Qt::Key_A, Qt::AltModifier);
  ASSERT_TRUE(WaitUntil([this] { return dialogs.events.size() >= 2; }));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")), QStringList{refusal});
  EXPECT_EQ(NewText(1), QStringLiteral("1E20"));
  EXPECT_EQ(CurrentScenePattern(Node("道中")).border_bonus_times, 2);
  EXPECT_EQ(Node("道中")->patterns.Count(), 2);
  EXPECT_FALSE(w.DocumentModified());
}

// --- spell card questions and the warning

TEST_F(PatternCommandTest, CapturedWithoutBonusBaseAsksTheFirstQuestion) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    TMainWnd& w = Open();
    Select("スペル1");
    SetNew(8, QStringLiteral("0"));
    dialogs.confirms.push_back(yes);
    Button("CalcButton")->click();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{kFirstSpellQuestion});
    EXPECT_EQ(NewGetSpell()->isChecked(), !yes);
    // Changing the box is an edit like a click.
    EXPECT_EQ(w.PatternEdited(), yes);
    pattern_t expected = CurrentScenePattern(Node("スペル1"));
    expected.spell_card_bonus_base = 0;
    expected.getting_spell_card = !yes;
    EXPECT_EQ(w.Comparison().NewValue()->Total(),
              Node("スペル1")->CompareWithCurrent(expected).Total());
    window.reset();
    dialogs.Clear();
  }
}

TEST_F(PatternCommandTest, BonusBaseWithoutCaptureAsksTheSecondQuestion) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    TMainWnd& w = Open();
    Select("スペル1");
    NewGetSpell()->click();  // not captured
    ASSERT_FALSE(NewGetSpell()->isChecked());
    SetNew(8, QStringLiteral("1000"));
    dialogs.confirms.push_back(yes);
    Button("CalcButton")->click();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{kSecondSpellQuestion});
    EXPECT_EQ(NewGetSpell()->isChecked(), yes);
    EXPECT_EQ(NewText(8), yes ? QStringLiteral("1000") : QStringLiteral("0"));
    EXPECT_EQ(DiffText(8), yes ? QStringLiteral("-399000") : QStringLiteral("-400000"));
    EXPECT_TRUE(w.PatternEdited());
    window.reset();
    dialogs.Clear();
  }
}

TEST_F(PatternCommandTest, ZeroEnemyBulletBonusWarnsAndStillCalculates) {
  TMainWnd& w = Open();
  for (const char* title : {"弾消し", "スペル1"}) {
    SCOPED_TRACE(title);
    Select(title);
    dialogs.Clear();
    SetNew(9, QStringLiteral("0"));
    Button("CalcButton")->click();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("warning")), QStringList{kBulletWarning});
    EXPECT_EQ(DiffText(9).left(1), QStringLiteral("-"));
    ASSERT_NE(w.Comparison().NewValue(), nullptr);
    EXPECT_EQ((*w.Comparison().NewValue())[11].value, 0);
  }
  // No enemy bullet bonus, no warning.
  Select("道中");
  dialogs.Clear();
  Button("CalcButton")->click();
  EXPECT_TRUE(dialogs.events.empty());
}

// --- Update

TEST_F(PatternCommandTest, UpdateOfTheCurrentPatternAsksOnceAndKeepsItCurrent) {
  TMainWnd& w = Open();
  Select("道中");
  SetNew(7, QStringLiteral("2*3"));

  // No: nothing is evaluated or stored.
  dialogs.confirms.push_back(false);
  Button("ApplyButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{UpdateQuestion("安全")});
  EXPECT_EQ(NewText(7), QStringLiteral("2*3"));
  EXPECT_FALSE(w.DocumentModified());

  dialogs.Clear();
  dialogs.confirms.push_back(true);
  Button("ApplyButton")->click();
  EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("confirm")});
  scene_base_t* way = Node("道中");
  ASSERT_EQ(way->patterns.Count(), 2);
  const pattern_t& stored = CurrentScenePattern(way);
  EXPECT_EQ(stored.title, Utf8ToCp932("安全"));
  EXPECT_EQ(stored.bonus_item, 6);
  EXPECT_EQ(stored.memo, Utf8ToCp932("安全第一"));
  EXPECT_TRUE(stored.selected);
  EXPECT_FALSE(ScenePatternAt(way, 1).selected);
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_EQ(OldText(7), QStringLiteral("6"));
  EXPECT_EQ(NewText(7), QStringLiteral("6"));
  EXPECT_EQ(DiffText(7), QStringLiteral("0"));
  EXPECT_EQ(OldTitles()->currentText(), QStringLiteral("安全"));
  EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("安全"));
  EXPECT_EQ(w.Editor().AcceptedNewTitleIndex(), NewTitles()->currentIndex());
  EXPECT_EQ(w.Comparison().OldValue()->Total(), way->CurrentExplanation().Total());
  EXPECT_EQ(w.Comparison().NewValue()->Total(), way->CompareWithCurrent(stored).Total());
}

struct update_case_t {
  TDialogs::TAnswer answer;
  bool stored;
  bool becomes_current;
};

TEST_F(PatternCommandTest, UpdateOfAnotherPatternAsksWhetherItReplacesTheCurrentOne) {
  const update_case_t cases[] = {{TDialogs::TAnswer::Yes, true, true},
                                 {TDialogs::TAnswer::No, true, false},
                                 {TDialogs::TAnswer::Cancel, false, false}};
  for (const update_case_t& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    TMainWnd& w = Open();
    Select("道中");
    QTest::keyClick(NewTitles(), Qt::Key_Down);  // 稼ぎ
    ASSERT_EQ(NewTitles()->currentText(), QStringLiteral("稼ぎ"));
    Control<QLineEdit>("NewTitleLabeledEdit")->setText(QStringLiteral("改良"));
    SetNew(7, QStringLiteral("4+5"));
    // A cancelled update evaluates nothing: this text would fail.
    SetNew(1, c.stored ? QStringLiteral("1") : QStringLiteral("1+"));
    dialogs.confirms.push_back(true);
    dialogs.three_way.push_back(c.answer);
    Button("ApplyButton")->click();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{UpdateQuestion("稼ぎ")});
    EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm3")),
              QStringList{QStringLiteral("「改良」を「安全」に代えて現行のパターンとしますか？")});
    EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
    scene_base_t* way = Node("道中");
    ASSERT_EQ(way->patterns.Count(), 2);
    EXPECT_EQ(w.DocumentModified(), c.stored);
    if (!c.stored) {
      EXPECT_EQ(ScenePatternAt(way, 1).title, Utf8ToCp932("稼ぎ"));
      EXPECT_EQ(NewText(1), QStringLiteral("1+"));
      EXPECT_TRUE(w.PatternEdited());
    } else {
      // 稼ぎ is gone; 改良 takes its place in the sorted list.
      EXPECT_EQ(ScenePatternAt(way, 0).title, Utf8ToCp932("安全"));
      const pattern_t& stored = ScenePatternAt(way, 1);
      EXPECT_EQ(stored.title, Utf8ToCp932("改良"));
      EXPECT_EQ(stored.bonus_item, 9);
      EXPECT_EQ(stored.border_bonus_times, 1);
      EXPECT_EQ(stored.selected, c.becomes_current);
      EXPECT_EQ(ScenePatternAt(way, 0).selected, !c.becomes_current);
      EXPECT_EQ(OldText(7), c.becomes_current ? QStringLiteral("9") : QStringLiteral("5"));
      EXPECT_EQ(OldTitles()->currentText(),
                c.becomes_current ? QStringLiteral("改良") : QStringLiteral("安全"));
      EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("改良"));
      EXPECT_EQ(NewText(7), QStringLiteral("9"));
      EXPECT_EQ(w.Editor().AcceptedNewTitleIndex(), NewTitles()->currentIndex());
      EXPECT_FALSE(w.PatternEdited());
    }
    window.reset();
    dialogs.Clear();
  }
}

TEST_F(PatternCommandTest, UpdateGivesAnUntitledPatternItsTitleAndRefusesUnstorableText) {
  TMainWnd& w = Open();
  Select("スペル1");
  Activate();
  // A character the file cannot hold, typed into the title or the memo, is
  // refused before any question, in the words of the scene memo's refusal.
  for (const char* field : {"NewTitleLabeledEdit", "NewMemo"}) {
    SCOPED_TRACE(field);
    QTest::mouseClick(Control(field), Qt::LeftButton);
    CommitText(QStringLiteral("😀"));
    QTest::mouseClick(Button("ApplyButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("error")});
    EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
              QStringList{UnconvertibleMessage(QStringLiteral("😀"))});
    EXPECT_EQ(CurrentScenePattern(Node("スペル1")).title, Utf8ToCp932("取得"));
    EXPECT_FALSE(w.DocumentModified());
    dialogs.Clear();
    Control<QLineEdit>("NewTitleLabeledEdit")->setText(QStringLiteral("取得"));
    Control<QPlainTextEdit>("NewMemo")->clear();
  }
  auto* title = Control<QLineEdit>("NewTitleLabeledEdit");
  title->clear();
  dialogs.confirms.push_back(true);
  Button("ApplyButton")->click();
  EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("*untitled*"));
  EXPECT_TRUE(w.DocumentModified());
}

// --- Another current pattern chosen while the scene is shown

TEST_F(PatternCommandTest, ChoosingAnotherCurrentPatternShowsItAndKeepsWhatWasTyped) {
  TMainWnd& w = Open();
  Select("道中");
  Activate();
  scene_base_t* way = Node("道中");
  const std::unique_ptr<pattern_base_t> safe = way->CurrentPattern().Clone();
  ClickCell(2, 7);
  Key(Qt::Key_9);
  Key(Qt::Key_9);
  QTest::keyClick(PopupMenuOn("道中"), Qt::Key_1);  // 稼ぎ(&1)
  ASSERT_EQ(ToQString(way->CurrentPattern().title), QStringLiteral("稼ぎ"));
  EXPECT_TRUE(dialogs.events.empty());
  // The old side is the new current pattern ...
  EXPECT_EQ(OldTitles()->currentText(), QStringLiteral("稼ぎ"));
  EXPECT_EQ(OldText(1), QStringLiteral("3"));
  EXPECT_EQ(OldText(7), QStringLiteral("8"));
  EXPECT_EQ(w.Comparison().OldValue()->Total(), way->CurrentExplanation().Total());
  EXPECT_EQ(Out()->CellText(2, 13), QString::number(way->CurrentExplanation().Total().Value()));
  // ... compared with the pattern in the new column, which keeps the typing.
  EXPECT_EQ(w.Comparison().NewValue()->Total(), way->CompareWithCurrent(*safe).Total());
  EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("安全"));
  EXPECT_EQ(NewText(7), QStringLiteral("99"));
  EXPECT_EQ(DiffText(1), QStringLiteral("-1"));
  EXPECT_TRUE(w.PatternEdited());

  // The next update compares with the pattern that is current now.
  dialogs.confirms.push_back(true);
  dialogs.three_way.push_back(TDialogs::TAnswer::No);
  Key(Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(WaitUntil([&] { return !w.PatternEdited(); }));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm3")),
            QStringList{QStringLiteral("「安全」を「稼ぎ」に代えて現行のパターンとしますか？")});
  EXPECT_EQ(ToQString(way->CurrentPattern().title), QStringLiteral("稼ぎ"));
}

TEST_F(PatternCommandTest, ChoosingByATitlesPartShowsTheTotalsAfreshAndAsksNothing) {
  TMainWnd& w = Open();
  Select("Easy 全体");
  Activate();
  // Typed into the scene memo and not applied: kept.
  QTest::mouseClick(Control("SceneMemo"), Qt::LeftButton);
  Key(Qt::Key_M);
  dialogs.inputs.push_back(QStringLiteral("稼ぎ"));
  QTest::keyClick(PopupMenuOn("Easy 全体"), Qt::Key_P);  // パターンの一括指定(&P)
  ASSERT_EQ(ToQString(Node("道中")->CurrentPattern().title), QStringLiteral("稼ぎ"));
  EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("input")});
  const std::array<std::string, 5> totals = StatusPanelTexts(w.Document());
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(Panel(i), ToQString(totals[static_cast<std::size_t>(i - 1)]));
  EXPECT_EQ(Panel(1), QStringLiteral("☆:    16"));
  EXPECT_EQ(OldText(7), QStringLiteral("16"));
  EXPECT_EQ(w.Comparison().OldValue()->Total(), w.Document().CurrentExplanation().Total());
  EXPECT_EQ(Control<QPlainTextEdit>("SceneMemo")->toPlainText(), QStringLiteral("m"));
  EXPECT_TRUE(w.MemoModified());
}

// --- Delete

TEST_F(PatternCommandTest, DeleteOfTheOnlyPatternLeavesAnEmptyUntitledOne) {
  TMainWnd& w = Open();
  Select("スペル1");
  dialogs.confirms.push_back(false);
  Button("DeleteButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{DeleteQuestion("取得")});
  EXPECT_EQ(Node("スペル1")->patterns.Count(), 1);
  EXPECT_FALSE(w.DocumentModified());

  dialogs.confirms.push_back(true);
  Button("DeleteButton")->click();
  // The session's rule (tests/model/test_session.cpp); the window shows it.
  ASSERT_EQ(Node("スペル1")->patterns.Count(), 1);
  EXPECT_EQ(OldText(8), QStringLiteral("0"));
  EXPECT_EQ(NewText(8), QStringLiteral("0"));
  EXPECT_EQ(OldTitles()->currentText(), QStringLiteral("*untitled*"));
  EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("*untitled*"));
  EXPECT_FALSE(NewGetSpell()->isChecked());
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_FALSE(w.PatternEdited());
}

TEST_F(PatternCommandTest, DeleteOfOneOfTwoPatternsMakesTheOtherCurrent) {
  TMainWnd& w = Open();
  Select("道中");
  dialogs.confirms.push_back(true);
  Button("DeleteButton")->click();
  scene_base_t* way = Node("道中");
  ASSERT_EQ(way->patterns.Count(), 1);
  EXPECT_EQ(CurrentScenePattern(way).title, Utf8ToCp932("稼ぎ"));
  EXPECT_EQ(OldText(7), QStringLiteral("8"));
  EXPECT_EQ(w.Comparison().OldValue()->Total(), way->CurrentExplanation().Total());
}

// --- New

TEST_F(PatternCommandTest, NewStartsFromTheOldPatternOrFromNothing) {
  for (const bool from_old : {true, false}) {
    SCOPED_TRACE(from_old);
    TMainWnd& w = Open();
    Select("道中");
    dialogs.confirms.push_back(from_old);
    Button("NewButton")->click();
    EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{kNewQuestion});
    scene_base_t* way = Node("道中");
    ASSERT_EQ(way->patterns.Count(), 3);
    EXPECT_EQ(way->patterns.Items(0)->title, "*untitled*");
    EXPECT_FALSE(way->patterns.Items(0)->selected);
    EXPECT_EQ(CurrentScenePattern(way).title, Utf8ToCp932("安全"));
    EXPECT_EQ(NewTitles()->currentText(), QStringLiteral("*untitled*"));
    EXPECT_EQ(OldTitles()->currentText(), QStringLiteral("安全"));
    EXPECT_EQ(w.Editor().AcceptedNewTitleIndex(), NewTitles()->currentIndex());
    EXPECT_EQ(Control<QLineEdit>("NewTitleLabeledEdit")->text(), QStringLiteral("*untitled*"));
    EXPECT_EQ(NewText(7), from_old ? QStringLiteral("5") : QStringLiteral("0"));
    EXPECT_EQ(DiffText(7), from_old ? QStringLiteral("0") : QStringLiteral("-5"));
    // The comparison shows the empty pattern until the next calculation.
    EXPECT_EQ(w.Comparison().NewValue()->Total(), way->CompareWithCurrent(pattern_t()).Total());
    EXPECT_TRUE(w.DocumentModified());
    EXPECT_FALSE(w.PatternEdited());

    // Calculating then shows the new column's values.
    Button("CalcButton")->click();
    pattern_t shown = from_old ? CurrentScenePattern(way) : pattern_t();
    shown.selected = false;
    EXPECT_EQ(w.Comparison().NewValue()->Total(), way->CompareWithCurrent(shown).Total());
    window.reset();
    dialogs.Clear();
  }
}

TEST_F(PatternCommandTest, NewAsksAboutUnappliedEditsFirst) {
  TMainWnd& w = Open();
  Select("道中");
  Control<QPlainTextEdit>("NewMemo")->setPlainText(QStringLiteral("書きかけ"));
  dialogs.confirms.push_back(false);
  Button("NewButton")->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{DiscardQuestion("安全")});
  EXPECT_EQ(Node("道中")->patterns.Count(), 2);
  EXPECT_FALSE(w.DocumentModified());
}

// --- grouping

TEST_F(PatternCommandTest, GroupingOnMakesTheGroupEditableAndOffAsksAboutEdits) {
  TMainWnd& w = Open();
  Select("ボス");
  auto* boss = dynamic_cast<group_t*>(Node("ボス"));
  ASSERT_NE(boss, nullptr);
  EXPECT_FALSE(Button("CalcButton")->isEnabled());
  Grouping()->click();
  EXPECT_TRUE(boss->grouping);
  EXPECT_TRUE(w.DocumentModified());
  EXPECT_TRUE(Grouping()->isChecked());
  EXPECT_TRUE(Button("CalcButton")->isEnabled());
  EXPECT_FALSE(In()->Model().IsReadOnly(2, 5));
  EXPECT_FALSE(In()->Model().IsReadOnly(2, 10));
  EXPECT_TRUE(In()->Model().IsReadOnly(2, 3));
  // Loading gave the group an empty, untitled pattern.
  EXPECT_EQ(NewTitles()->currentText(), QString());
  ASSERT_NE(w.Comparison().NewValue(), nullptr);

  // Unchecking with unapplied edits: No keeps the grouping.
  Control<QPlainTextEdit>("NewMemo")->setPlainText(QStringLiteral("書きかけ"));
  dialogs.confirms.push_back(false);
  Grouping()->click();
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")), QStringList{DiscardQuestion("")});
  EXPECT_TRUE(Grouping()->isChecked());
  EXPECT_TRUE(boss->grouping);
  EXPECT_TRUE(Button("CalcButton")->isEnabled());
  EXPECT_TRUE(w.PatternEdited());

  // Yes: the group is a sum again.
  dialogs.confirms.push_back(true);
  Grouping()->click();
  EXPECT_FALSE(boss->grouping);
  EXPECT_FALSE(Grouping()->isChecked());
  EXPECT_FALSE(Button("CalcButton")->isEnabled());
  EXPECT_FALSE(w.PatternEdited());
  EXPECT_EQ(w.Comparison().NewValue(), nullptr);
  EXPECT_EQ(OldText(10), QStringLiteral("2"));
}

struct graze_case_t {
  const char* row4;
  const char* row5;
  score_t in_spell_cards;
  score_t rest;
};

TEST_F(PatternCommandTest, GroupGrazeInSpellCardsCannotExceedTheWholeGraze) {
  const graze_case_t cases[] = {{"300", "500", 300, 0}, {"300", "100", 100, 200}};
  for (const graze_case_t& c : cases) {
    SCOPED_TRACE(c.row5);
    TMainWnd& w = Open();
    Select("ボス");
    Grouping()->click();
    SetNew(4, QString::fromLatin1(c.row4));
    SetNew(5, QString::fromLatin1(c.row5));
    dialogs.confirms.push_back(true);
    Button("ApplyButton")->click();
    EXPECT_EQ(dialogs.Kinds(), QStringList{QStringLiteral("confirm")});
    const auto& stored = dynamic_cast<const grouped_pattern_t&>(*Node("ボス")->patterns.Current());
    EXPECT_EQ(stored.graze_in_getting_spell_cards, c.in_spell_cards);
    EXPECT_EQ(stored.graze_rest, c.rest);
    EXPECT_EQ(stored.TotalGraze(), 300);
    EXPECT_EQ(NewText(4), QStringLiteral("300"));
    EXPECT_EQ(NewText(5), QString::number(c.in_spell_cards));
    EXPECT_EQ(OldText(4), QStringLiteral("300"));
    EXPECT_TRUE(w.DocumentModified());
    window.reset();
    dialogs.Clear();
  }
}

TEST_F(PatternCommandTest, GroupFractionalCherryMaxShowsTheStoredGainedCherry) {
  Open();
  Select("ボス");
  Grouping()->click();
  SetNew(2, QStringLiteral("2.5"));
  Button("CalcButton")->click();
  EXPECT_EQ(NewText(2), QStringLiteral("2.5"));
  EXPECT_EQ(NewText(3), QStringLiteral("2"));
  EXPECT_EQ(DiffText(2), QStringLiteral("+2"));
  EXPECT_TRUE(dialogs.Texts(QStringLiteral("error")).isEmpty());
}

// --- copy

TEST_F(PatternCommandTest, CopyPutsTheCurrentPatternOnTheClipboard) {
  Open();
  Select("スペル1");
  Action("Copy1")->trigger();
  EXPECT_EQ(dialogs.clipboard, ToQString(Node("スペル1")->patterns.Current()->WriteSXML(0)));
  EXPECT_TRUE(dialogs.clipboard.startsWith(QStringLiteral("(pattern")));
  // With several nodes selected there is no current node.
  dialogs.clipboard.clear();
  Click(Item("道中"), Qt::ControlModifier);
  Action("Copy1")->trigger();
  EXPECT_EQ(dialogs.clipboard, QString());
}

}  // namespace
}  // namespace qvl

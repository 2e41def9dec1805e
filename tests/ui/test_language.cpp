// The window's language: switched from the menu in a running window, every
// text the window gives changes at once and comes back byte for byte, and
// nothing typed is lost; the command-line option.
#include <QAbstractButton>
#include <QAccessible>
#include <QCategoryAxis>
#include <QChart>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>

#include <map>

#include "EditorFixture.h"
#include "ui/Language.h"
#include "ui/ScoreChart.h"

namespace qvl {
namespace {

// Texts of the window by where they are shown, for comparing whole states.
using texts_t = std::map<QString, QString>;

void AddMenuTexts(texts_t& out, const QMenu& menu, const QString& path) {
  out[path] = menu.title();
  for (const QAction* a : menu.actions()) {
    if (a->isSeparator()) continue;
    const QString at =
        path + QStringLiteral(" > ") + (a->menu() ? a->menu()->objectName() : a->objectName());
    if (a->menu() != nullptr) {
      AddMenuTexts(out, *a->menu(), at);
    } else {
      out[at] = a->text();
    }
  }
}

void AddGridTexts(texts_t& out, const TKwGrid& grid, const QString& name) {
  for (int c = 0; c < grid.ColCount(); ++c) {
    for (int r = 0; r < grid.RowCount(); ++r) {
      const QString at = QStringLiteral("%1(%2,%3)").arg(name).arg(c).arg(r);
      out[at] = grid.CellText(c, r);
      const int style = grid.CellStyles().FindStyle(c, r);
      if (style < 0) continue;
      const TCellStyle& s = grid.CellStyles().Item(style);
      out[at + QStringLiteral(" text")] = s.Text();
      out[at + QStringLiteral(" description")] = s.Description();
    }
  }
}

// Everything the window says to a player: controls, menus, both grids,
// accessible names, caption, status panels 1 to 5 and the chart. Panel 0
// holds the passing hint under the mouse or in the cell, not a text of the
// window's own.
texts_t WindowTexts(TMainWnd& w, TScoreChartWindow& chart) {
  texts_t out;
  out[QStringLiteral("caption")] = w.windowTitle();
  for (const QWidget* widget : w.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty() || name == QStringLiteral("StatusPanel0")) continue;
    out[name + QStringLiteral(" accessible")] = widget->accessibleName();
    if (const auto* b = qobject_cast<const QAbstractButton*>(widget)) out[name] = b->text();
    if (const auto* l = qobject_cast<const QLabel*>(widget)) out[name] = l->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(widget)) out[name] = g->title();
  }
  for (const QAction* a : w.menuBar()->actions()) {
    AddMenuTexts(out, *a->menu(), a->menu()->objectName());
  }
  AddMenuTexts(out, *w.findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu")),
               QStringLiteral("popup"));
  AddGridTexts(out, *w.findChild<TKwGrid*>(QStringLiteral("InputKwGrid")), QStringLiteral("in"));
  AddGridTexts(out, *w.findChild<TKwGrid*>(QStringLiteral("OutputKwGrid")), QStringLiteral("out"));
  out[QStringLiteral("chart caption")] = chart.windowTitle();
  out[QStringLiteral("chart accessible")] = chart.View().accessibleName();
  out[QStringLiteral("chart save")] =
      chart.findChild<QAbstractButton*>(QStringLiteral("ScoreChartSaveButton"))->text();
  QChart& c = *chart.View().chart();
  for (QAbstractAxis* axis : c.axes()) {
    const int side = axis->alignment().toInt();
    out[QStringLiteral("axis %1").arg(side)] = axis->titleText();
    if (auto* categories = qobject_cast<QCategoryAxis*>(axis)) {
      out[QStringLiteral("axis %1 labels").arg(side)] =
          categories->categoriesLabels().join(QLatin1Char('|'));
    }
  }
  for (const QAbstractSeries* s : c.series())
    out[QStringLiteral("series ") + s->name()] = s->name();
  return out;
}

// Where two states of the window differ, one line each.
QStringList Differences(const texts_t& now, const texts_t& before) {
  QStringList out;
  for (const auto& [where, text] : before) {
    const auto found = now.find(where);
    if (found == now.end()) {
      out << where + QStringLiteral(" is gone");
    } else if (found->second != text) {
      out << where + QStringLiteral(": ") + found->second + QStringLiteral(" instead of ") + text;
    }
  }
  for (const auto& [where, text] : now) {
    if (!before.contains(where)) out << where + QStringLiteral(" is new: ") + text;
  }
  return out;
}

// Japanese script in a text.
bool HasJapanese(const QString& text) {
  static const QRegularExpression japanese(
      QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
  return text.contains(japanese);
}

class LanguageTest : public PatternEditorTest {
 protected:
  void TearDown() override {
    // Whatever happened, the next test meets the Japanese window.
    SetWindowLanguage(language_t::Japanese);
    QCoreApplication::processEvents();
    PatternEditorTest::TearDown();
  }

  // 表示(&V) > 言語 / Language(&L) > the language's access key, from the
  // keyboard; the windows retranslate on the event that follows.
  void ChooseLanguage(Qt::Key access_key) {
    Key(Qt::Key_V, Qt::AltModifier);
    Key(Qt::Key_L);
    Key(access_key);
    QCoreApplication::processEvents();
    // The offscreen platform leaves the closed submenu the active window,
    // where a desktop gives the activation back to the main window.
    Activate();
  }

  // The question of 削除(&D), answered No.
  QString DeleteQuestion() {
    dialogs.Clear();
    dialogs.confirms.push_back(false);
    QTest::mouseClick(Button("DeleteButton"), Qt::LeftButton);
    return dialogs.Texts(QStringLiteral("confirm")).value(0);
  }
};

TEST_F(LanguageTest, TheWindowSwitchesToEnglishAndBackWithoutLosingInput) {
  TMainWnd& w = Open();
  Select("スペル1");
  Activate();
  Tree()->setFocus();
  Key(Qt::Key_G, Qt::ControlModifier);  // スコア推移(&G)
  ASSERT_NE(w.ScoreChart(), nullptr);
  TScoreChartWindow& chart = *w.ScoreChart();
  // Smallest, the value axes count in units: 万 and 億, or k, M and B.
  chart.resize(1, 1);
  QCoreApplication::processEvents();
  Activate();
  const QString japanese_question = DeleteQuestion();
  // Unapplied input: a memo and a cell still open in its editor.
  QTest::mouseClick(Control("NewMemo"), Qt::LeftButton);
  QTest::keyClicks(Control("NewMemo"), QStringLiteral("memo"));
  TypeInto(4, QStringLiteral("7+8"));
  // The undo item names the memo's typing once the menu has been open.
  Key(Qt::Key_E, Qt::AltModifier);
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
  const texts_t japanese = WindowTexts(w, chart);
  ASSERT_EQ(japanese.at(QStringLiteral("CalcButton")), QStringLiteral("算出(&C)"));
  ASSERT_TRUE(japanese.at(QStringLiteral("axis 1 labels")).contains(QStringLiteral("万")));

  ChooseLanguage(Qt::Key_E);
  EXPECT_EQ(WindowLanguage(), language_t::English);
  const texts_t english = WindowTexts(w, chart);
  const struct {
    const char* where;
    const char* text;
  } expected[] = {
      {"caption", "Quovel Pattern Manager v0.04 - "},
      {"File1", "&File"},
      {"File1 > SaveAs1", "Save &As..."},
      {"File1 > Recent1 > ClearRecentFiles", "Clear List"},
      {"Edit1 > Copy1", "&Copy Old Pattern"},
      {"View1 > ScoreChart1", "Score &Graph"},
      {"View1 > Language1 > English1", "English(&E)"},
      {"Help1 > About1", "&About..."},
      {"popup > P1", "Choose &Patterns by Title"},
      {"SceneMemoGroupBox", "Scene memo"},
      {"SceneMemoApplyButton", "Apply &memo"},
      {"OutputGroupBox", "Output"},
      {"InputGroupBox", "Input"},
      {"NewGetSpellCheckBox", "Spell card captured"},
      {"NewGetSpellCheckBox accessible", "Spell card captured (new pattern)"},
      {"GroupingCheckBox", "As a whole"},
      {"MemoLabel", "Memo"},
      {"NewTitleLabeledEditLabel", "Title"},
      {"CalcButton", "&Calculate"},
      {"NewButton", "&New"},
      {"ApplyButton", "&Apply"},
      {"DeleteButton", "&Delete"},
      {"SceneView accessible", "Scene tree"},
      {"StatusBar accessible", "Status bar"},
      {"in(3,0)", "Difference"},
      {"out(2,0)", "Old pattern"},
      {"out(4,0)", "Difference"},
      {"out(1,3)", "On later border bonuses"},
      {"out(1,12)", "Enemy bullet bonus"},
      {"out(0,1) text", "Border bonus"},
      {"out(0,6) text", "Graze"},
      {"out(0,13) text", "Total"},
      {"chart caption", "Score Graph"},
      {"chart save", "&Save to File"},
      {"axis 64", "Position on the route (by stage)"},
      {"axis 1", "Running score"},
      {"axis 2", "Score at each position"},
      {"series Running score", "Running score"},
  };
  for (const auto& e : expected) {
    const QString where = QString::fromUtf8(e.where);
    ASSERT_TRUE(english.contains(where)) << e.where;
    EXPECT_TRUE(english.at(where).startsWith(QString::fromUtf8(e.text)))
        << e.where << ": " << english.at(where).toStdString();
  }
  static const QRegularExpression ticks(QStringLiteral("^(-?[0-9,]+[kMB]?\\|?)+$"));
  for (const char* side : {"axis 1 labels", "axis 2 labels"}) {
    const QString labels = english.at(QString::fromLatin1(side));
    EXPECT_TRUE(ticks.match(labels).hasMatch()) << side << ": " << labels.toStdString();
  }
  EXPECT_TRUE(english.at(QStringLiteral("axis 1 labels"))
                  .contains(QRegularExpression(QStringLiteral("[kMB]"))));
  // Nothing the window or the core says stays Japanese: what still is comes
  // from the document (titles, memo) or names the languages themselves.
  for (const auto& [where, text] : english) {
    if (where.startsWith(QStringLiteral("View1 > Language1")) ||
        where == QStringLiteral("caption")) {
      continue;
    }
    EXPECT_FALSE(HasJapanese(text)) << where.toStdString() << ": " << text.toStdString();
  }

  ChooseLanguage(Qt::Key_J);
  EXPECT_EQ(WindowLanguage(), language_t::Japanese);
  EXPECT_EQ(Differences(WindowTexts(w, chart), japanese), QStringList());
  // The typing survived both switches: the cell is still open with its text.
  EXPECT_EQ(Control<QPlainTextEdit>("NewMemo")->toPlainText(), QStringLiteral("memo"));
  ASSERT_TRUE(In()->EditorOpen());
  EXPECT_EQ(In()->Editor()->text(), QStringLiteral("7+8"));
  EXPECT_TRUE(w.PatternEdited());
  EXPECT_EQ(w.CurrentNode(), Node("スペル1"));

  // A question names its pattern in a whole sentence of either language.
  EXPECT_EQ(DeleteQuestion(), japanese_question);
  EXPECT_EQ(NewText(4), QStringLiteral("7+8"));
  ChooseLanguage(Qt::Key_E);
  EXPECT_EQ(DeleteQuestion(), QStringLiteral("Delete the pattern “取得” being edited?"));
  dialogs.Clear();
}

TEST_F(LanguageTest, ADifferenceOfARowNotCalculatedYetStaysAcrossTheSwitch) {
  Open();
  Select("道中");
  Activate();
  ClickCell(2, 1);
  ASSERT_TRUE(In()->EditorOpen());
  QTest::keyClick(In()->Editor(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(In()->Editor(), QStringLiteral("5*5"));
  // A click on the title box takes the text in as typed, uncalculated.
  QTest::mouseClick(Control("NewTitleLabeledEdit"), Qt::LeftButton);
  ASSERT_FALSE(In()->EditorOpen());
  ASSERT_EQ(NewText(1), QStringLiteral("5*5"));
  const QString difference = DiffText(1);
  ASSERT_FALSE(difference.isEmpty());
  ChooseLanguage(Qt::Key_E);
  EXPECT_EQ(DiffText(1), difference);
  ChooseLanguage(Qt::Key_J);
  EXPECT_EQ(DiffText(1), difference);
}

TEST_F(LanguageTest, ARememberingWindowKeepsTheChoice) {
  for (const bool remembers : {false, true}) {
    SCOPED_TRACE(remembers);
    QSettings().remove(QStringLiteral("language"));
    TMainWnd& w = Open();
    if (remembers) w.RememberSettings();
    Activate();
    Tree()->setFocus();
    ChooseLanguage(Qt::Key_E);
    EXPECT_EQ(StoredLanguage(), remembers ? language_t::English : language_t::Japanese);
    ChooseLanguage(Qt::Key_J);
    window.reset();
  }
  QSettings().clear();
}

TEST(LanguageOptionTest, TakesTheOptionOutOfTheArguments) {
  const struct {
    QStringList arguments;
    std::optional<language_t> language;
    bool error;
    QStringList rest;
  } cases[] = {
      {{QStringLiteral("a.pat")}, std::nullopt, false, {QStringLiteral("a.pat")}},
      {{QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("a.pat")},
       language_t::English,
       false,
       {QStringLiteral("a.pat")}},
      {{QStringLiteral("a.pat"), QStringLiteral("--lang=ja")},
       language_t::Japanese,
       false,
       {QStringLiteral("a.pat")}},
      {{QStringLiteral("--lang=en"), QStringLiteral("--lang"), QStringLiteral("ja")},
       language_t::Japanese,
       false,
       {}},
      {{QStringLiteral("--lang")}, std::nullopt, true, {}},
      {{QStringLiteral("--lang"), QStringLiteral("de")}, std::nullopt, true, {}},
      {{QStringLiteral("--lang=")}, std::nullopt, true, {}},
  };
  for (const auto& c : cases) {
    QStringList arguments = c.arguments;
    const language_option_t taken = TakeLanguageOption(arguments);
    SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(taken.language, c.language);
    EXPECT_EQ(!taken.error.isEmpty(), c.error);
    if (!c.error) {
      EXPECT_EQ(arguments, c.rest);
    }
  }
}

}  // namespace
}  // namespace qvl

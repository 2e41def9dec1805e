// What assistive technology finds in the main window and the chart window:
// the Japanese a sighted player reads, roles, and the status panels' values
// in words, announced as they change.
#include <QAccessible>
#include <QRegularExpression>

#include <vector>

#include "EditorFixture.h"
#include "grid/KwGridAccessible.h"
#include "model/qvl_status.h"
#include "ui/ScoreChart.h"

namespace qvl {
namespace {

struct heard_t {
  const char* object;
  const char* name;
  QAccessible::Role role;
};

// Every accessible below iface that stands for a widget.
void CollectWidgets(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& out) {
  if (!iface) return;
  if (iface->object() && iface->object()->isWidgetType()) out.push_back(iface);
  for (int i = 0; i < iface->childCount(); ++i) CollectWidgets(iface->child(i), out);
}

QStringList Numbers(const QString& text) {
  QStringList numbers;
  for (const auto& m : QRegularExpression(QStringLiteral("\\d+")).globalMatch(text)) {
    numbers << m.captured();
  }
  return numbers;
}

class AccessibilityTest : public PatternEditorTest {
 protected:
  TScoreChartWindow& OpenChart() {
    Activate();
    Key(Qt::Key_G, Qt::ControlModifier);
    TScoreChartWindow* chart = window->ScoreChart();
    EXPECT_NE(chart, nullptr);
    return *chart;
  }
  QWidget* Panel(int i) const {
    return Control(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData());
  }
};

TEST_F(AccessibilityTest, EveryControlIsHeardByItsJapaneseNameAndRole) {
  Open();
  Select("2面道中");
  TScoreChartWindow& chart = OpenChart();
  const heard_t table[] = {
      {"SceneView", "場面ツリー", QAccessible::Tree},
      {"SceneMemo", "場面別メモ", QAccessible::EditableText},
      {"SceneMemoApplyButton", "更新(M)", QAccessible::PushButton},
      {"OutputKwGrid", "出力", QAccessible::Table},
      {"InputKwGrid", "入力", QAccessible::Table},
      {"OldMemo", "旧パターンのメモ", QAccessible::EditableText},
      {"NewMemo", "新パターンのメモ", QAccessible::EditableText},
      {"NewTitleLabeledEdit", "タイトル", QAccessible::EditableText},
      {"OldTitleComboBox", "旧パターン", QAccessible::ComboBox},
      {"NewTitleComboBox", "新パターン", QAccessible::ComboBox},
      {"OldGetSpellCheckBox", "スペルカード取得（旧パターン）", QAccessible::CheckBox},
      {"NewGetSpellCheckBox", "スペルカード取得（新パターン）", QAccessible::CheckBox},
      {"CalcButton", "算出(C)", QAccessible::PushButton},
      {"NewButton", "新規(N)", QAccessible::PushButton},
      {"ApplyButton", "更新(A)", QAccessible::PushButton},
      {"DeleteButton", "削除(D)", QAccessible::PushButton},
      {"GroupingCheckBox", "まとめて記述", QAccessible::CheckBox},
      {"ScoreChartWindow", "スコア推移", QAccessible::Window},
      {"ScoreChartView", "スコア推移のグラフ", QAccessible::Chart},
      {"ScoreChartSaveButton", "ファイルに保存(S)", QAccessible::PushButton},
  };
  for (const heard_t& h : table) {
    SCOPED_TRACE(h.object);
    const QString object = QString::fromLatin1(h.object);
    QWidget* w = object == chart.objectName() ? &chart : window->findChild<QWidget*>(object);
    if (!w) w = chart.findChild<QWidget*>(object);
    ASSERT_NE(w, nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(h.name));
    EXPECT_EQ(iface->role(), h.role);
  }

  // Nothing anywhere is heard by its object name.
  std::vector<QAccessibleInterface*> all;
  CollectWidgets(QAccessible::queryAccessibleInterface(window.get()), all);
  CollectWidgets(QAccessible::queryAccessibleInterface(&chart), all);
  EXPECT_GT(all.size(), std::size(table));
  for (QAccessibleInterface* iface : all) {
    const QString object = iface->object()->objectName();
    EXPECT_TRUE(object.isEmpty() || iface->text(QAccessible::Name) != object)
        << object.toStdString();
  }

  // The panels say what they count and the numbers they show; panel 0 its hint.
  const status_panels_t expected = StatusPanels(*Node("2面道中"));
  for (int i = 1; i <= 5; ++i) {
    SCOPED_TRACE(i);
    const QString heard = QAccessible::queryAccessibleInterface(Panel(i))->text(QAccessible::Name);
    EXPECT_EQ(heard, ToQString(expected.spoken[static_cast<std::size_t>(i - 1)]));
    EXPECT_EQ(Numbers(heard), Numbers(PatternEditorTest::Panel(i)));
  }
  ASSERT_TRUE(In()->FocusCell(1, 6));
  ASSERT_FALSE(PatternEditorTest::Panel(0).isEmpty());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Panel(0))->text(QAccessible::Name),
            PatternEditorTest::Panel(0));
}

struct name_change_t {
  QObject* object;
  QString name;
};
std::vector<name_change_t> g_nameChanges;

void RecordNameChange(QAccessibleEvent* e) {
  if (e->type() != QAccessible::NameChanged) return;
  g_nameChanges.push_back({e->object(), e->accessibleInterface()->text(QAccessible::Name)});
}

TEST_F(AccessibilityTest, AStatusPanelAnnouncesItsNewValueAsANameChange) {
  Open();
  Select("道中");
  g_nameChanges.clear();
  const TKwGridAccessibleListener previous = SetKwGridAccessibleListener(&RecordNameChange);
  Select("2面道中");
  const std::vector<name_change_t> changes = g_nameChanges;
  Select("2面");  // nothing before its first scene: the same values
  const std::size_t after_same = g_nameChanges.size();
  SetKwGridAccessibleListener(previous);

  std::vector<QString> panel3;
  for (const name_change_t& c : changes) {
    if (c.object == Panel(3)) panel3.push_back(c.name);
  }
  // Once, with the new value: 30 point items of 道中 before the second stage.
  EXPECT_EQ(panel3, std::vector<QString>{QStringLiteral("得点アイテム 30")});
  // A panel whose value stays says nothing.
  EXPECT_EQ(after_same, changes.size());
}

}  // namespace
}  // namespace qvl

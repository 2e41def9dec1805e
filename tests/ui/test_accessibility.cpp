// What assistive technology finds in the main window and the chart window:
// the Japanese a sighted player reads, roles, and the status panels' values
// in words, announced as they change.
#include <QAccessible>
#include <QRegularExpression>
#include <QSet>

#include <vector>

#include "EditorFixture.h"
#include "grid/KwGridAccessible.h"
#include "model/qvl_status.h"
#include "ui/ScoreChart.h"

namespace qvl {
namespace {

// An object's accessible, or a part of it that stands for no widget of its own.
using part_t = QAccessibleInterface* (*)(QAccessibleInterface* whole);

struct heard_t {
  const char* object;
  const char* name;
  QAccessible::Role role;
  part_t part = nullptr;
};

// The selected item of a list.
QAccessibleInterface* SelectedItem(QAccessibleInterface* list) {
  for (int i = 0; list && i < list->childCount(); ++i) {
    if (list->child(i)->state().selected) return list->child(i);
  }
  return nullptr;
}

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
  Activate();
  Key(Qt::Key_F1);  // the guide
  const heard_t table[] = {
      {"SceneView", "場面ツリー", QAccessible::Tree},
      // Its hidden header, which Qt would call "1".
      {"SceneView", "場面", QAccessible::ColumnHeader,
       [](QAccessibleInterface* t) { return t->child(0); }},
      {"SceneMemo", "場面別メモ", QAccessible::EditableText},
      {"SceneMemoApplyButton", "更新(M)", QAccessible::PushButton},
      {"OutputKwGrid", "出力", QAccessible::Table},
      {"InputKwGrid", "入力", QAccessible::Table},
      // The headers of the old and the new column, which the title boxes cover.
      {"InputKwGrid", "旧パターン", QAccessible::ColumnHeader,
       [](QAccessibleInterface* t) {
         return t->tableInterface()->cellAt(3, 1)->tableCellInterface()->columnHeaderCells().value(
             0);
       }},
      {"InputKwGrid", "新パターン", QAccessible::ColumnHeader,
       [](QAccessibleInterface* t) {
         return t->tableInterface()->cellAt(3, 2)->tableCellInterface()->columnHeaderCells().value(
             0);
       }},
      {"OldMemo", "旧パターンのメモ", QAccessible::EditableText},
      {"NewMemo", "新パターンのメモ", QAccessible::EditableText},
      {"NewTitleLabeledEdit", "タイトル", QAccessible::EditableText},
      {"OldTitleComboBox", "旧パターン", QAccessible::ComboBox},
      {"NewTitleComboBox", "新パターン", QAccessible::ComboBox},
      // The title a box shows: the selected item of its list.
      {"OldTitleComboBox", "普通", QAccessible::ListItem,
       [](QAccessibleInterface* box) { return SelectedItem(box->child(0)); }},
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
      {"HelpWindow", "Quovelパターンマネージャ 使い方", QAccessible::Window},
      {"HelpBrowser", "使い方の本文", QAccessible::Document},
  };
  for (const heard_t& h : table) {
    SCOPED_TRACE(h.object);
    const QString object = QString::fromLatin1(h.object);
    QWidget* w = object == chart.objectName() ? &chart : window->findChild<QWidget*>(object);
    if (!w) w = chart.findChild<QWidget*>(object);
    ASSERT_NE(w, nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (iface && h.part) iface = h.part(iface);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(h.name));
    EXPECT_EQ(iface->role(), h.role);
  }
  // A title box is heard with the title it shows, after its name.
  for (const char* box : {"OldTitleComboBox", "NewTitleComboBox"}) {
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(Control(box))->textInterface();
    ASSERT_NE(text, nullptr) << box;
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("普通")) << box;
  }
  // The comparison's rows are named by their group and their own label.
  QAccessibleTableInterface* out = QAccessible::queryAccessibleInterface(Out())->tableInterface();
  EXPECT_EQ(out->rowDescription(1), QStringLiteral("ボーダーボーナス"));
  EXPECT_EQ(out->rowDescription(4), QStringLiteral("桜点: 後の得点アイテムへの影響"));
  EXPECT_EQ(out->rowDescription(7), QStringLiteral("かすり: 後のボーナスアイテムへの影響"));
  EXPECT_EQ(out->rowDescription(12), QStringLiteral("etc: 敵弾消しボーナス"));
  QSet<QString> rows;
  for (int r = 1; r <= 13; ++r) rows.insert(out->rowDescription(r));
  EXPECT_EQ(rows.size(), 13);

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

TEST_F(AccessibilityTest, TheComparisonsDescriptionIsNotTheHintUnderTheMouse) {
  Open();
  Select("道中");
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(Out());
  const QString before = table->text(QAccessible::Description);
  QTest::mouseMove(Out()->viewport(), Out()->CellRect(3, 4).center());
  ASSERT_FALSE(Out()->toolTip().isEmpty());
  EXPECT_EQ(table->text(QAccessible::Description), before);
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

// The window's side of the pattern editor, the comparison table and the
// status bar: the grids' set-up, clearing, row labels, editability, showing a
// node or a multiple selection, and the discard question of pattern edits.
// The commands that change patterns build on these operations.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>

#include "grid/KwGrid.h"
#include "model/qvl_editor.h"
#include "model/qvl_status.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"

namespace qvl {
namespace {

const QColor kNewColumnColor{255, 240, 245};
const QColor kPositiveColor{221, 221, 255};
const QColor kNegativeColor{255, 221, 221};
constexpr int kInputRows = 10;   // rows 1..10 of the input grid
constexpr int kOutputRows = 13;  // rows 1..13 of the comparison grid

TCellStyle& AddRangeStyle(TKwGrid& grid, int col_left, int row_top, int col_right, int row_bottom) {
  TCellStyle& s = grid.CellStyles().Add();
  s.SetRect(col_left, row_top, col_right, row_bottom);
  return s;
}

TCellStyle& AddCellStyle(TKwGrid& grid, int col, int row) {
  TCellStyle& s = grid.CellStyles().Add();
  s.SetColLeft(col);
  s.SetRowTop(row);
  s.SetColRight(col);
  s.SetRowBottom(row);
  s.SetRange(false);
  return s;
}

// The style that governs a cell, or null.
TCellStyle* StyleOf(TKwGrid& grid, int col, int row) {
  const int index = grid.CellStyles().FindStyle(col, row);
  return index < 0 ? nullptr : &grid.CellStyles().Item(index);
}

void CommonGridLooks(TKwGrid& grid, const QColor& shadow) {
  grid.SetBorderStyle(bsNone);
  grid.SetGridLineColor(shadow);
  grid.SetAlignment(taRight);
  grid.setFont(GridFont());
  grid.Fonts().Clear();
  grid.Fonts().Add(UiFont());
  grid.Fonts().Add(GridFont(), Qt::black);
}

// A difference cell: its signed text on white (0), light blue (positive) or
// light red (negative), carried by the cell's own style.
void SetDifferenceCell(TKwGrid& grid, int col, int row, score_t d) {
  TCellStyle* style = StyleOf(grid, col, row);
  if (!style) return;
  style->SetCellColor(d == 0 ? QColor(Qt::white) : d > 0 ? kPositiveColor : kNegativeColor);
  grid.SetCells(col, row, ToQString(DifferenceText(d)));
}

// Rows 1 to 10 of the old (1) or new (2) column from a pattern.
void FillColumnValues(TKwGrid& grid, int col, const pattern_base_t& pattern) {
  const editor_column_t values = PatternColumn(pattern);
  grid.BeginUpdate();
  for (int r = 1; r <= kInputRows; ++r) {
    grid.SetCells(col, r, static_cast<std::int64_t>(values[static_cast<std::size_t>(r - 1)]));
  }
  grid.EndUpdate();
}

}  // namespace

void TMainWnd::PrepareEditor() {
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor face = palette().color(QPalette::Button);

  TKwGrid& in = *m_inputKwGrid;
  CommonGridLooks(in, shadow);
  in.SetCellColor(face);
  in.SetColCount(4);
  in.SetRowCount(11);
  in.SetFixedCols(1);
  in.SetFixedRows(1);
  in.SetColWidths({155, 152, 152, 100});
  in.SetRowHeights({24, 24, 25, 24, 23, 24, 24, 24, 23, 24, 24});
  in.SetEditMode(ceAlwayShowEditor);
  in.SetWrap(false);
  in.SetScrollBars(ssNone);
  AddRangeStyle(in, 1, 0, 3, 0).SetAlignment(taCenter);
  {
    TCellStyle& labels = AddRangeStyle(in, 0, 1, 0, kInputRows);
    labels.SetAlignment(taLeft);
    labels.SetFontIndex(0);
  }
  AddRangeStyle(in, 1, 1, 1, kInputRows).SetReadOnly(true);
  {
    TCellStyle& column = AddRangeStyle(in, 2, 1, 2, kInputRows);
    column.SetCellColor(kNewColumnColor);
    column.SetFontIndex(1);
  }
  // Every cell of the new and the difference column gets a style of its own:
  // it carries the cell's read-only flag and the difference's colour.
  for (int r = 1; r <= kInputRows; ++r) {
    TCellStyle& cell = AddCellStyle(in, 2, r);
    cell.SetCellColor(kNewColumnColor);
    cell.SetFontIndex(1);
    cell.SetReadOnly(true);
  }
  for (int r = 1; r <= kInputRows; ++r) AddCellStyle(in, 3, r).SetReadOnly(true);

  TKwGrid& out = *m_outputKwGrid;
  CommonGridLooks(out, shadow);
  out.SetColCount(5);
  out.SetRowCount(14);
  out.SetFixedCols(2);
  out.SetFixedRows(1);
  out.SetColWidths({50, 177, 116, 116, 100});
  out.SetRowHeights({24, 24, 24, 24, 24, 24, 27, 24, 24, 23, 23, 24, 24, 24});
  out.SetScrollBars(ssNone);
  AddRangeStyle(out, 2, 0, 4, 0).SetAlignment(taCenter);
  AddRangeStyle(out, 2, 1, 3, kOutputRows).SetReadOnly(true);
  {
    TCellStyle& labels = AddRangeStyle(out, 1, 1, 1, kOutputRows);
    labels.SetAlignment(taLeft);
    labels.SetFontIndex(0);
  }
  struct group_label_t {
    int col_right, row_top, row_bottom;
    const char* text;
  };
  static const group_label_t kGroupLabels[] = {
      {1, 1, 1, "ボーダーボーナス"}, {1, 2, 2, "桜点Max"}, {0, 3, 5, "桜点"},  {0, 6, 8, "かすり"},
      {1, 9, 9, "得点アイテム"},     {0, 10, 12, "etc"},   {1, 13, 13, "合計"}};
  for (const group_label_t& g : kGroupLabels) {
    TCellStyle& s = AddRangeStyle(out, 0, g.row_top, g.col_right, g.row_bottom);
    s.SetAlignment(taCenter);
    s.SetFontIndex(0);
    s.SetJoint(true);
    s.SetText(QString::fromUtf8(g.text));
  }
  for (int r = 1; r <= kOutputRows; ++r) AddCellStyle(out, 4, r).SetReadOnly(true);

  SetRowLabels(nullptr);
  SetEditable(false);
  WriteOutputLabels();
}

void TMainWnd::WriteOutputLabels() {
  TKwGrid& out = *m_outputKwGrid;
  out.SetCells(2, 0, QStringLiteral("旧パターン"));
  out.SetCells(3, 0, QStringLiteral("新パターン"));
  out.SetCells(4, 0, QStringLiteral("差"));
  static const char* const kRowLabels[] = {
      "後のボーダーボーナスへの影響",     "後の得点アイテムへの影響",
      "後のスペルカードボーナスへの影響", "それ自体",
      "後のボーナスアイテムへの影響",     "スペルカードボーナスへの影響"};
  for (int i = 0; i < 6; ++i) out.SetCells(1, 3 + i, QString::fromUtf8(kRowLabels[i]));
  out.SetCells(1, 10, QStringLiteral("ボーナスアイテム"));
  out.SetCells(1, 11, QStringLiteral("スペルカードボーナス基礎"));
  out.SetCells(1, 12, QStringLiteral("敵弾消しボーナス"));
}

void TMainWnd::ClearEditor() {
  TUpdating updating(*this);
  m_inputKwGrid->BeginUpdate();
  for (int r = 1; r <= kInputRows; ++r) SetDifferenceCell(*m_inputKwGrid, 3, r, 0);
  m_inputKwGrid->ClearAllCells();
  m_inputKwGrid->EndUpdate();
  m_outputKwGrid->BeginUpdate();
  for (int r = 1; r <= kOutputRows; ++r) SetDifferenceCell(*m_outputKwGrid, 4, r, 0);
  m_outputKwGrid->ClearAllCells();
  WriteOutputLabels();
  m_outputKwGrid->EndUpdate();
  m_oldTitleComboBox->clear();
  m_newTitleComboBox->clear();
  m_oldMemo->clear();
  m_newMemo->clear();
  m_newTitleLabeledEdit->clear();
  m_oldGetSpellCheckBox->setChecked(false);
  m_newGetSpellCheckBox->setChecked(false);
  m_groupingCheckBox->setChecked(false);
  for (int i = 1; i <= 3; ++i) SetStatusPanel(i, QString());
  m_sceneMemo->clear();
}

void TMainWnd::SetRowLabels(const scene_base_t* node) {
  const editor_node_t kind = EditorNodeOf(node);
  TKwGrid& in = *m_inputKwGrid;
  in.BeginUpdate();
  in.ClearAllCells();
  in.SetCells(3, 0, QStringLiteral("差"));
  for (int r = 1; r <= kInputRows; ++r) {
    const std::string label = EditorRowLabel(kind, r);
    if (!label.empty()) in.SetCells(0, r, ToQString(label));
  }
  in.EndUpdate();
  const bool spell_card = kind.is_scene && kind.kind == scene_kind_t::SpellCard;
  m_oldGetSpellCheckBox->setVisible(spell_card);
  m_newGetSpellCheckBox->setVisible(spell_card);
  m_groupingCheckBox->setVisible(dynamic_cast<const group_t*>(node) != nullptr);
}

void TMainWnd::SetEditable(bool on) {
  const editor_node_t kind = EditorNodeOf(m_currentNode);
  TKwGrid& in = *m_inputKwGrid;
  in.BeginUpdate();
  for (int r = 1; r <= kInputRows; ++r) {
    // The gained cherry follows the cherry max; forced-zero rows mean nothing.
    const bool fixed = r == 3 || (kind.is_scene && IsForcedZeroRow(kind, r));
    if (TCellStyle* style = StyleOf(in, 2, r)) style->SetReadOnly(!on || fixed);
  }
  in.EndUpdate();
  for (QWidget* w : std::initializer_list<QWidget*>{
           m_sceneMemoBox, m_newTitleComboBox, m_newGetSpellCheckBox, m_groupingCheckBox, m_newMemo,
           m_newTitleLabeledEdit, m_calcButton, m_newButton, m_applyButton, m_deleteButton}) {
    w->setEnabled(on);
  }
}

void TMainWnd::ShowSingleNode(scene_base_t& node) {
  {
    TUpdating updating(*this);
    m_sceneMemo->setPlainText(MemoToQString(node.memo));
  }
  StatusBarTotals(node);
  const auto* group = dynamic_cast<const group_t*>(&node);
  const bool editable = group == nullptr || group->grouping;
  if (editable) {
    SetEditable(true);
    if (node.patterns.Current() == nullptr) {
      node.NormalizePatterns();
      if (pattern_base_t* current = node.patterns.Current(); current && current->title.empty()) {
        current->title = "*untitled*";
      }
    }
    const pattern_base_t& current = node.CurrentPattern();
    {
      TUpdating updating(*this);
      FillColumnValues(*m_inputKwGrid, 1, current);
      FillColumnValues(*m_inputKwGrid, 2, current);
      m_groupingCheckBox->setChecked(group != nullptr && group->grouping);
      m_oldMemo->setPlainText(MemoToQString(current.memo));
      m_newMemo->setPlainText(MemoToQString(current.memo));
      m_newTitleLabeledEdit->setText(ToQString(current.title));
      const auto* scene_pattern = dynamic_cast<const pattern_t*>(&current);
      const bool captured = scene_pattern != nullptr && scene_pattern->getting_spell_card;
      m_oldGetSpellCheckBox->setChecked(captured);
      m_newGetSpellCheckBox->setChecked(captured);
    }
    ShowValue(2, node.CurrentExplanation());
    ShowValue(3, node.CompareWithCurrent(current));
  } else {
    SetEditable(false);
    m_groupingCheckBox->setEnabled(true);
    m_sceneMemoBox->setEnabled(true);
    {
      TUpdating updating(*this);
      FillColumnValues(*m_inputKwGrid, 1, node.OwnTotals());
    }
    ShowValue(2, node.CurrentExplanation());
  }
}

void TMainWnd::ShowMultipleSelection() {
  SetEditable(false);
  grouped_pattern_t sum;
  pattern_value_t value;
  for (QTreeWidgetItem* item : TopSelectedItems()) {
    scene_base_t* node = TSceneTreeView::NodeOf(item);
    if (node->IsInsideGrouping() || node->patterns.Count() == 0) continue;
    sum.Accumulate(node->OwnTotals());
    value.AddValues(node->CurrentValue());
  }
  {
    TUpdating updating(*this);
    FillColumnValues(*m_inputKwGrid, 1, sum);
  }
  ShowValue(2, std::move(value));
}

void TMainWnd::ShowValue(int column, pattern_value_t value) {
  TKwGrid& out = *m_outputKwGrid;
  out.BeginUpdate();
  for (int r = 1; r <= 12; ++r) out.SetCells(column, r, std::int64_t{value[r - 1].value});
  out.SetCells(column, 13, std::int64_t{value.Total()});
  out.EndUpdate();
  auto& kept = column == 2 ? m_oldValue : m_newValue;
  kept = std::make_unique<pattern_value_t>(std::move(value));
}

void TMainWnd::StatusBarTotals(scene_base_t& node) {
  const std::array<std::string, 5> texts = StatusPanelTexts(node);
  for (int i = 1; i <= 5; ++i) SetStatusPanel(i, ToQString(texts[static_cast<std::size_t>(i - 1)]));
}

QString TMainWnd::PatternDiscardQuestion() const {
  return QStringLiteral("パターン「") + m_newTitleComboBox->itemText(m_acceptedNewTitleIndex) +
         QStringLiteral("」の変更を破棄します。よろしいですか？");
}

bool TMainWnd::ConfirmDiscardPatternEdits() {
  if (!m_patternEdited) return true;
  if (!m_dialogs.Confirm(this, PatternDiscardQuestion())) return false;
  m_patternEdited = false;
  return true;
}

void TMainWnd::Copy1Click() {
  if (!m_currentNode) return;
  try {
    if (const pattern_base_t* current = m_currentNode->patterns.Current()) {
      m_dialogs.SetClipboardText(ToQString(current->WriteSXML(0)));
    }
  } catch (...) {
    // A failed copy leaves the clipboard as it was; nothing to report.
  }
}

}  // namespace qvl

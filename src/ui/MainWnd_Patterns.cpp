// The window's side of the pattern editor, the comparison table and the
// status bar: the grids' set-up, clearing, row labels, editability, showing a
// node or a multiple selection, the title combo boxes, the differences, the
// hints and the discard question of pattern edits. The commands that change
// patterns (MainWnd_Commands.cpp) build on these operations.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "calc/CalcCustom.h"
#include "grid/KwGrid.h"
#include "model/qvl_editor.h"
#include "model/qvl_messages.h"
#include "model/qvl_route.h"
#include "model/qvl_status.h"
#include "model/qvl_text.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/QtText.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

constexpr int kInputRows = 10;   // rows 1..10 of the input grid
constexpr int kOutputRows = 13;  // rows 1..13 of the comparison grid

// Changes inside repaint the grid once, also when the filling stops early.
class TGridUpdate {
 public:
  explicit TGridUpdate(TKwGrid& grid) : m_grid(grid) { m_grid.BeginUpdate(); }
  ~TGridUpdate() { m_grid.EndUpdate(); }
  TGridUpdate(const TGridUpdate&) = delete;
  TGridUpdate& operator=(const TGridUpdate&) = delete;

 private:
  TKwGrid& m_grid;
};

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
// light red (negative), carried by the cell's own style, which also says the
// colour's meaning to those who do not see it.
// A difference out of the score range is neither gain nor loss: it says so.
void SetDifferenceCell(TKwGrid& grid, int col, int row, checked_score_t d) {
  TCellStyle* style = StyleOf(grid, col, row);
  if (!style) return;
  const score_t v = d.Value();
  const bool plain = v == 0 || !d.InRange();
  style->SetCellColor(plain ? QColor(Qt::white) : v > 0 ? kGainColor : kLossColor);
  style->SetDescription(plain ? QString() : v > 0 ? TMainWnd::tr("増加") : TMainWnd::tr("減少"));
  grid.SetCells(col, row, ToQString(DifferenceText(d)));
}

// The text a comparison cell shows for a value out of the score range.
QString OutOfRangeText() {
  return ToQString(Message(message_t::ValueOutOfRange));
}

// A cell as a score, rounded like a pattern read from the editor, so that a
// fractional answer of the calculator is a number like any other. Empty for
// an empty cell or a text that is no number.
std::optional<checked_score_t> CellScore(const TCellValue& v) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return RoundToScore(*d);
  if (const auto* s = std::get_if<QString>(&v)) {
    // In either language: a cell keeps the word until it is shown afresh.
    for (const language_entry_t& l : kLanguages) {
      if (*s == ToQString(Message(message_t::ValueOutOfRange, l.language))) {
        return checked_score_t::OutOfRange();
      }
    }
    const TCellValue parsed = TextToCellValue(s->trimmed());
    if (IsNumericValue(parsed)) return CellScore(parsed);
  }
  return std::nullopt;
}

QString NotAnIntegerMessage(const QString& text) {
  return TMainWnd::tr("「%1」は整数ではありません。").arg(text);
}

// The difference column of a grid: new minus old, row by row. A cell that is
// no number stops the update with an error box, later rows keep their text;
// without dialogs, a row with a text not calculated yet has no difference
// until it is, unless kept says that its old cell is the one the difference
// was taken from: then the difference stays, said afresh.
bool UpdateDifferences(TKwGrid& grid, int old_col, int new_col, int diff_col, int rows,
                       TDialogs* dialogs, QWidget* parent,
                       const std::function<bool(int row)>& kept = {}) {
  TGridUpdate update(grid);
  for (int r = 1; r <= rows; ++r) {
    const std::optional<checked_score_t> n = CellScore(grid.Cells(new_col, r));
    const std::optional<checked_score_t> o = CellScore(grid.Cells(old_col, r));
    if ((!n || !o) && dialogs == nullptr && kept && kept(r)) {
      if (const std::optional<checked_score_t> d = CellScore(grid.Cells(diff_col, r))) {
        SetDifferenceCell(grid, diff_col, r, *d);
      }
      continue;
    }
    if ((!n || !o) && dialogs == nullptr) {
      SetDifferenceCell(grid, diff_col, r, 0);
      grid.SetCells(diff_col, r, QString());
      continue;
    }
    if (!n || !o) {
      dialogs->Error(parent, NotAnIntegerMessage(grid.CellText(n ? old_col : new_col, r)));
      return false;
    }
    SetDifferenceCell(grid, diff_col, r, *n - *o);
  }
  return true;
}

// Sorted like the titles of a sorted list box: letter case aside first.
int CompareTitles(const QString& a, const QString& b) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  return folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive);
}

// The items of a list's titles; the caller selects one.
void FillTitleComboBox(QComboBox& box, const pattern_base_list_t& list) {
  box.clear();
  for (int i = 0; i < list.Count(); ++i) {
    const pattern_base_t* p = list.Items(i);
    const QString text = ToQString(p->title);
    // After the items it does not sort before, so equal titles keep the
    // list's order.
    int lo = 0;
    int hi = box.count();
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (CompareTitles(text, box.itemText(mid)) < 0) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    box.insertItem(lo, text, i);
  }
}

// The row labels of the comparison table's column 1, rows 3 to 8 and 10 to 12.
// Translated where they are shown (TMainWnd::tr).
const std::array<const char*, 9> kOutputRowLabels{
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "後のボーダーボーナスへの影響"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "後の得点アイテムへの影響"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "後のスペルカードボーナスへの影響"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "それ自体"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "後のボーナスアイテムへの影響"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "スペルカードボーナスへの影響"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "ボーナスアイテム"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "スペルカードボーナス基礎"),
    QT_TRANSLATE_NOOP("qvl::TMainWnd", "敵弾消しボーナス")};
// The comparison table's column 0 (and 1 where col_right is 1): what a row or
// a run of rows is about.
struct group_label_t {
  int col_right, row_top, row_bottom;
  const char* text;
};
const group_label_t kGroupLabels[] = {
    {1, 1, 1, QT_TRANSLATE_NOOP("qvl::TMainWnd", "ボーダーボーナス")},
    {1, 2, 2, QT_TRANSLATE_NOOP("qvl::TMainWnd", "桜点Max")},
    {0, 3, 5, QT_TRANSLATE_NOOP("qvl::TMainWnd", "桜点")},
    {0, 6, 8, QT_TRANSLATE_NOOP("qvl::TMainWnd", "かすり")},
    {1, 9, 9, QT_TRANSLATE_NOOP("qvl::TMainWnd", "得点アイテム")},
    {0, 10, 12, "etc"},
    {1, 13, 13, QT_TRANSLATE_NOOP("qvl::TMainWnd", "合計")}};
constexpr int kInputLabelWidth = 155;
constexpr int kOutputLabelWidth = 177;
constexpr int kCellMargin = 4;  // the grids' horizontal margin on either side

}  // namespace

int TMainWnd::LabelExtraWidth() {
  // Labels are drawn in font 0 between the margins, left of the grid line.
  const QFontMetrics fm(UiFont());
  const auto room = [&fm](const QString& text) {
    return fm.horizontalAdvance(text) + 2 * kCellMargin + 1;
  };
  int input = kInputLabelWidth;
  std::vector<editor_node_t> kinds{editor_node_t{false, scene_kind_t::Dummy}};
  for (const scene_kind_t k :
       {scene_kind_t::Way, scene_kind_t::NormalAttack,
        scene_kind_t::NormalAttackWithEnemyBulletBonus, scene_kind_t::SpellCard}) {
    kinds.push_back(editor_node_t{true, k});
  }
  for (const editor_node_t& kind : kinds) {
    for (int r = 1; r <= kInputRows; ++r) {
      input = std::max(input, room(ToQString(EditorRowLabel(kind, r))));
    }
  }
  int output = kOutputLabelWidth;
  for (const char* label : kOutputRowLabels) output = std::max(output, room(tr(label)));
  // Both label columns grow alike, so that both grids keep filling the pane.
  return std::max(input - kInputLabelWidth, output - kOutputLabelWidth);
}

void TMainWnd::FitValueColumns() {
  constexpr std::array<int, 3> kDesigned{116, 116, 100};
  TKwGrid& out = *m_editor.outputKwGrid;
  std::array<int, 3> widths{};
  for (std::size_t i = 0; i < widths.size(); ++i) {
    widths[i] = std::max(kDesigned[i], out.TextColWidth(static_cast<int>(i) + 2, 1));
  }
  const int extra =
      widths[0] + widths[1] + widths[2] - (kDesigned[0] + kDesigned[1] + kDesigned[2]);
  m_valueWidths = widths;
  out.SetColWidths({50, kOutputLabelWidth + m_labelExtra, widths[0], widths[1], widths[2]});
  const int delta = extra - m_valueExtra;
  if (delta == 0) return;
  m_valueExtra = extra;
  m_editor.inputKwGrid->SetColWidth(3, 100 + extra);
  GrowRightPane(delta);
}

void TMainWnd::FitLabelColumns() {
  const int extra = LabelExtraWidth();
  const int delta = extra - m_labelExtra;
  if (delta == 0) return;
  m_labelExtra = extra;
  m_editor.inputKwGrid->SetColWidths({kInputLabelWidth + extra, 152, 152, 100 + m_valueExtra});
  m_editor.outputKwGrid->SetColWidths(
      {50, kOutputLabelWidth + extra, m_valueWidths[0], m_valueWidths[1], m_valueWidths[2]});
  GrowRightPane(delta);
}

void TMainWnd::GrowRightPane(int delta) {
  // The right pane keeps its grids whole; the scene tree keeps its width.
  QWidget* right = m_editor.outputBox->parentWidget();
  right->setFixedWidth(right->minimumWidth() + delta);
  LayOutInputBox();
  m_designedMinimumWidth += delta;
  KeepStatusPanelsWhole();
  resize(width() + delta, height());
}

void TMainWnd::PrepareEditor() {
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor face = palette().color(QPalette::Button);

  TKwGrid& in = *m_editor.inputKwGrid;
  CommonGridLooks(in, shadow);
  in.SetCellColor(face);
  in.SetColCount(4);
  in.SetRowCount(11);
  in.SetFixedCols(1);
  in.SetFixedRows(1);
  in.SetColWidths({kInputLabelWidth + m_labelExtra, 152, 152, 100});
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

  TKwGrid& out = *m_editor.outputKwGrid;
  CommonGridLooks(out, shadow);
  out.SetColCount(5);
  out.SetRowCount(14);
  out.SetFixedCols(2);
  out.SetFixedRows(1);
  out.SetColWidths(
      {50, kOutputLabelWidth + m_labelExtra, m_valueWidths[0], m_valueWidths[1], m_valueWidths[2]});
  out.SetRowHeights({24, 24, 24, 24, 24, 24, 27, 24, 24, 23, 23, 24, 24, 24});
  out.SetScrollBars(ssNone);
  AddRangeStyle(out, 2, 0, 4, 0).SetAlignment(taCenter);
  AddRangeStyle(out, 2, 1, 3, kOutputRows).SetReadOnly(true);
  {
    TCellStyle& labels = AddRangeStyle(out, 1, 1, 1, kOutputRows);
    labels.SetAlignment(taLeft);
    labels.SetFontIndex(0);
  }
  for (const group_label_t& g : kGroupLabels) {
    TCellStyle& s = AddRangeStyle(out, 0, g.row_top, g.col_right, g.row_bottom);
    s.SetAlignment(taCenter);
    s.SetFontIndex(0);
    s.SetJoint(true);
  }
  for (int r = 1; r <= kOutputRows; ++r) AddCellStyle(out, 4, r).SetReadOnly(true);

  SetRowLabels(nullptr);
  SetEditable(false);
  WriteOutputLabels();
  ConnectEditor();
}

void TMainWnd::ConnectEditor() {
  m_editor.inputKwGrid->OnCellEdit = [this](TCustomKwGrid&, int col, int row, bool modified,
                                            TCellValue& v) {
    InputKwGridCellEdit(col, row, modified, v);
  };
  m_editor.inputKwGrid->OnCellEdited = [this](TCustomKwGrid&, int, int, bool) {
    // Enter in the editor commits first, then presses the default button.
    if (!m_calculateAfterCommit) return;
    m_calculateAfterCommit = false;
    if (m_editor.calcButton->isEnabled()) CalcButtonClick();
  };
  m_editor.inputKwGrid->OnEnterCell = [this](TCustomKwGrid&, int col, int row) {
    InputKwGridEnterCell(col, row);
  };
  m_editor.inputKwGrid->OnExit = [this](TCustomKwGrid&) { InputKwGridExit(); };
  m_editor.inputKwGrid->OnKeyDown = [this](TCustomKwGrid&, int& key, Qt::KeyboardModifiers) {
    KwGridKeyDown(*m_editor.inputKwGrid, key);
  };
  m_editor.outputKwGrid->OnKeyDown = [this](TCustomKwGrid&, int& key, Qt::KeyboardModifiers) {
    KwGridKeyDown(*m_editor.outputKwGrid, key);
  };
  m_editor.outputKwGrid->OnMouseMove = [this](TCustomKwGrid&, Qt::KeyboardModifiers, int x, int y) {
    OutputKwGridMouseMove(QPoint(x, y));
  };
  m_editor.outputBox->installEventFilter(this);
  installEventFilter(this);

  // Only the user's choice of an item is a change; the program's filling is not.
  connect(m_editor.newTitleComboBox, &QComboBox::activated, this,
          &TMainWnd::NewTitleComboBoxChange);
  connect(m_editor.newMemo, &QPlainTextEdit::textChanged, this, &TMainWnd::NewMemoChange);
  connect(m_editor.newTitleLabeledEdit, &QLineEdit::textChanged, this,
          &TMainWnd::NewTitleLabeledEditChange);
  // A change by the spell card questions counts like a click.
  connect(m_editor.newGetSpellCheckBox, &QCheckBox::toggled, this,
          &TMainWnd::NewGetSpellCheckBoxClick);
  connect(m_editor.groupingCheckBox, &QCheckBox::toggled, this, &TMainWnd::GroupingCheckBoxClick);
  connect(m_editor.calcButton, &QPushButton::clicked, this, &TMainWnd::CalcButtonClick);
  connect(m_editor.applyButton, &QPushButton::clicked, this, &TMainWnd::ApplyButtonClick);
  connect(m_editor.deleteButton, &QPushButton::clicked, this, &TMainWnd::DeleteButtonClick);
  connect(m_editor.newButton, &QPushButton::clicked, this, &TMainWnd::NewButtonClick);
}

bool TMainWnd::eventFilter(QObject* watched, QEvent* e) {
  if (LeaveUndoKeyToWindow(watched, e)) return true;
  if (watched == m_editor.inputBox && e->type() == QEvent::Resize) {
    LayOutInputBox();
    return false;
  }
  if (watched == m_editor.outputBox && e->type() == QEvent::MouseMove) {
    // The group box's points in the grid's viewport: a point beside the grid
    // is on no cell.
    const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
    OutputKwGridMouseMove(m_editor.outputKwGrid->viewport()->mapFrom(m_editor.outputBox, p));
    return false;
  }
  if (watched == this && e->type() == QEvent::KeyPress) {
    // Keys that no control of the window took: Enter presses the focused
    // button, or else the default button.
    const auto* key = static_cast<QKeyEvent*>(e);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
          button && isAncestorOf(button) && button->isEnabled()) {
        button->click();
        return true;
      }
      if (m_editor.calcButton->isEnabled() && m_editor.calcButton->isVisible()) {
        CalcButtonClick();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void TMainWnd::WriteOutputLabels() {
  TKwGrid& out = *m_editor.outputKwGrid;
  TGridUpdate update(out);
  out.SetCells(2, 0, tr("旧パターン"));
  out.SetCells(3, 0, tr("新パターン"));
  out.SetCells(4, 0, tr("差"));
  for (std::size_t i = 0; i < kOutputRowLabels.size(); ++i) {
    // Rows 3 to 8, then 10 to 12.
    const int row = static_cast<int>(i) + (i < 6 ? 3 : 4);
    out.SetCells(1, row, tr(kOutputRowLabels[i]));
  }
  for (const group_label_t& g : kGroupLabels) {
    if (TCellStyle* style = StyleOf(out, 0, g.row_top)) style->SetText(tr(g.text));
  }
}

void TMainWnd::WriteInputLabels() {
  const editor_node_t kind = EditorNodeOf(CurrentNode());
  TKwGrid& in = *m_editor.inputKwGrid;
  TGridUpdate update(in);
  in.SetCells(3, 0, tr("差"));
  for (int r = 1; r <= kInputRows; ++r) {
    const std::string label = EditorRowLabel(kind, r);
    if (!label.empty()) in.SetCells(0, r, ToQString(label));
  }
}

void TMainWnd::ClearEditor() {
  TUpdating updating(*this);
  {
    TGridUpdate update(*m_editor.inputKwGrid);
    for (int r = 1; r <= kInputRows; ++r) SetDifferenceCell(*m_editor.inputKwGrid, 3, r, 0);
    m_editor.inputKwGrid->ClearAllCells();
  }
  {
    TGridUpdate update(*m_editor.outputKwGrid);
    for (int r = 1; r <= kOutputRows; ++r) SetDifferenceCell(*m_editor.outputKwGrid, 4, r, 0);
    m_editor.outputKwGrid->ClearAllCells();
    WriteOutputLabels();
  }
  m_editor.oldTitleComboBox->clear();
  m_editor.newTitleComboBox->clear();
  m_editor.oldMemo->clear();
  m_editor.newMemo->clear();
  m_editor.newTitleLabeledEdit->clear();
  m_editor.oldGetSpellCheckBox->setChecked(false);
  m_editor.newGetSpellCheckBox->setChecked(false);
  m_editor.groupingCheckBox->setChecked(false);
  // Their names follow when the selection is shown: a single node's values
  // come at once, and a name changes only once.
  for (int i = 1; i <= 3; ++i) SetStatusPanel(i, QString());
  m_scenePanel->ClearMemo();
}

void TMainWnd::SetRowLabels(const scene_base_t* node) {
  const editor_node_t kind = EditorNodeOf(node);
  TKwGrid& in = *m_editor.inputKwGrid;
  {
    TGridUpdate update(in);
    in.ClearAllCells();
    in.SetCells(3, 0, tr("差"));
    for (int r = 1; r <= kInputRows; ++r) {
      const std::string label = EditorRowLabel(kind, r);
      if (!label.empty()) in.SetCells(0, r, ToQString(label));
    }
  }
  const bool spell_card = kind.is_scene && kind.kind == scene_kind_t::SpellCard;
  m_editor.oldGetSpellCheckBox->setVisible(spell_card);
  m_editor.newGetSpellCheckBox->setVisible(spell_card);
  m_editor.groupingCheckBox->setVisible(node != nullptr && node->AsGroup() != nullptr);
}

void TMainWnd::SetEditable(bool on) {
  const editor_node_t kind = EditorNodeOf(CurrentNode());
  TKwGrid& in = *m_editor.inputKwGrid;
  {
    TGridUpdate update(in);
    for (int r = 1; r <= kInputRows; ++r) {
      if (TCellStyle* style = StyleOf(in, 2, r)) style->SetReadOnly(!on || IsReadOnlyRow(kind, r));
    }
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           &m_scenePanel->MemoBox(), m_editor.newTitleComboBox, m_editor.newGetSpellCheckBox,
           m_editor.groupingCheckBox, m_editor.newMemo, m_editor.newTitleLabeledEdit,
           m_editor.calcButton, m_editor.newButton, m_editor.applyButton, m_editor.deleteButton}) {
    w->setEnabled(on);
  }
}

void TMainWnd::FillPatternColumn(int column, const pattern_base_t& pattern) {
  TUpdating updating(*this);
  const scene_base_t* const node = CurrentNode();
  const editor_column_t values = NodeColumn(EditorNodeOf(node), pattern);
  {
    TGridUpdate update(*m_editor.inputKwGrid);
    for (int r = 1; r <= kInputRows; ++r) {
      m_editor.inputKwGrid->SetCells(column, r,
                                     std::int64_t{values[static_cast<std::size_t>(r - 1)]});
    }
  }
  const scene_t* spell_card = node != nullptr ? node->AsScene() : nullptr;
  const bool captured = spell_card != nullptr && spell_card->kind == scene_kind_t::SpellCard &&
                        pattern.Class() == pattern_class_t::Scene &&
                        AsScenePattern(pattern).getting_spell_card;
  if (column == 1) {
    const group_t* group = node != nullptr ? node->AsGroup() : nullptr;
    m_editor.groupingCheckBox->setChecked(group != nullptr && group->grouping);
    m_editor.oldGetSpellCheckBox->setChecked(captured);
    m_editor.oldMemo->setPlainText(MemoToQString(pattern.memo));
  } else {
    m_editor.newGetSpellCheckBox->setChecked(captured);
    m_editor.newMemo->setPlainText(MemoToQString(pattern.memo));
    m_editor.newTitleLabeledEdit->setText(ToQString(pattern.title));
  }
}

int TMainWnd::ListIndexOfItem(const QComboBox& box, int item) {
  if (item < 0 || item >= box.count()) return -1;
  return box.itemData(item).toInt();
}

int TMainWnd::ItemOfListIndex(const QComboBox& box, int index) {
  if (index < 0) return -1;
  return box.findData(index);
}

int TMainWnd::AcceptedNewTitleIndex() const {
  return ItemOfListIndex(*m_editor.newTitleComboBox, m_session.EditedIndex());
}

void TMainWnd::FillOldTitleComboBox(const pattern_base_list_t& list) {
  FillTitleComboBox(*m_editor.oldTitleComboBox, list);
  m_editor.oldTitleComboBox->setCurrentIndex(
      ItemOfListIndex(*m_editor.oldTitleComboBox, list.IndexOf(list.Current())));
}

void TMainWnd::FillNewTitleComboBox(const pattern_base_list_t& list) {
  FillTitleComboBox(*m_editor.newTitleComboBox, list);
  m_editor.newTitleComboBox->setCurrentIndex(AcceptedNewTitleIndex());
}

void TMainWnd::ShowSingleNode(scene_base_t& node) {
  m_scenePanel->ShowMemo(MemoToQString(node.memo));
  StatusBarTotals(node);
  if (node.EditsOwnPatterns()) {
    SetEditable(true);
    // The session gave a node without patterns an "*untitled*" current one
    // when it was selected.
    const pattern_base_t& current = node.CurrentPattern();
    FillPatternColumn(1, current);
    FillOldTitleComboBox(node.patterns);
    ShowValue(2, node.CurrentExplanation());
    FillNewTitleComboBox(node.patterns);
    FillPatternColumn(2, current);
    ShowEffect(current);
  } else {
    SetEditable(false);
    m_editor.groupingCheckBox->setEnabled(true);
    m_scenePanel->MemoBox().setEnabled(true);
    FillPatternColumn(1, node.OwnTotals());
    ShowValue(2, node.CurrentExplanation());
  }
}

void TMainWnd::ShowMultipleSelection() {
  SetEditable(false);
  // Panels 1 to 3 stay empty: only what they count is said.
  const std::array<std::string, 5> subjects = InitialStatusPanelSpoken();
  for (int i = 1; i <= 3; ++i) {
    SpeakStatusPanel(i, ToQString(subjects[static_cast<std::size_t>(i - 1)]));
  }
  selection_sum_t sum = SelectionSum(m_session.Document(), m_session.TopSelection());
  FillPatternColumn(1, sum.own);
  ShowValue(2, std::move(sum.value));
}

void TMainWnd::ShowCurrentChoices() {
  scene_base_t* const node = CurrentNode();
  if (!node) {
    ShowMultipleSelection();
    return;
  }
  // Everything before the node counts with its current pattern.
  StatusBarTotals(*node);
  if (!node->EditsOwnPatterns()) {
    FillPatternColumn(1, node->OwnTotals());
    ShowValue(2, node->CurrentExplanation());
    return;
  }
  // The old side follows the new current pattern; the new column and its
  // controls keep what the player has typed. A row typed but not calculated
  // keeps the difference it showed while its old cell stays the same (as it
  // does when only the language changed).
  TKwGrid& in = *m_editor.inputKwGrid;
  std::array<TCellValue, kInputRows + 1> old_cells;
  for (int r = 1; r <= kInputRows; ++r) old_cells[static_cast<std::size_t>(r)] = in.Cells(1, r);
  FillPatternColumn(1, node->CurrentPattern());
  FillOldTitleComboBox(node->patterns);
  ShowValue(2, node->CurrentExplanation());
  if (m_effectPattern) ShowValue(3, node->CompareWithCurrent(*m_effectPattern));
  UpdateDifferences(in, 1, 2, 3, kInputRows, nullptr, this, [&in, &old_cells](int row) {
    return in.Cells(1, row) == old_cells[static_cast<std::size_t>(row)];
  });
  UpdateOutputDifferences();
}

void TMainWnd::ShowEffect(const pattern_base_t& pattern) {
  scene_base_t* const node = CurrentNode();
  if (!node) return;
  m_effectPattern = pattern.Clone();
  ShowValue(3, node->CompareWithCurrent(pattern));
  UpdateInputDifferences();
  UpdateOutputDifferences();
}

void TMainWnd::UpdateInputDifferences() {
  UpdateDifferences(*m_editor.inputKwGrid, 1, 2, 3, kInputRows, &m_dialogs, this);
}

void TMainWnd::UpdateOutputDifferences() {
  UpdateDifferences(*m_editor.outputKwGrid, 2, 3, 4, kOutputRows, &m_dialogs, this);
  FitValueColumns();
  ReportOutOfRangeCells();
}

void TMainWnd::ShowValue(int column, pattern_value_t value) {
  {
    TGridUpdate update(*m_editor.outputKwGrid);
    const auto show = [&](int row, checked_score_t v) {
      if (v.InRange()) {
        m_editor.outputKwGrid->SetCells(column, row, std::int64_t{v.Value()});
      } else {
        m_editor.outputKwGrid->SetCells(column, row, OutOfRangeText());
      }
    };
    for (int r = 1; r <= 12; ++r) show(r, value[r - 1].value);
    show(13, value.Total());
  }
  auto& kept = column == 2 ? m_oldValue : m_newValue;
  kept = std::make_unique<pattern_value_t>(std::move(value));
  // The hint of the cell under the mouse explained the value just replaced:
  // the next move builds it afresh.
  m_hoverCell = {-1, -1};
  FitValueColumns();
  ReportOutOfRangeCells();
}

void TMainWnd::ReportOutOfRangeCells() {
  TKwGrid& grid = *m_editor.outputKwGrid;
  QStringList reports;
  for (int col = 2; col <= 4; ++col) {
    for (int r = 1; r <= kOutputRows; ++r) {
      if (grid.CellText(col, r) != OutOfRangeText()) continue;
      const std::string& name = r <= 12 ? TermTitle(r - 1) : Message(message_t::NameTotal);
      reports << ToQString(FormatMessage(message_t::ValueOutOfRangeAt,
                                         {FromQString(grid.CellText(col, 0)).text, name}));
    }
  }
  const QString report = reports.join(QLatin1Char(' '));
  if (report == m_outOfRangeReport) return;
  // Panel 0 also shows hints: an earlier report goes, anything else stays
  // unless there is a report to show.
  if (!report.isEmpty() || m_status.panels.at(0)->text() == m_outOfRangeReport)
    SetStatusPanel(0, report);
  m_outOfRangeReport = report;
}

void TMainWnd::StatusBarTotals(scene_base_t& node) {
  const status_panels_t panels = StatusPanels(node);
  for (int i = 1; i <= 5; ++i) {
    const auto at = static_cast<std::size_t>(i - 1);
    SetStatusPanel(i, ToQString(panels.texts[at]));
    SpeakStatusPanel(i, ToQString(panels.spoken[at]));
  }
}

QString TMainWnd::PatternDiscardQuestion() const {
  const pattern_base_t* accepted = m_session.EditedPattern();
  const QString title = accepted ? ToQString(accepted->title) : QString();
  return tr("パターン「%1」の変更を破棄します。よろしいですか？").arg(title);
}

void TMainWnd::CommitOpenCell() {
  m_editor.inputKwGrid->ApplyEdit();
}

bool TMainWnd::ConfirmDiscardPatternEdits() {
  CommitOpenCell();
  if (!PatternEdited()) return true;
  if (!m_dialogs.Confirm(this, PatternDiscardQuestion())) return false;
  m_session.SetPatternEdited(false);
  return true;
}

// --- events

void TMainWnd::InputKwGridCellEdit(int /*col*/, int row, bool modified, TCellValue& new_value) {
  if (m_updateDepth > 0) return;
  if (modified) m_session.SetPatternEdited(true);
  if (IsForcedZeroRow(EditorNodeOf(CurrentNode()), row)) new_value = std::int64_t{0};
}

void TMainWnd::InputKwGridEnterCell(int col, int row) {
  SetStatusPanel(0, QString());
  const scene_base_t* const node = CurrentNode();
  if (!node) return;
  if (!(col == 1 || (col == 2 && node->EditsOwnPatterns()))) return;
  if (row == 6) {
    const group_t* group = node->AsGroup();
    const score_t points = group ? group->CollectablePoints() : node->GetPoint();
    SetStatusPanel(0, tr("回収可能な得点アイテム数: %1").arg(ToQString(ScoreText(points))));
  } else if (row == 8) {
    // Empty for anything but a spell-card scene; shortened, it keeps its figures.
    QStringList forms;
    for (const std::string& form : ScbHintForms(node)) forms << ToQString(form);
    SetStatusPanel(0, forms);
  }
}

void TMainWnd::InputKwGridExit() {
  SetStatusPanel(0, QString());
}

void TMainWnd::KwGridKeyDown(TKwGrid& grid, int key) {
  // Only the commit that this very Enter brings about calculates.
  m_calculateAfterCommit = false;
  if (&grid == m_editor.inputKwGrid && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
      grid.EditorOpen()) {
    m_calculateAfterCommit = true;
    return;
  }
  // Modifier keys are not looked at: C, X, Ctrl+C and Ctrl+X all copy.
  if (grid.EditorOpen() || (key != Qt::Key_C && key != Qt::Key_X)) return;
  const TGridRect selection = grid.Selection();
  if (selection.IsEmpty() || !grid.Model().Inside(selection.Left, selection.Top)) return;
  CopyToClipboard([&grid, &selection] { return grid.CellText(selection.Left, selection.Top); });
}

void TMainWnd::NewTitleComboBoxChange() {
  if (!ConfirmDiscardPatternEdits()) {
    TUpdating updating(*this);
    m_editor.newTitleComboBox->setCurrentIndex(AcceptedNewTitleIndex());
    return;
  }
  // The session reports the choice; the new column shows the chosen pattern.
  m_session.ChooseEdited(
      ListIndexOfItem(*m_editor.newTitleComboBox, m_editor.newTitleComboBox->currentIndex()));
}

void TMainWnd::NewMemoChange() {
  if (m_updateDepth <= 0) m_session.SetPatternEdited(true);
}

void TMainWnd::NewTitleLabeledEditChange() {
  if (m_updateDepth <= 0) m_session.SetPatternEdited(true);
}

void TMainWnd::NewGetSpellCheckBoxClick() {
  if (m_updateDepth <= 0) m_session.SetPatternEdited(true);
}

void TMainWnd::SetOutputHint(const QString& hint) {
  m_editor.outputKwGrid->SetHint(hint);
  SetStatusPanel(0, TCustomKwGrid::LongHint(hint));
}

void TMainWnd::OutputKwGridMouseMove(QPoint point) {
  const TCellCoord cell = m_editor.outputKwGrid->CellAtPoint(point);
  if (cell.Col == m_hoverCell[0] && cell.Row == m_hoverCell[1]) return;
  m_hoverCell = {cell.Col, cell.Row};
  if ((cell.Col != 2 && cell.Col != 3) || cell.Row < 1 || cell.Row > 12) {
    SetOutputHint(QString());
    return;
  }
  const pattern_value_t* value = cell.Col == 2 ? m_oldValue.get() : m_newValue.get();
  if (!value) return;
  // The formulas break their lines the Windows way; a tool tip wants line feeds.
  SetOutputHint(MemoToQString((*value)[cell.Row - 1].HintText()));
}

}  // namespace qvl

// The pattern editor's controls, their layout and labels, and how the
// selection's patterns are shown in them.
#include "ui/PatternEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <vector>

#include "calc/CalcCustom.h"
#include "model/qvl_editor.h"
#include "model/qvl_messages.h"
#include "model/qvl_route.h"
#include "model/qvl_status.h"
#include "model/qvl_text.h"
#include "ui/AppInfo.h"
#include "ui/ComparisonPanel.h"
#include "ui/Dialogs.h"
#include "ui/PatternGrids.h"
#include "ui/QtText.h"
#include "ui/ShownChange.h"
#include "ui/StatusBar.h"

namespace qvl {
namespace {

constexpr int kInputRows = 10;  // rows 1..10 of the input grid
constexpr int kInputLabelWidth = 155;
// Enough for every control of the box with memos of a few lines, so that the
// window's minimum size shows them all.
constexpr int kInputBoxMinimumHeight = 423;
constexpr int kMemoTop = 322;

// The name the design gives a control, for tests and style sheets; what
// assistive technology says of it is its text or the name Retranslate gives.
template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

void SetBackground(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
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

}  // namespace

TPatternEditor::TPatternEditor(TDocumentSession& session, TDialogs& dialogs,
                               TComparisonPanel& comparison, TStatusBar& status_bar,
                               int label_extra, QWidget* parent)
    : QGroupBox(parent),
      m_session(session),
      m_dialogs(dialogs),
      m_comparison(comparison),
      m_statusBar(status_bar),
      m_labelExtra(label_extra) {
  setObjectName(QStringLiteral("InputGroupBox"));
  setMinimumHeight(kInputBoxMinimumHeight);
  CreateControls();
  // scb of this editor's calculator reads the node it shows.
  m_calculator.SetNodeProvider([this]() -> const scene_base_t* { return m_session.CurrentNode(); });
  PrepareGrid();
  Connect();
  Retranslate();
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
}

TPatternEditor::~TPatternEditor() {
  m_session.RemoveListener(m_listener);
  // The controls go after this part of the editor: what they say on the way
  // out changes no session.
  for (QObject* control : children()) control->disconnect(this);
  m_inputKwGrid->OnCellEdit = nullptr;
  m_inputKwGrid->OnCellEdited = nullptr;
  m_inputKwGrid->OnEnterCell = nullptr;
  m_inputKwGrid->OnExit = nullptr;
  m_inputKwGrid->OnKeyDown = nullptr;
}

void TPatternEditor::CreateControls() {
  // Created in the order the Tab key visits them; LayOut places them.
  m_inputKwGrid = Named(new TKwGrid(this), QStringLiteral("InputKwGrid"));

  m_oldTitleComboBox = Named(new QComboBox(this), QStringLiteral("OldTitleComboBox"));
  m_oldTitleComboBox->setEnabled(false);
  m_newTitleComboBox = Named(new QComboBox(this), QStringLiteral("NewTitleComboBox"));
  SetBackground(m_newTitleComboBox, kNewColumnColor);
  {
    QPalette p = m_newTitleComboBox->palette();
    p.setColor(QPalette::Button, kNewColumnColor);
    m_newTitleComboBox->setPalette(p);
  }

  m_oldGetSpellCheckBox =
      Named(new QCheckBox(QString(), this), QStringLiteral("OldGetSpellCheckBox"));
  m_oldGetSpellCheckBox->setEnabled(false);
  m_newGetSpellCheckBox =
      Named(new QCheckBox(QString(), this), QStringLiteral("NewGetSpellCheckBox"));
  m_groupingCheckBox = Named(new QCheckBox(QString(), this), QStringLiteral("GroupingCheckBox"));

  m_memoLabel = Named(new QLabel(QString(), this), QStringLiteral("MemoLabel"));
  m_oldMemo = Named(new QPlainTextEdit(this), QStringLiteral("OldMemo"));
  m_oldMemo->setReadOnly(true);
  m_oldMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_oldMemo->setTabChangesFocus(true);
  m_newMemo = Named(new QPlainTextEdit(this), QStringLiteral("NewMemo"));
  m_newMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_newMemo->setTabChangesFocus(true);
  SetBackground(m_newMemo, kNewColumnColor);
  m_memoLabel->setBuddy(m_oldMemo);

  m_newTitleLabel = Named(new QLabel(QString(), this), QStringLiteral("NewTitleLabeledEditLabel"));
  m_newTitleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_newTitleLabeledEdit = Named(new QLineEdit(this), QStringLiteral("NewTitleLabeledEdit"));
  SetBackground(m_newTitleLabeledEdit, kNewColumnColor);
  m_newTitleLabel->setBuddy(m_newTitleLabeledEdit);

  const auto button = [this](const QString& name) {
    auto* b = Named(new QPushButton(QString(), this), name);
    b->setAutoDefault(false);
    return b;
  };
  m_calcButton = button(QStringLiteral("CalcButton"));
  // The window's default button: Enter in the editor calculates.
  m_calcButton->setDefault(true);
  m_newButton = button(QStringLiteral("NewButton"));
  m_applyButton = button(QStringLiteral("ApplyButton"));
  m_deleteButton = button(QStringLiteral("DeleteButton"));

  // The combo boxes lie over the grid's header cells.
  m_oldTitleComboBox->raise();
  m_newTitleComboBox->raise();
  LayOut();
}

void TPatternEditor::LayOut() {
  // The grid's columns lie at x = 4, 159, 311 and 463 inside the box (moved
  // right by a wider label column); the controls of the old and the new
  // pattern stand under their columns.
  const int dx = m_labelExtra;
  const int old_x = 159 + dx;
  const int new_x = 311 + dx;
  const int diff_x = 463 + dx;
  m_inputKwGrid->setGeometry(4, 16, 559 + dx + m_valueExtra, 283);
  m_oldTitleComboBox->setGeometry(old_x, 16, 152, 24);
  m_newTitleComboBox->setGeometry(new_x, 16, 152, 24);
  m_oldGetSpellCheckBox->setGeometry(old_x + 4, 302, 145, 17);
  m_newGetSpellCheckBox->setGeometry(new_x + 4, 302, 145, 17);
  m_groupingCheckBox->setGeometry(diff_x + 4, 302, 96, 17);

  // Drawn for a box 459 pixels high: buttons at 428, the title at 402, the
  // memos from 322 to 398.
  const int buttons_y = std::max(height(), kInputBoxMinimumHeight) - 31;
  const int title_y = buttons_y - 26;
  const int memo_bottom = title_y - 4;
  m_memoLabel->setGeometry(8, kMemoTop + 2, 60, 14);
  m_oldMemo->setGeometry(old_x, kMemoTop, 152, memo_bottom - kMemoTop);
  m_newMemo->setGeometry(new_x, kMemoTop, 152, memo_bottom - kMemoTop);
  m_newTitleLabel->setGeometry(old_x, title_y + 2, 148, 17);
  m_newTitleLabeledEdit->setGeometry(new_x, title_y, 152, 21);
  m_calcButton->setGeometry(diff_x + 13, memo_bottom - 25, 75, 25);
  m_newButton->setGeometry(new_x + 3, buttons_y, 75, 25);
  m_applyButton->setGeometry(new_x + 84, buttons_y, 75, 25);
  m_deleteButton->setGeometry(diff_x + 13, buttons_y, 75, 25);
}

void TPatternEditor::resizeEvent(QResizeEvent* e) {
  LayOut();
  QGroupBox::resizeEvent(e);
}

int TPatternEditor::LabelExtraNeeded() {
  int input = kInputLabelWidth;
  std::vector<editor_node_t> kinds{editor_node_t{false, scene_kind_t::Dummy}};
  for (const scene_kind_t k :
       {scene_kind_t::Way, scene_kind_t::NormalAttack,
        scene_kind_t::NormalAttackWithEnemyBulletBonus, scene_kind_t::SpellCard}) {
    kinds.push_back(editor_node_t{true, k});
  }
  for (const editor_node_t& kind : kinds) {
    for (int r = 1; r <= kInputRows; ++r) {
      input = std::max(input, LabelRoom(ToQString(EditorRowLabel(kind, r))));
    }
  }
  return input - kInputLabelWidth;
}

void TPatternEditor::SetLabelExtra(int extra) {
  m_labelExtra = extra;
  m_inputKwGrid->SetColWidths({kInputLabelWidth + extra, 152, 152, 100 + m_valueExtra});
}

void TPatternEditor::SetValueExtra(int extra) {
  m_valueExtra = extra;
  m_inputKwGrid->SetColWidth(3, 100 + extra);
}

void TPatternEditor::PrepareGrid() {
  TKwGrid& in = *m_inputKwGrid;
  CommonGridLooks(in, palette().color(QPalette::Dark));
  in.SetCellColor(palette().color(QPalette::Button));
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
  SetRowLabels(nullptr);
  SetEditable(false);
}

void TPatternEditor::Connect() {
  m_inputKwGrid->OnCellEdit = [this](TCustomKwGrid&, int col, int row, bool modified,
                                     TCellValue& v) { InputKwGridCellEdit(col, row, modified, v); };
  m_inputKwGrid->OnCellEdited = [this](TCustomKwGrid&, int, int, bool) {
    // Enter in the editor commits first, then presses the default button.
    if (!m_calculateAfterCommit) return;
    m_calculateAfterCommit = false;
    if (m_calcButton->isEnabled()) CalcButtonClick();
  };
  m_inputKwGrid->OnEnterCell = [this](TCustomKwGrid&, int col, int row) {
    InputKwGridEnterCell(col, row);
  };
  m_inputKwGrid->OnExit = [this](TCustomKwGrid&) { m_statusBar.SetPanel(0, QString()); };
  m_inputKwGrid->OnKeyDown = [this](TCustomKwGrid&, int& key, Qt::KeyboardModifiers) {
    KwGridKeyDown(key);
  };
  // Only the user's choice of an item is a change; the program's filling is not.
  connect(m_newTitleComboBox, &QComboBox::activated, this, &TPatternEditor::NewTitleComboBoxChange);
  connect(m_newMemo, &QPlainTextEdit::textChanged, this, &TPatternEditor::NewFieldChange);
  connect(m_newTitleLabeledEdit, &QLineEdit::textChanged, this, &TPatternEditor::NewFieldChange);
  // A change by the spell card questions counts like a click.
  connect(m_newGetSpellCheckBox, &QCheckBox::toggled, this, &TPatternEditor::NewFieldChange);
  connect(m_groupingCheckBox, &QCheckBox::toggled, this, &TPatternEditor::GroupingCheckBoxClick);
  connect(m_calcButton, &QPushButton::clicked, this, &TPatternEditor::CalcButtonClick);
  connect(m_applyButton, &QPushButton::clicked, this, &TPatternEditor::ApplyButtonClick);
  connect(m_deleteButton, &QPushButton::clicked, this, &TPatternEditor::DeleteButtonClick);
  connect(m_newButton, &QPushButton::clicked, this, &TPatternEditor::NewButtonClick);
}

void TPatternEditor::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) Retranslate();
  QGroupBox::changeEvent(e);
}

void TPatternEditor::Retranslate() {
  TUpdating updating(*this);
  setTitle(tr("入力"));
  m_oldGetSpellCheckBox->setText(tr("スペルカード取得"));
  m_newGetSpellCheckBox->setText(tr("スペルカード取得"));
  m_groupingCheckBox->setText(tr("まとめて記述"));
  m_memoLabel->setText(tr("メモ"));
  m_newTitleLabel->setText(tr("タイトル"));
  m_calcButton->setText(tr("算出(&C)"));
  m_newButton->setText(tr("新規(&N)"));
  m_applyButton->setText(tr("更新(&A)"));
  m_deleteButton->setText(tr("削除(&D)"));
  // Buttons, check boxes with a text of their own and labels are said by
  // their text; these have none, or share it with another control.
  const std::pair<QWidget*, QString> names[] = {
      {m_inputKwGrid, tr("入力")},
      {m_oldMemo, tr("旧パターンのメモ")},
      {m_newMemo, tr("新パターンのメモ")},
      {m_newTitleLabeledEdit, tr("タイトル")},
      {m_oldTitleComboBox, OldPatternWord()},
      {m_newTitleComboBox, NewPatternWord()},
      {m_oldGetSpellCheckBox, tr("スペルカード取得（旧パターン）")},
      {m_newGetSpellCheckBox, tr("スペルカード取得（新パターン）")},
  };
  for (const auto& [widget, name] : names) widget->setAccessibleName(name);
  // The title boxes cover the grid's old and new header cells: a cell of
  // those columns is heard with the column it belongs to.
  m_inputKwGrid->SetSpokenHeader(1, 0, OldPatternWord());
  m_inputKwGrid->SetSpokenHeader(2, 0, NewPatternWord());
  WriteInputLabels();
  // What the core explains of the selection afresh; typed cells, titles and
  // memos stay.
  if (m_session.CurrentNode() != nullptr || !m_session.TopSelection().empty()) {
    ShowCurrentChoices();
  }
}

void TPatternEditor::SessionChanged(const session_change_t& change) {
  const shown_change_t shown = ShownChange(change);
  scene_base_t* const node = m_session.CurrentNode();
  switch (shown.what) {
    case shown_change_t::what_t::Document:
      Clear();
      SetRowLabels(nullptr);
      SetEditable(false);
      break;
    case shown_change_t::what_t::Selection:
      ShowSelection();
      break;
    case shown_change_t::what_t::EditedPattern:
      if (const pattern_base_t* edited = m_session.EditedPattern()) {
        FillPatternColumn(2, *edited);
        ShowEffect(*edited);
      }
      break;
    case shown_change_t::what_t::StoredList:
      if (shown.node == node) {
        const pattern_base_t& edited = *m_session.EditedPattern();
        ShowStoredList(shown.new_column_current ? node->CurrentPattern() : edited,
                       shown.effect_current ? node->CurrentPattern() : edited);
      }
      break;
    case shown_change_t::what_t::CurrentChoices:
      ShowCurrentChoices();
      break;
    case shown_change_t::what_t::Nothing:
    case shown_change_t::what_t::Saved:
    case shown_change_t::what_t::Memo:  // the scene panel shows it
      break;
  }
}

void TPatternEditor::WriteInputLabels() {
  const editor_node_t kind = EditorNodeOf(m_session.CurrentNode());
  TKwGrid& in = *m_inputKwGrid;
  TGridUpdate update(in);
  in.SetCells(3, 0, ToQString(Message(message_t::NameDifference)));
  for (int r = 1; r <= kInputRows; ++r) {
    const std::string label = EditorRowLabel(kind, r);
    if (!label.empty()) in.SetCells(0, r, ToQString(label));
  }
}

void TPatternEditor::Clear() {
  TUpdating updating(*this);
  {
    TGridUpdate update(*m_inputKwGrid);
    for (int r = 1; r <= kInputRows; ++r) SetDifferenceCell(*m_inputKwGrid, 3, r, 0);
    m_inputKwGrid->ClearAllCells();
  }
  m_oldTitleComboBox->clear();
  m_newTitleComboBox->clear();
  m_oldMemo->clear();
  m_newMemo->clear();
  m_newTitleLabeledEdit->clear();
  m_oldGetSpellCheckBox->setChecked(false);
  m_newGetSpellCheckBox->setChecked(false);
  m_groupingCheckBox->setChecked(false);
}

void TPatternEditor::SetRowLabels(const scene_base_t* node) {
  const editor_node_t kind = EditorNodeOf(node);
  TKwGrid& in = *m_inputKwGrid;
  {
    TGridUpdate update(in);
    in.ClearAllCells();
    in.SetCells(3, 0, ToQString(Message(message_t::NameDifference)));
    for (int r = 1; r <= kInputRows; ++r) {
      const std::string label = EditorRowLabel(kind, r);
      if (!label.empty()) in.SetCells(0, r, ToQString(label));
    }
  }
  const bool spell_card = kind.is_scene && kind.kind == scene_kind_t::SpellCard;
  m_oldGetSpellCheckBox->setVisible(spell_card);
  m_newGetSpellCheckBox->setVisible(spell_card);
  m_groupingCheckBox->setVisible(node != nullptr && node->AsGroup() != nullptr);
}

void TPatternEditor::SetEditable(bool on) {
  const editor_node_t kind = EditorNodeOf(m_session.CurrentNode());
  TKwGrid& in = *m_inputKwGrid;
  {
    TGridUpdate update(in);
    for (int r = 1; r <= kInputRows; ++r) {
      if (TCellStyle* style = StyleOf(in, 2, r)) style->SetReadOnly(!on || IsReadOnlyRow(kind, r));
    }
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           m_newTitleComboBox, m_newGetSpellCheckBox, m_groupingCheckBox, m_newMemo,
           m_newTitleLabeledEdit, m_calcButton, m_newButton, m_applyButton, m_deleteButton}) {
    w->setEnabled(on);
  }
}

void TPatternEditor::FillPatternColumn(int column, const pattern_base_t& pattern) {
  TUpdating updating(*this);
  const scene_base_t* const node = m_session.CurrentNode();
  const editor_column_t values = NodeColumn(EditorNodeOf(node), pattern);
  {
    TGridUpdate update(*m_inputKwGrid);
    for (int r = 1; r <= kInputRows; ++r) {
      m_inputKwGrid->SetCells(column, r, std::int64_t{values[static_cast<std::size_t>(r - 1)]});
    }
  }
  const scene_t* spell_card = node != nullptr ? node->AsScene() : nullptr;
  const bool captured = spell_card != nullptr && spell_card->kind == scene_kind_t::SpellCard &&
                        pattern.Class() == pattern_class_t::Scene &&
                        AsScenePattern(pattern).getting_spell_card;
  if (column == 1) {
    const group_t* group = node != nullptr ? node->AsGroup() : nullptr;
    m_groupingCheckBox->setChecked(group != nullptr && group->grouping);
    m_oldGetSpellCheckBox->setChecked(captured);
    m_oldMemo->setPlainText(MemoToQString(pattern.memo));
  } else {
    m_newGetSpellCheckBox->setChecked(captured);
    m_newMemo->setPlainText(MemoToQString(pattern.memo));
    m_newTitleLabeledEdit->setText(ToQString(pattern.title));
  }
}

int TPatternEditor::ListIndexOfItem(const QComboBox& box, int item) {
  if (item < 0 || item >= box.count()) return -1;
  return box.itemData(item).toInt();
}

int TPatternEditor::ItemOfListIndex(const QComboBox& box, int index) {
  if (index < 0) return -1;
  return box.findData(index);
}

int TPatternEditor::AcceptedNewTitleIndex() const {
  return ItemOfListIndex(*m_newTitleComboBox, m_session.EditedIndex());
}

void TPatternEditor::FillOldTitleComboBox(const pattern_base_list_t& list) {
  FillTitleComboBox(*m_oldTitleComboBox, list);
  m_oldTitleComboBox->setCurrentIndex(
      ItemOfListIndex(*m_oldTitleComboBox, list.IndexOf(list.Current())));
}

void TPatternEditor::FillNewTitleComboBox(const pattern_base_list_t& list) {
  FillTitleComboBox(*m_newTitleComboBox, list);
  m_newTitleComboBox->setCurrentIndex(AcceptedNewTitleIndex());
}

void TPatternEditor::ShowSelection() {
  Clear();
  scene_base_t* const node = m_session.CurrentNode();
  SetRowLabels(node);
  if (node) {
    ShowSingleNode(*node);
  } else {
    ShowMultipleSelection();
  }
}

void TPatternEditor::ShowSingleNode(scene_base_t& node) {
  if (node.EditsOwnPatterns()) {
    SetEditable(true);
    // The session gave a node without patterns an "*untitled*" current one
    // when it was selected.
    const pattern_base_t& current = node.CurrentPattern();
    FillPatternColumn(1, current);
    FillOldTitleComboBox(node.patterns);
    FillNewTitleComboBox(node.patterns);
    FillPatternColumn(2, current);
    ShowEffect(current);
  } else {
    SetEditable(false);
    m_groupingCheckBox->setEnabled(true);
    FillPatternColumn(1, node.OwnTotals());
  }
}

void TPatternEditor::ShowMultipleSelection() {
  SetEditable(false);
  FillPatternColumn(1, SelectionSum(m_session.Document(), m_session.TopSelection()).own);
}

void TPatternEditor::ShowCurrentChoices() {
  scene_base_t* const node = m_session.CurrentNode();
  if (!node) {
    ShowMultipleSelection();
    return;
  }
  if (!node->EditsOwnPatterns()) {
    FillPatternColumn(1, node->OwnTotals());
    return;
  }
  // The old side follows the new current pattern; the new column and its
  // controls keep what the player has typed. A row typed but not calculated
  // keeps the difference it showed while its old cell stays the same (as it
  // does when only the language changed).
  TKwGrid& in = *m_inputKwGrid;
  std::array<TCellValue, kInputRows + 1> old_cells;
  for (int r = 1; r <= kInputRows; ++r) old_cells[static_cast<std::size_t>(r)] = in.Cells(1, r);
  FillPatternColumn(1, node->CurrentPattern());
  FillOldTitleComboBox(node->patterns);
  UpdateDifferences(in, 1, 2, 3, kInputRows, nullptr, this, [&in, &old_cells](int row) {
    return in.Cells(1, row) == old_cells[static_cast<std::size_t>(row)];
  });
}

void TPatternEditor::ShowStoredList(const pattern_base_t& new_column,
                                    const pattern_base_t& effect) {
  scene_base_t& node = *m_session.CurrentNode();
  FillOldTitleComboBox(node.patterns);
  FillNewTitleComboBox(node.patterns);
  FillPatternColumn(1, node.CurrentPattern());
  FillPatternColumn(2, new_column);
  if (&new_column != &effect) {
    // Started from the old pattern: its values under the new pattern's name.
    TUpdating updating(*this);
    m_newTitleLabeledEdit->setText(ToQString(effect.title));
  }
  // Until the next calculation the comparison shows the stored pattern.
  ShowEffect(effect);
}

void TPatternEditor::ShowEffect(const pattern_base_t& pattern) {
  if (!m_session.CurrentNode()) return;
  m_comparison.ShowEffect(pattern);
  UpdateInputDifferences();
  m_comparison.UpdateDifferences();
}

void TPatternEditor::UpdateInputDifferences() {
  UpdateDifferences(*m_inputKwGrid, 1, 2, 3, kInputRows, &m_dialogs, window());
}

void TPatternEditor::CommitOpenCell() {
  m_inputKwGrid->ApplyEdit();
}

QString TPatternEditor::PatternDiscardQuestion() const {
  const pattern_base_t* accepted = m_session.EditedPattern();
  const QString title = accepted ? ToQString(accepted->title) : QString();
  return tr("パターン「%1」の変更を破棄します。よろしいですか？").arg(title);
}

bool TPatternEditor::ConfirmDiscardPatternEdits() {
  CommitOpenCell();
  if (!m_session.PatternEdited()) return true;
  if (!m_dialogs.Confirm(window(), PatternDiscardQuestion())) return false;
  m_session.SetPatternEdited(false);
  return true;
}

void TPatternEditor::InputKwGridCellEdit(int /*col*/, int row, bool modified,
                                         TCellValue& new_value) {
  if (m_updateDepth > 0) return;
  if (modified) m_session.SetPatternEdited(true);
  if (IsForcedZeroRow(EditorNodeOf(m_session.CurrentNode()), row)) new_value = std::int64_t{0};
}

void TPatternEditor::InputKwGridEnterCell(int col, int row) {
  m_statusBar.SetPanel(0, QString());
  const scene_base_t* const node = m_session.CurrentNode();
  if (!node) return;
  if (!(col == 1 || (col == 2 && node->EditsOwnPatterns()))) return;
  if (row == 6) {
    const group_t* group = node->AsGroup();
    const score_t points = group ? group->CollectablePoints() : node->GetPoint();
    m_statusBar.SetPanel(0, tr("回収可能な得点アイテム数: %1").arg(ToQString(ScoreText(points))));
  } else if (row == 8) {
    // Empty for anything but a spell-card scene; shortened, it keeps its figures.
    QStringList forms;
    for (const std::string& form : ScbHintForms(node)) forms << ToQString(form);
    m_statusBar.SetPanel(0, forms);
  }
}

void TPatternEditor::KwGridKeyDown(int key) {
  // Only the commit that this very Enter brings about calculates.
  m_calculateAfterCommit = false;
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_inputKwGrid->EditorOpen()) {
    m_calculateAfterCommit = true;
    return;
  }
  CopyKey(m_dialogs, *m_inputKwGrid, key);
}

void TPatternEditor::NewTitleComboBoxChange() {
  if (!ConfirmDiscardPatternEdits()) {
    TUpdating updating(*this);
    m_newTitleComboBox->setCurrentIndex(AcceptedNewTitleIndex());
    return;
  }
  // The session reports the choice; the new column shows the chosen pattern.
  m_session.ChooseEdited(ListIndexOfItem(*m_newTitleComboBox, m_newTitleComboBox->currentIndex()));
}

void TPatternEditor::NewFieldChange() {
  if (m_updateDepth <= 0) m_session.SetPatternEdited(true);
}

bool TPatternEditor::PressDefaultButton() {
  if (!m_calcButton->isEnabled() || !m_calcButton->isVisible()) return false;
  CalcButtonClick();
  return true;
}

}  // namespace qvl

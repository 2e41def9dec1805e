// The commands that change patterns: calculate the new column, update the
// edited pattern, delete it, start a new one, switch a group's grouping, and
// copy the current pattern as text.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "calc/Calculator.h"
#include "grid/KwGrid.h"
#include "model/qvl_editor.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

const char* const kUntitled = "*untitled*";

// A cell of the new column as the calculator left it; an integer filled from
// a pattern is a number too.
double CellNumber(const TCellValue& v) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&v)) return *d;
  return 0;
}

QString TitleOf(const pattern_base_t* p) {
  return p ? ToQString(p->title) : QString();
}

// Selects the item of a pattern without counting as the user's choice.
void SelectItemOf(QComboBox& box, const pattern_base_t* p) {
  for (int i = 0; i < box.count(); ++i) {
    if (TMainWnd::PatternOfItem(box, i) == p) {
      box.setCurrentIndex(i);
      return;
    }
  }
}

}  // namespace

bool TMainWnd::EvaluateNewColumn() {
  TKwGrid& in = *m_inputKwGrid;
  QString failure;
  {
    // The cells change together; an error box comes after the repaint, with
    // the rows before the failing one evaluated and the rest as typed.
    in.BeginUpdate();
    for (int r = 1; r <= kEditorRows; ++r) {
      const bool read_only = in.Model().IsReadOnly(2, r);
      QString error;
      double answer = 0;
      const cp932_text_t text = FromQString(in.CellText(2, r));
      if (!text.ok) {
        error = UnconvertibleMessage(text.unconvertible);
      } else {
        // Every cell is evaluated afresh, also when its text equals the one
        // before it: scb follows the selected scene, and a failing text
        // fails every time.
        try {
          answer = m_calculator.Evaluate(text.text);
        } catch (const EEmptyExpression&) {
          answer = 0;
        } catch (const ECalculator& e) {
          error = ToQString(e.Message());
        } catch (const std::exception& e) {
          error = QString::fromLocal8Bit(e.what());
        }
      }
      if (!error.isEmpty()) {
        if (!read_only) {
          failure = error;
          break;
        }
        answer = 0;
      }
      in.SetCells(2, r, answer);
    }
    in.EndUpdate();
  }
  if (failure.isEmpty()) return true;
  m_dialogs.Error(this, failure);
  return false;
}

std::unique_ptr<pattern_base_t> TMainWnd::ReadNewPattern(bool for_storing) {
  TKwGrid& in = *m_inputKwGrid;
  editor_input_t input;
  for (int r = 1; r <= kEditorRows; ++r) {
    input.cells[static_cast<std::size_t>(r - 1)] = CellNumber(in.Cells(2, r));
  }
  input.getting_spell_card = m_newGetSpellCheckBox->isChecked();
  input.selected = m_oldTitleComboBox->currentIndex() == m_newTitleComboBox->currentIndex();
  const cp932_text_t title = FromQString(m_newTitleLabeledEdit->text());
  const cp932_text_t memo = MemoFromQString(m_newMemo->toPlainText());
  if (for_storing) {
    // Refused before any question: the pattern could not be saved as typed.
    for (const cp932_text_t* t : {&title, &memo}) {
      if (!t->ok) {
        m_dialogs.Error(this, UnconvertibleMessage(t->unconvertible));
        return nullptr;
      }
    }
  }
  input.title = title.text;
  input.memo = memo.text;

  editor_prompts_t prompts;
  prompts.ask = [this](spell_card_question_t q) {
    return m_dialogs.Confirm(this, ToQString(SpellCardQuestionText(q)));
  };
  prompts.warn_enemy_bullet_bonus = [this] {
    m_dialogs.Warning(this, ToQString(EnemyBulletBonusWarningText()));
  };
  editor_read_t read = ReadEditorPattern(EditorNodeOf(m_currentNode), input, prompts);
  if (!read.pattern) {
    m_dialogs.Error(this, ToQString(read.error));
    return nullptr;
  }
  in.BeginUpdate();
  for (int r = 1; r <= kEditorRows; ++r) {
    in.SetCells(2, r, read.cells[static_cast<std::size_t>(r - 1)]);
  }
  in.EndUpdate();
  // The answer to a spell card question changes the box like a click.
  if (m_newGetSpellCheckBox->isChecked() != read.getting_spell_card) {
    m_newGetSpellCheckBox->setChecked(read.getting_spell_card);
  }
  return std::move(read.pattern);
}

void TMainWnd::CalcButtonClick() {
  m_calculateAfterCommit = false;
  CommitOpenCell();
  if (!m_currentNode) return;
  if (!EvaluateNewColumn()) return;
  // The pattern only shows its effect; it never enters the list.
  const std::unique_ptr<pattern_base_t> pattern = ReadNewPattern(false);
  if (!pattern) return;
  ShowEffect(*pattern);
}

void TMainWnd::ApplyButtonClick() {
  CommitOpenCell();
  if (!m_currentNode) return;
  pattern_base_t* const edited =
      PatternOfItem(*m_newTitleComboBox, m_newTitleComboBox->currentIndex());
  pattern_base_t* const current =
      PatternOfItem(*m_oldTitleComboBox, m_oldTitleComboBox->currentIndex());
  if (!edited || !current) return;
  if (!m_dialogs.Confirm(this, QStringLiteral("編集中のパターン「") + TitleOf(edited) +
                                   QStringLiteral("」を更新します。よろしいですか？"))) {
    return;
  }
  bool make_current = true;
  if (edited != current) {
    switch (m_dialogs.ConfirmWithCancel(
        this, QStringLiteral("「") + m_newTitleLabeledEdit->text() + QStringLiteral("」を「") +
                  TitleOf(current) + QStringLiteral("」に代えて現行のパターンとしますか？"))) {
      case TDialogs::TAnswer::Cancel:
        return;
      case TDialogs::TAnswer::Yes:
        make_current = true;
        break;
      case TDialogs::TAnswer::No:
        make_current = false;
        break;
    }
  }
  if (!EvaluateNewColumn()) return;
  std::unique_ptr<pattern_base_t> pattern = ReadNewPattern(true);
  if (!pattern) return;
  if (pattern->title.empty()) pattern->title = kUntitled;
  if (make_current) {
    current->selected = false;
    pattern->selected = true;
  }
  scene_base_t& node = *m_currentNode;
  try {
    node.patterns.Remove(edited);
    const pattern_base_t* stored = node.patterns.AddSorted(std::move(pattern));
    node.NormalizePatterns();
    FillOldTitleComboBox(node.patterns);
    FillNewTitleComboBox(node.patterns);
    SelectItemOf(*m_newTitleComboBox, stored);
    FillPatternColumn(1, node.CurrentPattern());
    ShowValue(2, node.CurrentExplanation());
    FillPatternColumn(2, *stored);
    ShowEffect(*stored);
  } catch (...) {
    // The list keeps whatever it holds now; the editor shows it after the next
    // selection change.
  }
  m_patternEdited = false;
  m_documentModified = true;
  m_acceptedNewTitleIndex = m_newTitleComboBox->currentIndex();
}

void TMainWnd::DeleteButtonClick() {
  CommitOpenCell();
  if (!m_currentNode) return;
  pattern_base_t* const edited =
      PatternOfItem(*m_newTitleComboBox, m_newTitleComboBox->currentIndex());
  if (!edited) return;
  if (!m_dialogs.Confirm(this, QStringLiteral("編集中のパターン「") + TitleOf(edited) +
                                   QStringLiteral("」を削除します。よろしいですか？"))) {
    return;
  }
  scene_base_t& node = *m_currentNode;
  try {
    node.patterns.Remove(edited);
    // An emptied list gets a new empty pattern, which becomes current.
    node.NormalizePatterns();
    if (pattern_base_t* now = node.patterns.Current(); now && now->title.empty()) {
      now->title = kUntitled;
    }
    FillOldTitleComboBox(node.patterns);
    FillNewTitleComboBox(node.patterns);
    const pattern_base_t& now = node.CurrentPattern();
    FillPatternColumn(1, now);
    ShowValue(2, node.CurrentExplanation());
    FillPatternColumn(2, now);
    ShowEffect(now);
  } catch (...) {
    // As for Update.
  }
  m_patternEdited = false;
  m_documentModified = true;
  m_acceptedNewTitleIndex = m_newTitleComboBox->currentIndex();
}

void TMainWnd::NewButtonClick() {
  if (!m_currentNode) return;
  if (!ConfirmDiscardPatternEdits()) return;
  const bool start_from_old = m_dialogs.Confirm(
      this, QStringLiteral("旧パターンを下敷きにしますか？（更新しなければ内容は消えます）"));
  scene_base_t& node = *m_currentNode;
  try {
    std::unique_ptr<pattern_base_t> empty;
    if (EditorNodeOf(&node).is_scene) {
      empty = std::make_unique<pattern_t>();
    } else {
      empty = std::make_unique<grouped_pattern_t>();
    }
    // Placed by its empty title, then named.
    pattern_base_t* added = node.patterns.AddSorted(std::move(empty));
    added->title = kUntitled;
    FillOldTitleComboBox(node.patterns);
    FillNewTitleComboBox(node.patterns);
    SelectItemOf(*m_newTitleComboBox, added);
    FillPatternColumn(1, node.CurrentPattern());
    ShowValue(2, node.CurrentExplanation());
    if (start_from_old) {
      FillPatternColumn(2, node.CurrentPattern());
      TUpdating updating(*this);
      m_newTitleLabeledEdit->setText(QString::fromLatin1(kUntitled));
    } else {
      FillPatternColumn(2, *added);
    }
    // Until the next calculation the comparison shows the empty pattern.
    ShowEffect(*added);
  } catch (...) {
    // As for Update.
  }
  m_patternEdited = false;
  m_documentModified = true;
  m_acceptedNewTitleIndex = m_newTitleComboBox->currentIndex();
}

void TMainWnd::GroupingCheckBoxClick() {
  if (m_updateDepth >= 1) return;
  CommitOpenCell();
  const bool checked = m_groupingCheckBox->isChecked();
  if (!checked && !ConfirmDiscardPatternEdits()) {
    TUpdating updating(*this);
    m_groupingCheckBox->setChecked(true);
    return;
  }
  m_patternEdited = false;
  if (auto* group = dynamic_cast<group_t*>(m_currentNode)) {
    group->grouping = checked;
    SceneViewOnChange();
  }
  m_patternEdited = false;
  m_documentModified = true;
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

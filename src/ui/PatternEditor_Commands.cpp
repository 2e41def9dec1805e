// The editor's commands: calculate the new column, update the edited
// pattern, delete it, start a new one and switch a group's grouping.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "calc/CalcInput.h"
#include "calc/Calculator.h"
#include "grid/KwGrid.h"
#include "model/qvl_editor.h"
#include "ui/Dialogs.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

// What a cell of the new column holds for an answer of the calculator: a
// whole score as an integer, shown with all its digits; anything else (a
// fraction, a value beyond the score range) as the calculator's own text form,
// "1E20" as qvl calc prints it, so that the cell never shows another spelling.
TCellValue AnswerCell(double answer) {
  if (answer == std::trunc(answer)) {
    if (const std::optional<score_t> score = RoundToScore(answer)) return std::int64_t{*score};
  }
  return ToQString(ValueText(answer));
}

// A cell of the new column as the calculator left it; an integer filled from
// a pattern is a number too. An answer in the calculator's text form reads
// back as the very answer (the calculator's answer is the reading of that
// text); beyond the double range it is infinite, which reading refuses.
double CellNumber(const TCellValue& v) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* s = std::get_if<QString>(&v)) {
    const cp932_text_t text = FromQString(*s);
    long double x = 0;
    if (text.ok && TryReadNumber(text.text, x)) {
      constexpr long double kMax = std::numeric_limits<double>::max();
      if (x > kMax) return std::numeric_limits<double>::infinity();
      if (x < -kMax) return -std::numeric_limits<double>::infinity();
      return static_cast<double>(x);
    }
  }
  return 0;
}

QString TitleOf(const pattern_base_t* p) {
  return p ? ToQString(p->title) : QString();
}

}  // namespace

bool TPatternEditor::EvaluateNewColumn() {
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
        // fails every time. Full-width digits and signs typed with the input
        // method on count as their ASCII forms.
        try {
          answer = m_calculator.Evaluate(HalfWidthExpression(text.text));
        } catch (const EEmptyExpression&) {
          answer = 0;
        } catch (const ECalculator& e) {
          error = ToQString(e.Message());
        } catch (const EMathError& e) {
          // The platform's arithmetic errors, named as the platform names them.
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
      in.SetCells(2, r, AnswerCell(answer));
    }
    in.EndUpdate();
  }
  if (failure.isEmpty()) return true;
  m_dialogs.Error(window(), failure);
  return false;
}

bool TPatternEditor::StorableTexts() {
  // A title or a memo that code page 932 cannot hold could not be saved as
  // typed: refused as the scene memo refuses it.
  const cp932_text_t title = FromQString(m_newTitleLabeledEdit->text());
  const cp932_text_t memo = MemoFromQString(m_newMemo->toPlainText());
  for (const cp932_text_t* t : {&title, &memo}) {
    if (!t->ok) {
      m_dialogs.Error(window(), UnconvertibleMessage(t->unconvertible));
      return false;
    }
  }
  return true;
}

std::unique_ptr<pattern_base_t> TPatternEditor::ReadNewPattern(bool for_storing) {
  TKwGrid& in = *m_inputKwGrid;
  editor_input_t input;
  for (int r = 1; r <= kEditorRows; ++r) {
    input.cells[static_cast<std::size_t>(r - 1)] = CellNumber(in.Cells(2, r));
  }
  input.getting_spell_card = m_newGetSpellCheckBox->isChecked();
  const cp932_text_t title = FromQString(m_newTitleLabeledEdit->text());
  const cp932_text_t memo = MemoFromQString(m_newMemo->toPlainText());
  if (for_storing && !StorableTexts()) return nullptr;
  input.title = title.text;
  input.memo = memo.text;

  editor_prompts_t prompts;
  prompts.ask = [this](spell_card_question_t q) {
    return m_dialogs.Confirm(window(), ToQString(SpellCardQuestionText(q)));
  };
  prompts.warn_enemy_bullet_bonus = [this] {
    m_dialogs.Warning(window(), ToQString(EnemyBulletBonusWarningText()));
  };
  editor_read_t read = ReadEditorPattern(EditorNodeOf(m_session.CurrentNode()), input, prompts);
  if (!read.pattern) {
    m_dialogs.Error(window(), ToQString(read.error));
    return nullptr;
  }
  in.BeginUpdate();
  for (int r = 1; r <= kEditorRows; ++r) {
    in.SetCells(2, r, AnswerCell(read.cells[static_cast<std::size_t>(r - 1)]));
  }
  in.EndUpdate();
  // The answer to a spell card question changes the box like a click.
  if (m_newGetSpellCheckBox->isChecked() != read.getting_spell_card) {
    m_newGetSpellCheckBox->setChecked(read.getting_spell_card);
  }
  return std::move(read.pattern);
}

void TPatternEditor::CalcButtonClick() {
  m_calculateAfterCommit = false;
  CommitOpenCell();
  if (!m_session.CurrentNode()) return;
  if (!EvaluateNewColumn()) return;
  // The pattern only shows its effect; it never enters the list.
  const std::unique_ptr<pattern_base_t> pattern = ReadNewPattern(false);
  if (!pattern) return;
  ShowEffect(*pattern);
  // Kept while it holds, for a chart opened later.
  if (Calculated) Calculated(*m_session.CurrentNode(), *pattern);
}

void TPatternEditor::ApplyButtonClick() {
  CommitOpenCell();
  scene_base_t* const node = m_session.CurrentNode();
  if (!node) return;
  const pattern_base_t* const edited = m_session.EditedPattern();
  const pattern_base_t* const current = node->patterns.Current();
  if (!edited || !current) return;
  // Refused before any question.
  if (!StorableTexts()) return;
  if (!m_dialogs.Confirm(
          window(),
          tr("編集中のパターン「%1」を更新します。よろしいですか？").arg(TitleOf(edited)))) {
    return;
  }
  bool make_current = true;
  if (edited != current) {
    switch (m_dialogs.ConfirmWithCancel(
        window(), tr("「%1」を「%2」に代えて現行のパターンとしますか？")
                      .arg(m_newTitleLabeledEdit->text(), TitleOf(current)))) {
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
  m_session.Store(std::move(pattern), make_current);
}

void TPatternEditor::DeleteButtonClick() {
  CommitOpenCell();
  const pattern_base_t* const edited = m_session.EditedPattern();
  if (!edited) return;
  if (!m_dialogs.Confirm(
          window(),
          tr("編集中のパターン「%1」を削除します。よろしいですか？").arg(TitleOf(edited)))) {
    return;
  }
  m_session.DeleteEdited();
}

void TPatternEditor::NewButtonClick() {
  if (!m_session.CurrentNode()) return;
  if (!ConfirmDiscardPatternEdits()) return;
  const bool from_current = m_dialogs.Confirm(
      window(), tr("旧パターンを下敷きにしますか？（更新しなければ内容は消えます）"));
  m_session.AddNewPattern(from_current);
}

void TPatternEditor::GroupingCheckBoxClick() {
  if (m_updateDepth >= 1) return;
  CommitOpenCell();
  const bool checked = m_groupingCheckBox->isChecked();
  if (!checked && !ConfirmDiscardPatternEdits()) {
    TUpdating updating(*this);
    m_groupingCheckBox->setChecked(true);
    return;
  }
  // The box shows only for a group; the session reports the change and the
  // editor shows the group afresh, editable or as a sum.
  scene_base_t* node = m_session.CurrentNode();
  if (group_t* group = node != nullptr ? node->AsGroup() : nullptr) {
    m_session.SetGrouping(*group, checked);
  }
}

}  // namespace qvl

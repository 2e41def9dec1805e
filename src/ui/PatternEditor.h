// The pattern editor: the input grid with the old pattern of the shown node
// beside the new one being edited and their difference, the two title boxes,
// the memos, the spell card boxes, the grouping box and the four buttons. It
// listens to the session, shows the selection's patterns and turns the
// buttons and boxes into the session's operations; the effect of the new
// pattern goes to the comparison table.
#pragma once

#include <QGroupBox>

#include <functional>
#include <memory>

#include "calc/Calculator.h"
#include "grid/KwGrid.h"
#include "model/qvl_pattern.h"
#include "model/qvl_session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qvl {

class TComparisonPanel;
class TDialogs;
class TStatusBar;

class TPatternEditor : public QGroupBox {
  Q_OBJECT
 public:
  // Listens to session until it goes. label_extra: pixels added to the label
  // column for the font.
  TPatternEditor(TDocumentSession& session, TDialogs& dialogs, TComparisonPanel& comparison,
                 TStatusBar& status_bar, int label_extra, QWidget* parent = nullptr);
  ~TPatternEditor() override;

  [[nodiscard]] TKwGrid& Grid() const { return *m_inputKwGrid; }
  [[nodiscard]] QPlainTextEdit& NewMemo() const { return *m_newMemo; }
  [[nodiscard]] QLineEdit& NewTitleEdit() const { return *m_newTitleLabeledEdit; }
  // The new-title item of the pattern being edited.
  [[nodiscard]] int AcceptedNewTitleIndex() const;

  // How much wider than drawn the label column must be for the font in use.
  [[nodiscard]] static int LabelExtraNeeded();
  void SetLabelExtra(int extra);
  // The comparison's value columns grew by extra pixels: the difference
  // column takes the same, so that both grids keep filling the pane.
  void SetValueExtra(int extra);
  // The controls at their places for the box's width and height.
  void LayOut();

  // Text still open in a cell of the input grid counts as typed: every
  // command and every question about unapplied edits takes it in first.
  void CommitOpenCell();
  [[nodiscard]] bool ConfirmDiscardPatternEdits();
  [[nodiscard]] QString PatternDiscardQuestion() const;
  // Enter where no control took it: the calculation, if it can be made now.
  bool PressDefaultButton();

  // --- the buttons and boxes (PatternEditor_Commands.cpp)
  void CalcButtonClick();
  void ApplyButtonClick();
  void DeleteButtonClick();
  void NewButtonClick();
  void GroupingCheckBoxClick();
  // The grid's answer to a finished edit of cell (col, row).
  void InputKwGridCellEdit(int col, int row, bool modified, TCellValue& new_value);

  // A pattern was calculated for the shown node: its plan for the chart.
  std::function<void(scene_base_t& node, const pattern_base_t& pattern)> Calculated;

 protected:
  void changeEvent(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // Raises the update depth while the program fills controls.
  class TUpdating {
   public:
    explicit TUpdating(TPatternEditor& e) : m_e(e) { ++m_e.m_updateDepth; }
    ~TUpdating() { --m_e.m_updateDepth; }
    TUpdating(const TUpdating&) = delete;
    TUpdating& operator=(const TUpdating&) = delete;

   private:
    TPatternEditor& m_e;
  };

  void CreateControls();
  void PrepareGrid();
  void Connect();
  void Retranslate();
  void SessionChanged(const session_change_t& change);
  void Clear();
  void SetRowLabels(const scene_base_t* node);
  void SetEditable(bool on);
  // The session's selection, afresh.
  void ShowSelection();
  void ShowSingleNode(scene_base_t& node);
  void ShowMultipleSelection();
  // After another pattern became current somewhere: the old column and its
  // title box of what is shown, afresh; the new column keeps what is typed.
  void ShowCurrentChoices();
  // The stored list of the current node after Update, Delete or New: the
  // title boxes, the old column, the new column from new_column and the
  // effect of effect.
  void ShowStoredList(const pattern_base_t& new_column, const pattern_base_t& effect);
  // Rows 1 to 10 of the old (1) or the new (2) column with the controls that
  // belong to that column, from a pattern of the current node's class.
  void FillPatternColumn(int column, const pattern_base_t& pattern);
  // The titles of a list, sorted by the combo box, each item holding its
  // pattern's list index; the list's current pattern is the selected item of
  // the old one, the pattern being edited that of the new one.
  void FillOldTitleComboBox(const pattern_base_list_t& list);
  void FillNewTitleComboBox(const pattern_base_list_t& list);
  [[nodiscard]] static int ListIndexOfItem(const QComboBox& box, int item);
  [[nodiscard]] static int ItemOfListIndex(const QComboBox& box, int index);
  // The effect of pattern in the comparison table, and both difference columns.
  void ShowEffect(const pattern_base_t& pattern);
  void UpdateInputDifferences();
  // The difference header and the current node's row labels, leaving every
  // typed cell as it is.
  void WriteInputLabels();

  void InputKwGridEnterCell(int col, int row);
  void KwGridKeyDown(int key);
  void NewTitleComboBoxChange();
  // Typing in the new title, memo or spell card box.
  void NewFieldChange();

  // Replaces every cell of the new column by its calculator answer; false when
  // an editable cell failed (its message was shown).
  bool EvaluateNewColumn();
  // The new column read into a pattern of the current node's class, with its
  // questions; null when refused (the reason was shown). for_storing: the
  // title and the memo must be storable.
  std::unique_ptr<pattern_base_t> ReadNewPattern(bool for_storing);
  // False, after the refusal, when the new title or memo cannot be stored.
  bool StorableTexts();

  TDocumentSession& m_session;
  TDialogs& m_dialogs;
  TComparisonPanel& m_comparison;
  TStatusBar& m_statusBar;
  int m_listener = 0;
  int m_updateDepth = 0;
  // Enter was pressed in the input grid's editor: calculate once the edit is
  // committed.
  bool m_calculateAfterCommit = false;
  int m_labelExtra = 0;
  int m_valueExtra = 0;
  TCalculator m_calculator;

  TKwGrid* m_inputKwGrid = nullptr;
  QComboBox* m_oldTitleComboBox = nullptr;
  QComboBox* m_newTitleComboBox = nullptr;
  QCheckBox* m_oldGetSpellCheckBox = nullptr;
  QCheckBox* m_newGetSpellCheckBox = nullptr;
  QCheckBox* m_groupingCheckBox = nullptr;
  QLabel* m_memoLabel = nullptr;
  QPlainTextEdit* m_oldMemo = nullptr;
  QPlainTextEdit* m_newMemo = nullptr;
  QLabel* m_newTitleLabel = nullptr;
  QLineEdit* m_newTitleLabeledEdit = nullptr;
  QPushButton* m_calcButton = nullptr;
  QPushButton* m_newButton = nullptr;
  QPushButton* m_applyButton = nullptr;
  QPushButton* m_deleteButton = nullptr;
};

}  // namespace qvl

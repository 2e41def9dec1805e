// The comparison table: what the current pattern of the shown node (or the
// sum of a multiple selection) is worth term by term, what a new pattern
// would be worth in its place and the difference, with each term's formula as
// the hint of its cell. It listens to the session for the old side; the
// pattern editor hands it the new pattern whose effect it shows.
#pragma once

#include <QGroupBox>

#include <array>
#include <functional>
#include <memory>

#include "model/qvl_pattern.h"
#include "model/qvl_session.h"

namespace qvl {

class TDialogs;
class TKwGrid;
class TStatusBar;

class TComparisonPanel : public QGroupBox {
  Q_OBJECT
 public:
  // Listens to session until it goes; hints and reports go to panel 0 of
  // status_bar. label_extra: pixels added to the label column for the font.
  TComparisonPanel(const TDocumentSession& session, TDialogs& dialogs, TStatusBar& status_bar,
                   int label_extra, QWidget* parent = nullptr);
  ~TComparisonPanel() override;

  [[nodiscard]] TKwGrid& Grid() const { return *m_grid; }
  // The values of the old (column 2) and the new (column 3) side, as shown.
  [[nodiscard]] const pattern_value_t* OldValue() const { return m_oldValue.get(); }
  [[nodiscard]] const pattern_value_t* NewValue() const { return m_newValue.get(); }

  // How much wider than drawn the label column must be for the font in use.
  [[nodiscard]] static int LabelExtraNeeded();
  void SetLabelExtra(int extra);
  // The effect of putting pattern in the place of the current node's current
  // pattern: the new column and the differences. Kept, so that a change of the
  // current patterns shows it afresh.
  void ShowEffect(const pattern_base_t& pattern);
  // The difference column, new minus old.
  void UpdateDifferences();

  // The value columns grew or shrank by this many pixels over their designed
  // widths: the input grid's difference column follows, and the right pane.
  std::function<void(int extra, int delta)> ValueColumnsResized;

 protected:
  void changeEvent(QEvent* e) override;
  // The box's points beside the grid are on no cell: the hint goes.
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  void SessionChanged(const session_change_t& change);
  void Retranslate();
  void PrepareGrid();
  void Clear();
  // The headers, group and row labels.
  void WriteLabels();
  // The old side of the selection: the current node's value, or the sum of
  // a multiple selection.
  void ShowOldSide();
  // After another pattern became current somewhere: both sides afresh.
  void ShowCurrentChoices();
  // Shows a value in column 2 (old) or 3 (new) and keeps it.
  void ShowValue(int column, pattern_value_t value);
  // Widens the value columns to show their numbers whole; back to the
  // designed widths when they fit.
  void FitValueColumns();
  // Names in status panel 0 the cells that say their value is out of the
  // score range; clears its own earlier report when none does.
  void ReportOutOfRangeCells();
  void MouseMove(QPoint point);
  void SetHint(const QString& hint);

  const TDocumentSession& m_session;
  TDialogs& m_dialogs;
  TStatusBar& m_statusBar;
  int m_listener = 0;
  TKwGrid* m_grid = nullptr;
  std::unique_ptr<pattern_value_t> m_oldValue;
  std::unique_ptr<pattern_value_t> m_newValue;
  // The pattern whose effect the new column shows.
  std::unique_ptr<pattern_base_t> m_effectPattern;
  std::array<int, 2> m_hoverCell{-1, -1};
  // The last report of ReportOutOfRangeCells, empty when there is none.
  QString m_outOfRangeReport;
  int m_labelExtra = 0;
  // The value columns (old, new, difference): as designed, or wider for the
  // numbers they show.
  std::array<int, 3> m_valueWidths{116, 116, 100};
  int m_valueExtra = 0;
};

}  // namespace qvl

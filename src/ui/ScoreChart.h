// The score build-up chart ("スコア推移"): a window of its own that shows the
// route of the session's document, the running total as a line and every
// position's own total as a column, with the running total of a calculated
// change of plan beside it. It follows the session's change reports and saves
// its picture as PNG or SVG. Under the main plot, a smaller one shows the
// running gap of the changed plan against the document.
#pragma once

#include <QString>
#include <QWidget>

#include "model/qvl_chart.h"
#include "model/qvl_session.h"
#include "ui/ScoreChartView.h"

class QPushButton;

namespace qvl {

class TDialogs;

class TScoreChartWindow : public QWidget {
  Q_OBJECT
 public:
  // Listens to session until it is destroyed and shows plan's line; dialogs
  // asks for file names and shows save failures. A parent is the main window:
  // Ctrl+G brings it to the front.
  TScoreChartWindow(const TDocumentSession& session, TChartPlan& plan, TDialogs& dialogs,
                    QWidget* parent = nullptr);
  ~TScoreChartWindow() override;

  // After Calculate: the route with pattern in place of node's current
  // pattern beside the document's. Kept, and computed again, until the plan's
  // node or the editor's pattern changes.
  void ShowPlan(const scene_base_t& node, const pattern_base_t& pattern);
  void ClearPlan();
  [[nodiscard]] TScoreChartView& View() { return *m_view; }

  // Before the first show: the place remembered from an earlier opening if
  // it is on a screen, else beside owner where the screen has room, else
  // over owner's right part below its menu bar.
  void PlaceBeside(const QWidget& owner);

  // ファイルに保存: PNG or SVG by the chosen name's extension.
  void SaveButtonClick();

 signals:
  // A position was clicked: its node should become the selection.
  void NodeClicked(const scene_base_t* node);

 protected:
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  // QEvent::LanguageChange: the texts and the chart afresh.
  void changeEvent(QEvent* e) override;

 private:
  void RetranslateUi();
  void SessionChanged(const session_change_t& change);
  // The document's route and the plan computed afresh; only while shown,
  // else at the next show.
  void Refresh();

  const TDocumentSession& m_session;
  TChartPlan& m_plan;
  TDialogs& m_dialogs;
  int m_listener = 0;
  bool m_stale = true;
  QString m_saveDir;

  TScoreChartView* m_view = nullptr;
  QPushButton* m_saveButton = nullptr;
};

}  // namespace qvl

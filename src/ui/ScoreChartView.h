// The score build-up chart itself: the route of a document's running total
// as a line and every position's own total as a column, a changed plan's line
// beside it and its gap under the plot, the stage titles under the route.
// Hovering a position shows its figures, clicking one reports it; the arrow
// keys walk the positions.
#pragma once

#include <QChartView>
#include <QFont>
#include <QHash>
#include <QString>

#include <vector>

#include "model/qvl_chart.h"
#include "ui/ScoreChartAxes.h"

class QAreaSeries;
class QCategoryAxis;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QLineSeries;

namespace qvl {

class TScoreColumnsItem;
class TScoreGapItem;
class TStageLinesItem;

// The chart: hovering a position shows its figures, clicking one reports it.
class TScoreChartView : public QChartView {
  Q_OBJECT
 public:
  explicit TScoreChartView(QWidget* parent = nullptr);

  // Shows the route; a plan shown before stays only if it has one running
  // total per position.
  void SetData(score_chart_data_t data);
  // The running totals of a changed plan, one per position; empty hides it.
  void SetPlan(std::vector<checked_score_t> plan);
  [[nodiscard]] const score_chart_data_t& Data() const { return m_data; }
  [[nodiscard]] const std::vector<checked_score_t>& Plan() const { return m_plan; }

  // The position whose column is under a point of the viewport, or -1.
  [[nodiscard]] int PositionAt(QPoint point) const;
  // The viewport point at the middle of a position's column.
  [[nodiscard]] QPoint PointOf(int position) const;
  // The hover text of a position: the path of titles and the totals.
  [[nodiscard]] QString HoverText(int position) const;
  // The label at the plan line's end, empty when no plan is shown.
  [[nodiscard]] QString PlanGapText() const;
  // The position the arrow keys have reached, or -1.
  [[nodiscard]] int KeyPosition() const { return m_keyPosition; }
  // Without a document: a short note in the middle and nothing else, until
  // the next SetData.
  void ShowNoDocument();
  // The stage titles under the route, one per stage in route order, each
  // whole or visibly shortened.
  [[nodiscard]] const std::vector<QGraphicsSimpleTextItem*>& StageLabels() const {
    return m_stageLabels;
  }
  // Where the gap plot is drawn, in the chart's coordinates; empty while it
  // is hidden (no plan).
  [[nodiscard]] QRectF GapPlotArea() const;
  // The chart's picture in a format ("png" or "svg") at the view's size,
  // without the key marker.
  [[nodiscard]] QByteArray Picture(const QString& format);
  // The chart's name: its window's title and its picture's.
  [[nodiscard]] static QString Title();
  // Why no picture can be saved as file_name: its extension names no format
  // that Picture draws.
  [[nodiscard]] static QString NoPictureFormatMessage(const QString& file_name);

 signals:
  void PositionClicked(int position);

 protected:
  bool viewportEvent(QEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  // Marks a position reached by the keys and shows its figures.
  // Titles, legend and the empty chart's note in the current language.
  void RetranslateUi();
  void ShowKeyPosition(int position);
  // The mark where the key position is, hidden without one.
  void PlaceKeyMarker();
  void ShowStops();
  // The running line's name, which says how many positions are left out
  // because a value there is beyond the score range.
  [[nodiscard]] QString RunningName() const;
  // Lays the route axis out only when its length changes.
  void SetRouteLength(int positions);
  void ShowPlan();
  void PlaceGapLabel();
  // The value axes' ranges and labels for the current data and plan.
  void SetValueRanges();
  // Room under the plot for the gap plot and the stage titles, then both
  // placed there; after every change of the plot area, the route or the plan.
  void LayOutBelowPlot();
  void PlaceStageLabels();
  // A text's width in the stage titles' font. The titles are placed again at
  // every change of the plot area, which the chart makes several times while
  // it settles after new data: each title and shortened form is measured
  // once per data instead of at every placing.
  double StageTextWidth(const QString& text);

  score_chart_data_t m_data;
  std::vector<checked_score_t> m_plan;
  int m_pressed = -1;
  int m_routePositions = -1;
  int m_keyPosition = -1;
  QGraphicsLineItem* m_keyMarker = nullptr;

  QLineSeries* m_running = nullptr;
  QLineSeries* m_columnTops = nullptr;
  QAreaSeries* m_columns = nullptr;
  TScoreColumnsItem* m_columnsItem = nullptr;
  TStageLinesItem* m_stageLines = nullptr;
  TStageLinesItem* m_stageTicks = nullptr;
  QLineSeries* m_planLine = nullptr;
  QCategoryAxis* m_routeAxis = nullptr;
  QCategoryAxis* m_totalAxis = nullptr;
  QCategoryAxis* m_ownAxis = nullptr;
  axis_categories_t m_totalLabels;
  axis_categories_t m_ownLabels;
  QGraphicsRectItem* m_gapBox = nullptr;
  QGraphicsSimpleTextItem* m_gapText = nullptr;
  TScoreGapItem* m_gapItem = nullptr;
  std::vector<QGraphicsSimpleTextItem*> m_stageLabels;
  QFont m_stageFont;
  QHash<QString, double> m_stageWidths;
  // Where the stage labels were placed for the current data.
  bool m_labelsPlaced = false;
  QRectF m_labelsPlot;
  QRectF m_labelsGap;
  double m_roomBelow = -1;  // the route axis's reserved label height
  QGraphicsSimpleTextItem* m_note = nullptr;
};

}  // namespace qvl

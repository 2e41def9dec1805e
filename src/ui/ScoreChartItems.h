// The score chart's own graphics items: the columns of every position's own
// total, the grid lines between the stages, and the gap plot of a changed plan
// under the main plot. Each paints the whole route at once, where a series or
// an axis would be hundreds or thousands of items.
#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QRectF>
#include <QString>

#include <vector>

#include "model/qvl_chart.h"

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QGraphicsSimpleTextItem;

namespace qvl {

// The columns' colour, which the legend's entry for them shares.
inline constexpr QColor kColumnColor{185, 190, 200};

// Every position's own total as a column from zero, on the right-hand axis.
class TScoreColumnsItem : public QGraphicsItem {
 public:
  // data stays the caller's and is read at every paint.
  TScoreColumnsItem(QChart& chart, QAbstractSeries& axes, const score_chart_data_t& data);

  // After the data, the axes or the plot area changed.
  void Refresh();

  [[nodiscard]] QRectF boundingRect() const override { return m_bounds; }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

 private:
  QChart& m_chart;
  QAbstractSeries& m_axes;
  const score_chart_data_t& m_data;
  QRectF m_bounds;
};

// The route axis's grid lines where one stage ends and the next begins, or
// their ticks under the plot. The axis draws the route's two ends itself; a
// category per stage would have it measure and lay out a label for each at
// every layout of the chart.
class TStageLinesItem : public QGraphicsItem {
 public:
  // The lines across the plot below the series and the axes' lines, or the
  // ticks over the axis's line, as the axis stacks its own.
  enum class part_t { Grid, Ticks };
  // The lines take the look of axis's grid, the ticks of its line.
  TStageLinesItem(QChart& chart, QAbstractSeries& axes, const QAbstractAxis& axis, part_t part);

  // The positions (on the route axis) where the lines go.
  void Set(std::vector<double> ends);
  // After the axes or the plot area changed.
  void Refresh();

  [[nodiscard]] QRectF boundingRect() const override { return m_bounds; }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

 private:
  QChart& m_chart;
  QAbstractSeries& m_axes;
  const QAbstractAxis& m_axis;
  const part_t m_part;
  std::vector<double> m_ends;
  QRectF m_bounds;
};

// The running gap of the plan against the document along the route, as
// columns from a zero line in the comparison table's colours: a run of gains
// or of losses is one filled outline.
class TScoreGapItem : public QGraphicsItem {
 public:
  TScoreGapItem(QChart& chart, QAbstractSeries& axes);

  void SetCaption(const QString& caption);
  // The gaps at every position, empty to hide; area is where they go.
  void Set(std::vector<score_t> gaps, const QRectF& area);
  [[nodiscard]] QRectF Area() const { return isVisible() ? m_area : QRectF(); }

  [[nodiscard]] QRectF boundingRect() const override { return m_area.adjusted(-1, -1, 1, 1); }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

 private:
  QChart& m_chart;
  QAbstractSeries& m_axes;
  std::vector<score_t> m_gaps;
  QRectF m_area;
  score_t m_lowest = 0;
  score_t m_highest = 0;
  QGraphicsSimpleTextItem* m_caption = nullptr;
  QGraphicsSimpleTextItem* m_high = nullptr;
  QGraphicsSimpleTextItem* m_low = nullptr;
};

}  // namespace qvl

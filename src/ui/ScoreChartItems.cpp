#include "ui/ScoreChartItems.h"

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QChart>
#include <QFont>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <algorithm>

#include "ui/AppInfo.h"
#include "ui/ScoreChartAxes.h"

namespace qvl {

TScoreColumnsItem::TScoreColumnsItem(QChart& chart, QAbstractSeries& axes,
                                     const score_chart_data_t& data)
    : QGraphicsItem(&chart), m_chart(chart), m_axes(axes), m_data(data) {
  // Above the plot's background, below its grid lines and the series.
  setZValue(1.5);
  // A column per position is thousands of rectangles, the same until the
  // route or the plot changes (Refresh): a new plan line over them repaints
  // them from the cached picture.
  setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

void TScoreColumnsItem::Refresh() {
  prepareGeometryChange();
  m_bounds = m_chart.plotArea();
  update();
}

void TScoreColumnsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (m_data.stops.empty()) return;
  // The axes are linear: two mapped points give every column's place.
  const QPointF origin = m_chart.mapToPosition(QPointF(0, 0), &m_axes);
  const QPointF unit = m_chart.mapToPosition(QPointF(1, 1), &m_axes);
  const double dx = unit.x() - origin.x();
  const double dy = unit.y() - origin.y();
  const double half = std::max(0.4 * dx, 0.5);
  painter->save();
  painter->setClipRect(m_bounds);
  painter->setRenderHint(QPainter::Antialiasing, false);
  for (std::size_t i = 0; i < m_data.stops.size(); ++i) {
    const checked_score_t own = m_data.stops[i].own;
    if (!own.InRange()) continue;  // left out, as the legend says
    const double x = origin.x() + dx * static_cast<double>(i);
    const double top = origin.y() + dy * static_cast<double>(own.Value());
    painter->fillRect(QRectF(QPointF(x - half, std::min(top, origin.y())),
                             QPointF(x + half, std::max(top, origin.y()))),
                      kColumnColor);
  }
  painter->restore();
}

namespace {
// As long as the axis's own ticks.
constexpr double kTickLength = 4;
}  // namespace

TStageLinesItem::TStageLinesItem(QChart& chart, QAbstractSeries& axes, const QAbstractAxis& axis,
                                 part_t part)
    : QGraphicsItem(&chart), m_chart(chart), m_axes(axes), m_axis(axis), m_part(part) {
  // The grid above the columns, with the axes' own grid lines; the ticks
  // above the axes' lines, below the series.
  setZValue(part == part_t::Grid ? 1.75 : 3.5);
}

void TStageLinesItem::Set(std::vector<double> ends) {
  m_ends = std::move(ends);
  update();
}

void TStageLinesItem::Refresh() {
  prepareGeometryChange();
  const QRectF plot = m_chart.plotArea();
  const double pen =
      (m_part == part_t::Grid ? m_axis.gridLinePen() : m_axis.linePen()).widthF() + 1;
  m_bounds = m_part == part_t::Grid ? plot.adjusted(-pen, -pen, pen, pen)
                                    : QRectF(plot.left() - pen, plot.bottom() - pen,
                                             plot.width() + 2 * pen, kTickLength + 2 * pen);
  update();
}

void TStageLinesItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (!m_axis.isGridLineVisible()) return;
  const QRectF plot = m_chart.plotArea();
  const bool grid = m_part == part_t::Grid;
  painter->setPen(grid ? m_axis.gridLinePen() : m_axis.linePen());
  const double top = grid ? plot.top() : plot.bottom();
  const double bottom = grid ? plot.bottom() : plot.bottom() + kTickLength;
  for (const double end : m_ends) {
    const double x = m_chart.mapToPosition(QPointF(end, 0), &m_axes).x();
    painter->drawLine(QLineF(x, top, x, bottom));
  }
}

TScoreGapItem::TScoreGapItem(QChart& chart, QAbstractSeries& axes)
    : QGraphicsItem(&chart), m_chart(chart), m_axes(axes) {
  setZValue(1.5);
  setVisible(false);
  m_caption = new QGraphicsSimpleTextItem(this);
  m_high = new QGraphicsSimpleTextItem(this);
  m_low = new QGraphicsSimpleTextItem(this);
  for (QGraphicsSimpleTextItem* text : {m_caption, m_high, m_low}) {
    QFont font = text->font();
    if (font.pointSizeF() > 0) {
      font.setPointSizeF(font.pointSizeF() * 0.85);
    } else {
      font.setPixelSize(std::max(6, static_cast<int>(font.pixelSize() * 0.85)));
    }
    text->setFont(font);
    text->setBrush(QColor(80, 80, 80));
  }
}

void TScoreGapItem::SetCaption(const QString& caption) {
  m_caption->setText(caption);
}

void TScoreGapItem::Set(std::vector<score_t> gaps, const QRectF& area) {
  prepareGeometryChange();
  m_gaps = std::move(gaps);
  m_area = area;
  m_lowest = 0;
  m_highest = 0;
  for (const score_t g : m_gaps) {
    m_lowest = std::min(m_lowest, g);
    m_highest = std::max(m_highest, g);
  }
  setVisible(!m_gaps.empty() && !area.isEmpty());
  m_high->setText(m_highest > 0 ? chart::SignedScore(m_highest) : QString());
  m_low->setText(m_lowest < 0 ? chart::SignedScore(m_lowest) : QString());
  m_caption->setPos(m_area.left() + 4, m_area.top());
  m_high->setPos(m_area.right() - m_high->boundingRect().width() - 4, m_area.top());
  m_low->setPos(m_area.right() - m_low->boundingRect().width() - 4,
                m_area.bottom() - m_low->boundingRect().height());
  update();
}

void TScoreGapItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (m_gaps.empty()) return;
  const double x0 = m_chart.mapToPosition(QPointF(0, 0), &m_axes).x();
  const double dx = m_chart.mapToPosition(QPointF(1, 0), &m_axes).x() - x0;
  const double half = std::max(0.4 * dx, 0.5);
  // Zero where the gaps' range puts it; the range keeps a line of room for
  // the texts above and below.
  const double top = m_area.top() + 2;
  const double height = std::max(1.0, m_area.height() - 4);
  const double span = static_cast<double>(m_highest) - static_cast<double>(m_lowest);
  const double scale = span > 0 ? height / span : 0;
  const double zero = top + static_cast<double>(m_highest) * scale;
  const auto y_of = [&](score_t g) { return zero - static_cast<double>(g) * scale; };

  painter->save();
  painter->setClipRect(m_area);
  painter->setPen(QPen(QColor(170, 170, 170), 1));
  painter->drawLine(QPointF(m_area.left(), zero), QPointF(m_area.right(), zero));
  const std::size_t n = m_gaps.size();
  for (std::size_t i = 0; i < n;) {
    const int sign = m_gaps[i] > 0 ? 1 : m_gaps[i] < 0 ? -1 : 0;
    std::size_t end = i + 1;
    while (end < n && (m_gaps[end] > 0 ? 1 : m_gaps[end] < 0 ? -1 : 0) == sign) ++end;
    if (sign != 0) {
      QPolygonF outline;
      outline.reserve(static_cast<qsizetype>(2 * (end - i) + 2));
      outline << QPointF(x0 + dx * static_cast<double>(i) - half, zero);
      for (std::size_t j = i; j < end; ++j) {
        const double x = x0 + dx * static_cast<double>(j);
        outline << QPointF(x - half, y_of(m_gaps[j])) << QPointF(x + half, y_of(m_gaps[j]));
      }
      outline << QPointF(x0 + dx * static_cast<double>(end - 1) + half, zero);
      const QColor fill = sign > 0 ? kGainColor : kLossColor;
      painter->setPen(QPen(fill.darker(170), 1));
      painter->setBrush(fill);
      painter->drawPolygon(outline);
    }
    i = end;
  }
  painter->restore();
}

}  // namespace qvl

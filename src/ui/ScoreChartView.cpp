#include "ui/ScoreChartView.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "ui/AppInfo.h"
#include "ui/Language.h"
#include "ui/QtText.h"
#include "ui/ScoreChartItems.h"

namespace qvl {
namespace {

const QColor kRunningColor{50, 60, 80};

QColor DifferenceColor(score_t gap) {
  if (gap == 0) return QColor(230, 230, 230);
  return gap > 0 ? kGainColor : kLossColor;
}

// The table's light colours vanish as a thin line on white: the line keeps
// their hue and is drawn strong.
QColor PlanLineColor(score_t gap) {
  if (gap == 0) return QColor(120, 120, 120);
  return QColor::fromHsv(DifferenceColor(gap).hsvHue(), 190, 215);
}

}  // namespace

TScoreChartView::TScoreChartView(QWidget* parent) : QChartView(parent) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setLocale(chart::ChartLocale());
  chart->setLocalizeNumbers(true);
  chart->legend()->setAlignment(Qt::AlignBottom);
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);

  // The columns are painted by an item of their own (a filled area of four
  // points per column takes the rasterizer half a second on a long route);
  // the empty area series gives them their legend entry and their axis.
  m_columnTops = new QLineSeries(this);
  m_columns = new QAreaSeries(m_columnTops);
  m_columns->setName(QString());
  m_columns->setPen(Qt::NoPen);
  m_columns->setBrush(kColumnColor);
  m_running = new QLineSeries;
  m_running->setName(QString());
  m_running->setPen(QPen(kRunningColor, 2));
  m_planLine = new QLineSeries;
  m_planLine->setName(QString());
  m_planLine->setVisible(false);
  chart->addSeries(m_columns);
  {
    // The document's line stays as it is while plan after plan is drawn over
    // it, and stroking it costs as much as the rest of the frame: the item
    // the chart makes for it repaints from a cached picture until it changes.
    // Its legend entry is left alone: a cached legend text is not redrawn
    // when the legend lays it out, and a saved picture lost it.
    const QList<QGraphicsItem*> before = scene()->items();
    chart->addSeries(m_running);
    for (QGraphicsItem* item : scene()->items()) {
      if (!before.contains(item) && !chart->legend()->isAncestorOf(item)) {
        item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
      }
    }
  }
  chart->addSeries(m_planLine);

  m_routeAxis = new QCategoryAxis;
  m_routeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  m_stageFont = m_routeAxis->labelsFont();
  // The value axes label their ticks themselves (a category per tick), so
  // that a label is a whole number in any width.
  m_totalAxis = new QCategoryAxis;
  m_totalAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  m_ownAxis = new QCategoryAxis;
  m_ownAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  m_ownAxis->setGridLineVisible(false);
  chart->addAxis(m_routeAxis, Qt::AlignBottom);
  chart->addAxis(m_totalAxis, Qt::AlignLeft);
  chart->addAxis(m_ownAxis, Qt::AlignRight);
  m_running->attachAxis(m_routeAxis);
  m_running->attachAxis(m_totalAxis);
  m_planLine->attachAxis(m_routeAxis);
  m_planLine->attachAxis(m_totalAxis);
  m_columns->attachAxis(m_routeAxis);
  m_columns->attachAxis(m_ownAxis);

  m_columnsItem = new TScoreColumnsItem(*chart, *m_columns, m_data);
  m_stageLines =
      new TStageLinesItem(*chart, *m_running, *m_routeAxis, TStageLinesItem::part_t::Grid);
  m_stageTicks =
      new TStageLinesItem(*chart, *m_running, *m_routeAxis, TStageLinesItem::part_t::Ticks);
  m_gapItem = new TScoreGapItem(*chart, *m_running);
  m_note = new QGraphicsSimpleTextItem(chart);
  m_note->setVisible(false);
  m_gapBox = new QGraphicsRectItem(chart);
  m_gapBox->setZValue(20);
  m_gapText = new QGraphicsSimpleTextItem(m_gapBox);
  m_gapBox->setVisible(false);
  m_keyMarker = new QGraphicsLineItem(chart);
  m_keyMarker->setPen(QPen(kRunningColor, 1, Qt::DotLine));
  m_keyMarker->setZValue(19);
  m_keyMarker->setVisible(false);
  setFocusPolicy(Qt::StrongFocus);
  connect(chart, &QChart::plotAreaChanged, this, [this] {
    m_columnsItem->Refresh();
    m_stageLines->Refresh();
    m_stageTicks->Refresh();
    LayOutBelowPlot();
    PlaceGapLabel();
    PlaceKeyMarker();
  });
  RetranslateUi();
}

void TScoreChartView::RetranslateUi() {
  m_columns->setName(tr("各位置のスコア（右の目盛）"));
  m_running->setName(RunningName());
  m_planLine->setName(tr("新パターンでの累計"));
  m_routeAxis->setTitleText(tr("ルート上の位置（面ごと）"));
  m_totalAxis->setTitleText(tr("累計スコア"));
  m_ownAxis->setTitleText(tr("各位置のスコア"));
  m_gapItem->SetCaption(tr("累計の差（新パターン − 現在）"));
  m_note->setText(tr("文書がありません"));
}

void TScoreChartView::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) RetranslateUi();
  QChartView::changeEvent(e);
}

void TScoreChartView::SetData(score_chart_data_t data) {
  if (m_note->isVisible()) {
    m_note->setVisible(false);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(m_columns), static_cast<QAbstractSeries*>(m_running)}) {
      series->setVisible(true);
    }
    for (QAbstractAxis* axis : chart()->axes()) axis->setVisible(true);
    chart()->legend()->setVisible(true);
    m_columnsItem->setVisible(true);
    m_stageLines->setVisible(true);
    m_stageTicks->setVisible(true);
  }
  m_data = std::move(data);
  m_labelsPlaced = false;
  m_stageWidths.clear();
  if (m_plan.size() != m_data.stops.size()) m_plan.clear();
  ShowStops();
  ShowPlan();
  PlaceKeyMarker();
}

void TScoreChartView::SetPlan(std::vector<checked_score_t> plan) {
  m_plan = plan.size() == m_data.stops.size() ? std::move(plan) : std::vector<checked_score_t>();
  ShowPlan();
}

void TScoreChartView::ShowStops() {
  const int n = static_cast<int>(m_data.stops.size());
  QList<QPointF> running;
  running.reserve(n);
  for (int i = 0; i < n; ++i) {
    const checked_score_t total = m_data.stops[static_cast<std::size_t>(i)].running;
    if (total.InRange()) running.append(QPointF(i, static_cast<double>(total.Value())));
  }
  // The axes first, while the line is still empty: every change of an axis's
  // range or of the plot area maps and strokes the whole line again, on a
  // long route a few milliseconds each. The chart is laid out for the new
  // axes at once, not when the event loop comes to it with the line drawn.
  m_running->clear();
  SetValueRanges();
  SetRouteLength(n);
  chart()->layout()->activate();
  std::vector<double> ends = chart::StageEnds(m_data);
  m_stageTicks->Set(ends);
  m_stageLines->Set(std::move(ends));
  m_running->replace(running);
  m_running->setName(RunningName());
  m_columnsItem->Refresh();
  m_stageLines->Refresh();
  m_stageTicks->Refresh();
  PlaceStageLabels();
}

QString TScoreChartView::RunningName() const {
  int left_out = 0;
  for (std::size_t i = 0; i < m_data.stops.size(); ++i) {
    const chart_stop_t& s = m_data.stops[i];
    if (!s.own.InRange() || !s.running.InRange() || (i < m_plan.size() && !m_plan[i].InRange())) {
      ++left_out;
    }
  }
  if (left_out == 0) return tr("累計スコア");
  return tr("累計スコア（%n か所は値が64ビット整数の範囲を超えるため描いていません）", nullptr,
            left_out);
}

void TScoreChartView::SetValueRanges() {
  score_t low = 0;
  score_t high = 0;
  score_t own_low = 0;
  score_t own_high = 0;
  for (const chart_stop_t& s : m_data.stops) {
    low = std::min(low, s.running.Value());
    high = std::max(high, s.running.Value());
    own_low = std::min(own_low, s.own.Value());
    own_high = std::max(own_high, s.own.Value());
  }
  // The plan may reach above or below the document's line.
  for (const checked_score_t p : m_plan) {
    low = std::min(low, p.Value());
    high = std::max(high, p.Value());
  }
  // Qt squeezes both value axes into a share of the width and cuts their
  // labels beyond it; a label gets about a tenth of the view.
  const double room = std::max(40.0, width() * 0.1);
  chart::SetRange(*m_totalAxis, m_totalLabels, low, high, room);
  chart::SetRange(*m_ownAxis, m_ownLabels, own_low, own_high, room);
}

void TScoreChartView::SetRouteLength(int positions) {
  if (positions == m_routePositions) return;
  // The stage titles and the lines between the stages are the view's own
  // (TStageLinesItem): the axis has one category over the whole route, whose
  // label, a zero-width space, keeps the titles' room under the plot. The
  // axis is told once, when the category is in place.
  {
    const QSignalBlocker quiet(m_routeAxis);
    for (const QString& label : m_routeAxis->categoriesLabels()) m_routeAxis->remove(label);
    m_routeAxis->setStartValue(-0.5);
    if (positions > 0) m_routeAxis->append(QString(QChar(0x200B)), positions - 0.5);
  }
  emit m_routeAxis->categoriesChanged();
  // The range last: told of the label before, the axis keeps its size and
  // leaves the layout to the chart's next one.
  m_routeAxis->setRange(-0.5, std::max(positions, 1) - 0.5);
  m_routePositions = positions;
}

void TScoreChartView::ShowPlan() {
  const bool shown = !m_plan.empty();
  m_planLine->setVisible(shown);
  if (!shown) {
    m_planLine->clear();
    m_gapBox->setVisible(false);
    m_gapItem->Set({}, {});
    SetValueRanges();
    LayOutBelowPlot();
    return;
  }
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(m_plan.size()));
  for (std::size_t i = 0; i < m_plan.size(); ++i) {
    if (m_plan[i].InRange()) {
      points.append(QPointF(static_cast<double>(i), static_cast<double>(m_plan[i].Value())));
    }
  }
  m_planLine->replace(points);
  m_running->setName(RunningName());
  // A gap out of range has no colour of gain or loss.
  const score_t gap = (m_plan.back() - m_data.stops.back().running).Value();
  // Dashed over the document's line: where the two agree, both show.
  m_planLine->setPen(QPen(PlanLineColor(gap), 2.5, Qt::DashLine));
  SetValueRanges();
  m_gapText->setText(PlanGapText());
  m_gapBox->setBrush(DifferenceColor(gap));
  m_gapBox->setPen(QPen(PlanLineColor(gap), 1));
  m_gapBox->setVisible(true);
  LayOutBelowPlot();
  PlaceGapLabel();
}

void TScoreChartView::LayOutBelowPlot() {
  const QFontMetricsF metrics(m_stageFont);
  const bool gap_shown = !m_plan.empty() && !m_note->isVisible();
  // The gap plot takes a sixth of the view's height, within bounds that keep
  // it readable and the main plot the larger.
  const double gap_height = gap_shown ? std::clamp(height() / 6.0, 40.0, 110.0) : 0.0;
  const double room = (gap_shown ? gap_height + 8 : 0) + metrics.height() + 12;
  if (room != m_roomBelow) {
    // The axis's label is a zero-width space: its font's height is the room
    // the axis keeps between the plot and its title.
    // Measured as the axis measures its labels: as a text item, whose
    // height is more than the font's line by the document's margins.
    QGraphicsTextItem probe(QString(QChar(0x200B)));
    QFont font = m_stageFont;
    const auto height = [&](int pixels) {
      font.setPixelSize(pixels);
      probe.setFont(font);
      return probe.boundingRect().height();
    };
    // Each size tried lays the probe out anew, at a cost like a label's: the
    // search starts where the stage font's own line height says it ends.
    const double margins = 2 * probe.document()->documentMargin();
    const double per_pixel = metrics.height() / std::max(1, QFontInfo(m_stageFont).pixelSize());
    int pixels = std::max(1, static_cast<int>((room - margins) / per_pixel));
    while (pixels > 1 && height(pixels) > room) --pixels;
    while (pixels < 1000 && height(pixels + 1) <= room) ++pixels;
    font.setPixelSize(pixels);
    m_roomBelow = room;
    m_routeAxis->setLabelsFont(font);  // lays the chart out again: back here
  }
  const QRectF plot = chart()->plotArea();
  const double below = plot.bottom() + 8;
  std::vector<score_t> gaps;
  if (gap_shown) {
    gaps.reserve(m_plan.size());
    for (std::size_t i = 0; i < m_plan.size(); ++i) {
      // A gap out of range is left out: it is drawn as none.
      gaps.push_back((m_plan[i] - m_data.stops[i].running).Value());
    }
  }
  m_gapItem->Set(std::move(gaps), QRectF(plot.left(), below, plot.width(), gap_height));
  PlaceStageLabels();
}

void TScoreChartView::PlaceStageLabels() {
  const std::size_t n = m_note->isVisible() ? 0 : m_data.stages.size();
  while (m_stageLabels.size() < n) {
    auto* label = new QGraphicsSimpleTextItem(chart());
    label->setFont(m_stageFont);
    label->setBrush(m_routeAxis->labelsBrush());
    m_stageLabels.push_back(label);
  }
  for (std::size_t i = n; i < m_stageLabels.size(); ++i) m_stageLabels[i]->setVisible(false);
  if (n == 0) return;
  const QRectF plot = chart()->plotArea();
  const QRectF gap = m_gapItem->Area();
  // A new plan alone moves nothing: on a long route, measuring every title
  // again would cost a good part of the frame.
  if (m_labelsPlaced && plot == m_labelsPlot && gap == m_labelsGap) return;
  m_labelsPlaced = true;
  m_labelsPlot = plot;
  m_labelsGap = gap;
  const double y = (gap.isEmpty() ? plot.bottom() + 8 : gap.bottom() + 6);
  const double x0 = chart()->mapToPosition(QPointF(0, 0), m_running).x();
  const double dx = chart()->mapToPosition(QPointF(1, 0), m_running).x() - x0;
  const double left_edge = 2;
  const double right_edge = chart()->size().width() - 2;
  // Each title stays under its own stage, between the grid lines at the
  // stage's ends, shortened to the room there less a gap that keeps it clear
  // of its neighbours: a title that reached under the next stage or under the
  // value axis would be read as that stage's. A stage too narrow even for its
  // number shows none; its positions still say it when hovered.
  for (std::size_t i = 0; i < n; ++i) {
    const chart_stage_t& stage = m_data.stages[i];
    const double from = std::max(left_edge, x0 + dx * (stage.first - 0.5));
    const double to = std::min(right_edge, x0 + dx * (stage.end - 0.5));
    const double room = std::max(0.0, to - from - chart::kLabelGap);
    QGraphicsSimpleTextItem* label = m_stageLabels[i];
    label->setText(chart::StageLabel(ToQString(stage.title), room,
                                     [this](const QString& text) { return StageTextWidth(text); }));
    const double width = label->boundingRect().width();
    const bool fits = width <= to - from;
    const double left = std::clamp((from + to - width) / 2, from, std::max(from, to - width));
    label->setPos(left, y);
    label->setVisible(fits);
  }
}

double TScoreChartView::StageTextWidth(const QString& text) {
  const auto known = m_stageWidths.constFind(text);
  if (known != m_stageWidths.cend()) return *known;
  const double width = QFontMetricsF(m_stageFont).horizontalAdvance(text);
  m_stageWidths.insert(text, width);
  return width;
}

QRectF TScoreChartView::GapPlotArea() const {
  return m_gapItem->Area();
}

void TScoreChartView::ShowNoDocument() {
  m_data = {};
  m_labelsPlaced = false;
  m_plan.clear();
  m_keyPosition = -1;
  m_keyMarker->setVisible(false);
  m_planLine->setVisible(false);
  m_gapBox->setVisible(false);
  for (QAbstractSeries* series : chart()->series()) series->setVisible(false);
  for (QAbstractAxis* axis : chart()->axes()) axis->setVisible(false);
  chart()->legend()->setVisible(false);
  m_columnsItem->setVisible(false);
  m_stageLines->setVisible(false);
  m_stageTicks->setVisible(false);
  m_note->setVisible(true);
  m_gapItem->Set({}, {});
  PlaceStageLabels();
  const QRectF note = m_note->boundingRect();
  m_note->setPos((chart()->size().width() - note.width()) / 2,
                 (chart()->size().height() - note.height()) / 2);
}

QString TScoreChartView::PlanGapText() const {
  if (m_plan.empty()) return {};
  const checked_score_t gap = m_plan.back() - m_data.stops.back().running;
  return gap.InRange() ? chart::SignedScore(gap.Value()) : ToQString(ScoreText(gap));
}

void TScoreChartView::PlaceGapLabel() {
  if (m_plan.empty()) return;
  const QPointF end = chart()->mapToPosition(
      QPointF(static_cast<double>(m_plan.size() - 1), static_cast<double>(m_plan.back().Value())),
      m_planLine);
  const QRectF text = m_gapText->boundingRect();
  m_gapBox->setRect(0, 0, text.width() + 8, text.height() + 4);
  m_gapText->setPos(4, 2);
  // Left of the line's end, above it where there is room.
  QPointF at(end.x() - text.width() - 14, end.y() - text.height() - 10);
  at.setY(std::max(at.y(), chart()->plotArea().top()));
  m_gapBox->setPos(at);
}

int TScoreChartView::PositionAt(QPoint point) const {
  if (m_data.stops.empty()) return -1;
  const QPointF in_chart = chart()->mapFromScene(mapToScene(point));
  // The gap plot shares the route's positions.
  if (!chart()->plotArea().contains(in_chart) && !m_gapItem->Area().contains(in_chart)) return -1;
  const double x = chart()->mapToValue(in_chart, m_running).x();
  const double rounded = std::round(x);
  if (!(rounded >= 0 && rounded < static_cast<double>(m_data.stops.size()))) return -1;
  return static_cast<int>(rounded);
}

QPoint TScoreChartView::PointOf(int position) const {
  const QPointF at = chart()->mapToPosition(QPointF(position, 0), m_running);
  const QPointF middle(at.x(), chart()->plotArea().center().y());
  return mapFromScene(chart()->mapToScene(middle));
}

QString TScoreChartView::HoverText(int position) const {
  if (position < 0 || position >= static_cast<int>(m_data.stops.size())) return {};
  const auto i = static_cast<std::size_t>(position);
  const chart_stop_t& s = m_data.stops[i];
  if (m_plan.empty()) {
    return tr("%1\nこの位置のスコア: %2\n累計スコア: %3")
        .arg(ToQString(s.path), chart::Number(s.own), chart::Number(s.running));
  }
  return tr("%1\nこの位置のスコア: %2\n累計スコア: %3\n新パターンでの累計: %4")
      .arg(ToQString(s.path), chart::Number(s.own), chart::Number(s.running),
           chart::Number(m_plan[i]));
}

bool TScoreChartView::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    // The resting pointer's hint is the position's text. The scene would
    // answer with its items' hints, which are empty, and so hide the text
    // the pointer's movement showed moments before.
    const auto* help = static_cast<QHelpEvent*>(e);
    const int position = PositionAt(help->pos());
    if (position >= 0) {
      QToolTip::showText(help->globalPos(), HoverText(position), viewport());
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QChartView::viewportEvent(e);
}

void TScoreChartView::mouseMoveEvent(QMouseEvent* e) {
  const int position = PositionAt(e->position().toPoint());
  if (position >= 0) {
    QToolTip::showText(e->globalPosition().toPoint(), HoverText(position), this);
  } else {
    QToolTip::hideText();
  }
  QChartView::mouseMoveEvent(e);
}

void TScoreChartView::keyPressEvent(QKeyEvent* e) {
  // The positions by keyboard: the arrows, Home and End move along the
  // route, Enter or Space selects the position's node as a click does.
  const int last = static_cast<int>(m_data.stops.size()) - 1;
  int to = -2;
  switch (e->key()) {
    case Qt::Key_Left:
      to = m_keyPosition < 0 ? last : std::max(0, m_keyPosition - 1);
      break;
    case Qt::Key_Right:
      to = std::min(last, m_keyPosition + 1);
      break;
    case Qt::Key_Home:
      to = 0;
      break;
    case Qt::Key_End:
      to = last;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (m_keyPosition >= 0) {
        emit PositionClicked(m_keyPosition);
        return;
      }
      break;
    default:
      break;
  }
  if (to == -2 || last < 0) {
    QChartView::keyPressEvent(e);
    return;
  }
  ShowKeyPosition(to);
}

void TScoreChartView::resizeEvent(QResizeEvent* e) {
  QChartView::resizeEvent(e);
  if (m_note->isVisible()) {
    const QRectF note = m_note->boundingRect();
    m_note->setPos((chart()->size().width() - note.width()) / 2,
                   (chart()->size().height() - note.height()) / 2);
    return;
  }
  // The labels' room follows the width. Without data there is nothing to
  // fit yet: the first SetData sets the ranges, and each range set lays the
  // whole chart out.
  if (!m_data.stops.empty()) SetValueRanges();
}

QString TScoreChartView::Title() {
  return tr("スコア推移");
}

QString TScoreChartView::NoPictureFormatMessage(const QString& file_name) {
  return tr("「%1」には保存できません。拡張子を .png か .svg にしてください。").arg(file_name);
}

QByteArray TScoreChartView::Picture(const QString& format) {
  // A picture is the chart, not the state of the keyboard's walk.
  const bool marked = m_keyMarker->isVisible();
  m_keyMarker->setVisible(false);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (format == QStringLiteral("svg")) {
    // Cached items would go into the drawing as bitmaps: drawn afresh, they
    // stay lines and shapes.
    std::vector<std::pair<QGraphicsItem*, QGraphicsItem::CacheMode>> cached;
    for (QGraphicsItem* item : scene()->items()) {
      if (item->cacheMode() == QGraphicsItem::NoCache) continue;
      cached.emplace_back(item, item->cacheMode());
      item->setCacheMode(QGraphicsItem::NoCache);
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size());
    svg.setViewBox(QRect(QPoint(0, 0), size()));
    svg.setTitle(Title());
    QPainter painter(&svg);
    render(&painter);
    painter.end();
    for (const auto& [item, mode] : cached) item->setCacheMode(mode);
  } else {
    grab().save(&buffer, "PNG");
  }
  m_keyMarker->setVisible(marked);
  return bytes;
}

void TScoreChartView::PlaceKeyMarker() {
  if (m_keyPosition >= static_cast<int>(m_data.stops.size())) m_keyPosition = -1;
  m_keyMarker->setVisible(m_keyPosition >= 0);
  if (m_keyPosition < 0) return;
  const QRectF plot = chart()->plotArea();
  const QRectF gap = m_gapItem->Area();
  const double x = chart()->mapToPosition(QPointF(m_keyPosition, 0), m_running).x();
  m_keyMarker->setLine(x, plot.top(), x, gap.isEmpty() ? plot.bottom() : gap.bottom());
}

void TScoreChartView::ShowKeyPosition(int position) {
  m_keyPosition = position;
  PlaceKeyMarker();
  const QString text = HoverText(position);
  // Read out by screen readers as the view's description.
  setAccessibleDescription(text);
  QToolTip::showText(viewport()->mapToGlobal(PointOf(position)), text, viewport());
}

void TScoreChartView::mousePressEvent(QMouseEvent* e) {
  m_pressed = e->button() == Qt::LeftButton ? PositionAt(e->position().toPoint()) : -1;
  QChartView::mousePressEvent(e);
}

void TScoreChartView::mouseReleaseEvent(QMouseEvent* e) {
  // A click: pressed and released over the same position.
  const int position = e->button() == Qt::LeftButton ? PositionAt(e->position().toPoint()) : -1;
  const bool clicked = position >= 0 && position == m_pressed;
  m_pressed = -1;
  QChartView::mouseReleaseEvent(e);
  if (!clicked) return;
  // The keys go on from the clicked position.
  m_keyPosition = position;
  PlaceKeyMarker();
  emit PositionClicked(position);
}

}  // namespace qvl

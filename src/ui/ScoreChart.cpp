#include "ui/ScoreChart.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineSeries>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <span>

#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

const QString kSizeKey = QStringLiteral("ScoreChart/size");
const QString kPosKey = QStringLiteral("ScoreChart/pos");
// Translated where the dialog is shown (TScoreChartWindow::tr).
const char* const kPictureFilter =
    QT_TRANSLATE_NOOP("qvl::TScoreChartWindow", "PNG 画像 (*.png)|*.png|SVG 画像 (*.svg)|*.svg");

const QColor kRunningColor{50, 60, 80};
const QColor kColumnColor{185, 190, 200};

QLocale ChartLocale() {
  return QLocale(QLocale::Japanese, QLocale::Japan);
}

// Thousands separated, as the axes show them.
QString Number(score_t n) {
  return ChartLocale().toString(static_cast<qint64>(n));
}
// A value out of the score range is the word that says so.
QString Number(checked_score_t n) {
  return n.InRange() ? Number(n.Value()) : ToQString(ScoreText(n));
}

// A difference with its sign: "+1,234", "−1,234" or "±0". The magnitude of
// the most negative score has no positive twin: it is shown through its
// unsigned value.
QString SignedScore(score_t gap) {
  if (gap == 0) return QStringLiteral("±0");
  const auto magnitude = gap > 0 ? static_cast<quint64>(gap) : 0 - static_cast<quint64>(gap);
  return (gap > 0 ? QStringLiteral("+") : QStringLiteral("−")) + ChartLocale().toString(magnitude);
}

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

// The object name is for tests; what assistive technology says is Japanese.
template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

// 1, 2 or 5 times a power of ten near x: the next one up, or the nearest.
double RoundNumber(double x, bool up) {
  const double power = std::pow(10.0, std::floor(std::log10(x)));
  const double q = x / power;
  if (up) return power * (q <= 1 ? 1 : q <= 2 ? 2 : q <= 5 ? 5 : 10);
  return power * (q < 1.5 ? 1 : q < 3 ? 2 : q < 7 ? 5 : 10);
}

// The units players read scores in, largest first: 億 (10^8) and 万 (10^4)
// in Japanese; billion, million and thousand in English.
struct score_unit_t {
  double size;
  const char* suffix;
};
std::span<const score_unit_t> ScoreUnits() {
  static constexpr score_unit_t kJapanese[] = {{1e8, "億"}, {1e4, "万"}};
  static constexpr score_unit_t kEnglish[] = {{1e9, "B"}, {1e6, "M"}, {1e3, "k"}};
  switch (WindowLanguage()) {
    case language_t::Japanese:
      return kJapanese;
    case language_t::English:
      return kEnglish;
  }
  return kJapanese;
}

// A tick's label: the whole number, or a whole number of unit.
QString TickLabel(double value, double unit, const QString& suffix) {
  if (value == 0) return QStringLiteral("0");
  return ChartLocale().toString(std::round(value / unit), 'f', 0) + suffix;
}

// Every point's value in a range around zero with some room above, from and
// to a multiple of a round tick step, about five ticks, each labelled with a
// whole number: all its digits where they fit in room pixels, else in 億 or
// 万 (the hover text keeps the exact figures). The axis is changed only when
// its range or labels change: a change lays out the axis again and recomputes
// every attached line, which on a long route costs more than the rest of a
// refresh.
void SetRange(QCategoryAxis& axis, route_categories_t& shown, score_t low, score_t high,
              double room) {
  const double lo = std::min<double>(0, static_cast<double>(low));
  double hi = std::max<double>(0, static_cast<double>(high));
  if (hi <= lo) hi = lo + 1;
  hi += (hi - lo) * 0.05;
  // Scores are whole numbers: a step below one would label 0.5 as "1".
  const double step = std::max(1.0, RoundNumber(RoundNumber(hi - lo, true) / 4, false));
  const double first = std::floor(lo / step);
  const double last = std::ceil(hi / step);
  const int ticks = static_cast<int>(last - first) + 1;

  const QFontMetricsF metrics(axis.labelsFont());
  double unit = 1;
  QString suffix;
  for (double k = first; k <= last; ++k) {
    if (metrics.horizontalAdvance(TickLabel(k * step, 1, {})) > room) {
      for (const score_unit_t& u : ScoreUnits()) {
        if (std::fmod(step, u.size) != 0) continue;
        unit = u.size;
        suffix = QString::fromUtf8(u.suffix);
        break;
      }
      break;
    }
  }
  // A category per tick, labelled at its upper end; the first one starts a
  // step below the range so that the lowest tick gets its label too.
  route_categories_t labels;
  for (double k = first; k <= last; ++k)
    labels.emplace_back(TickLabel(k * step, unit, suffix), k * step);
  if (axis.min() != first * step || axis.max() != last * step) {
    axis.setRange(first * step, last * step);
  }
  if (axis.tickCount() != ticks) axis.setTickCount(ticks);
  if (labels == shown) return;
  {
    const QSignalBlocker quiet(&axis);
    for (const QString& label : axis.categoriesLabels()) axis.remove(label);
    axis.setStartValue((first - 1) * step);
    for (const auto& [label, end] : labels) axis.append(label, end);
  }
  emit axis.categoriesChanged();
  shown = std::move(labels);
}

// One category per stage with a grid line at each end; positions outside any
// stage get a category of their own. The stage titles are drawn by the view,
// which shortens them where they do not fit: the axis's labels only keep
// their room. Labels of a category axis must differ: each is one zero-width
// space and an HTML comment with its number. The axis measures and draws its
// labels as rich text, where the comment costs nothing; a different number
// of zero-width spaces each had it shape thousands of characters on a long
// route, at every layout.
route_categories_t RouteCategories(const score_chart_data_t& data) {
  route_categories_t out;
  const auto add = [&out](double end) {
    out.emplace_back(QString(QChar(0x200B)) + QStringLiteral("<!--%1-->").arg(out.size()), end);
  };
  const int n = static_cast<int>(data.stops.size());
  int next = 0;
  for (const chart_stage_t& stage : data.stages) {
    if (stage.first > next) add(stage.first - 0.5);
    add(stage.end - 0.5);
    next = stage.end;
  }
  if (next < n) add(n - 0.5);
  return out;
}

// The least room between two stage titles.
constexpr double kLabelGap = 4;

// The longest form of a stage's title that fits width: the whole title, then
// shorter beginnings with "…" down to its first word ("1面…"), then the stage
// number alone ("1"), which is returned even where it does not fit: the
// caller decides whether it shows.
QString StageLabel(const QString& title, double width,
                   const std::function<double(const QString&)>& advance) {
  if (advance(title) <= width) return title;
  const QString ellipsis(QChar(0x2026));
  qsizetype word = 0;
  while (word < title.size() && !title[word].isSpace()) ++word;
  if (word > 0 && advance(title.left(word) + ellipsis) <= width) {
    for (qsizetype n = title.size() - 1; n > word; --n) {
      if (title[n - 1].isHighSurrogate()) continue;  // never half a character
      const QString shorter = title.left(n).trimmed() + ellipsis;
      if (advance(shorter) <= width) return shorter;
    }
    return title.left(word) + ellipsis;
  }
  qsizetype digits = 0;
  while (digits < title.size() && title[digits].isDigit()) ++digits;
  if (digits > 0) return title.left(digits);
  // A title that does not begin with a number keeps its first character.
  return title.left(title.size() > 1 && title[0].isHighSurrogate() ? 2 : 1);
}

}  // namespace

// Every position's own total as a column from zero, on the right-hand axis.
class TScoreColumnsItem : public QGraphicsItem {
 public:
  TScoreColumnsItem(QChart& chart, QAbstractSeries& axes, const score_chart_data_t& data)
      : QGraphicsItem(&chart), m_chart(chart), m_axes(axes), m_data(data) {
    // Above the plot's background, below its grid lines and the series.
    setZValue(1.5);
    // A column per position is thousands of rectangles, the same until the
    // route or the plot changes (Refresh): a new plan line over them repaints
    // them from the cached picture.
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
  }

  // After the data, the axes or the plot area changed.
  void Refresh() {
    prepareGeometryChange();
    m_bounds = m_chart.plotArea();
    update();
  }

  [[nodiscard]] QRectF boundingRect() const override { return m_bounds; }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
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

 private:
  QChart& m_chart;
  QAbstractSeries& m_axes;
  const score_chart_data_t& m_data;
  QRectF m_bounds;
};

// The running gap of the plan against the document along the route, as
// columns from a zero line in the comparison table's colours: a run of gains
// or of losses is one filled outline.
class TScoreGapItem : public QGraphicsItem {
 public:
  TScoreGapItem(QChart& chart, QAbstractSeries& axes)
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

  void SetCaption(const QString& caption) { m_caption->setText(caption); }

  // The gaps at every position, empty to hide; area is where they go.
  void Set(std::vector<score_t> gaps, const QRectF& area) {
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
    m_high->setText(m_highest > 0 ? SignedScore(m_highest) : QString());
    m_low->setText(m_lowest < 0 ? SignedScore(m_lowest) : QString());
    m_caption->setPos(m_area.left() + 4, m_area.top());
    m_high->setPos(m_area.right() - m_high->boundingRect().width() - 4, m_area.top());
    m_low->setPos(m_area.right() - m_low->boundingRect().width() - 4,
                  m_area.bottom() - m_low->boundingRect().height());
    update();
  }
  [[nodiscard]] QRectF Area() const { return isVisible() ? m_area : QRectF(); }

  [[nodiscard]] QRectF boundingRect() const override { return m_area.adjusted(-1, -1, 1, 1); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
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

TScoreChartView::TScoreChartView(QWidget* parent) : QChartView(parent) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setLocale(ChartLocale());
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
  // range maps and strokes the whole line again, on a long route a few
  // milliseconds each.
  m_running->clear();
  SetValueRanges();
  SetRouteCategories(RouteCategories(m_data), n);
  m_running->replace(running);
  m_running->setName(RunningName());
  m_columnsItem->Refresh();
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
  SetRange(*m_totalAxis, m_totalLabels, low, high, room);
  SetRange(*m_ownAxis, m_ownLabels, own_low, own_high, room);
}

void TScoreChartView::SetRouteCategories(const route_categories_t& categories, int positions) {
  if (categories == m_routeCategories && positions == m_routePositions) return;
  // Each category added or removed lays the axis out again and measures
  // every label: on a long route that is a hundred stages measured a hundred
  // times. The axis is told once, when all its categories are in place.
  {
    const QSignalBlocker quiet(m_routeAxis);
    for (const QString& label : m_routeAxis->categoriesLabels()) m_routeAxis->remove(label);
    m_routeAxis->setStartValue(-0.5);
    // Laid out here while the axis has no labels: cheap.
    m_routeAxis->setRange(-0.5, std::max(positions, 1) - 0.5);
    for (const auto& [label, end] : categories) m_routeAxis->append(label, end);
  }
  emit m_routeAxis->categoriesChanged();
  m_routeCategories = categories;
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
    // The axis's labels are zero-width spaces: their font's height is the
    // room the axis keeps between the plot and its title.
    // Measured as the axis measures its labels: as a text item, whose
    // height is more than the font's line.
    QGraphicsTextItem probe(QString(QChar(0x200B)));
    QFont font = m_stageFont;
    const auto height = [&](int pixels) {
      font.setPixelSize(pixels);
      probe.setFont(font);
      return probe.boundingRect().height();
    };
    int pixels = std::max(1, static_cast<int>(room / 1.2));
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
    const double room = std::max(0.0, to - from - kLabelGap);
    QGraphicsSimpleTextItem* label = m_stageLabels[i];
    label->setText(StageLabel(ToQString(stage.title), room,
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
  return gap.InRange() ? SignedScore(gap.Value()) : ToQString(ScoreText(gap));
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
        .arg(ToQString(s.path), Number(s.own), Number(s.running));
  }
  return tr("%1\nこの位置のスコア: %2\n累計スコア: %3\n新パターンでの累計: %4")
      .arg(ToQString(s.path), Number(s.own), Number(s.running), Number(m_plan[i]));
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
  SetValueRanges();  // the labels' room follows the width
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
    svg.setTitle(tr("スコア推移"));
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

namespace {

// A plain widget is a filler to assistive technology, even as a window of its
// own: the chart window is a frame, its view a chart.
QAccessibleInterface* ChartAccessible(const QString& class_name, QObject* object) {
  QAccessible::Role role = QAccessible::NoRole;
  if (class_name == QLatin1String(TScoreChartWindow::staticMetaObject.className())) {
    role = QAccessible::Window;
  } else if (class_name == QLatin1String(TScoreChartView::staticMetaObject.className())) {
    role = QAccessible::Chart;
  }
  auto* widget = qobject_cast<QWidget*>(object);
  return role != QAccessible::NoRole && widget ? new QAccessibleWidget(widget, role) : nullptr;
}

}  // namespace

TScoreChartWindow::TScoreChartWindow(const TDocumentSession& session, TChartPlan& plan,
                                     TDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_plan(plan), m_dialogs(dialogs) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(&ChartAccessible);
    return true;
  }();
  (void)factory_installed;
  Named(this, QStringLiteral("ScoreChartWindow"));
  m_view = Named(new TScoreChartView(this), QStringLiteral("ScoreChartView"));
  m_saveButton = Named(new QPushButton(this), QStringLiteral("ScoreChartSaveButton"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(m_view, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_saveButton);
  layout->addLayout(buttons);

  // Smaller, the axes' labels crowd out the plot and the button is cut off.
  setMinimumSize(480, 300);
  const QSize stored = QSettings().value(kSizeKey).toSize();
  resize(stored.isValid() && !stored.isEmpty() ? stored : QSize(900, 520));

  // The keys out: Esc and Ctrl+W close the chart, Ctrl+G goes back to the
  // main window (whose Ctrl+G comes back here).
  auto* close = new QAction(this);
  close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
  auto* back = new QAction(this);
  back->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(back, &QAction::triggered, this, [this] {
    if (QWidget* owner = parentWidget()) {
      owner->window()->raise();
      owner->window()->activateWindow();
    }
  });
  addAction(back);

  connect(m_saveButton, &QPushButton::clicked, this, &TScoreChartWindow::SaveButtonClick);
  connect(m_view, &TScoreChartView::PositionClicked, this, [this](int position) {
    emit NodeClicked(m_view->Data().stops[static_cast<std::size_t>(position)].node);
  });
  m_listener = m_session.AddListener([this](const session_change_t& c) { SessionChanged(c); },
                                     listener_rank_t::Chart);
  RetranslateUi();
}

void TScoreChartWindow::RetranslateUi() {
  setWindowTitle(tr("スコア推移"));
  m_view->setAccessibleName(tr("スコア推移のグラフ"));
  m_saveButton->setText(tr("ファイルに保存(&S)"));
}

void TScoreChartWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) {
    RetranslateUi();
    // The stages' names and the axes' units come afresh in the new language.
    Refresh();
  }
  QWidget::changeEvent(e);
}

TScoreChartWindow::~TScoreChartWindow() {
  m_session.RemoveListener(m_listener);
}

void TScoreChartWindow::SessionChanged(const session_change_t& change) {
  switch (change.Kind()) {
    case change_kind_t::Unshown:
      return;
    case change_kind_t::Editing:
      // The editor starts afresh: the plan it calculated is gone.
      ClearPlan();
      return;
    case change_kind_t::Choices:
      // The plan stays and is counted against the new current patterns.
      Refresh();
      return;
    case change_kind_t::Contents:
      break;
  }
  m_plan.Clear();
  Refresh();
}

void TScoreChartWindow::Refresh() {
  if (!isVisible()) {
    m_stale = true;
    return;
  }
  m_stale = false;
  const root_t& root = m_session.Document();
  // An empty root that no file named: nothing was opened yet.
  if (root.ChildCount() == 0 && m_session.FileName().empty()) {
    m_view->ShowNoDocument();
    return;
  }
  m_view->SetData(ScoreChartData(root));
  m_view->SetPlan(m_plan.RunningTotals());
}

void TScoreChartWindow::ShowPlan(const scene_base_t& node, const pattern_base_t& pattern) {
  m_plan.Set(node, pattern);
  if (!isVisible() || m_stale) {
    Refresh();
    return;
  }
  m_view->SetPlan(m_plan.RunningTotals());
}

void TScoreChartWindow::ClearPlan() {
  m_plan.Clear();
  m_view->SetPlan({});
}

void TScoreChartWindow::PlaceBeside(const QWidget& owner) {
  const QWidget& main = *owner.window();
  QScreen* screen = main.screen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  const QPoint stored = QSettings().value(kPosKey, QPoint(INT_MIN, INT_MIN)).toPoint();
  if (stored != QPoint(INT_MIN, INT_MIN)) {
    for (const QScreen* s : QGuiApplication::screens()) {
      if (s->availableGeometry().intersects(QRect(stored, size()))) {
        move(stored);
        return;
      }
    }
  }
  // The frame around the chart is as wide as the main window's.
  const QRect main_frame = main.frameGeometry();
  const QMargins frame(
      main.geometry().left() - main_frame.left(), main.geometry().top() - main_frame.top(),
      main_frame.right() - main.geometry().right(), main_frame.bottom() - main.geometry().bottom());
  // A remembered size larger than the screen is brought back onto it.
  if (!available.isEmpty()) {
    resize(size().boundedTo(available.size().shrunkBy(frame)).expandedTo(minimumSize()));
  }
  const QSize outer = size().grownBy(frame);
  const int top =
      available.isEmpty()
          ? main_frame.top()
          : std::clamp(main_frame.top(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - outer.height()));
  QPoint at;
  if (available.isEmpty() || main_frame.right() + outer.width() <= available.right()) {
    at = QPoint(main_frame.right() + 1, top);
  } else if (main_frame.left() - outer.width() >= available.left()) {
    at = QPoint(main_frame.left() - outer.width(), top);
  } else {
    // Over the main window's right part, below its menu bar so that the
    // menus stay in reach.
    const auto* window = qobject_cast<const QMainWindow*>(&main);
    const int menu =
        window != nullptr && window->menuBar() != nullptr
            ? window->menuBar()->mapTo(&main, QPoint(0, window->menuBar()->height())).y()
            : 0;
    const int right = std::min(main_frame.right(), available.right());
    at = QPoint(std::max(available.left(), right + 1 - outer.width()),
                std::max(available.top(), main.geometry().top() + menu));
  }
  move(at);
}

void TScoreChartWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (m_stale) Refresh();
}

void TScoreChartWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (isVisible()) QSettings().setValue(kSizeKey, size());
}

void TScoreChartWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (isVisible()) QSettings().setValue(kPosKey, pos());
}

void TScoreChartWindow::SaveButtonClick() {
  // The first picture goes beside the document, named after it.
  const QFileInfo document(FromPath(m_session.FileName()));
  const bool named = !m_session.FileName().empty();
  const QString dir = !m_saveDir.isEmpty() ? m_saveDir
                      : named              ? document.absolutePath()
                                           : QString();
  const QString name =
      (named ? document.completeBaseName() : windowTitle()) + QStringLiteral(".png");
  const std::optional<QString> chosen =
      m_dialogs.SaveFileName(this, {tr(kPictureFilter), QStringLiteral("png"), dir, name});
  if (!chosen) return;
  const QFileInfo info(*chosen);
  const QString suffix = info.suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg")) {
    m_dialogs.Error(this, tr("「%1」には保存できません。拡張子を .png か .svg にしてください。")
                              .arg(info.fileName()));
    return;
  }
  const QString full_name = QDir::toNativeSeparators(info.absoluteFilePath());
  const QByteArray bytes = m_view->Picture(suffix);
  const save_result_t result =
      WriteFileAtomically(ToPath(full_name), std::string_view(bytes.constData(), bytes.size()));
  if (!result.ok) {
    m_dialogs.Error(
        this, FileMessage(SaveFailureMessage(ToPath(full_name), result.error), ToPath(full_name)));
    return;
  }
  m_saveDir = info.absolutePath();
}

}  // namespace qvl

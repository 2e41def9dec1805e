#include "ui/ScoreChart.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

const QString kSizeKey = QStringLiteral("ScoreChart/size");
const QString kPictureFilter = QStringLiteral("PNG 画像 (*.png)|*.png|SVG 画像 (*.svg)|*.svg");

const QColor kRunningColor{50, 60, 80};
const QColor kColumnColor{185, 190, 200};

QLocale ChartLocale() {
  return QLocale(QLocale::Japanese, QLocale::Japan);
}

// Thousands separated, as the axes show them.
QString Number(score_t n) {
  return ChartLocale().toString(static_cast<qint64>(n));
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

// Every point's value in a range around zero with some room above, from and
// to a multiple of a round tick step, about five ticks. The range is set only
// when it changes: a change lays out the axis again and recomputes every
// attached line, which on a long route costs more than the rest of a refresh.
void SetRange(QValueAxis& axis, score_t low, score_t high) {
  const double lo = std::min<double>(0, static_cast<double>(low));
  double hi = std::max<double>(0, static_cast<double>(high));
  if (hi <= lo) hi = lo + 1;
  hi += (hi - lo) * 0.05;
  // Scores are whole numbers: a step below one would label 0.5 as "1".
  const double step = std::max(1.0, RoundNumber(RoundNumber(hi - lo, true) / 4, false));
  const double first = std::floor(lo / step);
  const double last = std::ceil(hi / step);
  const int ticks = static_cast<int>(last - first) + 1;
  if (axis.min() != first * step || axis.max() != last * step) {
    axis.setRange(first * step, last * step);
  }
  if (axis.tickCount() != ticks) axis.setTickCount(ticks);
}

// One category per stage, its title in the middle and a grid line at each
// end; positions outside any stage get a category without a title. Labels of
// a category axis must differ, so a repeated title gets invisible zero-width
// spaces after it.
route_categories_t RouteCategories(const score_chart_data_t& data) {
  route_categories_t out;
  QStringList used;
  const auto add = [&](QString label, double end) {
    while (used.contains(label)) label += QChar(0x200B);
    used << label;
    out.emplace_back(label, end);
  };
  const int n = static_cast<int>(data.stops.size());
  int next = 0;
  for (const chart_stage_t& stage : data.stages) {
    if (stage.first > next) add(QString(), stage.first - 0.5);
    add(ToQString(stage.title), stage.end - 0.5);
    next = stage.end;
  }
  if (next < n) add(QString(), n - 0.5);
  return out;
}

}  // namespace

// Every position's own total as a column from zero, on the right-hand axis.
class TScoreColumnsItem : public QGraphicsItem {
 public:
  TScoreColumnsItem(QChart& chart, QAbstractSeries& axes, const score_chart_data_t& data)
      : QGraphicsItem(&chart), m_chart(chart), m_axes(axes), m_data(data) {
    // Above the plot's background, below its grid lines and the series.
    setZValue(1.5);
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
      const double x = origin.x() + dx * static_cast<double>(i);
      const double top = origin.y() + dy * static_cast<double>(m_data.stops[i].own);
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
  m_columns->setName(QStringLiteral("各位置のスコア（右の目盛）"));
  m_columns->setPen(Qt::NoPen);
  m_columns->setBrush(kColumnColor);
  m_running = new QLineSeries;
  m_running->setName(QStringLiteral("累計スコア"));
  m_running->setPen(QPen(kRunningColor, 2));
  m_planLine = new QLineSeries;
  m_planLine->setName(QStringLiteral("新パターンでの累計"));
  m_planLine->setVisible(false);
  chart->addSeries(m_columns);
  chart->addSeries(m_running);
  chart->addSeries(m_planLine);

  m_routeAxis = new QCategoryAxis;
  m_routeAxis->setTitleText(QStringLiteral("ルート上の位置（面ごと）"));
  m_routeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  m_totalAxis = new QValueAxis;
  m_totalAxis->setTitleText(QStringLiteral("累計スコア"));
  // With numbers localised, "%d" leaves the labels empty; "%.0f" goes through
  // the locale and gets its thousands separators.
  m_totalAxis->setLabelFormat(QStringLiteral("%.0f"));
  m_ownAxis = new QValueAxis;
  m_ownAxis->setTitleText(QStringLiteral("各位置のスコア"));
  m_ownAxis->setLabelFormat(QStringLiteral("%.0f"));
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
    PlaceGapLabel();
    PlaceKeyMarker();
  });
}

void TScoreChartView::SetData(score_chart_data_t data) {
  m_data = std::move(data);
  if (m_plan.size() != m_data.stops.size()) m_plan.clear();
  ShowStops();
  ShowPlan();
  PlaceKeyMarker();
}

void TScoreChartView::SetPlan(std::vector<score_t> plan) {
  m_plan = plan.size() == m_data.stops.size() ? std::move(plan) : std::vector<score_t>();
  ShowPlan();
}

void TScoreChartView::ShowStops() {
  const int n = static_cast<int>(m_data.stops.size());
  QList<QPointF> running;
  running.reserve(n);
  score_t low = 0;
  score_t high = 0;
  score_t own_low = 0;
  score_t own_high = 0;
  for (int i = 0; i < n; ++i) {
    const chart_stop_t& s = m_data.stops[static_cast<std::size_t>(i)];
    running.append(QPointF(i, static_cast<double>(s.running)));
    low = std::min(low, s.running);
    high = std::max(high, s.running);
    own_low = std::min(own_low, s.own);
    own_high = std::max(own_high, s.own);
  }
  m_running->replace(running);
  for (const score_t p : m_plan) {
    low = std::min(low, p);
    high = std::max(high, p);
  }
  SetRange(*m_totalAxis, low, high);
  SetRange(*m_ownAxis, own_low, own_high);

  SetRouteCategories(RouteCategories(m_data), n);
  m_columnsItem->Refresh();
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
    return;
  }
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(m_plan.size()));
  for (std::size_t i = 0; i < m_plan.size(); ++i) {
    points.append(QPointF(static_cast<double>(i), static_cast<double>(m_plan[i])));
  }
  m_planLine->replace(points);
  const score_t gap = WrapSub(m_plan.back(), m_data.stops.back().running);
  // Dashed over the document's line: where the two agree, both show.
  m_planLine->setPen(QPen(PlanLineColor(gap), 2.5, Qt::DashLine));
  // The plan may reach above or below the document's line.
  score_t low = 0;
  score_t high = 0;
  for (const chart_stop_t& s : m_data.stops) {
    low = std::min(low, s.running);
    high = std::max(high, s.running);
  }
  for (const score_t p : m_plan) {
    low = std::min(low, p);
    high = std::max(high, p);
  }
  SetRange(*m_totalAxis, low, high);
  m_gapText->setText(PlanGapText());
  m_gapBox->setBrush(DifferenceColor(gap));
  m_gapBox->setPen(QPen(PlanLineColor(gap), 1));
  m_gapBox->setVisible(true);
  PlaceGapLabel();
}

QString TScoreChartView::PlanGapText() const {
  if (m_plan.empty()) return {};
  const score_t gap = WrapSub(m_plan.back(), m_data.stops.back().running);
  if (gap == 0) return QStringLiteral("±0");
  // The magnitude of the most negative score has no positive twin: it is
  // shown through its unsigned value.
  const auto magnitude = gap > 0 ? static_cast<quint64>(gap) : 0 - static_cast<quint64>(gap);
  return (gap > 0 ? QStringLiteral("+") : QStringLiteral("−")) + ChartLocale().toString(magnitude);
}

void TScoreChartView::PlaceGapLabel() {
  if (m_plan.empty()) return;
  const QPointF end = chart()->mapToPosition(
      QPointF(static_cast<double>(m_plan.size() - 1), static_cast<double>(m_plan.back())),
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
  if (!chart()->plotArea().contains(in_chart)) return -1;
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
  QString text = ToQString(s.path) + QStringLiteral("\nこの位置のスコア: ") + Number(s.own) +
                 QStringLiteral("\n累計スコア: ") + Number(s.running);
  if (!m_plan.empty()) text += QStringLiteral("\n新パターンでの累計: ") + Number(m_plan[i]);
  return text;
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

void TScoreChartView::PlaceKeyMarker() {
  if (m_keyPosition >= static_cast<int>(m_data.stops.size())) m_keyPosition = -1;
  m_keyMarker->setVisible(m_keyPosition >= 0);
  if (m_keyPosition < 0) return;
  const QRectF plot = chart()->plotArea();
  const double x = chart()->mapToPosition(QPointF(m_keyPosition, 0), m_running).x();
  m_keyMarker->setLine(x, plot.top(), x, plot.bottom());
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

TScoreChartWindow::TScoreChartWindow(TDocumentSession& session, TDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_dialogs(dialogs) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(&ChartAccessible);
    return true;
  }();
  (void)factory_installed;
  Named(this, QStringLiteral("ScoreChartWindow"));
  setWindowTitle(QStringLiteral("スコア推移"));
  m_view = Named(new TScoreChartView(this), QStringLiteral("ScoreChartView"));
  m_view->setAccessibleName(QStringLiteral("スコア推移のグラフ"));
  m_saveButton = Named(new QPushButton(QStringLiteral("ファイルに保存(&S)"), this),
                       QStringLiteral("ScoreChartSaveButton"));
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

  connect(m_saveButton, &QPushButton::clicked, this, &TScoreChartWindow::SaveButtonClick);
  connect(m_view, &TScoreChartView::PositionClicked, this, [this](int position) {
    emit NodeClicked(m_view->Data().stops[static_cast<std::size_t>(position)].node);
  });
  m_listener = m_session.AddListener([this](const session_change_t& c) { SessionChanged(c); });
}

TScoreChartWindow::~TScoreChartWindow() {
  m_session.RemoveListener(m_listener);
}

void TScoreChartWindow::SessionChanged(const session_change_t& change) {
  switch (change.op) {
    case session_op_t::Save:
    case session_op_t::Memo:
    case session_op_t::Flags:
      return;  // nothing the chart shows
    case session_op_t::Select:
    case session_op_t::ChooseEdited:
    case session_op_t::NewPattern:
      // The editor starts afresh: the plan it calculated is gone.
      ClearPlan();
      return;
    case session_op_t::ChoosePattern:
    case session_op_t::ChooseByTitlePart:
    case session_op_t::Grouping:
      // The plan stays and is counted against the new current patterns.
      Refresh();
      return;
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
    case session_op_t::Store:
    case session_op_t::Delete:
    case session_op_t::Restore:  // undo and redo put an earlier state back
      break;
  }
  m_planNode = nullptr;
  m_planPattern.reset();
  Refresh();
}

void TScoreChartWindow::Refresh() {
  if (!isVisible()) {
    m_stale = true;
    return;
  }
  m_stale = false;
  root_t& root = m_session.Document();
  m_view->SetData(ScoreChartData(root));
  if (m_planNode == nullptr) return;
  std::vector<score_t> plan = PlanRunningTotals(root, *m_planNode, *m_planPattern);
  if (plan.empty()) ClearPlan();
  m_view->SetPlan(std::move(plan));
}

void TScoreChartWindow::ShowPlan(scene_base_t& node, const pattern_base_t& pattern) {
  m_planNode = &node;
  m_planPattern = pattern.Clone();
  if (!isVisible() || m_stale) {
    Refresh();
    return;
  }
  m_view->SetPlan(PlanRunningTotals(m_session.Document(), node, *m_planPattern));
}

void TScoreChartWindow::ClearPlan() {
  m_planNode = nullptr;
  m_planPattern.reset();
  m_view->SetPlan({});
}

void TScoreChartWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (m_stale) Refresh();
}

void TScoreChartWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (isVisible()) QSettings().setValue(kSizeKey, size());
}

QByteArray TScoreChartWindow::Picture(const QString& format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (format == QStringLiteral("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(m_view->size());
    svg.setViewBox(QRect(QPoint(0, 0), m_view->size()));
    svg.setTitle(windowTitle());
    QPainter painter(&svg);
    m_view->render(&painter);
  } else {
    m_view->grab().save(&buffer, "PNG");
  }
  return bytes;
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
      m_dialogs.SaveFileName(this, {kPictureFilter, QStringLiteral("png"), dir, name});
  if (!chosen) return;
  const QFileInfo info(*chosen);
  const QString suffix = info.suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg")) {
    m_dialogs.Error(this, QStringLiteral("「") + info.fileName() +
                              QStringLiteral("」には保存できません。拡張子を .png か .svg "
                                             "にしてください。"));
    return;
  }
  const QString full_name = QDir::toNativeSeparators(info.absoluteFilePath());
  const QByteArray bytes = Picture(suffix);
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

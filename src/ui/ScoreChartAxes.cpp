#include "ui/ScoreChartAxes.h"

#include <QCategoryAxis>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/QtText.h"

namespace qvl::chart {
namespace {

// 1, 2 or 5 times a power of ten near x: the next one up, or the nearest.
double RoundNumber(double x, bool up) {
  const double power = std::pow(10.0, std::floor(std::log10(x)));
  const double q = x / power;
  if (up) return power * (q <= 1 ? 1 : q <= 2 ? 2 : q <= 5 ? 5 : 10);
  return power * (q < 1.5 ? 1 : q < 3 ? 2 : q < 7 ? 5 : 10);
}

// The units players read scores in, largest first, as the window's catalogue
// gives them: 億 (10^8) and 万 (10^4) in Japanese; billion, million and
// thousand in English.
struct score_unit_t {
  double size;
  QString suffix;
};
std::vector<score_unit_t> ScoreUnits() {
  //: The units of the score axis's labels, largest first, separated by spaces:
  //: each a power of ten, "=" and the suffix that stands for it.
  const QString units =
      QCoreApplication::translate("qvl::TScoreChartView", "100000000=億 10000=万");
  std::vector<score_unit_t> parsed;
  for (const QString& unit : units.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const qsizetype equals = unit.indexOf(QLatin1Char('='));
    bool ok = false;
    const double size = unit.left(equals).toDouble(&ok);
    if (equals > 0 && ok && size >= 1) parsed.push_back({size, unit.mid(equals + 1)});
  }
  return parsed;
}

// A tick's label: the whole number, or a whole number of unit.
QString TickLabel(double value, double unit, const QString& suffix) {
  if (value == 0) return QStringLiteral("0");
  return ChartLocale().toString(std::round(value / unit), 'f', 0) + suffix;
}

}  // namespace

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

// Every point's value in a range around zero with some room above, from and
// to a multiple of a round tick step, about five ticks, each labelled with a
// whole number: all its digits where they fit in room pixels, else in 億 or
// 万 (the hover text keeps the exact figures). The axis is changed only when
// its range or labels change: a change lays out the axis again and recomputes
// every attached line, which on a long route costs more than the rest of a
// refresh.
void SetRange(QCategoryAxis& axis, axis_categories_t& shown, score_t low, score_t high,
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
        suffix = u.suffix;
        break;
      }
      break;
    }
  }
  // A category per tick, labelled at its upper end; the first one starts a
  // step below the range so that the lowest tick gets its label too.
  axis_categories_t labels;
  for (double k = first; k <= last; ++k)
    labels.emplace_back(TickLabel(k * step, unit, suffix), k * step);
  // The labels before the range: a new range that changes the axis's size
  // lays the whole chart out at once, while new labels only ask for the
  // chart's next layout, which then sees the range too.
  if (labels != shown) {
    {
      const QSignalBlocker quiet(&axis);
      for (const QString& label : axis.categoriesLabels()) axis.remove(label);
      axis.setStartValue((first - 1) * step);
      for (const auto& [label, end] : labels) axis.append(label, end);
    }
    emit axis.categoriesChanged();
    shown = std::move(labels);
  }
  if (axis.min() != first * step || axis.max() != last * step) {
    axis.setRange(first * step, last * step);
  }
  if (axis.tickCount() != ticks) axis.setTickCount(ticks);
}

// A line at each end of a stage; positions outside any stage are set off
// the same way. The route's last end is the plot's edge.
std::vector<double> StageEnds(const score_chart_data_t& data) {
  std::vector<double> out;
  const int n = static_cast<int>(data.stops.size());
  int next = 0;
  for (const chart_stage_t& stage : data.stages) {
    if (stage.first > next) out.push_back(stage.first - 0.5);
    out.push_back(stage.end - 0.5);
    next = stage.end;
  }
  if (next < n) out.push_back(n - 0.5);
  if (!out.empty()) out.pop_back();
  return out;
}

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

}  // namespace qvl::chart

// The score chart's axes as plain functions: the figures as the chart writes
// them, the value axes' ticks and labels, the lines between the stages and the
// stage titles' shortened forms. None needs a view.
#pragma once

#include <QLocale>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

#include "model/qvl_chart.h"
#include "model/qvl_utils.h"

class QCategoryAxis;

namespace qvl {

// A category axis's categories: a label and where its category ends.
using axis_categories_t = std::vector<std::pair<QString, double>>;

namespace chart {

// The locale of the chart's figures, whatever the window's language.
[[nodiscard]] QLocale ChartLocale();
// Thousands separated, as the axes show them; a value out of the score range
// is the word that says so.
[[nodiscard]] QString Number(score_t n);
[[nodiscard]] QString Number(checked_score_t n);
// A difference with its sign: "+1,234", "−1,234" or "±0".
[[nodiscard]] QString SignedScore(score_t gap);

// A value axis from low to high (and zero) with round ticks, labelled to fit
// room pixels; shown holds the labels the axis has, which it changes only
// when they change.
void SetRange(QCategoryAxis& axis, axis_categories_t& shown, score_t low, score_t high,
              double room);

// Where the route's grid lines go between its two ends: at each end of a
// stage, and so around each position outside any stage.
[[nodiscard]] std::vector<double> StageEnds(const score_chart_data_t& data);

// The least room between two stage titles.
inline constexpr double kLabelGap = 4;

// The longest form of a stage's title that fits width, as advance measures
// texts.
[[nodiscard]] QString StageLabel(const QString& title, double width,
                                 const std::function<double(const QString&)>& advance);

}  // namespace chart
}  // namespace qvl

// The chart's axes without a view: the figures as the chart writes them, the
// lines between the stages and the stage titles' shortened forms.
#include <gtest/gtest.h>

#include <QString>

#include <utility>
#include <vector>

#include "ui/ScoreChartAxes.h"

namespace qvl {
namespace {

// One unit of width per character, so that widths read as lengths.
double Characters(const QString& text) {
  return static_cast<double>(text.size());
}

TEST(ScoreChartAxesTest, FiguresAreWholeWithThousandsAndSignedDifferences) {
  EXPECT_EQ(chart::Number(score_t{1234567}), QStringLiteral("1,234,567"));
  EXPECT_EQ(chart::SignedScore(1500), QStringLiteral("+1,500"));
  EXPECT_EQ(chart::SignedScore(-1500), QStringLiteral("−1,500"));
  EXPECT_EQ(chart::SignedScore(0), QStringLiteral("±0"));
}

TEST(ScoreChartAxesTest, AStageTitleShortensToWhatFits) {
  const QString title = QStringLiteral("1面 朝霧の畦道");
  struct row_t {
    double width;
    QString expected;
  };
  const row_t rows[] = {
      {8, title},                        // whole
      {6, QStringLiteral("1面 朝霧…")},  // a shorter beginning
      {3, QStringLiteral("1面…")},       // down to its first word
      {2, QStringLiteral("1")},          // the stage number alone
      {0, QStringLiteral("1")},          // even where nothing fits
  };
  for (const row_t& row : rows) {
    EXPECT_EQ(chart::StageLabel(title, row.width, Characters), row.expected) << row.width;
  }
}

TEST(ScoreChartAxesTest, StageLinesSetOffStagesAndPositionsOutsideThem) {
  struct row_t {
    const char* what;
    int positions;
    std::vector<std::pair<int, int>> stages;  // [first, end)
    std::vector<double> expected;
  };
  const row_t rows[] = {
      {"stages end to end", 6, {{0, 2}, {2, 5}, {5, 6}}, {1.5, 4.5}},
      {"positions before, between and after", 8, {{1, 3}, {4, 6}}, {0.5, 2.5, 3.5, 5.5}},
      {"one stage over the route", 3, {{0, 3}}, {}},
      {"no stage", 4, {}, {}},
      {"no position", 0, {}, {}},
  };
  for (const row_t& row : rows) {
    score_chart_data_t data;
    data.stops.resize(static_cast<std::size_t>(row.positions));
    for (const auto& [first, end] : row.stages) data.stages.push_back({first, end, "stage"});
    EXPECT_EQ(chart::StageEnds(data), row.expected) << row.what;
  }
}

}  // namespace
}  // namespace qvl

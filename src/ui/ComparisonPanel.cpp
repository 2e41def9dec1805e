// The comparison table's grid, its labels, values, differences and hints.
#include "ui/ComparisonPanel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "grid/KwGrid.h"
#include "model/qvl_messages.h"
#include "model/qvl_route.h"
#include "model/qvl_text.h"
#include "ui/PatternGrids.h"
#include "ui/QtText.h"
#include "ui/ShownChange.h"
#include "ui/StatusBar.h"

namespace qvl {
namespace {

constexpr int kOutputBoxHeight = 357;
constexpr int kOutputRows = 13;  // rows 1..13 of the comparison grid
constexpr int kOutputLabelWidth = 177;
constexpr std::array<int, 3> kDesignedValueWidths{116, 116, 100};

// A label is the panel's own text (translated where it is shown, by
// TComparisonPanel::tr), or the core's message where the core names the same
// thing: each text is written once, in one catalogue.
struct label_text_t {
  const char* text = nullptr;
  message_t message{};

  [[nodiscard]] QString Shown() const {
    return text != nullptr ? TComparisonPanel::tr(text) : ToQString(Message(message));
  }
};

// The row labels of column 1, rows 3 to 8 and 10 to 12.
const std::array<label_text_t, 9> kOutputRowLabels{{
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "後のボーダーボーナスへの影響")},
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "後の得点アイテムへの影響")},
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "後のスペルカードボーナスへの影響")},
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "それ自体")},
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "後のボーナスアイテムへの影響")},
    {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "スペルカードボーナスへの影響")},
    {nullptr, message_t::TermBonusItems},
    {nullptr, message_t::RowSpellCardBonusBase},
    {nullptr, message_t::TermEnemyBulletBonus},
}};
// Column 0 (and 1 where col_right is 1): what a row or a run of rows is about.
struct group_label_t {
  int col_right, row_top, row_bottom;
  label_text_t label;
};
const group_label_t kGroupLabels[] = {
    {1, 1, 1, {nullptr, message_t::TermBorderBonus}},
    {1, 2, 2, {QT_TRANSLATE_NOOP("qvl::TComparisonPanel", "桜点Max")}},
    {0, 3, 5, {nullptr, message_t::StatusCherry}},
    {0, 6, 8, {nullptr, message_t::StatusGraze}},
    {1, 9, 9, {nullptr, message_t::StatusPointItems}},
    {0, 10, 12, {"etc"}},
    {1, 13, 13, {nullptr, message_t::NameTotal}}};

}  // namespace

TComparisonPanel::TComparisonPanel(const TDocumentSession& session, TDialogs& dialogs,
                                   TStatusBar& status_bar, int label_extra, QWidget* parent)
    : QGroupBox(parent),
      m_session(session),
      m_dialogs(dialogs),
      m_statusBar(status_bar),
      m_labelExtra(label_extra) {
  setObjectName(QStringLiteral("OutputGroupBox"));
  // As designed, or taller where the fonts give the box's title more room:
  // all thirteen rows are in view, for a grid without a scroll bar that
  // scrolled to a cell could not be scrolled back.
  setMinimumHeight(kOutputBoxHeight);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setMouseTracking(true);
  auto* layout = new QVBoxLayout(this);
  // The grid fills the box: its five columns need every pixel of it.
  layout->setContentsMargins(0, 0, 0, 0);
  m_grid = new TKwGrid(this);
  m_grid->setObjectName(QStringLiteral("OutputKwGrid"));
  m_grid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  layout->addWidget(m_grid);
  PrepareGrid();
  Retranslate();
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
}

TComparisonPanel::~TComparisonPanel() {
  m_session.RemoveListener(m_listener);
}

int TComparisonPanel::LabelExtraNeeded() {
  int output = kOutputLabelWidth;
  for (const label_text_t& label : kOutputRowLabels) {
    output = std::max(output, LabelRoom(label.Shown()));
  }
  return output - kOutputLabelWidth;
}

void TComparisonPanel::SetLabelExtra(int extra) {
  m_labelExtra = extra;
  m_grid->SetColWidths(
      {50, kOutputLabelWidth + extra, m_valueWidths[0], m_valueWidths[1], m_valueWidths[2]});
}

void TComparisonPanel::PrepareGrid() {
  TKwGrid& out = *m_grid;
  CommonGridLooks(out, palette().color(QPalette::Dark));
  out.SetColCount(5);
  out.SetRowCount(14);
  out.SetFixedCols(2);
  out.SetFixedRows(1);
  out.SetColWidths(
      {50, kOutputLabelWidth + m_labelExtra, m_valueWidths[0], m_valueWidths[1], m_valueWidths[2]});
  out.SetRowHeights({24, 24, 24, 24, 24, 24, 27, 24, 24, 23, 23, 24, 24, 24});
  out.SetScrollBars(ssNone);
  AddRangeStyle(out, 2, 0, 4, 0).SetAlignment(taCenter);
  AddRangeStyle(out, 2, 1, 3, kOutputRows).SetReadOnly(true);
  {
    TCellStyle& labels = AddRangeStyle(out, 1, 1, 1, kOutputRows);
    labels.SetAlignment(taLeft);
    labels.SetFontIndex(0);
  }
  for (const group_label_t& g : kGroupLabels) {
    TCellStyle& s = AddRangeStyle(out, 0, g.row_top, g.col_right, g.row_bottom);
    s.SetAlignment(taCenter);
    s.SetFontIndex(0);
    s.SetJoint(true);
  }
  for (int r = 1; r <= kOutputRows; ++r) AddCellStyle(out, 4, r).SetReadOnly(true);
  WriteLabels();
  out.OnKeyDown = [this](TCustomKwGrid&, int& key, Qt::KeyboardModifiers) {
    CopyKey(m_dialogs, *m_grid, key);
  };
  out.OnMouseMove = [this](TCustomKwGrid&, Qt::KeyboardModifiers, int x, int y) {
    MouseMove(QPoint(x, y));
  };
}

void TComparisonPanel::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) Retranslate();
  QGroupBox::changeEvent(e);
}

void TComparisonPanel::Retranslate() {
  setTitle(tr("出力"));
  m_grid->setAccessibleName(tr("出力"));
  WriteLabels();
  m_hoverCell = {-1, -1};
  // What the core explains of the selection (the terms' titles and formulas)
  // afresh.
  if (m_session.CurrentNode() != nullptr || !m_session.TopSelection().empty()) {
    ShowCurrentChoices();
  }
}

void TComparisonPanel::SessionChanged(const session_change_t& change) {
  const shown_change_t shown = ShownChange(change);
  switch (shown.what) {
    case shown_change_t::what_t::Document:
      m_oldValue.reset();
      m_newValue.reset();
      Clear();
      break;
    case shown_change_t::what_t::Selection:
      Clear();
      m_oldValue.reset();
      m_newValue.reset();
      m_effectPattern.reset();
      ShowOldSide();
      break;
    case shown_change_t::what_t::StoredList:
      // The editor then shows the effect of the pattern it edits next.
      if (shown.node == m_session.CurrentNode()) ShowOldSide();
      break;
    case shown_change_t::what_t::CurrentChoices:
      ShowCurrentChoices();
      break;
    case shown_change_t::what_t::EditedPattern:  // the editor shows the effect of the pattern
    case shown_change_t::what_t::Nothing:
    case shown_change_t::what_t::Saved:
    case shown_change_t::what_t::Memo:
      break;
  }
}

void TComparisonPanel::Clear() {
  TGridUpdate update(*m_grid);
  for (int r = 1; r <= kOutputRows; ++r) SetDifferenceCell(*m_grid, 4, r, 0);
  m_grid->ClearAllCells();
  WriteLabels();
}

void TComparisonPanel::WriteLabels() {
  TKwGrid& out = *m_grid;
  TGridUpdate update(out);
  out.SetCells(2, 0, OldPatternWord());
  out.SetCells(3, 0, NewPatternWord());
  out.SetCells(4, 0, ToQString(Message(message_t::NameDifference)));
  for (std::size_t i = 0; i < kOutputRowLabels.size(); ++i) {
    // Rows 3 to 8, then 10 to 12.
    const int row = static_cast<int>(i) + (i < 6 ? 3 : 4);
    out.SetCells(1, row, kOutputRowLabels[i].Shown());
  }
  for (const group_label_t& g : kGroupLabels) {
    if (TCellStyle* style = StyleOf(out, 0, g.row_top)) style->SetText(g.label.Shown());
  }
}

void TComparisonPanel::ShowOldSide() {
  if (scene_base_t* const node = m_session.CurrentNode()) {
    ShowValue(2, node->CurrentExplanation());
  } else {
    ShowValue(2, SelectionSum(m_session.Document(), m_session.TopSelection()).value);
  }
}

void TComparisonPanel::ShowCurrentChoices() {
  scene_base_t* const node = m_session.CurrentNode();
  ShowOldSide();
  if (node == nullptr || !node->EditsOwnPatterns()) return;
  if (m_effectPattern) ShowValue(3, node->CompareWithCurrent(*m_effectPattern));
  UpdateDifferences();
}

void TComparisonPanel::ShowEffect(const pattern_base_t& pattern) {
  scene_base_t* const node = m_session.CurrentNode();
  if (!node) return;
  m_effectPattern = pattern.Clone();
  ShowValue(3, node->CompareWithCurrent(pattern));
}

void TComparisonPanel::UpdateDifferences() {
  qvl::UpdateDifferences(*m_grid, 2, 3, 4, kOutputRows, &m_dialogs, this);
  FitValueColumns();
  ReportOutOfRangeCells();
}

void TComparisonPanel::ShowValue(int column, pattern_value_t value) {
  {
    TGridUpdate update(*m_grid);
    const auto show = [&](int row, checked_score_t v) {
      if (v.InRange()) {
        m_grid->SetCells(column, row, std::int64_t{v.Value()});
      } else {
        m_grid->SetCells(column, row, OutOfRangeText());
      }
    };
    for (int r = 1; r <= 12; ++r) show(r, value[r - 1].value);
    show(13, value.Total());
  }
  auto& kept = column == 2 ? m_oldValue : m_newValue;
  kept = std::make_unique<pattern_value_t>(std::move(value));
  // The hint of the cell under the mouse explained the value just replaced:
  // the next move builds it afresh.
  m_hoverCell = {-1, -1};
  FitValueColumns();
  ReportOutOfRangeCells();
}

void TComparisonPanel::FitValueColumns() {
  std::array<int, 3> widths{};
  for (std::size_t i = 0; i < widths.size(); ++i) {
    widths[i] = std::max(kDesignedValueWidths[i], m_grid->TextColWidth(static_cast<int>(i) + 2, 1));
  }
  const int extra = widths[0] + widths[1] + widths[2] -
                    (kDesignedValueWidths[0] + kDesignedValueWidths[1] + kDesignedValueWidths[2]);
  m_valueWidths = widths;
  m_grid->SetColWidths({50, kOutputLabelWidth + m_labelExtra, widths[0], widths[1], widths[2]});
  const int delta = extra - m_valueExtra;
  if (delta == 0) return;
  m_valueExtra = extra;
  if (ValueColumnsResized) ValueColumnsResized(extra, delta);
}

void TComparisonPanel::ReportOutOfRangeCells() {
  QStringList reports;
  for (int col = 2; col <= 4; ++col) {
    for (int r = 1; r <= kOutputRows; ++r) {
      if (m_grid->CellText(col, r) != OutOfRangeText()) continue;
      const std::string& name = r <= 12 ? TermTitle(r - 1) : Message(message_t::NameTotal);
      reports << ToQString(FormatMessage(message_t::ValueOutOfRangeAt,
                                         {FromQString(m_grid->CellText(col, 0)).text, name}));
    }
  }
  const QString report = reports.join(QLatin1Char(' '));
  if (report == m_outOfRangeReport) return;
  // Panel 0 also shows hints: an earlier report goes, anything else stays
  // unless there is a report to show.
  if (!report.isEmpty() || m_statusBar.PanelText(0) == m_outOfRangeReport) {
    m_statusBar.SetPanel(0, report);
  }
  m_outOfRangeReport = report;
}

void TComparisonPanel::mouseMoveEvent(QMouseEvent* e) {
  // The box's points in the grid's viewport: a point beside the grid is on
  // no cell.
  MouseMove(m_grid->viewport()->mapFrom(this, e->position().toPoint()));
  QGroupBox::mouseMoveEvent(e);
}

void TComparisonPanel::SetHint(const QString& hint) {
  m_grid->SetHint(hint);
  m_statusBar.SetPanel(0, TCustomKwGrid::LongHint(hint));
}

void TComparisonPanel::MouseMove(QPoint point) {
  const TCellCoord cell = m_grid->CellAtPoint(point);
  if (cell.Col == m_hoverCell[0] && cell.Row == m_hoverCell[1]) return;
  m_hoverCell = {cell.Col, cell.Row};
  if ((cell.Col != 2 && cell.Col != 3) || cell.Row < 1 || cell.Row > 12) {
    SetHint(QString());
    return;
  }
  const pattern_value_t* value = cell.Col == 2 ? m_oldValue.get() : m_newValue.get();
  if (!value) return;
  // The formulas break their lines the Windows way; a tool tip wants line feeds.
  SetHint(MemoToQString((*value)[cell.Row - 1].HintText()));
}

}  // namespace qvl

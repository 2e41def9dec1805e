// How the grid shows its cells: content and viewport coordinates, scrolling,
// repainting, the four painted regions (fixed corner, fixed rows, fixed
// columns, scrolling cells), merged rectangles as one cell, and the
// appearance steps of one cell.
#include "grid/KwGrid.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <set>

namespace qvl {

namespace {

// The lines of a cell's text: broken at the width with word wrap, else one.
QStringList LayoutLines(const QString& text, const QFont& font, int width, bool wrap) {
  if (!wrap) return {text};
  QStringList lines;
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(std::max(width, 1));
    QString part = text.mid(line.textStart(), line.textLength());
    while (!part.isEmpty() && (part.back() == u' ' || part.back() == u'\n')) part.chop(1);
    lines.append(part);
  }
  layout.endLayout();
  return lines;
}

// The characters as the user sees them (a base letter with its marks, a
// surrogate pair) for spreading them evenly.
QStringList Graphemes(const QString& text) {
  QStringList parts;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  qsizetype start = 0;
  while (finder.toNextBoundary() != -1) {
    const qsizetype end = finder.position();
    if (end > start) parts.append(text.mid(start, end - start));
    start = end;
  }
  return parts;
}

// The first and last columns (rows) of one region, from `first` on, that meet
// [from, to) in viewport pixels; `offset` is what the region is scrolled by.
std::pair<int, int> SpanIn(const TKwGridModel& m, bool cols, int first, int last,
                           std::int64_t offset, int from, int to) {
  const auto pos = [&](int i) { return (cols ? m.ColPos(i) : m.RowPos(i)) - offset; };
  int a = first;
  while (a <= last && pos(a + 1) <= from) ++a;
  int b = a;
  while (b + 1 <= last && pos(b + 1) < to) ++b;
  return {a, b};
}

// Qt geometry is int; content positions are 64-bit sums of sizes.
constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;

int ClampCoord(std::int64_t v) {
  return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit));
}

// Above this many cells an invalidation repaints the whole viewport.
constexpr std::int64_t kCellsPerInvalidate = 64;

}  // namespace

std::vector<int> EvenPositions(const std::vector<int>& widths, int width) {
  std::vector<int> x(widths.size(), 0);
  if (widths.empty()) return x;
  std::int64_t used = 0;
  for (int w : widths) used += w;
  const std::int64_t free = width - used;
  if (widths.size() == 1) {
    x[0] = static_cast<int>(std::max<std::int64_t>(free / 2, 0));
    return x;
  }
  const std::int64_t gaps = static_cast<std::int64_t>(widths.size()) - 1;
  const std::int64_t gap = free > 0 ? free / gaps : 0;
  std::int64_t extra = free > 0 ? free % gaps : 0;
  std::int64_t at = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    x[i] = static_cast<int>(at);
    at += widths[i] + gap;
    if (extra > 0) {
      ++at;
      --extra;
    }
  }
  return x;
}

QString TCustomKwGrid::DisplayText(int col, int row) {
  if (!m_model.Inside(col, row)) return {};
  const TGridRect ext = m_model.CellExtent(col, row);
  bool own = false;
  QString s = m_model.ShownText(ext.Left, ext.Top, &own);
  if (own && OnTextFormat) OnTextFormat(*this, ext.Left, ext.Top, s);
  return s;
}

void TCustomKwGrid::SetSpokenHeader(int col, int row, const QString& text) {
  if (text.isEmpty()) {
    m_spokenHeaders.erase({col, row});
  } else {
    m_spokenHeaders[{col, row}] = text;
  }
}

QString TCustomKwGrid::SpokenText(int col, int row) {
  QString s = DisplayText(col, row);
  if (s.isEmpty()) {
    const auto spoken = m_spokenHeaders.find({col, row});
    if (spoken != m_spokenHeaders.end()) s = spoken->second;
  }
  return s;
}

QFont TCustomKwGrid::CellFont(int col, int row, QColor* color) const {
  const int index = m_model.CellFontIndex(col, row);
  const QColor text = palette().color(QPalette::Text);
  if (m_model.Fonts().InRange(index)) {
    const TFontItem& item = m_model.Fonts().Item(index);
    if (color) *color = item.Color().isValid() ? item.Color() : text;
    return item.Font();
  }
  if (color) *color = text;
  return font();
}

int TCustomKwGrid::TextColWidth(int col, int first_row) const {
  int widest = 0;
  for (int row = std::max(first_row, 0); row < RowCount(); ++row) {
    const QString text = m_model.CellText(col, row);
    if (text.isEmpty()) continue;
    widest = std::max(widest, QFontMetrics(CellFont(col, row, nullptr)).horizontalAdvance(text));
  }
  // Painting keeps the margins free on both sides and draws the right grid
  // line in the cell's last pixel.
  return widest + 2 * m_horzMargin + 1;
}

bool TCustomKwGrid::IsHighlighted(int col, int row) const {
  if (m_model.IsFixed(col, row)) return false;
  if (!FocusWithin() && !Options().Contains(TKwGridOption::AlwayShowSelect)) return false;
  if (!m_model.CanSelectCell(col, row)) return false;
  const TGridRect sel = m_model.Selection();
  if (sel.IsEmpty() || !sel.Intersects(m_model.CellExtent(col, row))) return false;
  const bool current = m_model.Current() == TCellCoord{col, row};
  if (current && !Options().Contains(TKwGridOption::FocusHighlight)) return false;
  if (current && m_editing) return false;
  return true;
}

void TCustomKwGrid::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  const QRect asked = e->rect();
  const int fc = std::min(FixedCols(), ColCount());
  const int fr = std::min(FixedRows(), RowCount());
  const int fw = FixedWidth();
  const int fh = FixedHeight();
  const QRect view = viewport()->rect();
  const int vr = view.right() + 1;
  const int vb = view.bottom() + 1;
  struct region_t {
    QRect area;
    int colFirst, colLast;
    std::int64_t offX;
    int rowFirst, rowLast;
    std::int64_t offY;
  };
  const std::int64_t ox = ScrollOffsetX();
  const std::int64_t oy = ScrollOffsetY();
  const region_t regions[] = {
      {QRect(QPoint(0, 0), QPoint(fw - 1, fh - 1)), 0, fc - 1, 0, 0, fr - 1, 0},
      {QRect(QPoint(fw, 0), QPoint(vr - 1, fh - 1)), LeftCol(), ColCount() - 1, ox, 0, fr - 1, 0},
      {QRect(QPoint(0, fh), QPoint(fw - 1, vb - 1)), 0, fc - 1, 0, TopRow(), RowCount() - 1, oy},
      {QRect(QPoint(fw, fh), QPoint(vr - 1, vb - 1)), LeftCol(), ColCount() - 1, ox, TopRow(),
       RowCount() - 1, oy},
  };
  for (const region_t& r : regions) {
    const QRect clip = r.area.intersected(asked);
    if (clip.isEmpty() || r.colFirst > r.colLast || r.rowFirst > r.rowLast) continue;
    const auto [c0, c1] =
        SpanIn(m_model, true, r.colFirst, r.colLast, r.offX, clip.left(), clip.right() + 1);
    const auto [r0, r1] =
        SpanIn(m_model, false, r.rowFirst, r.rowLast, r.offY, clip.top(), clip.bottom() + 1);
    if (c0 > r.colLast || r0 > r.rowLast) continue;
    p.save();
    p.setClipRect(clip);
    PaintRegion(p, clip, c0, c1, r0, r1);
    p.restore();
  }
}

void TCustomKwGrid::PaintRegion(QPainter& p, const QRect&, int colFrom, int colTo, int rowFrom,
                                int rowTo) {
  std::set<int> mergesDone;
  for (int row = rowFrom; row <= rowTo; ++row) {
    for (int col = colFrom; col <= colTo; ++col) {
      const int merge = m_model.MergeAt(col, row);
      if (merge >= 0) {
        // A merged rectangle is painted once, over the union of its cells,
        // even when its top-left cell has scrolled away.
        if (!mergesDone.insert(merge).second) continue;
        const TGridRect ext = m_model.CellStyles().Item(merge).Rect();
        PaintCell(p, ext.Left, ext.Top, CellsToViewport(ext), true);
      } else {
        PaintCell(p, col, row, CellsToViewport(TGridRect::OfCell({col, row})), false);
      }
    }
  }
}

void TCustomKwGrid::PaintCell(QPainter& p, int col, int row, const QRect& r, bool merged) {
  if (r.isEmpty()) return;
  TKwGridDrawState state;
  state.Selected = IsHighlighted(col, row);
  state.Current = m_model.Current() == TCellCoord{col, row};
  state.Fixed = m_model.IsFixed(col, row);
  state.Merged = merged;
  if (!m_defaultDrawing && OnDrawCell) {
    bool handled = false;
    p.save();
    OnDrawCell(*this, p, col, row, r, state, handled);
    p.restore();
    if (handled) return;
  }
  const TCellStyle* style = m_model.StyleAt(col, row);

  // 1. Font.
  QColor fontColor;
  const QFont cellFont = CellFont(col, row, &fontColor);
  // 2. and 3. Highlight, else the background of the style or the grid.
  QColor background;
  QColor foreground;
  if (state.Selected) {
    background = m_highlightColor;
    foreground = m_selTextColor;
  } else {
    if (style && style->CellColor().isValid()) {
      background = style->CellColor();
    } else {
      background = state.Fixed ? m_fixedCellColor : m_cellColor;
    }
    foreground = fontColor;
  }
  // 4. A disabled grid greys all text.
  if (!isEnabled()) foreground = palette().color(QPalette::Disabled, QPalette::Text);
  p.fillRect(r, background);

  // 5. Right and bottom lines, one pixel along the edges.
  const TKwGridLines lines = m_model.CellLines(col, row);
  if (lines.Contains(goRight)) {
    const QColor c =
        style && style->RightLineColor().isValid() ? style->RightLineColor() : m_gridLineColor;
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
  }
  if (lines.Contains(goBottom)) {
    const QColor c =
        style && style->BottomLineColor().isValid() ? style->BottomLineColor() : m_gridLineColor;
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
  }

  // 6. Text.
  bool own = false;
  QString text = m_model.ShownText(col, row, &own);
  if (own && OnTextFormat) OnTextFormat(*this, col, row, text);

  if (!text.isEmpty()) {
    // 7. Alignment, margins, layout and word wrap.
    TKwTextAlignment align = m_model.CellAlignment(col, row);
    if (align == taAuto) align = IsNumericValue(m_model.Cells(col, row)) ? taRight : taLeft;
    const QRect box = r.adjusted(m_horzMargin, m_vertMargin, -m_horzMargin, -m_vertMargin);
    const QFontMetrics fm(cellFont);
    const QStringList textLines =
        LayoutLines(text, cellFont, box.width(), m_model.CellWordWrap(col, row));
    const int lineHeight = fm.height();
    const int blockHeight = lineHeight * static_cast<int>(textLines.size());
    int y = box.top();
    switch (m_model.CellLayout(col, row)) {
      case tlTop:
        break;
      case tlCenter:
        y = box.top() + (box.height() - blockHeight) / 2;
        break;
      case tlBottom:
        y = box.bottom() + 1 - blockHeight;
        break;
    }
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.setFont(cellFont);
    p.setPen(foreground);
    for (const QString& line : textLines) {
      const int baseline = y + fm.ascent();
      if (align == taEven) {
        const QStringList chars = Graphemes(line);
        std::vector<int> widths;
        widths.reserve(static_cast<std::size_t>(chars.size()));
        for (const QString& ch : chars) widths.push_back(fm.horizontalAdvance(ch));
        const std::vector<int> xs = EvenPositions(widths, box.width());
        for (qsizetype i = 0; i < chars.size(); ++i) {
          p.drawText(QPoint(box.left() + xs[static_cast<std::size_t>(i)], baseline), chars[i]);
        }
      } else {
        const int w = fm.horizontalAdvance(line);
        int x = box.left();
        if (align == taCenter) x = box.left() + (box.width() - w) / 2;
        if (align == taRight) x = box.right() + 1 - w;
        p.drawText(QPoint(x, baseline), line);
      }
      y += lineHeight;
    }
    p.restore();
  }

  // 8. The focus rectangle, one pixel inside the edges.
  if (state.Current && FocusWithin() && !m_editing && r.width() > 3 && r.height() > 3) {
    p.save();
    p.setPen(QPen(foreground, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(r.left() + 1, r.top() + 1, r.width() - 3, r.height() - 3));
    p.restore();
  }
}

// ---------------------------------------------------------------------------
// Scrolling and geometry

int TCustomKwGrid::LeftCol() const {
  return FixedCols() + horizontalScrollBar()->value();
}

int TCustomKwGrid::TopRow() const {
  return FixedRows() + verticalScrollBar()->value();
}

void TCustomKwGrid::SetLeftCol(int col) {
  horizontalScrollBar()->setValue(std::max(col - FixedCols(), 0));
}

void TCustomKwGrid::SetTopRow(int row) {
  verticalScrollBar()->setValue(std::max(row - FixedRows(), 0));
}

void TCustomKwGrid::MakeVisible(int col, int row) {
  const int fc = FixedCols();
  const int fr = FixedRows();
  if (col >= fc && col < ColCount()) {
    if (col < LeftCol()) {
      SetLeftCol(col);
    } else {
      const std::int64_t room = viewport()->width() - FixedWidth();
      int left = LeftCol();
      while (left < col && m_model.ColPos(col + 1) - m_model.ColPos(left) > room) ++left;
      if (left != LeftCol()) SetLeftCol(left);
    }
  }
  if (row >= fr && row < RowCount()) {
    if (row < TopRow()) {
      SetTopRow(row);
    } else {
      const std::int64_t room = viewport()->height() - FixedHeight();
      int top = TopRow();
      while (top < row && m_model.RowPos(row + 1) - m_model.RowPos(top) > room) ++top;
      if (top != TopRow()) SetTopRow(top);
    }
  }
}

int TCustomKwGrid::FixedWidth() const {
  return ClampCoord(m_model.ColPos(std::min(FixedCols(), ColCount())));
}

int TCustomKwGrid::FixedHeight() const {
  return ClampCoord(m_model.RowPos(std::min(FixedRows(), RowCount())));
}

std::int64_t TCustomKwGrid::ScrollOffsetX() const {
  if (FixedCols() >= ColCount()) return 0;
  return m_model.ColPos(LeftCol()) - m_model.ColPos(FixedCols());
}

std::int64_t TCustomKwGrid::ScrollOffsetY() const {
  if (FixedRows() >= RowCount()) return 0;
  return m_model.RowPos(TopRow()) - m_model.RowPos(FixedRows());
}

QRect TCustomKwGrid::ContentToViewport(std::int64_t left, std::int64_t top, std::int64_t right,
                                       std::int64_t bottom) const {
  const std::int64_t ox = left < FixedWidth() ? 0 : ScrollOffsetX();
  const std::int64_t oy = top < FixedHeight() ? 0 : ScrollOffsetY();
  const int x = ClampCoord(left - ox);
  const int y = ClampCoord(top - oy);
  const int w = ClampCoord(std::max<std::int64_t>(right - left, 0));
  const int h = ClampCoord(std::max<std::int64_t>(bottom - top, 0));
  return {x, y, w, h};
}

std::pair<std::int64_t, std::int64_t> TCustomKwGrid::ViewportToContent(QPoint p) const {
  const std::int64_t x = p.x() < FixedWidth() ? p.x() : p.x() + ScrollOffsetX();
  const std::int64_t y = p.y() < FixedHeight() ? p.y() : p.y() + ScrollOffsetY();
  return {x, y};
}

QRect TCustomKwGrid::CellsToViewport(const TGridRect& r) const {
  if (r.IsEmpty()) return {};
  const int fc = FixedCols();
  const int fr = FixedRows();
  // Split a rectangle that spans both regions into parts of one region each.
  if (r.Left < fc && r.Right >= fc) {
    return CellsToViewport({r.Left, r.Top, fc - 1, r.Bottom})
        .united(CellsToViewport({fc, r.Top, r.Right, r.Bottom}));
  }
  if (r.Top < fr && r.Bottom >= fr) {
    return CellsToViewport({r.Left, r.Top, r.Right, fr - 1})
        .united(CellsToViewport({r.Left, fr, r.Right, r.Bottom}));
  }
  return ContentToViewport(m_model.ColPos(r.Left), m_model.RowPos(r.Top),
                           m_model.ColPos(r.Right + 1), m_model.RowPos(r.Bottom + 1));
}

QRect TCustomKwGrid::CellRect(int col, int row) const {
  if (!m_model.Inside(col, row)) return {};
  return CellsToViewport(m_model.CellExtent(col, row));
}

TCellCoord TCustomKwGrid::CellAtPoint(QPoint p) const {
  if (!viewport()->rect().contains(p)) return {};
  const auto [x, y] = ViewportToContent(p);
  if (x < 0 || y < 0) return {};
  // The last edge at or left of (above) the point.
  int lo = 0;
  int hi = ColCount();
  if (x >= m_model.ColPos(hi)) return {};
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (m_model.ColPos(mid) <= x) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  const int col = lo;
  lo = 0;
  hi = RowCount();
  if (y >= m_model.RowPos(hi)) return {};
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (m_model.RowPos(mid) <= y) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return {col, lo};
}

void TCustomKwGrid::UpdateScrollRanges() {
  const int fc = FixedCols();
  const int fr = FixedRows();
  const int cols = ColCount();
  const int rows = RowCount();
  // The largest first column (row) that still leaves the last one in view.
  const auto maxFirst = [](int fixed, int count, std::int64_t room, auto pos) {
    if (fixed >= count) return fixed;
    const std::int64_t total = pos(count);
    int lo = fixed;
    int hi = count - 1;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (total - pos(mid) <= room) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  };
  const auto colPos = [this](int i) { return m_model.ColPos(i); };
  const auto rowPos = [this](int i) { return m_model.RowPos(i); };
  const std::int64_t roomX = viewport()->width() - FixedWidth();
  const std::int64_t roomY = viewport()->height() - FixedHeight();
  const int maxLeft = maxFirst(fc, cols, roomX, colPos);
  const int maxTop = maxFirst(fr, rows, roomY, rowPos);
  horizontalScrollBar()->setRange(0, std::max(maxLeft - fc, 0));
  verticalScrollBar()->setRange(0, std::max(maxTop - fr, 0));
  const auto visible = [](int first, int count, std::int64_t room, auto pos) {
    int n = 0;
    while (first + n < count && pos(first + n + 1) - pos(first) <= room) ++n;
    return std::max(n, 1);
  };
  horizontalScrollBar()->setPageStep(visible(LeftCol(), cols, roomX, colPos));
  verticalScrollBar()->setPageStep(visible(TopRow(), rows, roomY, rowPos));
}

QSize TCustomKwGrid::viewportSizeHint() const {
  return {ClampCoord(m_model.ColPos(ColCount())), ClampCoord(m_model.RowPos(RowCount()))};
}

void TCustomKwGrid::scrollContentsBy(int, int) {
  viewport()->update();
  PlaceEditor();
  if (OnTopLeftChanged) OnTopLeftChanged(*this);
}

void TCustomKwGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollRanges();
  PlaceEditor();
}

// ---------------------------------------------------------------------------
// Repainting

void TCustomKwGrid::BeginUpdate() {
  ++m_updateDepth;
}

void TCustomKwGrid::EndUpdate() {
  if (m_updateDepth <= 0) return;
  if (--m_updateDepth == 0) viewport()->update();
}

void TCustomKwGrid::InvalidateAll() {
  if (m_updateDepth > 0) return;
  viewport()->update();
}

void TCustomKwGrid::InvalidateCell(TCellCoord c) {
  if (!m_model.Inside(c.Col, c.Row)) return;
  InvalidateCells(TGridRect::OfCell(c));
}

void TCustomKwGrid::InvalidateCells(const TGridRect& cells) {
  if (m_updateDepth > 0 || cells.IsEmpty()) return;
  const TGridRect r{std::max(cells.Left, 0), std::max(cells.Top, 0),
                    std::min(cells.Right, ColCount() - 1), std::min(cells.Bottom, RowCount() - 1)};
  if (r.IsEmpty()) return;
  if (r.Area() > kCellsPerInvalidate) {
    viewport()->update();
    return;
  }
  QRect area;
  for (int row = r.Top; row <= r.Bottom; ++row) {
    for (int col = r.Left; col <= r.Right; ++col) area = area.united(CellRect(col, row));
  }
  viewport()->update(area);
}

}  // namespace qvl

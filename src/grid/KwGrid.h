// The spreadsheet-like grid control: variant cells, ordered cell styles that
// govern whole cells, merged rectangles, an in-place editor and keyboard and
// mouse navigation. The rules that do not paint live in TKwGridModel and the
// style classes, so they can be driven without a window; TCustomKwGrid paints
// them and turns keys and mouse into calls of them.
#pragma once

#include "grid/KwGrid_Model.h"

#include <QAbstractScrollArea>
#include <QLineEdit>

#include <functional>
#include <map>
#include <utility>

class QPainter;

namespace qvl {

// ---------------------------------------------------------------------------
// The control

class TCustomKwGrid;

// The in-place editor: a single-line edit that is a child of the grid.
class TInnerEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TInnerEdit(TCustomKwGrid* grid);
  [[nodiscard]] TCustomKwGrid* Grid() const { return m_grid; }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  TCustomKwGrid* m_grid;
};

class TCustomKwGrid : public QAbstractScrollArea, private TKwGridObserver {
  Q_OBJECT
 public:
  explicit TCustomKwGrid(QWidget* parent = nullptr);
  ~TCustomKwGrid() override;

  // The rules without a window.
  [[nodiscard]] const TKwGridModel& Model() const { return m_model; }

  // --- sizes
  [[nodiscard]] int ColCount() const { return m_model.ColCount(); }
  void SetColCount(int n) { m_model.SetColCount(n); }
  [[nodiscard]] int RowCount() const { return m_model.RowCount(); }
  void SetRowCount(int n) { m_model.SetRowCount(n); }
  [[nodiscard]] int FixedCols() const { return m_model.FixedCols(); }
  void SetFixedCols(int n) { m_model.SetFixedCols(n); }
  [[nodiscard]] int FixedRows() const { return m_model.FixedRows(); }
  void SetFixedRows(int n) { m_model.SetFixedRows(n); }
  [[nodiscard]] int DefaultColWidth() const { return m_model.DefaultColWidth(); }
  void SetDefaultColWidth(int w) { m_model.SetDefaultColWidth(w); }
  [[nodiscard]] int DefaultRowHeight() const { return m_model.DefaultRowHeight(); }
  void SetDefaultRowHeight(int h) { m_model.SetDefaultRowHeight(h); }
  [[nodiscard]] int FixedColWidth() const { return m_model.FixedColWidth(); }
  void SetFixedColWidth(int w) { m_model.SetFixedColWidth(w); }
  [[nodiscard]] int FixedRowHeight() const { return m_model.FixedRowHeight(); }
  void SetFixedRowHeight(int h) { m_model.SetFixedRowHeight(h); }
  [[nodiscard]] int ColWidth(int col) const { return m_model.ColWidth(col); }
  void SetColWidth(int col, int w) { m_model.SetColWidth(col, w); }
  [[nodiscard]] int RowHeight(int row) const { return m_model.RowHeight(row); }
  void SetRowHeight(int row, int h) { m_model.SetRowHeight(row, h); }
  // The first min(n, count) columns (rows) get the given sizes.
  void SetColWidths(const std::vector<int>& widths);
  // The narrowest width that shows the text of every cell of col from row
  // first_row on whole, on one line, within the margins and the grid line.
  [[nodiscard]] int TextColWidth(int col, int first_row) const;
  void SetRowHeights(const std::vector<int>& heights);

  // --- cells
  [[nodiscard]] const TCellValue& Cells(int col, int row) const { return m_model.Cells(col, row); }
  void SetCells(int col, int row, const TCellValue& v) { m_model.SetCells(col, row, v); }
  [[nodiscard]] QString CellText(int col, int row) const { return m_model.CellText(col, row); }
  void ClearAllCells() { m_model.ClearAllCells(); }
  // The text the cell shows, after OnTextFormat; the merged text for every
  // cell of a merge.
  [[nodiscard]] QString DisplayText(int col, int row);
  // What assistive technology hears of a header cell whose text is hidden
  // under a control laid over it (a title box over a column's header); an
  // empty text takes it back. A cell that shows a text of its own says that.
  void SetSpokenHeader(int col, int row, const QString& text);
  // The cell's text as assistive technology hears it.
  [[nodiscard]] QString SpokenText(int col, int row);

  [[nodiscard]] TCellStyles& CellStyles() { return m_model.CellStyles(); }
  [[nodiscard]] const TCellStyles& CellStyles() const { return m_model.CellStyles(); }
  [[nodiscard]] TFontList& Fonts() { return m_model.Fonts(); }
  [[nodiscard]] const TFontList& Fonts() const { return m_model.Fonts(); }

  // --- properties
  [[nodiscard]] TKwTextAlignment Alignment() const { return m_model.Alignment(); }
  void SetAlignment(TKwTextAlignment a) { m_model.SetAlignment(a); }
  [[nodiscard]] TKwBorderStyle BorderStyle() const { return m_borderStyle; }
  void SetBorderStyle(TKwBorderStyle b);
  [[nodiscard]] QColor CellColor() const { return m_cellColor; }
  void SetCellColor(const QColor& c);
  [[nodiscard]] bool DefaultDrawing() const { return m_defaultDrawing; }
  void SetDefaultDrawing(bool b);
  [[nodiscard]] TCellEditMode EditMode() const { return m_model.EditMode(); }
  void SetEditMode(TCellEditMode m);
  [[nodiscard]] TEnterDirection EnterDirection() const { return m_model.EnterDirection(); }
  void SetEnterDirection(TEnterDirection d) { m_model.SetEnterDirection(d); }
  [[nodiscard]] QColor FixedCellColor() const { return m_fixedCellColor; }
  void SetFixedCellColor(const QColor& c);
  [[nodiscard]] QColor GridLineColor() const { return m_gridLineColor; }
  void SetGridLineColor(const QColor& c);
  [[nodiscard]] QColor HighlightColor() const { return m_highlightColor; }
  void SetHighlightColor(const QColor& c);
  [[nodiscard]] QColor SelTextColor() const { return m_selTextColor; }
  void SetSelTextColor(const QColor& c);
  [[nodiscard]] int HorzMargin() const { return m_horzMargin; }
  void SetHorzMargin(int m);
  [[nodiscard]] int VertMargin() const { return m_vertMargin; }
  void SetVertMargin(int m);
  [[nodiscard]] TImeMode ImeMode() const { return m_model.ImeMode(); }
  void SetImeMode(TImeMode m) { m_model.SetImeMode(m); }
  [[nodiscard]] TTextLayout Layout() const { return m_model.Layout(); }
  void SetLayout(TTextLayout l) { m_model.SetLayout(l); }
  [[nodiscard]] TKwGridOptions Options() const { return m_model.Options(); }
  void SetOptions(TKwGridOptions o) { m_model.SetOptions(o); }
  [[nodiscard]] TKwScrollBars ScrollBars() const { return m_scrollBars; }
  void SetScrollBars(TKwScrollBars s);
  [[nodiscard]] int ScrollSpeed() const { return m_scrollSpeed; }
  void SetScrollSpeed(int rows) { m_scrollSpeed = rows; }
  [[nodiscard]] bool WordWrap() const { return m_model.WordWrap(); }
  void SetWordWrap(bool b) { m_model.SetWordWrap(b); }
  [[nodiscard]] bool Wrap() const { return m_model.Wrap(); }
  void SetWrap(bool b) { m_model.SetWrap(b); }

  // --- state
  [[nodiscard]] int CurrentCol() const { return m_model.Current().Col; }
  [[nodiscard]] int CurrentRow() const { return m_model.Current().Row; }
  [[nodiscard]] TGridRect Selection() const { return m_model.Selection(); }
  [[nodiscard]] bool EditorOpen() const { return m_editing; }
  [[nodiscard]] TInnerEdit* Editor() const { return m_editor; }
  // Takes text typed into the open editor into its cell, as leaving the grid
  // would, so that a command run meanwhile sees it; an always-shown editor
  // stays open on the cell. False when there was no typed text to take.
  bool ApplyEdit();
  // Makes the cell current by program, with the events of a move; false
  // when the move is refused.
  bool FocusCell(int col, int row);
  // The first visible non-fixed column and row.
  [[nodiscard]] int LeftCol() const;
  [[nodiscard]] int TopRow() const;
  void SetLeftCol(int col);
  void SetTopRow(int row);
  void MakeVisible(int col, int row);

  // The update bracket: changes inside it repaint nothing; closing the last
  // one repaints the grid once.
  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] int UpdateDepth() const { return m_updateDepth; }

  // The cell under a point of the viewport (the client area), or -1, -1.
  [[nodiscard]] TCellCoord CellAtPoint(QPoint p) const;
  // The cell's (merged) rectangle in viewport coordinates.
  [[nodiscard]] QRect CellRect(int col, int row) const;

  // The hint: the part before "|" is the tool tip, the part after it the
  // status-bar hint; a hint without "|" is both.
  [[nodiscard]] const QString& Hint() const { return m_hint; }
  void SetHint(const QString& hint);
  [[nodiscard]] static QString ShortHint(const QString& hint);
  [[nodiscard]] static QString LongHint(const QString& hint);

  // --- events; the sender is the grid
  std::function<void(TCustomKwGrid&, int col, int row, bool modified, TCellValue& newValue)>
      OnCellEdit;
  std::function<void(TCustomKwGrid&, int col, int row, bool modified)> OnCellEdited;
  std::function<void(TCustomKwGrid&, int col, int row)> OnCellEditing;
  std::function<void(TCustomKwGrid&, int col, int row, bool& canSelect)> OnSelectCell;
  std::function<void(TCustomKwGrid&, int col, int row, bool modified)> OnExitCell;
  std::function<void(TCustomKwGrid&, int col, int row)> OnEnterCell;
  std::function<void(TCustomKwGrid&, int oldCol, int oldRow, int newCol, int newRow)> OnCellChanged;
  std::function<void(TCustomKwGrid&, int col, int row, QString& s)> OnTextFormat;
  std::function<void(TCustomKwGrid&, QPainter&, int col, int row, const QRect& rect,
                     TKwGridDrawState state, bool& handled)>
      OnDrawCell;
  std::function<void(TCustomKwGrid&, int col, int row)> OnCellClick;
  std::function<void(TCustomKwGrid&, int col, int& width)> OnColSizing;
  std::function<void(TCustomKwGrid&, int row, int& height)> OnRowSizing;
  std::function<void(TCustomKwGrid&)> OnTopLeftChanged;
  // The usual control events. OnKeyDown runs before the grid handles a key
  // (its own or one forwarded from the editor); setting key to 0 swallows it.
  std::function<void(TCustomKwGrid&, int& key, Qt::KeyboardModifiers)> OnKeyDown;
  // Viewport coordinates.
  std::function<void(TCustomKwGrid&, Qt::KeyboardModifiers, int x, int y)> OnMouseMove;
  std::function<void(TCustomKwGrid&)> OnEnter;
  std::function<void(TCustomKwGrid&)> OnExit;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  // Every cell: a grid whose size adjusts to its contents shows them all.
  [[nodiscard]] QSize viewportSizeHint() const override;

 private:
  friend class TInnerEdit;
  friend class TKwGridAccessible;

  // TKwGridObserver
  void CellsChanged(const TGridRect& cells) override;
  void LooksChanged() override;
  void SizesChanged() override;

  // A key forwarded from the editor: OnKeyDown, then the grid's keys.
  bool ForwardKey(QKeyEvent* e);
  // The grid's own keys; true when handled.
  bool HandleKey(QKeyEvent* e);
  void MoveBy(TNavStep step, bool rangeMove);
  void MoveHomeEnd(bool home);
  bool PressEnter(bool shift);
  void PageRows(int pages);
  bool TryTypeIntoEditor(QKeyEvent* e);

  // Editor
  void OpenEditor();
  void CommitEdit();
  void CloseEditor();
  void RefreshEditor();
  void PlaceEditor();
  void ApplyImeMode(QWidget* w, TImeMode mode);
  void StyleEditor();
  void TakeFocusFromEditor();
  void GainedFocus();
  void FocusLeft(QFocusEvent* e);
  // The focus went to now, somewhere in the application.
  void FocusMoved(QWidget* now);
  // The focus is outside for good: the edit is committed, OnExit called.
  void Left();
  // The grid or its editor has the focus.
  [[nodiscard]] bool FocusWithin() const;
  [[nodiscard]] bool IsInside(const QWidget* w) const;

  // Geometry: content pixels are the whole grid laid out from (0, 0);
  // viewport pixels are what is shown, fixed cells staying in place.
  [[nodiscard]] std::int64_t ScrollOffsetX() const;
  [[nodiscard]] std::int64_t ScrollOffsetY() const;
  // A content rectangle (right and bottom exclusive) that lies in one region
  // (fixed or scrolling) each way, in viewport pixels.
  [[nodiscard]] QRect ContentToViewport(std::int64_t left, std::int64_t top, std::int64_t right,
                                        std::int64_t bottom) const;
  // A viewport point in content pixels.
  [[nodiscard]] std::pair<std::int64_t, std::int64_t> ViewportToContent(QPoint p) const;
  [[nodiscard]] int FixedWidth() const;
  [[nodiscard]] int FixedHeight() const;
  [[nodiscard]] QRect CellsToViewport(const TGridRect& r) const;
  void UpdateScrollRanges();
  void InvalidateCells(const TGridRect& r);
  void InvalidateCell(TCellCoord c);
  void InvalidateAll();

  // Painting
  void PaintRegion(QPainter& p, const QRect& clip, int colFrom, int colTo, int rowFrom, int rowTo);
  void PaintCell(QPainter& p, int col, int row, const QRect& r, bool merged);
  [[nodiscard]] bool IsHighlighted(int col, int row) const;
  [[nodiscard]] QFont CellFont(int col, int row, QColor* color) const;

  // Sizing by mouse
  [[nodiscard]] bool SizingEdgeAt(QPoint p, bool* isCol, int* index) const;

  // Accessibility
  void NotifyAccessibleFocus();
  void NotifyAccessibleValue(int col, int row);

  TKwGridModel m_model;
  TInnerEdit* m_editor = nullptr;
  bool m_editing = false;

  TKwBorderStyle m_borderStyle = bsSingle;
  std::map<std::pair<int, int>, QString> m_spokenHeaders;
  QColor m_cellColor;
  QColor m_fixedCellColor;
  QColor m_gridLineColor{192, 192, 192};
  QColor m_highlightColor;
  QColor m_selTextColor;
  bool m_defaultDrawing = true;
  int m_horzMargin = 4;
  int m_vertMargin = 2;
  TKwScrollBars m_scrollBars = ssBoth;
  int m_scrollSpeed = 1;
  int m_wheelRemainder = 0;

  int m_updateDepth = 0;
  QString m_hint;
  // Whether the focus is on the grid or its editor, for OnEnter and OnExit.
  bool m_focusInside = false;
  // Shift+Tab out of the editor lands on the grid first; pass it on.
  bool m_skipBacktab = false;
  // The grid takes the focus back from the editor it is closing.
  bool m_focusFromEditor = false;

  // Mouse state
  bool m_dragSelecting = false;
  TCellCoord m_dragAnchor;
  bool m_sizing = false;
  bool m_sizingCol = false;
  int m_sizingIndex = -1;
  int m_sizingStart = 0;
  int m_sizingOrigin = 0;
};

// The grid as the main window uses it.
class TKwGrid : public TCustomKwGrid {
  Q_OBJECT
 public:
  explicit TKwGrid(QWidget* parent = nullptr) : TCustomKwGrid(parent) {}
};

}  // namespace qvl

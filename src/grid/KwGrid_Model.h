// The grid's rules that do not paint: the vocabulary types, variant cell
// values and their text, fonts, ordered cell styles with the governing style
// and merges, and TKwGridModel with the sizes, cells, current cell, selection
// and keyboard steps. Part of the KwGrid unit; include grid/KwGrid.h.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace qvl {

// ---------------------------------------------------------------------------
// Small vocabulary types

enum TKwTextAlignment { taAuto, taLeft, taCenter, taRight, taEven };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TCellEditMode { ceReadOnly, ceCanEdit, ceAlwayShowEditor };
enum TEnterDirection { edNone, edRightDown, edDownRight };
enum TCellTextPriority { tpAuto, tpCell, tpStyle };
enum TKwGridLine { goRight, goBottom };
// Input method states a cell can ask for while it is edited.
enum TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
enum TKwBorderStyle { bsNone, bsSingle };
enum TKwScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

enum class TKwGridOption {
  Tabs,
  AlwayShowSelect,
  RightSelect,
  HorzLine,
  VertLine,
  FocusHighlight,
  ColSizing,
  RowSizing,
  FixedColSizing,
  FixedRowSizing,
  RangeSelect,
  RowSelect
};

// A set of enumerators, one bit each.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) m_bits |= Bit(e);
  }
  [[nodiscard]] constexpr bool Contains(E e) const { return (m_bits & Bit(e)) != 0; }
  [[nodiscard]] constexpr bool Empty() const { return m_bits == 0; }
  constexpr TSet& Include(E e) {
    m_bits |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    m_bits &= ~Bit(e);
    return *this;
  }
  constexpr TSet& Set(E e, bool on) { return on ? Include(e) : Exclude(e); }
  friend constexpr bool operator==(TSet a, TSet b) = default;

 private:
  static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
  std::uint32_t m_bits = 0;
};
using TKwGridOptions = TSet<TKwGridOption>;
using TKwGridLines = TSet<TKwGridLine>;

// What painting and OnDrawCell are told about a cell, in this order.
struct TKwGridDrawState {
  bool Selected = false;  // painted highlighted
  bool Current = false;
  bool Fixed = false;
  bool Merged = false;
  friend bool operator==(const TKwGridDrawState&, const TKwGridDrawState&) = default;
};

struct TCellCoord {
  int Col = -1;
  int Row = -1;
  [[nodiscard]] bool IsValid() const { return Col >= 0 && Row >= 0; }
  friend bool operator==(const TCellCoord&, const TCellCoord&) = default;
};

// A rectangle of cells, bounds included. Left > Right or Top > Bottom is empty.
struct TGridRect {
  int Left = -1;
  int Top = -1;
  int Right = -1;
  int Bottom = -1;
  [[nodiscard]] static TGridRect OfCell(TCellCoord c) { return {c.Col, c.Row, c.Col, c.Row}; }
  // The smallest rectangle holding both cells.
  [[nodiscard]] static TGridRect Spanning(TCellCoord a, TCellCoord b);
  [[nodiscard]] bool IsEmpty() const { return Left > Right || Top > Bottom; }
  [[nodiscard]] bool Contains(int col, int row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
  [[nodiscard]] bool Intersects(const TGridRect& o) const;
  // Number of cells, saturated so that huge rectangles do not overflow.
  [[nodiscard]] std::int64_t Area() const;
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// ---------------------------------------------------------------------------
// Cell values

// Empty, 32-bit integer, 64-bit integer, real, boolean or string.
using TCellValue = std::variant<std::monostate, std::int32_t, std::int64_t, double, bool, QString>;

// The value as text: empty for an empty value, integers in plain decimal,
// reals in the general form with up to 15 significant digits (integral reals
// below 10^18 in plain decimal, so that they read back as integers), booleans
// "True" and "False".
[[nodiscard]] QString CellValueText(const TCellValue& v);
// The editor's text as a value: "" empty; a decimal number other than "+" or
// "-" alone a 32-bit integer, else a 64-bit integer, else a real; any other
// single character a one-character string; "true"/"false" in any letter case a
// boolean; anything else a string.
[[nodiscard]] TCellValue TextToCellValue(const QString& text);
// Same alternative and same value.
[[nodiscard]] bool SameCellValue(const TCellValue& a, const TCellValue& b);
[[nodiscard]] bool IsNumericValue(const TCellValue& v);

// ---------------------------------------------------------------------------
// Columns, fonts and cell styles

// One column: its width and one value per row.
struct TKwCols {
  int Width = 65;
  std::vector<TCellValue> Cells;
};

class TFontList;
class TCellStyles;
class TKwGridModel;

// One font that styles refer to by index. An invalid Color means the grid's
// text colour.
class TFontItem {
 public:
  explicit TFontItem(TFontList* list) : m_list(list) {}
  [[nodiscard]] const QFont& Font() const { return m_font; }
  void SetFont(const QFont& font);
  [[nodiscard]] QColor Color() const { return m_color; }
  void SetColor(const QColor& color);
  [[nodiscard]] TFontList* List() const { return m_list; }

 private:
  TFontList* m_list;
  QFont m_font;
  QColor m_color;
};

class TFontList {
 public:
  explicit TFontList(TKwGridModel* owner = nullptr) : m_owner(owner) {}
  TFontList(const TFontList&) = delete;
  TFontList& operator=(const TFontList&) = delete;
  TFontItem& Add(const QFont& font, const QColor& color = QColor());
  [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
  // Throws std::out_of_range outside the list.
  [[nodiscard]] TFontItem& Item(int index);
  [[nodiscard]] const TFontItem& Item(int index) const;
  [[nodiscard]] bool InRange(int index) const { return index >= 0 && index < Count(); }
  void Delete(int index);
  void Clear();
  void Changed();

 private:
  TKwGridModel* m_owner;
  std::vector<std::unique_ptr<TFontItem>> m_items;
};

// A rectangle of cells with the appearance and behaviour of its cells. The
// last style whose rectangle holds a cell governs that cell alone; styles
// never combine.
class TCellStyle {
 public:
  // Created by TCellStyles::Add; takes the grid's values when the collection
  // belongs to a grid.
  explicit TCellStyle(TCellStyles* collection);
  TCellStyle(const TCellStyle&) = delete;
  TCellStyle& operator=(const TCellStyle&) = delete;

  [[nodiscard]] TKwTextAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TKwTextAlignment a);
  // Invalid colours are the default colour.
  [[nodiscard]] QColor BottomLineColor() const { return m_bottomLineColor; }
  void SetBottomLineColor(const QColor& c);
  [[nodiscard]] bool CanFocus() const { return m_canFocus; }
  void SetCanFocus(bool b);
  [[nodiscard]] bool CanSelect() const { return m_canSelect; }
  void SetCanSelect(bool b);
  [[nodiscard]] QColor CellColor() const { return m_cellColor; }
  void SetCellColor(const QColor& c);
  [[nodiscard]] int ColLeft() const { return m_colLeft; }
  void SetColLeft(int v);
  [[nodiscard]] int ColRight() const { return m_colRight; }
  void SetColRight(int v);
  [[nodiscard]] int FontIndex() const { return m_fontIndex; }
  void SetFontIndex(int v);
  [[nodiscard]] TImeMode ImeMode() const { return m_imeMode; }
  void SetImeMode(TImeMode m);
  [[nodiscard]] bool Joint() const { return m_joint; }
  void SetJoint(bool b);
  // Whether the merge is in force; computed from the styles and the grid.
  [[nodiscard]] bool Merged() const;
  [[nodiscard]] TTextLayout Layout() const { return m_layout; }
  void SetLayout(TTextLayout l);
  [[nodiscard]] const QString& Name() const { return m_name; }
  void SetName(const QString& name) { m_name = name; }
  [[nodiscard]] TCellStyles* Collection() const { return m_collection; }
  [[nodiscard]] bool OwnerAlignment() const { return m_ownerAlignment; }
  void SetOwnerAlignment(bool b);
  [[nodiscard]] bool OwnerImeMode() const { return m_ownerImeMode; }
  void SetOwnerImeMode(bool b);
  [[nodiscard]] bool OwnerLayout() const { return m_ownerLayout; }
  void SetOwnerLayout(bool b);
  [[nodiscard]] bool OwnerReadOnly() const { return m_ownerReadOnly; }
  void SetOwnerReadOnly(bool b);
  [[nodiscard]] bool OwnerLines() const { return m_ownerLines; }
  void SetOwnerLines(bool b);
  [[nodiscard]] bool OwnerWordWrap() const { return m_ownerWordWrap; }
  void SetOwnerWordWrap(bool b);
  [[nodiscard]] bool Range() const { return m_range; }
  void SetRange(bool b);
  [[nodiscard]] bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool b);
  [[nodiscard]] QColor RightLineColor() const { return m_rightLineColor; }
  void SetRightLineColor(const QColor& c);
  [[nodiscard]] int RowBottom() const { return m_rowBottom; }
  void SetRowBottom(int v);
  [[nodiscard]] int RowTop() const { return m_rowTop; }
  void SetRowTop(int v);
  [[nodiscard]] const QString& Text() const { return m_text; }
  void SetText(const QString& s);
  [[nodiscard]] TCellTextPriority TextPriority() const { return m_textPriority; }
  void SetTextPriority(TCellTextPriority p);
  [[nodiscard]] TKwGridLines VisibleLines() const { return m_visibleLines; }
  void SetVisibleLines(TKwGridLines l);
  [[nodiscard]] bool WordWrap() const { return m_wordWrap; }
  void SetWordWrap(bool b);
  // What assistive technology says of the cells this style governs beyond
  // their text: the meaning that only their look shows, such as a colour.
  // Nothing is painted from it.
  [[nodiscard]] const QString& Description() const { return m_description; }
  void SetDescription(const QString& s) { m_description = s; }

  // Sets the four bounds and Range := true in one change.
  void SetRect(int colLeft, int rowTop, int colRight, int rowBottom);
  // ColLeft..ColRight × RowTop..RowBottom with Range, else the one cell
  // (ColLeft, RowTop).
  [[nodiscard]] TGridRect Rect() const;
  [[nodiscard]] bool Contains(int col, int row) const { return Rect().Contains(col, row); }
  [[nodiscard]] int Index() const;

 private:
  friend class TKwGridModel;
  // Geometry changes (rectangle, Range, Joint) recompute the merges.
  void Changed(bool geometry);
  [[nodiscard]] TKwGridModel* Grid() const;

  TCellStyles* m_collection;
  TKwTextAlignment m_alignment = taAuto;
  QColor m_bottomLineColor;
  bool m_canFocus = true;
  bool m_canSelect = true;
  QColor m_cellColor;
  int m_colLeft = 0;
  int m_colRight = 0;
  int m_fontIndex = -1;
  TImeMode m_imeMode = imDontCare;
  bool m_joint = false;
  mutable bool m_merged = false;
  TTextLayout m_layout = tlCenter;
  QString m_name;
  bool m_ownerAlignment = false;
  bool m_ownerImeMode = false;
  bool m_ownerLayout = false;
  bool m_ownerReadOnly = false;
  bool m_ownerLines = false;
  bool m_ownerWordWrap = false;
  bool m_range = false;
  bool m_readOnly = false;
  QColor m_rightLineColor;
  int m_rowBottom = 0;
  int m_rowTop = 0;
  QString m_text;
  TCellTextPriority m_textPriority = tpAuto;
  TKwGridLines m_visibleLines;
  bool m_wordWrap = false;
  QString m_description;
};

// The ordered cell styles of a grid (or a free-standing collection).
class TCellStyles {
 public:
  explicit TCellStyles(TKwGridModel* owner = nullptr) : m_owner(owner) {}
  TCellStyles(const TCellStyles&) = delete;
  TCellStyles& operator=(const TCellStyles&) = delete;

  // Appends a style named "CellStyle" + the smallest free number from 1.
  TCellStyle& Add();
  [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
  // Throws std::out_of_range outside the collection.
  [[nodiscard]] TCellStyle& Item(int index);
  [[nodiscard]] const TCellStyle& Item(int index) const;
  void Delete(int index);
  void Clear();
  [[nodiscard]] int IndexOf(const TCellStyle* style) const;
  // Index of the governing style of the cell, or -1: the last style whose
  // rectangle holds it. A grid's styles govern only cells inside the grid.
  [[nodiscard]] int FindStyle(int col, int row) const;
  [[nodiscard]] TKwGridModel* Owner() const { return m_owner; }

 private:
  friend class TCellStyle;
  void Changed(bool geometry);

  TKwGridModel* m_owner;
  std::vector<std::unique_ptr<TCellStyle>> m_items;
};

// ---------------------------------------------------------------------------
// The grid's rules without a window

// Told by the model what to repaint.
class TKwGridObserver {
 public:
  virtual ~TKwGridObserver() = default;
  // Values of these cells changed.
  virtual void CellsChanged(const TGridRect& cells) = 0;
  // Styles, fonts or grid-wide looks changed.
  virtual void LooksChanged() = 0;
  // Counts, fixed counts or sizes changed.
  virtual void SizesChanged() = 0;
};

// Steps of keyboard navigation. Arrows wrap at the edges only with Wrap; Tab
// and the Enter steps (DownNext, UpPrev) always continue on the next line.
enum class TNavStep { Left, Right, Up, Down, TabNext, TabPrev, DownNext, UpPrev };

class TKwGridModel {
 public:
  TKwGridModel();
  TKwGridModel(const TKwGridModel&) = delete;
  TKwGridModel& operator=(const TKwGridModel&) = delete;
  ~TKwGridModel();

  void SetObserver(TKwGridObserver* observer) { m_observer = observer; }

  // --- sizes
  [[nodiscard]] int ColCount() const { return static_cast<int>(m_cols.size()); }
  void SetColCount(int n);
  [[nodiscard]] int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
  void SetRowCount(int n);
  [[nodiscard]] int FixedCols() const { return m_fixedCols; }
  void SetFixedCols(int n);
  [[nodiscard]] int FixedRows() const { return m_fixedRows; }
  void SetFixedRows(int n);
  [[nodiscard]] int DefaultColWidth() const { return m_defaultColWidth; }
  // Resets the width of every non-fixed column.
  void SetDefaultColWidth(int w);
  [[nodiscard]] int DefaultRowHeight() const { return m_defaultRowHeight; }
  void SetDefaultRowHeight(int h);
  [[nodiscard]] int FixedColWidth() const { return m_fixedColWidth; }
  // Negative becomes 0; resets the width of every fixed column.
  void SetFixedColWidth(int w);
  [[nodiscard]] int FixedRowHeight() const { return m_fixedRowHeight; }
  void SetFixedRowHeight(int h);
  // Throw std::out_of_range outside the grid.
  [[nodiscard]] int ColWidth(int col) const;
  void SetColWidth(int col, int w);
  [[nodiscard]] int RowHeight(int row) const;
  void SetRowHeight(int row, int h);
  // Left and top edges in content pixels; index ColCount (RowCount) gives the
  // total width (height).
  [[nodiscard]] std::int64_t ColPos(int col) const;
  [[nodiscard]] std::int64_t RowPos(int row) const;
  [[nodiscard]] const TKwCols& Column(int col) const;

  // --- cells
  [[nodiscard]] bool Inside(int col, int row) const {
    return col >= 0 && row >= 0 && col < ColCount() && row < RowCount();
  }
  // Throws std::out_of_range outside the grid.
  [[nodiscard]] const TCellValue& Cells(int col, int row) const;
  // Stored by the program: the value at entry follows when it is the current
  // cell. Throws std::out_of_range outside the grid.
  void SetCells(int col, int row, const TCellValue& v);
  // Stored by a committed edit: the value at entry stays.
  void StoreEdited(int col, int row, const TCellValue& v);
  [[nodiscard]] QString CellText(int col, int row) const { return CellValueText(Cells(col, row)); }
  // Every cell becomes empty; sizes and styles stay.
  void ClearAllCells();

  // --- grid-wide properties that styles may follow
  [[nodiscard]] TKwTextAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TKwTextAlignment a);
  [[nodiscard]] TTextLayout Layout() const { return m_layout; }
  void SetLayout(TTextLayout l);
  [[nodiscard]] TImeMode ImeMode() const { return m_imeMode; }
  void SetImeMode(TImeMode m);
  [[nodiscard]] bool WordWrap() const { return m_wordWrap; }
  void SetWordWrap(bool b);
  [[nodiscard]] TCellEditMode EditMode() const { return m_editMode; }
  void SetEditMode(TCellEditMode m);
  [[nodiscard]] TKwGridOptions Options() const { return m_options; }
  void SetOptions(TKwGridOptions o);
  // The cell lines that the line options ask for.
  [[nodiscard]] TKwGridLines GridLines() const;
  [[nodiscard]] bool Wrap() const { return m_wrap; }
  void SetWrap(bool b) { m_wrap = b; }
  [[nodiscard]] TEnterDirection EnterDirection() const { return m_enterDirection; }
  void SetEnterDirection(TEnterDirection d) { m_enterDirection = d; }

  [[nodiscard]] TCellStyles& CellStyles() { return m_styles; }
  [[nodiscard]] const TCellStyles& CellStyles() const { return m_styles; }
  [[nodiscard]] TFontList& Fonts() { return m_fonts; }
  [[nodiscard]] const TFontList& Fonts() const { return m_fonts; }

  // --- what governs a cell
  // Index of the governing style or -1 (also for cells outside the grid).
  [[nodiscard]] int GoverningStyle(int col, int row) const;
  [[nodiscard]] const TCellStyle* StyleAt(int col, int row) const;
  // Index of the style whose merge is in force at the cell, or -1.
  [[nodiscard]] int MergeAt(int col, int row) const;
  // The merged rectangle holding the cell, or the cell alone.
  [[nodiscard]] TGridRect CellExtent(int col, int row) const;
  [[nodiscard]] bool IsFixed(int col, int row) const {
    return col < m_fixedCols || row < m_fixedRows;
  }
  // Inside, not fixed, and not barred by its governing style.
  [[nodiscard]] bool CanFocusCell(int col, int row) const;
  [[nodiscard]] bool CanSelectCell(int col, int row) const;
  [[nodiscard]] bool IsReadOnly(int col, int row) const;
  [[nodiscard]] TKwTextAlignment CellAlignment(int col, int row) const;
  [[nodiscard]] TTextLayout CellLayout(int col, int row) const;
  [[nodiscard]] bool CellWordWrap(int col, int row) const;
  [[nodiscard]] TImeMode CellImeMode(int col, int row) const;
  [[nodiscard]] TKwGridLines CellLines(int col, int row) const;
  // -1 means the grid's font.
  [[nodiscard]] int CellFontIndex(int col, int row) const;
  // The text a cell shows before OnTextFormat: the cell's own text or the
  // style's Text by TextPriority; *own tells which it is.
  [[nodiscard]] QString ShownText(int col, int row, bool* own = nullptr) const;

  // --- current cell and selection
  [[nodiscard]] TCellCoord Current() const { return m_current; }
  [[nodiscard]] const TCellValue& ValueAtEntry() const { return m_valueAtEntry; }
  // The current cell's value differs from the value at entry.
  [[nodiscard]] bool CurrentModified() const;
  [[nodiscard]] TCellCoord NavPos() const { return m_navPos; }
  [[nodiscard]] std::optional<TCellCoord> RangeAnchor() const { return m_rangeAnchor; }
  // The selected cells; full rows with RowSelect; empty without a current
  // cell.
  [[nodiscard]] TGridRect Selection() const;
  [[nodiscard]] bool IsSelected(int col, int row) const;

  // Step 1 of a move: the top-left cell of a merge in force at the cell.
  [[nodiscard]] TCellCoord ResolveTarget(TCellCoord c) const;
  // Step 2 without the event: inside, not the current cell, may take focus.
  [[nodiscard]] bool CanMoveTo(TCellCoord target) const;
  // Steps 5 and 6 of a move, the state part: `requested` is the cell asked
  // for, `target` the resolved one.
  void EnterCell(TCellCoord requested, TCellCoord target);
  // Forgets the current cell (sizes shrank under it).
  void DropCurrent();
  void SetSelection(const TGridRect& r);
  // Starts or continues a Shift range: the selection spans the anchor and
  // the current cell.
  void BeginRange();
  void ExtendRangeToCurrent();
  // A move that is not a range move ends any range selection.
  void EndRange();

  // The cell a keyboard step from the navigation position reaches, or none.
  [[nodiscard]] std::optional<TCellCoord> Step(TNavStep step) const;
  [[nodiscard]] std::optional<TCellCoord> StepFrom(TCellCoord from, TNavStep step) const;
  // First (last) focusable non-fixed cell scanning rows from the top (bottom)
  // and each row from the left (right).
  [[nodiscard]] std::optional<TCellCoord> HomeCell() const;
  [[nodiscard]] std::optional<TCellCoord> EndCell() const;
  // The first cell in the same order that takes typing, else HomeCell.
  [[nodiscard]] std::optional<TCellCoord> FirstEditableCell() const;

 private:
  friend class TCellStyles;
  friend class TCellStyle;
  friend class TFontList;

  void StylesChanged(bool geometry);
  void FontsChanged();
  void GeometryChanged();
  void Rebuild() const;
  void RebuildPositions();
  void KeepStateInside();
  [[nodiscard]] std::size_t CacheIndex(int col, int row) const {
    return static_cast<std::size_t>(row) * m_cols.size() + static_cast<std::size_t>(col);
  }
  [[nodiscard]] TCellValue& CellRef(int col, int row);
  void NotifyCells(const TGridRect& r);
  void NotifyLooks();
  void NotifySizes();

  TKwGridObserver* m_observer = nullptr;
  std::vector<TKwCols> m_cols;
  std::vector<int> m_rowHeights;
  std::vector<std::int64_t> m_colPos;
  std::vector<std::int64_t> m_rowPos;
  int m_fixedCols = 1;
  int m_fixedRows = 1;
  int m_defaultColWidth = 65;
  int m_defaultRowHeight = 24;
  int m_fixedColWidth = 65;
  int m_fixedRowHeight = 24;

  TKwTextAlignment m_alignment = taAuto;
  TTextLayout m_layout = tlCenter;
  TImeMode m_imeMode = imDontCare;
  bool m_wordWrap = false;
  TCellEditMode m_editMode = ceReadOnly;
  TKwGridOptions m_options{TKwGridOption::HorzLine, TKwGridOption::VertLine};
  bool m_wrap = true;
  TEnterDirection m_enterDirection = edNone;

  TCellStyles m_styles{this};
  TFontList m_fonts{this};

  // Governing style and merge in force per cell, rebuilt when stale.
  mutable bool m_stale = true;
  mutable std::vector<int> m_governing;
  mutable std::vector<int> m_mergeOf;

  TCellCoord m_current;
  TCellValue m_valueAtEntry;
  TCellCoord m_navPos;
  TGridRect m_selection;
  std::optional<TCellCoord> m_rangeAnchor;
};

// For layout code: x positions of n characters spread over `width` pixels
// (taEven); `widths` are the characters' own widths. One character is
// centred; otherwise the free width is split into n - 1 equal gaps, the
// remainder pixels going one each to the first gaps. Text wider than the
// room starts at 0 without gaps.
[[nodiscard]] std::vector<int> EvenPositions(const std::vector<int>& widths, int width);

}  // namespace qvl

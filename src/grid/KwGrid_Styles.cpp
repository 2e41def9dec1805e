// Cell values and their text, cell rectangles, fonts and cell styles.
#include "grid/KwGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace qvl {

namespace {

[[noreturn]] void ThrowIndex(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

// Only ASCII decimal forms count as numbers; anything else (hex, full-width
// digits, "inf") stays text for the calculator to judge.
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// [+-]digits
bool IsIntegerSyntax(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
  }
  return true;
}

// [+-](digits[.digits*] | .digits)([eE][+-]digits)
bool IsRealSyntax(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t intDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++intDigits;
  std::size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

std::optional<TCellValue> ReadNumber(const QString& text) {
  // Surrounding blanks are allowed around a number, as number readers do.
  qsizetype b = 0;
  qsizetype e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
  std::string s;
  s.reserve(static_cast<std::size_t>(e - b));
  for (qsizetype i = b; i < e; ++i) {
    const char16_t c = text[i].unicode();
    if (c > 0x7F) return std::nullopt;
    s.push_back(static_cast<char>(c));
  }
  if (IsIntegerSyntax(s)) {
    // from_chars takes no '+'.
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    const char* last = s.data() + s.size();
    std::int64_t v = 0;
    const auto r = std::from_chars(first, last, v);
    if (r.ec == std::errc() && r.ptr == last) {
      if (v >= std::numeric_limits<std::int32_t>::min() &&
          v <= std::numeric_limits<std::int32_t>::max()) {
        return TCellValue(static_cast<std::int32_t>(v));
      }
      return TCellValue(v);
    }
    // Too long for 64 bits: read it as a real below.
  }
  if (IsRealSyntax(s)) {
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    const char* last = s.data() + s.size();
    double d = 0;
    const auto r = std::from_chars(first, last, d, std::chars_format::general);
    if (r.ec == std::errc() && r.ptr == last && std::isfinite(d)) return TCellValue(d);
  }
  return std::nullopt;
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

// ---------------------------------------------------------------------------
// TGridRect

TGridRect TGridRect::Spanning(TCellCoord a, TCellCoord b) {
  return {std::min(a.Col, b.Col), std::min(a.Row, b.Row), std::max(a.Col, b.Col),
          std::max(a.Row, b.Row)};
}

bool TGridRect::Intersects(const TGridRect& o) const {
  if (IsEmpty() || o.IsEmpty()) return false;
  return Left <= o.Right && o.Left <= Right && Top <= o.Bottom && o.Top <= Bottom;
}

std::int64_t TGridRect::Area() const {
  if (IsEmpty()) return 0;
  const std::int64_t w = static_cast<std::int64_t>(Right) - Left + 1;
  const std::int64_t h = static_cast<std::int64_t>(Bottom) - Top + 1;
  // Each side is at most 2^32, so the product can pass 2^63.
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  return h > kMax / w ? kMax : w * h;
}

// ---------------------------------------------------------------------------
// Values

QString CellValueText(const TCellValue& v) {
  return std::visit(
      Overloaded{[](std::monostate) { return QString(); },
                 [](std::int32_t i) { return QString::number(i); },
                 [](std::int64_t i) { return QString::number(static_cast<qlonglong>(i)); },
                 [](double d) {
                   // An integral real prints in plain decimal; the range
                   // check comes before the conversion.
                   if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e18) {
                     return QString::number(static_cast<qlonglong>(d));
                   }
                   return QString::number(d, 'g', 15);
                 },
                 [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); },
                 [](const QString& s) { return s; }},
      v);
}

TCellValue TextToCellValue(const QString& text) {
  if (text.isEmpty()) return {};
  if (text != u"+" && text != u"-") {
    if (auto n = ReadNumber(text)) return *n;
  }
  if (text.size() == 1) return text;
  if (text.compare(u"true", Qt::CaseInsensitive) == 0) return true;
  if (text.compare(u"false", Qt::CaseInsensitive) == 0) return false;
  return text;
}

bool SameCellValue(const TCellValue& a, const TCellValue& b) {
  return a == b;
}

bool IsNumericValue(const TCellValue& v) {
  return std::holds_alternative<std::int32_t>(v) || std::holds_alternative<std::int64_t>(v) ||
         std::holds_alternative<double>(v);
}

// ---------------------------------------------------------------------------
// Fonts

void TFontItem::SetFont(const QFont& font) {
  m_font = font;
  if (m_list) m_list->Changed();
}

void TFontItem::SetColor(const QColor& color) {
  m_color = color;
  if (m_list) m_list->Changed();
}

TFontItem& TFontList::Add(const QFont& font, const QColor& color) {
  m_items.push_back(std::make_unique<TFontItem>(this));
  TFontItem& item = *m_items.back();
  item.SetFont(font);
  item.SetColor(color);
  return item;
}

TFontItem& TFontList::Item(int index) {
  if (!InRange(index)) ThrowIndex(index);
  return *m_items[static_cast<std::size_t>(index)];
}

const TFontItem& TFontList::Item(int index) const {
  if (!InRange(index)) ThrowIndex(index);
  return *m_items[static_cast<std::size_t>(index)];
}

void TFontList::Delete(int index) {
  if (!InRange(index)) ThrowIndex(index);
  m_items.erase(m_items.begin() + index);
  Changed();
}

void TFontList::Clear() {
  m_items.clear();
  Changed();
}

void TFontList::Changed() {
  if (m_owner) m_owner->FontsChanged();
}

// ---------------------------------------------------------------------------
// Cell styles

TCellStyle::TCellStyle(TCellStyles* collection) : m_collection(collection) {
  if (const TKwGridModel* grid = Grid()) {
    m_ownerAlignment = m_ownerImeMode = m_ownerLayout = true;
    m_ownerReadOnly = m_ownerLines = m_ownerWordWrap = true;
    m_alignment = grid->Alignment();
    m_imeMode = grid->ImeMode();
    m_layout = grid->Layout();
    m_readOnly = grid->EditMode() == ceReadOnly;
    m_visibleLines = grid->GridLines();
    m_wordWrap = grid->WordWrap();
  } else {
    m_visibleLines = TKwGridLines{goRight, goBottom};
  }
}

TKwGridModel* TCellStyle::Grid() const {
  return m_collection ? m_collection->Owner() : nullptr;
}

void TCellStyle::Changed(bool geometry) {
  if (m_collection) m_collection->Changed(geometry);
}

void TCellStyle::SetAlignment(TKwTextAlignment a) {
  m_alignment = a;
  m_ownerAlignment = false;
  Changed(false);
}

void TCellStyle::SetBottomLineColor(const QColor& c) {
  m_bottomLineColor = c;
  Changed(false);
}

void TCellStyle::SetCanFocus(bool b) {
  m_canFocus = b;
  Changed(false);
}

void TCellStyle::SetCanSelect(bool b) {
  m_canSelect = b;
  Changed(false);
}

void TCellStyle::SetCellColor(const QColor& c) {
  m_cellColor = c;
  Changed(false);
}

void TCellStyle::SetColLeft(int v) {
  m_colLeft = v;
  Changed(true);
}

void TCellStyle::SetColRight(int v) {
  m_colRight = v;
  Changed(true);
}

void TCellStyle::SetFontIndex(int v) {
  m_fontIndex = v;
  Changed(false);
}

void TCellStyle::SetImeMode(TImeMode m) {
  m_imeMode = m;
  m_ownerImeMode = false;
  Changed(false);
}

void TCellStyle::SetJoint(bool b) {
  m_joint = b;
  Changed(true);
}

bool TCellStyle::Merged() const {
  if (const TKwGridModel* grid = Grid()) grid->Rebuild();
  return m_merged;
}

void TCellStyle::SetLayout(TTextLayout l) {
  m_layout = l;
  m_ownerLayout = false;
  Changed(false);
}

void TCellStyle::SetOwnerAlignment(bool b) {
  m_ownerAlignment = b;
  if (b && Grid()) m_alignment = Grid()->Alignment();
  Changed(false);
}

void TCellStyle::SetOwnerImeMode(bool b) {
  m_ownerImeMode = b;
  if (b && Grid()) m_imeMode = Grid()->ImeMode();
  Changed(false);
}

void TCellStyle::SetOwnerLayout(bool b) {
  m_ownerLayout = b;
  if (b && Grid()) m_layout = Grid()->Layout();
  Changed(false);
}

void TCellStyle::SetOwnerReadOnly(bool b) {
  m_ownerReadOnly = b;
  if (b && Grid()) m_readOnly = Grid()->EditMode() == ceReadOnly;
  Changed(false);
}

void TCellStyle::SetOwnerLines(bool b) {
  m_ownerLines = b;
  if (b && Grid()) m_visibleLines = Grid()->GridLines();
  Changed(false);
}

void TCellStyle::SetOwnerWordWrap(bool b) {
  m_ownerWordWrap = b;
  if (b && Grid()) m_wordWrap = Grid()->WordWrap();
  Changed(false);
}

void TCellStyle::SetRange(bool b) {
  m_range = b;
  Changed(true);
}

void TCellStyle::SetReadOnly(bool b) {
  m_readOnly = b;
  m_ownerReadOnly = false;
  Changed(false);
}

void TCellStyle::SetRightLineColor(const QColor& c) {
  m_rightLineColor = c;
  Changed(false);
}

void TCellStyle::SetRowBottom(int v) {
  m_rowBottom = v;
  Changed(true);
}

void TCellStyle::SetRowTop(int v) {
  m_rowTop = v;
  Changed(true);
}

void TCellStyle::SetText(const QString& s) {
  m_text = s;
  Changed(false);
}

void TCellStyle::SetTextPriority(TCellTextPriority p) {
  m_textPriority = p;
  Changed(false);
}

void TCellStyle::SetVisibleLines(TKwGridLines l) {
  m_visibleLines = l;
  m_ownerLines = false;
  Changed(false);
}

void TCellStyle::SetWordWrap(bool b) {
  m_wordWrap = b;
  m_ownerWordWrap = false;
  Changed(false);
}

void TCellStyle::SetRect(int colLeft, int rowTop, int colRight, int rowBottom) {
  m_colLeft = colLeft;
  m_rowTop = rowTop;
  m_colRight = colRight;
  m_rowBottom = rowBottom;
  m_range = true;
  Changed(true);
}

TGridRect TCellStyle::Rect() const {
  if (m_range) return {m_colLeft, m_rowTop, m_colRight, m_rowBottom};
  return {m_colLeft, m_rowTop, m_colLeft, m_rowTop};
}

int TCellStyle::Index() const {
  return m_collection ? m_collection->IndexOf(this) : -1;
}

TCellStyle& TCellStyles::Add() {
  int n = 1;
  for (;; ++n) {
    const QString name = QStringLiteral("CellStyle") + QString::number(n);
    const bool taken = std::any_of(m_items.begin(), m_items.end(),
                                   [&](const auto& s) { return s->Name() == name; });
    if (!taken) break;
  }
  m_items.push_back(std::make_unique<TCellStyle>(this));
  TCellStyle& style = *m_items.back();
  style.SetName(QStringLiteral("CellStyle") + QString::number(n));
  Changed(true);
  return style;
}

TCellStyle& TCellStyles::Item(int index) {
  if (index < 0 || index >= Count()) ThrowIndex(index);
  return *m_items[static_cast<std::size_t>(index)];
}

const TCellStyle& TCellStyles::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowIndex(index);
  return *m_items[static_cast<std::size_t>(index)];
}

void TCellStyles::Delete(int index) {
  if (index < 0 || index >= Count()) ThrowIndex(index);
  m_items.erase(m_items.begin() + index);
  Changed(true);
}

void TCellStyles::Clear() {
  m_items.clear();
  Changed(true);
}

int TCellStyles::IndexOf(const TCellStyle* style) const {
  for (int i = 0; i < Count(); ++i) {
    if (m_items[static_cast<std::size_t>(i)].get() == style) return i;
  }
  return -1;
}

int TCellStyles::FindStyle(int col, int row) const {
  if (m_owner) return m_owner->GoverningStyle(col, row);
  for (int i = Count() - 1; i >= 0; --i) {
    if (m_items[static_cast<std::size_t>(i)]->Contains(col, row)) return i;
  }
  return -1;
}

void TCellStyles::Changed(bool geometry) {
  if (m_owner) m_owner->StylesChanged(geometry);
}

}  // namespace qvl

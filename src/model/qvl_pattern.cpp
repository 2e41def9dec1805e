#include "model/qvl_pattern.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "model/qvl_messages.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_text.h"
#include "sxml/USXMLSub.h"

namespace qvl {

std::string sxmlable_t::WriteSXML(int level) const {
  std::string out;
  WriteSXML(out, level);
  return out;
}

namespace {

// Replaces every occurrence of from (ASCII, any letter case) by to.
std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  const std::string lower_from = LowerAsciiCp932(from);
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.size() - i >= from.size() &&
        LowerAsciiCp932(text.substr(i, from.size())) == lower_from) {
      out.append(to);
      i += from.size();
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
  return out;
}

std::string FactorText(long double f) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.1Lf", f);
  return buffer;
}

std::string NumberText(const term_number_t& n, bool as_factor) {
  if (as_factor)
    return n.is_factor ? FactorText(n.factor)
                       : FactorText(static_cast<long double>(n.score.Value()));
  return n.is_factor ? ScoreText(TruncToScore(n.factor)) : ScoreText(n.score);
}

}  // namespace

void value_element_t::SetTerm(std::string_view title_, std::string_view format,
                              std::string_view notes_, std::initializer_list<term_number_t> numbers,
                              std::initializer_list<std::string_view> labels,
                              checked_score_t value_) {
  std::string label_format = ReplaceAllNoCase(format, "%d", "%s");
  label_format = ReplaceAllNoCase(label_format, "%f", "%s");
  label_format = ReplaceAllNoCase(label_format, "%.1f", "%s");

  title = title_;
  value = value_;

  formula.clear();
  std::size_t next_label = 0;
  for (std::size_t i = 0; i < label_format.size(); ++i) {
    if (label_format.compare(i, 2, "%s") == 0) {
      if (next_label < labels.size()) formula.append(labels.begin()[next_label]);
      ++next_label;
      ++i;
    } else {
      formula.push_back(label_format[i]);
    }
  }

  expr.clear();
  std::size_t next_number = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const bool is_int = format.size() - i >= 2 && LowerAsciiCp932(format.substr(i, 2)) == "%d";
    const bool is_factor = format.size() - i >= 4 && LowerAsciiCp932(format.substr(i, 4)) == "%.1f";
    if (is_int || is_factor) {
      if (next_number < numbers.size())
        expr.append(NumberText(numbers.begin()[next_number], is_factor));
      ++next_number;
      i += is_int ? 1 : 3;
    } else {
      expr.push_back(format[i]);
    }
  }

  notes = notes_;
}

std::string value_element_t::HintText() const {
  if (expr.empty() && formula.empty()) return {};
  const std::string head = expr + "\r\n-\r\n" + formula + "|";
  if (notes.empty()) return head + title;
  return head + FormatMessage(message_t::HintTitleWithNote, {title, notes});
}

checked_score_t pattern_value_t::Total() const {
  score_sum_t total;
  for (const value_element_t& e : elements) total.Add(e.value);
  return total.Result();
}

void pattern_value_t::AddValues(const pattern_value_t& other) {
  for (std::size_t i = 0; i < elements.size(); ++i) {
    elements[i].value = elements[i].value + other.elements[i].value;
  }
}

score_t pattern_base_t::GainedCherry() const {
  return WrapSub(cherry_max, std::max<score_t>(0, cherry_difference));
}

void pattern_base_t::UpdateCherryDifference(score_t x) {
  cherry_difference = WrapSub(cherry_max, std::max(cherry_max, x));
}

std::unique_ptr<pattern_base_t> pattern_t::Clone() const {
  return std::make_unique<pattern_t>(*this);
}

std::unique_ptr<pattern_base_t> grouped_pattern_t::Clone() const {
  return std::make_unique<grouped_pattern_t>(*this);
}

grouped_pattern_t grouped_pattern_t::FromPattern(const pattern_t& p) {
  grouped_pattern_t g;
  g.title = p.title;
  g.memo = p.memo;
  g.player = p.player;
  g.bomb = p.bomb;
  g.cherry_max = p.cherry_max;
  g.cherry_difference = p.cherry_difference;
  g.cherry_plus = p.cherry_plus;
  g.border_bonus_times = p.border_bonus_times;
  g.bonus_item = p.bonus_item;
  g.point = p.point;
  if (p.getting_spell_card) {
    g.getting_spell_cards_number = 1;
    g.graze_in_getting_spell_cards = p.graze;
    g.total_spell_card_bonus_base = p.spell_card_bonus_base;
  } else {
    // The bonus base of a spell card that was not captured is not earned.
    g.graze_rest = p.graze;
  }
  g.total_enemy_bullet_bonus = p.enemy_bullet_bonus;
  return g;
}

score_t grouped_pattern_t::TotalGraze() const {
  return WrapAdd(graze_in_getting_spell_cards, graze_rest);
}

namespace {

// The fields that Accumulate sums, by their bit in out_of_range_.
constexpr std::array<score_t grouped_pattern_t::*, 11> kSummedFields{
    &grouped_pattern_t::player,
    &grouped_pattern_t::bomb,
    &grouped_pattern_t::cherry_max,
    &grouped_pattern_t::border_bonus_times,
    &grouped_pattern_t::bonus_item,
    &grouped_pattern_t::point,
    &grouped_pattern_t::getting_spell_cards_number,
    &grouped_pattern_t::graze_in_getting_spell_cards,
    &grouped_pattern_t::graze_rest,
    &grouped_pattern_t::total_spell_card_bonus_base,
    &grouped_pattern_t::total_enemy_bullet_bonus};

std::uint16_t FieldBit(score_t grouped_pattern_t::*field) {
  for (std::size_t i = 0; i < kSummedFields.size(); ++i) {
    if (kSummedFields[i] == field) return static_cast<std::uint16_t>(1U << i);
  }
  return 0;
}

}  // namespace

checked_score_t grouped_pattern_t::Checked(score_t grouped_pattern_t::*field) const {
  if ((out_of_range_ & FieldBit(field)) != 0) return checked_score_t::OutOfRange();
  return this->*field;
}

checked_score_t grouped_pattern_t::CheckedGainedCherry() const {
  return Checked(&grouped_pattern_t::cherry_max) - std::max<score_t>(0, cherry_difference);
}

checked_score_t grouped_pattern_t::CheckedTotalGraze() const {
  return Checked(&grouped_pattern_t::graze_in_getting_spell_cards) +
         Checked(&grouped_pattern_t::graze_rest);
}

void grouped_pattern_t::SetTotalGraze(score_t x) {
  // Compared before subtracting, so that extreme values cannot wrap to a
  // positive rest.
  graze_rest = x > graze_in_getting_spell_cards ? WrapSub(x, graze_in_getting_spell_cards) : 0;
}

grouped_pattern_t& grouped_pattern_t::Accumulate(const grouped_pattern_t& other) {
  title.clear();
  memo.clear();
  for (std::size_t i = 0; i < kSummedFields.size(); ++i) {
    score_t grouped_pattern_t::*const field = kSummedFields[i];
    // The field's bit is its place in the list: no search for it, as the
    // route sums every scene's totals this way.
    const auto bit = static_cast<std::uint16_t>(1U << i);
    const bool out_of_range =
        ((out_of_range_ | other.out_of_range_) & bit) != 0 ||
        !(checked_score_t(this->*field) + checked_score_t(other.*field)).InRange();
    // A sum out of range keeps its wrapped number, which nothing reads as a
    // count: Checked reports the field instead.
    this->*field = WrapAdd(this->*field, other.*field);
    if (out_of_range) out_of_range_ = static_cast<std::uint16_t>(out_of_range_ | bit);
  }
  cherry_difference = 0;
  cherry_plus = 0;
  return *this;
}

pattern_base_t* pattern_base_list_t::AddSorted(std::unique_ptr<pattern_base_t> p) {
  if (!p) return nullptr;
  if (p->Class() != accepts_) {
    throw EWrongPatternClass("a pattern of the other class cannot join this list");
  }
  pattern_base_t* added = p.get();
  items_.push_back(std::move(p));
  std::stable_sort(items_.begin(), items_.end(),
                   [](const auto& a, const auto& b) { return a->title < b->title; });
  return added;
}

void pattern_base_list_t::AddSortedAll(std::vector<std::unique_ptr<pattern_base_t>> ps) {
  for (const auto& p : ps) {
    if (p && p->Class() != accepts_) {
      throw EWrongPatternClass("a pattern of the other class cannot join this list");
    }
  }
  items_.reserve(items_.size() + ps.size());
  for (auto& p : ps) {
    if (p) items_.push_back(std::move(p));
  }
  // A stable sort of everything appended gives each pattern the place that
  // successive stable sorts after each append would give it. A saved file
  // holds every list in order already: then the sort, and the buffer it
  // allocates, are not needed, as it would leave the order as it is.
  const auto by_title = [](const auto& a, const auto& b) { return a->title < b->title; };
  if (!std::is_sorted(items_.begin(), items_.end(), by_title)) {
    std::stable_sort(items_.begin(), items_.end(), by_title);
  }
}

pattern_base_t* pattern_base_list_t::Items(int i) const {
  if (i < 0 || i >= Count()) throw std::out_of_range("pattern list index out of range");
  return items_[static_cast<std::size_t>(i)].get();
}

int pattern_base_list_t::IndexOf(const pattern_base_t* p) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == p) return static_cast<int>(i);
  }
  return -1;
}

std::unique_ptr<pattern_base_t> pattern_base_list_t::Remove(const pattern_base_t* p) {
  const int i = IndexOf(p);
  if (i < 0) return nullptr;
  std::unique_ptr<pattern_base_t> taken = std::move(items_[static_cast<std::size_t>(i)]);
  items_.erase(items_.begin() + i);
  return taken;
}

pattern_base_t* pattern_base_list_t::Insert(int index, std::unique_ptr<pattern_base_t> p) {
  if (!p) return nullptr;
  if (p->Class() != accepts_) {
    throw EWrongPatternClass("a pattern of the other class cannot join this list");
  }
  if (index < 0 || index > Count()) throw std::out_of_range("pattern list index out of range");
  return items_.insert(items_.begin() + index, std::move(p))->get();
}

int pattern_base_list_t::SortedIndex(std::string_view title) const {
  const auto at = std::upper_bound(items_.begin(), items_.end(), title,
                                   [](std::string_view t, const auto& p) { return t < p->title; });
  return static_cast<int>(at - items_.begin());
}

void pattern_base_list_t::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count()) {
    throw std::out_of_range("pattern list index out of range");
  }
  const auto first = items_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else {
    std::rotate(first + to, first + from, first + from + 1);
  }
}

pattern_base_t* pattern_base_list_t::Current() const {
  for (const auto& p : items_) {
    if (p->selected) return p.get();
  }
  return items_.empty() ? nullptr : items_.front().get();
}

void pattern_base_list_t::Select(const pattern_base_t* p) {
  if (IndexOf(p) < 0) return;
  for (const auto& item : items_) item->selected = item.get() == p;
}

void pattern_base_list_t::NormalizeSelection() {
  bool found = false;
  for (const auto& item : items_) {
    if (item->selected) {
      if (found) item->selected = false;
      found = true;
    }
  }
  if (!found && !items_.empty()) items_.front()->selected = true;
}

// ---- text forms ----

void value_element_t::WriteSXML(std::string& out, int level) const {
  sxml::TSXMLElementWriter w(out, "value-element", level);
  w.Text("title", title);
  w.Text("formula", formula);
  w.Text("notes", notes);
  w.Text("expr", expr);
  if (value.InRange()) {
    w.Number("value", value.Value());
  } else {
    w.Text("value", ScoreText(value));
  }
  w.End();
}

void pattern_value_t::WriteSXML(std::string& out, int level) const {
  sxml::TSXMLElementWriter w(out, "pattern-value", level);
  w.Bool("as-here-only", as_here_only);
  for (const value_element_t& e : elements) e.WriteSXML(out, w.BeginChild());
  w.End();
}

namespace {
template <typename P, std::size_t N>
void WritePattern(std::string& out, int level, std::string_view element, const P& p,
                  const std::array<pattern_field_t<P>, N>& fields) {
  sxml::TSXMLElementWriter w(out, element, level);
  for (const pattern_field_t<P>& f : fields) {
    if (f.text) {
      w.Text(f.name, p.*f.text);
    } else if (f.flag) {
      w.Bool(f.name, p.*f.flag);
    } else {
      w.Number(f.name, p.*f.score);
    }
  }
  w.End();
}
}  // namespace

void pattern_t::WriteSXML(std::string& out, int level) const {
  WritePattern(out, level, "pattern", *this, kScenePatternFields);
}

void grouped_pattern_t::WriteSXML(std::string& out, int level) const {
  WritePattern(out, level, "grouped-pattern", *this, kGroupedPatternFields);
}

}  // namespace qvl

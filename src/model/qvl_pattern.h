// Patterns (one way of playing a scene or a group), pattern values (the twelve
// terms of a score computation) and the sorted pattern list of a node.
#pragma once

#include <array>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/qvl_utils.h"

namespace qvl {

// Everything that writes itself as SXML text.
class sxmlable_t {
 public:
  virtual ~sxmlable_t() = default;
  // Appends the element's text at the given nesting level; children are
  // written with level + 1 into the same text.
  virtual void WriteSXML(std::string& out, int level) const = 0;
  // The element's text on its own, as the file and the clipboard hold it.
  [[nodiscard]] std::string WriteSXML(int level) const;
};

// A programming error: a pattern of the wrong class reached a node or a list
// that takes only the other class. Nothing has been computed or changed.
class EWrongPatternClass : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// One number of a term's formula: a score for "%d", the difficulty factor for "%.1f".
struct term_number_t {
  term_number_t(score_t v) : is_factor(false), score(v) {}  // NOLINT: numbers read naturally
  term_number_t(int v) : is_factor(false), score(v) {}      // NOLINT
  term_number_t(checked_score_t v) : is_factor(false), score(v) {}  // NOLINT
  term_number_t(long double f) : is_factor(true), factor(f) {}      // NOLINT
  bool is_factor;
  checked_score_t score = 0;
  long double factor = 0;
};

class value_element_t : public sxmlable_t {
 public:
  std::string title;
  std::string formula;  // the formula in words
  std::string expr;     // the formula with the numbers filled in
  // Exact, or out of the score range, which the front ends report instead of
  // showing a wrapped number.
  checked_score_t value = 0;
  std::string notes;

  // Fills the element. The labels stand in the formula where the numbers stand
  // in the expression, one per placeholder of the format.
  void SetTerm(std::string_view title, std::string_view format, std::string_view notes,
               std::initializer_list<term_number_t> numbers,
               std::initializer_list<std::string_view> labels, checked_score_t value);
  // Short hint before "|", long hint after it; empty when there is no formula.
  [[nodiscard]] std::string HintText() const;

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;
};

class pattern_value_t : public sxmlable_t {
 public:
  static constexpr int kTermCount = 12;

  std::array<value_element_t, kTermCount> elements;
  bool as_here_only = false;

  [[nodiscard]] value_element_t& operator[](int i) {
    return elements.at(static_cast<std::size_t>(i));
  }
  [[nodiscard]] const value_element_t& operator[](int i) const {
    return elements.at(static_cast<std::size_t>(i));
  }
  // Exact when every term is and the exact sum is in range.
  [[nodiscard]] checked_score_t Total() const;
  // Adds the values of other term by term; the texts stay as they are. A
  // term whose sum leaves the score range is out of range from then on.
  void AddValues(const pattern_value_t& other);

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;
};

enum class pattern_class_t { Scene, Grouped };

class pattern_base_t : public sxmlable_t {
 public:
  bool selected = false;
  std::string title;
  std::string memo;
  score_t player = 0;
  score_t bomb = 0;
  score_t cherry_max = 0;
  score_t cherry_difference = 0;
  score_t cherry_plus = 0;
  score_t border_bonus_times = 0;
  score_t bonus_item = 0;
  score_t point = 0;

  // Fixed when the pattern is made, so the computations can check it (and
  // then cast) without asking the run-time type per call.
  [[nodiscard]] pattern_class_t Class() const { return class_; }
  [[nodiscard]] virtual std::unique_ptr<pattern_base_t> Clone() const = 0;

  // cherry_max − max(0, cherry_difference).
  [[nodiscard]] score_t GainedCherry() const;
  // cherry_difference := cherry_max − max(cherry_max, x).
  void UpdateCherryDifference(score_t x);

 protected:
  explicit pattern_base_t(pattern_class_t c) : class_(c) {}
  pattern_base_t(const pattern_base_t&) = default;
  pattern_base_t& operator=(const pattern_base_t&) = default;

 private:
  pattern_class_t class_;
};

class pattern_t final : public pattern_base_t {
 public:
  pattern_t() : pattern_base_t(pattern_class_t::Scene) {}

  score_t graze = 0;
  score_t spell_card_bonus_base = 0;
  score_t enemy_bullet_bonus = 0;
  bool getting_spell_card = false;

  [[nodiscard]] std::unique_ptr<pattern_base_t> Clone() const override;

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;
};

class grouped_pattern_t final : public pattern_base_t {
 public:
  grouped_pattern_t() : pattern_base_t(pattern_class_t::Grouped) {}

  score_t getting_spell_cards_number = 0;
  score_t graze_in_getting_spell_cards = 0;
  score_t graze_rest = 0;
  score_t total_spell_card_bonus_base = 0;
  score_t total_enemy_bullet_bonus = 0;

  [[nodiscard]] std::unique_ptr<pattern_base_t> Clone() const override;

  // The grouped form of one scene's pattern, for sums and computations.
  [[nodiscard]] static grouped_pattern_t FromPattern(const pattern_t& p);
  [[nodiscard]] score_t TotalGraze() const;
  // A field as a checked score: out of range when a sum that made it left the
  // range (the field then holds a wrapped number that means nothing).
  [[nodiscard]] checked_score_t Checked(score_t grouped_pattern_t::*field) const;
  [[nodiscard]] checked_score_t CheckedGainedCherry() const;
  [[nodiscard]] checked_score_t CheckedTotalGraze() const;
  // graze_rest := max(0, x − graze_in_getting_spell_cards).
  void SetTotalGraze(score_t x);
  // Adds other field by field; title, memo, cherry_difference and cherry_plus
  // are cleared, so a sum's gained cherry is its summed cherry_max.
  grouped_pattern_t& Accumulate(const grouped_pattern_t& other);

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;

 private:
  // One bit per summed field whose sum left the score range.
  std::uint16_t out_of_range_ = 0;
};

// The pattern as its own class. Throw EWrongPatternClass for the other class;
// a pattern taken from a node's list always passes, since the list checks the
// class of every pattern it takes.
[[nodiscard]] inline const pattern_t& AsScenePattern(const pattern_base_t& p) {
  if (p.Class() != pattern_class_t::Scene) {
    throw EWrongPatternClass("a scene computes with scene patterns only");
  }
  return static_cast<const pattern_t&>(p);
}
[[nodiscard]] inline const grouped_pattern_t& AsGroupedPattern(const pattern_base_t& p) {
  if (p.Class() != pattern_class_t::Grouped) {
    throw EWrongPatternClass("a group computes with grouped patterns only");
  }
  return static_cast<const grouped_pattern_t&>(p);
}
[[nodiscard]] inline pattern_t& AsScenePattern(pattern_base_t& p) {
  return const_cast<pattern_t&>(AsScenePattern(std::as_const(p)));
}
[[nodiscard]] inline grouped_pattern_t& AsGroupedPattern(pattern_base_t& p) {
  return const_cast<grouped_pattern_t&>(AsGroupedPattern(std::as_const(p)));
}

// The owning list of a node's alternative patterns, kept sorted by title, with
// at most one selected (current) pattern once normalised. A list takes only the
// pattern class of its node.
class pattern_base_list_t {
 public:
  explicit pattern_base_list_t(pattern_class_t accepts) : accepts_(accepts) {}
  pattern_base_list_t(const pattern_base_list_t&) = delete;
  pattern_base_list_t& operator=(const pattern_base_list_t&) = delete;

  [[nodiscard]] pattern_class_t Accepts() const { return accepts_; }
  // Takes p, then sorts the list by title byte by byte (a shorter prefix first;
  // patterns with equal titles keep their order). Returns p. Throws
  // EWrongPatternClass, leaving the list unchanged, for the other class.
  pattern_base_t* AddSorted(std::unique_ptr<pattern_base_t> p);
  // The same as AddSorted of each pattern in turn (null ones skipped), but the
  // list is sorted once, so a file with very many patterns loads in n log n.
  // Throws EWrongPatternClass, leaving the list unchanged, if any pattern is of
  // the other class.
  void AddSortedAll(std::vector<std::unique_ptr<pattern_base_t>> ps);
  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Throws std::out_of_range outside 0 .. Count() − 1.
  [[nodiscard]] pattern_base_t* Items(int i) const;
  // Takes p out of the list and hands it to the caller; null when absent.
  std::unique_ptr<pattern_base_t> Remove(const pattern_base_t* p);
  // Puts p at index (0 .. Count()) without sorting: the place a pattern had
  // before it was removed. Throws EWrongPatternClass or std::out_of_range,
  // leaving the list unchanged.
  pattern_base_t* Insert(int index, std::unique_ptr<pattern_base_t> p);
  // Where AddSorted would put a pattern titled title: after every pattern
  // whose title sorts before it or equals it.
  [[nodiscard]] int SortedIndex(std::string_view title) const;
  // Moves the pattern at from to index to, the others keeping their order.
  // Throws std::out_of_range, leaving the list unchanged.
  void Move(int from, int to);
  void Clear() { items_.clear(); }
  [[nodiscard]] int IndexOf(const pattern_base_t* p) const;

  // The first selected pattern, else the first one, else null.
  [[nodiscard]] pattern_base_t* Current() const;
  // Selects p alone; nothing changes when p is not in the list.
  void Select(const pattern_base_t* p);
  // Keeps only the first selected pattern selected; selects the first pattern
  // when none is.
  void NormalizeSelection();

 private:
  pattern_class_t accepts_;
  std::vector<std::unique_ptr<pattern_base_t>> items_;
};

}  // namespace qvl

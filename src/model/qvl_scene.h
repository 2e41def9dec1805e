// The scene tree of one difficulty (root, groups, scenes), its running totals
// and the score computations of a node: the twelve terms of one pattern and
// the comparison of an old and a new pattern.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/qvl_pattern.h"
#include "model/qvl_utils.h"

namespace qvl {

class group_t;
class scene_t;
class root_t;

// The class of a node, fixed when it is made: a root is a group too.
enum class node_class_t { Scene, Group, Root };

// A node of the tree. A node created with a parent knows it at once but is in
// the parent's children only after AddChild; a group owns its children.
class scene_base_t : public sxmlable_t {
 public:
  scene_base_t(const scene_base_t&) = delete;
  scene_base_t& operator=(const scene_base_t&) = delete;
  // Clears the node and leaves the parent's children if it is still there.
  ~scene_base_t() override;

  [[nodiscard]] group_t* parent() const { return parent_; }

  std::string title;
  std::string memo;
  pattern_base_list_t patterns;

  // The virtual operations, in the order of the node's table.
  // Slot 0 is WriteSXML, inherited from sxmlable_t.
  [[nodiscard]] virtual int StageNumber() const;                                // 1
  [[nodiscard]] virtual difficulty_t GetDifficulty() const;                     // 2
  [[nodiscard]] virtual score_t GetPoint() const;                               // 3
  virtual void SetPoint(score_t n);                                             // 4
  virtual void ClearNode();                                                     // 5
  virtual std::unique_ptr<scene_base_t> RemoveChild(const scene_base_t* node);  // 6
  [[nodiscard]] virtual bool LacksPattern() const;                              // 7
  virtual void NormalizePatterns();                                             // 8
  // Reading changes nothing: a list without a current pattern (a node not
  // normalised yet) counts as one empty pattern, as normalising would make it.
  [[nodiscard]] virtual grouped_pattern_t OwnTotals() const;     // 9
  [[nodiscard]] virtual grouped_pattern_t TotalsBefore() const;  // 10
  [[nodiscard]] virtual grouped_pattern_t TotalsAfter() const;   // 11
  // Slots 12, 13, 15 and 16 throw EWrongPatternClass, before computing
  // anything, for a pattern of the class the node does not hold.
  [[nodiscard]] virtual pattern_value_t ValueWith(const pattern_base_t& p,
                                                  const grouped_pattern_t& before,
                                                  const grouped_pattern_t& after) const;  // 12
  [[nodiscard]] virtual pattern_value_t CompareValuesWith(
      const pattern_base_t& old_p, const pattern_base_t& new_p, const grouped_pattern_t& before,
      const grouped_pattern_t& after) const;  // 13
  [[nodiscard]] virtual pattern_value_t CompareValues(const pattern_base_t& old_p,
                                                      const pattern_base_t& new_p) const;  // 14
  [[nodiscard]] virtual pattern_value_t ExplainWith(const pattern_base_t& p,
                                                    const grouped_pattern_t& before,
                                                    const grouped_pattern_t& after) const;  // 15
  [[nodiscard]] virtual pattern_value_t CompareExplainWith(
      const pattern_base_t& old_p, const pattern_base_t& new_p, const grouped_pattern_t& before,
      const grouped_pattern_t& after) const;  // 16
  [[nodiscard]] virtual pattern_value_t CompareExplain(const pattern_base_t& old_p,
                                                       const pattern_base_t& new_p) const;  // 17

  // The node's current pattern. Loading and every operation of the session
  // leave each list normalised; a list that is not (a node being built) has
  // one empty pattern of its class, shared, in place of a current one.
  [[nodiscard]] const pattern_base_t& CurrentPattern() const;
  [[nodiscard]] pattern_value_t CurrentValue() const;
  [[nodiscard]] pattern_value_t CurrentExplanation() const;
  // The effect of replacing the current pattern by new_p, which stays the caller's.
  [[nodiscard]] pattern_value_t CompareWithCurrent(const pattern_base_t& new_p) const;
  // True when some ancestor (not the node itself) is grouping.
  [[nodiscard]] bool IsInsideGrouping() const;
  [[nodiscard]] node_class_t Class() const { return class_; }
  // The node as its class, null for another: a group includes the root.
  [[nodiscard]] group_t* AsGroup();
  [[nodiscard]] const group_t* AsGroup() const;
  [[nodiscard]] scene_t* AsScene();
  [[nodiscard]] const scene_t* AsScene() const;
  [[nodiscard]] const root_t* AsRoot() const;
  // Whether the editor shows and edits the node's own patterns (a scene or a
  // grouping group) rather than the sum of the scenes below it.
  [[nodiscard]] bool EditsOwnPatterns() const;

 protected:
  // A scene's list takes scene patterns, a group's and the root's grouped ones.
  scene_base_t(group_t* parent, node_class_t node_class);

 private:
  friend class group_t;
  group_t* parent_ = nullptr;
  node_class_t class_;
};

class scene_t final : public scene_base_t {
 public:
  explicit scene_t(group_t* parent = nullptr);

  score_t point = 0;  // point items that can be collected in the scene
  scene_kind_t kind = scene_kind_t::Way;
  // Meaningful for spell cards only.
  score_t initial_spell_card_bonus = 0;
  score_t time_limit = 0;     // seconds
  score_t decrease_rate = 0;  // bonus lost per second

  [[nodiscard]] int StageNumber() const override;
  [[nodiscard]] score_t GetPoint() const override { return point; }
  void SetPoint(score_t n) override { point = n; }
  void ClearNode() override;
  [[nodiscard]] bool LacksPattern() const override;
  void NormalizePatterns() override;
  [[nodiscard]] grouped_pattern_t OwnTotals() const override;
  [[nodiscard]] pattern_value_t ValueWith(const pattern_base_t& p, const grouped_pattern_t& before,
                                          const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t CompareValuesWith(const pattern_base_t& old_p,
                                                  const pattern_base_t& new_p,
                                                  const grouped_pattern_t& before,
                                                  const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t ExplainWith(const pattern_base_t& p,
                                            const grouped_pattern_t& before,
                                            const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t CompareExplainWith(const pattern_base_t& old_p,
                                                   const pattern_base_t& new_p,
                                                   const grouped_pattern_t& before,
                                                   const grouped_pattern_t& after) const override;

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;
};

class group_t : public scene_base_t {
 public:
  explicit group_t(group_t* parent = nullptr);
  ~group_t() override;

  group_kind_t kind = group_kind_t::Root;
  bool grouping = false;  // described as a whole by its own grouped patterns

  // Appends a new node; a null node or a root is refused (null result).
  scene_base_t* AddChild(std::unique_ptr<scene_base_t> node);
  // Moves a node that another group (or this one) holds to the end of this
  // group's children. Refused (null result, nothing changes) for a node that
  // no group holds, for a root and for this group or one of its ancestors.
  scene_base_t* AddChild(scene_base_t* node);
  [[nodiscard]] int ChildCount() const { return static_cast<int>(children_.size()); }
  // Throws std::out_of_range outside 0 .. ChildCount() − 1.
  [[nodiscard]] scene_base_t* Child(int i) const;
  [[nodiscard]] int IndexOfChild(const scene_base_t* node) const;
  // Moves every child of other, in order, to the end of this group's children,
  // without allocating when this group has none. Nothing happens when other
  // is this group or one of its ancestors.
  void TakeChildren(group_t& other);

  // The collectable point items of every scene below, normal attacks left out.
  [[nodiscard]] score_t CollectablePoints() const;

  [[nodiscard]] int StageNumber() const override;
  void ClearNode() override;
  std::unique_ptr<scene_base_t> RemoveChild(const scene_base_t* node) override;
  [[nodiscard]] bool LacksPattern() const override;
  void NormalizePatterns() override;
  [[nodiscard]] grouped_pattern_t OwnTotals() const override;
  [[nodiscard]] pattern_value_t ValueWith(const pattern_base_t& p, const grouped_pattern_t& before,
                                          const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t CompareValuesWith(const pattern_base_t& old_p,
                                                  const pattern_base_t& new_p,
                                                  const grouped_pattern_t& before,
                                                  const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t ExplainWith(const pattern_base_t& p,
                                            const grouped_pattern_t& before,
                                            const grouped_pattern_t& after) const override;
  [[nodiscard]] pattern_value_t CompareExplainWith(const pattern_base_t& old_p,
                                                   const pattern_base_t& new_p,
                                                   const grouped_pattern_t& before,
                                                   const grouped_pattern_t& after) const override;

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;

 protected:
  // Shared by group and root: the element with its grouped patterns, then the child nodes.
  void WriteElement(std::string& out, int level) const;
  group_t(group_t* parent, node_class_t node_class);

 private:
  std::vector<std::unique_ptr<scene_base_t>> children_;
};

class root_t final : public group_t {
 public:
  root_t() : group_t(nullptr, node_class_t::Root) {}

  difficulty_t difficulty = difficulty_t::Easy;

  // Every node below asks its way up to this answer.
  [[nodiscard]] difficulty_t GetDifficulty() const override { return difficulty; }

  using sxmlable_t::WriteSXML;
  void WriteSXML(std::string& out, int level) const override;
};

inline group_t* scene_base_t::AsGroup() {
  return class_ != node_class_t::Scene ? static_cast<group_t*>(this) : nullptr;
}
inline const group_t* scene_base_t::AsGroup() const {
  return class_ != node_class_t::Scene ? static_cast<const group_t*>(this) : nullptr;
}
inline scene_t* scene_base_t::AsScene() {
  return class_ == node_class_t::Scene ? static_cast<scene_t*>(this) : nullptr;
}
inline const scene_t* scene_base_t::AsScene() const {
  return class_ == node_class_t::Scene ? static_cast<const scene_t*>(this) : nullptr;
}
inline const root_t* scene_base_t::AsRoot() const {
  return class_ == node_class_t::Root ? static_cast<const root_t*>(this) : nullptr;
}
inline bool scene_base_t::EditsOwnPatterns() const {
  const group_t* group = AsGroup();
  return group == nullptr || group->grouping;
}

// The score computations behind the node slots, on grouped patterns: the
// subject s with the later totals `after`, for a scene (group false) or a
// group; `with_texts` fills titles, formulas, expressions and notes.
[[nodiscard]] pattern_value_t ScoreSingle(const grouped_pattern_t& s,
                                          const grouped_pattern_t& after, bool group, int stage,
                                          difficulty_t d, bool with_texts);
// The old and new patterns of one node, with its earlier and later totals.
[[nodiscard]] pattern_value_t ScoreCompare(const grouped_pattern_t& old_p,
                                           const grouped_pattern_t& new_p,
                                           const grouped_pattern_t& before,
                                           const grouped_pattern_t& after, bool group, int stage,
                                           difficulty_t d, bool with_texts);
// The number of clear bonuses still to come: 7 − stage for stages 1 to 6, else 1.
[[nodiscard]] score_t ClearBonusCount(int stage);
// The title of term index (0 to 11), the scene's form, in the current language:
// how a report names a term whose element carries no texts.
[[nodiscard]] const std::string& TermTitle(int index);

}  // namespace qvl

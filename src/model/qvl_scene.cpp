#include "model/qvl_scene.h"

#include "model/qvl_node_fields.h"
#include "model/qvl_route.h"
#include "sxml/USXMLSub.h"

namespace qvl {

// ---- scene_base_t ----

scene_base_t::scene_base_t(group_t* parent, node_class_t node_class)
    : patterns(node_class == node_class_t::Scene ? pattern_class_t::Scene
                                                 : pattern_class_t::Grouped),
      parent_(parent),
      class_(node_class) {}

scene_base_t::~scene_base_t() {
  // A node is destroyed by whoever owns it: a group takes it out of its
  // children first, so only a node that was never added (or already taken out)
  // gets here with a parent; the removal then finds nothing.
  patterns.Clear();
  if (parent_ != nullptr) {
    std::unique_ptr<scene_base_t> self = parent_->RemoveChild(this);
    (void)self.release();  // we are already being destroyed
    parent_ = nullptr;
  }
}

int scene_base_t::StageNumber() const {
  return 0;
}

difficulty_t scene_base_t::GetDifficulty() const {
  // root_t answers with its own difficulty.
  if (parent_ == nullptr) return difficulty_t::Normal;
  return parent_->GetDifficulty();
}

score_t scene_base_t::GetPoint() const {
  return 0;
}
void scene_base_t::SetPoint(score_t) {}

void scene_base_t::ClearNode() {
  title.clear();
  memo.clear();
  SetPoint(0);
  patterns.Clear();
}

std::unique_ptr<scene_base_t> scene_base_t::RemoveChild(const scene_base_t*) {
  return nullptr;
}
bool scene_base_t::LacksPattern() const {
  return false;
}
void scene_base_t::NormalizePatterns() {}
grouped_pattern_t scene_base_t::OwnTotals() const {
  return {};
}

grouped_pattern_t scene_base_t::TotalsBefore() const {
  grouped_pattern_t total;
  if (parent_ == nullptr) return total;
  total.Accumulate(parent_->TotalsBefore());
  for (int i = 0; i < parent_->ChildCount(); ++i) {
    const scene_base_t* sibling = parent_->Child(i);
    if (sibling == this) break;
    total.Accumulate(sibling->OwnTotals());
  }
  return total;
}

grouped_pattern_t scene_base_t::TotalsAfter() const {
  grouped_pattern_t total;
  if (parent_ == nullptr) return total;
  for (int i = parent_->ChildCount() - 1; i >= 0; --i) {
    const scene_base_t* sibling = parent_->Child(i);
    if (sibling == this) break;
    total.Accumulate(sibling->OwnTotals());
  }
  total.Accumulate(parent_->TotalsAfter());
  return total;
}

pattern_value_t scene_base_t::ValueWith(const pattern_base_t&, const grouped_pattern_t&,
                                        const grouped_pattern_t&) const {
  return {};
}
pattern_value_t scene_base_t::CompareValuesWith(const pattern_base_t&, const pattern_base_t&,
                                                const grouped_pattern_t&,
                                                const grouped_pattern_t&) const {
  return {};
}
pattern_value_t scene_base_t::ExplainWith(const pattern_base_t&, const grouped_pattern_t&,
                                          const grouped_pattern_t&) const {
  return {};
}
pattern_value_t scene_base_t::CompareExplainWith(const pattern_base_t&, const pattern_base_t&,
                                                 const grouped_pattern_t&,
                                                 const grouped_pattern_t&) const {
  return {};
}

pattern_value_t scene_base_t::CompareValues(const pattern_base_t& old_p,
                                            const pattern_base_t& new_p) const {
  const grouped_pattern_t before = TotalsBefore();
  const grouped_pattern_t after = TotalsAfter();
  return CompareValuesWith(old_p, new_p, before, after);
}

pattern_value_t scene_base_t::CompareExplain(const pattern_base_t& old_p,
                                             const pattern_base_t& new_p) const {
  const grouped_pattern_t before = TotalsBefore();
  const grouped_pattern_t after = TotalsAfter();
  return CompareExplainWith(old_p, new_p, before, after);
}

const pattern_base_t& scene_base_t::CurrentPattern() const {
  if (const pattern_base_t* current = patterns.Current()) return *current;
  static const pattern_t empty_scene_pattern;
  static const grouped_pattern_t empty_grouped_pattern;
  if (patterns.Accepts() == pattern_class_t::Scene) return empty_scene_pattern;
  return empty_grouped_pattern;
}

pattern_value_t scene_base_t::CurrentValue() const {
  const pattern_base_t& current = CurrentPattern();
  const grouped_pattern_t before = TotalsBefore();
  const grouped_pattern_t after = TotalsAfter();
  return ValueWith(current, before, after);
}

pattern_value_t scene_base_t::CurrentExplanation() const {
  const pattern_base_t& current = CurrentPattern();
  const grouped_pattern_t before = TotalsBefore();
  const grouped_pattern_t after = TotalsAfter();
  return ExplainWith(current, before, after);
}

pattern_value_t scene_base_t::CompareWithCurrent(const pattern_base_t& new_p) const {
  const pattern_base_t& current = CurrentPattern();
  return CompareExplain(current, new_p);
}

bool scene_base_t::IsInsideGrouping() const {
  for (const group_t* g = parent_; g != nullptr; g = g->parent()) {
    if (g->grouping) return true;
  }
  return false;
}

// ---- scene_t ----

scene_t::scene_t(group_t* parent) : scene_base_t(parent, node_class_t::Scene) {}

int scene_t::StageNumber() const {
  return parent() == nullptr ? 0 : parent()->StageNumber();
}

void scene_t::ClearNode() {
  kind = scene_kind_t::Dummy;
  initial_spell_card_bonus = 0;
  time_limit = 0;
  decrease_rate = 0;
  scene_base_t::ClearNode();
}

bool scene_t::LacksPattern() const {
  return patterns.Count() == 0;
}

namespace {

// An empty list gets one empty pattern of the node's class, selected.
void NormalizeOwnList(pattern_base_list_t& list) {
  list.NormalizeSelection();
  if (list.Current() != nullptr) return;
  if (list.Accepts() == pattern_class_t::Scene) {
    list.AddSorted(std::make_unique<pattern_t>());
  } else {
    list.AddSorted(std::make_unique<grouped_pattern_t>());
  }
  list.Items(0)->selected = true;
}

}  // namespace

void scene_t::NormalizePatterns() {
  NormalizeOwnList(patterns);
}

grouped_pattern_t scene_t::OwnTotals() const {
  return grouped_pattern_t::FromPattern(AsScenePattern(CurrentPattern()));
}

pattern_value_t scene_t::ValueWith(const pattern_base_t& p, const grouped_pattern_t&,
                                   const grouped_pattern_t& after) const {
  const pattern_t& scene_pattern = AsScenePattern(p);
  return ScoreSingle(grouped_pattern_t::FromPattern(scene_pattern), after, false, StageNumber(),
                     GetDifficulty(), false);
}

pattern_value_t scene_t::ExplainWith(const pattern_base_t& p, const grouped_pattern_t&,
                                     const grouped_pattern_t& after) const {
  const pattern_t& scene_pattern = AsScenePattern(p);
  return ScoreSingle(grouped_pattern_t::FromPattern(scene_pattern), after, false, StageNumber(),
                     GetDifficulty(), true);
}

pattern_value_t scene_t::CompareValuesWith(const pattern_base_t& old_p, const pattern_base_t& new_p,
                                           const grouped_pattern_t& before,
                                           const grouped_pattern_t& after) const {
  const pattern_t& o = AsScenePattern(old_p);
  const pattern_t& n = AsScenePattern(new_p);
  return ScoreCompare(grouped_pattern_t::FromPattern(o), grouped_pattern_t::FromPattern(n), before,
                      after, false, StageNumber(), GetDifficulty(), false);
}

pattern_value_t scene_t::CompareExplainWith(const pattern_base_t& old_p,
                                            const pattern_base_t& new_p,
                                            const grouped_pattern_t& before,
                                            const grouped_pattern_t& after) const {
  const pattern_t& o = AsScenePattern(old_p);
  const pattern_t& n = AsScenePattern(new_p);
  return ScoreCompare(grouped_pattern_t::FromPattern(o), grouped_pattern_t::FromPattern(n), before,
                      after, false, StageNumber(), GetDifficulty(), true);
}

// ---- group_t ----

group_t::group_t(group_t* parent) : group_t(parent, node_class_t::Group) {}

group_t::group_t(group_t* parent, node_class_t node_class) : scene_base_t(parent, node_class) {}

group_t::~group_t() {
  // Children go first, while this group is still a whole group_t.
  group_t::ClearNode();
}

scene_base_t* group_t::AddChild(std::unique_ptr<scene_base_t> node) {
  if (!node || node->Class() == node_class_t::Root) return nullptr;
  if (node->parent_ != nullptr && node->parent_ != this) {
    // It was created for another group but never added there.
    std::unique_ptr<scene_base_t> stale = node->parent_->RemoveChild(node.get());
    (void)stale.release();  // cannot be held there: we own it
  }
  node->parent_ = this;
  children_.push_back(std::move(node));
  return children_.back().get();
}

scene_base_t* group_t::AddChild(scene_base_t* node) {
  if (node == nullptr || node->parent_ == nullptr) return nullptr;
  if (node->Class() == node_class_t::Root) return nullptr;
  for (const group_t* g = this; g != nullptr; g = g->parent()) {
    if (g == node) return nullptr;  // a group cannot hold itself or an ancestor
  }
  std::unique_ptr<scene_base_t> taken = node->parent_->RemoveChild(node);
  if (!taken) return nullptr;
  taken->parent_ = this;
  children_.push_back(std::move(taken));
  return children_.back().get();
}

scene_base_t* group_t::Child(int i) const {
  if (i < 0 || i >= ChildCount()) throw std::out_of_range("child index out of range");
  return children_[static_cast<std::size_t>(i)].get();
}

int group_t::IndexOfChild(const scene_base_t* node) const {
  for (std::size_t i = 0; i < children_.size(); ++i) {
    if (children_[i].get() == node) return static_cast<int>(i);
  }
  return -1;
}

void group_t::TakeChildren(group_t& other) {
  for (const group_t* g = this; g != nullptr; g = g->parent()) {
    if (g == &other) return;
  }
  for (auto& child : other.children_) child->parent_ = this;
  if (children_.empty()) {
    children_.swap(other.children_);
    return;
  }
  children_.reserve(children_.size() + other.children_.size());
  for (auto& child : other.children_) children_.push_back(std::move(child));
  other.children_.clear();
}

score_t group_t::CollectablePoints() const {
  score_t total = 0;
  for (const auto& child : children_) {
    if (const scene_t* scene = child->AsScene()) {
      if (scene->kind != scene_kind_t::NormalAttack) total = WrapAdd(total, scene->point);
    } else if (const group_t* group = child->AsGroup()) {
      total = WrapAdd(total, group->CollectablePoints());
    }
  }
  return total;
}

int group_t::StageNumber() const {
  if (parent() == nullptr) return 0;
  if (kind != group_kind_t::Stage) return parent()->StageNumber();
  const int i = parent()->IndexOfChild(this);
  return i < 0 ? 0 : i + 1;
}

void group_t::ClearNode() {
  kind = group_kind_t::Dummy;
  grouping = false;
  // Each child leaves the list before it is destroyed.
  while (!children_.empty()) {
    std::unique_ptr<scene_base_t> child = std::move(children_.back());
    children_.pop_back();
    child->parent_ = nullptr;
  }
  scene_base_t::ClearNode();
}

std::unique_ptr<scene_base_t> group_t::RemoveChild(const scene_base_t* node) {
  const int i = IndexOfChild(node);
  if (i < 0) return nullptr;
  std::unique_ptr<scene_base_t> taken = std::move(children_[static_cast<std::size_t>(i)]);
  children_.erase(children_.begin() + i);
  return taken;
}

bool group_t::LacksPattern() const {
  if (grouping) return patterns.Count() == 0;
  for (const auto& child : children_) {
    if (child->LacksPattern()) return true;
  }
  return false;
}

void group_t::NormalizePatterns() {
  NormalizeOwnList(patterns);
  for (const auto& child : children_) child->NormalizePatterns();
}

grouped_pattern_t group_t::OwnTotals() const {
  grouped_pattern_t total;
  if (grouping) {
    total.Accumulate(AsGroupedPattern(CurrentPattern()));
    return total;
  }
  for (const auto& child : children_) total.Accumulate(child->OwnTotals());
  return total;
}

pattern_value_t group_t::ValueWith(const pattern_base_t& p, const grouped_pattern_t& before,
                                   const grouped_pattern_t& after) const {
  const grouped_pattern_t& grouped = AsGroupedPattern(p);
  if (grouping) return ScoreSingle(grouped, after, true, StageNumber(), GetDifficulty(), false);
  // The sum of every child's current value, with `before` and `after` the
  // totals around this group as the caller found them. Asking each child on
  // its own would recompute the running totals from the whole tree for every
  // scene; the route walk gives the same totals with running sums.
  return WalkRoute(*this, before, after, {});
}

pattern_value_t group_t::ExplainWith(const pattern_base_t& p, const grouped_pattern_t& before,
                                     const grouped_pattern_t& after) const {
  const grouped_pattern_t& grouped = AsGroupedPattern(p);
  if (grouping) return ScoreSingle(grouped, after, true, StageNumber(), GetDifficulty(), true);
  return ValueWith(p, before, after);
}

pattern_value_t group_t::CompareValuesWith(const pattern_base_t& old_p, const pattern_base_t& new_p,
                                           const grouped_pattern_t& before,
                                           const grouped_pattern_t& after) const {
  const grouped_pattern_t& o = AsGroupedPattern(old_p);
  const grouped_pattern_t& n = AsGroupedPattern(new_p);
  return ScoreCompare(o, n, before, after, true, StageNumber(), GetDifficulty(), false);
}

pattern_value_t group_t::CompareExplainWith(const pattern_base_t& old_p,
                                            const pattern_base_t& new_p,
                                            const grouped_pattern_t& before,
                                            const grouped_pattern_t& after) const {
  const grouped_pattern_t& o = AsGroupedPattern(old_p);
  const grouped_pattern_t& n = AsGroupedPattern(new_p);
  return ScoreCompare(o, n, before, after, true, StageNumber(), GetDifficulty(), true);
}

// ---- text forms ----

namespace {

// The attributes of a node's element, from the node field table.
template <typename N>
void WriteNodeFields(sxml::TSXMLElementWriter& w, const N& node, bool spell_card) {
  for (const auto& f : NodeFieldsOf<N>()) {
    if (f.spell_card_only && !spell_card) continue;
    if (f.flag) {
      w.Bool(f.name, node.*f.flag);
    } else if (f.score) {
      w.Number(f.name, node.*f.score);
    } else {
      w.Text(f.name, NodeFieldText(f, node));
    }
  }
}

}  // namespace

void scene_t::WriteSXML(std::string& out, int level) const {
  sxml::TSXMLElementWriter w(out, kSceneElement, level);
  WriteNodeFields(w, *this, kind == scene_kind_t::SpellCard);
  for (int i = 0; i < patterns.Count(); ++i) patterns.Items(i)->WriteSXML(out, w.BeginChild());
  w.End();
}

void group_t::WriteElement(std::string& out, int level) const {
  sxml::TSXMLElementWriter w(out, NodeElementName(Class()), level);
  if (const root_t* root = AsRoot()) {
    WriteNodeFields(w, *root, false);
  } else {
    WriteNodeFields(w, *this, false);
  }
  for (int i = 0; i < patterns.Count(); ++i) patterns.Items(i)->WriteSXML(out, w.BeginChild());
  for (const auto& child : children_) child->WriteSXML(out, w.BeginChild());
  w.End();
}

void group_t::WriteSXML(std::string& out, int level) const {
  WriteElement(out, level);
}

void root_t::WriteSXML(std::string& out, int level) const {
  WriteElement(out, level);
}

}  // namespace qvl

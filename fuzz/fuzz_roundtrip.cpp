// Builds a random document from the fuzzer's bytes (groups and scenes of every
// kind, patterns with any texts and numbers), saves it as text and loads it
// again: the loaded tree must be the saved one, field by field, in the same
// order, and save to the very same text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "model/qvl_document.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_text.h"

namespace {

using namespace qvl;

// A title or memo as it enters the model, wherever it comes from (a load, the
// window, qvl): in the form the file gives back.
std::string Text(FuzzedDataProvider& in) {
  return NormalizeTextForFile(in.ConsumeRandomLengthString(32));
}

void AddPatterns(FuzzedDataProvider& in, scene_base_t& node) {
  for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n) {
    std::unique_ptr<pattern_base_t> p;
    if (node.AsGroup() != nullptr) {
      p = std::make_unique<grouped_pattern_t>();
    } else {
      p = std::make_unique<pattern_t>();
    }
    ForEachPatternField(*p, [&in](const auto& f, auto& pattern) {
      if (f.text) {
        pattern.*f.text = Text(in);
      } else if (f.flag) {
        pattern.*f.flag = in.ConsumeBool();
      } else {
        pattern.*f.score = in.ConsumeIntegral<score_t>();
      }
    });
    node.patterns.AddSorted(std::move(p));
  }
}

void Fill(FuzzedDataProvider& in, group_t& group, int depth) {
  group.title = Text(in);
  group.memo = Text(in);
  group.grouping = in.ConsumeBool();
  AddPatterns(in, group);
  for (int n = 0; n < 6 && in.remaining_bytes() > 0 && in.ConsumeBool(); ++n) {
    if (depth < 4 && in.ConsumeBool()) {
      auto child = std::make_unique<group_t>(&group);
      child->kind = static_cast<group_kind_t>(in.ConsumeIntegralInRange(0, 4));
      Fill(in, *child, depth + 1);
      group.AddChild(std::move(child));
      continue;
    }
    auto scene = std::make_unique<scene_t>(&group);
    scene->kind = static_cast<scene_kind_t>(in.ConsumeIntegralInRange(0, 4));
    scene->title = Text(in);
    scene->memo = Text(in);
    scene->point = in.ConsumeIntegral<score_t>();
    if (scene->kind == scene_kind_t::SpellCard) {  // the only kind that has them
      scene->initial_spell_card_bonus = in.ConsumeIntegral<score_t>();
      scene->time_limit = in.ConsumeIntegral<score_t>();
      scene->decrease_rate = in.ConsumeIntegral<score_t>();
    }
    AddPatterns(in, *scene);
    group.AddChild(std::move(scene));
  }
}

template <typename Fields>
bool SameFields(const Fields& fields, const pattern_base_t& a, const pattern_base_t& b) {
  using P = typename Fields::value_type::pattern_type;
  const P& x = static_cast<const P&>(a);
  const P& y = static_cast<const P&>(b);
  for (const auto& f : fields) {
    if (f.text   ? x.*f.text != y.*f.text
        : f.flag ? x.*f.flag != y.*f.flag
                 : x.*f.score != y.*f.score) {
      return false;
    }
  }
  return true;
}

bool Same(const scene_base_t& a, const scene_base_t& b) {
  if (a.title != b.title || a.memo != b.memo || a.patterns.Count() != b.patterns.Count() ||
      (a.AsGroup() == nullptr) != (b.AsGroup() == nullptr)) {
    return false;
  }
  for (int i = 0; i < a.patterns.Count(); ++i) {
    const pattern_base_t& p = *a.patterns.Items(i);
    const pattern_base_t& q = *b.patterns.Items(i);
    if (!(p.Class() == pattern_class_t::Scene ? SameFields(kScenePatternFields, p, q)
                                              : SameFields(kGroupedPatternFields, p, q))) {
      return false;
    }
  }
  const group_t* g = a.AsGroup();
  if (g == nullptr) {
    const auto& s = static_cast<const scene_t&>(a);
    const auto& t = static_cast<const scene_t&>(b);
    return s.kind == t.kind && s.point == t.point &&
           s.initial_spell_card_bonus == t.initial_spell_card_bonus &&
           s.time_limit == t.time_limit && s.decrease_rate == t.decrease_rate;
  }
  const group_t* h = b.AsGroup();
  if (g->grouping != h->grouping || g->ChildCount() != h->ChildCount() ||
      (a.parent() != nullptr && g->kind != h->kind)) {
    return false;
  }
  for (int i = 0; i < g->ChildCount(); ++i) {
    if (!Same(*g->Child(i), *h->Child(i))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  root_t root;
  root.difficulty = static_cast<difficulty_t>(in.ConsumeIntegralInRange(0, 5));
  Fill(in, root, 0);
  root.NormalizePatterns();  // as every document that is saved is
  const std::string text = DocumentText(root);
  root_t loaded;
  if (!LoadDocumentFromText(loaded, text) || loaded.difficulty != root.difficulty ||
      !Same(root, loaded) || DocumentText(loaded) != text) {
    std::abort();
  }
  return 0;
}

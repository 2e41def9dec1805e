#include "model/qvl_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "model/node_builders.h"
#include "model/qvl_document.h"
#include "model/qvl_text.h"
#include "test_temp.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

// Stage 1 (a way with two patterns, a spell card with two, a boss with one
// normal attack), stage 2 (a way with an untitled pattern after the current
// titled one).
struct document_t {
  TDocumentSession s;
  TSessionHistory history{s};
  group_t* stage1;
  scene_t* way;
  scene_t* spell;
  group_t* boss;
  scene_t* normal;
  group_t* stage2;
  scene_t* way2;

  document_t() {
    root_t& root = s.Document();
    stage1 = AddNode<group_t>(root, "1面");
    way = AddNode<scene_t>(*stage1, "道中");
    way->patterns.AddSorted(ScenePattern("A", 10, true));
    way->patterns.AddSorted(ScenePattern("B", 20, false));
    spell = AddNode<scene_t>(*stage1, "スペル");
    spell->kind = scene_kind_t::SpellCard;
    spell->patterns.AddSorted(ScenePattern("稼ぎ", 1, true));
    spell->patterns.AddSorted(ScenePattern("安全", 2, false));
    boss = AddNode<group_t>(*stage1, "ボス");
    normal = AddNode<scene_t>(*boss, "通常");
    normal->patterns.AddSorted(ScenePattern("取得", 5, true));
    stage2 = AddNode<group_t>(root, "2面");
    way2 = AddNode<scene_t>(*stage2, "道中2");
    way2->patterns.AddSorted(ScenePattern("", 0, false));
    way2->patterns.AddSorted(ScenePattern("Z", 3, true));
    root.NormalizePatterns();
  }
  [[nodiscard]] std::string Text() { return DocumentText(s.Document()); }
};

struct operation_t {
  const char* what;
  std::function<void(document_t&)> make;  // as the window makes it
  step_kind_t kind;
  const char* title;  // of the step's name
  std::function<std::vector<scene_base_t*>(document_t&)> nodes;
};

std::vector<scene_base_t*> Way(document_t& d) {
  return {d.way};
}

const operation_t kOperations[] = {
    {"store the current pattern",
     [](document_t& d) {
       d.s.Select({d.way});
       d.s.Store(ScenePattern("C", 30, false), true);
     },
     step_kind_t::StorePattern, "C", Way},
    {"store another pattern beside the current one",
     [](document_t& d) {
       d.s.Select({d.way});
       d.s.ChooseEdited(1);
       d.s.Store(ScenePattern("", 40, false), false);
     },
     step_kind_t::StorePattern, "*untitled*", Way},
    {"delete the current pattern",
     [](document_t& d) {
       d.s.Select({d.way});
       d.s.DeleteEdited();
     },
     step_kind_t::DeletePattern, "A", Way},
    {"delete the only pattern",
     [](document_t& d) {
       d.s.Select({d.normal});
       d.s.DeleteEdited();
     },
     step_kind_t::DeletePattern, "取得",
     [](document_t& d) -> std::vector<scene_base_t*> { return {d.normal}; }},
    {"delete before an untitled pattern, which is named",
     [](document_t& d) {
       d.s.Select({d.way2});
       d.s.DeleteEdited();
     },
     step_kind_t::DeletePattern, "Z",
     [](document_t& d) -> std::vector<scene_base_t*> { return {d.way2}; }},
    {"add a new pattern",
     [](document_t& d) {
       d.s.Select({d.spell});
       d.s.AddNewPattern(true);
     },
     step_kind_t::AddPattern, "",
     [](document_t& d) -> std::vector<scene_base_t*> { return {d.spell}; }},
    {"update a memo", [](document_t& d) { d.s.UpdateMemo(*d.way, "m"); }, step_kind_t::UpdateMemo,
     "道中", Way},
    {"set grouping",
     [](document_t& d) {
       d.s.Select({d.boss});
       d.s.SetGrouping(*d.boss, true);
     },
     step_kind_t::SetGrouping, "ボス",
     [](document_t& d) -> std::vector<scene_base_t*> { return {d.boss}; }},
    {"clear grouping",
     [](document_t& d) {
       d.s.Select({d.stage2});
       d.s.SetGrouping(*d.stage2, false);
     },
     step_kind_t::ClearGrouping, "2面",
     [](document_t& d) -> std::vector<scene_base_t*> { return {d.stage2}; }},
    {"choose a current pattern", [](document_t& d) { d.s.ChoosePattern(*d.way, 1); },
     step_kind_t::ChoosePattern, "道中", Way},
    {"choose by a title's part",
     [](document_t& d) {
       d.s.Select({d.stage1, d.stage2});
       d.s.ChooseByTitlePart(Utf8ToCp932("安"));
     },
     step_kind_t::ChooseByTitlePart, "",
     [](document_t& d) -> std::vector<scene_base_t*> {
       return {d.stage1, d.stage2};
     }},
};

TEST(SessionHistory, EveryOperationIsUndoneAndRedoneByteForByte) {
  for (const operation_t& op : kOperations) {
    SCOPED_TRACE(op.what);
    document_t d;
    if (op.kind == step_kind_t::ClearGrouping) d.stage2->grouping = true;
    const std::string before = d.Text();
    op.make(d);
    const std::string after = d.Text();
    ASSERT_NE(after, before);
    ASSERT_EQ(d.history.Count(), 1);
    ASSERT_TRUE(d.history.UndoName().has_value());
    EXPECT_EQ(d.history.UndoName()->kind, op.kind);
    EXPECT_EQ(d.history.UndoName()->title, Utf8ToCp932(op.title));
    d.s.Select({d.way2, d.spell});  // elsewhere: undo shows the step's nodes
    for (int round = 0; round < 2; ++round) {
      d.history.Undo();
      EXPECT_EQ(d.Text(), before);
      EXPECT_FALSE(d.s.DocumentModified());
      EXPECT_FALSE(d.history.CanUndo());
      EXPECT_EQ(d.history.RedoName()->kind, op.kind);
      EXPECT_EQ(d.s.Selection(), op.nodes(d));
      d.history.Redo();
      EXPECT_EQ(d.Text(), after);
      EXPECT_TRUE(d.s.DocumentModified());
      EXPECT_EQ(d.s.Selection(), op.nodes(d));
      EXPECT_FALSE(d.history.CanRedo());
    }
  }
}

TEST(SessionHistory, WhatChangesNothingIsNoStep) {
  document_t d;
  d.s.ChoosePattern(*d.way, 0);  // current already
  d.s.UpdateMemo(*d.way, "");
  d.s.SetGrouping(*d.stage1, false);
  d.s.Select({d.stage1});
  d.s.ChooseByTitlePart("zz");
  d.s.SetPatternEdited(true);
  EXPECT_EQ(d.history.Count(), 0);
  d.history.Undo();  // nothing to undo: nothing happens
  d.history.Redo();
  EXPECT_EQ(d.s.Selection(), std::vector<scene_base_t*>{d.stage1});
}

TEST(SessionHistory, TheModifiedFlagFollowsTheSavedStateAndLoadingStartsAfresh) {
  const fs::path file = fs::temp_directory_path() / (test::UniqueName("qvl_history_") + ".pat");
  document_t d;
  d.s.UpdateMemo(*d.way, "1");
  ASSERT_TRUE(d.s.SaveAs(file).ok);
  d.s.UpdateMemo(*d.way, "2");
  d.history.Undo();
  EXPECT_FALSE(d.s.DocumentModified());
  d.history.Undo();
  EXPECT_TRUE(d.s.DocumentModified());
  d.history.Redo();
  EXPECT_FALSE(d.s.DocumentModified());
  // A new step where the saved one could have been redone: that state is gone.
  d.history.Undo();
  d.s.UpdateMemo(*d.way, "3");
  d.history.Undo();
  EXPECT_TRUE(d.s.DocumentModified());

  ASSERT_TRUE(d.s.Load(file, nullptr));
  EXPECT_EQ(d.history.Count(), 0);
  EXPECT_FALSE(d.history.CanRedo());
  fs::remove(file);
}

std::vector<scene_base_t*> AllNodes(scene_base_t& node) {
  std::vector<scene_base_t*> out{&node};
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) {
      for (scene_base_t* n : AllNodes(*group->Child(i))) out.push_back(n);
    }
  }
  return out;
}

TEST(SessionHistory, EveryEditIsMadeAndTakenBackByItsInverse) {
  struct edit_case_t {
    const char* what;
    std::function<document_edit_t(document_t&)> edit;
    std::function<std::string(document_t&)> shown;  // what the edit changed
    const char* expected;
  };
  const auto way_titles = [](document_t& d) { return Titles(*d.way); };
  const edit_case_t cases[] = {
      {"insert",
       [](document_t& d) -> document_edit_t {
         return edit::insert_t{d.way, 1, ScenePattern("(X)", 1, false)};
       },
       way_titles, "A=,(X),B"},
      {"remove",
       [](document_t& d) -> document_edit_t {
         return edit::remove_t{d.way, 0, d.way->patterns.Items(0)->Clone()};
       },
       way_titles, "B"},
      {"move",
       [](document_t& d) -> document_edit_t {
         return edit::move_t{d.way, 0, 1};
       },
       way_titles, "B,A="},
      {"retitle",
       [](document_t& d) -> document_edit_t {
         return edit::retitle_t{d.way, 1, "B", "C"};
       },
       way_titles, "A=,C"},
      {"current",
       [](document_t& d) -> document_edit_t {
         return edit::current_t{d.way, 0, 1};
       },
       way_titles, "A,B="},
      {"no current",
       [](document_t& d) -> document_edit_t {
         return edit::current_t{d.way, 0, -1};
       },
       way_titles, "A,B"},
      {"memo",
       [](document_t& d) -> document_edit_t {
         return edit::memo_t{d.way, "", "m"};
       },
       [](document_t& d) { return d.way->memo; }, "m"},
      {"grouping",
       [](document_t& d) -> document_edit_t {
         return edit::grouping_t{d.boss, false, true};
       },
       [](document_t& d) { return std::string(d.boss->grouping ? "on" : "off"); }, "on"},
  };
  for (const edit_case_t& c : cases) {
    SCOPED_TRACE(c.what);
    document_t d;
    const std::string before = d.Text();
    const std::vector<document_edit_t> edits{c.edit(d)};
    d.s.Replay(edits, true);
    EXPECT_EQ(c.shown(d), c.expected);
    const std::string after = d.Text();
    d.s.Replay(edits, false);
    EXPECT_EQ(d.Text(), before);
    d.s.Replay({Inverse(edits[0])}, false);
    EXPECT_EQ(d.Text(), after) << "the inverse of the inverse is the edit";
    EXPECT_EQ(d.history.Count(), 0) << "what is put back is no step";
  }
}

TEST(SessionHistory, UndoGivesBackThePlayersPatternsWhateverTheirTitlesSort) {
  // A new pattern, then another one stored beside the current one: every
  // pattern stays where its title sorts, and two undos give back exactly
  // what there was.
  document_t d;
  d.way->patterns.Clear();
  d.way->patterns.AddSorted(ScenePattern("(A)", 10, true));
  d.way->patterns.AddSorted(ScenePattern("B", 20, false));
  d.way->patterns.AddSorted(ScenePattern(" 1", 30, false));
  const std::string before = d.Text();
  d.s.Select({d.way});
  d.s.AddNewPattern();
  EXPECT_EQ(Titles(*d.way), " 1,(A)=,*untitled*,B");
  d.s.ChooseEdited(3);
  d.s.Store(ScenePattern("B", 21, false), false);
  EXPECT_EQ(Titles(*d.way), " 1,(A)=,*untitled*,B");
  EXPECT_EQ(d.s.EditedPattern()->bonus_item, 21);
  const std::string after = d.Text();
  d.history.Undo();
  d.history.Undo();
  EXPECT_EQ(d.Text(), before);
  d.history.Redo();
  d.history.Redo();
  EXPECT_EQ(d.Text(), after);
}

TEST(SessionHistory, ARandomHistoryPassesBackAndForthThroughTheSameDocuments) {
  TDocumentSession session;
  TSessionHistory history(session);
  ASSERT_TRUE(session.Load(fs::path(QVL_TEMPLATE_DIR) / "qvl_hard.pat", nullptr));
  const std::vector<scene_base_t*> nodes = AllNodes(session.Document());
  std::mt19937 random(16);
  const auto pick = [&random](int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
  };
  // Titles that sort before "*untitled*" and after it, equal ones, Japanese
  // ones, and none.
  const char* const titles[] = {"(A)", " B", "!", "B", "B", "*untitled*", "安全", "稼ぎ", "ｶﾅ", ""};
  const int title_count = static_cast<int>(std::size(titles));
  const char* const parts[] = {"a", "稼", "b", "(", "zz"};

  // The saved text after each done step, the first one the loaded document.
  std::vector<std::string> documents{DocumentText(session.Document())};
  const auto same_document = [&](const char* what, int round) -> ::testing::AssertionResult {
    if (DocumentText(session.Document()) == documents[static_cast<std::size_t>(history.Index())]) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << what << " in round " << round << " at step " << history.Index();
  };
  for (int round = 0; round < 1500; ++round) {
    const int move = pick(10);
    if (move == 0 || history.Index() + 1 >= TSessionHistory::kMaxSteps) {
      history.Undo();
      ASSERT_TRUE(same_document("undo", round));
      continue;
    }
    if (move == 1) {
      history.Redo();
      ASSERT_TRUE(same_document("redo", round));
      continue;
    }
    const int steps = history.Index();
    scene_base_t& node = *nodes[static_cast<std::size_t>(pick(static_cast<int>(nodes.size())))];
    if (!session.Select({&node})) continue;  // inside a grouping group
    switch (pick(8)) {
      case 0:
      case 1:
        if (session.EditedPattern() != nullptr) {
          session.ChooseEdited(pick(node.patterns.Count()));
          std::unique_ptr<pattern_base_t> p = session.EditedPattern()->Clone();
          p->title = Utf8ToCp932(titles[pick(title_count)]);
          p->bonus_item = pick(100);
          session.Store(std::move(p), pick(2) == 0);
        }
        break;
      case 2:
        if (session.EditedPattern() != nullptr) session.ChooseEdited(pick(node.patterns.Count()));
        session.DeleteEdited();
        break;
      case 3:
        session.AddNewPattern();
        break;
      case 4:
        session.UpdateMemo(node, std::to_string(pick(1000)));
        break;
      case 5:
        if (group_t* group = node.AsGroup()) session.SetGrouping(*group, !group->grouping);
        break;
      case 6:
        session.ChoosePattern(node, pick(std::max(1, node.patterns.Count())));
        break;
      default:
        session.ChooseByTitlePart(Utf8ToCp932(parts[pick(5)]));
        break;
    }
    if (history.Index() > steps) {
      ASSERT_EQ(history.Index(), steps + 1);
      documents.resize(static_cast<std::size_t>(steps) + 1);
      documents.push_back(DocumentText(session.Document()));
    } else {
      ASSERT_TRUE(same_document("a change without a step", round));
    }
  }
  while (history.CanUndo()) {
    history.Undo();
    ASSERT_TRUE(same_document("undo at the end", 0));
  }
  while (history.CanRedo()) {
    history.Redo();
    ASSERT_TRUE(same_document("redo at the end", 0));
  }
}

TEST(SessionHistory, TheOldestStepsGoBeyondTheLimit) {
  document_t d;
  const int extra = 5;
  for (int i = 0; i < TSessionHistory::kMaxSteps + extra; ++i) {
    d.s.UpdateMemo(*d.way, std::to_string(i));
  }
  EXPECT_EQ(d.history.Count(), TSessionHistory::kMaxSteps);
  while (d.history.CanUndo()) d.history.Undo();
  EXPECT_EQ(d.way->memo, std::to_string(extra - 1));
  EXPECT_TRUE(d.s.DocumentModified()) << "the loaded state is no longer in the history";
}

}  // namespace
}  // namespace qvl

#include "model/qvl_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/node_builders.h"
#include "model/qvl_text.h"
#include "test_temp.h"

namespace qvl {
namespace {

namespace fs = std::filesystem;

// Stage 1 (a way with two patterns, a spell card with two), stage 2 (a way
// with one), each list normalised.
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = std::make_unique<TDocumentSession>();
    reports.clear();
    root_t& root = s->Document();
    root.difficulty = difficulty_t::Hard;
    stage1 = AddNode<group_t>(root, "1面");
    way = AddNode<scene_t>(*stage1, "道中");
    way->patterns.AddSorted(ScenePattern("A", 10, true));
    way->patterns.AddSorted(ScenePattern("B", 20, false));
    spell = AddNode<scene_t>(*stage1, "スペル");
    spell->kind = scene_kind_t::SpellCard;
    spell->patterns.AddSorted(ScenePattern("稼ぎABC", 1, true));
    spell->patterns.AddSorted(ScenePattern("安全abc", 2, false));
    stage2 = AddNode<group_t>(root, "2面");
    way2 = AddNode<scene_t>(*stage2, "道中2");
    way2->patterns.AddSorted(ScenePattern("xAbCx", 3, true));
    root.NormalizePatterns();
    s->AddListener([this](const session_change_t& c) { reports.push_back(c); },
                   listener_rank_t::Window);
  }

  [[nodiscard]] std::string Text() { return DocumentText(s->Document()); }
  [[nodiscard]] const session_change_t& Last() const { return reports.back(); }
  template <typename T>
  [[nodiscard]] const T& Last() const {
    return reports.back().As<T>();
  }

  std::unique_ptr<TDocumentSession> s;
  group_t* stage1 = nullptr;
  group_t* stage2 = nullptr;
  scene_t* way = nullptr;
  scene_t* spell = nullptr;
  scene_t* way2 = nullptr;
  std::vector<session_change_t> reports;
};

// A file of this process's own, so that test programs running side by side
// never share it.
fs::path TempFile() {
  return fs::temp_directory_path() / (test::UniqueName("qvl_session_") + ".pat");
}

TEST_F(SessionTest, SaveNamesTheFileAndLoadStartsEveryStateAfresh) {
  const fs::path file = TempFile();
  s->UpdateMemo(*way, "m");
  const std::string saved = Text();
  ASSERT_TRUE(s->SaveAs(file).ok);
  EXPECT_EQ(s->FileName(), file);
  EXPECT_FALSE(s->DocumentModified());
  EXPECT_EQ(Last().Op(), session_op_t::Save);
  s->Select({way});
  s->SetPatternEdited(true);
  s->UpdateMemo(*way, "m2");
  s->Document().ClearNode();
  reports.clear();

  ASSERT_TRUE(s->Load(file, nullptr));
  EXPECT_EQ(Text(), saved);
  EXPECT_EQ(s->FileName(), file);
  EXPECT_EQ(s->CurrentNode(), nullptr);
  EXPECT_EQ(s->EditedIndex(), -1);
  EXPECT_FALSE(s->DocumentModified() || s->PatternEdited() || s->MemoModified());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(Last().Op(), session_op_t::Load);
  EXPECT_TRUE(Last().modified_before);

  ASSERT_TRUE(s->NewFromTemplate(file, nullptr));
  EXPECT_TRUE(s->FileName().empty());
  EXPECT_EQ(Last().Op(), session_op_t::NewFromTemplate);
  fs::remove(file);
}

TEST_F(SessionTest, FailedLoadOrSaveChangesNothingAndReportsNothing) {
  s->Select({way});
  s->UpdateMemo(*way, "m");
  reports.clear();
  const std::string before = Text();
  EXPECT_FALSE(s->Load("/nonexistent/qvl_session.pat", nullptr));
  EXPECT_FALSE(s->NewFromTemplate("/nonexistent/qvl_session.pat", nullptr));
  EXPECT_FALSE(s->SaveAs("/nonexistent/dir/qvl_session.pat").ok);
  EXPECT_EQ(Text(), before);
  EXPECT_EQ(s->CurrentNode(), way);
  EXPECT_TRUE(s->DocumentModified());
  EXPECT_TRUE(s->FileName().empty());
  EXPECT_TRUE(reports.empty());
}

TEST_F(SessionTest, SelectionNamesTheCurrentNodeAndThePatternBeingEdited) {
  s->SetPatternEdited(true);
  s->SetMemoModified(true);
  s->Select({way});
  EXPECT_EQ(s->CurrentNode(), way);
  EXPECT_EQ(s->EditedPattern(), way->patterns.Current());
  EXPECT_FALSE(s->PatternEdited() || s->MemoModified());
  EXPECT_EQ(Last().Op(), session_op_t::Select);
  EXPECT_TRUE(Last().pattern_edited_before && Last().memo_modified_before);

  s->SetPatternEdited(true);
  s->ChooseEdited(1);
  EXPECT_EQ(s->EditedPattern()->title, "B");
  EXPECT_FALSE(s->PatternEdited());
  EXPECT_EQ(Last().Op(), session_op_t::ChooseEdited);

  // A group that sums its scenes edits nothing.
  s->Select({stage1});
  EXPECT_EQ(s->EditedPattern(), nullptr);

  s->Select({way, stage1, spell, way2});
  EXPECT_EQ(s->CurrentNode(), nullptr);
  EXPECT_EQ(s->TopSelection(), (std::vector<scene_base_t*>{stage1, way2}));

  s->ChooseEdited(1);
  EXPECT_EQ(s->EditedIndex(), -1) << "no current node, nothing to edit";
}

TEST_F(SessionTest, ASelectedSceneWithoutPatternsGetsAnUntitledCurrentOne) {
  way2->patterns.Clear();
  s->Select({way2});
  ASSERT_EQ(way2->patterns.Count(), 1);
  EXPECT_EQ(s->EditedPattern()->title, kUntitledTitle);
  EXPECT_TRUE(way2->patterns.Items(0)->selected);
}

TEST(SessionNew, AnEmptyDocumentIsWholeBeforeAnySelection) {
  TDocumentSession session;
  const std::string text = DocumentText(session.Document());
  ASSERT_TRUE(session.Select({&session.Document()}));
  EXPECT_EQ(DocumentText(session.Document()), text);
}

struct store_case_t {
  int edited;  // index edited in the way's list (A current, B)
  bool make_current;
  const char* title;  // of the stored pattern
  const char* expected_titles;
  int expected_current;
};

TEST_F(SessionTest, StoreReplacesTheEditedPatternAtItsSortedPlace) {
  const store_case_t cases[] = {
      {0, true, "C", "B,C", 1},          // the current one, stays current
      {1, true, "C", "A,C", 1},          // another one, made current
      {1, false, "C", "A,C", 0},         // another one, stored beside it
      {0, true, "", "*untitled*,B", 0},  // an empty title is named
      {0, false, "B", "B,B", 0},         // after its equal; the first is current
      {1, false, "(A)", "(A),A", 1},     // before the current one
  };
  for (const store_case_t& c : cases) {
    SetUp();
    s->Select({way});
    s->ChooseEdited(c.edited);
    s->SetPatternEdited(true);
    reports.clear();

    s->Store(ScenePattern(c.title, 99, false), c.make_current);

    std::string titles;
    for (int i = 0; i < way->patterns.Count(); ++i) {
      titles += (i ? "," : "") + way->patterns.Items(i)->title;
    }
    SCOPED_TRACE(c.title + std::string(c.make_current ? " current" : " kept"));
    EXPECT_EQ(titles, c.expected_titles);
    EXPECT_EQ(way->patterns.IndexOf(way->patterns.Current()), c.expected_current);
    EXPECT_EQ(s->EditedPattern()->bonus_item, 99);
    EXPECT_TRUE(s->DocumentModified());
    EXPECT_FALSE(s->PatternEdited());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(Last().Op(), session_op_t::Store);
    EXPECT_EQ(Last<change::store_t>().node, way);
  }
}

TEST_F(SessionTest, StoreOfTheWrongClassThrowsAndChangesNothing) {
  s->Select({way});
  reports.clear();
  const std::string before = Text();
  EXPECT_THROW(s->Store(std::make_unique<grouped_pattern_t>(), true), EWrongPatternClass);
  EXPECT_EQ(Text(), before);
  EXPECT_FALSE(s->DocumentModified());
  EXPECT_TRUE(reports.empty());
}

TEST_F(SessionTest, DeleteEditsTheCurrentPatternNextAndNamesAnEmptiedList) {
  s->Select({way});
  s->DeleteEdited();  // A, the current one
  EXPECT_EQ(Titles(*way), "B=");
  EXPECT_EQ(s->EditedPattern()->title, "B");
  EXPECT_EQ(Last().Op(), session_op_t::Delete);
  EXPECT_EQ(Last<change::delete_t>().node, way);
  EXPECT_TRUE(s->DocumentModified());

  s->DeleteEdited();
  EXPECT_EQ(Titles(*way), "*untitled*=");
  EXPECT_EQ(s->EditedPattern(), way->patterns.Items(0));

  // An empty title of a pattern that becomes current is named, and the
  // pattern moves to where its new title sorts.
  way2->patterns.AddSorted(ScenePattern("", 7, false));
  way2->patterns.AddSorted(ScenePattern("(A)", 8, false));
  s->Select({way2});
  s->DeleteEdited();
  EXPECT_EQ(Titles(*way2), "(A),*untitled*=");
  EXPECT_EQ(s->EditedPattern()->bonus_item, 7);
}

// Records the session's edits as the history would.
struct recorder_t : edit_recorder_t {
  std::vector<edit_group_t> groups;
  std::vector<document_edit_t> edits;
  int open = 0;
  void BeginGroup(const edit_group_t& group) override {
    ++open;
    groups.push_back(group);
    edits.clear();
  }
  void Edit(const document_edit_t& e) override { edits.push_back(e); }
  void EndGroup() override { --open; }
};

TEST_F(SessionTest, ReplayPutsBackAGroupOfEditsAndReportsTheNodesItTouched) {
  recorder_t recorder;
  s->SetRecorder(&recorder);
  s->Select({way});
  const std::string before = Text();
  s->Store(ScenePattern("(A)", 5, false), true);
  const std::string after = Text();
  ASSERT_EQ(recorder.groups.size(), 1u);
  EXPECT_EQ(recorder.open, 0);
  EXPECT_EQ(recorder.groups[0].name.kind, step_kind_t::StorePattern);
  EXPECT_EQ(recorder.groups[0].nodes, std::vector<scene_base_t*>{way});
  const std::vector<document_edit_t> edits = recorder.edits;
  s->SetPatternEdited(true);
  reports.clear();

  s->Replay(edits, false);
  EXPECT_EQ(Text(), before);
  EXPECT_FALSE(s->PatternEdited());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(Last().Op(), session_op_t::Restore);
  EXPECT_EQ(Last<change::restore_t>().nodes, std::vector<scene_base_t*>{way});
  s->Replay(edits, true);
  EXPECT_EQ(Text(), after);
  EXPECT_EQ(recorder.groups.size(), 1u) << "what is put back is not recorded again";
  s->SetRecorder(nullptr);
}

TEST_F(SessionTest, NoListenerChangesTheSessionWhileAReportIsDelivered) {
  bool refused = false;
  s->AddListener(
      [&](const session_change_t& c) {
        if (c.Op() != session_op_t::Select) return;
        try {
          s->UpdateMemo(*way2, "during");
        } catch (const std::logic_error&) {
          refused = true;
        }
      },
      listener_rank_t::Chart);
  s->Select({way});
  EXPECT_TRUE(refused);
  EXPECT_EQ(way2->memo, "");
  EXPECT_EQ(Last().Op(), session_op_t::Select);
  s->UpdateMemo(*way2, "after");  // once delivered, the session is free again
  EXPECT_EQ(way2->memo, "after");
}

TEST_F(SessionTest, TheModifiedFlagIsSetFromOutsideAndOnlyAChangeIsReported) {
  s->SetDocumentModified(true);
  s->SetDocumentModified(true);
  EXPECT_TRUE(s->DocumentModified());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(Last().Op(), session_op_t::Flags);
}

TEST_F(SessionTest, NewPatternTakesTheSortedPlaceOfItsTitleAndIsEdited) {
  s->Select({stage1});  // a group: the pattern is a grouped one
  stage1->patterns.AddSorted(GroupedPattern("(A)"));
  stage1->patterns.AddSorted(GroupedPattern("B"));
  s->AddNewPattern();
  EXPECT_EQ(Titles(*stage1), "=,(A),*untitled*,B");
  const pattern_base_t* added = stage1->patterns.Items(2);
  EXPECT_EQ(added->Class(), pattern_class_t::Grouped);
  EXPECT_FALSE(Last<change::new_pattern_t>().from_current);
  EXPECT_EQ(s->EditedPattern(), added);
  EXPECT_TRUE(s->DocumentModified());
  s->AddNewPattern(true);
  EXPECT_TRUE(Last<change::new_pattern_t>().from_current);
}

TEST_F(SessionTest, GroupingAndMemoReportTheirFormerValues) {
  s->Select({stage1});
  s->SetPatternEdited(true);
  s->SetGrouping(*stage1, true);
  EXPECT_TRUE(stage1->grouping);
  EXPECT_FALSE(s->PatternEdited());
  EXPECT_EQ(Last().Op(), session_op_t::Grouping);
  EXPECT_EQ(Last<change::grouping_t>().group, stage1);
  EXPECT_FALSE(Last<change::grouping_t>().before);
  EXPECT_TRUE(s->DocumentModified());

  way->memo = "old";
  s->SetMemoModified(true);
  s->UpdateMemo(*way, "new");
  EXPECT_EQ(way->memo, "new");
  EXPECT_FALSE(s->MemoModified());
  EXPECT_EQ(Last().Op(), session_op_t::Memo);
  EXPECT_EQ(Last<change::memo_t>().before, "old");

  // The same text again is no change of the document.
  s->SetDocumentModified(false);
  s->SetMemoModified(true);
  reports.clear();
  s->UpdateMemo(*way, "new");
  EXPECT_FALSE(s->MemoModified());
  EXPECT_FALSE(s->DocumentModified());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(Last().Op(), session_op_t::Flags);
}

TEST_F(SessionTest, PopupChoiceMakesAPatternCurrentAndModifiesTheDocumentOnlyByAChange) {
  s->ChoosePattern(*way, 0);  // current already
  EXPECT_FALSE(s->DocumentModified());
  s->ChoosePattern(*way, 1);
  EXPECT_EQ(way->patterns.Current()->title, "B");
  EXPECT_TRUE(s->DocumentModified());  // the file keeps the choice
  EXPECT_EQ(Last<change::choose_pattern_t>().choice.before, 0);
  EXPECT_EQ(Last<change::choose_pattern_t>().choice.after, 1);
  reports.clear();
  s->ChoosePattern(*way, 7);
  EXPECT_TRUE(reports.empty());
}

TEST_F(SessionTest, TitlePartChoosesTheFirstMatchInEveryTopSubtreeIgnoringLetterCase) {
  // "ア" is 0x83 0x41: its trail byte is an "A" that no part may match.
  way2->patterns.AddSorted(ScenePattern("0アイテム", 0, false));  // sorts first
  struct part_case_t {
    const char* part;
    std::vector<scene_base_t*> selection;
    const char* spell_current;
    const char* way2_current;
    std::size_t changed;
  };
  const part_case_t cases[] = {
      {"abc", {stage1, spell, way2}, "安全abc", "xAbCx", 1},  // spell counted once
      {"ABC", {way2}, "稼ぎABC", "xAbCx", 0},
      {"a", {stage2}, "稼ぎABC", "xAbCx", 0},
      {"", {&s->Document()}, "稼ぎABC", "xAbCx", 0},
      {"ぎ", {stage1}, "稼ぎABC", "xAbCx", 0},
      {"0ア", {&s->Document()}, "稼ぎABC", "0アイテム", 1},
  };
  for (const part_case_t& c : cases) {
    SCOPED_TRACE(c.part);
    spell->patterns.Select(spell->patterns.Items(1));  // 稼ぎABC
    way2->patterns.Select(way2->patterns.Items(1));    // xAbCx
    s->Select(c.selection);
    reports.clear();
    s->SetDocumentModified(false);
    reports.clear();
    s->ChooseByTitlePart(Utf8ToCp932(c.part));
    EXPECT_EQ(spell->patterns.Current()->title, Utf8ToCp932(c.spell_current));
    EXPECT_EQ(way2->patterns.Current()->title, Utf8ToCp932(c.way2_current));
    EXPECT_EQ(s->DocumentModified(), c.changed > 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(Last<change::choose_by_title_part_t>().choices.size(), c.changed);
    EXPECT_EQ(Last<change::choose_by_title_part_t>().selection, c.selection);
  }
}

TEST_F(SessionTest, ANodeInsideAGroupingGroupIsNeverSelected) {
  s->Select({way});
  stage1->grouping = true;
  reports.clear();
  EXPECT_FALSE(s->Select({way2, spell}));
  EXPECT_EQ(s->Selection(), std::vector<scene_base_t*>{way});
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(s->Select({stage1, way2}));
}

TEST_F(SessionTest, GroupingTheShownGroupEditsItsOwnPatternOrNone) {
  stage1->patterns.Clear();
  s->Select({stage1});
  ASSERT_EQ(s->EditedIndex(), -1);
  s->SetMemoModified(true);
  s->SetGrouping(*stage1, true);
  ASSERT_NE(s->EditedPattern(), nullptr);
  EXPECT_EQ(s->EditedPattern(), stage1->patterns.Current());
  EXPECT_EQ(s->EditedPattern()->title, kUntitledTitle);
  EXPECT_FALSE(s->MemoModified());
  s->SetGrouping(*stage1, false);
  EXPECT_EQ(s->EditedIndex(), -1);
  // Another group than the shown one leaves the pattern being edited alone.
  s->Select({way});
  s->ChooseEdited(1);
  s->SetGrouping(*stage2, true);
  EXPECT_EQ(s->EditedIndex(), 1);
}

TEST_F(SessionTest, ListenersHearByRankThenInTheOrderAdded) {
  std::string heard;
  using entry_t = std::pair<listener_rank_t, char>;
  for (const auto& [rank, name] :
       {entry_t{listener_rank_t::Chart, 'c'}, entry_t{listener_rank_t::Window, 'w'},
        entry_t{listener_rank_t::History, 'h'}, entry_t{listener_rank_t::Chart, 'd'}}) {
    s->AddListener([&heard, name](const session_change_t&) { heard += name; }, rank);
  }
  s->Select({way});
  EXPECT_EQ(heard, "hwcd");
}

TEST_F(SessionTest, ARemovedListenerHearsNothing) {
  int heard = 0;
  const int id =
      s->AddListener([&heard](const session_change_t&) { ++heard; }, listener_rank_t::Chart);
  s->Select({way});
  s->RemoveListener(id);
  s->Select({way2});
  EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace qvl

// The main window with a small Easy document made for the pattern editor: one
// scene of every kind, three captured spell cards before the second stage,
// and helpers that drive the two grids and read the status bar.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "WindowFixture.h"
#include "grid/KwGrid.h"
#include "model/qvl_editor.h"

namespace qvl {

inline pattern_t& AddScenePattern(scene_t& scene, const char* title_utf8, bool selected) {
  auto p = std::make_unique<pattern_t>();
  p->title = Utf8ToCp932(title_utf8);
  p->selected = selected;
  return static_cast<pattern_t&>(*scene.patterns.AddSorted(std::move(p)));
}

inline scene_t* AddSpellCard(group_t& parent, const char* title_utf8, score_t s, score_t l,
                             score_t r) {
  auto* spell = AddNode<scene_t>(parent, title_utf8);
  spell->kind = scene_kind_t::SpellCard;
  spell->initial_spell_card_bonus = s;
  spell->time_limit = l;
  spell->decrease_rate = r;
  return spell;
}

// Easy. Stage 1: a way with two patterns, a captured spell card, a normal
// attack, a normal attack with enemy bullet bonus and a boss with two captured
// spell cards. Stage 2: one way.
inline void BuildEditorDocument(root_t& root) {
  root.title = Utf8ToCp932("Easy 全体");
  root.difficulty = difficulty_t::Easy;
  auto* stage1 = AddNode<group_t>(root, "1面");
  stage1->kind = group_kind_t::Stage;

  auto* way = AddNode<scene_t>(*stage1, "道中");
  way->kind = scene_kind_t::Way;
  way->point = 120;
  {
    pattern_t& p = AddScenePattern(*way, "安全", true);
    p.border_bonus_times = 2;
    p.cherry_max = 1000;
    p.graze = 50;
    p.point = 30;
    p.bonus_item = 5;
    p.memo = Utf8ToCp932("安全第一");
    pattern_t& q = AddScenePattern(*way, "稼ぎ", false);
    q.border_bonus_times = 3;
    q.cherry_max = 2000;
    q.graze = 80;
    q.point = 40;
    q.bonus_item = 8;
  }

  auto* spell1 = AddSpellCard(*stage1, "スペル1", 1000000, 30, 20000);
  {
    pattern_t& p = AddScenePattern(*spell1, "取得", true);
    p.getting_spell_card = true;
    p.spell_card_bonus_base = 400000;
    p.graze = 10;
    p.bonus_item = 1;
    p.enemy_bullet_bonus = 5000;
  }

  auto* attack = AddNode<scene_t>(*stage1, "通常");
  attack->kind = scene_kind_t::NormalAttack;
  {
    pattern_t& p = AddScenePattern(*attack, "普通", true);
    p.graze = 20;
    p.bonus_item = 2;
  }

  auto* bullets = AddNode<scene_t>(*stage1, "弾消し");
  bullets->kind = scene_kind_t::NormalAttackWithEnemyBulletBonus;
  {
    pattern_t& p = AddScenePattern(*bullets, "消し", true);
    p.enemy_bullet_bonus = 3000;
    p.bonus_item = 1;
  }

  auto* boss = AddNode<group_t>(*stage1, "ボス");
  boss->kind = group_kind_t::Boss;
  for (const char* title : {"スペル2", "スペル3"}) {
    scene_t* spell = AddSpellCard(*boss, title, 2000000, 40, 30000);
    pattern_t& p = AddScenePattern(*spell, "取得", true);
    p.getting_spell_card = true;
    p.spell_card_bonus_base = 500000;
  }

  auto* stage2 = AddNode<group_t>(root, "2面");
  stage2->kind = group_kind_t::Stage;
  auto* way2 = AddNode<scene_t>(*stage2, "2面道中");
  way2->kind = scene_kind_t::Way;
  AddScenePattern(*way2, "普通", true).bonus_item = 4;
}

class PatternEditorTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    document = WriteSample(QStringLiteral("editor.pat"), BuildEditorDocument);
  }

  TMainWnd& Open() {
    TMainWnd& w = Make({document});
    dialogs.Clear();
    return w;
  }

  TKwGrid* In() const { return Control<TKwGrid>("InputKwGrid"); }
  TKwGrid* Out() const { return Control<TKwGrid>("OutputKwGrid"); }
  QString Panel(int i) const {
    return Control<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())->text();
  }
  QComboBox* NewTitles() const { return Control<QComboBox>("NewTitleComboBox"); }
  QComboBox* OldTitles() const { return Control<QComboBox>("OldTitleComboBox"); }
  QCheckBox* NewGetSpell() const { return Control<QCheckBox>("NewGetSpellCheckBox"); }
  QCheckBox* Grouping() const { return Control<QCheckBox>("GroupingCheckBox"); }
  QPushButton* Button(const char* name) const { return Control<QPushButton>(name); }

  void Select(const char* title_utf8) { Click(Item(title_utf8)); }
  scene_base_t* Node(const char* title_utf8) const {
    return TSceneTreeView::NodeOf(Item(title_utf8));
  }

  // The style that governs a cell: its colour and read-only flag.
  static const TCellStyle* StyleAt(const TKwGrid& grid, int col, int row) {
    const int index = grid.CellStyles().FindStyle(col, row);
    return index < 0 ? nullptr : &grid.CellStyles().Item(index);
  }
  static QColor ColorAt(const TKwGrid& grid, int col, int row) {
    const TCellStyle* s = StyleAt(grid, col, row);
    return s ? s->CellColor() : QColor();
  }

  // Types text into the editor of cell (2, row) as a user would; the edit is
  // committed by the next move, Enter or a click elsewhere.
  void TypeInto(int row, const QString& text) {
    TKwGrid* grid = In();
    if (grid->CurrentCol() == 2 && grid->CurrentRow() == row && !grid->EditorOpen()) {
      grid->FocusCell(1, row);
    }
    if (grid->CurrentCol() != 2 || grid->CurrentRow() != row) {
      ASSERT_TRUE(grid->FocusCell(2, row)) << "row " << row;
    }
    ASSERT_TRUE(grid->EditorOpen()) << "row " << row;
    grid->Editor()->selectAll();
    QTest::keyClicks(grid->Editor(), text);
  }
  // Commits the open edit by moving to the old column of the same row.
  void Commit() {
    TKwGrid* grid = In();
    ASSERT_TRUE(grid->FocusCell(1, grid->CurrentRow()));
  }
  void SetNew(int row, const QString& text) { In()->SetCells(2, row, text); }
  // A click on a cell of the input grid, which opens the editor of a cell
  // that takes typing.
  void ClickCell(int col, int row) {
    QTest::mouseClick(In()->viewport(), Qt::LeftButton, {}, In()->CellRect(col, row).center());
  }
  // A right click on a tree node and the context menu the desktop makes of
  // it: the tree's popup menu, open.
  QMenu* PopupMenuOn(const char* title_utf8) {
    Click(Item(title_utf8), {}, Qt::RightButton);
    const QPoint at = Tree()->visualItemRect(Item(title_utf8)).center();
    QContextMenuEvent context(QContextMenuEvent::Mouse, at, Tree()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(Tree()->viewport(), &context);
    auto* menu = window->findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
    EXPECT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
    return menu;
  }
  // Text as the input method hands it over: one commit to the focused field.
  static void CommitText(const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr) << "no keyboard focus";
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(focus, &commit);
  }
  QString NewText(int row) const { return In()->CellText(2, row); }
  QString OldText(int row) const { return In()->CellText(1, row); }
  QString DiffText(int row) const { return In()->CellText(3, row); }

  QString document;
};

}  // namespace qvl

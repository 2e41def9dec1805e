// The real main window with scripted dialogs, and small documents written to a
// temporary folder for it to open.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>

#include "ScriptedDialogs.h"
#include "model/node_builders.h"
#include "model/qvl_document.h"
#include "model/qvl_text.h"
#include "ui/AppInfo.h"
#include "ui/ComparisonPanel.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"

namespace qvl {

// Hard: stage 1 (way, spell card, boss with a normal attack and a spell
// card), stage 2 (way). Titles chosen for the substring command.
inline void BuildSampleDocument(root_t& root) {
  root.title = Utf8ToCp932("Hard 全体");
  root.difficulty = difficulty_t::Hard;
  auto* stage1 = AddNode<group_t>(root, "1面");
  stage1->kind = group_kind_t::Stage;
  auto* way = AddNode<scene_t>(*stage1, "1面道中");
  way->kind = scene_kind_t::Way;
  way->patterns.AddSorted(ScenePattern("安全", 10, true));
  way->patterns.AddSorted(ScenePattern("稼ぎxABCx", 20));
  auto* spell = AddNode<scene_t>(*stage1, "スペルA");
  spell->kind = scene_kind_t::SpellCard;
  spell->initial_spell_card_bonus = 2000000;
  spell->time_limit = 40;
  spell->decrease_rate = 30000;
  spell->patterns.AddSorted(ScenePattern("abc取得", 3, true));
  auto* boss = AddNode<group_t>(*stage1, "ボス");
  boss->kind = group_kind_t::Boss;
  auto* attack = AddNode<scene_t>(*boss, "通常1");
  attack->kind = scene_kind_t::NormalAttack;
  attack->patterns.AddSorted(ScenePattern("普通", 1, true));
  attack->patterns.AddSorted(ScenePattern("aBc", 2));
  auto* boss_spell = AddNode<scene_t>(*boss, "スペルB");
  boss_spell->kind = scene_kind_t::SpellCard;
  boss_spell->patterns.AddSorted(ScenePattern("取得", 4, true));
  auto* stage2 = AddNode<group_t>(root, "2面");
  stage2->kind = group_kind_t::Stage;
  auto* way2 = AddNode<scene_t>(*stage2, "2面道中");
  way2->kind = scene_kind_t::Way;
  way2->patterns.AddSorted(ScenePattern("ゆっくりABC", 5, true));
}

// The named control the keyboard focus is in: a grid's editor counts as its
// grid.
inline QString FocusName() {
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
    if (!w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_"))) {
      return w->objectName();
    }
  }
  return {};
}

// Qt runs a button's access key as an animated click that ends a moment later.
inline bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 100 && !done(); ++i) QTest::qWait(10);
  return done();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    sample = WriteSample(QStringLiteral("sample.pat"));
  }
  void TearDown() override {
    window.reset();
    EXPECT_TRUE(dialogs.AllUsed()) << "scripted answers left over";
  }

  QString TempPath(const QString& name) const { return QDir(m_tmp.path()).filePath(name); }

  QString WriteSample(const QString& name, void (*build)(root_t&) = BuildSampleDocument) {
    root_t root;
    build(root);
    root.NormalizePatterns();  // as every document the program saves is
    const QString path = TempPath(name);
    const save_result_t r = SaveDocument(root, ToPath(path));
    EXPECT_TRUE(r.ok) << r.error;
    return path;
  }

  QString WriteBytes(const QString& name, const QByteArray& bytes) {
    const QString path = TempPath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }

  static QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
  }

  TMainWnd& Make(QStringList arguments = {}, QString application_dir = {}) {
    window = std::make_unique<TMainWnd>(dialogs, std::move(arguments), std::move(application_dir));
    window->show();
    return *window;
  }

  // Makes the window the active one, as a click on it would on a desktop: the
  // keyboard focus and the window's access keys and shortcuts need it.
  void Activate() {
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  // The key goes where a user's key goes: to an open menu, or else to the
  // control with the keyboard focus.
  static void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QWidget* focus = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                       : QApplication::focusWidget();
    ASSERT_NE(focus, nullptr) << "no keyboard focus";
    QTest::keyClick(focus, key, mods);
  }

  QAction* Action(const char* name) const {
    QAction* a = window->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  template <typename W = QWidget>
  W* Control(const char* name) const {
    W* w = window->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  TSceneTreeView* Tree() const { return Control<TSceneTreeView>("SceneView"); }

  // The tree item whose text is the title.
  QTreeWidgetItem* Item(const char* title_utf8) const {
    const QList<QTreeWidgetItem*> found =
        Tree()->findItems(QString::fromUtf8(title_utf8), Qt::MatchExactly | Qt::MatchRecursive);
    EXPECT_EQ(found.size(), 1) << title_utf8;
    return found.isEmpty() ? nullptr : found.first();
  }
  void Click(QTreeWidgetItem* item, Qt::KeyboardModifiers mods = {},
             Qt::MouseButton button = Qt::LeftButton) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    Tree()->scrollToItem(item);
    const QRect r = Tree()->visualItemRect(item);
    QTest::mouseClick(Tree()->viewport(), button, mods, r.center());
  }

  // A document change the user can make in this window: an updated memo.
  void ModifyDocument() {
    auto* memo = Control<QPlainTextEdit>("SceneMemo");
    memo->setPlainText(QStringLiteral("変更"));
    dialogs.confirms.push_back(true);
    Control<QPushButton>("SceneMemoApplyButton")->click();
    ASSERT_TRUE(window->DocumentModified());
    dialogs.Clear();
  }

  QString Caption(const QString& suffix) const {
    return ApplicationTitle() + QStringLiteral(" - ") + suffix;
  }

  TScriptedDialogs dialogs;
  std::unique_ptr<TMainWnd> window;
  QString sample;

 private:
  QTemporaryDir m_tmp;
};

}  // namespace qvl

// The window's commands: one table declares every menu and every item of the
// menus (its name, text, access key, shortcut, menu, handler and when it is
// enabled); building the menus, connecting them, retranslating and enabling
// them all walk it.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidgetItem>

#include <array>

#include "ui/HelpWindow.h"
#include "ui/MainWnd.h"
#include "ui/RecentFiles.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"

namespace qvl {
namespace {

using action_t = TMainWnd::action_t;
using menu_t = TMainWnd::menu_t;
using enabled_t = TMainWnd::enabled_t;
using handler_t = void (TMainWnd::*)();

// A text of the table is translated in the window's context, unless it is
// the same in every language (the difficulties' names, the language menu,
// which names itself in both).
enum class text_t { Translated, Fixed };

// One line of the menus, in the order the menus show them.
struct menu_entry_t {
  enum class kind_t { Menu, Item, Separator };
  kind_t kind;
  int id;     // the menu_t of a menu, the action_t of an item
  menu_t in;  // the menu it goes into; None for a popup of its own
  const char* name;
  const char* text;
  text_t text_kind;
  // Portable key texts, "; " between two shortcuts of one item.
  const char* keys;
  handler_t handler;
  enabled_t enabled;
};

constexpr menu_entry_t Menu(menu_t id, menu_t in, const char* name, const char* text,
                            text_t text_kind = text_t::Translated) {
  return {menu_entry_t::kind_t::Menu, static_cast<int>(id), in, name, text, text_kind, "", nullptr,
          enabled_t::Always};
}

constexpr menu_entry_t Item(action_t id, menu_t in, const char* name, const char* text,
                            const char* keys, handler_t handler,
                            enabled_t enabled = enabled_t::Always,
                            text_t text_kind = text_t::Translated) {
  return {menu_entry_t::kind_t::Item,
          static_cast<int>(id),
          in,
          name,
          text,
          text_kind,
          keys,
          handler,
          enabled};
}

constexpr menu_entry_t Separator(menu_t in) {
  return {menu_entry_t::kind_t::Separator,
          0,
          in,
          "",
          "",
          text_t::Fixed,
          "",
          nullptr,
          enabled_t::Always};
}

// The undo and redo items add the step's name to their text
// (UpdateUndoActions); ヘルプ's 使い方 comes from the guide (InstallHelp), the
// recent files and the languages fill their menus themselves.
const std::array kMenuTable{
    Menu(menu_t::File, menu_t::Bar, "File1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "ファイル(&F)")),
    Menu(menu_t::New, menu_t::File, "New1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "新規作成(&N)")),
    Item(action_t::Easy, menu_t::New, "Easy2", "Easy", "", &TMainWnd::Easy2Click, enabled_t::Always,
         text_t::Fixed),
    Item(action_t::Normal, menu_t::New, "Normal2", "Normal", "", &TMainWnd::Normal2Click,
         enabled_t::Always, text_t::Fixed),
    Item(action_t::Hard, menu_t::New, "Hard2", "Hard", "", &TMainWnd::Hard2Click, enabled_t::Always,
         text_t::Fixed),
    Item(action_t::Lunatic, menu_t::New, "Lunatic2", "Lunatic", "", &TMainWnd::Lunatic2Click,
         enabled_t::Always, text_t::Fixed),
    Item(action_t::Extra, menu_t::New, "Extra2", "Extra", "", &TMainWnd::Extra2Click,
         enabled_t::Always, text_t::Fixed),
    Item(action_t::Phantasm, menu_t::New, "Phantasm1", "Phantasm", "", &TMainWnd::Phantasm1Click,
         enabled_t::Always, text_t::Fixed),
    Item(action_t::Open, menu_t::File, "Open1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "開く(&O)..."),
         "Ctrl+O", &TMainWnd::Open1Click),
    Item(action_t::Save, menu_t::File, "Save1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "上書き保存(&S)"), "Ctrl+S", &TMainWnd::Save1Click,
         enabled_t::Document),
    Item(action_t::SaveAs, menu_t::File, "SaveAs1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "名前を付けて保存(&A)..."), "", &TMainWnd::SaveAs1Click,
         enabled_t::Document),
    Menu(menu_t::Recent, menu_t::File, "Recent1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "最近使ったファイル(&R)")),
    Separator(menu_t::File),
    Item(action_t::Exit, menu_t::File, "Exit1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "終了(&X)"), "",
         &TMainWnd::Exit1Click),

    Menu(menu_t::Edit, menu_t::Bar, "Edit1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "編集(&E)")),
    Item(action_t::Undo, menu_t::Edit, "Undo1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "元に戻す(&U)"),
         "Ctrl+Z", &TMainWnd::Undo1Click, enabled_t::Undo),
    Item(action_t::Redo, menu_t::Edit, "Redo1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "やり直し(&R)"),
         "Ctrl+Y; Ctrl+Shift+Z", &TMainWnd::Redo1Click, enabled_t::Redo),
    Separator(menu_t::Edit),
    Item(action_t::Copy, menu_t::Edit, "Copy1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "旧パターンをコピー(&C)"), "Ctrl+Alt+C",
         &TMainWnd::Copy1Click, enabled_t::Document),

    Menu(menu_t::View, menu_t::Bar, "View1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "表示(&V)")),
    Item(action_t::ScoreChart, menu_t::View, "ScoreChart1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "スコア推移(&G)"), "Ctrl+G",
         &TMainWnd::ScoreChart1Click),
    // Named in both languages, so that a player finds the way back whichever
    // language the window speaks.
    Menu(menu_t::Language, menu_t::View, "Language1", "言語 / Language(&L)", text_t::Fixed),

    Menu(menu_t::Help, menu_t::Bar, "Help1", QT_TRANSLATE_NOOP("qvl::TMainWnd", "ヘルプ(&H)")),
    Item(action_t::About, menu_t::Help, "About1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "バージョン情報(&A)..."), "", &TMainWnd::About1Click),

    // The scene tree's popup menu; its patterns follow the last separator.
    Menu(menu_t::ScenePopup, menu_t::None, "SceneViewPopupMenu", ""),
    Item(action_t::Select, menu_t::ScenePopup, "Edit2",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "選択(&S)"), "", &TMainWnd::Edit2Click),
    Separator(menu_t::ScenePopup),
    Item(action_t::CopyNode, menu_t::ScenePopup, "Copy2",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "コピー(&C)"), "", &TMainWnd::Copy2Click),
    Separator(menu_t::ScenePopup),
    Item(action_t::ChooseByTitlePart, menu_t::ScenePopup, "P1",
         QT_TRANSLATE_NOOP("qvl::TMainWnd", "パターンの一括指定(&P)"), "",
         &TMainWnd::SceneViewPopupMenuPatternMultiSelectOnClick, enabled_t::GroupSelected),
    Separator(menu_t::ScenePopup),
};

}  // namespace

void TMainWnd::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));
  for (const menu_entry_t& entry : kMenuTable) {
    QMenu* in = entry.in == menu_t::None || entry.in == menu_t::Bar ? nullptr : MenuAt(entry.in);
    const QString name = QString::fromLatin1(entry.name);
    switch (entry.kind) {
      case menu_entry_t::kind_t::Menu: {
        QMenu* menu = entry.in == menu_t::None  ? new QMenu(this)
                      : entry.in == menu_t::Bar ? bar->addMenu(QString())
                                                : in->addMenu(QString());
        menu->setObjectName(name);
        m_menus.at(static_cast<std::size_t>(entry.id)) = menu;
        break;
      }
      case menu_entry_t::kind_t::Item: {
        QAction* item = in->addAction(QString());
        item->setObjectName(name);
        item->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(entry.keys)));
        // Only what is enabled at every moment starts enabled; the rest waits
        // for what it depends on (a document, a step to undo).
        item->setEnabled(entry.enabled == enabled_t::Always ||
                         entry.enabled == enabled_t::GroupSelected);
        connect(item, &QAction::triggered, this, entry.handler);
        m_actions.at(static_cast<std::size_t>(entry.id)) = item;
        break;
      }
      case menu_entry_t::kind_t::Separator:
        in->addSeparator();
        break;
    }
  }
  // The texts in no language: shown as they are.
  for (const menu_entry_t& entry : kMenuTable) {
    if (entry.text_kind != text_t::Fixed) continue;
    const QString text = QString::fromUtf8(entry.text);
    if (entry.kind == menu_entry_t::kind_t::Menu) {
      MenuAt(static_cast<menu_t>(entry.id))->setTitle(text);
    } else if (entry.kind == menu_entry_t::kind_t::Item) {
      ActionAt(static_cast<action_t>(entry.id))->setText(text);
    }
  }
  MenuAt(menu_t::ScenePopup)->setDefaultAction(ActionAt(action_t::Select));  // drawn bold
  m_recentFiles = new TRecentFiles(*MenuAt(menu_t::Recent), this);
  connect(m_recentFiles, &TRecentFiles::Chosen, this, &TMainWnd::OpenRecentFile);
  CreateLanguageMenu();
  InstallHelp(*this, *MenuAt(menu_t::Help));
}

QString TMainWnd::ActionText(action_t id) {
  for (const menu_entry_t& entry : kMenuTable) {
    if (entry.kind == menu_entry_t::kind_t::Item && entry.id == static_cast<int>(id)) {
      return entry.text_kind == text_t::Fixed ? QString::fromUtf8(entry.text) : tr(entry.text);
    }
  }
  return {};
}

void TMainWnd::RetranslateMenus() {
  for (const menu_entry_t& entry : kMenuTable) {
    if (entry.text_kind == text_t::Fixed || *entry.text == '\0') continue;
    if (entry.kind == menu_entry_t::kind_t::Menu) {
      MenuAt(static_cast<menu_t>(entry.id))->setTitle(tr(entry.text));
    } else if (entry.kind == menu_entry_t::kind_t::Item) {
      ActionAt(static_cast<action_t>(entry.id))->setText(tr(entry.text));
    }
  }
  m_recentFiles->Retranslate();
  RetranslateLanguageMenu();
  // The undo items name the step they undo.
  UpdateUndoActions();
}

void TMainWnd::UpdateActions(enabled_t when) {
  for (const menu_entry_t& entry : kMenuTable) {
    if (entry.kind == menu_entry_t::kind_t::Item && entry.enabled == when) {
      ActionAt(static_cast<action_t>(entry.id))->setEnabled(ActionEnabled(when));
    }
  }
}

bool TMainWnd::ActionEnabled(enabled_t when) const {
  switch (when) {
    case enabled_t::Always:
      return true;
    case enabled_t::Document:
      return m_documentShown;
    case enabled_t::Undo:
      return UndoItemEnabled(true);
    case enabled_t::Redo:
      return UndoItemEnabled(false);
    case enabled_t::GroupSelected: {
      const QList<QTreeWidgetItem*> selected = m_scenePanel->Tree().selectedItems();
      return selected.size() > 1 || (!selected.isEmpty() && selected.first()->childCount() > 0);
    }
  }
  return false;
}

}  // namespace qvl

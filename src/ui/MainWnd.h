// The main window: the frame around the panels that show the document session
// (the scene tree with the scene memo, the comparison table, the pattern
// editor and the status bar). It keeps the menus and their commands, the
// file's life, the questions before work is lost, the panels' places, the
// dialogs and the language. Every dialog goes through the TDialogs it is given.
#pragma once

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "model/qvl_chart.h"
#include "model/qvl_file.h"
#include "model/qvl_pattern.h"
#include "model/qvl_scene.h"
#include "model/qvl_session.h"
#include "ui/Language.h"
#include "ui/QtText.h"

class QAction;
class QActionGroup;
class QMenu;
class QTreeWidgetItem;

namespace qvl {

class TComparisonPanel;
class TDialogs;
class TPatternEditor;
class TRecentFiles;
class TScenePanel;
class TSessionHistory;
class TScoreChartWindow;
class TStatusBar;

class TMainWnd : public QMainWindow {
  Q_OBJECT
 public:
  // arguments: the program's command-line arguments after the program name;
  // the first one is opened when the window is first shown. application_dir:
  // where the template folder lies (the executable's directory when empty).
  TMainWnd(TDialogs& dialogs, QStringList arguments, QString application_dir = {},
           QWidget* parent = nullptr);
  ~TMainWnd() override;

  // --- the session shown, and what the window shows of it
  // Read only: the document changes through the window's commands.
  [[nodiscard]] const TDocumentSession& Session() const { return m_session; }
  [[nodiscard]] const QString& ApplicationDir() const { return m_applicationDir; }
  [[nodiscard]] QString FileName() const { return FromPath(m_session.FileName()); }
  [[nodiscard]] const root_t& Document() const { return m_session.Document(); }
  [[nodiscard]] scene_base_t* CurrentNode() const { return m_session.CurrentNode(); }
  [[nodiscard]] bool DocumentModified() const { return m_session.DocumentModified(); }
  [[nodiscard]] bool MemoModified() const { return m_session.MemoModified(); }
  [[nodiscard]] bool PatternEdited() const { return m_session.PatternEdited(); }
  // The panels.
  [[nodiscard]] TPatternEditor& Editor() const { return *m_editor; }
  [[nodiscard]] TComparisonPanel& Comparison() const { return *m_comparison; }

  // --- the document's life
  // The template of a menu item's relative name ("template\qvl_hard.pat" or
  // "./template/qvl_extra.pat") inside the application directory.
  [[nodiscard]] static QString TemplatePath(const QString& application_dir,
                                            const QString& relative_name);
  // Loads a file into the document, which the session then reports for the
  // window to show afresh. A missing file or a failed load changes nothing and
  // returns false.
  bool OpenDocument(const QString& path);
  // True when nothing unsaved would be lost or the user agrees to lose it.
  [[nodiscard]] bool ConfirmDiscardDocument();
  // Before the document is replaced or the window closes: the questions about
  // unapplied pattern edits, the unapplied scene memo and the unsaved
  // document, in this order; no flag changes.
  [[nodiscard]] bool ConfirmDiscardAll();

  // --- the menus (MainWnd_Actions.cpp): one table declares every menu and
  // every item with its text, keys, handler and when it is enabled.
  enum class action_t {
    Easy,
    Normal,
    Hard,
    Lunatic,
    Extra,
    Phantasm,
    Open,
    Save,
    SaveAs,
    Exit,
    Undo,
    Redo,
    Copy,
    ScoreChart,
    About,
    Select,
    CopyNode,
    ChooseByTitlePart,  // the scene tree's popup menu
    Count
  };
  enum class menu_t { None, Bar, File, New, Recent, Edit, View, Language, Help, ScenePopup, Count };
  // What an item's being enabled depends on; the window asks again at the
  // moments that can change it.
  enum class enabled_t {
    Always,
    Document,  // a document is shown
    Undo,      // a step or the focused field's typing to undo
    Redo,
    GroupSelected,  // more than one node or a group is selected in the tree
  };
  [[nodiscard]] QAction* ActionAt(action_t id) const {
    return m_actions.at(static_cast<std::size_t>(id));
  }
  [[nodiscard]] QMenu* MenuAt(menu_t id) const { return m_menus.at(static_cast<std::size_t>(id)); }
  // An item's text as the table gives it, in the current language.
  [[nodiscard]] static QString ActionText(action_t id);

  // --- menu commands
  void Easy2Click();
  void Normal2Click();
  void Hard2Click();
  void Lunatic2Click();
  void Extra2Click();
  void Phantasm1Click();
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void Exit1Click();
  void Copy1Click();
  void About1Click();
  // Undo and redo of the document's last step; in a text field, of its text.
  void Undo1Click();
  void Redo1Click();
  [[nodiscard]] const TSessionHistory& History() const { return *m_history; }
  // 表示 > スコア推移: opens the chart window, made at the first use.
  void ScoreChart1Click();
  // The chart window once opened, else null.
  [[nodiscard]] TScoreChartWindow* ScoreChart() const { return m_scoreChart.get(); }
  // 表示 > 言語 / Language: the window and the core speak the language at
  // once, and the window remembers it when it remembers its settings.
  void LanguageItemClick(language_t language);

  // --- what the program remembers between runs (MainWnd_Desktop.cpp)
  // Restores the window's size and place, the dialogs' folders and the
  // recent files from the settings, and keeps them there from now on. The
  // program calls it before showing the window; tests and tools that do not
  // call it leave the settings untouched.
  void RememberSettings();
  // An item of 最近使ったファイル(&R): opened like Open; a file that is gone is
  // named in a message and leaves the list.
  void OpenRecentFile(const QString& path);

  // --- scene tree and scene memo (MainWnd_Tree.cpp; the panel in ScenePanel)
  // Before the selection changes, with the items it would hold afterwards;
  // false refuses the whole change.
  bool SceneViewChanging(const QList<QTreeWidgetItem*>& selected);
  bool ConfirmDiscardSceneMemo();
  void SceneViewPopupMenuPopup();
  void Edit2Click();
  void Copy2Click();
  void SceneViewPopupMenuPatternOnClick(QAction* item);
  void SceneViewPopupMenuPatternMultiSelectOnClick();
  // A position of the chart was clicked: its node is selected in the tree,
  // through the tree's usual checks.
  void ScoreChartNodeClicked(const scene_base_t* node);
  // The node the popup menu was last built for, while its tree item exists.
  [[nodiscard]] scene_base_t* PopupNode() const;

  // What the window itself shows of a change of the session: the caption,
  // the file in use, the items' being enabled. It hears a report after the
  // history and the panels and before the chart.
  void SessionChanged(const session_change_t& change);

 protected:
  bool event(QEvent* e) override;
  // QEvent::LanguageChange: every text afresh (RetranslateUi).
  void changeEvent(QEvent* e) override;
  // Enter anywhere in the window presses the default button (CalcButton);
  // the text fields leave the undo keys to the window when they have nothing
  // to step through.
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // The panels in their places, the left pane taking the width the right
  // pane leaves.
  void CreateControls();
  // How much wider than drawn the label columns of both grids must be for the
  // font in use (0 with the font the layout was drawn for).
  [[nodiscard]] static int LabelExtraWidth();
  // The menus and their items from the table, connected to their handlers.
  void CreateMenus();
  void CreateLanguageMenu();
  void CreatePopupMenu();
  // The menus' texts in the current language.
  void RetranslateMenus();
  void RetranslateLanguageMenu();
  // Every item whose being enabled depends on when, asked afresh.
  void UpdateActions(enabled_t when);
  [[nodiscard]] bool ActionEnabled(enabled_t when) const;
  [[nodiscard]] bool UndoItemEnabled(bool undo) const;
  // The window's own texts in the current language (MainWnd_Language.cpp):
  // the menus, the caption and the label columns' width for the language's
  // longest label; each panel says its own texts afresh.
  void RetranslateUi();
  // Wider columns by delta pixels: the right pane and the window grow with
  // them.
  void GrowRightPane(int delta);
  // The window is never narrower than the status bar's panels need.
  void KeepStatusPanelsWhole();
  void ConnectControls();
  void FormCreate();

  void NewFromTemplate(const QString& relative_name, const QString& label);
  // False, after the not-found message, when no file is at path.
  bool CheckFileExists(const QString& path);
  // After a load: the tree rebuilt, the editor cleared.
  void ShowLoadedDocument();
  // Then, once the load is told, the root selected and the tree focused.
  void SelectRoot();
  void MarkDocumentInUse();
  // The retry box of a failed load of file_name.
  [[nodiscard]] load_failure_handler_t RetryQuestion(const std::filesystem::path& file_name);
  // After a document was opened from or saved to a file.
  void AddRecentFile(const QString& path);
  void StoreSettings() const;
  bool SaveTo(const QString& file_name);
  void SetCaption(const QString& suffix);
  [[nodiscard]] QString SceneMemoDiscardQuestion() const;
  [[nodiscard]] QString DocumentDiscardQuestion() const;

  // Undo or redo (undo false) of the document's history: the step's nodes
  // are selected through the usual questions first and shown afresh after.
  void StepHistory(bool undo);
  // The focused text field's own undo or redo; false when no text field has
  // the focus or it has no typing of its own to step through.
  bool StepFocusedText(bool undo);
  // For the text fields' event filter: true when e was a claim on the undo
  // or redo key that the focused field, with nothing to step through, gives up.
  bool LeaveUndoKeyToWindow(QObject* watched, QEvent* e);
  void UpdateUndoActions();
  // The control the keyboard works in: the focused one, or while a menu is
  // open from the keyboard, the one the menu bar gives the focus back to.
  [[nodiscard]] QWidget* WorkingFocus() const;
  void FocusChanged(QWidget* now);
  // How the undo items name a text field's own typing.
  [[nodiscard]] QString FieldName(const QWidget* field) const;

  TDialogs& m_dialogs;
  QStringList m_arguments;
  bool m_shownOnce = false;

  // The document and everything about it that is no display.
  TDocumentSession m_session;
  int m_sessionListener = 0;
  // After the session: it leaves the session before the session goes.
  std::unique_ptr<TSessionHistory> m_history;
  // The open document's file, marked in use so that no save's clean-up takes
  // it while it is open (such as an abandoned temporary file opened to
  // recover it, then saved under another name beside it). Null for none.
  std::unique_ptr<file_in_use_t> m_documentInUse;

  QString m_applicationDir;
  QPersistentModelIndex m_popupNode;
  // The control that had the focus before the menu bar took it.
  QPointer<QWidget> m_focusBeforeMenu;
  // Added to both grids' label columns and to the window's width.
  int m_labelExtra = 0;
  QString m_openDir;
  QString m_saveDir;
  bool m_remembers = false;

  // The menus and their items, by the ids of the table that declares them.
  std::array<QMenu*, static_cast<std::size_t>(menu_t::Count)> m_menus{};
  std::array<QAction*, static_cast<std::size_t>(action_t::Count)> m_actions{};
  TRecentFiles* m_recentFiles = nullptr;
  // The items of 言語 / Language, one per language.
  std::vector<std::pair<language_t, QAction*>> m_languageItems;
  // A document has been shown: saving and copying have something to act on.
  bool m_documentShown = false;

  // Left pane: the scene tree and the scene memo; the patterns of the tree's
  // popup menu (the items after its last separator).
  TScenePanel* m_scenePanel = nullptr;
  QActionGroup* m_popupPatternItems = nullptr;

  // Right pane: the comparison table above the pattern editor; below both
  // panes the status bar.
  QWidget* m_rightPane = nullptr;
  TComparisonPanel* m_comparison = nullptr;
  TPatternEditor* m_editor = nullptr;
  TStatusBar* m_statusBar = nullptr;
  // The window's minimum width before the panels asked for more.
  int m_designedMinimumWidth = 0;

  // The chart and its plan listen to the session: they go before it does.
  TChartPlan m_chartPlan{m_session};
  std::unique_ptr<TScoreChartWindow> m_scoreChart;
};

}  // namespace qvl

// The main window: shows the document session (the document, its file, the
// selection and the pattern being edited) in the scene tree with the scene
// memo, the pattern editor, the comparison table and the status bar, and turns
// the menu and the controls into the session's operations. Every dialog goes
// through the TDialogs it is given.
#pragma once

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "calc/Calculator.h"
#include "grid/KwGrid.h"
#include "model/qvl_chart.h"
#include "model/qvl_file.h"
#include "model/qvl_pattern.h"
#include "model/qvl_scene.h"
#include "model/qvl_session.h"
#include "ui/Language.h"
#include "ui/QtText.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;

namespace qvl {

class TDialogs;
class TRecentFiles;
class TScenePanel;
class TSceneTreeView;
class TSessionHistory;
class TScoreChartWindow;
class TStatusPanel;

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
  [[nodiscard]] const pattern_value_t* OldValue() const { return m_oldValue.get(); }
  [[nodiscard]] const pattern_value_t* NewValue() const { return m_newValue.get(); }
  [[nodiscard]] bool DocumentModified() const { return m_session.DocumentModified(); }
  [[nodiscard]] bool MemoModified() const { return m_session.MemoModified(); }
  [[nodiscard]] bool PatternEdited() const { return m_session.PatternEdited(); }
  [[nodiscard]] int UpdateDepth() const { return m_updateDepth; }

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

  // The one refresh: shows what a change of the session touched. It hears a
  // report after the history and before the chart, and changes nothing of
  // the session.
  void SessionChanged(const session_change_t& change);

  // --- the pattern editor, the comparison table and the status bar
  // (MainWnd_Patterns.cpp)
  void PrepareEditor();
  void ClearEditor();
  void SetRowLabels(const scene_base_t* node);
  void SetEditable(bool on);
  // The session's selection, afresh.
  void ShowSelection();
  void ShowSingleNode(scene_base_t& node);
  void ShowMultipleSelection();
  // After another pattern became current somewhere: the old column, its title
  // box, the comparison and the status bar of what is shown, afresh.
  void ShowCurrentChoices();
  [[nodiscard]] bool ConfirmDiscardPatternEdits();
  // Text still open in a cell of the input grid counts as typed: every
  // command and every question about unapplied edits takes it in first.
  void CommitOpenCell();
  // Rows 1 to 10 of the old (1) or the new (2) column with the controls that
  // belong to that column, from a pattern of the current node's class.
  void FillPatternColumn(int column, const pattern_base_t& pattern);
  // The titles of a list, sorted by the combo box, each item holding its
  // pattern's list index; the list's current pattern is the selected item of
  // the old one, the pattern being edited that of the new one.
  void FillOldTitleComboBox(const pattern_base_list_t& list);
  void FillNewTitleComboBox(const pattern_base_list_t& list);
  // The list index an item of a title combo box stands for, or -1; the item
  // of a list index, or -1.
  [[nodiscard]] static int ListIndexOfItem(const QComboBox& box, int item);
  [[nodiscard]] static int ItemOfListIndex(const QComboBox& box, int index);
  // The effect of putting pattern in the place of the current node's current
  // pattern: the comparison table's new column and both difference columns.
  void ShowEffect(const pattern_base_t& pattern);
  void UpdateInputDifferences();
  void UpdateOutputDifferences();
  // The grids' fixed texts: the comparison table's headers, group and row
  // labels; the input grid's difference header and the current node's row
  // labels, leaving every typed cell as it is.
  void WriteOutputLabels();
  void WriteInputLabels();
  // Shows a value in column 2 (old) or 3 (new) and keeps it as the old or
  // new value.
  void ShowValue(int column, pattern_value_t value);
  // Names in status panel 0 the comparison cells that say their value is out
  // of the score range; clears its own earlier report when none does.
  void ReportOutOfRangeCells();
  void StatusBarTotals(scene_base_t& node);
  [[nodiscard]] TCalculator& Calculator() { return m_calculator; }
  // The new-title item of the pattern being edited.
  [[nodiscard]] int AcceptedNewTitleIndex() const;

  // --- events of the editor, the comparison table and the status bar
  void InputKwGridCellEdit(int col, int row, bool modified, TCellValue& new_value);
  void InputKwGridEnterCell(int col, int row);
  void InputKwGridExit();
  // The copy key of both grids; Enter in the input grid also calculates.
  void KwGridKeyDown(TKwGrid& grid, int key);
  void NewTitleComboBoxChange();
  void NewMemoChange();
  void NewTitleLabeledEditChange();
  void NewGetSpellCheckBoxClick();
  // A point of the comparison grid's viewport.
  void OutputKwGridMouseMove(QPoint point);

  // --- pattern commands (MainWnd_Commands.cpp)
  void CalcButtonClick();
  void ApplyButtonClick();
  void DeleteButtonClick();
  void NewButtonClick();
  void GroupingCheckBoxClick();

 protected:
  bool event(QEvent* e) override;
  // QEvent::LanguageChange: every text afresh (RetranslateUi).
  void changeEvent(QEvent* e) override;
  // Enter anywhere in the window presses the default button (CalcButton);
  // the mouse over the comparison table's group box moves the hover cell.
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Raises the update depth while the program fills controls.
  class TUpdating {
   public:
    explicit TUpdating(TMainWnd& w) : m_w(w) { ++m_w.m_updateDepth; }
    ~TUpdating() { --m_w.m_updateDepth; }
    TUpdating(const TUpdating&) = delete;
    TUpdating& operator=(const TUpdating&) = delete;

   private:
    TMainWnd& m_w;
  };

  void CreateControls();
  void CreateInputBox();
  // The controls of the input box at their places for the box's height: the
  // bottom rows keep to the bottom edge, the memos take what is left.
  void LayOutInputBox();
  // How much wider than drawn the label columns of both grids must be for the
  // font in use (0 with the font the layout was drawn for).
  [[nodiscard]] static int LabelExtraWidth();
  // A window width at which status panel 0 shows a spell card's scb hint whole.
  [[nodiscard]] int InitialHintWidth() const;
  void CreateOutputBox();
  void CreateStatusBar();
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
  // Every text of the window in the current language (MainWnd_Language.cpp):
  // the controls, menus, grids' labels, accessible names, the caption and what
  // the core explains of the shown selection, without touching the document,
  // the selection or anything typed.
  void RetranslateUi();
  // The label columns widened for the current language's longest label.
  void FitLabelColumns();
  // Widens the comparison's value columns to show their numbers whole, and
  // the right pane with them; back to the designed widths when they fit.
  void FitValueColumns();
  // Wider columns by delta pixels: the right pane and the window grow with
  // them.
  void GrowRightPane(int delta);
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
  // The stored list of the current node after Update, Delete or New: the
  // title boxes, the old column and value, the new column from new_column and
  // the effect of effect.
  void ShowStoredList(const pattern_base_t& new_column, const pattern_base_t& effect);
  // Clipboard copies: a text too large for memory leaves the clipboard as it was.
  void CopyToClipboard(const std::function<QString()>& text);
  void SetCaption(const QString& suffix);
  [[nodiscard]] QString PatternDiscardQuestion() const;
  [[nodiscard]] QString SceneMemoDiscardQuestion() const;
  [[nodiscard]] QString DocumentDiscardQuestion() const;
  void SetStatusPanel(int index, const QString& text);
  // A text with its shorter forms, longest first: panel 0 shows the longest
  // that fits.
  void SetStatusPanel(int index, const QStringList& forms);
  // What assistive technology says of the controls (MainWnd_Accessible.cpp);
  // the interfaces first, before any control is asked for its own.
  static void InstallAccessibleFactories();
  void NameForAssistiveTechnology();
  // The accessible name of status panel 1 to 5, announced when it changes.
  void SpeakStatusPanel(int index, const QString& spoken);
  // The window's minimum width after a panel of a number changed its width.
  void KeepStatusPanelsWhole();

  // The editor's side (MainWnd_Patterns.cpp, MainWnd_Commands.cpp).
  void ConnectEditor();
  // Replaces every cell of the new column by its calculator answer; false when
  // an editable cell failed (its message was shown).
  bool EvaluateNewColumn();
  // The new column read into a pattern of the current node's class, with its
  // questions; null when refused (the reason was shown). for_storing: the
  // title and the memo must be storable.
  std::unique_ptr<pattern_base_t> ReadNewPattern(bool for_storing);
  // False, after the refusal, when the new title or memo cannot be stored.
  bool StorableTexts();
  void SetOutputHint(const QString& hint);

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

  // What the window shows.
  QString m_applicationDir;
  std::unique_ptr<pattern_value_t> m_oldValue;
  std::unique_ptr<pattern_value_t> m_newValue;
  // The pattern whose effect the comparison's new column shows.
  std::unique_ptr<pattern_base_t> m_effectPattern;
  int m_updateDepth = 0;
  std::array<int, 2> m_hoverCell{-1, -1};
  // The last report of ReportOutOfRangeCells, empty when there is none.
  QString m_outOfRangeReport;
  QPersistentModelIndex m_popupNode;
  // Enter was pressed in the input grid's editor: calculate once the edit is
  // committed.
  bool m_calculateAfterCommit = false;
  // The control that had the focus before the menu bar took it.
  QPointer<QWidget> m_focusBeforeMenu;
  // Added to both grids' label columns and to the window's width.
  int m_labelExtra = 0;
  // The comparison's value columns (old, new, difference): as designed, or
  // wider for the numbers they show. The input grid's difference column
  // takes the same extra width, so that both grids keep filling the pane.
  std::array<int, 3> m_valueWidths{116, 116, 100};
  int m_valueExtra = 0;
  QString m_openDir;
  QString m_saveDir;
  bool m_remembers = false;
  TCalculator m_calculator;

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

  // Right pane: the comparison table (output) and the pattern editor (input).
  struct editor_t {
    QGroupBox* outputBox = nullptr;
    TKwGrid* outputKwGrid = nullptr;
    QGroupBox* inputBox = nullptr;
    TKwGrid* inputKwGrid = nullptr;
    QComboBox* oldTitleComboBox = nullptr;
    QComboBox* newTitleComboBox = nullptr;
    QCheckBox* oldGetSpellCheckBox = nullptr;
    QCheckBox* newGetSpellCheckBox = nullptr;
    QCheckBox* groupingCheckBox = nullptr;
    QLabel* memoLabel = nullptr;
    QPlainTextEdit* oldMemo = nullptr;
    QPlainTextEdit* newMemo = nullptr;
    QLabel* newTitleLabel = nullptr;
    QLineEdit* newTitleLabeledEdit = nullptr;
    QPushButton* calcButton = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* deleteButton = nullptr;
  } m_editor;

  // Status bar: panel 0 takes the free width, panels 1 to 5 keep theirs.
  struct status_t {
    std::array<TStatusPanel*, 6> panels{};
  } m_status;
  // The window's minimum width before the panels asked for more.
  int m_designedMinimumWidth = 0;

  // The chart and its plan listen to the session: they go before it does.
  TChartPlan m_chartPlan{m_session};
  std::unique_ptr<TScoreChartWindow> m_scoreChart;
};

}  // namespace qvl

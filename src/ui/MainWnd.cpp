// The window's construction: controls and their layout, the menu, the status
// bar and the connections; the events of the window as a whole.
#include "ui/MainWnd.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "calc/CalcCustom.h"
#include "grid/KwGrid.h"
#include "model/qvl_history.h"
#include "model/qvl_status.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/HelpWindow.h"
#include "ui/QtText.h"
#include "ui/RecentFiles.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/ScoreChart.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

// Outer size and minimum outer size of the window less the frame and caption
// of a typical desktop, since Qt sizes the inside of a window.
constexpr int kFrameWidth = 16;
constexpr QSize kInitialSize{862 - kFrameWidth, 894 - 39};
constexpr QSize kMinimumSize{760 - 16, 870 - 39};
constexpr int kRightPaneWidth = 567;
constexpr int kOutputBoxHeight = 357;
// Enough for every control of the input box with memos of a few lines, so
// that the window's minimum size shows them all.
constexpr int kInputBoxMinimumHeight = 423;
constexpr int kMemoTop = 322;
constexpr int kStatusBarHeight = 19;
constexpr std::array<int, 6> kStatusPanelWidths{0, 60, 55, 50, 115, 65};
// Each panel has its frame, its margins and the bar's spacing around it.
constexpr int kPanelOverhead = 12;
const std::array<QString, 6> kStatusPanelWidest{QString(),
                                                QStringLiteral("☆: 99999"),
                                                QStringLiteral("G: 99999"),
                                                QStringLiteral("P: 9999"),
                                                QStringLiteral("C: 9999999/9999999"),
                                                QStringLiteral("Spell: 99")};

// The name the design gives a control, for tests and style sheets; what
// assistive technology says of it is its Japanese (MainWnd_Accessible.cpp).
template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

void SetBackground(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
}

}  // namespace

TMainWnd::TMainWnd(TDialogs& dialogs, QStringList arguments, QString application_dir,
                   QWidget* parent)
    : QMainWindow(parent),
      m_dialogs(dialogs),
      m_arguments(std::move(arguments)),
      m_applicationDir(std::move(application_dir)) {
  setObjectName(QStringLiteral("MainWnd"));
  InstallAccessibleFactories();
  setFont(UiFont());
  m_labelExtra = LabelExtraWidth();
  CreateControls();
  CreateMenus();
  CreatePopupMenu();
  ConnectControls();
  FormCreate();
  RetranslateUi();
}

TMainWnd::~TMainWnd() {
  // The controls go after the session: nothing may show its changes then.
  m_session.RemoveListener(m_sessionListener);
  disconnect(qApp, nullptr, this, nullptr);
  // The panel listens to the session, which goes before the window's children.
  delete m_scenePanel;
  m_scenePanel = nullptr;
  m_history.reset();
}

void TMainWnd::CreateControls() {
  auto* central = new QWidget(this);
  auto* columns = new QHBoxLayout(central);
  columns->setContentsMargins(0, 0, 0, 0);
  columns->setSpacing(0);

  // Left pane: tree above the memo box. It listens to the session before the
  // window does, so that the tree follows a change before the editor shows it.
  m_scenePanel = new TScenePanel(m_session, m_dialogs, central);
  columns->addWidget(m_scenePanel, 1);

  // Right pane: comparison table above the editor.
  auto* right = new QWidget(central);
  right->setFixedWidth(kRightPaneWidth + m_labelExtra);
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->setSpacing(0);
  CreateOutputBox();
  CreateInputBox();
  m_editor.outputBox->setParent(right);
  m_editor.inputBox->setParent(right);
  right_layout->addWidget(m_editor.outputBox);
  right_layout->addWidget(m_editor.inputBox, 1);
  columns->addWidget(right);

  setCentralWidget(central);
  CreateStatusBar();
}

void TMainWnd::CreateOutputBox() {
  m_editor.outputBox = Named(new QGroupBox(QString()), QStringLiteral("OutputGroupBox"));
  // As designed, or taller where the fonts give the box's title more room:
  // all thirteen rows are in view, for a grid without a scroll bar that
  // scrolled to a cell could not be scrolled back.
  m_editor.outputBox->setMinimumHeight(kOutputBoxHeight);
  m_editor.outputBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  m_editor.outputBox->setMouseTracking(true);
  auto* layout = new QVBoxLayout(m_editor.outputBox);
  // The grid fills the box: its five columns need every pixel of it.
  layout->setContentsMargins(0, 0, 0, 0);
  m_editor.outputKwGrid = Named(new TKwGrid(m_editor.outputBox), QStringLiteral("OutputKwGrid"));
  m_editor.outputKwGrid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  layout->addWidget(m_editor.outputKwGrid);
}

void TMainWnd::CreateInputBox() {
  m_editor.inputBox = Named(new QGroupBox(QString()), QStringLiteral("InputGroupBox"));
  m_editor.inputBox->setMinimumHeight(kInputBoxMinimumHeight);
  QWidget* box = m_editor.inputBox;

  // Created in the order the Tab key visits them; LayOutInputBox places them.
  m_editor.inputKwGrid = Named(new TKwGrid(box), QStringLiteral("InputKwGrid"));

  m_editor.oldTitleComboBox = Named(new QComboBox(box), QStringLiteral("OldTitleComboBox"));
  m_editor.oldTitleComboBox->setEnabled(false);
  m_editor.newTitleComboBox = Named(new QComboBox(box), QStringLiteral("NewTitleComboBox"));
  SetBackground(m_editor.newTitleComboBox, kNewColumnColor);
  {
    QPalette p = m_editor.newTitleComboBox->palette();
    p.setColor(QPalette::Button, kNewColumnColor);
    m_editor.newTitleComboBox->setPalette(p);
  }

  m_editor.oldGetSpellCheckBox =
      Named(new QCheckBox(QString(), box), QStringLiteral("OldGetSpellCheckBox"));
  m_editor.oldGetSpellCheckBox->setEnabled(false);
  m_editor.newGetSpellCheckBox =
      Named(new QCheckBox(QString(), box), QStringLiteral("NewGetSpellCheckBox"));
  m_editor.groupingCheckBox =
      Named(new QCheckBox(QString(), box), QStringLiteral("GroupingCheckBox"));

  m_editor.memoLabel = Named(new QLabel(QString(), box), QStringLiteral("MemoLabel"));
  m_editor.oldMemo = Named(new QPlainTextEdit(box), QStringLiteral("OldMemo"));
  m_editor.oldMemo->setReadOnly(true);
  m_editor.oldMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_editor.oldMemo->setTabChangesFocus(true);
  m_editor.newMemo = Named(new QPlainTextEdit(box), QStringLiteral("NewMemo"));
  m_editor.newMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_editor.newMemo->setTabChangesFocus(true);
  SetBackground(m_editor.newMemo, kNewColumnColor);
  m_editor.memoLabel->setBuddy(m_editor.oldMemo);

  m_editor.newTitleLabel =
      Named(new QLabel(QString(), box), QStringLiteral("NewTitleLabeledEditLabel"));
  m_editor.newTitleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_editor.newTitleLabeledEdit = Named(new QLineEdit(box), QStringLiteral("NewTitleLabeledEdit"));
  SetBackground(m_editor.newTitleLabeledEdit, kNewColumnColor);
  m_editor.newTitleLabel->setBuddy(m_editor.newTitleLabeledEdit);

  const auto button = [box](const QString& caption, const QString& name) {
    auto* b = Named(new QPushButton(caption, box), name);
    b->setAutoDefault(false);
    return b;
  };
  m_editor.calcButton = button(QString(), QStringLiteral("CalcButton"));
  // The window's default button: Enter in the editor calculates.
  m_editor.calcButton->setDefault(true);
  m_editor.newButton = button(QString(), QStringLiteral("NewButton"));
  m_editor.applyButton = button(QString(), QStringLiteral("ApplyButton"));
  m_editor.deleteButton = button(QString(), QStringLiteral("DeleteButton"));

  // The combo boxes lie over the grid's header cells.
  m_editor.oldTitleComboBox->raise();
  m_editor.newTitleComboBox->raise();
  m_editor.inputBox->installEventFilter(this);
  LayOutInputBox();
}

void TMainWnd::LayOutInputBox() {
  // The grid's columns lie at x = 4, 159, 311 and 463 inside the box (moved
  // right by a wider label column); the controls of the old and the new
  // pattern stand under their columns.
  const int dx = m_labelExtra;
  const int old_x = 159 + dx;
  const int new_x = 311 + dx;
  const int diff_x = 463 + dx;
  m_editor.inputKwGrid->setGeometry(4, 16, 559 + dx + m_valueExtra, 283);
  m_editor.oldTitleComboBox->setGeometry(old_x, 16, 152, 24);
  m_editor.newTitleComboBox->setGeometry(new_x, 16, 152, 24);
  m_editor.oldGetSpellCheckBox->setGeometry(old_x + 4, 302, 145, 17);
  m_editor.newGetSpellCheckBox->setGeometry(new_x + 4, 302, 145, 17);
  m_editor.groupingCheckBox->setGeometry(diff_x + 4, 302, 96, 17);

  // Drawn for a box 459 pixels high: buttons at 428, the title at 402, the
  // memos from 322 to 398.
  const int buttons_y = std::max(m_editor.inputBox->height(), kInputBoxMinimumHeight) - 31;
  const int title_y = buttons_y - 26;
  const int memo_bottom = title_y - 4;
  m_editor.memoLabel->setGeometry(8, kMemoTop + 2, 60, 14);
  m_editor.oldMemo->setGeometry(old_x, kMemoTop, 152, memo_bottom - kMemoTop);
  m_editor.newMemo->setGeometry(new_x, kMemoTop, 152, memo_bottom - kMemoTop);
  m_editor.newTitleLabel->setGeometry(old_x, title_y + 2, 148, 17);
  m_editor.newTitleLabeledEdit->setGeometry(new_x, title_y, 152, 21);
  m_editor.calcButton->setGeometry(diff_x + 13, memo_bottom - 25, 75, 25);
  m_editor.newButton->setGeometry(new_x + 3, buttons_y, 75, 25);
  m_editor.applyButton->setGeometry(new_x + 84, buttons_y, 75, 25);
  m_editor.deleteButton->setGeometry(diff_x + 13, buttons_y, 75, 25);
}

void TMainWnd::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  Named(bar, QStringLiteral("StatusBar"));
  bar->setFixedHeight(kStatusBarHeight);
  bar->setSizeGripEnabled(false);
  const std::array<std::string, 5> initial = InitialStatusPanelTexts();
  for (std::size_t i = 0; i < m_status.panels.size(); ++i) {
    // Panel 0 takes whatever width the other five leave.
    auto* panel =
        Named(new TStatusPanel(kStatusPanelWidths[i], bar), QStringLiteral("StatusPanel%1").arg(i));
    m_status.panels[i] = panel;
    if (i == 0) {
      bar->addWidget(panel, 1);
    } else {
      // The widths were drawn for "MS UI Gothic"; a wider stand-in font gets
      // the room its usual numbers need, and a longer number more.
      panel->SetLeastWidth(panel->fontMetrics().horizontalAdvance(kStatusPanelWidest[i]) +
                           2 * panel->frameWidth() + 4);
      panel->SetText(ToQString(initial[i - 1]));
      bar->addPermanentWidget(panel);
    }
  }
}

void TMainWnd::ScoreChart1Click() {
  if (!m_scoreChart) {
    m_scoreChart = std::make_unique<TScoreChartWindow>(m_session, m_chartPlan, m_dialogs, this);
    connect(m_scoreChart.get(), &TScoreChartWindow::NodeClicked, this,
            &TMainWnd::ScoreChartNodeClicked);
    m_scoreChart->PlaceBeside(*this);
  }
  m_scoreChart->show();
  m_scoreChart->raise();
  m_scoreChart->activateWindow();
}

void TMainWnd::CreatePopupMenu() {
  // The patterns of the popup menu's node, made afresh for every popup.
  m_popupPatternItems = new QActionGroup(this);
  m_popupPatternItems->setObjectName(QStringLiteral("SceneViewPopupMenuPatterns"));
  m_popupPatternItems->setExclusive(true);
}

void TMainWnd::ConnectControls() {
  TSceneTreeView& tree = m_scenePanel->Tree();
  tree.OnChanging = [this](const QList<QTreeWidgetItem*>& selected) {
    return SceneViewChanging(selected);
  };
  connect(&tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    SceneViewPopupMenuPopup();
    MenuAt(menu_t::ScenePopup)->popup(m_scenePanel->Tree().viewport()->mapToGlobal(pos));
  });
  connect(m_popupPatternItems, &QActionGroup::triggered, this,
          &TMainWnd::SceneViewPopupMenuPatternOnClick);
}

void TMainWnd::FormCreate() {
  setWindowTitle(ApplicationTitle());
  QToolTip::setFont(GridFont());
  if (m_applicationDir.isEmpty()) m_applicationDir = QCoreApplication::applicationDirPath();
  m_oldValue.reset();
  m_newValue.reset();
  m_updateDepth = 0;
  m_hoverCell = {-1, -1};
  m_sessionListener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
  m_history = std::make_unique<TSessionHistory>(m_session);
  // In a text field the items undo and redo its typing, if it has any.
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusChanged(now); });
  connect(MenuAt(menu_t::Edit), &QMenu::aboutToShow, this, &TMainWnd::UpdateUndoActions);
  for (QWidget* field : std::initializer_list<QWidget*>{&m_scenePanel->Memo(), m_editor.newMemo,
                                                        m_editor.newTitleLabeledEdit,
                                                        m_editor.inputKwGrid->Editor()}) {
    field->installEventFilter(this);
  }
  // scb of this window's calculator reads the node this window shows.
  m_calculator.SetNodeProvider([this]() -> const scene_base_t* { return CurrentNode(); });
  // Empty: the dialogs start in the process's current directory.
  m_openDir.clear();
  m_saveDir.clear();
  PrepareEditor();

  // A wider font widens the label columns and the window with them, and the
  // window starts wide enough for the longest hint of status panel 0, as far
  // as the screen allows.
  const QSize extra(m_labelExtra, 0);
  setMinimumSize((kMinimumSize + extra).expandedTo(minimumSizeHint()));
  m_designedMinimumWidth = minimumWidth();
  KeepStatusPanelsWhole();
  int hint_width = InitialHintWidth();
  if (const QScreen* s = screen()) {
    hint_width = std::min(hint_width, s->availableGeometry().width() - kFrameWidth);
  }
  resize((kInitialSize + extra).expandedTo(QSize(hint_width, 0)));
  setAcceptDrops(true);
  for (QWidget* w : findChildren<QWidget*>()) w->setToolTipDuration(kHintDisplayMs);
  setToolTipDuration(kHintDisplayMs);
}

namespace {

// The scb hint of a spell card with numbers as long as any of the templates
// carries, in its every form.
QStringList LongestScbHints() {
  scene_t sample;
  sample.kind = scene_kind_t::SpellCard;
  sample.initial_spell_card_bonus = 99999999;
  sample.time_limit = 999;
  sample.decrease_rate = 999999;
  QStringList forms;
  for (const std::string& form : ScbHintForms(&sample)) forms << ToQString(form);
  return forms;
}

}  // namespace

int TMainWnd::InitialHintWidth() const {
  const QLabel& hint_panel = *m_status.panels[0];
  int width =
      hint_panel.fontMetrics().horizontalAdvance(LongestScbHints().front()) + kPanelOverhead;
  for (std::size_t i = 1; i < m_status.panels.size(); ++i) {
    width += m_status.panels[i]->minimumWidth() + kPanelOverhead;
  }
  return width;
}

void TMainWnd::SetStatusPanel(int index, const QStringList& forms) {
  TStatusPanel& panel = *m_status.panels.at(static_cast<std::size_t>(index));
  const int width = panel.width();
  panel.SetText(forms);
  if (panel.width() != width) KeepStatusPanelsWhole();
}

void TMainWnd::SetStatusPanel(int index, const QString& text) {
  SetStatusPanel(index, QStringList{text});
}

void TMainWnd::KeepStatusPanelsWhole() {
  // Panels of numbers that grew must not be pushed out of the window: it is
  // never narrower than they and panel 0 need, which keeps room for the
  // figures of the scb hint in its shortest form.
  int needed = 0;
  for (std::size_t i = 1; i < m_status.panels.size(); ++i) {
    needed += m_status.panels[i]->width() + kPanelOverhead;
  }
  const int hint = m_status.panels[0]->fontMetrics().horizontalAdvance(LongestScbHints().back()) +
                   m_status.panels[0]->fontMetrics().horizontalAdvance(QLatin1Char('x')) +
                   kPanelOverhead;
  setMinimumWidth(std::max(m_designedMinimumWidth, needed + hint));
}

bool TMainWnd::event(QEvent* e) {
  // The long part of hints goes to panel 0; the bar's own message line would
  // hide the panels.
  if (e->type() == QEvent::StatusTip) {
    SetStatusPanel(0, static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

void TMainWnd::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (m_shownOnce) return;
  m_shownOnce = true;
  // Nothing can have been edited yet, so nothing is asked first.
  if (!m_arguments.isEmpty() && OpenDocument(m_arguments.first())) AddRecentFile(FileName());
}

void TMainWnd::closeEvent(QCloseEvent* e) {
  if (ConfirmDiscardAll()) {
    StoreSettings();
    // The chart belongs to this window: left open, it would keep the program
    // running after 終了.
    if (m_scoreChart) m_scoreChart->close();
    e->accept();
  } else {
    e->ignore();
  }
}

void TMainWnd::dragEnterEvent(QDragEnterEvent* e) {
  const QMimeData* data = e->mimeData();
  if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
    e->acceptProposedAction();
  }
}

void TMainWnd::dropEvent(QDropEvent* e) {
  const QMimeData* data = e->mimeData();
  if (!data || !data->hasUrls() || data->urls().isEmpty()) return;
  // Only the first dropped file counts.
  const QUrl first = data->urls().first();
  if (!first.isLocalFile()) return;
  e->acceptProposedAction();
  // A drop replaces the document like Open, so it asks like Open.
  if (!ConfirmDiscardAll()) return;
  if (OpenDocument(first.toLocalFile())) AddRecentFile(FileName());
}

void TMainWnd::SessionChanged(const session_change_t& change) {
  scene_base_t* const node = CurrentNode();
  switch (change.Op()) {
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
      MarkDocumentInUse();
      ShowLoadedDocument();
      break;
    case session_op_t::Save:
      MarkDocumentInUse();  // the file saved is a new one, maybe under a new name
      SetCaption(FileName());
      break;
    case session_op_t::Select:
      ShowSelection();
      break;
    case session_op_t::ChooseEdited:
      if (const pattern_base_t* edited = m_session.EditedPattern()) {
        FillPatternColumn(2, *edited);
        ShowEffect(*edited);
      }
      break;
    case session_op_t::Store:
      if (change.As<change::store_t>().node == node) {
        const pattern_base_t& stored = *m_session.EditedPattern();
        ShowStoredList(stored, stored);
      }
      break;
    case session_op_t::Delete:
      if (change.As<change::delete_t>().node == node) {
        ShowStoredList(node->CurrentPattern(), node->CurrentPattern());
      }
      break;
    case session_op_t::NewPattern:
      if (const auto& added_change = change.As<change::new_pattern_t>();
          added_change.node == node) {
        const pattern_base_t& added = *m_session.EditedPattern();
        ShowStoredList(added_change.from_current ? node->CurrentPattern() : added, added);
      }
      break;
    case session_op_t::Grouping:
      // The selection shown afresh: a group as editable or as a sum.
      ShowSelection();
      break;
    case session_op_t::ChoosePattern:
    case session_op_t::ChooseByTitlePart:
      // A current pattern of the shown node, or of one before it, is another.
      ShowCurrentChoices();
      break;
    case session_op_t::Restore:
      // Undo and redo show the step's nodes afresh once it is done.
    case session_op_t::Memo:  // the scene panel shows it
    case session_op_t::Flags:
      break;
  }
  // The history heard the change first: what it can undo now.
  UpdateUndoActions();
}

}  // namespace qvl

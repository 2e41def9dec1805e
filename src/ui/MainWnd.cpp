// The window's construction: the panels in their places, the menu and the
// connections; the events of the window as a whole.
#include "ui/MainWnd.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "model/qvl_history.h"
#include "ui/AppInfo.h"
#include "ui/ComboBoxAccessible.h"
#include "ui/ComparisonPanel.h"
#include "ui/Dialogs.h"
#include "ui/PatternEditor.h"
#include "ui/PatternGrids.h"
#include "ui/QtText.h"
#include "ui/RecentFiles.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/ScoreChart.h"
#include "ui/ShownChange.h"
#include "ui/StatusBar.h"

namespace qvl {
namespace {

// Outer size and minimum outer size of the window less the frame and caption
// of a typical desktop, since Qt sizes the inside of a window.
constexpr int kFrameWidth = 16;
constexpr QSize kInitialSize{862 - kFrameWidth, 894 - 39};
constexpr QSize kMinimumSize{760 - 16, 870 - 39};
constexpr int kRightPaneWidth = 567;

}  // namespace

int TMainWnd::LabelExtraWidth() {
  // Both label columns grow alike, so that both grids keep filling the pane.
  return std::max(TPatternEditor::LabelExtraNeeded(), TComparisonPanel::LabelExtraNeeded());
}

TMainWnd::TMainWnd(TDialogs& dialogs, QStringList arguments, QString application_dir,
                   QWidget* parent)
    : QMainWindow(parent),
      m_dialogs(dialogs),
      m_arguments(std::move(arguments)),
      m_applicationDir(std::move(application_dir)) {
  setObjectName(QStringLiteral("MainWnd"));
  // What assistive technology says of a combo box, before any is asked.
  InstallComboBoxAccessible();
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
  // The panels listen to the session, which goes before the window's children.
  delete m_editor;
  delete m_comparison;
  delete m_statusBar;
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

  // Right pane: comparison table above the editor, which hand their hints to
  // the status bar.
  m_statusBar = new TStatusBar(m_session, this);
  setStatusBar(m_statusBar);
  m_rightPane = new QWidget(central);
  m_rightPane->setFixedWidth(kRightPaneWidth + m_labelExtra);
  auto* right_layout = new QVBoxLayout(m_rightPane);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->setSpacing(0);
  m_comparison = new TComparisonPanel(m_session, m_dialogs, *m_statusBar, m_labelExtra);
  m_editor = new TPatternEditor(m_session, m_dialogs, *m_comparison, *m_statusBar, m_labelExtra);
  m_comparison->setParent(m_rightPane);
  m_editor->setParent(m_rightPane);
  right_layout->addWidget(m_comparison);
  right_layout->addWidget(m_editor, 1);
  columns->addWidget(m_rightPane);

  setCentralWidget(central);
}

void TMainWnd::Copy1Click() {
  const scene_base_t* node = CurrentNode();
  if (!node) return;
  const pattern_base_t* current = node->patterns.Current();
  if (!current) return;
  CopyToClipboard(m_dialogs, [current] { return ToQString(current->WriteSXML(0)); });
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
  // The comparison's value columns widen the editor's difference column and
  // the right pane with them.
  m_comparison->ValueColumnsResized = [this](int extra, int delta) {
    m_editor->SetValueExtra(extra);
    GrowRightPane(delta);
  };
  m_editor->Calculated = [this](scene_base_t& node, const pattern_base_t& pattern) {
    // Kept while it holds, for a chart opened later.
    if (m_scoreChart) {
      m_scoreChart->ShowPlan(node, pattern);
    } else {
      m_chartPlan.Set(node, pattern);
    }
  };
  connect(m_statusBar, &TStatusBar::PanelWidthChanged, this, &TMainWnd::KeepStatusPanelsWhole);
  installEventFilter(this);
}

void TMainWnd::FormCreate() {
  setWindowTitle(ApplicationTitle());
  QToolTip::setFont(GridFont());
  if (m_applicationDir.isEmpty()) m_applicationDir = QCoreApplication::applicationDirPath();
  m_sessionListener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
  m_history = std::make_unique<TSessionHistory>(m_session);
  // In a text field the items undo and redo its typing, if it has any.
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusChanged(now); });
  connect(MenuAt(menu_t::Edit), &QMenu::aboutToShow, this, &TMainWnd::UpdateUndoActions);
  for (QWidget* field :
       std::initializer_list<QWidget*>{&m_scenePanel->Memo(), &m_editor->NewMemo(),
                                       &m_editor->NewTitleEdit(), m_editor->Grid().Editor()}) {
    field->installEventFilter(this);
  }
  // Empty: the dialogs start in the process's current directory.
  m_openDir.clear();
  m_saveDir.clear();

  // A wider font widens the label columns and the window with them, and the
  // window starts wide enough for the longest hint of status panel 0, as far
  // as the screen allows.
  const QSize extra(m_labelExtra, 0);
  setMinimumSize((kMinimumSize + extra).expandedTo(minimumSizeHint()));
  m_designedMinimumWidth = minimumWidth();
  KeepStatusPanelsWhole();
  int hint_width = m_statusBar->InitialHintWidth();
  if (const QScreen* s = screen()) {
    hint_width = std::min(hint_width, s->availableGeometry().width() - kFrameWidth);
  }
  resize((kInitialSize + extra).expandedTo(QSize(hint_width, 0)));
  setAcceptDrops(true);
  for (QWidget* w : findChildren<QWidget*>()) w->setToolTipDuration(kHintDisplayMs);
  setToolTipDuration(kHintDisplayMs);
}

void TMainWnd::KeepStatusPanelsWhole() {
  setMinimumWidth(std::max(m_designedMinimumWidth, m_statusBar->NeededWidth()));
}

void TMainWnd::GrowRightPane(int delta) {
  // The right pane keeps its grids whole; the scene tree keeps its width.
  m_rightPane->setFixedWidth(m_rightPane->minimumWidth() + delta);
  m_editor->LayOut();
  m_designedMinimumWidth += delta;
  KeepStatusPanelsWhole();
  resize(width() + delta, height());
}

bool TMainWnd::eventFilter(QObject* watched, QEvent* e) {
  if (LeaveUndoKeyToWindow(watched, e)) return true;
  if (watched == this && e->type() == QEvent::KeyPress) {
    // Keys that no control of the window took: Enter presses the focused
    // button, or else the default button.
    const auto* key = static_cast<QKeyEvent*>(e);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
          button && isAncestorOf(button) && button->isEnabled()) {
        button->click();
        return true;
      }
      if (m_editor->PressDefaultButton()) return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

bool TMainWnd::event(QEvent* e) {
  // The long part of hints goes to panel 0; the bar's own message line would
  // hide the panels.
  if (e->type() == QEvent::StatusTip) {
    m_statusBar->SetPanel(0, static_cast<QStatusTipEvent*>(e)->tip());
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
  switch (ShownChange(change).what) {
    case shown_change_t::what_t::Document:
      MarkDocumentInUse();
      ShowLoadedDocument();
      break;
    case shown_change_t::what_t::Saved:
      MarkDocumentInUse();  // the file saved is a new one, maybe under a new name
      SetCaption(FileName());
      break;
    case shown_change_t::what_t::Nothing:
    case shown_change_t::what_t::Selection:
    case shown_change_t::what_t::EditedPattern:
    case shown_change_t::what_t::StoredList:
    case shown_change_t::what_t::CurrentChoices:
    case shown_change_t::what_t::Memo:
      break;  // the panels show it
  }
  // The history heard the change first: what it can undo now.
  UpdateUndoActions();
}

}  // namespace qvl

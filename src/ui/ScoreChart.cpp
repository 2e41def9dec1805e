// The score chart's window: the view with its save button, following the
// session's change reports and the plan, placed beside the main window.
#include "ui/ScoreChart.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineSeries>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <span>

#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

const QString kSizeKey = QStringLiteral("ScoreChart/size");
const QString kPosKey = QStringLiteral("ScoreChart/pos");
// Translated where the dialog is shown (TScoreChartWindow::tr).
const char* const kPictureFilter =
    QT_TRANSLATE_NOOP("qvl::TScoreChartWindow", "PNG 画像 (*.png)|*.png|SVG 画像 (*.svg)|*.svg");

// The object name is for tests; what assistive technology says is Japanese.
template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

// A plain widget is a filler to assistive technology, even as a window of its
// own: the chart window is a frame, its view a chart.
QAccessibleInterface* ChartAccessible(const QString& class_name, QObject* object) {
  QAccessible::Role role = QAccessible::NoRole;
  if (class_name == QLatin1String(TScoreChartWindow::staticMetaObject.className())) {
    role = QAccessible::Window;
  } else if (class_name == QLatin1String(TScoreChartView::staticMetaObject.className())) {
    role = QAccessible::Chart;
  }
  auto* widget = qobject_cast<QWidget*>(object);
  return role != QAccessible::NoRole && widget ? new QAccessibleWidget(widget, role) : nullptr;
}

}  // namespace

TScoreChartWindow::TScoreChartWindow(const TDocumentSession& session, TChartPlan& plan,
                                     TDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_plan(plan), m_dialogs(dialogs) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(&ChartAccessible);
    return true;
  }();
  (void)factory_installed;
  Named(this, QStringLiteral("ScoreChartWindow"));
  m_view = Named(new TScoreChartView(this), QStringLiteral("ScoreChartView"));
  m_saveButton = Named(new QPushButton(this), QStringLiteral("ScoreChartSaveButton"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(m_view, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_saveButton);
  layout->addLayout(buttons);

  // Smaller, the axes' labels crowd out the plot and the button is cut off.
  setMinimumSize(480, 300);
  const QSize stored = QSettings().value(kSizeKey).toSize();
  resize(stored.isValid() && !stored.isEmpty() ? stored : QSize(900, 520));

  // The keys out: Esc and Ctrl+W close the chart, Ctrl+G goes back to the
  // main window (whose Ctrl+G comes back here).
  auto* close = new QAction(this);
  close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
  auto* back = new QAction(this);
  back->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(back, &QAction::triggered, this, [this] {
    if (QWidget* owner = parentWidget()) {
      owner->window()->raise();
      owner->window()->activateWindow();
    }
  });
  addAction(back);

  connect(m_saveButton, &QPushButton::clicked, this, &TScoreChartWindow::SaveButtonClick);
  connect(m_view, &TScoreChartView::PositionClicked, this, [this](int position) {
    emit NodeClicked(m_view->Data().stops[static_cast<std::size_t>(position)].node);
  });
  m_listener = m_session.AddListener([this](const session_change_t& c) { SessionChanged(c); },
                                     listener_rank_t::Chart);
  RetranslateUi();
}

void TScoreChartWindow::RetranslateUi() {
  setWindowTitle(TScoreChartView::Title());
  m_view->setAccessibleName(tr("スコア推移のグラフ"));
  m_saveButton->setText(tr("ファイルに保存(&S)"));
}

void TScoreChartWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) {
    RetranslateUi();
    // The stages' names and the axes' units come afresh in the new language.
    Refresh();
  }
  QWidget::changeEvent(e);
}

TScoreChartWindow::~TScoreChartWindow() {
  m_session.RemoveListener(m_listener);
}

void TScoreChartWindow::SessionChanged(const session_change_t& change) {
  switch (change.Kind()) {
    case change_kind_t::Unshown:
      return;
    case change_kind_t::Editing:
      // The editor starts afresh: the plan it calculated is gone.
      ClearPlan();
      return;
    case change_kind_t::Choices:
      // The plan stays and is counted against the new current patterns.
      Refresh();
      return;
    case change_kind_t::Contents:
      break;
  }
  m_plan.Clear();
  Refresh();
}

void TScoreChartWindow::Refresh() {
  if (!isVisible()) {
    m_stale = true;
    return;
  }
  m_stale = false;
  const root_t& root = m_session.Document();
  // An empty root that no file named: nothing was opened yet.
  if (root.ChildCount() == 0 && m_session.FileName().empty()) {
    m_view->ShowNoDocument();
    return;
  }
  m_view->SetData(ScoreChartData(root));
  m_view->SetPlan(m_plan.RunningTotals());
}

void TScoreChartWindow::ShowPlan(const scene_base_t& node, const pattern_base_t& pattern) {
  m_plan.Set(node, pattern);
  if (!isVisible() || m_stale) {
    Refresh();
    return;
  }
  m_view->SetPlan(m_plan.RunningTotals());
}

void TScoreChartWindow::ClearPlan() {
  m_plan.Clear();
  m_view->SetPlan({});
}

void TScoreChartWindow::PlaceBeside(const QWidget& owner) {
  const QWidget& main = *owner.window();
  QScreen* screen = main.screen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  const QPoint stored = QSettings().value(kPosKey, QPoint(INT_MIN, INT_MIN)).toPoint();
  if (stored != QPoint(INT_MIN, INT_MIN)) {
    for (const QScreen* s : QGuiApplication::screens()) {
      if (s->availableGeometry().intersects(QRect(stored, size()))) {
        move(stored);
        return;
      }
    }
  }
  // The frame around the chart is as wide as the main window's.
  const QRect main_frame = main.frameGeometry();
  const QMargins frame(
      main.geometry().left() - main_frame.left(), main.geometry().top() - main_frame.top(),
      main_frame.right() - main.geometry().right(), main_frame.bottom() - main.geometry().bottom());
  // A remembered size larger than the screen is brought back onto it.
  if (!available.isEmpty()) {
    resize(size().boundedTo(available.size().shrunkBy(frame)).expandedTo(minimumSize()));
  }
  const QSize outer = size().grownBy(frame);
  const int top =
      available.isEmpty()
          ? main_frame.top()
          : std::clamp(main_frame.top(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - outer.height()));
  QPoint at;
  if (available.isEmpty() || main_frame.right() + outer.width() <= available.right()) {
    at = QPoint(main_frame.right() + 1, top);
  } else if (main_frame.left() - outer.width() >= available.left()) {
    at = QPoint(main_frame.left() - outer.width(), top);
  } else {
    // Over the main window's right part, below its menu bar so that the
    // menus stay in reach.
    const auto* window = qobject_cast<const QMainWindow*>(&main);
    const int menu =
        window != nullptr && window->menuBar() != nullptr
            ? window->menuBar()->mapTo(&main, QPoint(0, window->menuBar()->height())).y()
            : 0;
    const int right = std::min(main_frame.right(), available.right());
    at = QPoint(std::max(available.left(), right + 1 - outer.width()),
                std::max(available.top(), main.geometry().top() + menu));
  }
  move(at);
}

void TScoreChartWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (m_stale) Refresh();
}

void TScoreChartWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (isVisible()) QSettings().setValue(kSizeKey, size());
}

void TScoreChartWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (isVisible()) QSettings().setValue(kPosKey, pos());
}

void TScoreChartWindow::SaveButtonClick() {
  // The first picture goes beside the document, named after it.
  const QFileInfo document(FromPath(m_session.FileName()));
  const bool named = !m_session.FileName().empty();
  const QString dir = !m_saveDir.isEmpty() ? m_saveDir
                      : named              ? document.absolutePath()
                                           : QString();
  const QString name =
      (named ? document.completeBaseName() : windowTitle()) + QStringLiteral(".png");
  const std::optional<QString> chosen =
      m_dialogs.SaveFileName(this, {tr(kPictureFilter), QStringLiteral("png"), dir, name});
  if (!chosen) return;
  const QFileInfo info(*chosen);
  const QString suffix = info.suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg")) {
    m_dialogs.Error(this, TScoreChartView::NoPictureFormatMessage(info.fileName()));
    return;
  }
  const QString full_name = QDir::toNativeSeparators(info.absoluteFilePath());
  const QByteArray bytes = m_view->Picture(suffix);
  const save_result_t result =
      WriteFileAtomically(ToPath(full_name), std::string_view(bytes.constData(), bytes.size()));
  if (!result.ok) {
    m_dialogs.Error(
        this, FileMessage(SaveFailureMessage(ToPath(full_name), result.error), ToPath(full_name)));
    return;
  }
  m_saveDir = info.absolutePath();
}

}  // namespace qvl

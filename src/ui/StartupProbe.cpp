#include "ui/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <utility>

namespace qvl {
namespace {

// Catches the first paint of any widget inside the window; the report waits
// until the event loop is idle again, when the whole frame has been painted
// and flushed.
class TFirstPaint : public QObject {
 public:
  TFirstPaint(QWidget& window, std::function<void()> then)
      : QObject(&window), m_window(window), m_then(std::move(then)) {}

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (!m_seen && e->type() == QEvent::Paint && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w == &m_window || m_window.isAncestorOf(w)) {
        m_seen = true;
        QMetaObject::invokeMethod(this, m_then, Qt::QueuedConnection);
      }
    }
    return false;
  }

 private:
  QWidget& m_window;
  std::function<void()> m_then;
  bool m_seen = false;
};

}  // namespace

bool InstallStartupProbe(QWidget& window) {
  if (qEnvironmentVariableIsEmpty("QVL_STARTUP_PROBE")) return false;
  QCoreApplication::instance()->installEventFilter(new TFirstPaint(window, [] {
    std::fputs("painted\n", stdout);
    std::fflush(stdout);
    QCoreApplication::quit();
  }));
  return true;
}

bool InstallScreenshot(QWidget& window) {
  const QString file = qEnvironmentVariable("QVL_SCREENSHOT");
  if (file.isEmpty()) return false;
  QWidget* w = &window;
  QCoreApplication::instance()->installEventFilter(new TFirstPaint(window, [w, file] {
    // A moment for fonts and late layout to settle before the picture.
    QTimer::singleShot(500, w, [w, file] {
      const bool saved = w->grab().save(file, "PNG");
      std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", qPrintable(file));
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }));
  return true;
}

}  // namespace qvl

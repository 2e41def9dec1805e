// The yardstick of bench_startup: the same application set-up as quovel-pm
// with an empty QMainWindow, reporting its first painted frame.
#include <QApplication>
#include <QMainWindow>

#include "ui/AppInfo.h"
#include "ui/StartupProbe.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  QMainWindow window;
  window.resize(846, 855);
  qvl::InstallStartupProbe(window);
  window.show();
  return QApplication::exec();
}

// Quovel pattern manager: the application, its main window, the message loop.
#include <QApplication>

#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/StartupProbe.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  qvl::TQtDialogs dialogs;
  qvl::TMainWnd window(dialogs, QApplication::arguments().mid(1),
                       qvl::ApplicationDirFor(QCoreApplication::applicationDirPath()));
  qvl::InstallStartupProbe(window);
  qvl::InstallScreenshot(window);
  window.show();
  return QApplication::exec();
}

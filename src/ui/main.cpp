// Quovel pattern manager: the application, its main window, the message loop.
#include <QApplication>

#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/ScoreChartExport.h"
#include "ui/StartupProbe.h"
#include "ui/WindowSettings.h"

int main(int argc, char* argv[]) {
  if (qvl::IsExportChartCommand(argc, argv)) return qvl::RunExportChart(argc, argv);
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  QStringList arguments = QApplication::arguments().mid(1);
  qvl::HandleResetSettingsOption(arguments);
  qvl::TQtDialogs dialogs;
  qvl::TMainWnd window(dialogs, arguments,
                       qvl::ApplicationDirFor(QCoreApplication::applicationDirPath()));
  window.RememberSettings();
  qvl::InstallStartupProbe(window);
  qvl::InstallScreenshot(window);
  window.show();
  return QApplication::exec();
}

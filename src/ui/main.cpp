// Quovel pattern manager: the application, its main window, the message loop.
#include <QApplication>

#include <cstdio>

#include "ui/AppInfo.h"
#include "ui/CommandLine.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/MainWnd.h"
#include "ui/Platform.h"
#include "ui/ScoreChartExport.h"
#include "ui/StartupProbe.h"
#include "ui/WindowSettings.h"

int main(int argc, char* argv[]) {
  qvl::ConnectStandardStreams();
  if (qvl::IsExportChartCommand(argc, argv)) return qvl::RunExportChart(argc, argv);
  // --help and --version answer on a terminal without a display too.
  if (qvl::AsksForAnswerOnly(argc, argv)) qvl::PrepareWindowlessRun();
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  QStringList arguments = QApplication::arguments().mid(1);
  // The language asked for on the command line holds for this run only.
  const qvl::language_option_t lang = qvl::TakeLanguageOption(arguments);
  if (!lang.error.isEmpty()) {
    std::fprintf(stderr, "quovel-pm: %s\n", qPrintable(lang.error));
    return 2;
  }
  qvl::SetWindowLanguage(lang.language.value_or(qvl::StoredLanguage()));
  if (const std::optional<int> status = qvl::AnswerCommandLine(arguments)) return *status;
  // Settings are cleared only for a run that starts the window. Cleared
  // settings hold no language: then the one asked for, else Japanese.
  if (qvl::HandleResetSettingsOption(arguments)) {
    qvl::SetWindowLanguage(lang.language.value_or(qvl::StoredLanguage()));
  }
  qvl::TQtDialogs dialogs;
  qvl::TMainWnd window(dialogs, arguments,
                       qvl::ApplicationDirFor(QCoreApplication::applicationDirPath()));
  window.RememberSettings();
  qvl::InstallStartupProbe(window);
  qvl::InstallScreenshot(window);
  window.show();
  return QApplication::exec();
}

// The score chart drawn into a file from the command line, without a window:
// quovel-pm --export-chart PLAN.pat OUT.png|OUT.svg [--size WxH] [--lang ja|en].
#pragma once

#include <QStringList>

namespace qvl {

// Whether the program's arguments ask for a chart file (the option first).
[[nodiscard]] bool IsExportChartCommand(int argc, char** argv);

// Runs the command on the arguments after the program's name and returns the
// exit status as qvl does: 0 written, 2 a wrong command line, 3 the plan not
// loaded or the picture not written. Messages go to standard error in UTF-8,
// in the language of the picture (--lang, else the one the window last
// used). Needs a QApplication; sets the program's language.
[[nodiscard]] int ExportChart(QStringList arguments);

// The whole program for the command: an application on Qt's offscreen
// platform (no display needed) whose own chatter is kept off standard error.
[[nodiscard]] int RunExportChart(int argc, char** argv);

}  // namespace qvl

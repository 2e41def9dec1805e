// The window program's own command-line answers: --help and --version print
// and end the run, as a command-line user expects of any program, and an
// option the program does not know is refused instead of being opened as a
// document.
#pragma once

#include <QStringList>

#include <optional>

namespace qvl {

// Whether the arguments ask only for an answer on the terminal (--help,
// --version): such a run needs no display.
[[nodiscard]] bool AsksForAnswerOnly(int argc, char** argv);

// Before the application is made, for a run that shows no window: Qt's
// offscreen platform (no display needed), and Qt's own chatter about it kept
// off standard error; its failures still go there.
void PrepareWindowlessRun();

// arguments: the program's arguments after its name, once Qt and --lang have
// taken theirs (--reset-settings is known and left to the caller). Returns the exit status when the
// run ends here (0 after
// --help or --version, 2 for an unknown option, with its message on standard
// error); nothing when the window is to start.
[[nodiscard]] std::optional<int> AnswerCommandLine(const QStringList& arguments);

}  // namespace qvl

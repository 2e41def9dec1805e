// Where the window program meets the system beyond what Qt covers: one
// implementation per platform (Platform_posix.cpp, Platform_win32.cpp), which
// also make the file names of QtText.h.
#pragma once

namespace qvl {

// First thing in main: makes standard output and standard error reach the
// caller. A Windows window program has no console of its own; started from
// one it answers there, and redirected it writes into the pipe or file it was
// given, the same bytes as elsewhere.
void ConnectStandardStreams();

// The Qt platform for a run that shows no window (--help, --version,
// --export-chart): one that needs no display and still draws text with the
// system's fonts.
const char* WindowlessPlatform();

}  // namespace qvl

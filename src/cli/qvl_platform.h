// What qvl needs of the system before it parses its command line: the
// arguments as UTF-8 and standard streams that pass bytes unchanged.
// qvl_platform_posix.cpp and qvl_platform_win32.cpp implement it.
#pragma once

#include <string>
#include <vector>

namespace qvl::cli {

// Sets up the process and returns its arguments, the program's name first,
// in UTF-8 on Windows and as given elsewhere.
[[nodiscard]] std::vector<std::string> StartProcess(int argc, char** argv);

}  // namespace qvl::cli

#include "cli/qvl_platform.h"

#include <csignal>

namespace qvl::cli {

std::vector<std::string> StartProcess(int argc, char** argv) {
  // A file-size limit then fails a write with EFBIG, which is reported like a
  // full disk, instead of ending qvl without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace qvl::cli

#include "ui/Platform.h"

namespace qvl {

void ConnectStandardStreams() {
  // A program started from a terminal or a pipe has its streams already.
}

const char* WindowlessPlatform() {
  return "offscreen";
}

}  // namespace qvl

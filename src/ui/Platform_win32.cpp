#include "ui/Platform.h"

// Qt's headers before windows.h, whose min and max macros they cannot take.
#include "ui/QtText.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

namespace qvl {
namespace {

bool Usable(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

UINT g_caller_code_page = 0;

void RestoreCodePage() {
  std::fflush(stdout);
  std::fflush(stderr);
  SetConsoleOutputCP(g_caller_code_page);
}

}  // namespace

void ConnectStandardStreams() {
  const bool out = Usable(STD_OUTPUT_HANDLE);
  const bool err = Usable(STD_ERROR_HANDLE);
  // Handles given by the caller (a pipe, a file) are the C runtime's streams
  // already; only what is missing is taken from the caller's console, when
  // there is one. Double-clicked, the program has none and writes nowhere.
  if ((!out || !err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (!out) (void)std::freopen("CONOUT$", "w", stdout);
    if (!err) (void)std::freopen("CONOUT$", "w", stderr);
    // The texts are UTF-8; the console shows them so while the program runs
    // and gets its own code page back at the end.
    g_caller_code_page = GetConsoleOutputCP();
    if (g_caller_code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreCodePage);
  }
  // The same bytes as on other systems: no LF becomes CR LF on the way.
  (void)_setmode(_fileno(stdout), _O_BINARY);
  (void)_setmode(_fileno(stderr), _O_BINARY);
}

const char* WindowlessPlatform() {
  // Qt for Windows has no offscreen platform; the minimal one draws into
  // images and, with its fonts enabled, uses the system's fonts as the window
  // would.
  return "minimal:enable_fonts";
}

// Windows names are UTF-16 like QString; the narrow form would go through the
// ANSI code page, which cannot hold every name.
std::filesystem::path ToPath(const QString& file_name) {
  return std::filesystem::path(file_name.toStdWString());
}

QString FromPath(const std::filesystem::path& path) {
  return QString::fromStdWString(path.native());
}

}  // namespace qvl

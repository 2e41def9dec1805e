#!/usr/bin/env bash
# Cross-builds the core, qvl and the core tests for 64-bit Windows into
# build-windows/ and runs the core tests and qvl's process tests under Wine.
# Then the window: quovel-pm.exe against a Qt for MinGW, deployed as a Windows
# folder, tried under Wine (--version, --help, --export-chart of every
# template, the window on an Xvfb display), packed into the installer, which
# is installed, used through its file type and uninstalled under Wine.
# Installs what it needs from Debian and builds GoogleTest for MinGW from
# Debian's sources (Debian has no GoogleTest for MinGW). Exits non-zero on
# any failure.
#
# Qt for MinGW, which Debian does not have: the archive in QVL_QT_MINGW_ARCHIVE,
# else ../shared/toolchains/qt-6.4.2-mingw-w64.tar.xz beside the repository
# (unpacked once into build-windows/qt-mingw), else a Qt 6.4 or later for
# MinGW in CMAKE_PREFIX_PATH; with none, the window's part is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build-windows"
JOBS=${JOBS:-$(nproc)}

"$ROOT/scripts/install-deps.sh" cmake ninja-build g++ python3 libicu-dev \
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest libcli11-dev nlohmann-json3-dev \
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-translations-l10n \
  nsis xvfb xauth x11-utils fonts-ipafont-gothic

# Clones in other folders share the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT}

started=$SECONDS
step() { printf '\n=== %s (at %d s) ===\n' "$*" "$((SECONDS - started))"; }

# A Wine prefix of our own, started once: without a running wineserver and a
# finished wineboot, the first program's background services hold its pipes
# open until a time-out.
export WINEPREFIX="$BUILD/wine-prefix"
export WINEDEBUG=-all
# Without Mono, Gecko and the menu builder: the last would copy the
# installer's Start-menu entry and file type into the Linux desktop's.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
step "Wine"
# An X display of its own for the window, there before Wine starts: Wine's
# desktop process, started with the prefix, keeps the display it found, and
# a window started later on another display never appears. Xvfb picks a
# free display number and writes it when it is ready.
wine_tmp="$BUILD/wine-tmp"
mkdir -p "$wine_tmp"
rm -f "$wine_tmp/display"
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$wine_tmp/display" 2>/dev/null &
xvfb_pid=$!
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$wine_tmp/display" ] && break; sleep 0.1; done
[ -s "$wine_tmp/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$wine_tmp/display")"
# A wineserver of this prefix left from an earlier run may hold another
# display: this run starts its own.
wineserver -k >/dev/null 2>&1 || true
wineserver -p
wineboot -i >/dev/null 2>&1

step "GoogleTest for MinGW"
gtest_install="$BUILD/googletest"
if [ ! -f "$gtest_install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$BUILD/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest_install" >/dev/null
  cmake --build "$BUILD/googletest-build" -j "$JOBS"
  cmake --install "$BUILD/googletest-build" >/dev/null
fi

# CLI11 and nlohmann-json are header-only; the cross build gets their headers
# alone, not the host's /usr/include.
headers="$BUILD/header-only"
rm -rf "$headers" && mkdir -p "$headers"
cp -r /usr/include/CLI /usr/include/nlohmann "$headers/"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# The Linux qvl that qvl.exe must agree with byte for byte: the one given in
# QVL_NATIVE (./test.sh passes its own build's), else one built here.
native=${QVL_NATIVE:-}
if [ -z "$native" ]; then
  step "Linux qvl to compare with"
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQVL_CORE_ONLY=ON -DQVL_BENCH=OFF -DBUILD_TESTING=OFF -DQVL_WERROR=ON "${launcher[@]}" >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS" --target qvl
  native="$BUILD/native/bin/qvl"
fi

step "cross build"
# Release: the same optimisation as RelWithDebInfo, without the debug
# information that makes MinGW's static links slow.
cmake -S "$ROOT" -B "$BUILD/qvl" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DQVL_CORE_ONLY=ON -DQVL_BENCH=OFF -DQVL_WERROR=ON "${launcher[@]}" \
  -DGTest_DIR="$gtest_install/lib/cmake/GTest" -DQVL_HEADER_ONLY_INCLUDE="$headers" \
  -DQVL_NATIVE_QVL="$native"
cmake --build "$BUILD/qvl" -j "$JOBS"

step "tests under Wine"
# On a loaded machine Wine now and then fails to start a program at all: it
# ends at once, before the test's first line. Such a test is run once more; a
# test that fails twice fails.
ctest --test-dir "$BUILD/qvl" --output-on-failure -j "$JOBS" --timeout 300 --repeat until-pass:2

step "Qt for Windows"
qt_archive=${QVL_QT_MINGW_ARCHIVE:-$ROOT/../shared/toolchains/qt-6.4.2-mingw-w64.tar.xz}
qt_prefix=""
if [ -f "$qt_archive" ]; then
  qt_prefix="$BUILD/qt-mingw"
  stamp="$qt_prefix/.unpacked-from"
  this_archive="$(realpath "$qt_archive") $(stat -c '%s %Y' "$qt_archive")"
  if [ "$(cat "$stamp" 2>/dev/null)" != "$this_archive" ]; then
    rm -rf "$qt_prefix" && mkdir -p "$qt_prefix"
    tar -xJf "$qt_archive" -C "$qt_prefix"
    echo "$this_archive" >"$stamp"
  fi
  echo "Qt for MinGW from $qt_archive"
else
  IFS=';:' read -r -a prefixes <<<"${CMAKE_PREFIX_PATH:-}"
  for p in "${prefixes[@]}"; do
    if [ -f "$p/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] && [ -f "$p/bin/Qt6Core.dll" ]; then
      qt_prefix=$p
      break
    fi
  done
  if [ -z "$qt_prefix" ]; then
    echo "No Qt for MinGW: neither $qt_archive (QVL_QT_MINGW_ARCHIVE) nor a Qt 6.4 or later"
    echo "for MinGW in CMAKE_PREFIX_PATH; quovel-pm.exe is neither built nor tested."
    step "Windows tests passed (core and qvl only)"
    exit 0
  fi
  echo "Qt for MinGW from CMAKE_PREFIX_PATH: $qt_prefix"
fi

step "window cross build and installer"
window="$BUILD/window"
cmake -S "$ROOT" -B "$window" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DQVL_MINGW_SHARED_RUNTIME=ON \
  -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_TESTING=OFF -DQVL_BENCH=OFF -DQVL_WERROR=ON "${launcher[@]}" \
  -DQVL_HEADER_ONLY_INCLUDE="$headers" >/dev/null
cmake --build "$window" -j "$JOBS" --target windows-installer
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$window/CMakeCache.txt")
setup="$window/quovel-pm-setup-$version.exe"
folder="$window/windows-stage"
[ -f "$setup" ] || { echo "no $setup"; exit 1; }
python3 "$ROOT/scripts/check-windows-folder.py" "$folder"

# The Linux window whose charts quovel-pm.exe must match in size: the one
# given in QVL_NATIVE_WINDOW (./test.sh passes its own build's), else one
# built here.
native_window=${QVL_NATIVE_WINDOW:-}
if [ -z "$native_window" ]; then
  step "Linux window to compare with"
  cmake -S "$ROOT" -B "$BUILD/native-window" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQVL_BENCH=OFF -DBUILD_TESTING=OFF -DQVL_WERROR=ON "${launcher[@]}" >/dev/null
  cmake --build "$BUILD/native-window" -j "$JOBS" --target quovel-pm
  native_window="$BUILD/native-window/bin/quovel-pm"
fi

step "window under Wine"
out="$BUILD/window-tests"
rm -rf "$out" && mkdir -p "$out"
winpath() { winepath -w "$1" 2>/dev/null; }
exe="$folder/quovel-pm.exe"
# A window program's answers reach a pipe as they do on Linux.
version_line=$(timeout 120 wine "$exe" --version)
[ "$version_line" = "$("$native_window" --version)" ] || { echo "--version: '$version_line'"; exit 1; }
[ "$(timeout 120 wine "$exe" --lang ja --help)" = "$("$native_window" --lang ja --help)" ] ||
  { echo "--help differs from Linux"; exit 1; }
echo "--version and --help answer as on Linux: $version_line"
# Every template's chart, drawn without a display, in the size the Linux
# program draws it.
for template in "$ROOT"/template/*.pat; do
  name=$(basename "$template" .pat)
  QT_QPA_PLATFORM=offscreen "$native_window" --export-chart "$template" "$out/$name-linux.png" --lang ja
  timeout 120 wine "$exe" --export-chart "$(winpath "$template")" "$(winpath "$out/$name.png")" --lang ja ||
    { echo "--export-chart $name failed"; exit 1; }
  python3 - "$out/$name.png" "$out/$name-linux.png" <<'PY'
import struct, sys
def size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    return struct.unpack(">II", head[16:24])
windows, linux = size(sys.argv[1]), size(sys.argv[2])
print(f"  {sys.argv[1].rsplit('/', 1)[-1]}: {windows[0]}x{windows[1]}")
if windows != linux:
    sys.exit(f"{sys.argv[1]}: {windows}, the Linux chart {linux}")
PY
done

# The window on the Xvfb display, with the Hard template open: it saves a
# picture of itself once painted (QVL_SCREENSHOT) and ends.
shot="$out/screenshot-windows.png"
wine reg delete 'HKCU\Software\quovel-pm' /f >/dev/null 2>&1 || true
QVL_SCREENSHOT="$(winpath "$shot")" timeout 180 wine "$exe" "$(winpath "$folder/template/qvl_hard.pat")"
# Its settings go where Windows programs keep theirs: the registry.
recent=$(wine reg query 'HKCU\Software\quovel-pm\quovel-pm\RecentFiles' /v files 2>/dev/null || true)
[[ "$recent" == *qvl_hard.pat* ]] || { echo "the window's settings are not in the registry"; exit 1; }
echo "its settings are in the registry"
python3 - "$shot" <<'PY'
import struct, sys
with open(sys.argv[1], "rb") as f:
    head = f.read(24)
w, h = struct.unpack(">II", head[16:24])
print(f"the window appeared, {w}x{h}: {sys.argv[1]}")
if head[:8] != b"\x89PNG\r\n\x1a\n" or w < 600 or h < 400:
    sys.exit("no picture of the window")
PY

step "installer under Wine"
"$ROOT/scripts/test-windows-installer.sh" "$setup" "$folder" "$out"

step "Windows tests passed"

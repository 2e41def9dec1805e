#!/usr/bin/env bash
# Cross-builds the core, qvl and the core tests for 64-bit Windows into
# build-windows/ and runs the core tests and qvl's process tests under Wine.
# Installs what it needs from Debian and builds GoogleTest for MinGW from
# Debian's sources (Debian has no GoogleTest for MinGW). Exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build-windows"
JOBS=${JOBS:-$(nproc)}

"$ROOT/scripts/install-deps.sh" cmake ninja-build g++ python3 libicu-dev \
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest libcli11-dev nlohmann-json3-dev

# Clones in other folders share the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT}

started=$SECONDS
step() { printf '\n=== %s (at %d s) ===\n' "$*" "$((SECONDS - started))"; }

# A Wine prefix of our own, started once: without a running wineserver and a
# finished wineboot, the first program's background services hold its pipes
# open until a time-out.
export WINEPREFIX="$BUILD/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
step "Wine"
wineserver -p || true  # fails only when it is running already
wineboot -i >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

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
ctest --test-dir "$BUILD/qvl" --output-on-failure -j "$JOBS" --timeout 300

step "Windows tests passed"

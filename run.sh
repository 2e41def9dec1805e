#!/usr/bin/env bash
# Builds the program (Release, in build-release) and starts it, passing every
# argument on: ./run.sh [pattern file]
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
BUILD="$ROOT/build-release"
JOBS=${JOBS:-$(nproc)}

"$ROOT/scripts/install-deps.sh"

# Warnings are errors in the test build (test.sh); here they must not keep a
# user from running the program.
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVL_BENCH=OFF \
  -DBUILD_TESTING=OFF -DQVL_WERROR=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target quovel-pm qvl

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
There is no display here (DISPLAY and WAYLAND_DISPLAY are empty), so the window
of quovel-pm cannot be shown. Built: $BUILD/bin/quovel-pm

Without a display, use the command-line tool instead:
  $BUILD/bin/qvl --help
MSG
  exit 1
fi

exec "$BUILD/bin/quovel-pm" "$@"

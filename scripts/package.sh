#!/usr/bin/env bash
# Builds the Debian package from a Release build (in build-release, shared with
# run.sh), checks it with lintian and prints its path:
# ./scripts/package.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build-release"
OUT=$(realpath -m "${1:-$ROOT/dist}")
JOBS=${JOBS:-$(nproc)}

"$ROOT/scripts/install-deps.sh"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVL_BENCH=OFF \
  -DBUILD_TESTING=OFF -DQVL_WERROR=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS"
mkdir -p "$OUT"
(cd "$BUILD" && cpack -G DEB -B "$OUT" >/dev/null)
rm -rf "$OUT/_CPack_Packages"
deb=$(ls -t "$OUT"/quovel-pm_*.deb | head -n 1)
# A package that Debian's checker finds an error or a warning in is not done.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >&2
echo "$deb"

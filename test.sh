#!/usr/bin/env bash
# Builds everything and runs every test: the normal build with all tests,
# the core again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# core, qvl and the window cross-built for Windows and tried under Wine with
# the installer (scripts/test-windows.sh),
# and the fuzz targets for a bounded time. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}

"$ROOT/scripts/install-deps.sh"

step() { printf '\n=== %s ===\n' "$*"; }

step "build"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQVL_WERROR=ON
cmake --build "$ROOT/build" -j "$JOBS"

step "tests"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$ROOT/build" --output-on-failure -j "$JOBS" --timeout 120

step "benchmarks, each once briefly"
# Not to time anything: a benchmark program that crashes (also at exit) or
# fails to start fails here. Their figures are thrown away.
for bench in "$ROOT"/build/bin/bench_*; do
  [ -x "$bench" ] || continue
  echo "$(basename "$bench")"
  QT_QPA_PLATFORM=offscreen "$bench" --benchmark_min_time=0.01 >/dev/null
done

step "core tests under ASan and UBSan"
cmake -S "$ROOT" -B "$ROOT/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQVL_SANITIZE=ON -DQVL_CORE_ONLY=ON -DQVL_BENCH=OFF -DQVL_WERROR=ON
cmake --build "$ROOT/build-asan" -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$JOBS" --timeout 120

step "core, qvl and the window for Windows, under Wine"
QVL_NATIVE="$ROOT/build/bin/qvl" QVL_NATIVE_WINDOW="$ROOT/build/bin/quovel-pm" JOBS="$JOBS" \
  "$ROOT/scripts/test-windows.sh"

if [ -f "$ROOT/fuzz/CMakeLists.txt" ]; then
  step "fuzzing"
  cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQVL_FUZZ=ON -DQVL_CORE_ONLY=ON -DQVL_BENCH=OFF -DBUILD_TESTING=OFF -DQVL_WERROR=OFF
  cmake --build "$ROOT/build-fuzz" -j "$JOBS"
  seconds=${QVL_FUZZ_SECONDS:-30}
  for target in "$ROOT"/build-fuzz/bin/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work="$ROOT/build-fuzz/corpus/$name"
    rm -rf "$work" && mkdir -p "$work"
    if [ -d "$ROOT/fuzz/corpus/$name" ]; then cp -r "$ROOT/fuzz/corpus/$name/." "$work/"; fi
    options=()
    if [ -f "$ROOT/fuzz/$name.dict" ]; then options+=(-dict="$ROOT/fuzz/$name.dict"); fi
    if [ "$name" = fuzz_sxml ]; then
      # The templates are the reader's seeds, taken from where they live (their
      # first 4 KB); short inputs keep it fast. Every cut of a whole template is
      # the document tests' job.
      cp "$ROOT"/template/*.pat "$work/"
      options+=(-max_len=4096)
    fi
    echo "fuzzing $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${options[@]}" \
      -artifact_prefix="$ROOT/build-fuzz/" \
      -print_final_stats=1 "$work" 2>&1 | tail -n 15
  done
fi

step "all tests passed"

#!/usr/bin/env bash
# Takes docs/screenshot-hard.png: starts quovel-pm under Xvfb with the Hard
# template open and lets the program save a picture of its own window. Then
# qvl_screenshot_tour plays a first plan on the same template and takes
# docs/screenshot-plan.png (a calculated comparison) and
# docs/screenshot-hint.png (the hover hint of a term) and
# docs/screenshot-chart.png (the score build-up chart with the new plan).
# Then docs/screenshot-english.png: the first picture with the window in
# English (quovel-pm --lang en), and last the tour's pictures in English in
# docs/en/ for the English guide.
# Usage: scripts/screenshot.sh [build folder]  (default: build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:-"$ROOT/build-release"}
OUT="$ROOT/docs/screenshot-hard.png"

"$ROOT/scripts/install-deps.sh"
if [ ! -x "$BUILD/bin/quovel-pm" ] || [ ! -x "$BUILD/bin/qvl_screenshot_tour" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQVL_BENCH=OFF \
    -DBUILD_TESTING=OFF -DQVL_WERROR=OFF >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target quovel-pm qvl_screenshot_tour
fi

mkdir -p "$ROOT/docs"
# The program's settings of its own: the pictures must not follow the window
# sizes or the language the user's settings remember, nor the templates join
# the user's recent files.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
rm -f "$OUT"
# The template is opened as the program's argument, exactly as a user would;
# the language is given, whatever the user running this chose in the menu.
QVL_SCREENSHOT="$OUT" timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
  env QT_QPA_PLATFORM=xcb "$BUILD/bin/quovel-pm" --lang ja "$BUILD/bin/template/qvl_hard.pat"
[ -s "$OUT" ] || { echo "no screenshot was written" >&2; exit 1; }
echo "wrote $OUT"

ENGLISH="$ROOT/docs/screenshot-english.png"
rm -f "$ENGLISH"
QVL_SCREENSHOT="$ENGLISH" timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
  env QT_QPA_PLATFORM=xcb "$BUILD/bin/quovel-pm" --lang en "$BUILD/bin/template/qvl_hard.pat"
[ -s "$ENGLISH" ] || { echo "no English screenshot was written" >&2; exit 1; }
echo "wrote $ENGLISH"

rm -f "$ROOT/docs/screenshot-plan.png" "$ROOT/docs/screenshot-hint.png" \
  "$ROOT/docs/screenshot-chart.png"
timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$BUILD/bin/qvl_screenshot_tour" "$BUILD/bin/template/qvl_hard.pat" "$ROOT/docs"
for picture in screenshot-plan.png screenshot-hint.png screenshot-chart.png; do
  [ -s "$ROOT/docs/$picture" ] || { echo "no $picture was written" >&2; exit 1; }
done

# The same tour in English, for the English guide (docs/help/en.md).
mkdir -p "$ROOT/docs/en"
rm -f "$ROOT/docs/en/"screenshot-*.png
timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$BUILD/bin/qvl_screenshot_tour" --lang en "$BUILD/bin/template/qvl_hard.pat" "$ROOT/docs/en"
for picture in screenshot-plan.png screenshot-hint.png screenshot-chart.png; do
  [ -s "$ROOT/docs/en/$picture" ] || { echo "no English $picture was written" >&2; exit 1; }
done

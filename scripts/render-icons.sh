#!/usr/bin/env bash
# Renders the hicolor PNG sizes of the program's icon and of the pattern file
# icon from their SVG drawings. The PNGs are kept in the repository, so that
# building needs no SVG renderer; run this after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
ICONS=resources/icons/hicolor

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2
  exit 1
fi

for context in apps mimetypes; do
  for svg in "$ICONS/scalable/$context"/*.svg; do
    name=$(basename "$svg" .svg)
    for size in 16 22 24 32 48 64 128 256; do
      out="$ICONS/${size}x${size}/$context/$name.png"
      mkdir -p "$(dirname "$out")"
      rsvg-convert --width "$size" --height "$size" "$svg" --output "$out"
    done
  done
done
echo "rendered into $ICONS"

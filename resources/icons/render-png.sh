#!/usr/bin/env bash
# Renders the PNG sizes of the icon from tarnwick.svg. Run it after changing the drawing and
# commit the PNGs with it: the build and the package use the committed files and need no
# converter. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
  mkdir -p "$here/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" "$here/tarnwick.svg" \
    --output "$here/${size}x${size}/tarnwick.png"
done

#!/usr/bin/env bash
# Renders the program icon's PNG sizes from fegolin.svg. The PNGs are
# committed, so building needs no SVG renderer; run this after changing the
# drawing (needs rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"

for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" fegolin.svg --output "fegolin-$size.png"
done

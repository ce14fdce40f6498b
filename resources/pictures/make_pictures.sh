#!/usr/bin/env bash
# Renders the splash and Info page pictures from their SVG drawings as JPEG
# files at their own size and at twice the size (NAME@2x.jpg, for screens
# with two or more device pixels per point). The JPEG files are committed,
# so building needs no SVG renderer; run this after changing a drawing
# (needs rsvg-convert from librsvg2-bin, ImageMagick's convert and the
# DejaVu fonts).
set -euo pipefail
cd "$(dirname "$0")"

for name in splash info; do
  for scale in 1 2; do
    suffix=$([ "$scale" = 1 ] && echo "" || echo "@${scale}x")
    rsvg-convert --zoom "$scale" "$name.svg" --output "$name$suffix.png"
    # No chroma subsampling: the thin lines and the lettering keep their colour.
    convert "$name$suffix.png" -background white -flatten -strip -sampling-factor 1x1 -quality 92 \
      "$name$suffix.jpg"
    rm "$name$suffix.png"
  done
done

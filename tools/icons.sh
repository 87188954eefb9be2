#!/usr/bin/env bash
# Draws every copy of the game's icon from packaging/icons/ranks.svg: the
# desktop's sizes, the page's two and ranks.exe's .ico. Run from the
# repository root after changing the picture, and commit what it wrote.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
svg=packaging/icons/ranks.svg
png() { rsvg-convert -w "$1" -h "$1" "$svg" -o "$2"; }
for size in 16 22 24 32 48 64 128 256 512; do
  png "$size" "packaging/icons/ranks-$size.png"
done
png 192 web/icon-192.png
cp packaging/icons/ranks-512.png web/icon-512.png
icotool -c -o packaging/windows/ranks.ico packaging/icons/ranks-{16,32,48}.png -r packaging/icons/ranks-256.png

#!/usr/bin/env bash
# Renders the menu icons from their SVG sources (needs rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for svg in *.svg; do
  rsvg-convert -w 16 -h 16 -o "${svg%.svg}.png" "$svg"
done
# The window's icon, from the shipped one, at the sizes taskbars and window switchers ask for.
for size in 16 32 48 64 128; do
  rsvg-convert -w "$size" -h "$size" -o "velorin-$size.png" ../velorin.svg
done

#!/usr/bin/env bash
# Renders the program's icon (data/icons/zorvane-picker.svg) into the PNG sizes
# that are committed beside it. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 16 22 24 32 48 64 128 256 512; do
  rsvg-convert -w "$size" -h "$size" zorvane-picker.svg -o "zorvane-picker-$size.png"
done

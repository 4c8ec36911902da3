#!/usr/bin/env bash
# Renders data/icons/quorvane.svg into the PNG sizes the package installs.
# Run after changing the SVG and commit the PNGs with it.
set -euo pipefail
icons="$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/icons" && pwd)"
for size in 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/quorvane.svg" -o "$icons/quorvane-$size.png"
done

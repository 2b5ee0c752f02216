#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG (needs
# rsvg-convert from librsvg2-bin). Run after changing desktop/cz.veldo.orv.svg
# and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")/../desktop"
for size in 48 256; do
    rsvg-convert -w "$size" -h "$size" cz.veldo.orv.svg -o "cz.veldo.orv-$size.png"
done

#!/usr/bin/env bash
# Renders quorvane.svg into the hicolor theme's usual sizes, hicolor/<N>x<N>/apps/quorvane.png; the SVG
# itself is installed as the scalable one. Needs rsvg-convert (librsvg2-bin). Run after changing the SVG.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
for size in 16 22 24 32 48 64 128 256 512; do
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" quorvane.svg -o "hicolor/${size}x${size}/apps/quorvane.png"
done

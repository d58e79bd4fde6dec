#!/usr/bin/env bash
# Draws the 16x16 pictures of the configuration dialog's buttons with
# ImageMagick: a green check for "Gravar" and a red cross for "Cancelar".
set -euo pipefail
cd "$(dirname "$0")/buttons"

convert -size 16x16 xc:none \
  -fill none -stroke '#0a6b1f' -strokewidth 3 -draw "polyline 2,8 6,12 14,3" \
  -stroke '#3cc85a' -strokewidth 1 -draw "polyline 2,8 6,12 14,3" \
  PNG32:gravar.png

convert -size 16x16 xc:none \
  -fill none -stroke '#a00000' -strokewidth 3 -draw "line 3,3 12,12" -draw "line 12,3 3,12" \
  -stroke '#ff5050' -strokewidth 1 -draw "line 3,3 12,12" -draw "line 12,3 3,12" \
  PNG32:cancelar.png

#!/usr/bin/env bash
# Regenerates the bitmaps of resources/ (committed, so the build does not need ImageMagick):
# the splash picture (400 x 300) and the strip of four 16 x 16 pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/resources"

convert -size 400x300 gradient:'#1d3557-#457b9d' \
  -fill '#f1faee' -stroke none -draw 'rectangle 0,214 400,216' \
  -font DejaVu-Sans-Bold -pointsize 34 -fill '#f1faee' -annotate +32+110 'QxQVInfo' \
  -font DejaVu-Sans -pointsize 15 -fill '#a8dadc' -annotate +34+140 'service information for the tool' \
  -fill '#e9eef2' -draw 'rectangle 0,217 400,300' \
  -type palette -colors 64 -compress None BMP3:"$out/Splash.bmp"

# Object (blue box), variable (green disc), method (violet diamond), folder (yellow); the
# background is magenta, the colour hosts take for transparent in picture strips.
convert -size 64x16 xc:'#ff00ff' \
  -fill '#2f6db5' -stroke '#173a63' -draw 'rectangle 2,3 13,12' \
  -fill '#3aa655' -stroke '#1d5a2c' -draw 'circle 23,8 23,3' \
  -fill '#8e44ad' -stroke '#4a235a' -draw 'polygon 40,2 46,8 40,14 34,8' \
  -fill '#f2c14e' -stroke '#8a6d1c' -draw 'rectangle 50,5 61,13' -draw 'rectangle 50,3 55,5' \
  -type palette -compress None BMP3:"$out/Pictures.bmp"

#!/usr/bin/env bash
# Draws the splash pictures with ImageMagick: the 460x340 background and, for
# each of the five start-up steps, an unlit (grey) and a lit (glowing) 66x66
# picture. Output: splash/fundo.png and splash/passo0.png .. passo9.png.
set -euo pipefail
cd "$(dirname "$0")/splash"

convert -size 460x340 gradient:'#1d4f91-#06152e' \
  \( -size 460x340 radial-gradient:'#3a78c8-none' -alpha set -channel A -evaluate multiply 0.45 +channel \) \
  -gravity north -geometry +0-60 -composite \
  -fill none -stroke '#8fb6ea' -strokewidth 3 -draw "circle 230,110 230,58" \
  -stroke '#5b8fd6' -strokewidth 1 -draw "circle 230,110 230,48" \
  -stroke none -fill '#dbe8fa' -draw "polygon 200,85 213,85 230,128 247,85 260,85 236,140 224,140" \
  -fill '#0b2348' -draw "rectangle 0,300 460,340" \
  -stroke '#3a78c8' -strokewidth 2 -draw "line 0,300 460,300" \
  -quality 82 jpg:- | convert jpg:- -define png:compression-level=9 fundo.png

# symbol <stroke/fill colour> -> ImageMagick draw options of each step
symbol() {
  local c=$1 step=$2
  case $step in
    0) # database: a cylinder
      echo "-fill none -stroke $c -strokewidth 3 -draw 'ellipse 33,20 14,6 0,360' -draw 'line 19,20 19,46' -draw 'line 47,20 47,46' -draw 'ellipse 33,46 14,6 0,180' -draw 'ellipse 33,33 14,6 0,180'" ;;
    1) # configuration: a gear
      echo "-fill $c -stroke none -draw 'translate 33,33 rectangle -4,-19 4,19' -draw 'translate 33,33 rotate 45 rectangle -4,-19 4,19' -draw 'translate 33,33 rotate 90 rectangle -4,-19 4,19' -draw 'translate 33,33 rotate 135 rectangle -4,-19 4,19' -draw 'circle 33,33 33,19' -fill none -stroke BG -strokewidth 4 -draw 'circle 33,33 33,27'" ;;
    2) # users: two people
      echo "-fill $c -stroke none -draw 'circle 26,24 26,16' -draw 'ellipse 26,46 13,10 180,360' -draw 'circle 42,27 42,21' -draw 'ellipse 42,47 10,8 180,360'" ;;
    3) # update: a circular arrow
      echo "-fill none -stroke $c -strokewidth 4 -draw 'arc 17,17 49,49 20,300' -stroke none -fill $c -draw 'polygon 48,14 50,30 35,26'" ;;
    4) # login: a key
      echo "-fill none -stroke $c -strokewidth 4 -draw 'circle 22,33 22,24' -draw 'line 31,33 51,33' -draw 'line 45,33 45,41' -draw 'line 51,33 51,40'" ;;
  esac
}

for step in 0 1 2 3 4; do
  for lit in 0 1; do
    if [ $lit = 1 ]; then bg='#0f5c2e'; ring='#7dff9e'; fg='#eaffd0'; else bg='#3b4048'; ring='#6c727b'; fg='#9aa0a8'; fi
    out=passo$((2 * step + lit)).png
    eval convert -size 66x66 xc:none \
      -fill "'$bg'" -stroke "'$ring'" -strokewidth 2 -draw "'circle 33,33 33,3'" \
      $(symbol "'$fg'" $step | sed "s/BG/'$bg'/g") \
      PNG32:$out
    if [ $lit = 1 ]; then
      convert $out \( +clone -background "$ring" -shadow 90x3+0+0 \) +swap -background none -gravity center -layers merge -extent 66x66 +repage PNG32:$out
    fi
  done
done

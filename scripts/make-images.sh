#!/usr/bin/env bash
# Draws the program's images (header button faces, logo, window icon, about picture)
# into resources/images with ImageMagick. The PNGs are committed; run this again only
# to change the artwork. Flat shapes and vertical gradients keep the files small.
set -euo pipefail
cd "$(dirname "$0")/.."

# Draw arguments for a stepped line through the given points (one "line" per segment,
# which strokes cleanly where an open polyline would not).
steps()
{
    local -a points=("$@")
    local i
    for ((i = 0; i + 1 < ${#points[@]}; ++i)); do
        printf -- '-draw\nline %s %s\n' "${points[i]}" "${points[i + 1]}"
    done
}

out=resources/images
mkdir -p "$out"

font_bold=DejaVu-Sans-Bold
font=DejaVu-Sans
png=(-strip -define png:compression-level=9 -define png:color-type=6 -define png:bit-depth=8)

# Header button faces, 160 x 48: a rounded plate on a transparent ground.
button() # <file> <top colour> <bottom colour> <edge colour>
{
    convert -size 160x48 xc:none \
        \( -size 156x44 gradient:"$2"-"$3" \) -geometry +2+2 -compose over -composite \
        \( -size 160x48 xc:none -fill white -draw "roundrectangle 2,2 157,45 8,8" \) \
        -compose dst-in -composite \
        -compose over -fill none -stroke "$4" -strokewidth 2 -draw "roundrectangle 2,2 157,45 8,8" \
        "${png[@]}" "$out/$1"
}
button HeaderButtonNormal.png '#3a3a3a' '#1c1c1c' '#5a5a5a'
button HeaderButtonPressed.png '#1a1a1a' '#404040' '#8fb8c8'

# Header logo, 320 x 100, drawn on the header's near-black band.
convert -size 320x100 xc:none \
    -fill '#8fb8c8' -draw "polygon 10,80 30,20 42,56 54,32 66,80" \
    -fill none -stroke '#d3d3d3' -strokewidth 3 -draw "line 4,82 74,82" -stroke none \
    -font "$font_bold" -pointsize 40 -fill '#f0f0f0' -annotate +84+58 'QTR-3' \
    -font "$font" -pointsize 15 -fill '#a8a8a8' -annotate +86+84 'FELTAN  LIBRARIAN' \
    "${png[@]}" "$out/Logo.png"

mapfile -t icon_wave < <(steps 76,300 150,300 150,160 226,160 226,360 302,360 302,220 378,220 378,300 436,300)
mapfile -t about_wave < <(steps 160,1000 520,1000 520,700 880,700 880,1200 1240,1200 1240,860 1600,860 1600,1000 2240,1000)

# Window icon, 512 x 512: a rounded tile with a stepped waveform.
convert -size 512x512 xc:none \
    \( -size 480x480 gradient:'#2e3a40'-'#101214' \) -geometry +16+16 -compose over -composite \
    \( -size 512x512 xc:none -fill white -draw "roundrectangle 16,16 495,495 80,80" \) \
    -compose dst-in -composite -compose over \
    -fill none -stroke '#8fb8c8' -strokewidth 22 \
    "${icon_wave[@]}" \
    -stroke none -font "$font_bold" -pointsize 64 -fill '#e8e8e8' -annotate +160+450 'QTR' \
    "${png[@]}" "$out/WindowIcon.png"

# About picture, 2400 x 1600 (shown at 600 x 400); the version text sits at its lower right.
convert -size 2400x1600 gradient:'#1d2a30'-'#050607' \
    -fill '#8fb8c833' -draw "circle 1800,520 1800,1180" \
    -fill '#8fb8c822' -draw "circle 1800,520 1800,900" \
    -fill none -stroke '#8fb8c8' -strokewidth 10 \
    "${about_wave[@]}" \
    -stroke none -font "$font_bold" -pointsize 220 -fill '#f0f0f0' -annotate +160+420 'QTR-3' \
    -font "$font" -pointsize 96 -fill '#b0b0b0' -annotate +170+560 'Digital Librarian' \
    -font "$font" -pointsize 56 -fill '#707070' -annotate +170+1420 'Feltan' \
    "${png[@]}" "$out/AboutBackground.png"

identify "$out"/*.png

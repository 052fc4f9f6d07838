#!/bin/sh
# Renders the PNG icons kept beside this script, for the menus' icon theme:
#   16 and 32 px: the program's own window images, pixel for pixel;
#   48 px: poblacion-48.svg, the drawing hinted to whole pixels at that size;
#   64, 128 and 256 px: poblacion.svg, whose 32-unit grid lands on whole pixels.
# The PNGs are committed, so building needs neither tool. Run it after
# changing an image; it needs rsvg-convert (librsvg2-bin) and ImageMagick's
# convert (imagemagick).
set -eu
cd "$(dirname "$0")"
images=../../resources/images
for size in 16 32; do
    convert "$images/poblacion$size.xpm" -strip "PNG32:poblacion-$size.png"
done
rsvg-convert -w 48 -h 48 poblacion-48.svg -o poblacion-48.png
for size in 64 128 256; do
    rsvg-convert -w "$size" -h "$size" poblacion.svg -o "poblacion-$size.png"
done

#!/bin/sh
# Renders the committed PNG icons from tallywick.svg; run it after changing the drawing.
# Needs rsvg-convert (apt-get install librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" tallywick.svg --output "tallywick-$size.png"
done

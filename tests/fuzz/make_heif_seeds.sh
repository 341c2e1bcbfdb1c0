#!/bin/sh
# Writes the seeds of fuzz_heif into tests/fuzz/heif: small HEIC and AVIF files with and
# without thumbnails, with alpha, and at 10 bits. Needs heif-enc and convert:
#   scripts/deps.sh bench && tests/fuzz/make_heif_seeds.sh
set -eu
out=$(dirname "$0")/heif
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four quarters in four colours, as true colour: heif-enc takes a palette PNG for grey.
convert -size 24x16 xc:red -size 24x16 xc:lime +append \
    \( -size 24x16 xc:blue -size 24x16 xc:yellow +append \) -append +repage \
    -define png:color-type=2 "$work/quarters.png"
convert "$work/quarters.png" -alpha set -channel A -fx 'i < w / 2 ? 1 : 0.3' \
    -define png:color-type=6 "$work/alpha.png"
convert "$work/quarters.png" -depth 16 -evaluate multiply 0.999 -define png:color-type=2 -define png:bit-depth=16 "$work/deep.png"

mkdir -p "$out"
heif-enc -q 60 "$work/quarters.png" -o "$out/plain.heic"
heif-enc -q 60 -t 16 "$work/quarters.png" -o "$out/thumbnail.heic"
heif-enc -q 60 -t 16 "$work/alpha.png" -o "$out/alpha.heic"
heif-enc -q 60 -b 10 "$work/deep.png" -o "$out/ten-bits.heic"
heif-enc -A -q 60 "$work/quarters.png" -o "$out/plain.avif"
heif-enc -A -q 60 -t 16 "$work/alpha.png" -o "$out/alpha.avif"
ls -l "$out"

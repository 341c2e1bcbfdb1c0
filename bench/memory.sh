#!/bin/sh
# Peak memory of vellomir-collage on the largest and most hostile photos it accepts, on the
# default canvas and the largest one: forged progressive headers at the coefficient limit,
# real progressive photos just under it, a PNG decoded whole, a PNG header with no data, and
# 100 twelve-megapixel photos. Every run must stay under 1.5 GB, whatever the core count.
#
#   bench/memory.sh BUILD_DIR
set -eu

build=${1:?usage: bench/memory.sh BUILD_DIR}
work="$build/bench-memory"
data="$work/data"
photos="$build/bench-e2e/photos" # shared with bench/e2e.sh
collage="$build/bin/vellomir-collage"
limit_kb=1464843 # 1.5 GB

if [ ! -f "$data/.complete" ]; then
    echo "generating the hostile photos in $data (once)" >&2
    rm -rf "$data"
    "$build/bin/bench-hostile" "$data"
    touch "$data/.complete"
fi
if [ ! -f "$photos/.complete" ]; then
    echo "generating 100 photos in $photos (once)" >&2
    rm -rf "$photos"
    "$build/bin/bench-photos" "$photos" 100
    touch "$photos/.complete"
fi

worst_kb=0
over=0
printf '%-44s %10s %8s\n' "vellomir-collage, $(nproc) cores" "peak MB" "seconds"
# Runs one collage under /usr/bin/time -v and prints its peak RSS.
measure() {
    name=$1
    shift
    /usr/bin/time -v -o "$work/time.txt" "$collage" --quiet --seed 1 "$@" -o "$work/out.jpg" \
        >/dev/null 2>"$work/stderr.txt" || {
        cat "$work/stderr.txt" >&2
        exit 1
    }
    kb=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$work/time.txt")
    s=$(awk '/Elapsed/ { n = split($NF, t, ":"); print (n == 3) ? t[1] * 3600 + t[2] * 60 + t[3] : t[1] * 60 + t[2] }' "$work/time.txt")
    printf '%-44s %10.0f %8s\n' "$name" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" "$s"
    [ "$kb" -gt "$worst_kb" ] && worst_kb=$kb
    [ "$kb" -gt "$limit_kb" ] && over=$((over + 1))
    return 0
}

# The forged photos are left out once their data runs out, so a photo that decodes goes with
# them: a collage of nothing is an error.
real=$(find "$photos" -name '*.jpg' | sort | head -n 1)
for size in 1795x1205 10000x10000; do
    measure "4 forged 12500x12500 progressive + 1, $size" --size "$size" "$data/forged" "$real"
    measure "4 progressive 14000x11000, $size" --size "$size" "$data/large"
    measure "PNG 11000x11000 + empty header, $size" --size "$size" "$data/png/big.png" \
        "$data/png/header.png" "$data/forged/forged_1.jpg"
    measure "100 photos of 12 MP, $size" --size "$size" "$photos"
done
measure "1 progressive 14000x11000, rounded, 10000x10000" --size 10000x10000 --frame rounded \
    --margin 40 --param 300 "$data/large/large_1.jpg"

worst_mb=$(awk -v k="$worst_kb" 'BEGIN { printf "%.0f", k / 1024 }')
echo "memory_peak_mb=$worst_mb runs_over_1500mb=$over"
[ "$over" -eq 0 ]

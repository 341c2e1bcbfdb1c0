#!/bin/sh
# The whole pipeline against the decode limit: vellomir-collage making a 1200x800 collage of
# 100 twelve-megapixel photos, and vipsthumbnail shrinking the same files, RUNS times each,
# interleaved; then a 3602x2398 print, with the peak memory of every collage run. The same
# for the photos as HEIC, encoded once with heif-enc with 320-pixel thumbnails (heif-enc drops
# the JPEG's EXIF orientation: the sideways ones stay sideways), against vipsthumbnail on them.
# Then an 800x600 collage drawn from the photos' EXIF previews (--previews) against the same
# collage decoded from the photos, interleaved. Then the 1200x800 collage of the same photos
# each tagged with a Display P3 profile, which every decode converts to sRGB, against the
# untagged ones centre cropped, each run right after one of those. Then an A4 page at 300 dpi
# as PDF against the same collage saved as JPEG, interleaved, in time and in file size
# (target: at most 1.5x each). The 1200x800 collage is made with automatic crops, each run
# analysing the photos afresh, and with --crop centre: the difference is the analysis. Every
# other collage is centre cropped, as these figures always were.
#
#   bench/e2e.sh BUILD_DIR      (RUNS=3 by default)
set -eu

build=${1:?usage: bench/e2e.sh BUILD_DIR}
runs=${RUNS:-3}
work="$build/bench-e2e"
photos="$work/photos"
heics="$work/heic"
p3="$work/photos-p3"
out="$work/out"
collage="$build/bin/vellomir-collage"

# Photos generated before they carried EXIF previews are made again.
if [ ! -f "$photos/.complete-previews" ]; then
    echo "generating 100 photos in $photos (once)" >&2
    rm -rf "$photos"
    "$build/bin/bench-photos" "$photos" 100
    touch "$photos/.complete-previews"
    rm -rf "$p3"
fi
if [ ! -f "$p3/.complete" ]; then
    rm -rf "$p3"
    "$build/bin/bench-photos" --display-p3 "$photos" "$p3"
    touch "$p3/.complete"
fi
if [ ! -f "$heics/.complete" ]; then
    echo "encoding them as HEIC in $heics (once)" >&2
    rm -rf "$heics"
    mkdir -p "$heics"
    # ultrafast: a camera's encoder takes its time too, but not a minute a photo
    find "$photos" -name '*.jpg' | sort | xargs -P "$(nproc)" -I{} sh -c \
        'heif-enc -q 50 -p preset=ultrafast -t 320 "$1" -o "$2/$(basename "$1" .jpg).heic" >/dev/null' \
        sh {} "$heics"
    touch "$heics/.complete"
fi
rm -rf "$out"
mkdir -p "$out/vips" "$out/vips-heic"
# The tool's cache of what it found in the photos lives here, never in the user's.
export XDG_CACHE_HOME="$work/cache"

now_ms() { date +%s%3N; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

peak_kb=0
# Runs the command under /usr/bin/time -v, prints its wall time in ms, and keeps the peak RSS.
timed() {
    start=$(now_ms)
    /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
        cat "$work/stderr.txt" >&2
        exit 1
    }
    end=$(now_ms)
    kb=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$work/time.txt")
    [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
    echo $((end - start))
}

run_e2e() {
    rm -rf "$XDG_CACHE_HOME" # nothing analysed before
    timed "$collage" --quiet --seed 1 --size 1200x800 "$photos" -o "$out/e2e.jpg"
}
run_centre() {
    timed "$collage" --quiet --seed 1 --crop centre --size 1200x800 "$photos" -o "$out/centre.jpg"
}
run_vips() { timed vipsthumbnail --size 160 -o "$(realpath "$out/vips")/%s.jpg" "$photos"/*.jpg; }
run_print() {
    timed "$collage" --quiet --seed 1 --crop centre --size 3602x2398 "$photos" -o "$out/print.jpg"
}
run_heic() {
    timed "$collage" --quiet --seed 1 --crop centre --size 1200x800 "$heics" -o "$out/heic.jpg"
}
run_small() {
    timed "$collage" --quiet --seed 1 --crop centre --size 800x600 "$photos" -o "$out/small.jpg"
}
run_preview() {
    timed "$collage" --quiet --seed 1 --crop centre --previews --size 800x600 "$photos" \
        -o "$out/preview.jpg"
}
run_p3() { timed "$collage" --quiet --seed 1 --crop centre --size 1200x800 "$p3" -o "$out/p3.jpg"; }
run_a4_jpeg() {
    timed "$collage" --quiet --seed 1 --crop centre --paper A4 --dpi 300 "$photos" -o "$out/a4.jpg"
}
run_a4_pdf() {
    timed "$collage" --quiet --seed 1 --crop centre --paper A4 --dpi 300 "$photos" -o "$out/a4.pdf"
}
run_vips_heic() {
    timed vipsthumbnail --size 160 -o "$(realpath "$out/vips-heic")/%s.jpg" "$heics"/*.heic
}

# One untimed round warms the page cache, so no run reads the disk.
run_e2e >/dev/null
run_centre >/dev/null
run_vips >/dev/null
run_heic >/dev/null
run_vips_heic >/dev/null
run_small >/dev/null
run_preview >/dev/null
run_p3 >/dev/null
run_a4_jpeg >/dev/null
run_a4_pdf >/dev/null
peak_kb=0

for name in e2e centre vips print heic vips-heic small preview p3 a4-jpeg a4-pdf; do
    : >"$work/$name.txt"
done
i=0
while [ $i -lt "$runs" ]; do
    run_e2e >>"$work/e2e.txt"
    run_centre >>"$work/centre.txt"
    run_p3 >>"$work/p3.txt"
    vips_peak=$peak_kb
    run_vips >>"$work/vips.txt"
    peak_kb=$vips_peak # the limit's own memory is not ours
    run_print >>"$work/print.txt"
    run_heic >>"$work/heic.txt"
    vips_peak=$peak_kb
    run_vips_heic >>"$work/vips-heic.txt"
    peak_kb=$vips_peak
    run_small >>"$work/small.txt"
    run_preview >>"$work/preview.txt"
    run_a4_jpeg >>"$work/a4-jpeg.txt"
    run_a4_pdf >>"$work/a4-pdf.txt"
    i=$((i + 1))
done

e2e=$(median <"$work/e2e.txt")
centre=$(median <"$work/centre.txt")
analysis=$((e2e - centre))
# The window's analysis: its first collage of the same photos, until every crop is in place.
: >"$work/window.txt"
i=0
while [ $i -lt "$runs" ]; do
    QT_QPA_PLATFORM=offscreen "$build/bin/bench-window" "$photos" 2>/dev/null \
        | sed -n 's/.*settled_ms=\([0-9]*\).*/\1/p' >>"$work/window.txt"
    i=$((i + 1))
done
window=$(median <"$work/window.txt")
analysis_photo=$(awk -v a="$analysis" 'BEGIN { printf "%.1f", a / 100 }')
crop_ratio=$(awk -v a="$e2e" -v b="$centre" 'BEGIN { printf "%.2f", a / b }')
vips=$(median <"$work/vips.txt")
print=$(median <"$work/print.txt")
heic=$(median <"$work/heic.txt")
vips_heic=$(median <"$work/vips-heic.txt")
small=$(median <"$work/small.txt")
preview=$(median <"$work/preview.txt")
p3_ms=$(median <"$work/p3.txt")
p3_ratio=$(awk -v a="$p3_ms" -v b="$centre" 'BEGIN { printf "%.3f", a / b }')
preview_ratio=$(awk -v a="$preview" -v b="$small" 'BEGIN { printf "%.2f", a / b }')
ratio=$(awk -v a="$e2e" -v b="$vips" 'BEGIN { printf "%.2f", a / b }')
heic_ratio=$(awk -v a="$heic" -v b="$vips_heic" 'BEGIN { printf "%.2f", a / b }')
a4_jpeg=$(median <"$work/a4-jpeg.txt")
a4_pdf=$(median <"$work/a4-pdf.txt")
a4_jpeg_kb=$(($(stat -c %s "$out/a4.jpg") / 1024))
a4_pdf_kb=$(($(stat -c %s "$out/a4.pdf") / 1024))
pdf_ratio=$(awk -v a="$a4_pdf" -v b="$a4_jpeg" 'BEGIN { printf "%.2f", a / b }')
pdf_size_ratio=$(awk -v a="$a4_pdf_kb" -v b="$a4_jpeg_kb" 'BEGIN { printf "%.3f", a / b }')
peak_mb=$(awk -v k="$peak_kb" 'BEGIN { printf "%.0f", k / 1024 }')

printf '%-36s %s\n' "end to end, $runs runs each" "ms (runs)"
printf '%-36s %s (%s)\n' "vellomir-collage 1200x800" "$e2e" "$(tr '\n' ' ' <"$work/e2e.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 1200x800 --crop centre" "$centre" \
    "$(tr '\n' ' ' <"$work/centre.txt")"
printf '%-36s %s (%s ms a photo, two cores)\n' "analysis of the 100 photos, ms" "$analysis" \
    "$analysis_photo"
printf '%-36s %s (%s)\n' "window: crops settled, ms" "$window" "$(tr '\n' ' ' <"$work/window.txt")"
printf '%-36s %s (%s)\n' "vipsthumbnail --size 160" "$vips" "$(tr '\n' ' ' <"$work/vips.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 3602x2398" "$print" "$(tr '\n' ' ' <"$work/print.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 1200x800, HEIC" "$heic" "$(tr '\n' ' ' <"$work/heic.txt")"
printf '%-36s %s (%s)\n' "vipsthumbnail --size 160, HEIC" "$vips_heic" \
    "$(tr '\n' ' ' <"$work/vips-heic.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 800x600" "$small" "$(tr '\n' ' ' <"$work/small.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 800x600 --previews" "$preview" \
    "$(tr '\n' ' ' <"$work/preview.txt")"
printf '%-36s %s (%s)\n' "vellomir-collage 1200x800, Display P3" "$p3_ms" \
    "$(tr '\n' ' ' <"$work/p3.txt")"
printf '%-36s %s (%s) %s kB\n' "vellomir-collage A4 300 dpi, JPEG" "$a4_jpeg" \
    "$(tr '\n' ' ' <"$work/a4-jpeg.txt")" "$a4_jpeg_kb"
printf '%-36s %s (%s) %s kB\n' "vellomir-collage A4 300 dpi, PDF" "$a4_pdf" \
    "$(tr '\n' ' ' <"$work/a4-pdf.txt")" "$a4_pdf_kb"
printf '%-36s %s\n' "peak memory of the collages, MB" "$peak_mb"
echo "e2e_ms=$e2e vips_ms=$vips ratio=$ratio print_ms=$print heic_ms=$heic heic_ratio=$heic_ratio peak_mb=$peak_mb preview_ms=$preview preview_ratio=$preview_ratio centre_ms=$centre analysis_ms=$analysis analysis_photo_ms=$analysis_photo crop_ratio=$crop_ratio window_settled_ms=$window p3_ms=$p3_ms p3_ratio=$p3_ratio a4_jpeg_ms=$a4_jpeg a4_pdf_ms=$a4_pdf pdf_ratio=$pdf_ratio a4_jpeg_kb=$a4_jpeg_kb a4_pdf_kb=$a4_pdf_kb pdf_size_ratio=$pdf_size_ratio"

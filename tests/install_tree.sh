#!/bin/sh
# Installs the build into a scratch folder, as a package would under /usr, and checks that
# what the desktop reads points at what is there: the entry's program and icon at every
# size, the metainfo's entry, the MIME type, the manual page and the version.
# Usage: install_tree.sh BUILD_DIR APP_ID VERSION
set -eu
build=$1 id=$2 version=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "install_tree: $*" >&2; exit 1; }

DESTDIR=$stage "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null
root=$stage/usr
share=$root/share

entry=$share/applications/$id.desktop
[ -f "$entry" ] || fail "no desktop entry $entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=${exec_line%% *}
[ -x "$root/bin/$program" ] || fail "Exec names $program, not installed in bin"
[ -x "$root/bin/vellomir-collage" ] || fail "vellomir-collage not installed"

icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x$size/apps/$icon.png
    [ -f "$png" ] || fail "no $size px icon $png"
    # PNG header: signature, IHDR length and type, then width and height big-endian
    set -- $(od -An -tu1 -j16 -N8 "$png")
    [ $(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4)) -eq "$size" ] &&
        [ $(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8)) -eq "$size" ] ||
        fail "$png is not $size x $size"
done

metainfo=$share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo launches something else than $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
grep -q '^MimeType=.*application/x-vellomir-project;' "$entry" || fail "entry opens no projects"
[ -f "$share/mime/packages/$id.xml" ] || fail "no MIME package for the project files"

page=$share/man/man1/vellomir-collage.1.gz
gzip -t "$page" || fail "manual page $page damaged"

said=$("$root/bin/vellomir-collage" --version)
[ "$said" = "vellomir-collage $version" ] || fail "installed tool says '$said'"

echo "install_tree: $(find "$stage" -type f | wc -l) files, all in place"

#!/bin/sh
# Installs the Debian packages a build needs, skipping those already present.
# Usage: scripts/deps.sh [build|gui|bench|fuzz|package]...   (default: build)
set -eu

pkgs_build="build-essential cmake ninja-build qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n libgl-dev pkgconf libheif-dev liblcms2-dev zlib1g-dev libjpeg-dev qt6-image-formats-plugins poppler-utils libopencv-objdetect-dev libopencv-imgproc-dev opencv-data"
# face pictures the detector tests read from where the packages install them
pkgs_build="$pkgs_build opencv-doc python3-skimage"
pkgs_gui="xvfb xauth xdotool imagemagick"
pkgs_bench="libvips-tools time imagemagick libheif-examples"
pkgs_fuzz="clang libclang-rt-14-dev"
# make package (dpkg-shlibdeps, file) and the checks of what make install lays out
pkgs_package="dpkg-dev file desktop-file-utils appstream groff-base"

[ $# -eq 0 ] && set -- build
want=""
for group in "$@"; do
    eval "list=\${pkgs_$group:?unknown package group $group}"
    want="$want $list"
done

missing=""
for p in $want; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
    esac
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

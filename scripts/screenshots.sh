#!/usr/bin/env bash
# Writes PNGs of every window, in the states a person meets it (opened through the menu
# against the virtual register, its data loaded, each page of its page controls), with
# the system font (NAME@100.png) and a font 1.25 times as large (NAME@125.png), into
# <build>/screenshots (offscreen platform, a 1920 x 1080 screen) and lists them.
#   bash scripts/screenshots.sh [BUILD_DIR]     # BUILD_DIR default: build
set -euo pipefail
usage="usage: scripts/screenshots.sh [BUILD_DIR]"
case "${1-}" in
  --help | -h)
    echo "$usage"
    echo "Builds tst_screenshots in BUILD_DIR (default build) and writes BUILD_DIR/screenshots/*.png."
    exit 0
    ;;
  -*)
    echo "scripts/screenshots.sh: unknown argument $1 ($usage)" >&2
    exit 2
    ;;
esac
if [ $# -gt 1 ]; then
  echo "scripts/screenshots.sh: expected at most one BUILD_DIR ($usage)" >&2
  exit 2
fi
# A build folder given from elsewhere keeps its meaning after the change of folder.
build=build
if [ $# -eq 1 ]; then build=$(realpath -m -- "$1"); fi
cd "$(dirname "$0")/.."
[ -d "$build" ] || cmake --preset default >/dev/null
cmake --build "$build" -j2 --target tst_screenshots
QT_QPA_PLATFORM=offscreen PTK_BIN_DIR="$(realpath "$build")" "$build/tests/tst_screenshots" >/dev/null

ls -1 "$build"/screenshots/*.png

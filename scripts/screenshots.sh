#!/usr/bin/env bash
# Writes a PNG of every window built so far into <build>/screenshots (offscreen
# platform) and lists them. Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -d "$build" ] || cmake --preset default >/dev/null
cmake --build "$build" -j2 --target tst_screenshots
QT_QPA_PLATFORM=offscreen PTK_BIN_DIR="$(realpath "$build")" "$build/tests/tst_screenshots" >/dev/null
ls -1 "$build"/screenshots/*.png

#!/usr/bin/env bash
# Takes screenshots of Vorin 99's windows under a virtual X display: the main
# window during and after its opening animation, the about box, the statistics
# window before, during and after a scan of generated trees.
#
#   tools/screenshots.sh [output directory] [--real-drives]
#
# Builds the screenshot driver in $BUILD (default: build) and writes the PNG
# files to the output directory (default: $BUILD/screenshots). Needs xvfb-run
# and xauth (tools/install-deps.sh installs them).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
out=${1:-$build/screenshots}
shift || true

if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "xvfb-run is missing: run tools/install-deps.sh" >&2
    exit 1
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target screenshot-driver -j "${JOBS:-2}"

mkdir -p "$out"
# The windows' fonts and colours must not depend on the desktop of whoever
# runs this.
export QT_QPA_PLATFORM=xcb
unset QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/tools/screenshot-driver/screenshot-driver" "$out" "$@"
echo "Screenshots are in $out"

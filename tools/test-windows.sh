#!/usr/bin/env bash
# Cross-builds the core, its tests and vorin-report.exe for 64-bit Windows
# and runs the tests under Wine, in a Wine prefix of the build directory's
# own. Called by `make test-windows` once the packages are there.
#   tools/test-windows.sh BUILD_DIR JOBS
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
jobs="${2:-2}"
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"

mkdir -p "$build"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
export WINEDEBUG=-all

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORIN_CORE_ONLY=ON -DVORIN_BUILD_BENCH=OFF \
      -DVORIN_GTEST_SOURCE=/usr/src/googletest -DVORIN_HISTORY=OFF

# One wineserver for the whole run: every test is a Windows process of its
# own, and starting the server for each would cost seconds apiece.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    cmake/wine-run.sh wineboot --init > /dev/null 2>&1 || true
fi
"$wineserver" --wait || true
"$wineserver" --persistent
trap '"$wineserver" --kill || true' EXIT
# Wine's own services start with the first program and stay with the server;
# started here, they hold no output pipe of a test that ctest waits on.
cmake/wine-run.sh wineboot > /dev/null 2>&1 || true

cmake --build "$build" -j "$jobs"
# One Windows process at a time: Wine's single server process is the
# bottleneck anyway, and the tests of time limits need it to answer promptly.
ctest --test-dir "$build" --output-on-failure -j 1

#!/usr/bin/env bash
# Vorin 99 as a screen reader meets it: the program on a virtual X display of
# its own, with Qt's AT-SPI bridge on, over a private session bus and the
# accessibility bus that bus starts; check-atspi.py then scans a small tree of
# known files through AT-SPI alone and reads the figures back. Nothing here
# may be skipped: a machine that cannot start the buses fails the test.
#
#   run-atspi.sh VORIN99
set -euo pipefail
program="$(realpath -e "$1" 2> /dev/null || echo "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=../common/xvfb.sh
source "$here/../common/xvfb.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in Xvfb dbus-run-session dbus-daemon dbus-send /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" > /dev/null || fail "$tool is missing: run tools/install-deps.sh"
done
# Debian's own Python: pyatspi is a Debian package, not in a virtualenv's path.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2> /dev/null ||
    fail "$python cannot import pyatspi (python3-pyatspi): run tools/install-deps.sh"
[ -x "$program" ] || fail "no program at $program: build the target vorin99"

work="$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/vorin-atspi-XXXXXX")")"
xvfb=""
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The tree: three .txt files, two of them in a subdirectory, two .png and a
# .log; the sizes cross a thousands separator.
tree="$work/tree"
mkdir -p "$tree/notes/old" "$tree/pictures"
head -c 1500 /dev/zero > "$tree/readme.txt"
head -c 300 /dev/zero > "$tree/notes/todo.txt"
head -c 2345 /dev/zero > "$tree/notes/old/plan.txt"
head -c 4096 /dev/zero > "$tree/pictures/a.png"
head -c 10000 /dev/zero > "$tree/pictures/b.png"
head -c 777 /dev/zero > "$tree/notes/run.log"

# The program's settings and history, the buses' sockets: all the test's own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# Numbers grouped with commas, whatever the machine's locale; C.UTF-8 is always there.
export LC_ALL=C.UTF-8
unset QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY \
      WAYLAND_DISPLAY

start_xvfb "$work" 1280x1024x24

# Qt registers with AT-SPI only when a screen reader asks for it, or always
# with this; QT_ACCESSIBILITY=1 keeps the bridge from being turned off.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
echo "display $display, tree $tree"
# The private session bus starts the accessibility bus (org.a11y.Bus) on the
# first call; a bus that does not answer fails here, not in the program. The
# buses are not given the display: they would outlive it by a moment when the
# session ends and complain of its going.
dbus-run-session -- bash -c '
    touch "$1/on-bus"
    started=$(date +%s%N)
    dbus-send --session --print-reply --reply-timeout=20000 --dest=org.a11y.Bus \
        /org/a11y/bus org.a11y.Bus.GetAddress > "$1/a11y-bus" 2>&1 || {
        echo "FAIL: the accessibility bus (org.a11y.Bus) did not come up on the private session bus:" >&2
        cat "$1/a11y-bus" >&2
        exit 1
    }
    echo "accessibility bus up in $((($(date +%s%N) - started) / 1000000)) ms:" \
        "$(grep -o "unix:[^\"]*" "$1/a11y-bus")"
    DISPLAY=$6 exec "$2" "$3" "$4" "$5"' \
    bash "$work" "$python" "$here/check-atspi.py" "$program" "$tree" "$display" || {
    [ -e "$work/on-bus" ] || fail "dbus-run-session could not start a private session bus (see above)"
    exit 1 # the check has said what failed
}

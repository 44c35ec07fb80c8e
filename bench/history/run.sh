#!/usr/bin/env bash
# What keeping every scan in the history costs, as ratios against the same
# scan that keeps nothing (--no-history), in one invocation:
#   - time, warm: vorin-report on the walk benchmark's tree of 100,000 files
#     plus a directory of 1,000 files of 1,000 types (each its own drive, so
#     that one kept scan holds 1,000 types), in alternating pairs;
#   - the database's growth per kept scan of that tree and of / (this
#     machine's root file system), after a checkpoint.
#
# usage: bench/history/run.sh [TREE_DIR]   (default /tmp/vorin-walk-bench)
#   BUILD=dir   the Release core build to use or make (default <repo>/build-bench-walk)
#   PAIRS=n     alternating pairs (default 21)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD:-$repo/build-bench-walk}"
tree="${1:-/tmp/vorin-walk-bench}"
pairs="${PAIRS:-21}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORIN_CORE_ONLY=ON > /dev/null
cmake --build "$build" --target vorin-report vorin-walk-gen -j 2 > /dev/null
report="$build/src/engine/report/vorin-report"
gen="$build/bench/walk/vorin-walk-gen"
command -v sqlite3 > /dev/null || { echo "need sqlite3 (Debian package sqlite3)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=../common.sh
. "$here/../common.sh"
walk_tree "$gen" "$tree"
export XDG_DATA_HOME="$work/data"
db="$XDG_DATA_HOME/vorin99/history.sqlite"
types="$work/types"
mkdir "$types"
for ((i = 0; i < 1000; i++)); do printf 'x' > "$types/f$i.t$i"; done

"$report" --no-history --json "$tree" "$types" > /dev/null # warm
for ((r = 0; r < pairs; r++)); do
    if ((r % 2 == 0)); then
        clock "$work/a" "$report" --json "$tree" "$types"
        clock "$work/b" "$report" --no-history --json "$tree" "$types"
    else
        clock "$work/b" "$report" --no-history --json "$tree" "$types"
        clock "$work/a" "$report" --json "$tree" "$types"
    fi
done
ratio=$(ratio "$work/a" "$work/b")
scans=$(sqlite3 "$db" "select count(*) from scans")

size() { sqlite3 "$1" "pragma wal_checkpoint(TRUNCATE)" > /dev/null; stat -c %s "$1"; }
rm -rf "$XDG_DATA_HOME"
"$report" --json "$tree" > /dev/null
before=$(size "$db")
for ((r = 0; r < 10; r++)); do "$report" --json "$tree" > /dev/null; done
tree_growth=$(( ($(size "$db") - before) / 10 ))
before=$(size "$db")
for ((r = 0; r < 3; r++)); do "$report" --json / > /dev/null 2>&1 || true; done
root_growth=$(( ($(size "$db") - before) / 3 ))
root_types=$("$report" --no-history --csv / 2> /dev/null | grep -c '^types,' || true)

echo "Tree: $tree (100,000 files) and 1,000 files of 1,000 types; $(nproc) cores ($(uname -r)); $pairs alternating pairs."
echo
echo "| Measure | figure |"
echo "|---|---:|"
echo "| scan kept / scan without history, warm | $ratio |"
echo "| database growth per kept scan of the tree ($(sqlite3 "$db" "select count(*) from figures where scan = (select min(id) from scans) and tbl = 'types'") types) | $((tree_growth / 1024)) KB |"
echo "| database growth per kept scan of / ($root_types types) | $((root_growth / 1024)) KB |"
echo "| scans kept in the timed runs | $scans |"

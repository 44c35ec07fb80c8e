#!/usr/bin/env bash
# What keeping the largest files of every figure costs, as ratios against the
# same walk without them in one invocation:
#   - time, warm: vorin-report with the lists kept (--files, which keeps every
#     figure's list during the scan and prints one: here of a type the tree
#     does not have, so that printing costs nothing) against the plain report,
#     with one thread and with the drive's default, in alternating pairs;
#   - "List all files": the walk that keeps every file of one figure (--all)
#     against the plain scan;
#   - peak memory on the generated tree, on a tree of a million files and on
#     all of / (the root file system), with and without the lists;
#   - the store of the lists alone (vorin-lists-store), on files made up in
#     memory, against the same files only counted.
#
# usage: bench/lists/run.sh [TREE_DIR]   (default /tmp/vorin-walk-bench)
#   BUILD=dir       the Release core build to use or make (default <repo>/build-bench-walk)
#   FILES=n DIRS=n  the tree's size (default 100000 files in 5500 directories)
#   PAIRS=n         alternating pairs per comparison (default 31)
#   BIG=dir         where the tree of a million files is made (default /tmp/vorin-lists-1m);
#                   BIG= leaves it out
#   OUT=file        also write the table there
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD:-$repo/build-bench-walk}"
tree="${1:-/tmp/vorin-walk-bench}"
files="${FILES:-100000}"
dirs="${DIRS:-5500}"
pairs="${PAIRS:-31}"
big="${BIG-/tmp/vorin-lists-1m}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORIN_CORE_ONLY=ON > /dev/null
cmake --build "$build" --target vorin-report vorin-walk-gen vorin-lists-store -j 2 > /dev/null
report="$build/src/engine/report/vorin-report"
gen="$build/bench/walk/vorin-walk-gen"
[ -x /usr/bin/time ] || { echo "need /usr/bin/time (Debian package time)" >&2; exit 1; }

make_tree() { # dir files dirs
    if [ "$(cat "$1/.vorin-walk-tree" 2> /dev/null)" != "$2 files in $3 directories" ]; then
        echo "generating $1 ($2 files in $3 directories) ..." >&2
        rm -rf "$1"
        "$gen" "$1" "$2" "$3"
    fi
}
make_tree "$tree" "$files" "$dirs"
[ -z "$big" ] || make_tree "$big" 1000000 55000

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The scans the report keeps go to a history of the run's own.
export XDG_DATA_HOME="$work/data"
TIMEFORMAT='%3R'
clock() { # file command...: appends the command's wall time in microseconds
    local out=$1
    shift
    { time "$@" > /dev/null 2>&1; } 2> "$work/clock"
    awk '{ printf "%d\n", $1 * 1e6 }' "$work/clock" >> "$out"
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
quartiles() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.3f to %.3f", v[int((NR + 3) / 4)], v[int((3 * NR + 1) / 4)] }'
}
# Alternating pairs of two commands; prints the median of the pair ratios a / b
# and the middle half of them.
compare() { # name "command a" "command b"
    local name=$1 a=$2 b=$3
    rm -f "$work/a" "$work/b"
    for ((r = 0; r < pairs; r++)); do
        if ((r % 2 == 0)); then clock "$work/a" $a; clock "$work/b" $b
        else clock "$work/b" $b; clock "$work/a" $a; fi
    done
    local ratios
    ratios=$(paste "$work/a" "$work/b" | awk '{ printf "%.6f\n", $1 / $2 }')
    printf "| %s | %.3f | %s | %.3f s |\n" "$name" "$(median <<< "$ratios")" \
        "$(quartiles <<< "$ratios")" "$(median < "$work/b" | awk '{ print $1 / 1e6 }')"
}
peak() { # command...: peak memory in MB
    /usr/bin/time -f "%M" -o "$work/usage" "$@" > /dev/null 2>&1 || true
    awk '{ printf "%.1f", $1 / 1024 }' "$work/usage"
}

du -s -x "$tree" > /dev/null # warm
"$report" --json "$tree" > /dev/null
{
    echo "Tree: $tree, $files files in $dirs directories; $(nproc) cores ($(uname -r)); $pairs alternating pairs each."
    echo
    echo "| Walk, warm | ratio (median) | middle half | peer's time |"
    echo "|---|---:|---:|---:|"
    compare "lists kept, one thread / without" "$report --threads 1 --files types:.none $tree" \
        "$report --threads 1 --json $tree"
    compare "lists kept, default threads / without" "$report --files types:.none $tree" \
        "$report --json $tree"
    compare "List all files of a figure (every .TXT) / a scan" \
        "$report --files types:.TXT --all --csv $tree" "$report --json $tree"
    echo
    echo "| Peak memory (MB) | without lists | with lists |"
    echo "|---|---:|---:|"
    echo "| $files files | $(peak "$report" --json "$tree") | $(peak "$report" --files types:.none "$tree") |"
    if [ -n "$big" ]; then
        echo "| 1,000,000 files | $(peak "$report" --json "$big") | $(peak "$report" --files types:.none "$big") |"
    fi
    echo "| all of / | $(peak "$report" --json /) | $(peak "$report" --files types:.none /) |"
    echo
    "$build/bench/lists/vorin-lists-store"
} | tee "${OUT:-/dev/null}"

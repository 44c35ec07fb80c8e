#!/usr/bin/env bash
# Times the directory walk against its peers and against the limit walker on
# one generated tree, warm and cold, in one run:
#   du -s -x --apparent-size, gdu -n -p -x and ncdu -x -0 -o /dev/null (where
#   installed), vorin-walk-limit (getdents64 + statx relative to the directory,
#   one thread: what the system calls alone cost), and vorin-report with one
#   thread, the default thread count and eight threads.
#
# Warm: the tree is read once before, so every inode is in the cache. Cold: the
# page cache is dropped (sync; echo 3 > /proc/sys/vm/drop_caches) before every
# single run, as after a reboot; that needs root, and without it the cold runs
# are skipped and the table says so.
#
# The tools take turns within a round, so that the load of a shared machine
# falls on all of them alike; each figure is the median over the rounds of the
# tool's time divided by du's time in the same round (a paired ratio).
#
# usage: bench/walk/run.sh [TREE_DIR]      (default /tmp/vorin-walk-bench)
#   BUILD=dir        the Release build to use or make (default <repo>/build-bench-walk)
#   FILES=n DIRS=n   the tree's size (default 100000 files in 5500 directories)
#   RUNS=n           rounds per mode (default 7)
#   PAIR_RUNS=n      alternating pairs of --threads 1 and the limit walker
#                    alone, warm (default 61)
#   MODES="warm cold"  which modes to run
#   BASELINE=path    another vorin-report (an older build) to time beside this
#                    one, with one thread and its default
#   OUT=file         also write the table there
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD:-$repo/build-bench-walk}"
tree="${1:-/tmp/vorin-walk-bench}"
files="${FILES:-100000}"
dirs="${DIRS:-5500}"
runs="${RUNS:-7}"
modes="${MODES:-warm cold}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORIN_CORE_ONLY=ON > /dev/null
cmake --build "$build" --target vorin-report vorin-walk-gen vorin-walk-limit -j 2 > /dev/null
report="$build/src/engine/report/vorin-report"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The scans the report keeps go to a history of the run's own.
export XDG_DATA_HOME="$work/data"
gen="$build/bench/walk/vorin-walk-gen"
limit="$build/bench/walk/vorin-walk-limit"

if [ "$(cat "$tree/.vorin-walk-tree" 2> /dev/null)" != "$files files in $dirs directories" ]; then
    echo "generating $tree ($files files in $dirs directories) ..." >&2
    rm -rf "$tree"
    "$gen" "$tree" "$files" "$dirs"
fi

# The peers, installed when missing and possible; a tool that cannot be had is left out.
install_if_missing() { # command package
    command -v "$1" > /dev/null && return 0
    if [ "$(id -u)" -eq 0 ] && command -v apt-get > /dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$2" > /dev/null 2>&1 || true
    fi
    command -v "$1" > /dev/null
}
[ -x /usr/bin/time ] || install_if_missing /usr/bin/time time || { echo "need /usr/bin/time" >&2; exit 1; }

threads=$("$report" --json "$tree" | sed -n 's/.*"walkThreads":\[\([0-9]*\).*/\1/p')
names=("du -s -x --apparent-size")
commands=("du -s -x --apparent-size $tree")
if install_if_missing gdu gdu; then
    names+=("gdu -n -p -x"); commands+=("gdu -n -p -x $tree")
fi
if install_if_missing ncdu ncdu; then
    names+=("ncdu -x -0 -o /dev/null"); commands+=("ncdu -x -0 -o /dev/null $tree")
fi
names+=("limit walker (getdents64 + statx, one thread)"
    "vorin-report --threads 1"
    "vorin-report (default: ${threads:-?} threads)"
    "vorin-report --threads 8")
commands+=("$limit $tree"
    "$report --threads 1 --json $tree"
    "$report --json $tree"
    "$report --threads 8 --json $tree")
limit_index=$((${#names[@]} - 4))
one_index=$((${#names[@]} - 3))
default_index=$((${#names[@]} - 2))
baseline_index=""
if [ -n "${BASELINE:-}" ]; then
    baseline_index=${#names[@]}
    names+=("baseline vorin-report --threads 1" "baseline vorin-report (its default)")
    commands+=("$BASELINE --threads 1 --json $tree" "$BASELINE --json $tree")
fi

can_drop=false
if [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
    can_drop=true
fi
drop_caches() {
    sync
    echo 3 > /proc/sys/vm/drop_caches
}


# One run of tool i in a mode: its wall time and CPU time (user + system, in
# milliseconds, from the shell's own clock) and its peak memory (KiB) are
# appended to that mode's files.
TIMEFORMAT='%3R %3U %3S'
measure() { # mode index
    local mode=$1 i=$2 real user sys
    if [ "$mode" = cold ]; then drop_caches; fi
    { time /usr/bin/time -f "%M" -o "$work/usage" ${commands[$i]} > /dev/null 2>&1; } 2> "$work/clock"
    read -r real user sys < "$work/clock"
    awk -v r="$real" 'BEGIN { printf "%d\n", r * 1e6 }' >> "$work/$mode.time.$i"
    awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d\n", (u + s) * 1e6 }' >> "$work/$mode.cpu.$i"
    cat "$work/usage" >> "$work/$mode.mem.$i"
}

for mode in $modes; do
    if [ "$mode" = cold ] && ! $can_drop; then
        echo "cold cache: skipped, dropping the page cache needs root" >&2
        continue
    fi
    # Warm: every inode and directory block read once before.
    if [ "$mode" = warm ]; then
        du -s -x "$tree" > /dev/null
        "$limit" "$tree" > /dev/null
    fi
    for ((r = 0; r < runs; r++)); do
        for i in "${!commands[@]}"; do
            measure "$mode" "$i"
        done
    done
done

# The one-thread walk against the limit walker, the closest comparison: many
# more rounds of the two alone, taking turns in alternating order, both pinned
# to the same core so that neither gains or loses by the scheduler's moves
# between cores (both walk with one thread). Warm only.
pair_runs="${PAIR_RUNS:-61}"
pin=()
if command -v taskset > /dev/null; then
    pin=(taskset -c "$(($(nproc) - 1))")
fi
if [[ " $modes " == *" warm "* ]]; then
    for ((r = 0; r < pair_runs; r++)); do
        for i in $([ $((r % 2)) -eq 0 ] && echo "$limit_index $one_index" || echo "$one_index $limit_index"); do
            { time "${pin[@]}" ${commands[$i]} > /dev/null 2>&1; } 2> "$work/clock"
            read -r real user sys < "$work/clock"
            awk -v r="$real" 'BEGIN { printf "%d\n", r * 1e6 }' >> "$work/pair.time.$i"
        done
    done
fi

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
# The lower and upper quartiles, as "a and b": the spread of a paired ratio.
quartiles() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.3f and %.3f", v[int((NR + 3) / 4)], v[int((3 * NR + 1) / 4)] }'
}
# The median over the rounds of file a's figure divided by file b's of the same round.
paired() { # a b
    [ -f "$1" ] && [ -f "$2" ] || return 0
    paste "$1" "$2" | awk '{ printf "%.6f\n", $1 / $2 }' | median
}
ratio() { # mode index against-index [time|cpu [decimals]]
    local r
    r=$(paired "$work/$1.${4:-time}.$2" "$work/$1.${4:-time}.$3")
    [ -n "$r" ] && printf "%.${5:-2}f" "$r" || printf "skipped"
}
seconds() { # mode index
    [ -f "$work/$1.time.$2" ] && median < "$work/$1.time.$2" | awk '{ printf "%.3f s", $1 / 1e6 }' ||
        printf "skipped"
}
peak_mb() { # index
    cat "$work"/*.mem."$1" 2> /dev/null | sort -n | tail -1 | awk '{ printf "%.1f", $1 / 1024 }'
}

found=$("$limit" "$tree" | cut -d' ' -f1)
/usr/bin/time -f "%M" -o "$work/usage64" "$report" --threads 64 --json "$tree" > /dev/null
{
    echo "Tree: $tree, $found files in $dirs directories; $(nproc) cores ($(uname -r));"
    echo "load average at the end $(cut -d' ' -f1-3 /proc/loadavg); $runs paired rounds per mode."
    $can_drop || echo "Cold cache: skipped (dropping the page cache needs root)."
    echo
    echo "| Run | warm: ratio to du | cold: ratio to du | peak memory (MB) |"
    echo "|---|---:|---:|---:|"
    for i in "${!commands[@]}"; do
        echo "| ${names[$i]} | $(ratio warm "$i" 0) | $(ratio cold "$i" 0) | $(peak_mb "$i") |"
    done
    echo
    echo "du itself (median): $(seconds warm 0) warm, $(seconds cold 0) cold."
    awk '{ printf "vorin-report --threads 64, the most it takes: peak memory %.1f MB.\n", $1 / 1024 }' "$work/usage64"
    echo "vorin-report --threads 1 against the limit walker (paired): $(ratio warm "$one_index" "$limit_index" time 3) warm, $(ratio cold "$one_index" "$limit_index" time 3) cold; in CPU time $(ratio warm "$one_index" "$limit_index" cpu 3) warm."
    if [ -f "$work/pair.time.$one_index" ]; then
        spread=$(paste "$work/pair.time.$one_index" "$work/pair.time.$limit_index" |
            awk '{ printf "%.6f\n", $1 / $2 }' | quartiles)
        echo "The same, the two alone in $pair_runs alternating pairs${pin:+ pinned to one core}: $(ratio pair "$one_index" "$limit_index" time 3) warm (half the pairs between $spread)."
    fi
    if [ "${names[1]}" = "gdu -n -p -x" ]; then
        echo "vorin-report (default) against gdu (paired): $(ratio warm "$default_index" 1 time 3) warm, $(ratio cold "$default_index" 1 time 3) cold."
    fi
    if [ -n "$baseline_index" ]; then
        echo "Against the baseline (paired): --threads 1 $(ratio warm "$one_index" "$baseline_index" time 3) warm, $(ratio cold "$one_index" "$baseline_index" time 3) cold; default $(ratio warm "$default_index" $((baseline_index + 1)) time 3) warm, $(ratio cold "$default_index" $((baseline_index + 1)) time 3) cold."
    fi
} | tee "${OUT:-/dev/null}"

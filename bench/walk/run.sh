#!/usr/bin/env bash
# Times the directory walk against its peers on one generated tree, in one run:
#   vorin-report --threads 1, vorin-report (default threads),
#   du -s -x --apparent-size, ncdu -x -0 -o /dev/null, gdu -n -p -x
# Each tool runs RUNS times (default 5), the tools taking turns so that the
# load of a shared machine falls on all of them alike; the table gives the
# median wall time and its ratio to du's, the median CPU time (user + system,
# which a busy machine disturbs less) and its ratio, and the peak resident memory.
#
# usage: bench/walk/run.sh [TREE_DIR]      (default /tmp/vorin-walk-bench)
#   BUILD=dir   the Release build to use or make (default <repo>/build-bench-walk)
#   RUNS=n      runs per tool
#   OUT=file    also write the table there (e.g. bench/walk/RESULTS.md)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD:-$repo/build-bench-walk}"
tree="${1:-/tmp/vorin-walk-bench}"
runs="${RUNS:-5}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORIN_CORE_ONLY=ON > /dev/null
cmake --build "$build" --target vorin-report vorin-walk-gen -j 2 > /dev/null
report="$build/src/engine/report/vorin-report"
gen="$build/bench/walk/vorin-walk-gen"

if [ ! -f "$tree/.vorin-walk-tree" ]; then
    echo "generating $tree ..." >&2
    rm -rf "$tree"
    "$gen" "$tree"
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

names=("vorin-report --threads 1" "vorin-report" "du -s -x --apparent-size")
commands=("$report --threads 1 --json $tree" "$report --json $tree" "du -s -x --apparent-size $tree")
if install_if_missing ncdu ncdu; then
    names+=("ncdu -x -0 -o /dev/null"); commands+=("ncdu -x -0 -o /dev/null $tree")
fi
if install_if_missing gdu gdu; then
    names+=("gdu -n -p -x"); commands+=("gdu -n -p -x $tree")
fi

# Warm the cache: every inode and directory block read once.
du -s -x "$tree" > /dev/null
"$report" --json "$tree" > /dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for ((r = 0; r < runs; r++)); do
    for i in "${!commands[@]}"; do
        start=$(date +%s%N)
        /usr/bin/time -f "%M %U %S" -o "$work/usage" ${commands[$i]} > /dev/null 2>&1
        end=$(date +%s%N)
        echo $(( (end - start) / 1000 )) >> "$work/time.$i"
        read -r rss user sys < "$work/usage"
        echo "$rss" >> "$work/mem.$i"
        awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d\n", (u + s) * 1e6 }' >> "$work/cpu.$i"
    done
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
du_us=$(median "$work/time.2")
du_cpu=$(median "$work/cpu.2")
files=$("$report" --json "$tree" | sed 's/^{"filesProcessed":\([0-9]*\),.*/\1/')
{
    echo "Tree: $tree, $files files; $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg); medians of $runs runs, warm cache."
    echo
    echo "| Tool | Median wall time (s) | Ratio to du | Median CPU time (s) | CPU ratio to du | Peak memory (MB) |"
    echo "|---|---:|---:|---:|---:|---:|"
    for i in "${!commands[@]}"; do
        t=$(median "$work/time.$i")
        c=$(median "$work/cpu.$i")
        m=$(sort -n "$work/mem.$i" | tail -1)
        awk -v name="${names[$i]}" -v t="$t" -v du="$du_us" -v c="$c" -v duc="$du_cpu" -v m="$m" \
            'BEGIN { printf "| %s | %.3f | %.2f | %.2f | %.2f | %.1f |\n", name, t / 1e6, t / du, c / 1e6, c / duc, m / 1024 }'
    done
} | tee "${OUT:-/dev/null}"

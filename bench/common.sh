# What the benchmark scripts share; sourced after they set $work, a scratch
# directory of their own.

TIMEFORMAT='%3R'

# clock FILE COMMAND...: appends the command's wall time in microseconds.
clock() {
    local out=$1
    shift
    { time "$@" > /dev/null 2>&1; } 2> "$work/clock"
    awk '{ printf "%d\n", $1 * 1e6 }' "$work/clock" >> "$out"
}

# median FILE: the median of its numbers, one a line.
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# ratio A B: the median of the ratios of the pairs of times in A and B (the
# same lines), with the middle half of them.
ratio() {
    paste "$1" "$2" | awk '{ printf "%.6f\n", $1 / $2 }' | sort -n |
        awk '{ v[NR] = $1 } END { printf "%.3f (middle half %.3f to %.3f)", v[int((NR + 1) / 2)], v[int((NR + 3) / 4)], v[int((3 * NR + 1) / 4)] }'
}

# walk_tree GENERATOR DIR: the walk benchmark's tree of 100,000 files in
# 5,500 directories, made again only when DIR holds another.
walk_tree() {
    if [ "$(cat "$2/.vorin-walk-tree" 2> /dev/null)" != "100000 files in 5500 directories" ]; then
        rm -rf "$2"
        "$1" "$2" 100000 5500
    fi
}

#!/usr/bin/env bash
# vorin-report-mpi with 1, 2 and 4 ranks against vorin-report on trees made
# to be hard to share: one directory with most of the files, a deep chain,
# files of several names (within a directory and across directories) whose
# names share a type, a hidden directory, an unreadable one. Every figure of
# the JSON must be the same; only the walking threads may differ.
#   mpi-test.sh VORIN_REPORT_MPI VORIN_REPORT
set -euo pipefail
mpi="$1"
report="$2"
work="$(mktemp -d /tmp/vorin-report-mpi-XXXXXX)"
trap 'chmod -R u+rwx "$work" 2> /dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v mpirun > /dev/null || fail "mpirun is missing: run tools/install-deps.sh"

# The scans are kept in a history of the test's own, never the user's.
export XDG_DATA_HOME="$work/data"
# A container gives the shared-memory transport no right to read another
# process's memory directly; copying through the shared segment works anywhere.
export OMPI_MCA_btl_vader_single_copy_mechanism=none
mpi_run=(mpirun --oversubscribe)
[ "$(id -u)" -ne 0 ] || mpi_run+=(--allow-run-as-root)

tree="$work/tree"
mkdir -p "$tree/crowd" "$tree/a" "$tree/b" "$tree/.hidden" "$tree/closed"
for i in $(seq 1 2000); do
    printf '%*s' $((i % 97 * 53)) '' > "$tree/crowd/f$i.$( [ $((i % 3)) -eq 0 ] && echo dat || echo txt)"
    touch -d "@$(( $(date +%s) - i * 43200 ))" "$tree/crowd/f$i."*
done
chain="$tree/deep"
for level in $(seq 1 60); do
    chain="$chain/d"
    mkdir -p "$chain"
    printf '%*s' $((level * 700)) '' > "$chain/x$level.log"
done
for i in $(seq 1 40); do
    mkdir -p "$tree/wide/w$i"
    printf 'w' > "$tree/wide/w$i/one.md"
done
truncate -s 70000 "$tree/a/shared.iso"
ln "$tree/a/shared.iso" "$tree/b/again.iso"
ln "$tree/a/shared.iso" "$tree/deep/d/third.iso"
printf 'pair' > "$tree/a/pair.txt"
ln "$tree/a/pair.txt" "$tree/a/pair-too.txt"
printf 'never' > "$tree/.hidden/never.txt"
printf 'closed' > "$tree/closed/inside.txt"
if [ "$(id -u)" -ne 0 ]; then chmod 000 "$tree/closed"; fi

compare() {
    python3 - "$1" "$2" "$3" <<'PY'
import json, sys
single, shared, label = json.load(open(sys.argv[1])), json.load(open(sys.argv[2])), sys.argv[3]
for figures in (single, shared):
    figures.pop("walkThreads")
    for drive in figures["drives"]:
        drive.pop("free")  # other tests write files meanwhile
differing = [key for key in single if single[key] != shared.get(key)]
assert not differing and single.keys() == shared.keys(), \
    f"{label}: {[(k, single[k], shared.get(k)) for k in differing]}"
assert single["filesProcessed"] > 2000 and single["hardLinksSkipped"] == 3, single
PY
}

for filter in "" "--include txt,iso"; do
    # shellcheck disable=SC2086
    "$report" --json --no-history $filter "$tree" > "$work/single.json" ||
        fail "vorin-report $filter: status $?"
    for ranks in 1 2 4; do
        # shellcheck disable=SC2086
        "${mpi_run[@]}" -np "$ranks" "$mpi" --json $filter "$tree" > "$work/shared.json" \
            2> "$work/shared.err" || fail "$ranks ranks $filter: status $?: $(cat "$work/shared.err")"
        compare "$work/single.json" "$work/shared.json" "$ranks ranks $filter" ||
            fail "$ranks ranks $filter: the figures differ"
    done
done

# Text and CSV print the tables as vorin-report does.
"$report" --csv --no-history "$tree" > "$work/single.csv"
"${mpi_run[@]}" -np 2 "$mpi" --csv "$tree" > "$work/shared.csv" 2> /dev/null
cmp -s "$work/single.csv" "$work/shared.csv" || fail "the CSV differs"
"${mpi_run[@]}" -np 2 "$mpi" "$tree" > "$work/shared.txt" 2> /dev/null
grep -q '^Finished - ' "$work/shared.txt" || fail "the text has no status line"

# A bad command line: one line on standard error and status 2, on every rank.
set +e
"${mpi_run[@]}" -np 2 "$mpi" --history "$tree" > /dev/null 2> "$work/err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "--history gave status $status"
[ "$(grep -c 'vorin-report-mpi:' "$work/err")" -eq 1 ] || fail "--history: $(cat "$work/err")"
echo "vorin-report-mpi: ok"

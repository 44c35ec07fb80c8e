#!/usr/bin/env bash
# What sharing a walk over MPI costs on one machine, as ratios in one
# invocation, warm, on the walk benchmark's tree of 100,000 files:
#   - vorin-report-mpi with 2 ranks against vorin-report --threads 2;
#   - vorin-report-mpi with 1 rank against vorin-report --threads 1 (the
#     cost of the shared walk's rules alone, without a second process);
# in alternating pairs; then the per-file and per-directory costs the model
# in README.md takes.
#
# usage: bench/mpi/run.sh [TREE_DIR]   (default /tmp/vorin-walk-bench)
#   BUILD=dir   the Release core build to use or make (default <repo>/build-bench-walk)
#   PAIRS=n     alternating pairs (default 15)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD:-$repo/build-bench-walk}"
tree="${1:-/tmp/vorin-walk-bench}"
pairs="${PAIRS:-15}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORIN_CORE_ONLY=ON > /dev/null
cmake --build "$build" --target vorin-report vorin-report-mpi vorin-walk-gen -j 2 > /dev/null
report="$build/src/engine/report/vorin-report"
mpi="$build/src/engine/report/vorin-report-mpi"
gen="$build/bench/walk/vorin-walk-gen"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck source=../common.sh
. "$here/../common.sh"
walk_tree "$gen" "$tree"
export XDG_DATA_HOME="$work/data" OMPI_MCA_btl_vader_single_copy_mechanism=none
mpi_run=(mpirun --oversubscribe)
[ "$(id -u)" -ne 0 ] || mpi_run+=(--allow-run-as-root)

"$report" --no-history --json "$tree" > /dev/null # warm
for ranks in 1 2; do
    for ((r = 0; r < pairs; r++)); do
        if ((r % 2 == 0)); then
            clock "$work/mpi$ranks" "${mpi_run[@]}" -np "$ranks" "$mpi" --json "$tree"
            clock "$work/single$ranks" "$report" --no-history --threads "$ranks" --json "$tree"
        else
            clock "$work/single$ranks" "$report" --no-history --threads "$ranks" --json "$tree"
            clock "$work/mpi$ranks" "${mpi_run[@]}" -np "$ranks" "$mpi" --json "$tree"
        fi
    done
done
# The programs' own start: a walk of an empty directory, for each.
mkdir "$work/empty"
for ((r = 0; r < pairs; r++)); do
    clock "$work/start" "${mpi_run[@]}" -np 2 "$mpi" --json "$work/empty"
    clock "$work/singleStart" "$report" --no-history --threads 2 --json "$work/empty"
done
walk() { echo $(($(median "$1") - $(median "$2"))); }

echo "tree: $(cat "$tree/.vorin-walk-tree"), warm, $pairs alternating pairs"
echo "2 ranks against --threads 2: $(ratio "$work/mpi2" "$work/single2")"
echo "1 rank against --threads 1:  $(ratio "$work/mpi1" "$work/single1")"
echo "the walks alone (each program's start taken away), 2 ranks against --threads 2:" \
     "$(awk -v a="$(walk "$work/mpi2" "$work/start")" -v b="$(walk "$work/single2" "$work/singleStart")" \
            'BEGIN { printf "%.3f", a / b }')"
echo "medians: --threads 1 $(median "$work/single1") us, --threads 2 $(median "$work/single2") us," \
     "1 rank $(median "$work/mpi1") us, 2 ranks $(median "$work/mpi2") us," \
     "mpirun and an empty walk $(median "$work/start") us," \
     "vorin-report on an empty directory $(median "$work/singleStart") us"

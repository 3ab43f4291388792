#!/usr/bin/env bash
# `make bench`: builds the benchmark and the builder in a Release tree of their own (build/bench,
# no sanitizers), the two Windows programs a distribution carries in the win64 tree, and runs
# vtbench, which generates its corpus under build/bench/corpus (kept for the next run), measures
# and prints the table on stdout (progress and build output on stderr). BENCH=quick: a small
# corpus and no Wine, about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${BENCH:-full}
case $mode in
  quick | full) ;;
  *) echo "bench: BENCH is quick or full, not '$mode'" >&2; exit 2 ;;
esac
jobs=${JOBS:-$(nproc)}
scripts/bootstrap.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/bench --target vantorel vtbench -- -j"$jobs" >&2
# vantorel build packs the win64 tree's install program and loader (it finds them from its own
# folder: build/bench/apps/../../win64/apps).
[ -f build/win64/build.ninja ] || { echo "bench: no win64 tree (make win64)" >&2; exit 1; }
cmake --build build/win64 --target vtsetup VantorelLoadProgram -- -j"$jobs" >&2
args=(--root build/bench --vantorel build/bench/apps/vantorel --source .)
[ "$mode" = quick ] && args+=(--quick --no-wine)
exec build/bench/apps/vtbench "${args[@]}"

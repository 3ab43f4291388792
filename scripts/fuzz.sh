#!/usr/bin/env bash
# Runs the libFuzzer harnesses of the fuzz tree, each for a bounded time, and says what they found.
#
#   scripts/fuzz.sh TREE SECONDS [HARNESS...]      (default: every harness)
#
# Each harness starts from its seeds (TREE/seeds/<harness>, made afresh), the inputs kept from
# earlier runs (TREE/corpus/<harness>, where new inputs go) and the regression inputs of
# tests/fuzz/regressions/<harness>. A crash, a hang (an input running past FUZZ_TIMEOUT seconds)
# or an input needing more than FUZZ_RSS_MB of memory stops that harness; the input is kept in
# TREE/findings/<harness>/ and the script ends with status 1 after running the others.
set -uo pipefail
cd "$(dirname "$0")/.."

tree=$1 seconds=$2
shift 2
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(archive trailer form pe_version version_block file_list language)
timeout_s=${FUZZ_TIMEOUT:-10}
rss_mb=${FUZZ_RSS_MB:-2048}

"$tree/tests/fuzz/fuzz_seeds" "$tree/seeds" || exit 1

found=()
for h in "${harnesses[@]}"; do
  program=$tree/tests/fuzz/fuzz_$h
  if [ ! -x "$program" ]; then
    echo "fuzz: no harness $h ($program)" >&2
    exit 2
  fi
  corpus=$tree/corpus/$h findings=$tree/findings/$h scratch=$tree/scratch/$h log=$tree/logs/$h.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  rm -rf "$scratch"
  inputs=("$corpus" "$tree/seeds/$h")
  [ -d "tests/fuzz/regressions/$h" ] && inputs+=("tests/fuzz/regressions/$h")
  options=()
  [ -f "$tree/seeds/$h.dict" ] && options+=(-dict="$tree/seeds/$h.dict")

  echo "fuzz: $h for ${seconds}s"
  # The outer timeout only guards against a fuzzer that does not stop by itself.
  VANTOREL_FUZZ_SCRATCH=$scratch timeout -k 30 $((seconds + timeout_s + 300)) \
    "$program" -max_total_time="$seconds" -timeout="$timeout_s" -rss_limit_mb="$rss_mb" \
    -print_final_stats=1 -artifact_prefix="$findings/" "${options[@]}" "${inputs[@]}" >"$log" 2>&1
  status=$?
  rm -rf "$scratch"

  # libFuzzer's last coverage line and final statistics.
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -1 | sed 's/^/  /'
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
    "$log" | sed 's/^/  /'
  if [ $status -ne 0 ]; then
    found+=("$h")
    echo "  FINDING (exit $status): see $log"
    grep -E '^==[0-9]+==ERROR|^==fuzz== FINDING|SUMMARY:|ALARM|out-of-memory|Test unit written' \
      "$log" | head -8 | sed 's/^/    /'
  fi
done

if [ ${#found[@]} -gt 0 ]; then
  echo "fuzz: findings in ${found[*]}: minimise one with"
  echo "  $tree/tests/fuzz/fuzz_HARNESS -minimize_crash=1 -runs=10000 INPUT"
  echo "and keep it in tests/fuzz/regressions/HARNESS/ once the fault is mended"
  exit 1
fi
echo "fuzz: no findings"

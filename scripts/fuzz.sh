#!/usr/bin/env bash
# Builds the fuzz targets (preset asan) and runs each for SECONDS (default 60), one after the
# other, starting from its seed inputs in fuzz/corpus/NAME. Inputs that reach new code collect
# in build-asan/fuzz-corpus/NAME; inputs that break something are saved in
# build-asan/fuzz-findings/NAME. Prints executions, coverage and findings per target and exits
# with 1 when anything was found. FUZZ_TARGETS="a b" runs only those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-asan
cmake --preset asan >/dev/null
targets="${FUZZ_TARGETS:-$(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||' | tr '\n' ' ')}"
# shellcheck disable=SC2086
cmake --build --preset asan --target $targets
# The targets write their inputs to files: in memory when the system offers a tmpfs.
scratch_root=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm
scratch=$(mktemp -d "$scratch_root/hangarix-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
found_any=0
printf '%-22s %12s %8s %8s %9s\n' target executions cov ft findings
for t in $targets; do
  name="${t%_fuzz}"
  corpus="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  rm -f "$findings"/*
  status=0
  TMPDIR="$scratch" "$build/fuzz/$t" "$corpus" "fuzz/corpus/$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  count=$(find "$findings" -type f | wc -l)
  if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then count="failed($status)"; fi
  printf '%-22s %12s %8s %8s %9s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$count"
  if [ "$count" != 0 ]; then
    found_any=1
    grep -m3 -E 'ERROR|fuzz invariant|runtime error|deadly signal' "$log" | sed 's/^/    /' || true
    find "$findings" -type f | sed 's/^/    input: /'
  fi
done
exit "$found_any"

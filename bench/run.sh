#!/usr/bin/env bash
# Builds the benchmarks and runs the three that race a peer tool side by side, then prints the
# ratios (above 1: Hangarix is faster). Run on an idle machine; each prints its own tables too.
#
#   bash bench/run.sh [rounds]          # default 5 rounds each
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
preset=${HANGARIX_BENCH_PRESET:-default}
bash scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
build=build-$preset # the presets' folders
[[ $preset == default ]] && build=build
cmake --build --preset "$preset" --target unzip_bench install_bench download_bench hangarix-cli

log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
    printf '\n== %s\n' "$*" | tee -a "$log"
    "$@" | tee -a "$log"
}
run "$build/bench/unzip_bench" "$rounds"
run "$build/bench/install_bench" "$rounds"
run "$build/bench/download_bench" 256

echo
echo "== summary ($(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1))"
awk '
    /^one 300 MiB file/ { shape = "unpack 300 MiB entry" }
    /^5,000 small files/ { shape = "unpack 5,000 files" }
    /ZipExtractor \/ bsdtar:/ { gsub(/[(),:]/, " "); printf "%-40s %s (one thread %s)\n", shape " vs bsdtar", $7, $4 }
    /^installOnePackage \(window\)/ { printf "%-40s %s\n", "install in the window vs cp -rn", $NF }
    /^hangarix-cli install/ { printf "%-40s %s\n", "install with hangarix-cli vs cp -rn", $NF }
    /^into / { where = ($2 ~ /^\/dev\/shm/) ? "tmpfs" : "disk"; part = "full" }
    /^resuming/ { part = "resume" }
    /^ratio \(fetch/ { printf "%-40s %s\n", "download " part " on " where " vs curl", $(NF-3) }
    /^fetch peak memory/ { if (part == "full") printf "%-40s %s MiB\n", "download peak memory on " where, $4 }
' "$log"

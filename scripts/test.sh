#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
preset=default
[ "${CI:-}" = true ] && preset=ci
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"

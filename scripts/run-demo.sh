#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tool on the sample sandbox in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target hangarix-cli
sandbox=$(mktemp -d)
cp -r examples/sandbox/. "$sandbox"
cli=(build/src/hangarix-cli -C "$sandbox" --sim fsx --root "$sandbox/FSX")
set -x
"${cli[@]}" sim
"${cli[@]}" packages
"${cli[@]}" install --all
set +x
echo "--- aircraft.cfg after installing every local package:"
tr -d '\r' < "$sandbox/FSX/SimObjects/Airplanes/KZQ_A320/aircraft.cfg"
echo "--- installed texture folders:"
(cd "$sandbox/FSX/SimObjects/Airplanes/KZQ_A320" && ls -d texture.*/* | sort)
echo "(sandbox left in $sandbox)"

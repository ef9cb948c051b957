#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window on the demo sandbox: an FSX folder with
# the maker's aircraft, sample packages in downloads and a catalogue served on 127.0.0.1.
# Without a display it renders the panels to PNG files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target hangarix hangarix-cli
demo="${1:-$PWD/hangarix-demo}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/app/hangarix --demo "$demo"
fi
for panel in local catalogue removal progress installing; do
  QT_QPA_PLATFORM=offscreen build/src/app/hangarix --demo "$demo" \
    --screenshot "$demo-$panel.png" --panel "$panel"
done
echo "No display: screenshots written to $demo-{local,catalogue,removal,progress,installing}.png"

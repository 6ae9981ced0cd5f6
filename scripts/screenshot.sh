#!/usr/bin/env bash
# Makes the README's picture: the window at 1280×800 on a virtual display
# (Xvfb) during a demo run, the batch panel open, two items collected and
# the third under way. Usage: scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
mkdir -p "$(dirname "$out")"
./scripts/setup-debian.sh >&2
./scripts/build.sh >/dev/null
xvfb-run -a -s "-screen 0 1280x800x24" ./build/src/shell/zorvane-picker --demo --screenshot "$out"

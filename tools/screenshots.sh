#!/usr/bin/env bash
# Renders the splash, the main window and the device forms' pages (01-09) into docs/screenshots/
# under Xvfb, the forms after a Read from simulated devices. The line traffic window (10) and the
# forms under Wine (11, 12, from tools/windows.sh demo) are taken by hand.
#   tools/screenshots.sh [build dir]   (default build, as ./run configures it)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || { echo "screenshots: $build is no configured build tree (./run makes build/)"; exit 1; }
cmake --build "$build" --target screenshots -j"$(nproc)" >/dev/null
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/tools/screenshots" docs/screenshots

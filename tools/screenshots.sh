#!/usr/bin/env bash
# Renders every window and page into docs/screenshots/ under Xvfb.
#   tools/screenshots.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target screenshots -j"$(nproc)" >/dev/null
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/tools/screenshots" docs/screenshots

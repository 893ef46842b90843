#!/usr/bin/env bash
# Makes docs/editor_*.png: the main window on the demo model in each mode (pictures, melodies,
# operators, strings, restore), grabbed by the window tests in a real X server (Xvfb).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$here" -B "$build" -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target test_app >/dev/null
mkdir -p "$here/docs"
display=:$((RANDOM % 400 + 200))
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb QV_EDITOR_SHOTS="$here/docs" \
    "$build/bin/test_app" --gtest_filter='EditorTest.EachModeKeepsItsControlsInsideTheWindowAndApart'
for f in "$here"/docs/editor_*.png; do echo "Wrote docs/$(basename "$f")"; done

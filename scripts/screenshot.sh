#!/usr/bin/env bash
# Makes docs/window.png: the window on the demo model, read from the demo phone, under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
[ -x "$build/bin/quorvanta" ] || "$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
bin="$build/bin"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/quorvanta-demo-model" "$work" >/dev/null
"$bin/quorvanta-cli" build-from-dumps "$work/demo.sav" "$work/demo_1.bif" "$work/demo_2.bif" >/dev/null
display=:$((RANDOM % 400 + 200))
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
sleep 1
cd "$work"
DISPLAY=$display "$bin/quorvanta" --settings "$work/setting.ini" demo.sav >/dev/null 2>&1 &
sleep 4
mkdir -p "$here/docs"
DISPLAY=$display import -window root -crop 571x458+0+0 "$here/docs/window.png"
echo "Wrote docs/window.png"

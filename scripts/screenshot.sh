#!/usr/bin/env bash
# Makes the window's pictures in docs/ under Xvfb:
#   docs/window.png              the window on the demo model (no window manager)
#   docs/skin_0.png, skin_11.png, skin_100.png   (with --skin) the see-through background at
#       transparency 0, 11 and 100 %, under the openbox window manager, over a recognisable
#       desktop, after the window was dragged by its title bar to a new place
# Usage: scripts/screenshot.sh [--skin] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
skin=0
if [ "${1:-}" = "--skin" ]; then skin=1; shift; fi
build="${1:-$here/build}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac  # the window runs from a scratch folder
[ -x "$build/bin/quorvanta" ] || "$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
bin="$build/bin"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/quorvanta-demo-model" "$work" >/dev/null
"$bin/quorvanta-cli" build-from-dumps "$work/demo.sav" "$work/demo_1.bif" "$work/demo_2.bif" >/dev/null
mkdir -p "$here/docs"
cd "$work"

if [ $skin -eq 0 ]; then
  display=:$((RANDOM % 400 + 200))
  Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
  sleep 1
  DISPLAY=$display "$bin/quorvanta" --settings "$work/setting.ini" demo.sav >/dev/null 2>&1 &
  sleep 4
  # Without a window manager the window stands where it asks to: the middle of the screen.
  DISPLAY=$display import -window root -crop 571x458+114+71 "$here/docs/window.png"
  echo "Wrote docs/window.png"
  exit 0
fi

for tool in openbox xdotool; do
  command -v $tool >/dev/null || { echo "--skin needs $tool (apt-get install $tool)" >&2; exit 1; }
done
display=:$((RANDOM % 400 + 200))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
sleep 1
export DISPLAY=$display
openbox >/dev/null 2>&1 &
sleep 1
# A desktop that shows where it continues under the window: a checkerboard, a red rectangle,
# a blue disc and a line of text.
convert -size 320x200 pattern:checkerboard -scale 400% \
  -fill '#c02020' -draw "rectangle 300,150 700,400" -fill '#2040c0' -draw "circle 800,500 800,650" \
  -pointsize 72 -fill black -annotate +200+700 'QUORVANTA DESKTOP' "$work/desktop.png"
display -window root "$work/desktop.png" || true  # sets the root window, then reports 1
for t in 0 11 100; do
  printf '[Face]\nTransparency=%s\nBackColor=12632256\nColor=16711680\n' $t > "$work/skin.ini"
  "$bin/quorvanta" --settings "$work/skin.ini" demo.sav >/dev/null 2>&1 &
  app=$!
  sleep 4
  # Drag it by the title bar 250 pixels left and 40 down: the background is rebuilt there.
  eval "$(xdotool search --sync --onlyvisible --name '^Quorvanta$' getwindowgeometry --shell | head -5)"
  xdotool mousemove $((X + 250)) $((Y + 12)) mousedown 1
  for step in 1 2 3 4 5; do sleep 0.1; xdotool mousemove $((X + 250 - step * 50)) $((Y + 12 + step * 8)); done
  xdotool mouseup 1
  sleep 2
  import -window root -crop 900x640+20+100 "$here/docs/skin_$t.png"
  kill $app; wait $app 2>/dev/null || true
  echo "Wrote docs/skin_$t.png"
done

#!/usr/bin/env bash
# Makes the Windows window's pictures in docs/: quorvanta.exe under Wine, in Xvfb with openbox,
# in a fresh Wine prefix whose COM5 is a pseudo-terminal.
#   docs/windows_window.png      the main window on the demo model, in a folder with a Cyrillic
#                                name (Windows opens such paths through their wide names)
#   docs/windows_setup_com.png   "Setup COM port" listing COM5
#   docs/windows_skin_11.png     the see-through background at 11 % over a recognisable desktop
# Usage: scripts/windows/screenshot.sh DIR   (a Windows build, scripts/windows/build.sh DIR)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
bin=$(cd "$1" && pwd)/bin
[ -f "$bin/quorvanta.exe" ] || { echo "No Windows build in $1 (scripts/windows/build.sh $1)" >&2; exit 3; }
for tool in Xvfb openbox xdotool import xsetroot wine python3; do
  command -v $tool >/dev/null ||
    { echo "needs $tool (apt-get install xvfb openbox xdotool imagemagick x11-xserver-utils wine)" >&2; exit 1; }
done
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill $(jobs -p) 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
log="$work/wine.log"
display=:$((RANDOM % 400 + 200))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
sleep 1
export DISPLAY=$display
openbox >/dev/null 2>&1 &

# A pseudo-terminal that stays open while the pictures are taken, mapped as COM5: Wine lists a
# port only when the registry declares it too, and reads that when its server starts.
python3 -c 'import os, pty, sys, time
master, slave = pty.openpty()
print(os.ttyname(slave), flush=True)
time.sleep(600)' >"$work/pty" &
for _ in $(seq 50); do [ -s "$work/pty" ] && break; sleep 0.1; done
pty=$(cat "$work/pty")
mkdir -p "$WINEPREFIX"
wineserver -p >>"$log" 2>&1
timeout 300 wine wineboot -i >>"$log" 2>&1
timeout 120 wine winecfg /v win10 >>"$log" 2>&1
timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$pty" /f >>"$log" 2>&1
ln -sf "$pty" "$WINEPREFIX/dosdevices/com5"
wineserver -k >/dev/null 2>&1 || true
sleep 1
wineserver -p >>"$log" 2>&1

# The demo model, made by the Windows programs themselves, in a folder named in Cyrillic.
files="$work/Модели"
mkdir -p "$files"
(cd "$files" && timeout 120 wine "$bin/quorvanta-demo-model.exe" . >>"$log" 2>&1 &&
  timeout 120 wine "$bin/quorvanta-cli.exe" build-from-dumps demo.sav demo_1.bif demo_2.bif >>"$log" 2>&1)
printf '[COM]\r\nPort=COM5\r\n[Face]\r\nTransparency=11\r\nBackColor=12632256\r\nColor=16711680\r\n' >"$work/skin.ini"
mkdir -p "$here/docs"

start_window() {  # settings file; the window's geometry lands in X, Y
  (cd "$files" && wine "$bin/quorvanta.exe" --settings "$(winepath -w "$1")" demo.sav >>"$log" 2>&1) &
  sleep 1
  eval "$(xdotool search --sync --onlyvisible --name '^Quorvanta$' getwindowgeometry --shell | head -5)"
  sleep 4
}

# A plain desktop for the first two, so that the window's own drawing is what one sees.
xsetroot -solid '#404850'
start_window "$work/skin.ini"
import -window root -crop 571x458+"$X"+"$Y" "$here/docs/windows_window.png"
echo "Wrote docs/windows_window.png"
# The settings button is the fifth of the tool bar (38 pixels apart from x 10, y 32).
xdotool mousemove $((X + 10 + 4 * 38 + 14)) $((Y + 32 + 12)) click 1
sleep 5
# The port list opened: the dialog draws its own frame and stands in the middle of the window,
# its port box's arrow 412, 140 from the window's corner.
xdotool mousemove $((X + 412)) $((Y + 140)) click 1
sleep 2
import -window root -crop 571x458+"$X"+"$Y" "$here/docs/windows_setup_com.png"
echo "Wrote docs/windows_setup_com.png"
wineserver -k >/dev/null 2>&1 || true
sleep 1
wineserver -p >>"$log" 2>&1

# The see-through background at 11 % over the desktop that --skin on Linux uses.
convert -size 320x200 pattern:checkerboard -scale 400% \
  -fill '#c02020' -draw "rectangle 300,150 700,400" -fill '#2040c0' -draw "circle 800,500 800,650" \
  -pointsize 72 -fill black -annotate +200+700 'QUORVANTA DESKTOP' "$work/desktop.png"
display -window root "$work/desktop.png" || true  # sets the root window, then reports 1
start_window "$work/skin.ini"
import -window root -crop 900x640+20+100 "$here/docs/windows_skin_11.png"
echo "Wrote docs/windows_skin_11.png"

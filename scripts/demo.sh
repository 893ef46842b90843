#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the demo phone: a synthetic phone
# model (a table file and its flash dumps) served by the phone emulator on a pseudo-terminal.
# With a display the window opens with its settings pointing at the emulator; without one
# the same journey runs through quorvanta-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
"$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
bin="$build/bin"
work="$here/out/demo"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

step() { printf '\n== %s\n' "$*"; }
step "Making the demo phone model in $work"
"$bin/quorvanta-demo-model" "$work" >/dev/null
"$bin/quorvanta-phone-emu" --write-loader "$work/emulator-loader.bin"

step "Starting the demo phone (the emulator) on a pseudo-terminal"
exec 3> >("$bin/quorvanta-phone-emu" --dump1 demo_1.bif --dump2 demo_2.bif --link "$work/phone" \
            --boot-delay 300 --exit-on-stdin-eof > "$work/emulator.out" 2> "$work/emulator.log")
for _ in $(seq 50); do [ -e "$work/phone" ] && break; sleep 0.1; done
echo "The phone answers on $(readlink "$work/phone") (linked as $work/phone)"
cat > "$work/setting.ini" <<INI
[COM]
Port=$work/phone
BaudRD=115200
BaudWR=115200
KeyLock=0
RestorePatch=1
MEM=0
INI

cli() { "$bin/quorvanta-cli" "$@"; }
phone=(--port "$work/phone" --loader "$work/emulator-loader.bin" --keypad-wait 500)

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QV_DEMO_CLI:-}" ]; then
  step "Opening the window on demo.sav: answer 'by Mobile' and Yes to read the demo phone"
  "$bin/quorvanta" --settings "$work/setting.ini" --loader "$work/emulator-loader.bin" --keypad-wait 500 demo.sav
else
  step "No display: the same journey through quorvanta-cli"
  step "Model and version (AT commands)"
  cli phone info "${phone[@]}"
  step "Reading the phone into demo.sav / demo.mem"
  cli phone read demo.sav "${phone[@]}" --baud 115200
  step "Pictures (first rows)"
  cli list pictures demo.sav | grep '"text"' | head -n 6
  step "Melodies"
  cli list melodies demo.sav | grep '"text"'
  step "Operators"
  cli list operators demo.sav | grep '"text"' | head -n 6
  step "Strings (first rows)"
  cli list strings demo.sav | grep '"text"' | head -n 8
  step "Exporting pictures 0 to 3 and their thumbnails"
  for i in 0 1 2 3; do
    cli export-picture demo.sav "$i" "picture_$i.bmp" >/dev/null
    cli thumbnail demo.sav "$i" "thumb_$i.bmp" >/dev/null
  done
  ls "$work"/*.bmp
  step "Writing pictures 0 and 1 and all melodies back to the phone, keeping a restore patch"
  cli phone write demo.sav "${phone[@]}" --baud 115200 --backup --pictures 0,1 --melodies all
  step "Writing the restore patch back"
  cli phone restore "$(ls backup_*.flp | head -n 1)" "${phone[@]}" --baud 115200
fi
exec 3>&-
echo
echo "Done. The files are in $work"

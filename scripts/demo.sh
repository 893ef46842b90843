#!/usr/bin/env bash
# Installs what is missing, builds, and walks through the demo phone model: makes the model
# (a table file and two flash dumps), builds its data file from the dumps, lists items and
# exports a few pictures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
"$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release
bin="$build/bin"
work="$here/out/demo"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

step() { printf '\n== %s\n' "$*"; }
step "Making the demo phone model in $work"
"$bin/quorvanta-demo-model" "$work"
step "Its table directory"
"$bin/quorvanta-cli" show demo.sav | head -n 12
step "Building the data file from the two flash dumps"
"$bin/quorvanta-cli" build-from-dumps demo.sav demo_1.bif demo_2.bif
step "Pictures (first rows)"
"$bin/quorvanta-cli" list pictures demo.sav | grep '"text"' | head -n 8
step "Melodies"
"$bin/quorvanta-cli" list melodies demo.sav | grep '"text"'
step "Operators"
"$bin/quorvanta-cli" list operators demo.sav | grep '"text"'
step "Strings (first rows)"
"$bin/quorvanta-cli" list strings demo.sav | grep '"text"' | head -n 10
step "Exporting pictures 0 to 3 and their thumbnails"
for i in 0 1 2 3; do
  "$bin/quorvanta-cli" export-picture demo.sav "$i" "picture_$i.bmp" >/dev/null
  "$bin/quorvanta-cli" thumbnail demo.sav "$i" "thumb_$i.bmp" >/dev/null
done
ls -l "$work"/*.bmp
step "Saving the service file"
"$bin/quorvanta-cli" save demo.sav
echo
echo "Done. The files are in $work"

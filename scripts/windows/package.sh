#!/usr/bin/env bash
# Makes the Windows installer and the portable zip from a Windows build folder (made by
# scripts/windows/build.sh DIR): DIR/quorvanta-VERSION-win64.exe and DIR/quorvanta-VERSION-win64.zip.
# Usage: scripts/windows/package.sh DIR
# Exit status 3: there is no Windows build in DIR.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
dir=$(cd "$1" 2>/dev/null && pwd) || { echo "No Windows build in $1" >&2; exit 3; }
[ -f "$dir/CPackConfig.cmake" ] && [ -f "$dir/bin/quorvanta.exe" ] ||
  { echo "No Windows build in $dir (make one with scripts/windows/build.sh $dir)" >&2; exit 3; }
command -v makensis >/dev/null || { echo "The installer needs makensis (apt-get install nsis)" >&2; exit 1; }

# The packages hold what `cmake --install` installs: build it all first, the programs included.
cmake --build "$dir" --target quorvanta quorvanta-cli >/dev/null
rm -f "$dir"/quorvanta-*-win64.exe "$dir"/quorvanta-*-win64.zip
(cd "$dir" && cpack -G "NSIS;ZIP" -C Release >"$dir/cpack.log" 2>&1) ||
  { cat "$dir/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
for f in "$dir"/quorvanta-*-win64.exe "$dir"/quorvanta-*-win64.zip; do
  [ -f "$f" ] || { echo "cpack did not make $f" >&2; exit 1; }
  echo "$f ($(du -h "$f" | cut -f1))"
done

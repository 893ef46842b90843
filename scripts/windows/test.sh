#!/usr/bin/env bash
# Runs the Windows build under Wine, in a fresh Wine prefix: every test program, then the
# Windows quorvanta-cli.exe through the phone journey against the Linux phone emulator on a
# pseudo-terminal mapped as COM5 (info, read, write with backup and verify, restore, a corrupt
# write segment, a pulled cable). Reads must be byte for byte those of the Linux program.
# Usage: scripts/windows/test.sh WINDOWS_BUILD_DIR LINUX_BIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 WINDOWS_BUILD_DIR LINUX_BIN_DIR" >&2; exit 2; }
win=$(cd "$1/bin" && pwd)
linux=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvanta-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer in a test prefix
export QT_QPA_PLATFORM=offscreen
unset WINEPATH DISPLAY WAYLAND_DISPLAY

emulator_pid=
finish() {
  [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  if [ "${QV_KEEP_WINE_WORK:-0}" = 1 ]; then echo "Kept $work"; else rm -rf "$work"; fi
}
trap finish EXIT

# The server first, its output and wineboot's into a log: Wine's background processes would
# otherwise hold the first program's stdout open for ever.
wine_log="$work/wine.log"
mkdir -p "$WINEPREFIX"
wineserver -p >>"$wine_log" 2>&1
wine wineboot -i >>"$wine_log" 2>&1
wine winecfg /v win10 >>"$wine_log" 2>&1  # Qt 6 wants Windows 10; a new prefix says 7

source "$here/scripts/windows/wine_tests.sh"
source "$here/scripts/windows/wine_journey.sh"

failures=0
run_test_programs || failures=$((failures + 1))
run_phone_journey || failures=$((failures + 1))
if [ "$failures" -ne 0 ]; then
  echo "Windows under Wine: FAILED"
  exit 1
fi
echo "Windows under Wine: all passed"

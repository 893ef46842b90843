#!/usr/bin/env bash
# Makes the Windows installer and portable zip from a Windows build folder and checks them under
# Wine, in a fresh prefix of their own:
#   - the zip unpacked: quorvanta-cli.exe --version and ports, quorvanta.exe --version and --paths
#     (a portable copy keeps its files beside itself), and the window started offscreen
#   - the installer run silently (/S): the programs, the licence and the Start-menu entry under
#     Program Files, the installed window started offscreen, then the uninstaller (/S) takes
#     it all away
# Skips (exit 0) when DIR holds no Windows build.
# Usage: scripts/windows/check_packages.sh DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
for tool in wine makensis; do
  command -v $tool >/dev/null || { echo "Windows packages: skipped (no $tool; scripts/windows/packages.sh installs it)"; exit 0; }
done
status=0
bash "$here/scripts/windows/package.sh" "$1" || status=$?
if [ $status -eq 3 ]; then
  echo "Windows packages: skipped (no Windows build in $1)"
  exit 0
fi
[ $status -eq 0 ] || exit $status
dir=$(cd "$1" && pwd)
version=$(sed -n 's/^#define QV_VERSION "\(.*\)"$/\1/p' "$dir/generated/quorvanta_version.h")
name="quorvanta-$version-win64"

fail() { echo "Windows packages: $*" >&2; exit 1; }
work=$(mktemp -d)
log="$work/wine.log"
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH DISPLAY WAYLAND_DISPLAY
finish() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap finish EXIT
# The server first, its output in a log: otherwise Wine's background processes hold the first
# program's stdout open and whoever reads it waits for ever. Qt 6 wants Windows 10.
mkdir -p "$WINEPREFIX"
wineserver -p >>"$log" 2>&1
timeout 300 wine wineboot -i >>"$log" 2>&1 || fail "wineboot failed (see $log)"
timeout 120 wine winecfg /v win10 >>"$log" 2>&1 || fail "winecfg failed"

run() { timeout 60 wine "$@" 2>>"$log" | tr -d '\r'; }

# A window that is still running after a few seconds found its platform plugin, style and DLLs.
starts() {
  local exe=$1
  QT_QPA_PLATFORM=offscreen timeout 60 wine "$exe" >>"$log" 2>&1 &
  local pid=$!
  sleep 8
  kill -0 $pid 2>/dev/null || { wait $pid || true; tail -5 "$log" >&2; fail "$exe did not start"; }
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
}

# The portable copy.
mkdir -p "$work/portable"
(cd "$work/portable" && cmake -E tar xf "$dir/$name.zip")
portable="$work/portable/$name"
[ -f "$portable/quorvanta.exe" ] || fail "the zip holds no $name/quorvanta.exe"
for f in LICENSE.txt licenses/THIRD-PARTY.txt licenses/Qt/LGPL-3.0.txt licenses/gcc-runtime/copyright.txt \
         licenses/mingw-w64/copyright.txt platforms/qwindows.dll styles/qwindowsvistastyle.dll \
         imageformats/qico.dll zlib1.dll libwinpthread-1.dll; do
  [ -f "$portable/$f" ] || fail "the zip lacks $f"
done
[ "$(run "$portable/quorvanta-cli.exe" --version)" = "quorvanta-cli $version" ] || fail "portable quorvanta-cli --version"
ports=$(run "$portable/quorvanta-cli.exe" ports) || fail "portable quorvanta-cli ports failed"
[[ $(tr -d ' \n' <<<"$ports") =~ ^\[.*\]$ ]] || fail "quorvanta-cli ports is no JSON list: $ports"
echo "portable quorvanta-cli ports: $(tr -d ' \n' <<<"$ports" | cut -c1-100)"
[ "$(run "$portable/quorvanta.exe" --version)" = "quorvanta $version" ] || fail "portable quorvanta --version"
paths=$(run "$portable/quorvanta.exe" --paths)
echo "$paths" | sed 's/^/  /'
grep -q "^settings .*\\\\$name\\\\setting.ini$" <<<"$paths" || fail "the portable copy keeps its settings elsewhere"
starts "$portable/quorvanta.exe"
echo "Portable copy: programs run, the window starts"

# The installer, silently, for the whole machine.
timeout 300 wine "$dir/$name.exe" /S >>"$log" 2>&1 || fail "the installer failed"
installed="$WINEPREFIX/drive_c/Program Files/Quorvanta"
for f in quorvanta.exe quorvanta-cli.exe Uninstall.exe LICENSE.txt licenses/Qt/LGPL-3.0.txt platforms/qwindows.dll; do
  [ -f "$installed/$f" ] || fail "the installer did not put $f under Program Files"
done
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvanta"
[ -f "$menu/Quorvanta.lnk" ] || fail "no Start-menu entry ($(ls "$menu" 2>&1 | tr '\n' ' '))"
[ "$(run "$installed/quorvanta-cli.exe" --version)" = "quorvanta-cli $version" ] || fail "installed quorvanta-cli --version"
[ "$(run "$installed/quorvanta.exe" --version)" = "quorvanta $version" ] || fail "installed quorvanta --version"
paths=$(run "$installed/quorvanta.exe" --paths)
echo "$paths" | sed 's/^/  /'
grep -q '^settings .*\\AppData\\Roaming\\Quorvanta\\setting.ini$' <<<"$paths" || fail "the installed copy keeps its settings elsewhere"
grep -q '^exports .*\\Documents\\Quorvanta$' <<<"$paths" || fail "the installed copy exports elsewhere"
starts "$installed/quorvanta.exe"
echo "Installed copy: C:\\Program Files\\Quorvanta, Start-menu entry, the window starts"

# The uninstaller copies itself away and returns at once: wait for it to finish.
timeout 120 wine "$installed/Uninstall.exe" /S >>"$log" 2>&1 || fail "the uninstaller failed"
for _ in $(seq 120); do [ -e "$installed/quorvanta.exe" ] || [ -e "$menu/Quorvanta.lnk" ] || break; sleep 0.5; done
[ ! -e "$installed/quorvanta.exe" ] && [ ! -e "$menu/Quorvanta.lnk" ] || fail "the uninstaller left the program"
echo "Uninstalled"
echo "Windows packages: passed"

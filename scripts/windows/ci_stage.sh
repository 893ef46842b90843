#!/usr/bin/env bash
# The Windows stage of the checks: the cross build, its test programs and the phone journey
# under Wine. Skips (exit status 0, saying why) when there is no Qt for MinGW to build with or
# Wine cannot be had; building that Qt is a separate step (scripts/windows/build_qt.sh).
# Usage: scripts/windows/ci_stage.sh LINUX_BIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
linux_bin=$1
cache=${QV_QT_MINGW_CACHE:-"$here/../shared/windows/qt6-mingw-6.4.2.tar.xz"}
if [ -z "${QV_QT_MINGW_PREFIX:-}" ] && [ ! -f "$cache" ]; then
  echo "Windows stage skipped: no Qt for MinGW ($cache is missing; scripts/windows/build_qt.sh makes a prefix)"
  exit 0
fi
if ! bash "$here/scripts/windows/packages.sh" || ! command -v wine >/dev/null; then
  echo "Windows stage skipped: Wine and the MinGW-w64 tools could not be installed"
  exit 0
fi
start=$(date +%s)
bash "$here/scripts/windows/build.sh" "$here/build-windows"
bash "$here/scripts/windows/test.sh" "$here/build-windows" "$linux_bin"
echo "Windows stage: $(( $(date +%s) - start )) s"

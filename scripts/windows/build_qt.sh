#!/usr/bin/env bash
# Builds Qt 6.4.2 (base and serial port) for MinGW-w64 from the distribution's sources into
# PREFIX, for scripts/windows/build.sh (QV_QT_MINGW_PREFIX=PREFIX). About 40 minutes on two
# cores; CI takes a cached prefix instead. Needs a deb-src line for the suite of the deb line.
# Usage: scripts/windows/build_qt.sh PREFIX
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
toolchain="$here/scripts/windows/mingw-w64.cmake"
bash "$here/scripts/windows/packages.sh"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get install -y -q --no-install-recommends dpkg-dev libwine-dev qt6-base-dev-tools
src=$(mktemp -d "${TMPDIR:-/tmp}/qt6-mingw-src.XXXXXX")
cd "$src"
apt-get source qt6-base qt6-serialport
base=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
serialport=$(find . -maxdepth 1 -type d -name 'qt6-serialport-*' | head -n 1)

# The distribution leaves out the tablet headers of the windows platform plugin; Wine's LGPL
# ones serve, behind the few names they expect from Wine's own headers.
wintab="$base/src/3rdparty/wintab"
mkdir -p "$wintab"
cat >"$wintab/wintab.h" <<'H'
#pragma once
#include <windows.h>
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#define API WINAPI
#include "wine-wintab.h"
H
wine_headers=$(dirname "$(find /usr/include/wine -name wintab.h | head -n 1)")
cp "$wine_headers/wintab.h" "$wintab/wine-wintab.h"
cp "$wine_headers/pktdef.h" "$wintab/pktdef.h"

"$base/configure" -prefix "$prefix" -release -shared -xplatform win32-g++ -qt-host-path /usr \
  -nomake tests -nomake examples -no-opengl -no-dbus -no-feature-vulkan -no-feature-sql \
  -no-feature-network -no-feature-xml -no-feature-printsupport -no-feature-androiddeployqt \
  -no-feature-direct2d -no-feature-directwrite3 -qt-freetype -no-feature-jpeg \
  -system-zlib -qt-libpng -qt-pcre -qt-harfbuzz \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
nice -n 10 cmake --build . -j"${QV_JOBS:-2}"
cmake --install .
mkdir -p serialport-build && cd serialport-build
"$prefix/bin/qt-configure-module" "../$serialport"
nice -n 10 cmake --build . -j"${QV_JOBS:-2}"
cmake --install .
echo "Qt for MinGW in $prefix: QV_QT_MINGW_PREFIX=$prefix bash scripts/windows/build.sh DIR"

#!/usr/bin/env bash
# Cross-builds the Windows programs and test programs with MinGW-w64 and leaves them in DIR/bin
# with every DLL and Qt plugin they load beside them, so `wine DIR/bin/quorvanta-cli.exe` runs
# in a fresh Wine prefix.
# Usage: scripts/windows/build.sh DIR
#
# Qt for MinGW comes from a cache (QV_QT_MINGW_CACHE, by default
# ../shared/windows/qt6-mingw-6.4.2.tar.xz beside the repository) or from a prefix made by
# scripts/windows/build_qt.sh (QV_QT_MINGW_PREFIX). Exit status 3: no Qt for MinGW to build with.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
mkdir -p "$1"
out=$(cd "$1" && pwd)
toolchain="$here/scripts/windows/mingw-w64.cmake"
qt_sha256=d604c8556ff12307ad7eb9ca92f679f964c2b3ebea7662a817f730f1b08955b3
cache=${QV_QT_MINGW_CACHE:-"$here/../shared/windows/qt6-mingw-6.4.2.tar.xz"}

bash "$here/scripts/windows/packages.sh"

# Qt: a prefix made here before, one given, or the cache unpacked (once per checksum).
qt=${QV_QT_MINGW_PREFIX:-"$out/deps/qt6-mingw-6.4.2"}
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  if [ ! -f "$cache" ]; then
    echo "No Qt for MinGW: neither $cache nor a prefix in QV_QT_MINGW_PREFIX." >&2
    echo "Make one with: bash scripts/windows/build_qt.sh PREFIX (about 40 minutes)" >&2
    exit 3
  fi
  echo "$qt_sha256  $cache" | sha256sum -c --quiet - ||
    { echo "$cache: unexpected checksum" >&2; exit 3; }
  mkdir -p "$out/deps"
  tar -xJf "$cache" -C "$out/deps"
fi

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-"$(dirname "$here")"}
export CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
jobs=${QV_JOBS:-2}

# GoogleTest for MinGW, from the distribution's source.
gtest="$out/deps/googletest"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/deps/googletest-build" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  nice -n 10 cmake --build "$out/deps/googletest-build" -j"$jobs"
  cmake --install "$out/deps/googletest-build" >/dev/null
fi

# The programs and tests; the build folder is DIR itself, so they land in DIR/bin.
cmake -S "$here" -B "$out" -G Ninja "${launcher[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_BENCH=OFF -DCMAKE_PREFIX_PATH="$qt;$gtest" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
nice -n 10 cmake --build "$out" -j"$jobs"

bash "$here/scripts/windows/deploy.sh" "$qt" "$out/bin"
echo "Windows programs in $out/bin"

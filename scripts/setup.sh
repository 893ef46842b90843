#!/usr/bin/env bash
# Installs what the build needs from the distribution's packages (only what is missing),
# then configures and builds. Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true

packages=(cmake g++ make pkg-config qt6-base-dev zlib1g-dev libgtest-dev libbenchmark-dev
          clang libclang-rt-14-dev xvfb xauth imagemagick g++-mingw-w64-x86-64 gettext
          qt6-serialport-dev desktop-file-utils appstream dpkg-dev file qt6-image-formats-plugins python3
          lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" ||
    { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; }
fi

# A compiler cache, when the machine has one, makes rebuilds of a second tree cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G "Unix Makefiles" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"

#!/usr/bin/env bash
# Installs what the Windows cross build and its checks under Wine need from the distribution's
# packages (only what is missing).
set -euo pipefail
packages=(cmake ninja-build ccache g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          libz-mingw-w64-dev googletest qt6-base-dev qt6-base-dev-tools xz-utils wine wine64 nsis)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}" ||
  { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; }

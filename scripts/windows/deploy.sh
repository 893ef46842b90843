#!/usr/bin/env bash
# Puts beside the Windows programs in BIN what they load: the Qt DLLs and plugins (platforms,
# styles, image formats), the MinGW runtime and zlib.
# Usage: scripts/windows/deploy.sh QT_PREFIX BIN
set -euo pipefail
qt=$1 bin=$2
mingw=/usr/x86_64-w64-mingw32
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
cp -u "$qt"/bin/Qt6{Core,Gui,Widgets,Concurrent,SerialPort,Test}.dll "$bin/"
for kind in platforms styles imageformats; do
  mkdir -p "$bin/$kind"
  cp -u "$qt/plugins/$kind"/*.dll "$bin/$kind/"
done
cp -u "$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" "$bin/"
cp -u "$mingw/lib/libwinpthread-1.dll" "$mingw/lib/zlib1.dll" "$bin/"

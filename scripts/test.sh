#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs the whole test suite (and a short run of each fuzz target), then builds the Debian package
# from a Release build and checks it installed (scripts/package_check.sh), and last the Windows
# cross build and its tests under Wine (scripts/windows/ci_stage.sh) and the Windows installer
# and portable zip made from it (scripts/windows/check_packages.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-check"
"$here/scripts/setup.sh" "$build" -DQV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$here/scripts/lsan.supp"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
# The Windows serial device has to build too: checked with the MinGW-w64 cross compiler.
x86_64-w64-mingw32-g++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I"$here/src" "$here/src/link/win32_serial_device.cpp"
echo "Windows serial device: builds with MinGW-w64"
# No source file over 450 lines, no function over 80: the shape a newcomer reads at a glance.
python3 "$here/scripts/check_shape.py" "$here/src" "$here/tools"
# No include across the layers the wrong way (the app or the command line reaching the link, ...).
python3 "$here/scripts/check_layers.py" "$here"
bash "$here/scripts/fuzz.sh" 15
bash "$here/scripts/package_check.sh"
# The Windows build, its tests and the phone journey under Wine (skips without Qt for MinGW).
bash "$here/scripts/windows/ci_stage.sh" "$build/bin"
# The Windows installer and portable zip, made from the Windows build and tried under Wine
# (skipped when there is no Windows build).
bash "$here/scripts/windows/check_packages.sh" "$here/build-windows"

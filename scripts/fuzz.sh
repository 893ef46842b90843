#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz, writes their seed inputs, and runs each target for SECONDS (default 20).
# Usage: [FUZZ_TARGET=NAME] scripts/fuzz.sh [SECONDS]
# Inputs that found new paths stay in build-fuzz/corpus/<target> for the next run; a crashing
# input is saved as build-fuzz/crashes/<target>-crash-<sha1> and the script exits non-zero.
# Replay one with: build-fuzz/bin/<target> <file>
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build="$here/build-fuzz"

sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# Debug keeps Qt's own bounds assertions; -O1 keeps the runs fast enough to matter.
cmake -S "$here" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DQV_SANITIZE=OFF -DQV_BUILD_FUZZ=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
targets=(fuzz_table_file fuzz_bmp fuzz_restore_patch fuzz_ini_file fuzz_po_file)
# One target alone: FUZZ_TARGET=fuzz_po_file scripts/fuzz.sh 600
[ -n "${FUZZ_TARGET:-}" ] && targets=("$FUZZ_TARGET")
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" make_fuzz_seeds

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$here/scripts/lsan.supp"
export QT_QPA_PLATFORM=offscreen

rm -rf "$build/seeds"
"$build/bin/make_fuzz_seeds" "$build/seeds"
# Restore patch seeds: two whole records, and the same cut short inside the second's data.
mkdir -p "$build/seeds/fuzz_restore_patch"
printf '\x00\xff\x03\x01\x04\x00\x00\x00ABCD\x00\x00\x10\x02\x03\x00\x00\x00xyz' >"$build/seeds/fuzz_restore_patch/two.flp"
printf '\x00\xff\x03\x01\x04\x00\x00\x00ABCD\x00\x00\x10\x02\x03\x00\x00\x00x' >"$build/seeds/fuzz_restore_patch/cut.flp"
mkdir -p "$build/crashes"

# Longest input per target: a demo table file is about 12 KB; the seed bitmaps are under 1 KB.
declare -A max_len=([fuzz_table_file]=16384 [fuzz_bmp]=8192)
max_len[fuzz_restore_patch]=4096  # patches: a few records of a few hundred bytes
max_len[fuzz_ini_file]=32768  # language.ini with every key is about 8 KB
max_len[fuzz_po_file]=16384  # the demo model's PO file is about 4 KB
failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target: ${seconds}s"
    if ! "$build/bin/$target" "$corpus" "$build/seeds/$target" \
            -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$build/crashes/$target-" -print_final_stats=1 2>"$build/$target.log"; then
        failed+=("$target")
        tail -n 60 "$build/$target.log"
    else
        grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added)" "$build/$target.log" || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: crashes in ${failed[*]} (inputs in $build/crashes)" >&2
    exit 1
fi
echo "fuzz: no crashes"

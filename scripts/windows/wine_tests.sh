# Sourced by scripts/windows/test.sh: runs every Windows test program under Wine and counts.
# Needs $win (the Windows programs) and $work (a scratch folder) and a running Wine server.

# "[  PASSED  ] 12 tests." → 12; 0 when the line is missing.
gtest_count() { grep -o "^\[  $1 *\] [0-9]*" "$2" | grep -o '[0-9]*$' | head -n 1 || echo 0; }

kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill "$1" 2>/dev/null || true
}

run_test_programs() {
  local total_run=0 total_skipped=0 total_failed=0 status=0 program name log rc
  for program in "$win"/test_*.exe; do
    name=$(basename "$program" .exe)
    log="$work/$name.log"
    rc=0
    (cd "$work" && timeout 900 wine "$program" --gtest_color=no </dev/null >"$log" 2>&1) &
    local pid=$!
    # Under Wine a program may stay after its last test (its summary written): let it go then.
    while kill -0 "$pid" 2>/dev/null; do
      if grep -q '^\[==========\] .* ran\.' "$log" 2>/dev/null; then
        sleep 20
        if kill -0 "$pid" 2>/dev/null; then
          echo "  $name did not end after its tests had run; stopped"
          kill_tree "$pid"
        fi
        break
      fi
      sleep 1
    done
    wait "$pid" || rc=$?
    if [ "$rc" -ne 0 ] && grep -q '^\[==========\] .* ran\.' "$log" && ! grep -q '^\[  FAILED  \]' "$log"; then
      rc=0  # stopped after all its tests passed
    fi
    local passed skipped failed
    passed=$(gtest_count PASSED "$log"); skipped=$(gtest_count SKIPPED "$log"); failed=$(gtest_count FAILED "$log")
    [ -n "$passed" ] || passed=0; [ -n "$skipped" ] || skipped=0; [ -n "$failed" ] || failed=0
    total_run=$((total_run + passed + skipped + failed))
    total_skipped=$((total_skipped + skipped))
    total_failed=$((total_failed + failed))
    printf '%-14s %4d passed, %3d skipped, %3d failed\n' "$name" "$passed" "$skipped" "$failed"
    # Why each was skipped: the skip message is the line before the test's SKIPPED line.
    grep -B1 '^\[  SKIPPED \] [A-Za-z]' "$log" | grep -v '^\[\|^--' | sed 's/^/    skipped: /' | sort | uniq -c | sed 's/^ */  /' || true
    if [ "$rc" -ne 0 ] || [ "$failed" -ne 0 ] || ! grep -q '^\[  PASSED  \]' "$log"; then
      status=1
      echo "  $name exited with $rc; its failures:"
      grep -B8 '^\[  FAILED  \] [A-Za-z]' "$log" | sed 's/^/    /' | head -n 120 || tail -n 30 "$log" | sed 's/^/    /'
    fi
  done
  echo "Windows test programs under Wine: $total_run run, $total_skipped skipped, $total_failed failed"
  return "$status"
}

# Sourced by scripts/windows/test.sh: the Windows quorvanta-cli.exe against the Linux phone
# emulator on a pseudo-terminal mapped as COM5 in the Wine prefix.
# Needs $win, $linux (the Linux programs), $work and a running Wine server.

journey_dir="$work/journey"

# Starts the emulator on the demo model's flash with the given faults and maps its
# pseudo-terminal as COM5. Stopped by a signal: Wine's background processes inherit whatever
# descriptors the first program had, so an end of its standard input would never come.
start_phone() {
  stop_phone
  rm -f "$journey_dir/phone"
  "$linux/quorvanta-phone-emu" --dump1 "$journey_dir/demo_1.bif" --dump2 "$journey_dir/demo_2.bif" \
    --link "$journey_dir/phone" --boot-delay 300 "$@" \
    </dev/null >"$journey_dir/emulator.out" 2>>"$journey_dir/emulator.log" &
  emulator_pid=$!
  local _
  for _ in $(seq 100); do [ -e "$journey_dir/phone" ] && break; sleep 0.05; done
  pty=$(readlink -f "$journey_dir/phone")
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
}

stop_phone() {
  [ -z "$emulator_pid" ] && return 0
  kill "$emulator_pid" 2>/dev/null || true
  wait "$emulator_pid" 2>/dev/null || true
  emulator_pid=
}

# Qt lists a mapped port only when the registry declares it and the server has restarted.
declare_com5() {
  wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty" /f >>"$wine_log" 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p >>"$wine_log" 2>&1
}

wincli() { (cd "$journey_dir" && wine "$win/quorvanta-cli.exe" "$@" </dev/null); }
linuxcli() { (cd "$journey_dir" && "$linux/quorvanta-cli" "$@" </dev/null); }

step_failed=0
check() {  # check WHAT COMMAND...: runs it, says ok or FAILED
  local what=$1; shift
  if "$@" >>"$journey_dir/journey.log" 2>&1; then echo "  ok      $what"
  else echo "  FAILED  $what (see below)"; step_failed=1; fi
}
expect_exit() {  # expect_exit CODE COMMAND...
  local want=$1 rc=0; shift
  "$@" || rc=$?
  echo "exit $rc (expected $want)"
  [ "$rc" -eq "$want" ]
}
lists_com5() { wincli ports | tee /dev/stderr | grep -q COM5; }
same_files() { cmp "$1" "$2" && cmp "${1%.sav}.mem" "${2%.sav}.mem"; }

restore_backup() {
  local patch
  patch=$(cd "$journey_dir" && ls backup_*.flp | head -n 1)
  [ -n "$patch" ] && wincli phone restore "$patch" "${phone[@]}" --baud 115200
}

# `phone info` against a phone whose firmware never answers ends with its 3 s time-out: the
# run takes at most that (and a margin) longer than Wine needs to start the program at all.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
silent_info() {
  local t0 start_ms info_ms rc=0
  t0=$(now_ms); wincli --version; start_ms=$(( $(now_ms) - t0 ))
  t0=$(now_ms); wincli phone info --port COM5 || rc=$?; info_ms=$(( $(now_ms) - t0 ))
  echo "silent phone info: exit $rc after ${info_ms} ms; starting the program alone: ${start_ms} ms"
  [ "$rc" -eq 1 ] && [ $(( info_ms - start_ms )) -lt 5500 ]
}

# The emulator is killed mid-read: the program must end at once, with exit status 1.
pulled_cable() {
  local cli_pid rc=0 start
  wincli phone read pulled.sav "${phone[@]}" --baud 28800 >"$journey_dir/pulled.out" 2>&1 &
  cli_pid=$!
  local _
  # Pulled once the loader reads the flash (the emulator logs each read).
  for _ in $(seq 600); do grep -q '\] read ' "$journey_dir/emulator.log" 2>/dev/null && break; sleep 0.1; done
  sleep 1
  kill -9 "$emulator_pid"
  start=$(now_ms)
  wait "$cli_pid" || rc=$?
  local took=$(( $(now_ms) - start ))
  emulator_pid=
  cat "$journey_dir/pulled.out"
  echo "exit $rc, $took ms after the cable was pulled"
  [ "$rc" -eq 1 ] && [ "$took" -lt 5000 ]
}

run_phone_journey() {
  mkdir -p "$journey_dir"
  "$linux/quorvanta-demo-model" "$journey_dir" >/dev/null
  "$linux/quorvanta-phone-emu" --write-loader "$journey_dir/loader.bin"
  # A read fills the table file it is given with what the phone holds.
  for copy in win linux pulled; do cp "$journey_dir/demo.sav" "$journey_dir/$copy.sav"; done
  phone=(--port COM5 --loader loader.bin --keypad-wait 500 --boot-timeout 60)
  echo "The Windows quorvanta-cli.exe against the phone emulator on COM5:"
  start_phone --verbose
  declare_com5
  check "ports lists COM5" lists_com5
  check "phone info" wincli phone info "${phone[@]}"
  check "phone read" wincli phone read win.sav "${phone[@]}" --baud 115200
  check "the Linux program reads the same phone" linuxcli phone read linux.sav --port "$journey_dir/phone" \
    --loader loader.bin --keypad-wait 500 --boot-timeout 60 --baud 115200
  check "both reads are byte for byte the same" same_files "$journey_dir/win.sav" "$journey_dir/linux.sav"
  check "phone write --backup, verified" wincli phone write win.sav "${phone[@]}" --baud 115200 --backup \
    --pictures 0,1 --melodies all
  check "phone restore of the backup" restore_backup
  start_phone --verbose --corrupt-write-segment 1
  check "a corrupt write segment is found by verify (exit 1)" expect_exit 1 wincli phone write win.sav \
    "${phone[@]}" --baud 115200 --pictures 0
  start_phone --verbose --at-silent
  check "phone info with a silent phone ends within its time-out" silent_info
  start_phone --verbose --throttle
  check "a pulled cable ends the read at once (exit 1)" pulled_cable
  stop_phone
  if [ "$step_failed" -ne 0 ]; then
    echo "  The journey's log:"; sed 's/^/    /' "$journey_dir/journey.log" | tail -n 80
    return 1
  fi
}

#!/usr/bin/env bash
# The window's figures, measured on the real main window under Xvfb with the real stand-in
# and the local airline server: a whole tracked flight, the window idle for 60 s, and a
# flight whose simulator and server both stall (SIGSTOP) for 40 s. Prints markdown rows.
#   bench/window_bench.sh BUILD_DIR
#   ORVANE_WINDOW_IDLE_S=N   idle measurement in seconds (default 60)
set -euo pipefail
build=$(cd "$1" && pwd)
idle_s=${ORVANE_WINDOW_IDLE_S:-60}
port=${ORVANE_WINDOW_BENCH_PORT:-18091}
speed=4
work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-window-bench-XXXXXX")
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -CONT "$p" 2>/dev/null || true; kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cat > "$work/orvane.ini" <<INI
[Server]
Address = http://127.0.0.1:$port/liveacars.php
PIREP = http://127.0.0.1:$port/pirep.php
FlightInfo = http://127.0.0.1:$port/flightinfo.php
User = bench
Password = bench

[ACARS]
POSReportTime = 1
EnableLiveACARS = 1
EnablePIREP = 1
INI

# One run: a fresh server and stand-in (held at the gate until BEGINFLIGHT), then the driver.
# Sets server_pid and standin_pid; the driver's output goes to $work/$name.out.
run() {
  local name=$1; shift
  rm -f "$work/go" "$work/airline.log"
  "$build/tools/airline/orvane-airline-server" --port "$port" --log "$work/airline.log" >/dev/null 2>&1 &
  server_pid=$!
  "$build/tools/simstandin/orvane-simstandin" --speed "$speed" --hold-until "$work/go" >/dev/null 2>&1 &
  standin_pid=$!
  ( until grep -q 'DATA2=BEGINFLIGHT' "$work/airline.log" 2>/dev/null; do sleep 0.2; done
    touch "$work/go" ) &
  local release_pid=$!
  pids=("$server_pid" "$standin_pid" "$release_pid")
  sleep 0.5
  (cd "$work" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
     "$build/tools/windowdriver/orvane-windowdriver" --figures --out "$work/$name" "$@") \
    >"$work/$name.out" 2>&1 &
  driver_pid=$!
}
finish() {
  local name=$1
  if ! wait "$driver_pid"; then
    cat "$work/$name.out" >&2
    echo "window_bench: the $name run failed" >&2
    exit 1
  fi
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  pids=()
}
fig() { sed -n "s/^figure $2=//p" "$work/$1.out"; }

echo "=== window: whole flight ===" >&2
run flight
finish flight
echo "=== window: idle ${idle_s} s ===" >&2
run idle --idle "$idle_s"
finish idle
echo "=== window: flight with the simulator and the server stalled ===" >&2
run stalled
until [ -e "$work/go" ]; do sleep 0.2; done
sleep 15
kill -STOP "$standin_pid" "$server_pid"
echo "window_bench: simulator and server stopped for 40 s" >&2
sleep 40
kill -CONT "$standin_pid" "$server_pid"
finish stalled

printf '| Window: peak resident memory over a whole tracked flight (VmHWM) | %.1f MiB; target < 60 MiB |\n' \
  "$(awk -v k="$(fig flight vm_hwm_kib)" 'BEGIN { print k / 1024 }')"
printf '| Window: CPU while idle, window open, no flight (%s s) | %.4f %% of one core (%.3f s CPU); target < 0.1 %% |\n' \
  "$(fig idle idle_wall_s)" "$(fig idle idle_cpu_percent)" "$(fig idle idle_cpu_s)"
printf '| Window: process start to first painted window (flight run / idle run) | %s ms / %s ms; target < 1000 ms |\n' \
  "$(fig flight first_paint_ms)" "$(fig idle first_paint_ms)"
printf '| Window: longest time without processing events, whole flight (heartbeat %s ms) | %s ms (%s); target < 100 ms |\n' \
  "$(fig flight heartbeat_ms)" "$(fig flight longest_gap_flight_ms)" "$(fig flight longest_gap_flight_cause)"
printf '| Window: the same, simulator and server stopped (SIGSTOP) 40 s in flight | %s ms (%s); target < 100 ms |\n' \
  "$(fig stalled longest_gap_flight_ms)" "$(fig stalled longest_gap_flight_cause)"

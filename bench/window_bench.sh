#!/usr/bin/env bash
# The window's figures, measured on the real main window under Xvfb with the real stand-in
# and the local airline server: a whole tracked flight, the window idle for 60 s, and a
# flight whose simulator and server both stall (SIGSTOP) for 40 s. Prints markdown rows.
#   bench/window_bench.sh BUILD_DIR
#   ORVANE_WINDOW_IDLE_S=N   idle measurement in seconds (default 60)
#   ORVANE_WINDOW_SPEED=N    the stand-in's scenario speed (default 4)
#   ORVANE_WINDOW_STALL_S=N  how long the simulator and server stay stopped (default 40;
#                            0 leaves the stalled flight out)
# The test command runs it once in a short mode: a faster flight, a short idle, no stall.
# SPDX-License-Identifier: MIT
set -euo pipefail
build=$(cd "$1" && pwd)
idle_s=${ORVANE_WINDOW_IDLE_S:-60}
# The airline server's port: a free one unless given.
port=${ORVANE_WINDOW_BENCH_PORT:-$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')}
speed=${ORVANE_WINDOW_SPEED:-4}
stall_s=${ORVANE_WINDOW_STALL_S:-40}
# At every speed the mid-flight screenshot is taken 100 s of scenario time after take-off,
# and the stall begins 60 s of scenario time after the hold is released.
mid_flight_s=$(( (100 + speed - 1) / speed ))
stall_after_s=$(( (60 + speed - 1) / speed ))
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
  "$build/tools/devel/airline/orvane-airline-server" --port "$port" --log "$work/airline.log" >/dev/null 2>&1 &
  server_pid=$!
  "$build/tools/devel/simstandin/orvane-simstandin" --speed "$speed" --hold-until "$work/go" >/dev/null 2>&1 &
  standin_pid=$!
  ( until grep -q 'DATA2=BEGINFLIGHT' "$work/airline.log" 2>/dev/null; do sleep 0.2; done
    touch "$work/go" ) &
  local release_pid=$!
  pids=("$server_pid" "$standin_pid" "$release_pid")
  sleep 0.5
  (cd "$work" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
     "$build/tools/devel/windowdriver/orvane-windowdriver" --figures --out "$work/$name" \
     --mid-flight-delay "$mid_flight_s" "$@") \
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
if [ "$stall_s" -gt 0 ]; then
  echo "=== window: flight with the simulator and the server stalled ===" >&2
  run stalled
  until [ -e "$work/go" ]; do sleep 0.2; done
  sleep "$stall_after_s"
  kill -STOP "$standin_pid" "$server_pid"
  echo "window_bench: simulator and server stopped for $stall_s s" >&2
  sleep "$stall_s"
  kill -CONT "$standin_pid" "$server_pid"
  finish stalled
fi

printf '| Window: peak resident memory over a whole tracked flight (VmHWM) | %.1f MiB; target < 60 MiB |\n' \
  "$(awk -v k="$(fig flight vm_hwm_kib)" 'BEGIN { print k / 1024 }')"
printf '| Window: CPU while idle, window open, no flight (%s s) | %.4f %% of one core (%.3f s CPU); target < 0.1 %% |\n' \
  "$(fig idle idle_wall_s)" "$(fig idle idle_cpu_percent)" "$(fig idle idle_cpu_s)"
printf '| Window: process start to first painted window (flight run / idle run) | %s ms / %s ms; target < 1000 ms |\n' \
  "$(fig flight first_paint_ms)" "$(fig idle first_paint_ms)"
printf '| Window: longest time without processing events, whole flight (heartbeat %s ms) | %s ms (%s); target < 100 ms |\n' \
  "$(fig flight heartbeat_ms)" "$(fig flight longest_gap_flight_ms)" "$(fig flight longest_gap_flight_cause)"
if [ "$stall_s" -gt 0 ]; then
  printf '| Window: the same, simulator and server stopped (SIGSTOP) %s s in flight | %s ms (%s); target < 100 ms |\n' \
    "$stall_s" "$(fig stalled longest_gap_flight_ms)" "$(fig stalled longest_gap_flight_cause)"
fi

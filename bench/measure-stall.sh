#!/bin/bash
# measure-stall.sh [RUNS]: the longest time ぴぴろん's GUI thread is kept from its
# events around the sound device's comings and goings.
#
# Method. Each of RUNS runs (2) starts a fresh private PulseAudio (a freshly
# started server is the slowest to open a device on), then a copy of ぴぴろん
# with its chime under its own Xvfb, its clock shifted by whole seconds
# (libfaketime) to start at second 54 of a minute, under strace following only
# the main (GUI) thread's poll/ppoll calls and their restarts (-tt -T). xdotool arms the alarm for
# the next minute; it rings for 3 s (the device was made ready before), then
# xdotool switches it OFF, and 3 s later (after the device is let go) the
# program ends. Between the end of one poll and the start of the next the GUI
# thread is busy and deaf to events: the longest such stretch from the end of
# start-up (the first poll that waits 0.2 s or more: the program sleeps until its
# tick) to the end is the run's stall. It covers the first tick after start, the device
# opened before the alarm, the ring, the switch going OFF and the device's
# release. It ends where the program is told to end: the save at its end (an
# fsync, slow on a busy disk) is not a stall of a running clock. strace adds a
# little to each stretch.
# Output, tab-separated: runs  median of the runs' stalls  max   (ms); one line
# per run in $BENCH_OUT/stall-runs.txt.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
RUNS=${1:-2}
RUNS_FILE=${RUNS_FILE:-$BENCH_OUT/stall-runs.txt}
: >"$RUNS_FILE"

bench_build --target pipiron pipiron_media || exit 1
program=$(bench_program_copy wav)
bench_start_xvfb || exit 1

for run in $(seq "$RUNS"); do
    bench_start_pulse || exit 1
    bench_fake_offset 54
    trace=$BENCH_TMP/stall.$run.trace
    # shellcheck disable=SC2046  # the environment as words
    strace -o "$trace" -tt -T -e trace=poll,ppoll,restart_syscall -e signal=none \
        env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio \
        $(bench_faketime_env "$BENCH_FAKE_OFFSET") "$program" >>"$BENCH_TMP/programs.log" 2>&1 &
    strace_pid=$!
    BENCH_PIDS+=("$strace_pid")
    # strace holds off fatal signals while it traces; the program itself is ended.
    for _ in $(seq 50); do
        pid=$(pgrep -P "$strace_pid") && [[ -n $pid ]] && break
        sleep 0.05
    done
    BENCH_PIDS+=("$pid")
    window=$(bench_main_window "$XVFB_DISPLAY") && [[ -n $window ]] &&
        bench_arm_next_minute "$window" || echo "run $run: not armed" >&2
    sleep "$(awk -v t="$BENCH_ALARM_AT" -v now="$(date +%s.%N)" 'BEGIN { print t + 3 - now }')"
    bench_click_control "$window" 32 180
    sleep 3
    ended=$(date +%H:%M:%S.%N)
    kill "$pid" 2>/dev/null || true
    wait "$strace_pid" 2>/dev/null || true
    bench_stop_pulse
    awk -v ended="$ended" '
         BEGIN { split(ended, t, ":"); end = t[1] * 3600 + t[2] * 60 + t[3] }
         { split($1, t, ":"); start = t[1] * 3600 + t[2] * 60 + t[3]
           if (start >= end) { if (ticking && end - last > worst) worst = end - last; exit }
           d = $NF; gsub(/[<>]/, "", d); if (d !~ /^[0-9.]+$/) next
           if (ticking && start - last > worst) worst = start - last
           if (!ticking && d >= 0.2) ticking = 1
           last = start + d }
         END { printf "%.1f\n", worst * 1000 }' "$trace" >>"$RUNS_FILE"
done

sort -g "$RUNS_FILE" | awk '{ x[++n] = $1 }
    END { m = (n % 2) ? x[(n + 1) / 2] : (x[n / 2] + x[n / 2 + 1]) / 2
          printf "%d\t%.1f\t%.1f\n", n, m, x[n] }'

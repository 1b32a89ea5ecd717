#!/bin/bash
# tick-offset.sh [PROGRAM]: how far after the whole second of the wall clock
# each tick of ぴぴろん (or PROGRAM, a command line in one argument) runs.
#
# Method. The program runs under its own Xvfb with QT_QPA_PLATFORM=xcb and
# SDL_AUDIODRIVER=dummy for DURATION seconds (180) after WARMUP seconds (5).
# ぴぴろん ticks every second only while something changes every second: it is
# armed five minutes ahead with the mini timer asked for, so that the mini timer
# hops. BUSY=N (0) keeps N shell loops busy on the processors meanwhile.
# Two ways to see a tick, chosen by METHOD (default: log when the program knows
# PIPIRON_TICK_LOG, otherwise strace):
#   log     PIPIRON_TICK_LOG=<file> makes the program append one line per tick
#           ending in the wall-clock milliseconds within the second; the last
#           number of each line is taken.
#   strace  non-invasive: strace follows only the main thread (-p without -f)
#           and records its poll/ppoll calls with their start time (-tt, wall
#           clock) and duration (-T). A poll that ends in a timeout is a timer
#           waking the loop; its end (start + duration) is the tick's moment,
#           within microseconds. A read of a timerfd (ぴぴろん's tick timer,
#           which wakes the loop as a file) is a tick at the read's start.
#           When the loop wakes twice within 100 ms (a
#           timeout rounded to the millisecond ends early and is polled again)
#           the later one is the tick. A wake less than 0.9 s after the last
#           tick is another timer of the program, not a tick. Any program can
#           be measured this way.
# The offset is the milliseconds past the whole second, taken as negative when
# 500 or more (a tick before the second). Output, tab-separated:
#   label  method  ticks  min  median  p95  max   (offsets in ms)
# The raw offsets are kept in OFFSETS_FILE, the log or trace beside it.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
WARMUP=${WARMUP:-5}
DURATION=${DURATION:-180}
OFFSETS_FILE=${OFFSETS_FILE:-$BENCH_OUT/tick-offsets.txt}

if (($# > 0)); then
    program=$1
else
    bench_build --target pipiron || exit 1
    program=$BUILD_DIR/pipiron
fi
executable=${program%% *}
if [[ -z ${METHOD:-} ]]; then
    METHOD=strace
    grep -q PIPIRON_TICK_LOG "$(command -v "$executable")" 2>/dev/null && METHOD=log
fi

bench_start_xvfb || exit 1
if [[ $(bench_label "$program") == ぴぴろん ]]; then
    program=$(bench_program_copy mini)
    bench_start "$XVFB_DISPLAY" "$program" || exit 1
    window=$(bench_main_window "$XVFB_DISPLAY") && [[ -n $window ]] && bench_arm_in "$window" 5 ||
        { echo "not armed" >&2; exit 1; }
    started=1
fi
bench_busy_loops "${BUSY:-0}"
raw=$BENCH_OUT/tick-offset.$METHOD
: >"$raw"
case $METHOD in
    log)
        # shellcheck disable=SC2086  # a command line in one argument
        [[ -n ${started:-} ]] || PIPIRON_TICK_LOG=$raw bench_start "$XVFB_DISPLAY" $program || exit 1
        sleep "$WARMUP"
        skip=$(wc -l <"$raw")
        sleep "$DURATION"
        tail -n +"$((skip + 1))" "$raw" | awk '{ n = split($0, f, /[^0-9]+/);
            for (i = n; i > 0; --i) if (f[i] != "") { print f[i] + 0; break } }' \
            >"$OFFSETS_FILE"
        ;;
    strace)
        # shellcheck disable=SC2086
        [[ -n ${started:-} ]] || bench_start "$XVFB_DISPLAY" $program || exit 1
        sleep "$WARMUP"
        timerfds=$(for fd in /proc/"$STARTED_PID"/fd/*; do
            if [[ $(readlink "$fd") == *timerfd* ]]; then printf '%s ' "${fd##*/}"; fi
        done)
        strace -p "$STARTED_PID" -e trace=poll,ppoll,read -e signal=none -tt -T -o "$raw" \
            2>/dev/null &
        strace_pid=$!
        BENCH_PIDS+=("$strace_pid")
        sleep "$DURATION"
        kill -INT "$strace_pid" || true
        wait "$strace_pid" 2>/dev/null || true
        awk -v timerfds=" $timerfds" 'function take(t) { if (kept == 0 || t - tick >= 0.9) {
                     printf "%.1f\n", (t - int(t)) * 1000; tick = t; kept = 1 } }
             $2 ~ /^read\(/ { fd = $2; sub(/^read\(/, "", fd); sub(/,.*/, "", fd)
                if (index(timerfds, " " fd " ")) { split($1, t, ":"); take(t[1] * 3600 + t[2] * 60 + t[3]) }
                next }
             /= 0 \(Timeout\)/ && timerfds == " " {
                split($1, t, ":"); start = t[1] * 3600 + t[2] * 60 + t[3]
                d = $NF; gsub(/[<>]/, "", d); end = start + d
                if (n > 0 && end - last > 0.1) take(last)
                last = end; ++n }
             END { if (n > 0) take(last) }' "$raw" >"$OFFSETS_FILE"
        ;;
    *)
        echo "METHOD is log or strace" >&2
        exit 2
        ;;
esac

awk '{ print ($1 >= 500 ? $1 - 1000 : $1) }' "$OFFSETS_FILE" | sort -g |
    awk -v label="$(bench_label "$program")" -v method="$METHOD" '
        { v[++n] = $1 }
        END {
            if (n == 0) { print label "\t" method "\t0\t-\t-\t-\t-"; exit 1 }
            p95 = int(0.95 * n); if (p95 < 0.95 * n) ++p95
            med = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
            printf "%s\t%s\t%d\t%g\t%g\t%g\t%g\n", label, method, n, v[1], med, v[p95], v[n]
        }'

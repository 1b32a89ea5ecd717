#!/bin/bash
# measure-latency.sh [ALARMS]: how long after its minute starts an alarm is heard.
#
# Method. A private PulseAudio with one null sink ("bench"); parec records the
# sink's monitor (mono, 16 bit, 44100 Hz) for the whole run. bench_click keeps a
# playback stream of its own connected and, 1.2 s before each alarm minute,
# plays a 1 ms click, printing the wall-clock instant the click leaves the
# server (written + the latency the server reports): the recording is placed
# on the wall clock by that click. For each of ALARMS alarms (3) with the chime
# ("wav") and then with no sound file ("beep": the message box about it is
# answered, the alarm beeps), a copy of ぴぴろん starts under its own Xvfb with
# a clock shifted by whole seconds (libfaketime) so that it starts at second 54
# of a minute; xdotool clicks "1>" and the switch, as a user arms the alarm for
# the next minute. The first sample of the recording that is not silence after
# the alarm minute's start (in wall-clock time) is the first sample heard; the
# program is ended 2.5 s into the minute.
# Output, tab-separated, one line per variant and one per alarm in
# $BENCH_OUT/latency-alarms.txt:  variant  alarms  median  p95  max   (ms)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
ALARMS=${1:-3}
VARIANTS=${VARIANTS:-wav beep}
RATE=44100

bench_build --target pipiron pipiron_media bench_click || exit 1
[[ -x $BUILD_DIR/bench_click ]] || { echo "bench_click needs libpulse-dev" >&2; exit 1; }
ALARMS_FILE=${ALARMS_FILE:-$BENCH_OUT/latency-alarms.txt}
: >"$ALARMS_FILE"

bench_start_pulse || exit 1
recording=$BENCH_TMP/monitor.raw
parec -d bench.monitor --format=s16le --rate=$RATE --channels=1 --raw --latency-msec=20 \
    >"$recording" 2>>"$BENCH_TMP/programs.log" &
BENCH_PIDS+=($!)
mkfifo "$BENCH_TMP/clicks"
"$BUILD_DIR/bench_click" <"$BENCH_TMP/clicks" >"$BENCH_TMP/clicks-heard" \
    2>>"$BENCH_TMP/programs.log" &
BENCH_PIDS+=($!)
exec 3>"$BENCH_TMP/clicks"
bench_start_xvfb || exit 1

# "index sample" lines of the recording from index $1 on, for $2 seconds.
samples() {
    local first=$1
    ((first < 0)) && first=0
    dd if="$recording" bs=2 skip="$first" count="$(awk -v s="$2" -v rate=$RATE 'BEGIN { printf "%d", s * rate }')" \
        status=none | od -An -v -t d2 -w2 | awk -v first="$first" '{ print first + NR - 1, $1 }'
}

# The index of the first click in the recording from index $1 on, within $2 seconds.
click_from() {
    # awk stops reading at the click: the samples' writers may then end on SIGPIPE.
    { samples "$1" "$2" || true; } | awk '$2 > 8000 || $2 < -8000 { print $1; exit }'
}

# The recording is placed on the wall clock once, roughly, by a first click: the
# start of a recording is not known to the millisecond.
echo "$(date +%s.%N | awk '{ printf "%.3f", $1 + 1 }')" >&3
sleep 2
first_click=$(click_from 0 10)
[[ -n $first_click ]] || { echo "the first reference click was not recorded" >&2; exit 1; }
recording_start=$(awk -v h="$(head -1 "$BENCH_TMP/clicks-heard")" -v i="$first_click" -v rate=$RATE \
    'BEGIN { printf "%.6f", h - i / rate }')
index_at() {
    awk -v t="$1" -v r0="$recording_start" -v rate=$RATE 'BEGIN { printf "%d", (t - r0) * rate }'
}

for variant in $VARIANTS; do
    program=$(bench_program_copy "$variant")
    for alarm in $(seq "$ALARMS"); do
        bench_fake_offset 54
        # shellcheck disable=SC2046  # the environment as words
        env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio \
            $(bench_faketime_env "$BENCH_FAKE_OFFSET") "$program" >>"$BENCH_TMP/programs.log" 2>&1 &
        pid=$!
        BENCH_PIDS+=("$pid")
        window=$(bench_main_window "$XVFB_DISPLAY" "$variant") && [[ -n $window ]] &&
            bench_arm_next_minute "$window" || echo "alarm $alarm ($variant): not armed" >&2
        click_at=$(awk -v t="$BENCH_ALARM_AT" 'BEGIN { printf "%.3f", t - 1.2 }')
        echo "$click_at" >&3
        sleep "$(awk -v t="$BENCH_ALARM_AT" -v now="$(date +%s.%N)" 'BEGIN { print t + 2.5 - now }')"
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        sleep 0.3  # the recording catches up
        heard=$(tail -1 "$BENCH_TMP/clicks-heard")
        # This alarm's click, then the first sound after the minute's start.
        click_index=$(click_from $(($(index_at "$heard") - RATE / 4)) 0.5)
        if [[ -z $click_index ]]; then
            echo "alarm $alarm ($variant): reference click not found" >&2
            continue
        fi
        minute_index=$(awk -v c="$click_index" -v h="$heard" -v t="$BENCH_ALARM_AT" -v rate=$RATE \
            'BEGIN { printf "%d", c + (t - h) * rate }')
        first=$({ samples $((minute_index - RATE / 4)) 1.5 || true; } |
            awk '$2 > 2 || $2 < -2 { print $1; exit }')
        if [[ -z $first ]]; then
            echo "alarm $alarm ($variant): nothing heard" >&2
            continue
        fi
        awk -v v="$variant" -v f="$first" -v m="$minute_index" -v rate=$RATE \
            'BEGIN { printf "%s\t%.1f\n", v, (f - m) * 1000 / rate }' >>"$ALARMS_FILE"
    done
done
exec 3>&-

for variant in $VARIANTS; do
    awk -F'\t' -v v="$variant" '$1 == v { print $2 }' "$ALARMS_FILE" | sort -g |
        awk -v v="$variant" '{ x[++n] = $1 }
            END {
                if (n == 0) { printf "%s\t0\t-\t-\t-\n", v; exit }
                p = int(0.95 * n); if (p < 0.95 * n) ++p
                m = (n % 2) ? x[(n + 1) / 2] : (x[n / 2] + x[n / 2 + 1]) / 2
                printf "%s\t%d\t%.1f\t%.1f\t%.1f\n", v, n, m, x[p], x[n] }'
done

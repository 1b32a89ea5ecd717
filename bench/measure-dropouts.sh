#!/bin/bash
# measure-dropouts.sh: silent gaps in an alarm sound rung on a busy machine, beside
# paplay playing the same file at the same load.
#
# Method. A private PulseAudio with one null sink ("bench"); parec records the
# sink's monitor (mono, 16 bit, 44100 Hz). Two busy loops, one per processor
# (nice 0), run through both measurements. bench_sweep writes a 90 s sine sweep;
# a copy of ぴぴろん whose settings name it as the alarm sound starts under its own
# Xvfb with a clock shifted (libfaketime) to second 54 of a minute, and xdotool
# arms it for the next minute, as a user does: the sweep rings through that minute
# (its first 60 s). Then paplay plays the same file for as long, recorded the same
# way. A gap is a run of silence inside what was heard, from its first sample to
# its last: a sweep at half scale is never silent for more than two samples.
# Output, tab-separated, one line per player:
#   player  gaps>5ms  gaps>1ms  longest(ms)  heard(s)  load(1 min, at the end)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
RATE=44100

bench_build --target pipiron bench_sweep || exit 1
sweep=$BENCH_TMP/sweep.wav
"$BUILD_DIR/bench_sweep" write "$sweep" || exit 1
bench_start_pulse || exit 1
bench_start_xvfb || exit 1

busy=()
for cpu in $(seq 0 $(($(nproc) - 1))); do
    taskset -c "$cpu" nice -n 0 sh -c 'while :; do :; done' &
    busy+=($!)
    BENCH_PIDS+=($!)
done

# Records the sink while "$@" runs; the recording is $1.
record() {
    local out=$1
    shift
    parec -d bench.monitor --format=s16le --rate=$RATE --channels=1 --raw >"$out" \
        2>>"$BENCH_TMP/programs.log" &
    local parec=$!
    sleep 0.5
    "$@" || true  # timeout cuts paplay short on purpose
    sleep 0.5
    kill "$parec" 2>/dev/null || true
    wait "$parec" 2>/dev/null || true
}

ring() {
    local dir=$BENCH_TMP/program pid window
    mkdir -p "$dir"
    cp "$BUILD_DIR/pipiron" "$dir/"
    printf '[SETUP]\r\nWAVFILE=%s\r\n' "$sweep" >"$dir/pipiron.ini"
    bench_fake_offset 54
    # shellcheck disable=SC2046  # the environment as words
    # The sound engine's own account of its devices goes to programs.log.
    env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio \
        QT_LOGGING_RULES=pipiron.sound.debug=true QT_MESSAGE_PATTERN='%{time process} %{message}' \
        $(bench_faketime_env "$BENCH_FAKE_OFFSET") "$dir/pipiron" >>"$BENCH_TMP/programs.log" 2>&1 &
    pid=$!
    BENCH_PIDS+=("$pid")
    window=$(bench_main_window "$XVFB_DISPLAY" wav) && [[ -n $window ]] &&
        bench_arm_next_minute "$window" || echo "ぴぴろん: not armed" >&2
    sleep "$(awk -v t="$BENCH_ALARM_AT" -v now="$(date +%s.%N)" 'BEGIN { w = t + 61 - now; print (w > 0 ? w : 0) }')"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

record "$BENCH_TMP/pipiron.raw" ring
record "$BENCH_TMP/paplay.raw" timeout 60 paplay "$sweep"
load=$(cut -d' ' -f1 /proc/loadavg)
kill "${busy[@]}" 2>/dev/null || true

: >"$BENCH_OUT/dropouts-gaps.txt"
printf 'player\tgaps>5ms\tgaps>1ms\tlongest ms\theard s\tload\n'
for player in pipiron paplay; do
    printf '%s\t%s\t%s\n' "$(bench_label "$player")" \
        "$("$BUILD_DIR/bench_sweep" gaps "$BENCH_TMP/$player.raw" 2>>"$BENCH_OUT/dropouts-gaps.txt")" "$load"
done | tee "$BENCH_OUT/dropouts.txt"

# Shared by the bench scripts: build folder, private X servers, started programs.
# shellcheck shell=bash disable=SC2034  # the variables set here are read by the scripts

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SOURCE_DIR=$(dirname "$BENCH_DIR")
BUILD_DIR=${BUILD_DIR:-$SOURCE_DIR/build-rel}
BENCH_OUT=${BENCH_OUT:-$BUILD_DIR/bench-results}
BENCH_TMP=$(mktemp -d /tmp/pipiron-bench.XXXXXX)
BENCH_PIDS=()

bench_cleanup() {
    local pid
    for pid in "${BENCH_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${BENCH_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    BENCH_PIDS=()
}
trap 'bench_cleanup; [[ -z ${BENCH_KEEP:-} ]] || cp -r "$BENCH_TMP" "$BENCH_OUT/tmp" || true
      cp "$BENCH_TMP/programs.log" "$BENCH_OUT/programs-$(basename "$0" .sh).log" 2>/dev/null || true
      rm -rf "$BENCH_TMP"' EXIT
trap 'exit 130' INT TERM

# The Release build without sanitizers that the figures are taken from.
bench_build() {
    if [[ ! -f $BUILD_DIR/build.ninja ]]; then
        cmake -S "$SOURCE_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DBUILD_TESTING=OFF -DPIPIRON_BENCH=ON -DPIPIRON_SANITIZE=OFF >/dev/null || return 1
    fi
    cmake --build "$BUILD_DIR" -j2 "$@" >/dev/null || return 1
}

# A display number with neither a lock nor a socket, from 80 up.
bench_free_display() {
    local n=${BENCH_DISPLAY:-80}
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do
        n=$((n + 1))
    done
    echo "$n"
}

mkdir -p "$BENCH_OUT"

# A session bus of the bench's own, as every desktop session has one: without
# it each program would have D-Bus autolaunch a daemon for its display.
bench_start_bus() {
    [[ -n ${BENCH_BUS_PID:-} ]] && return 0
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$BENCH_TMP/bus" \
        >/dev/null 2>&1 &
    BENCH_BUS_PID=$!
    BENCH_PIDS+=("$BENCH_BUS_PID")
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$BENCH_TMP/bus
    for _ in $(seq 100); do
        [[ -S $BENCH_TMP/bus ]] && return 0
        sleep 0.05
    done
    echo "dbus-daemon did not start" >&2
    return 1
}

# Starts Xvfb on a free display; sets XVFB_DISPLAY once the server accepts
# clients. Another session may take the same number at the same moment: the
# server must hold the display's lock itself, otherwise the next number is tried.
# -noreset: a program started while the last one leaves would be refused.
bench_start_xvfb() {
    local n pid attempt
    bench_start_bus || return 1
    n=$(bench_free_display)
    for attempt in 1 2 3 4 5; do
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$BENCH_TMP/xvfb.$n.log" 2>&1 &
        pid=$!
        BENCH_PIDS+=("$pid")
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            if [[ $({ tr -d ' \n' <"/tmp/.X$n-lock"; } 2>/dev/null) == "$pid" ]] &&
                xdpyinfo -display ":$n" >/dev/null 2>&1; then
                XVFB_DISPLAY=:$n
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        n=$(BENCH_DISPLAY=$((n + 1)) bench_free_display)
    done
    echo "Xvfb did not start ($attempt attempts)" >&2
    return 1
}

# Starts a command line in the background on display $1, with the environment
# the program is measured in; sets STARTED_PID to the program's own process.
bench_start() {
    local display=$1 pidfile
    shift
    pidfile=$BENCH_TMP/pid.$RANDOM$RANDOM
    # shellcheck disable=SC2016  # $$ is the shell that becomes the program
    env DISPLAY="$display" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER="${BENCH_AUDIODRIVER:-dummy}" \
        sh -c 'echo $$ >"$0"; exec "$@"' "$pidfile" "$@" \
        >>"$BENCH_TMP/programs.log" 2>&1 &
    BENCH_PIDS+=($!)
    for _ in $(seq 100); do
        [[ -s $pidfile ]] && { STARTED_PID=$(<"$pidfile"); BENCH_PIDS+=("$STARTED_PID"); return 0; }
        sleep 0.05
    done
    return 1
}

# The short name a command line is shown under.
bench_label() {
    local first=${1%% *}
    first=$(basename "$first")
    case $first in
        pipiron) [[ $1 == */program-long/* ]] && echo "ぴぴろん, 60 s WAV" || echo "ぴぴろん" ;;
        bench_bareqt) echo "bare Qt window" ;;
        *) echo "$1" ;;
    esac
}

# The default programs compared: ぴぴろん, the bare Qt window, xclock, oclock.
bench_default_programs() {
    BENCH_PROGRAMS=("$BUILD_DIR/pipiron" "$BUILD_DIR/bench_bareqt" "xclock -analog -update 1"
        "oclock")
}

# Median of numbers on standard input.
bench_median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1;
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Starts a private PulseAudio whose one sink, "bench", plays into nothing (its
# monitor can be recorded); exports PULSE_SERVER for the programs started after.
bench_start_pulse() {
    local dir
    dir=$(mktemp -d "$BENCH_TMP/pulse.XXXXXX")
    mkdir -p "$dir/run"
    XDG_RUNTIME_DIR=$dir/run pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no --disable-shm=yes --log-target="file:$dir/pulse.log" \
        -L "module-null-sink sink_name=bench rate=44100 channels=2" \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        >/dev/null 2>&1 &
    PULSE_PID=$!
    BENCH_PIDS+=("$PULSE_PID")
    export PULSE_SERVER=unix:$dir/native
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "PulseAudio did not start (see $dir/pulse.log)" >&2
    return 1
}

bench_stop_pulse() {
    kill "$PULSE_PID" 2>/dev/null || true
    wait "$PULSE_PID" 2>/dev/null || true
    unset PULSE_SERVER
}

# A copy of ぴぴろん in a folder of its own, so that its settings file is the
# bench's: "wav" with the chime beside it, "beep" without (the alarm beeps),
# "long" with a 60 s 44.1 kHz stereo WAV in the chime's place, "mini" with the
# chime and the mini timer shown when the alarm is armed.
bench_program_copy() {
    local dir=$BENCH_TMP/program-$1
    mkdir -p "$dir/media"
    cp "$BUILD_DIR/pipiron" "$dir/"
    case $1 in
        wav) cp "$BUILD_DIR/media/tada.wav" "$dir/media/" ;;
        mini)
            cp "$BUILD_DIR/media/tada.wav" "$dir/media/"
            printf '[SETUP]\r\nMINI=1\r\n' >"$dir/pipiron.ini"
            ;;
        long)
            python3 -c 'import sys, wave
w = wave.open(sys.argv[1], "wb"); w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
w.writeframes(bytes(range(256)) * (60 * 44100 * 4 // 256)); w.close()' "$dir/media/tada.wav"
            ;;
    esac
    echo "$dir/pipiron"
}

# Voluntary context switches summed over the threads of process $1: each time one
# blocked, and so each time one was woken again.
bench_wakeups() {
    { cat /proc/"$1"/task/*/status 2>/dev/null || true; } |
        awk '/^voluntary_ctxt_switches/ { w += $2 } END { print w + 0 }'
}

# Starts $1 loops that keep a processor busy, as other work on the machine does.
bench_busy_loops() {
    local i
    for i in $(seq "$1"); do
        sh -c 'while :; do :; done' &
        BENCH_PIDS+=($!)
    done
}

# BENCH_FAKE_OFFSET: the whole seconds that put a clock started now at second $1
# of a minute; BENCH_ALARM_AT: the wall-clock second at which its next minute starts.
bench_fake_offset() {
    local now
    now=$(date +%s)
    BENCH_FAKE_OFFSET=$(((($1 - now % 60) + 60) % 60))
    BENCH_ALARM_AT=$(((now + BENCH_FAKE_OFFSET) / 60 * 60 + 60 - BENCH_FAKE_OFFSET))
}

# Runs a command line under a clock $1 seconds ahead of the wall clock. File times stay
# true: shifted ones make fontconfig find its caches stale and rewrite them, and the next
# program to start (the idle run's ぴぴろん) would scan every font again, slower and larger.
bench_faketime_env() {
    echo LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1 FAKETIME="+$1" \
        FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1
}

# The main window of ぴぴろん on display $1 once it shows; with $2 = beep, the
# message box about the missing sound file is answered first.
bench_main_window() {
    local display=$1 box
    if [[ ${2:-} == beep ]]; then
        box=$(DISPLAY=$display timeout 10 xdotool search --sync --onlyvisible --name '^pipiron$' |
            head -1) || return 1
        DISPLAY=$display xdotool windowfocus --sync "$box" key Return
    fi
    DISPLAY=$display timeout 10 xdotool search --sync --onlyvisible --name '^ぴぴろん$' | head -1
}

# Clicks the control at ($2, $3) of the main window's client area (below the
# menu bar), as laid out: BtnUp at 204,172, the switch at 32,196 (OFF) or 32,180 (ON).
bench_click_control() {
    local window=$1 x=$2 y=$3 height
    height=$(DISPLAY=$XVFB_DISPLAY xdotool getwindowgeometry "$window" |
        awk '/Geometry/ { split($2, s, "x"); print s[2] }')
    DISPLAY=$XVFB_DISPLAY xdotool mousemove --window "$window" "$x" $((height - 222 + y)) click 1
}

# Sets the alarm of the main window $1 one minute on and switches it ON.
bench_arm_next_minute() {
    bench_arm_in "$1" 1
}

# Sets the alarm of the main window $1 $2 minutes on ("1>" and "5>") and switches it ON.
bench_arm_in() {
    local minutes=$2
    while ((minutes >= 5)); do
        bench_click_control "$1" 228 172 || return 1
        minutes=$((minutes - 5))
    done
    while ((minutes > 0)); do
        bench_click_control "$1" 204 172 || return 1
        minutes=$((minutes - 1))
    done
    bench_click_control "$1" 32 196
}

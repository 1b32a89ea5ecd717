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
        kill "$pid" 2>/dev/null
    done
    for pid in "${BENCH_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    BENCH_PIDS=()
}
trap 'bench_cleanup; [[ -n ${BENCH_KEEP:-} ]] && cp -r "$BENCH_TMP" "$BENCH_OUT/tmp"; cp "$BENCH_TMP/programs.log" "$BENCH_OUT/programs-$(basename "$0" .sh).log" 2>/dev/null; rm -rf "$BENCH_TMP"' EXIT
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

# Starts Xvfb on a free display; sets XVFB_DISPLAY once the server accepts
# clients. Another session may take the same number at the same moment: the
# server must hold the display's lock itself, otherwise the next number is tried.
bench_start_xvfb() {
    local n pid attempt
    n=$(bench_free_display)
    for attempt in 1 2 3 4 5; do
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$BENCH_TMP/xvfb.$n.log" 2>&1 &
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
        kill "$pid" 2>/dev/null
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
    env DISPLAY="$display" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
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
        pipiron) echo "ぴぴろん" ;;
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

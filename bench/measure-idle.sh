#!/bin/bash
# measure-idle.sh [PROGRAM...]: what each program costs while it sits idle.
#
# Method. Each PROGRAM (a command line in one argument; by default ぴぴろん, the
# bare Qt window, "xclock -analog -update 1" and oclock) starts under its own
# Xvfb (no window manager) with QT_QPA_PLATFORM=xcb and SDL_AUDIODRIVER=dummy;
# all run side by side. After WARMUP seconds (10):
#   Pss      /proc/PID/smaps_rollup, Pss line, in MiB;
#   then over DURATION seconds (60), the difference between two readings of
#   wake-ups  voluntary_ctxt_switches summed over /proc/PID/task/*/status: every
#             time a thread blocked, hence every time it was woken again;
#   CPU       first field of /proc/PID/task/*/schedstat (nanoseconds on the
#             CPU) summed over the threads: exact, unlike utime + stime (10 ms).
# The programs start at second 50 of a minute (ALIGN=0 starts them at once):
# ぴぴろん's first minute is its alarm minute (the alarm time starts as the
# time of start-up), in which it redraws every second by design, so the
# measurement begins once that minute is over.
# Pss divides shared pages among the processes that map them: the figures are
# comparable only within one run, where every program shares alike.
# Threads that start or end between the readings are counted from zero or lost;
# the per-thread detail (name, wake-ups, CPU) is written to DETAIL_FILE, which
# shows which thread wakes.
# Output: one line per program, tab-separated:
#   label  wake-ups/s  CPU ms over DURATION  Pss MiB  threads
set -u
. "$(dirname "$0")/lib.sh"
WARMUP=${WARMUP:-10}
DURATION=${DURATION:-60}
DETAIL_FILE=${DETAIL_FILE:-$BENCH_OUT/idle-threads.txt}

if (($# > 0)); then
    BENCH_PROGRAMS=("$@")
else
    bench_default_programs
    bench_build --target pipiron bench_bareqt || exit 1
fi

# Per thread of $1: "tid name voluntary-switches cpu-ns".
thread_readings() {
    local task tid
    for task in /proc/"$1"/task/*; do
        tid=${task##*/}
        printf '%s\t%s\t%s\t%s\n' "$tid" "$(tr ' ' _ <"$task/comm" 2>/dev/null)" \
            "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null)" \
            "$(awk '{ print $1 }' "$task/schedstat" 2>/dev/null)"
    done
}

if [[ ${ALIGN:-1} != 0 ]]; then
    second=$((10#$(date +%S)))
    if ((second < 50)); then sleep $((50 - second)); elif ((second > 52)); then sleep $((110 - second)); fi
fi
pids=()
for program in "${BENCH_PROGRAMS[@]}"; do
    bench_start_xvfb || exit 1
    # shellcheck disable=SC2086  # a command line in one argument
    bench_start "$XVFB_DISPLAY" $program || { echo "cannot start $program" >&2; exit 1; }
    pids+=("$STARTED_PID")
done

sleep "$WARMUP"
declare -A pss before
for i in "${!pids[@]}"; do
    pid=${pids[$i]}
    if [[ ! -d /proc/$pid ]]; then
        echo "${BENCH_PROGRAMS[$i]} ended during the warm-up" >&2
        exit 1
    fi
    pss[$i]=$(awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' /proc/"$pid"/smaps_rollup)
    before[$i]=$(thread_readings "$pid")
done
sleep "$DURATION"

: >"$DETAIL_FILE"
for i in "${!pids[@]}"; do
    pid=${pids[$i]}
    after=$(thread_readings "$pid")
    label=$(bench_label "${BENCH_PROGRAMS[$i]}")
    {
        echo "== $label (pid $pid): per thread over $DURATION s: tid name wake-ups cpu-ms"
        join -a 2 -t $'\t' <(sort <<<"${before[$i]}") <(sort <<<"$after") |
            awk -F'\t' 'NF == 7 { printf "%s\t%s\t%d\t%.2f\n", $1, $5, $6 - $3, ($7 - $4) / 1e6 }
                        NF == 4 { printf "%s\t%s\t%d\t%.2f (new)\n", $1, $2, $3, $4 / 1e6 }'
    } >>"$DETAIL_FILE"
    join -a 2 -t $'\t' <(sort <<<"${before[$i]}") <(sort <<<"$after") |
        awk -F'\t' -v label="$label" -v pss="${pss[$i]}" -v seconds="$DURATION" '
            NF == 7 { w += $6 - $3; c += $7 - $4 }
            NF == 4 { w += $3; c += $4 }
            END { printf "%s\t%.2f\t%.1f\t%s\t%d\n", label, w / seconds, c / 1e6, pss, NR }'
done

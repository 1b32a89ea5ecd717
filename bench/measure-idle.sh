#!/bin/bash
# measure-idle.sh [PROGRAM...]: what each program costs while it sits idle, from
# its start on.
#
# Method. Each PROGRAM (a command line in one argument; by default ぴぴろん, the
# bare Qt window, "xclock -analog -update 1" and oclock) starts under its own
# Xvfb (no window manager) with QT_QPA_PLATFORM=xcb and SDL_AUDIODRIVER=dummy;
# all start together and run side by side, at second 2 of a minute (ALIGN=0
# starts them at once), so that ぴぴろん's first minute, whose time equals the
# alarm time (set at start-up), lies almost whole in the first window. Every
# second for DURATION seconds (120) the script reads, per program:
#   wake-ups  voluntary_ctxt_switches summed over /proc/PID/task/*/status: every
#             time a thread blocked, hence every time it was woken again; the
#             counts start at 0 when the program starts;
#   CPU       first field of /proc/PID/task/*/schedstat (nanoseconds on the
#             CPU) summed over the threads: exact, unlike utime + stime (10 ms).
# and, after WARMUP seconds (10), Pss: /proc/PID/smaps_rollup, Pss line, in MiB,
# and the anonymous memory: RssAnon of /proc/PID/status, in MiB.
# The windows of wake-ups begin SETTLE seconds (3) after the start: before, any
# Qt program makes a few hundred round trips to the X server to set itself up
# (the bare window as much as ぴぴろん); those are given apart.
# Pss divides shared pages among the processes that map them: the figures are
# comparable only within one run, where every program shares alike.
# Threads that end are lost from the sums; the per-thread detail of the last
# 60 s (name, wake-ups, CPU) is written to DETAIL_FILE, which shows which
# thread wakes.
# Output: one line per program, tab-separated:
#   label  wake-ups/s in the first 60 s  most wake-ups/s in any 60 s window
#   wake-ups/s in the last 60 s  CPU ms in the last 60 s (to a hundredth: an idle
#   oclock spends about a tenth, which one decimal would round by half)  Pss MiB  threads
#   wake-ups in the first SETTLE s  anonymous MiB
set -euo pipefail
. "$(dirname "$0")/lib.sh"
WARMUP=${WARMUP:-10}
DURATION=${DURATION:-120}
SETTLE=${SETTLE:-3}
DETAIL_FILE=${DETAIL_FILE:-$BENCH_OUT/idle-threads.txt}

if (($# > 0)); then
    BENCH_PROGRAMS=("$@")
else
    bench_default_programs
    bench_build --target pipiron pipiron_media bench_bareqt || exit 1
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

displays=()
for program in "${BENCH_PROGRAMS[@]}"; do
    bench_start_xvfb || exit 1
    displays+=("$XVFB_DISPLAY")
done
if [[ ${ALIGN:-1} != 0 ]]; then
    second=$((10#$(date +%S)))
    sleep "$(awk -v s="$second" -v n="$(date +%N)" 'BEGIN { w = 62 - s - n / 1e9; if (w > 60) w -= 60; print w }')"
fi
pids=()
for i in "${!BENCH_PROGRAMS[@]}"; do
    # shellcheck disable=SC2086  # a command line in one argument
    bench_start "${displays[$i]}" ${BENCH_PROGRAMS[$i]} || {
        echo "cannot start ${BENCH_PROGRAMS[$i]}" >&2
        exit 1
    }
    pids+=("$STARTED_PID")
done
started=$(date +%s.%N)

declare -A pss anon series before after settled minute
for tick in $(seq "$DURATION"); do
    sleep "$(awk -v t0="$started" -v k="$tick" -v now="$(date +%s.%N)" \
        'BEGIN { w = t0 + k - now; print (w > 0 ? w : 0) }')"
    at=$(awk -v t0="$started" -v now="$(date +%s.%N)" 'BEGIN { printf "%.3f", now - t0 }')
    for i in "${!pids[@]}"; do
        pid=${pids[$i]}
        if [[ ! -d /proc/$pid ]]; then
            echo "${BENCH_PROGRAMS[$i]} ended" >&2
            exit 1
        fi
        readings=$(thread_readings "$pid")
        series[$i]+="$at $(awk -F'\t' '{ w += $3; c += $4 } END { printf "%d %d", w, c }' <<<"$readings")"$'\n'
        if ((tick == WARMUP)); then
            pss[$i]=$(awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' /proc/"$pid"/smaps_rollup)
            anon[$i]=$(awk '/^RssAnon:/ { printf "%.1f", $2 / 1024 }' /proc/"$pid"/status)
        fi
        ((tick == SETTLE)) && settled[$i]=$readings
        ((tick == SETTLE + 60)) && minute[$i]=$readings
        ((tick == DURATION - 60)) && before[$i]=$readings
        ((tick == DURATION)) && after[$i]=$readings
    done
done

: >"$DETAIL_FILE"
for i in "${!pids[@]}"; do
    label=$(bench_label "${BENCH_PROGRAMS[$i]}")
    for span in first last; do
        if [[ $span == first ]]; then from=${settled[$i]} to=${minute[$i]}; else from=${before[$i]} to=${after[$i]}; fi
        echo "== $label (pid ${pids[$i]}): per thread over the $span 60 s: tid name wake-ups cpu-ms"
        join -a 2 -t $'\t' <(sort <<<"$from") <(sort <<<"$to") |
            awk -F'\t' 'NF == 7 { printf "%s\t%s\t%d\t%.2f\n", $1, $5, $6 - $3, ($7 - $4) / 1e6 }
                        NF == 4 { printf "%s\t%s\t%d\t%.2f (new)\n", $1, $2, $3, $4 / 1e6 }'
    done >>"$DETAIL_FILE"
    # Windows of 60 readings from the SETTLE-th on.
    awk -v label="$label" -v pss="${pss[$i]}" -v anon="${anon[$i]}" -v threads="$(wc -l <<<"${after[$i]}")" -v s="$SETTLE" '
        NF == 3 { n++; t[n] = $1; w[n] = $2; c[n] = $3 }
        END {
            first = (w[s + 60] - w[s]) / (t[s + 60] - t[s])
            for (k = s; k + 60 <= n; ++k) {
                r = (w[k + 60] - w[k]) / (t[k + 60] - t[k])
                if (r > most) most = r
            }
            printf "%s\t%.2f\t%.2f\t%.2f\t%.2f\t%s\t%d\t%d\t%s\n", label, first, most,
                (w[n] - w[n - 60]) / (t[n] - t[n - 60]), (c[n] - c[n - 60]) / 1e6, pss, threads, w[s], anon
        }' <<<"${series[$i]}"
done

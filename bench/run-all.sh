#!/bin/bash
# run-all.sh: the measured table of ぴぴろん beside the bare Qt window, xclock and
# oclock, each goal met or missed. About seven minutes a round, ROUNDS rounds (3),
# then four minutes of tick offsets.
#
# Method: see each script. A round runs, one after another: measure-idle.sh (the
# five programs side by side from their start, 120 s: ぴぴろん with the chime and
# with a 60 s WAV, the bare Qt window, "xclock -analog -update 1", oclock),
# measure-states.sh (armed and waiting, the mini timer hopping, ringing),
# measure-startup.sh (5 start-ups each, one program at a time), measure-latency.sh
# (ALARMS alarms, 3, with the chime and with the beep, heard through a private
# PulseAudio) and measure-stall.sh (one run against a freshly started PulseAudio).
# Rounds interleave the measurements so that a busy spell of a shared machine
# spreads over all of them; the table gives the median of the rounds (idle,
# states, start-up), the median and 95th percentile of all alarms, and the
# longest stall of all runs. Then tick-offset.sh measures ぴぴろん (its mini timer
# hopping) and xclock side by side for 60 s quiet and 60 s beside two busy loops.
# Raw figures go to $BUILD_DIR/bench-results/.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
OUT=$BENCH_OUT
ROUNDS=${ROUNDS:-3}
ALARMS=${ALARMS:-3}
bench_build --target pipiron pipiron_media bench_bareqt bench_mapwait bench_click || exit 1
# Copies in folders of their own, with the chime or a long WAV: the settings file is the bench's.
programs=("$(bench_program_copy wav)" "$BUILD_DIR/bench_bareqt")
idle_programs=("${programs[@]}" "$(bench_program_copy long)" "xclock -analog -update 1" "oclock")

rm -f "$OUT"/round.* "$OUT"/offset.*
for round in $(seq "$ROUNDS"); do
    echo "round $round of $ROUNDS" >&2
    DETAIL_FILE=$OUT/idle-threads.$round.txt "$BENCH_DIR/measure-idle.sh" "${idle_programs[@]}" \
        >"$OUT/round.$round.idle" || exit 1
    "$BENCH_DIR/measure-states.sh" >"$OUT/round.$round.states" || exit 1
    "$BENCH_DIR/measure-startup.sh" "${programs[@]}" >"$OUT/round.$round.startup" || exit 1
    ALARMS_FILE=$OUT/round.$round.alarms "$BENCH_DIR/measure-latency.sh" "$ALARMS" \
        >/dev/null || exit 1
    RUNS_FILE=$OUT/round.$round.stalls "$BENCH_DIR/measure-stall.sh" 1 >/dev/null || exit 1
done
for load in quiet busy; do
    loops=()
    if [[ $load == busy ]]; then
        for _ in 1 2; do
            sh -c 'while :; do :; done' &
            loops+=($!)
        done
    fi
    DURATION=60 OFFSETS_FILE=$OUT/offset.$load.pipiron.txt "$BENCH_DIR/tick-offset.sh" \
        >"$OUT/offset.$load.pipiron" 2>/dev/null &
    mine=$!
    DURATION=60 OFFSETS_FILE=$OUT/offset.$load.xclock.txt "$BENCH_DIR/tick-offset.sh" \
        "xclock -analog -update 1" >"$OUT/offset.$load.xclock" 2>/dev/null
    wait "$mine" || echo "tick-offset.sh failed" >&2
    ((${#loops[@]})) && kill "${loops[@]}"
done

me=$(bench_label "${programs[0]}")
long=$(bench_label "${idle_programs[2]}")
bare=$(bench_label "$BUILD_DIR/bench_bareqt")
xclock="xclock -analog -update 1"
median() { bench_median 2>/dev/null || echo "-"; }
# The median over the rounds of column $2 of program $1's idle or start-up lines ($3).
rounds() {
    cat "$OUT"/round.*."$3" | awk -F'\t' -v p="$1" -v c="$2" '$1 == p { print $c }' | median
}
# The same for the four programs of the idle run, tab-separated.
beside() {
    local program
    for program in "$me" "$bare" "$xclock" oclock; do
        printf '\t%s' "$(rounds "$program" "$1" idle)"
    done
}
alarms() {
    cat "$OUT"/round.*.alarms | awk -F'\t' -v v="$1" '$1 == v { print $2 }' | sort -g |
        awk '{ x[++n] = $1 } END { if (n == 0) { print "-\t-\t0"; exit }
                p = int(0.95 * n); if (p < 0.95 * n) ++p
                m = (n % 2) ? x[(n + 1) / 2] : (x[n / 2] + x[n / 2 + 1]) / 2
                printf "%.1f\t%.1f\t%d\n", m, x[p], n }'
}
# "p50 / p95 / max" of the tick offsets of program $2 under load $1.
offsets() {
    awk -F'\t' '{ printf "%s / %s / %s", $5, $6, $7 }' "$OUT/offset.$1.$2" 2>/dev/null || echo "-"
}
read -r wav_median wav_p95 wav_n < <(alarms wav)
read -r beep_median beep_p95 beep_n < <(alarms beep)
stall_max=$(cat "$OUT"/round.*.stalls | sort -g | tail -1)
stall_median=$(cat "$OUT"/round.*.stalls | median)
stall_n=$(cat "$OUT"/round.*.stalls | wc -l)
oclock_cpu=$(rounds oclock 5 idle)

{
    printf 'row\t%s\tbare Qt window\txclock -analog -update 1\toclock\tgoal\n' "$me"
    printf 'GUI thread stall around the sound device, longest of %s runs (median), ms\t%s (%s)\t-\t-\t-\t<= 16\n' \
        "$stall_n" "$stall_max" "$stall_median"
    printf 'first audible sample after the alarm minute starts, WAV, median / p95 of %s, ms\t%s / %s\t-\t-\t-\tp95 <= 25\n' \
        "$wav_n" "$wav_median" "$wav_p95"
    printf 'same, beep fallback (no WAV), median / p95 of %s, ms\t%s / %s\t-\t-\t-\tp95 <= 25\n' \
        "$beep_n" "$beep_median" "$beep_p95"
    printf 'wake-ups/s, first 60 s after start\t%s\t<= 1.10\n' "$(beside 2 | cut -c2-)"
    printf 'wake-ups/s, most in any 60 s window\t%s\t<= 1.10\n' "$(beside 3 | cut -c2-)"
    printf 'wake-ups/s, steady, main window, OFF (last 60 of 120 s)\t%s\t<= 0.05\n' "$(beside 4 | cut -c2-)"
    for state in "armed, waiting" "mini timer, switch ON" "ringing"; do
        goal=$([[ $state == armed* ]] && echo "<= 0.05" || echo "")
        printf 'wake-ups/s, %s\t%s\t-\t-\t-\t%s\n' "$state" \
            "$(cat "$OUT"/round.*.states | awk -F'\t' -v s="$state" '$1 == s { printf "%.2f\n", $2 / 60 }' | median)" \
            "$goal"
    done
    printf 'CPU ms per 60 s, steady\t%s\t<= oclock x 5\n' "$(beside 5 | cut -c2-)"
    printf 'tick offset from the whole second, p50 / p95 / max, quiet, ms\t%s\t-\t%s\t-\tp95 <= 1\n' \
        "$(offsets quiet pipiron)" "$(offsets quiet xclock)"
    printf 'same beside two busy loops, ms\t%s\t-\t%s\t-\tp95 <= 2\n' \
        "$(offsets busy pipiron)" "$(offsets busy xclock)"
    printf 'Pss, idle, with the default WAV, MiB (shared pages divided among the five)\t%s\t<= bare Qt + 4\n' \
        "$(beside 6 | cut -c2-)"
    printf 'anonymous memory, idle, MiB, default WAV / 60 s 44.1 kHz stereo WAV\t%s / %s\t-\t-\t-\tindependent of the WAV\n' \
        "$(rounds "$me" 9 idle)" "$(rounds "$long" 9 idle)"
    printf 'start-up to first map, ms\t%s\t%s\t-\t-\t<= 2 x bare Qt\n' \
        "$(rounds "$me" 2 startup)" "$(rounds "$bare" 2 startup)"
    printf 'threads (not a goal)\t%s\t\n' "$(beside 7 | cut -c2-)"
} >"$OUT/table.tsv"

echo "ぴぴろん beside the bare Qt window, xclock and oclock; medians of $ROUNDS rounds on this machine (see bench/README.md)"
column -t -s $'\t' "$OUT/table.tsv"
echo
echo "Goals"
awk -F'\t' -v oclock="$oclock_cpu" '
    function goal(ok, text) { printf "%-6s %s\n", ok ? "met" : "MISSED", text }
    NR == 2 { split($2, s, " "); goal(s[1] != "" && s[1] <= 16, "GUI stall " s[1] " ms <= 16 ms") }
    NR == 3 { split($2, l, " / "); goal(l[2] != "-" && l[2] <= 25, "WAV p95 " l[2] " ms <= 25 ms") }
    NR == 4 { split($2, l, " / "); goal(l[2] != "-" && l[2] <= 25, "beep p95 " l[2] " ms <= 25 ms") }
    NR == 5 { goal($2 <= 1.10, "first 60 s " $2 " wake-ups/s <= 1.10") }
    NR == 6 { goal($2 <= 1.10, "every 60 s window " $2 " wake-ups/s <= 1.10") }
    NR == 7 { goal($2 <= 0.05, "steady, OFF " $2 " wake-ups/s <= 0.05") }
    NR == 8 { goal($2 <= 0.05, "armed, waiting " $2 " wake-ups/s <= 0.05") }
    NR == 11 { goal($2 <= 5 * oclock, "CPU " $2 " ms <= 5 x oclock = " 5 * oclock " ms") }
    NR == 12 { split($2, o, " / "); goal(o[2] != "" && o[2] <= 1, "tick offset quiet p95 " o[2] " ms <= 1 ms") }
    NR == 13 { split($2, o, " / "); goal(o[2] != "" && o[2] <= 2, "tick offset busy p95 " o[2] " ms <= 2 ms") }
    NR == 14 { goal($2 <= $3 + 4, "Pss " $2 " MiB <= " $3 " + 4 MiB") }
    NR == 15 { split($2, a, " / "); goal(a[2] - a[1] <= 1, "anonymous memory " a[2] " MiB with a 60 s WAV, " a[1] " MiB with the default") }
    NR == 16 { goal($2 <= 2 * $3, "start-up " $2 " ms <= 2 x " $3 " ms = " 2 * $3 " ms") }
' "$OUT/table.tsv"

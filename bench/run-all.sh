#!/bin/bash
# run-all.sh: the whole measured table of ぴぴろん beside the bare Qt window,
# "xclock -analog -update 1" and oclock, the tick-offset distribution, the cost
# of one tick, and each goal met or missed. About six minutes.
#
# Method: see each script. measure-idle.sh (all four side by side, 10 s of
# warm-up then 60 s), then tick-offset.sh (ぴぴろん's ticks for 3 minutes),
# then measure-startup.sh, then tickcost.sh (callgrind), one after another: a
# second ぴぴろん beside the idle one would share its pages and lower its Pss,
# and start-up is bound by the processors.
# Raw figures and per-thread detail go to $BUILD_DIR/bench-results/.
set -u
. "$(dirname "$0")/lib.sh"
OUT=$BENCH_OUT
bench_build --target pipiron bench_bareqt bench_mapwait bench_tickcost || exit 1
bench_default_programs

DETAIL_FILE=$OUT/idle-threads.txt "$BENCH_DIR/measure-idle.sh" "${BENCH_PROGRAMS[@]}" \
    >"$OUT/idle.tsv" || exit 1
DURATION=${TICK_DURATION:-180} OFFSETS_FILE=$OUT/tick-offsets.txt \
    "$BENCH_DIR/tick-offset.sh" >"$OUT/tick-offset.tsv" || echo "tick-offset.sh failed" >&2
"$BENCH_DIR/measure-startup.sh" "${BENCH_PROGRAMS[@]}" >"$OUT/startup.tsv" || exit 1
"$BENCH_DIR/tickcost.sh" >"$OUT/tickcost.tsv" || exit 1

echo "Idle, 60 s after 10 s; start-up median of 5 (Xvfb, no window manager)"
{
    printf 'program\twake-ups/s\tCPU ms/60 s\tPss MiB\tthreads\tstart-up ms\tstart-up runs\n'
    join -t $'\t' <(sort "$OUT/idle.tsv") <(sort "$OUT/startup.tsv") |
        awk -F'\t' -v order="ぴぴろん|bare Qt window|xclock|oclock" '
            BEGIN { n = split(order, o, "|") }
            { for (i = 1; i <= n; ++i) if (index($1, o[i]) == 1) row[i] = $0 }
            END { for (i = 1; i <= n; ++i) if (i in row) print row[i] }'
} | column -t -s $'\t'
echo
echo "Tick offset from the whole second, ms (ぴぴろん)"
{
    printf 'program\tmethod\tticks\tmin\tmedian\tp95\tmax\n'
    cat "$OUT/tick-offset.tsv"
} | column -t -s $'\t'
echo
echo "Instructions per tick (callgrind, tick plus its repaint)"
{
    printf 'tick\tticks\tinstructions\n'
    cat "$OUT/tickcost.tsv"
} | column -t -s $'\t'
echo
echo "Goals"
awk -F'\t' '
    FILENAME ~ /idle/ { w[$1] = $2; c[$1] = $3; p[$1] = $4 }
    FILENAME ~ /startup/ { s[$1] = $2 }
    FILENAME ~ /tick-offset/ { p95 = $6 }
    FILENAME ~ /tickcost/ && $1 == "idle" { idle = $3 }
    function goal(ok, text) { printf "%-6s %s\n", ok ? "met" : "MISSED", text }
    END {
        me = "ぴぴろん"; bare = "bare Qt window"
        goal(w[me] <= 1.05, sprintf("wake-ups %.2f/s <= 1.05/s", w[me]))
        goal(c[me] <= 17, sprintf("CPU %.1f ms <= 17 ms over 60 s", c[me]))
        goal(p[me] <= p[bare] + 10, sprintf("Pss %.1f MiB <= bare Qt %.1f + 10 MiB", p[me], p[bare]))
        goal(s[me] <= 1.3 * s[bare], sprintf("start-up %.1f ms <= 1.3 x bare Qt %.1f ms = %.1f ms",
            s[me], s[bare], 1.3 * s[bare]))
        goal(idle < 100000, sprintf("idle tick %d instructions < 100,000", idle))
        goal(p95 != "-" && p95 < 20, sprintf("tick offset p95 %s ms < 20 ms", p95))
    }' "$OUT/idle.tsv" "$OUT/startup.tsv" "$OUT/tick-offset.tsv" "$OUT/tickcost.tsv"

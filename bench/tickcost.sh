#!/bin/bash
# tickcost.sh [N]: instructions per idle tick and per redrawing tick of ぴぴろん.
#
# Method. bench_tickcost builds the four windows as start-up does, on a quiet
# platform whose clock it sets (offscreen, SDL_AUDIODRIVER=dummy), stops the
# real timer, warms up, then runs Form1->Timer1Timer() plus the event
# processing it causes (the repaint) N times (50) in the same minute (idle: the
# time text is unchanged, nothing is drawn) and N times a minute apart
# (redrawing: new hands, new labels, a repaint). It runs under
# valgrind --tool=callgrind --instr-atstart=no; the program switches
# instrumentation on around each loop and dumps the counts of each loop
# separately (CALLGRIND_DUMP_STATS_AT). The "totals" of each dump divided by
# its tick count are instructions per tick (Ir). The dumps stay in
# $BUILD_DIR/bench-results/ for callgrind_annotate, which shows what costs.
# Output, tab-separated: kind  ticks  instructions per tick
set -euo pipefail
. "$(dirname "$0")/lib.sh"
N=${1:-50}
OUT=$BENCH_OUT

bench_build --target bench_tickcost || exit 1
mkdir -p "$OUT"
rm -f "$OUT"/callgrind.tick.*
( cd "$OUT" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$OUT/callgrind.tick.%p" \
    "$BUILD_DIR/bench_tickcost" "$N" ) >"$OUT/tickcost.log" 2>&1 || {
    echo "bench_tickcost failed, see $OUT/tickcost.log" >&2
    exit 1
}
idle_ticks=$(awk '/^idle ticks:/ { sub(",", "", $3); print $3 }' "$OUT/tickcost.log")
for dump in "$OUT"/callgrind.tick.*.*; do
    kind=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
    total=$(awk '/^totals:/ { print $2 }' "$dump")
    case $kind in
        idle) ticks=$idle_ticks ;;
        redraw) ticks=$N ;;
        *) continue ;;
    esac
    printf '%s\t%s\t%s\n' "$kind" "$ticks" "$((total / ticks))"
done | sort

#!/bin/bash
# measure-startup.sh [PROGRAM...]: how long each program takes to show its window.
#
# Method. Each PROGRAM (a command line in one argument; by default ぴぴろん, the
# bare Qt window, "xclock -analog -update 1" and oclock) gets its own Xvfb with
# no window manager, so its main window maps directly on the root window.
# bench_mapwait selects SubstructureNotify on the root, forks, reads the
# monotonic clock just before exec and prints the milliseconds until the first
# MapNotify of a top-level (not override-redirect) window, then ends the
# program. One start-up is run first and dropped (it fills the page cache),
# then RUNS (5) are measured one after another; the programs run one at a time
# so that they do not compete for the processors.
# Output: one line per program, tab-separated: label  median ms  all runs
set -euo pipefail
. "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-5}

if (($# > 0)); then
    BENCH_PROGRAMS=("$@")
else
    bench_default_programs
    bench_build --target pipiron bench_bareqt bench_mapwait || exit 1
fi
[[ -x $BUILD_DIR/bench_mapwait ]] || bench_build --target bench_mapwait || exit 1

for program in "${BENCH_PROGRAMS[@]}"; do
    bench_start_xvfb || exit 1
    runs=()
    for run in $(seq 0 "$RUNS"); do
        # shellcheck disable=SC2086  # a command line in one argument
        ms=$(env DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
            "$BUILD_DIR/bench_mapwait" $program 2>>"$BENCH_TMP/programs.log") || {
            echo "$program: no window mapped (see $BENCH_OUT/programs-measure-startup.log)" >&2
            exit 1
        }
        ((run > 0)) && runs+=("$ms")
    done
    median=$(printf '%s\n' "${runs[@]}" | bench_median)
    printf '%s\t%s\t%s\n' "$(bench_label "$program")" "$median" "${runs[*]}"
    bench_cleanup
done

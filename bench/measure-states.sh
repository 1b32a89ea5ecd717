#!/bin/bash
# measure-states.sh: ぴぴろん's wake-ups in 60 s in each state of the alarm but the
# plain OFF (measure-idle.sh gives that one).
#
# Method. Two copies start side by side, each under its own Xvfb (no window
# manager) with QT_QPA_PLATFORM=xcb and SDL_AUDIODRIVER=dummy, under a clock
# shifted by whole seconds (libfaketime, monotonic clock not faked) so that they
# start at second 2 of a minute M; xdotool arms them as a user does:
#   main  "1>" twice and the switch, at about M:05: the alarm is M+2. Windows:
#         "armed, waiting" M:08 to M+1:08; "ringing" M+2:00 to M+3:00 (the
#         chime plays, repeated; the switch goes OFF at M+3:00).
#   mini  the settings ask for the mini timer; "5>" and the switch: the mini
#         timer shows and hops. Window M:10 to M+1:10.
# A wake-up is a voluntary context switch of any thread (bench_wakeups).
# Output, tab-separated, one line per state:  state  wake-ups in the 60 s
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_build --target pipiron pipiron_media || exit 1

bench_fake_offset 2
start_at=$BENCH_ALARM_AT  # the wall-clock second at which the shifted clock reads M+1:00
# Started a moment before M:02 on the shifted clock.
sleep "$(awk -v t="$start_at" -v now="$(date +%s.%N)" 'BEGIN { w = t - 58 - now; print (w > 0 ? w : 0) }')"
declare -A pid window display
for copy in wav mini; do
    bench_start_xvfb || exit 1
    display[${copy}]=$XVFB_DISPLAY
    # shellcheck disable=SC2046  # the environment as words
    bench_start "$XVFB_DISPLAY" env $(bench_faketime_env "$BENCH_FAKE_OFFSET") \
        "$(bench_program_copy $copy)" || exit 1
    pid[$copy]=$STARTED_PID
done
for copy in wav mini; do
    XVFB_DISPLAY=${display[$copy]}
    window[$copy]=$(bench_main_window "$XVFB_DISPLAY") && [[ -n ${window[$copy]} ]] || {
        echo "$copy: no main window" >&2
        exit 1
    }
done
XVFB_DISPLAY=${display[wav]} bench_arm_in "${window[wav]}" 2 || exit 1
XVFB_DISPLAY=${display[mini]} bench_arm_in "${window[mini]}" 5 || exit 1

# Sleeps until $1 seconds after the shifted clock's M+1:00 (negative: before it).
until_second() {
    sleep "$(awk -v t="$start_at" -v s="$1" -v now="$(date +%s.%N)" 'BEGIN { w = t + s - now; print (w > 0 ? w : 0) }')"
}
until_second -52
armed=$(bench_wakeups "${pid[wav]}")
until_second -50
mini=$(bench_wakeups "${pid[mini]}")
until_second 8
printf 'armed, waiting\t%d\n' $(($(bench_wakeups "${pid[wav]}") - armed))
until_second 10
printf 'mini timer, switch ON\t%d\n' $(($(bench_wakeups "${pid[mini]}") - mini))
until_second 60
ringing=$(bench_wakeups "${pid[wav]}")
until_second 120
printf 'ringing\t%d\n' $(($(bench_wakeups "${pid[wav]}") - ringing))

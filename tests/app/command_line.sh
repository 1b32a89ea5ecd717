#!/usr/bin/env bash
# Starts the program from a shell with arguments and environments a user may
# give it, and checks the exit status and what it writes on each stream.
# usage: command_line.sh PROGRAM
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
# A stream as one line, so that a pattern can span lines and "^$" matches nothing written.
flat() { printf '%s\n' "$(tr '\n' ' ' <"$1" | sed 's/ *$//')"; }

# environment | arguments | status ("runs": still running after a second) | stdout | stderr
# The patterns are grep -E patterns over the whole stream; "^$" is an empty one.
cases=(
  "|--version|0|^pipiron 1\.01$|^$"
  "|-v|0|^pipiron 1\.01$|^$"
  "|--help|0|Usage: .*pipiron.*alarm clock.*-v, --version.*--platform <name\[:options\]>.*--display <display>|^$"
  "|--bogus|1|^$|^pipiron: Unknown option 'bogus'\.$"
  "|now|1|^$|^pipiron: Unexpected argument 'now'\.$"
  "||1|^$|^pipiron: needs a desktop session, but neither DISPLAY nor WAYLAND_DISPLAY is set\.$"
  "QT_QPA_PLATFORM=xcb||1|^$|needs a desktop session"
  "QT_QPA_PLATFORM=offscreen||runs|^$|"
  "|-platform offscreen:fontconfig|runs|^$|"
  "|--platform=offscreen|runs|^$|"
  "|--display=:1234|1|^$|^pipiron: cannot open the display :1234\.$"
  "DISPLAY=:1234||1|^$|^pipiron: cannot open the display :1234\.$"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r environment arguments want out err <<<"$entry"
  # No desktop session at all, unless the case brings its own platform.
  # shellcheck disable=SC2086  # the fields are word lists
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM SDL_AUDIODRIVER=dummy HOME="$work" \
    XDG_CONFIG_HOME="$work/config" $environment "$program" $arguments \
    >"$work/out" 2>"$work/err" &
  pid=$!
  status=runs
  # A program that is to answer gets ten seconds (a sanitizer build starts slowly).
  for _ in $(seq 1 "$([ "$want" = runs ] && echo 15 || echo 100)"); do
    sleep 0.1
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; break; }
  done
  # Killed outright: a running program must not save settings into the build tree.
  [ "$status" = runs ] && { kill -KILL "$pid"; wait "$pid" 2>/dev/null; }
  problems=()
  [ "$status" = "$want" ] || problems+=("status $status, not $want")
  flat "$work/out" | grep -Eq -- "$out" || problems+=("stdout")
  [ -z "$err" ] || flat "$work/err" | grep -Eq -- "$err" || problems+=("stderr")
  if [ "$want" = 1 ] && [ "$(wc -l <"$work/err")" != 1 ]; then problems+=("not one line on stderr"); fi
  if [ ${#problems[@]} -gt 0 ]; then
    failed=1
    echo "FAILED: env [$environment] args [$arguments]: ${problems[*]}"
    echo "--- stdout:"; cat "$work/out"; echo "--- stderr:"; cat "$work/err"
  fi
done
exit $failed

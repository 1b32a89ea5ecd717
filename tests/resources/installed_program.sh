#!/usr/bin/env bash
# Installs the build into a fresh prefix whose path needs quoting, starts the
# program the way a desktop's menu does (the entry's Exec, with an empty PATH,
# offscreen, no sound device needed) and checks that it runs and has read its
# own alarm sound from media/ beside it (the file's access time moves: the
# program lets the file go again until the alarm rings).
set -euo pipefail
build=$1
prefix="$2/ぴぴ ろん"
rm -rf "$2"
cmake --install "$build" --prefix "$prefix" >/dev/null

# A launcher's reading of Exec: the string escapes, then the quoting, which is the shell's.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/io.github.pipiron.Pipiron.desktop")
exec_line=$(printf '%s' "$exec_line" | sed 's/\\\\/\\/g; s/%%/%/g')
eval "command=($exec_line)"

# An access time older than a day is moved on by the next read, even with relatime.
long_ago=$(date -d '2000-01-02' +%s)
touch -a -d '2000-01-01' "$prefix/lib/pipiron/media/tada.wav"

home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
# shellcheck disable=SC2154  # command is set by eval
env PATH= HOME="$home" XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
  SDL_AUDIODRIVER=dummy "${command[@]}" >"$home/log" 2>&1 &
pid=$!
sound=$(realpath "$prefix/lib/pipiron/media/tada.wav")
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || { echo "the installed program ended:"; cat "$home/log"; exit 1; }
  if [ "$(stat -c %X "$sound")" -gt "$long_ago" ]; then
    echo "${command[*]} runs and has read $sound"
    exit 0
  fi
  sleep 0.1
done
echo "the installed program did not open its alarm sound"
cat "$home/log"
exit 1

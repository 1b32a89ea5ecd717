#!/usr/bin/env bash
# Installs the build into a fresh prefix whose path needs quoting and starts the
# installed program (offscreen, no sound device needed): first the way a desktop's
# menu does, by the entry's Exec with an empty PATH, then through its link in bin.
# Which alarm sound it opens (the file's access time moves: the program reads it
# at start) tells which settings file it read:
#   - installed: its own chime with no settings; a pipiron.ini the user put beside
#     the program until $XDG_CONFIG_HOME/pipiron/pipiron.ini exists, then that one;
#     nothing is ever written into the prefix;
#   - a portable copy of the folder (without the install's marker, renamed to
#     mezamashi): mezamashi.ini beside it, also on a read-only disk, where the
#     file in $XDG_CONFIG_HOME would count once it exists.
# usage: installed_program.sh BUILD WORK PROGRAM_DIR BINDIR DATADIR (the last three
# relative to the prefix, as the build was configured)
set -euo pipefail
build=$1
prefix="$2/ぴぴ ろん"
folder=$prefix/$3
# A run that was killed may have left its read-only mount behind.
umount "$prefix.home/portable" 2>/dev/null || true
rm -rf "$2"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$folder/installed" ] || { echo "missing $3/installed"; exit 1; }

# A launcher's reading of Exec: the string escapes, then the quoting, which is the shell's.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/$5/applications/io.github.pipiron.Pipiron.desktop")
exec_line=$(printf '%s' "$exec_line" | sed 's/\\\\/\\/g; s/%%/%/g')
eval "menu_command=($exec_line)"

home=$prefix.home
config=$home/config/pipiron
mkdir -p "$home/sounds" "$home/portable"
pid=
readonly_mount=
finish() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ -z "$readonly_mount" ] || umount "$readonly_mount" || true
  chmod -R u+w "$home" 2>/dev/null || true
  rm -rf "$home"
}
trap finish EXIT

# An access time older than a day is moved on by the next read, even with relatime.
long_ago=$(date -d '2000-01-02' +%s)
opened() { [ "$(stat -c %X "$1")" -gt "$long_ago" ]; }
snapshot() { find "$1" -mindepth 1 -printf '%P %y %s %T@\n' | sort; }

# expect_sound SOUND NOT_TO_OPEN COMMAND... PROGRAM: starts it, waits until it has
# opened SOUND (and not NOT_TO_OPEN, when given), then ends it with SIGTERM; the
# program's folder stays as it was unless it is a portable one that takes files
# ($portable_writable).
portable_writable=
expect_sound() {
  local sound=$1 other=$2 folder before
  shift 2
  folder=$(dirname "$(realpath "${!#}")")
  touch -a -d '2000-01-01' "$sound" ${other:+"$other"}
  before=$(snapshot "$folder")
  HOME=$home XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    "$@" >"$home/log" 2>&1 &
  pid=$!
  # A sanitizer build on a busy machine may take many seconds to start.
  for _ in $(seq 1 900); do
    kill -0 "$pid" 2>/dev/null || { echo "$* ended:"; cat "$home/log"; exit 1; }
    if opened "$sound"; then
      kill "$pid"
      wait "$pid" || true
      pid=
      if [ -n "$other" ] && opened "$other"; then echo "$* opened $other too"; exit 1; fi
      [ -n "$portable_writable" ] || [ "$(snapshot "$folder")" = "$before" ] ||
        { echo "$* wrote into $folder"; exit 1; }
      echo "$* read $sound"
      return
    fi
    sleep 0.1
  done
  echo "$* did not open $sound"
  cat "$home/log"
  exit 1
}

for name in beside config; do cp "$folder/media/tada.wav" "$home/sounds/$name.wav"; done
installed=$prefix/$4/pipiron
expect_sound "$(realpath "$folder/media/tada.wav")" "" env PATH= "${menu_command[@]}"
# The end by SIGTERM saved the settings there, and nothing into the prefix.
grep -q '^WAVFILE=c:' "$config/pipiron.ini" 2>/dev/null || { echo "no settings in $config"; exit 1; }
rm "$config/pipiron.ini"
printf '[SETUP]\r\nWAVFILE=%s\r\n' "$home/sounds/beside.wav" >"$folder/pipiron.ini"
expect_sound "$home/sounds/beside.wav" "" "$installed"
printf '[SETUP]\r\nWAVFILE=%s\r\n' "$home/sounds/config.wav" >"$config/pipiron.ini"
expect_sound "$home/sounds/config.wav" "$home/sounds/beside.wav" "$installed"

# A portable copy, with a sound named in Shift-JIS as a settings file from Windows has it.
portable=$home/portable
cp -R "$folder/." "$portable"
rm "$portable/installed" "$portable/pipiron.ini"
mv "$portable/pipiron" "$portable/mezamashi"
chime=$(printf '\x83\x60\x83\x83\x83\x43\x83\x80.wav')
cp "$portable/media/tada.wav" "$portable/$chime"
printf '[SETUP]\r\nWAVFILE=%s\r\n' "$home/sounds/config.wav" >"$config/mezamashi.ini"
printf '[SETUP]\r\nWAVFILE=%s\r\n' "$chime" >"$portable/mezamashi.ini"
portable_writable=yes
expect_sound "$portable/$chime" "$home/sounds/config.wav" "$portable/mezamashi"
portable_writable=

# Read-only: as root permissions refuse nothing, so a read-only bind mount. No
# access time moves there, so the sound is named by its path outside.
printf '[SETUP]\r\nWAVFILE=%s\r\n' "$home/sounds/beside.wav" >"$portable/mezamashi.ini"
rm -f "$config/mezamashi.ini"
if [ "$(id -u)" -ne 0 ]; then
  chmod -R a-w "$portable"
elif mount --bind "$portable" "$portable" && readonly_mount=$portable &&
     mount -o remount,ro,bind "$portable"; then
  :
else
  echo "cannot make a read-only folder here"
  exit 1
fi
touch "$portable/probe" 2>/dev/null && { echo "$portable is not read-only"; exit 1; }
expect_sound "$home/sounds/beside.wav" "" "$portable/mezamashi"

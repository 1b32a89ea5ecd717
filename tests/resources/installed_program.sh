#!/usr/bin/env bash
# Installs the build into a fresh prefix, starts the installed program through its
# link in bin (offscreen, no sound device needed) and checks that it runs and has
# opened its own alarm sound from media/ beside it; the help page and the icons
# must stand where the desktop and the program look for them.
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in lib/pipiron/media/tada.wav lib/pipiron/pipiron.html \
            share/icons/hicolor/32x32/apps/pipiron.png share/icons/hicolor/48x48/apps/pipiron.png \
            share/icons/hicolor/64x64/apps/pipiron.png share/icons/hicolor/128x128/apps/pipiron.png; do
  [ -f "$prefix/$file" ] || { echo "missing $file"; exit 1; }
done

home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
  "$prefix/bin/pipiron" >"$home/log" 2>&1 &
pid=$!
sound=$(realpath "$prefix/lib/pipiron/media/tada.wav")
for _ in $(seq 1 100); do
  if ls -l "/proc/$pid/fd" 2>/dev/null | grep -qF -- "$sound"; then
    echo "the installed program runs and has opened $sound"
    exit 0
  fi
  kill -0 "$pid" 2>/dev/null || { echo "the installed program ended:"; cat "$home/log"; exit 1; }
  sleep 0.1
done
echo "the installed program did not open its alarm sound"
cat "$home/log"
exit 1

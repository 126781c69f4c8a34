#!/usr/bin/env bash
# Draws the LV2 editor as jalv.gtk3 shows it into a PNG file: the
# pure-hold preset on a metronome's clicks, under a JACK server with the
# dummy driver. Runs on the X server in DISPLAY (the Makefile gives it
# Xvfb's); everything it starts it stops again.
#
# Usage: scripts/screenshot.sh BUILD_DIR OUT.png
set -euo pipefail
build=$(realpath "$1") out=$2
server=vorel-shot-$$
export JACK_DEFAULT_SERVER=$server JACK_NO_AUDIO_RESERVATION=1 GSETTINGS_BACKEND=memory
export LV2_PATH=$build/lv2
started=()
stop() { for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop EXIT
log=$(mktemp -d)

jackd -n "$server" --no-realtime -d dummy -r 48000 -p 1024 >"$log/jackd.log" 2>&1 &
started=("$!")
jack_wait -w -t 10 >/dev/null 2>&1
jalv.gtk3 -n vorel -p "urn:vorel:vorel#pure-hold" urn:vorel:vorel >"$log/jalv.log" 2>&1 </dev/null &
started=("$!" "${started[@]}")
jack_metro -n clicks -b 120 -f 660 -D 480 >"$log/metro.log" 2>&1 &
started=("$!" "${started[@]}")

# The editor's window, the one at its size (src/ui/layout.h).
editor=""
for _ in $(seq 100); do
  for window in $(xdotool search --class . 2>/dev/null); do
    geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null) || continue
    if grep -q "Geometry: 640x400" <<<"$geometry"; then editor=$window; fi
  done
  [ -z "$editor" ] || break
  sleep 0.2
done
[ -n "$editor" ] || { cat "$log/jalv.log" >&2; echo "no editor window" >&2; exit 1; }
jack_connect clicks:120_bpm vorel:in
sleep 3  # the spectrum and the meter at work

eval "$(xdotool getwindowgeometry --shell "$editor")"
mkdir -p "$(dirname "$out")"
xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
rm -rf "$log"
echo "$out"

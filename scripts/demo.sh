#!/usr/bin/env bash
# Makes its own input audio (speech, a drum loop and a chord, no network),
# renders a handful of named presets through the Vorel plugin with
# vorel-render, and writes the renders with before/after spectrograms into
# one folder.
#
# Usage: scripts/demo.sh [BUILD_DIR [OUT_DIR]]   (defaults: build demo-out)
set -euo pipefail

build=${1:-build}
out=${2:-demo-out}
render="$build/tools/vorel-render"
[ -x "$render" ] || { echo "demo: $render is missing; run 'make build' first" >&2; exit 1; }
[ -e "$build/libvorel.so" ] || { echo "demo: $build/libvorel.so is missing" >&2; exit 1; }

export LADSPA_PATH
LADSPA_PATH=$(cd "$build" && pwd)
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- Input audio -----------------------------------------------------------

# Speech, left at the synthesiser's own 22050 Hz: the plugin runs at the
# file's rate.
espeak-ng -s 150 -w "$work/speech.wav" \
  "Vorel cuts the sound into frames, walks across the spectrum, and holds what it finds. Every voice becomes a little machine."
sox -R -V1 "$work/speech.wav" "$out/input-speech.wav" gain -n -1

# A drum loop at full level: kick (falling sine), snare (noise) and hats
# (high noise), one bar repeated four times.
sox -R -V1 -n -r 44100 -c 1 "$work/kick.wav" synth 0.25 sine 160-45 fade q 0.002 0.25 0.22
sox -R -V1 -n -r 44100 -c 1 "$work/snare.wav" synth 0.18 noise fade q 0.001 0.18 0.16 gain -8 highpass 900
sox -R -V1 -n -r 44100 -c 1 "$work/hat.wav" synth 0.05 noise fade q 0.001 0.05 0.045 gain -14 highpass 6000
sox -R -V1 -m "$work/kick.wav" \
  "|sox -R -V1 $work/snare.wav -p pad 0.5" "|sox -R -V1 $work/kick.wav -p pad 1.0" \
  "|sox -R -V1 $work/snare.wav -p pad 1.5" "|sox -R -V1 $work/hat.wav -p pad 0.25" \
  "|sox -R -V1 $work/hat.wav -p pad 0.75" "|sox -R -V1 $work/hat.wav -p pad 1.25" \
  "|sox -R -V1 $work/hat.wav -p pad 1.75 0.2" "$work/bar.wav"
sox -R -V1 "$work/bar.wav" "$out/input-drums.wav" repeat 3 gain -n -0.3

# A C major chord of sawtooth waves, spread over two channels.
sox -R -V1 -n -r 44100 -c 3 "$work/chord3.wav" \
  synth 5 sawtooth 130.81 sawtooth 164.81 sawtooth 196.00 fade 0.05 5 1.5
sox -R -V1 "$work/chord3.wav" -c 2 "$out/input-chord.wav" remix 1,2 2,3 gain -n -3

# --- Presets: name, input, description, vorel-render options --------------

presets=(
  "pure-hold|speech|each captured spectral pair held over the next 7, walking up: a stepped, metallic voice|--sh 8 --direction up"
  "downward-walk|speech|the same hold walking down from the top of the spectrum|--sh 8 --direction down"
  "long-ramp|chord|holds that start short and grow along the walk to 43 pairs: smeared, organ-like|--sh 43 --process ramp --direction up"
  "light-mask|drums|short holds with a light bit mask: grit on the noise, the groove intact|--sh 4 --bitmask 0.01"
  "heavy-mask|drums|the same with a heavy bit mask: the spectrum breaks into clicks and bursts|--sh 4 --bitmask 0.5"
  "amp-mod-loud|drums|long holds that shorten on the loud hits (amp-mod on)|--sh 24 --amp-mod 1"
)

spectrogram() {  # file title png
  sox -R -V1 "$1" -n spectrogram -x 800 -y 257 -t "$2" -o "$3"
}

for input in speech drums chord; do
  spectrogram "$out/input-$input.wav" "input: $input" "$work/input-$input.png"
done

summary=()
for entry in "${presets[@]}"; do
  IFS='|' read -r name input description options <<<"$entry"
  # shellcheck disable=SC2086  # the options are words on purpose
  "$render" --quiet $options "$out/input-$input.wav" "$out/$name.wav"
  cp "$work/input-$input.png" "$out/$name-before.png"
  spectrogram "$out/$name.wav" "$name: vorel-render $options" "$out/$name-after.png"
  summary+=("$(printf '  %-14s %-7s %s\n  %-14s %-7s (%s)' "$name" "$input" "$description" "" "" "$options")")
done

echo
echo "Vorel demo written to $out/:"
(cd "$out" && ls -l --time-style=+ -- *.wav *.png | awk '{printf "  %10s  %s\n", $5, $NF}')
echo
echo "Presets (input audio is input-<name>.wav; <preset>-before.png and"
echo "<preset>-after.png are the spectrograms of its input and of the render):"
printf '%s\n' "${summary[@]}"

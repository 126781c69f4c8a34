#!/usr/bin/env bash
# Makes its own input audio (speech, a drum loop and a chord, no network),
# renders the effect's named presets with vorel-render, and writes the
# renders with before/after spectrograms into one folder.
#
# Usage: scripts/demo.sh [BUILD_DIR [OUT_DIR]]   (defaults: build demo-out)
set -euo pipefail

build=${1:-build}
out=${2:-demo-out}
render="$build/tools/vorel-render/vorel-render"
[ -x "$render" ] || { echo "demo: $render is missing; run 'make build' first" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- Input audio -----------------------------------------------------------

# Speech, left at the synthesiser's own 22050 Hz: the effect runs at the
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

# --- Presets and the input each is heard on --------------------------------
# The presets are the effect's own (vorel-render --list-presets); the LV2
# plugin offers the same ones.

presets=(
  "pure-hold|speech"
  "downward-walk|speech"
  "long-ramp|chord"
  "light-mask|drums"
  "heavy-mask|drums"
  "amp-mod-loud|drums"
)

spectrogram() {  # file title png
  sox -R -V1 "$1" -n spectrogram -x 800 -y 257 -t "$2" -o "$3"
}

for input in speech drums chord; do
  spectrogram "$out/input-$input.wav" "input: $input" "$work/input-$input.png"
done

summary=()
for entry in "${presets[@]}"; do
  IFS='|' read -r name input <<<"$entry"
  description=$("$render" --list-presets | awk -v n="$name" '$1 == n { $1 = ""; sub(/^ +/, ""); print }')
  [ -n "$description" ] || { echo "demo: vorel-render has no preset $name" >&2; exit 1; }
  "$render" --quiet --preset "$name" "$out/input-$input.wav" "$out/$name.wav"
  cp "$work/input-$input.png" "$out/$name-before.png"
  spectrogram "$out/$name.wav" "$name: vorel-render --preset $name" "$out/$name-after.png"
  summary+=("$(printf '  %-14s %-7s %s' "$name" "$input" "$description")")
done

echo
echo "Vorel demo written to $out/:"
(cd "$out" && ls -l --time-style=+ -- *.wav *.png | awk '{printf "  %10s  %s\n", $5, $NF}')
echo
echo "Presets (input audio is input-<name>.wav; <preset>-before.png and"
echo "<preset>-after.png are the spectrograms of its input and of the render):"
printf '%s\n' "${summary[@]}"

#!/usr/bin/env bash
# Times applyplugin rendering the same 2-minute 48 kHz mono file through
# libvorel.so and through the multiband EQ "mbeq" (the same 1024-point,
# hop-256 frame geometry), alternating, and prints the ratio of the medians.
# Usage: scripts/bench-hosts.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
runs=${2:-7}
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh" swh-plugins bc >/dev/null

mbeq=/usr/lib/ladspa/mbeq_1197.so
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# applyplugin reads 16-bit PCM WAV.
sox -n -r 48000 -c 1 -b 16 "$work/in.wav" synth 120 pinknoise vol 0.5

time_one() {
  local start end
  start=$(date +%s.%N)
  applyplugin "$work/in.wav" "$work/out.wav" "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# vorel with its default controls ("s&h" 1) and with "s&h" 4; mbeq flat.
default_times=()
hold_times=()
mbeq_times=()
for ((i = 0; i < runs; i++)); do
  default_times+=("$(time_one "$build/libvorel.so" vorel 1 1 1 0 0 0)")
  hold_times+=("$(time_one "$build/libvorel.so" vorel 4 1 1 0 0 0)")
  mbeq_times+=("$(time_one "$mbeq" mbeq 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0)")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
d=$(median "${default_times[@]}")
h=$(median "${hold_times[@]}")
m=$(median "${mbeq_times[@]}")
echo "applyplugin, 120 s of 48 kHz mono, median of $runs runs each (alternating):"
printf '  vorel, defaults:  %.3f s   (%s)\n' "$d" "${default_times[*]}"
printf '  vorel, s&h 4:     %.3f s   (%s)\n' "$h" "${hold_times[*]}"
printf '  mbeq:             %.3f s   (%s)\n' "$m" "${mbeq_times[*]}"
printf '  mbeq / vorel: %.2f with the defaults, %.2f with s&h 4\n' \
  "$(echo "$m / $d" | bc -l)" "$(echo "$m / $h" | bc -l)"

#!/bin/bash
# Prints the instructions one sample of the run callback costs (block 256,
# 48 kHz, white noise at 0.3) on arm64, armhf and x86-64, on two inputs: the
# default controls ("s&h" 1, "bitmask" 0) and "s&h" 4 with "bitmask" 0.5.
# Counted under qemu-user by
# scripts/qemu-insn-count.c: two lengths, the difference in counts over the
# difference in samples, so that loading and set-up cancel. A count, not a
# time; two trees compare fairly by it.
#
# Usage: scripts/count-instructions.sh [BUILD]
#   reads BUILD (x86-64), BUILD-aarch64-linux-gnu and BUILD-arm-linux-gnueabihf
#   (make build build-arm), each with its bench/vorel-run-count, and arm64's
#   plain paths from BUILD-aarch64-linux-gnu-plain where it is built.
# x86-64 is counted twice: as qemu64 (SSE2, what every x86-64 has) and as
# qemu's "max" processor, whose features choose the widest paths it offers.
set -euo pipefail
build=${1:-build}
short=131072
long=262144
plugin=$build/qemu-insn-count.so
gcc -O2 -shared -fPIC -o "$plugin" "$(dirname "$0")/qemu-insn-count.c"

# count QEMU [QEMU-OPTIONS...] DIR [-- CONTROLS...]: instructions a sample,
# from the short and long runs.
count() {
  local args=("$@") controls=() i
  for ((i = 0; i < ${#args[@]}; ++i)); do
    if [ "${args[i]}" = -- ]; then
      controls=("${args[@]:i+1}")
      args=("${args[@]:0:i}")
      break
    fi
  done
  local dir=${args[-1]}
  local qemu=("${args[@]:0:${#args[@]}-1}")
  local n out insns=()
  for n in $short $long; do
    out=$("${qemu[@]}" -plugin "$plugin" -d plugin "$dir/bench/vorel-run-count" \
      "$dir/libvorel.so" "$n" "${controls[@]}" 2>&1)
    insns+=("$(sed -n 's/^insns //p' <<<"$out")")
  done
  awk -v a="${insns[0]}" -v b="${insns[1]}" -v n=$((long - short)) 'BEGIN { printf "%.1f", (b - a) / n }'
}

# row LABEL QEMU [QEMU-OPTIONS...] DIR: one target's line, both inputs.
row() {
  printf '%-30s %10s %12s\n' "$1" "$(count "${@:2}")" "$(count "${@:2}" -- 4 0.5)"
}

echo "instructions a sample"
printf '%-30s %10s %12s\n' "target" "defaults" "s&h 4, 0.5"
row "arm64" qemu-aarch64 "$build-aarch64-linux-gnu"
if [ -x "$build-aarch64-linux-gnu-plain/bench/vorel-run-count" ]; then
  row "arm64, plain paths" qemu-aarch64 "$build-aarch64-linux-gnu-plain"
fi
row "armhf" qemu-arm "$build-arm-linux-gnueabihf"
row "x86-64, SSE2 (qemu64)" qemu-x86_64 -cpu qemu64 "$build"
row "x86-64, qemu's max processor" qemu-x86_64 -cpu max "$build"

#!/bin/bash
# Prints the instructions one sample of the run callback costs (block 256)
# on arm64, armhf and x86-64, counted under qemu-user by
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

# count QEMU [QEMU-OPTIONS...] DIR: instructions for the short and long runs.
count() {
  local dir=${*: -1}
  local qemu=("${@:1:$#-1}")
  local n out insns=()
  for n in $short $long; do
    out=$("${qemu[@]}" -plugin "$plugin" -d plugin "$dir/bench/vorel-run-count" \
      "$dir/libvorel.so" "$n" 2>&1)
    insns+=("$(sed -n 's/^insns //p' <<<"$out")")
  done
  awk -v a="${insns[0]}" -v b="${insns[1]}" -v n=$((long - short)) 'BEGIN { printf "%.1f", (b - a) / n }'
}

printf '%-28s %s\n' "target" "instructions a sample"
printf '%-28s %s\n' "arm64" "$(count qemu-aarch64 "$build-aarch64-linux-gnu")"
if [ -x "$build-aarch64-linux-gnu-plain/bench/vorel-run-count" ]; then
  printf '%-28s %s\n' "arm64, plain paths" "$(count qemu-aarch64 "$build-aarch64-linux-gnu-plain")"
fi
printf '%-28s %s\n' "armhf" "$(count qemu-arm "$build-arm-linux-gnueabihf")"
printf '%-28s %s\n' "x86-64, SSE2 (qemu64)" "$(count qemu-x86_64 -cpu qemu64 "$build")"
printf '%-28s %s\n' "x86-64, qemu's max processor" "$(count qemu-x86_64 -cpu max "$build")"

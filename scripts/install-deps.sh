#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need,
# skipping those already present. Non-interactive; uses sudo when not root.
# Extra package names given as arguments are installed too.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  ladspa-sdk binutils
  libcli11-dev libsndfile1-dev python3
  sox ecasound espeak-ng
  libfftw3-dev
  clang libclang-rt-14-dev
  valgrind libc6-dbg
  g++-multilib
  lv2-dev liblilv-dev lilv-utils sordi
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

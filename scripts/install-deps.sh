#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need,
# skipping those already present. Non-interactive; uses sudo when not root.
# Extra package names given as arguments are installed too; --i386 enables
# the i386 architecture in dpkg and installs the i386 C and C++ runtimes.
set -euo pipefail

i386=()
if [ "${1:-}" = --i386 ]; then
  shift
  i386=(libc6:i386 libstdc++6:i386 libgcc-s1:i386)
fi

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  ladspa-sdk binutils
  libcli11-dev libsndfile1-dev python3
  sox ecasound espeak-ng
  libfftw3-dev
  clang clang-format libclang-rt-14-dev
  valgrind libc6-dbg
  g++-multilib
  dpkg-dev lintian file man-db
  lv2-dev liblilv-dev lilv-utils sordi ardour jackd2 jalv
  "${i386[@]}"
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
if [ ${#i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

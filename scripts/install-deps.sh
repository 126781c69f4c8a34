#!/usr/bin/env bash
# Installs the Debian packages one step needs, skipping those already
# present. Non-interactive; uses sudo when not root.
#
# Usage: scripts/install-deps.sh SET...
#   build  compiler, CMake, the LV2 and LADSPA headers, libsndfile, CLI11,
#          the DPF framework's sources (VST3 and CLAP)
#   demo   build, plus sox and espeak-ng, which make the demo's audio
#   test   everything the test suite uses: the build, GoogleTest, Google
#          Benchmark, clang, valgrind, the hosts the suite drives (Ardour,
#          JACK, jalv, lilv, sox, ecasound, PipeWire, LMMS, Qtractor) and, as
#          on a musician's machine, other plugin collections beside ours
#   deb    the Debian packaging tools; on amd64 also the i386 C and C++
#          runtimes, whose dependency information the i386 package needs
#   cross  on amd64: clang's ARM targets, the arm64 and armhf libraries the
#          cross builds link, their binutils, and qemu-user to run them
# Only packages that exist on this machine's architecture are asked for.
set -euo pipefail

arch=$(dpkg --print-architecture)
build=(cmake g++ make pkg-config lv2-dev ladspa-sdk libsndfile1-dev libcli11-dev dpf-source)
demo=("${build[@]}" sox espeak-ng)
test=("${build[@]}" python3 binutils file
  libgtest-dev libbenchmark-dev libfftw3-dev
  clang clang-format libclang-rt-14-dev valgrind libc6-dbg
  sox ecasound liblilv-dev lilv-utils sordi ardour jackd2 jalv pipewire pipewire-bin
  lmms qtractor
  swh-plugins cmt tap-plugins x42-plugins)
deb=(dpkg-dev lintian file man-db binutils)
cross=()
if [ "$arch" = amd64 ]; then
  # The 32-bit x86 build and package, and the ARM cross builds; qemu-user
  # runs the 32-bit programs where the kernel has no 32-bit support.
  test+=(g++-multilib qemu-user)
  deb+=(libc6:i386 libstdc++6:i386 libgcc-s1:i386)
  cross=(clang qemu-user binutils-aarch64-linux-gnu binutils-arm-linux-gnueabihf)
  for target in arm64 armhf; do
    for p in libc6-dev libstdc++-12-dev libgcc-12-dev libgtest-dev liblilv-dev libsndfile1-dev; do
      cross+=("$p:$target")
    done
  done
fi

[ $# -gt 0 ] || { echo "usage: $0 build|demo|test|deb|cross ..." >&2; exit 2; }
packages=()
for set in "$@"; do
  case $set in
    build) packages+=("${build[@]}") ;;
    demo) packages+=("${demo[@]}") ;;
    test) packages+=("${test[@]}") ;;
    deb) packages+=("${deb[@]}") ;;
    cross) packages+=("${cross[@]}") ;;
    *) echo "$0: unknown set '$set' (build, demo, test, deb, cross)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  # A name without an architecture means this machine's, or "all".
  name=$p
  [ "${p#*:}" != "$p" ] || name=$p:$arch
  listed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "$p" 2>/dev/null) || true
  grep -qxF -e "$name install ok installed" -e "${p%%:*}:all install ok installed" <<<"$listed" ||
    missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
# A package named in two sets is installed once.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
# Another architecture's packages need that architecture enabled in dpkg.
foreign=$(dpkg --print-foreign-architectures)
for p in "${missing[@]}"; do
  other=${p#*:}
  [ "$other" != "$p" ] || continue
  grep -qx "$other" <<<"$foreign" || { $sudo dpkg --add-architecture "$other"; foreign+=$'\n'$other; }
done
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

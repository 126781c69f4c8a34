#!/usr/bin/env bash
# Installs the Debian packages one step needs, skipping those already
# present. Non-interactive; uses sudo when not root.
#
# Usage: scripts/install-deps.sh SET...
#   build  compiler, CMake, the LV2 and LADSPA headers, libsndfile, CLI11,
#          the DPF framework's sources (VST3 and CLAP), OpenGL and X11 for
#          the editor
#   demo   build, plus sox and espeak-ng, which make the demo's audio
#   test   everything the test suite uses: the build, GoogleTest, Google
#          Benchmark, clang, valgrind, the hosts the suite drives (Ardour,
#          JACK, jalv, lilv, sox, ecasound, PipeWire, LMMS, Qtractor), Xvfb
#          and xdotool for the editor and, as on a musician's machine,
#          other plugin collections beside ours;
#          the German and French locales are generated for the state tests
#   screenshot  build, plus jalv, JACK, Xvfb, xdotool, xwd and ImageMagick,
#          which draw the editor into the README's picture
#   deb    the Debian packaging tools; on amd64 also the i386 C and C++
#          runtimes, whose dependency information the i386 package needs,
#          and its OpenGL and X11 for the editor
#   cross  on amd64: clang's ARM targets, the arm64 and armhf libraries the
#          cross builds link (the editor's OpenGL and X11 among them),
#          their binutils, and qemu-user to run them
#   chroot debootstrap, which makes another release's root for its suite
#   windows  on amd64: the 64-bit Windows build (make windows) and its tests
#          under wine: mingw-w64's compilers with the posix thread model
#          and its tools, wine, NSIS and zip for the installer and the zip,
#          GoogleTest's sources, Xvfb for the editor test
# Only packages that exist on this machine's architecture are asked for.
# The sets name no version of one Debian release: the ARM runtimes follow
# the release's default g++, and a name ending in '?' is asked for only
# where the release has that package (jack-example-tools holds JACK's
# command-line tools from Debian 13 on, jackd2 before).
set -euo pipefail

arch=$(dpkg --print-architecture)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }
build=(cmake g++ make pkg-config lv2-dev ladspa-sdk libsndfile1-dev libcli11-dev dpf-source
  libgl1-mesa-dev libx11-dev libxcursor-dev libxext-dev libxrandr-dev)
demo=("${build[@]}" sox espeak-ng)
test=("${build[@]}" python3 binutils file
  libgtest-dev libbenchmark-dev libfftw3-dev
  clang clang-format libclang-rt-dev valgrind libc6-dbg locales
  sox ecasound liblilv-dev lilv-utils sordi ardour jackd2 jack-example-tools? jalv pipewire pipewire-bin
  lmms qtractor xvfb xauth xdotool
  swh-plugins cmt tap-plugins x42-plugins)
screenshot=("${build[@]}" jalv jackd2 jack-example-tools? xvfb xauth xdotool x11-apps imagemagick)
deb=(dpkg-dev lintian file man-db binutils)
chroot=(debootstrap debian-archive-keyring)
cross=()
windows=()
if [ "$arch" = amd64 ]; then
  # wine64 is wine's 64-bit loader; a release whose wine has it built in
  # has no such package.
  windows=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools dpf-source lv2-dev googletest python3
    wine wine64? nsis zip xvfb xauth)
  # The 32-bit x86 build and package, and the ARM cross builds; qemu-user
  # runs the 32-bit programs where the kernel has no 32-bit support.
  test+=(g++-multilib qemu-user)
  # Each of them builds the editor too, with OpenGL and X11 of its own.
  editor=(libgl1-mesa-dev libx11-dev libxcursor-dev libxext-dev libxrandr-dev)
  deb+=(libc6:i386 libstdc++6:i386 libgcc-s1:i386 "${editor[@]/%/:i386}")
  cross=(clang qemu-user binutils-aarch64-linux-gnu binutils-arm-linux-gnueabihf)
  for target in arm64 armhf; do
    for p in libc6-dev "libstdc++-@GCC@-dev" "libgcc-@GCC@-dev" libgtest-dev liblilv-dev libsndfile1-dev \
      "${editor[@]}"; do
      cross+=("$p:$target")
    done
  done
fi

[ $# -gt 0 ] || { echo "usage: $0 build|demo|test|screenshot|deb|cross|chroot|windows ..." >&2; exit 2; }
packages=()
for set in "$@"; do
  case $set in
    build) packages+=("${build[@]}") ;;
    demo) packages+=("${demo[@]}") ;;
    test) packages+=("${test[@]}") ;;
    screenshot) packages+=("${screenshot[@]}") ;;
    deb) packages+=("${deb[@]}") ;;
    cross) packages+=("${cross[@]}") ;;
    chroot) packages+=("${chroot[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    *) echo "$0: unknown set '$set' (build, demo, test, deb, cross, chroot, windows)" >&2; exit 2 ;;
  esac
done

# The package lists, read once: a fresh machine has none yet, and some
# names are looked up in them before anything is installed.
lists_read=no
# A list that fails to come (a mirror in the middle of a sync) leaves the
# one before it: what is then still missing fails the install itself.
read_lists() {
  if [ $lists_read = no ]; then
    apt_get update -qq || echo "$0: apt-get update failed; going on with the lists there are" >&2
  fi
  lists_read=yes
}
have_lists() { compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null || read_lists; }
# The major version of the release's default of a versioned package: g++ -> 14.
default_major() {  # PACKAGE
  have_lists
  local deps
  deps=$(apt-cache depends "$1")
  sed -n "s/^ *Depends: $1-\([0-9][0-9]*\)\$/\1/p" <<<"$deps"
}
# Whether the release has PACKAGE at all.
available() {  # PACKAGE
  have_lists
  local policy
  policy=$(apt-cache policy "$1")
  grep -q 'Candidate: [^(]' <<<"$policy"
}

resolved=()
for p in "${packages[@]}"; do
  if [ "${p#*@GCC@}" != "$p" ]; then
    have_lists
    [ -n "${gcc_major:-}" ] || gcc_major=$(default_major g++)
    [ -n "$gcc_major" ] || { echo "$0: no default g++ version in the package lists" >&2; exit 1; }
    p=${p//@GCC@/$gcc_major}
  fi
  if [ "${p%\?}" != "$p" ]; then
    p=${p%\?}
    available "$p" || continue
  fi
  resolved+=("$p")
done

missing=()
for p in "${resolved[@]}"; do
  # A name without an architecture means this machine's, or "all".
  name=$p
  [ "${p#*:}" != "$p" ] || name=$p:$arch
  listed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "$p" 2>/dev/null) || true
  grep -qxF -e "$name install ok installed" -e "${p%%:*}:all install ok installed" <<<"$listed" ||
    missing+=("$p")
done
# The locales that write numbers with a decimal comma, for the tests of
# saved state: generated where missing.
make_locales() {
  local have wanted=() l
  have=$(locale -a)
  for l in de_DE fr_FR; do
    grep -qix "$l.utf-\?8" <<<"$have" || wanted+=("$l.UTF-8")
  done
  [ ${#wanted[@]} -gt 0 ] || return 0
  for l in "${wanted[@]}"; do
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  done
  $sudo locale-gen
}

if [ ${#missing[@]} -gt 0 ]; then
  # A package named in two sets is installed once.
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "Installing: ${missing[*]}"
  # Another architecture's packages need that architecture enabled in dpkg.
  foreign=$(dpkg --print-foreign-architectures)
  for p in "${missing[@]}"; do
    other=${p#*:}
    [ "$other" != "$p" ] || continue
    grep -qx "$other" <<<"$foreign" || { $sudo dpkg --add-architecture "$other"; foreign+=$'\n'$other; }
  done
  read_lists
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi
for set in "$@"; do
  [ "$set" != test ] || make_locales
done

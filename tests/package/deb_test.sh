#!/usr/bin/env bash
# The Debian packages that `make deb` wrote: checked with lintian and
# dpkg-deb, each library against the native build's golden output (the
# other architectures' through their own builds' golden program, under
# qemu-user for ARM), then each package installed with apt, used and purged
# without leftovers. Installs into the system: run it last.
# With --installed, only the last part, for a native package built
# elsewhere (on another Debian release): installed, used against BUILD_DIR's
# own programs and golden output, and purged.
# Usage: deb_test.sh BUILD_DIR [OTHER_ARCHITECTURE_BUILD_DIR...]
#        deb_test.sh --installed PACKAGE BUILD_DIR
set -euo pipefail
package=""
if [ "$1" = --installed ]; then
  package=$(realpath "$2")
  shift 2
fi
build=$(realpath "$1")
shift
source=$(cd "$(dirname "$0")/../.." && pwd)
arch_of() { sed -n 's/^Architecture: //p' "$1/deb/control"; }
if [ -n "$package" ]; then
  version=$(dpkg-deb -f "$package" Version)
  native=$(dpkg-deb -f "$package" Architecture)
else
  version=$(sed -n 's/^Version: //p' "$build/deb/control")
  native=$(arch_of "$build")
fi
others=()
for dir in "$@"; do others+=("$(realpath "$dir")"); done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
deb_of() { echo "$build/vorel_${version}_$1.deb"; }

# What `file` says of each architecture's ELF files.
elf_of() {
  case $1 in
    amd64) echo "ELF 64-bit LSB *x86-64*" ;;
    i386) echo "ELF 32-bit LSB *Intel*386*" ;;  # file 5.44 says 80386, 5.46 i386
    arm64) echo "ELF 64-bit LSB *ARM aarch64*" ;;
    armhf) echo "ELF 32-bit LSB *ARM, EABI5*" ;;
    *) fail "no ELF description for $1" ;;
  esac
}
# The folder of a VST3 bundle that holds each architecture's binary.
vst3_arch_of() {
  case $1 in
    amd64) echo x86_64 ;;
    i386) echo i386 ;;
    arm64) echo aarch64 ;;
    armhf) echo armv7l ;;
  esac
}
# How this machine runs a build's programs: qemu-user for ARM, and for i386
# where the kernel runs no 32-bit program, as the build's CMake cache says.
runner_of() {  # BUILD_DIR
  sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=//p' "$1/CMakeCache.txt"
}

golden() {  # BUILD_DIR LIBRARY
  local runner
  runner=$(runner_of "$1")
  $runner "$1/tests/vorel-golden" "$2"
}
"$build/tests/vorel-golden" "$build/libvorel.so" > "$scratch/golden-build.txt"

# The packages built here: lintian, contents, golden output.
if [ -z "$package" ]; then
  # lintian: no error in any package (its warnings and notes are printed).
  for dir in "$build" "${others[@]}"; do
    lintian --fail-on error --display-info "$(deb_of "$(arch_of "$dir")")" || fail "lintian reports errors for $dir"
  done
  echo "lintian: no errors"

  # Contents: Debian's paths only, the control fields, stripped ELF files of the
  # package's architecture, vorel-render where the build has it.
  check_package() {  # DIR
    local arch deb dir="$scratch/$(arch_of "$1")"
    arch=$(arch_of "$1")
    deb=$(deb_of "$arch")
    local required=(usr/lib/ladspa/libvorel.so usr/share/doc/vorel/copyright usr/share/doc/vorel/changelog.gz)
    if [ -x "$1/tools/vorel-render/vorel-render" ]; then
      required+=(usr/bin/vorel-render usr/share/man/man1/vorel-render.1.gz)
    fi
    if [ -f "$1/clap/vorel.clap" ]; then
      required+=("usr/lib/vst3/vorel.vst3/Contents/$(vst3_arch_of "$arch")-linux/vorel.so" usr/lib/clap/vorel.clap)
    fi
    local info
    info=$(dpkg-deb --info "$deb")
    grep -qx " Architecture: $arch" <<<"$info" || fail "$deb: Architecture is not $arch"
    grep -qx " Section: sound" <<<"$info" || fail "$deb: Section is not sound"
    grep -q "^ Depends: libc6 (>= " <<<"$info" || fail "$deb: Depends does not name libc6"
    grep "^ Depends:" <<<"$info"
    dpkg-deb -x "$deb" "$dir"
    for f in "${required[@]}"; do [ -f "$dir/$f" ] || fail "$deb has no /$f"; done
    local stray
    stray=$(cd "$dir" && find . -type f | grep -Ev '^\./usr/(lib/ladspa/libvorel\.so|lib/lv2/vorel\.lv2/[^/]+|lib/vst3/vorel\.vst3/Contents/[^/]+-linux/vorel\.so|lib/clap/vorel\.clap|bin/vorel-render|share/man/man1/vorel-render\.1\.gz|share/doc/vorel/(copyright|changelog\.gz))$' || true)
    [ -z "$stray" ] || fail "$deb has files outside the expected paths: $stray"
    local f kind elf
    elf=$(elf_of "$arch")
    while IFS= read -r -d '' f; do
      kind=$(file -b "$f")
      case $kind in ELF*) ;; *) continue ;; esac
      # shellcheck disable=SC2053
      [[ $kind == $elf ]] || fail "$deb: ${f#"$dir"} is $kind"
      [[ $kind == *", stripped"* ]] || fail "$deb: ${f#"$dir"} is not stripped"
    done < <(find "$dir" -type f -print0)
  }
  for dir in "$build" "${others[@]}"; do check_package "$dir"; done
  echo "contents: Debian paths, stripped ELF files of each architecture"

  # Golden output: every packaged library gives the native build's bits, each
  # loaded by its own build's golden program.
  for dir in "$build" "${others[@]}"; do
    arch=$(arch_of "$dir")
    golden "$dir" "$scratch/$arch/usr/lib/ladspa/libvorel.so" > "$scratch/golden-$arch.txt"
    diff "$scratch/golden-build.txt" "$scratch/golden-$arch.txt" || fail "the $arch package's library differs"
  done
  echo "golden output: $(wc -l < "$scratch/golden-build.txt") cases bit-identical in every package"
fi

apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >/dev/null; }
# Whether the output of COMMAND has a line matching the extended regular
# expression PATTERN. The output is read whole before grep looks at it, so
# the command never dies of a closed pipe (here, under pipefail, that would
# fail the pipeline when a machine has many plugins and the match comes early).
prints() {  # PATTERN COMMAND...
  local pattern=$1 out
  shift
  out=$("$@" 2>/dev/null) || true
  grep -qE -- "$pattern" <<<"$out"
}
installed() { prints 'installed' dpkg-query -W -f='${Status}\n' vorel; }
# A minimal image may tell dpkg to leave out manual pages.
man_excluded=$(grep -rlsE '^path-exclude[= ]+/usr/share/man' /etc/dpkg/dpkg.cfg.d/ || true)

# Installs DEB, runs CHECKS, purges and looks for every path the package has.
install_and_purge() {  # DEB CHECKS
  local deb=$1 checks=$2
  if installed; then apt_get remove --purge vorel; fi
  apt_get install "$deb"
  "$checks"
  apt_get remove --purge vorel
  if installed; then fail "vorel is still installed"; fi
  local path
  while IFS= read -r path; do
    path=/${path#./}
    [ "$path" = / ] && continue
    if [ "${path%/}" != "$path" ]; then
      # A directory may stay only when another package owns it too.
      if [ -e "$path" ] && ! dpkg -S "${path%/}" >/dev/null 2>&1; then fail "directory $path left behind"; fi
    else
      if [ -e "$path" ]; then fail "$path left behind"; fi
    fi
  done < <(dpkg-deb -c "$deb" | awk '{print $6}')
  echo "purged $(basename "$deb"): nothing left behind"
}

uses_native() {
  local clean=(env -u LADSPA_PATH -u LV2_PATH)
  python3 - "$scratch/in.wav" <<PY
import sys
sys.path.insert(0, "$source/tests/support")
import test_signals, wavfile
wavfile.write(sys.argv[1], 44100, [test_signals.music(20000, 44100)] * 2)
PY
  # Debian's LADSPA SDK tools (ladspa-sdk 1.17) fall back to a directory
  # named literally "DEFAULT_LADSPA_PATH" when LADSPA_PATH is unset, so they
  # find no plugin at all, not even the SDK's own amp.so. Where that is so,
  # they get Debian's LADSPA directory; ecasound, whose default is that
  # directory, finds the plugin with no path set.
  local sdk=("${clean[@]}")
  if ! (cd "$scratch" && prints '^/usr/lib/ladspa/amp\.so:' "${sdk[@]}" listplugins); then
    echo "listplugins without LADSPA_PATH lists nothing, not even the SDK's amp.so: the SDK's tools get LADSPA_PATH=/usr/lib/ladspa"
    sdk=(env -u LV2_PATH LADSPA_PATH=/usr/lib/ladspa)
  fi
  (cd "$scratch" && prints '^/usr/lib/ladspa/libvorel\.so:' "${sdk[@]}" listplugins) ||
    fail "listplugins does not find libvorel.so"
  (cd "$scratch" && prints 'Plugin Unique ID: 1043' "${sdk[@]}" analyseplugin libvorel) ||
    fail "analyseplugin does not find the vorel plugin"
  "${clean[@]}" ecasound -q -i "$scratch/in.wav" -o "$scratch/ecasound.wav" -el:vorel,8,1,1,0,0,0 >/dev/null ||
    fail "ecasound does not find the vorel plugin"
  local bundle=/usr/lib/lv2/vorel.lv2
  if [ -d "$bundle" ]; then
    local uri
    uri=$(sordi "file://$bundle/manifest.ttl" |
          sed -n 's|^<\([^>]*\)> <http://www.w3.org/1999/02/22-rdf-syntax-ns#type> <http://lv2plug.in/ns/lv2core#Plugin> \.$|\1|p')
    [ -n "$uri" ] || fail "no plugin in $bundle/manifest.ttl"
    prints "^${uri//./\\.}\$" "${clean[@]}" lv2ls || fail "lv2ls does not list $uri"
    echo "lv2ls lists $uri"
  else
    echo "no LV2 bundle in the package: lv2ls not tried"
  fi
  if [ -f "$build/clap/vorel.clap" ]; then
    # The hosts' own scanners, on the installed paths (tests/hosts/plugin_scanners.py).
    python3 "$source/tests/hosts/plugin_scanners.py" "$build/generated/effect/identity.h" \
      /usr/lib/vst3/vorel.vst3 /usr/lib/clap/vorel.clap ||
      fail "a host's scanner does not find the installed VST3 or CLAP plugin"
  fi
  golden "$build" /usr/lib/ladspa/libvorel.so | diff "$scratch/golden-build.txt" - ||
    fail "the installed library differs from $build's"
  [ "$(/usr/bin/vorel-render --version)" = "vorel-render $version" ] || fail "vorel-render --version"
  /usr/bin/vorel-render -q --sh 8 "$scratch/in.wav" "$scratch/installed.wav"
  "$build/tools/vorel-render/vorel-render" -q --sh 8 "$scratch/in.wav" "$scratch/built.wav"
  cmp "$scratch/installed.wav" "$scratch/built.wav" || fail "the installed vorel-render renders differently"
  if [ -n "$man_excluded" ]; then
    echo "man -w not tried: dpkg leaves out manual pages here ($man_excluded)"
  else
    prints '^/usr/share/man/man1/vorel-render\.1\.gz$' man -aw vorel-render || fail "man -w does not find vorel-render"
  fi
  echo "installed $native: listplugins, analyseplugin, ecasound and man find it, golden output and vorel-render as built"
}
if [ -n "$package" ]; then
  install_and_purge "$package" uses_native
  exit 0
fi
install_and_purge "$(deb_of "$native")" uses_native

# The other architectures' packages on this machine (dpkg has their
# architectures enabled for make deb): their own build's golden program gives
# the native build's output from the installed library.
for dir in "${others[@]}"; do
  uses_foreign() {
    local arch
    arch=$(arch_of "$dir")
    [ "$(dpkg-query -W -f='${Architecture}' vorel)" = "$arch" ] || fail "vorel:$arch is not installed"
    golden "$dir" /usr/lib/ladspa/libvorel.so | diff "$scratch/golden-build.txt" - ||
      fail "the installed $arch library differs"
    echo "installed $arch: golden output bit-identical"
  }
  install_and_purge "$(deb_of "$(arch_of "$dir")")" uses_foreign
done

#!/usr/bin/env bash
# The Debian packages that `make deb` wrote: checked with lintian and
# dpkg-deb, the i386 library against the 64-bit build's golden output, then
# each package installed with apt, used by hosts that find it with no path
# set, and purged without leftovers. Installs into the system: run it last.
# Usage: deb_test.sh BUILD_DIR M32_BUILD_DIR
set -euo pipefail
build=$(realpath "$1") m32=$(realpath "$2")
source=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^Version: //p' "$build/deb/control")
amd64="$build/vorel_${version}_amd64.deb" i386="$build/vorel_${version}_i386.deb"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# lintian: no error in either package (its warnings and notes are printed).
for deb in "$amd64" "$i386"; do
  lintian --fail-on error --display-info "$deb" || fail "lintian reports errors in $deb"
done
echo "lintian: no errors"

# Contents: Debian's paths only, the control fields, stripped ELF files of the
# package's architecture.
check_package() {  # DEB ARCH ELF_PATTERN REQUIRED_FILE...
  local deb=$1 arch=$2 elf=$3 dir="$scratch/$2"
  shift 3
  local info
  info=$(dpkg-deb --info "$deb")
  grep -qx " Architecture: $arch" <<<"$info" || fail "$deb: Architecture is not $arch"
  grep -qx " Section: sound" <<<"$info" || fail "$deb: Section is not sound"
  grep -q "^ Depends: libc6 (>= " <<<"$info" || fail "$deb: Depends does not name libc6"
  grep "^ Depends:" <<<"$info"
  dpkg-deb -x "$deb" "$dir"
  for f in "$@"; do [ -f "$dir/$f" ] || fail "$deb has no /$f"; done
  local stray
  stray=$(cd "$dir" && find . -type f | grep -Ev '^\./usr/(lib/ladspa/libvorel\.so|lib/lv2/vorel\.lv2/[^/]+|bin/vorel-render|share/man/man1/vorel-render\.1\.gz|share/doc/vorel/(copyright|changelog\.gz))$' || true)
  [ -z "$stray" ] || fail "$deb has files outside the expected paths: $stray"
  local f kind
  while IFS= read -r -d '' f; do
    kind=$(file -b "$f")
    case $kind in ELF*) ;; *) continue ;; esac
    [[ $kind == $elf ]] || fail "$deb: ${f#"$dir"} is $kind"
    [[ $kind == *", stripped"* ]] || fail "$deb: ${f#"$dir"} is not stripped"
  done < <(find "$dir" -type f -print0)
}
check_package "$amd64" amd64 "ELF 64-bit LSB *x86-64*" usr/lib/ladspa/libvorel.so usr/bin/vorel-render \
  usr/share/man/man1/vorel-render.1.gz usr/share/doc/vorel/copyright usr/share/doc/vorel/changelog.gz
check_package "$i386" i386 "ELF 32-bit LSB *Intel 80386*" usr/lib/ladspa/libvorel.so \
  usr/share/doc/vorel/copyright usr/share/doc/vorel/changelog.gz
echo "contents: Debian paths, stripped ELF files of each architecture"

# Golden output: both packaged libraries give the 64-bit build's bits, the
# i386 one loaded by the 32-bit build's host.
"$build/tests/vorel-golden" "$build/libvorel.so" > "$scratch/golden-build.txt"
"$build/tests/vorel-golden" "$scratch/amd64/usr/lib/ladspa/libvorel.so" > "$scratch/golden-amd64.txt"
"$m32/tests/vorel-golden" "$scratch/i386/usr/lib/ladspa/libvorel.so" > "$scratch/golden-i386.txt"
diff "$scratch/golden-build.txt" "$scratch/golden-amd64.txt" || fail "the amd64 package's library differs"
diff "$scratch/golden-build.txt" "$scratch/golden-i386.txt" || fail "the i386 package's library differs"
echo "golden output: $(wc -l < "$scratch/golden-build.txt") cases bit-identical in both packages"

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

uses_amd64() {
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
  [ "$(/usr/bin/vorel-render --version)" = "vorel-render $version" ] || fail "vorel-render --version"
  /usr/bin/vorel-render -q --sh 8 "$scratch/in.wav" "$scratch/installed.wav"
  "$build/tools/vorel-render/vorel-render" -q --sh 8 "$scratch/in.wav" "$scratch/built.wav"
  cmp "$scratch/installed.wav" "$scratch/built.wav" || fail "the installed vorel-render renders differently"
  if [ -n "$man_excluded" ]; then
    echo "man -w not tried: dpkg leaves out manual pages here ($man_excluded)"
  else
    prints '^/usr/share/man/man1/vorel-render\.1\.gz$' man -aw vorel-render || fail "man -w does not find vorel-render"
  fi
  echo "installed amd64: listplugins, analyseplugin, ecasound and man find it, vorel-render renders as built"
}
install_and_purge "$amd64" uses_amd64

# The i386 package on this 64-bit machine (dpkg's i386 architecture is
# enabled for make deb): the 32-bit host gives the golden output from the
# installed library.
uses_i386() {
  [ "$(dpkg-query -W -f='${Architecture}' vorel)" = i386 ] || fail "vorel:i386 is not installed"
  "$m32/tests/vorel-golden" /usr/lib/ladspa/libvorel.so | diff "$scratch/golden-build.txt" - ||
    fail "the installed i386 library differs"
  echo "installed i386: golden output bit-identical"
}
install_and_purge "$i386" uses_i386

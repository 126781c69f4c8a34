#!/usr/bin/env bash
# Builds the Debian package of one CMake build directory: what
# `cmake --install` puts under /usr, stripped with the target's strip, with
# the Debian copyright and changelog, and Depends computed from the binaries
# by dpkg-shlibdeps against the target's libraries. The architecture is the
# build's target: the normal build gives the native package, the 32-bit x86
# build the i386 one, the ARM cross builds arm64 and armhf.
# Writes OUT_DIR/vorel_<version>_<arch>.deb and prints its name.
# Usage: make-deb.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
source=$(cd "$(dirname "$0")/.." && pwd)
template="$build/deb/control"
[ -f "$template" ] || { echo "$template missing: configure $build with CMake first"; exit 1; }
version=$(sed -n 's/^Version: //p' "$template")
arch=$(sed -n 's/^Architecture: //p' "$template")

# The changelog's latest entry must be this version.
changelog="$source/packaging/deb/changelog"
logged=$(dpkg-parsechangelog -l "$changelog" -S Version)
[ "$logged" = "$version" ] || {
  echo "the latest entry of $changelog is $logged, the project is $version: add an entry"; exit 1; }

stage="$build/deb/root"
rm -rf "$stage"
mkdir -p "$stage/DEBIAN"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

doc="$stage/usr/share/doc/vorel"
mkdir -p "$doc"
gzip -9n < "$changelog" > "$doc/changelog.gz"
# The machine-readable copyright, its licence text taken from LICENSE (after
# the title and the copyright line).
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: vorel"
  echo
  echo "Files: *"
  echo "Copyright: $(sed -n 's/^Copyright (c) //p' "$source/LICENSE")"
  echo "License: Expat"
  echo
  echo "License: Expat"
  sed -n '/^Copyright/,$p' "$source/LICENSE" | tail -n +3 | sed 's/^$/./; s/^/ /'
} > "$doc/copyright"
if [ -d "$stage/usr/share/man" ]; then
  find "$stage/usr/share/man" -type f ! -name '*.gz' -exec gzip -9n {} +
fi

# Permissions as Debian has them: shared objects are not executable, only
# programs are.
find "$stage/usr" -type d -exec chmod 0755 {} +
find "$stage/usr" -type f -exec chmod 0644 {} +
if [ -d "$stage/usr/bin" ]; then find "$stage/usr/bin" -type f -exec chmod 0755 {} +; fi

# Stripped as Debian strips, by the target's strip: shared objects keep only
# their dynamic symbols.
strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")
[ -x "$strip" ] || { echo "no strip for $arch in $build/CMakeCache.txt"; exit 1; }
elves=()
while IFS= read -r -d '' f; do
  case $(file -b "$f") in ELF*) elves+=("$f") ;; esac
done < <(find "$stage/usr" -type f -print0 | sort -z)
for f in "${elves[@]}"; do
  case $f in
    *.so|*.clap) "$strip" --remove-section=.comment --remove-section=.note --strip-unneeded "$f" ;;
    *) "$strip" --remove-section=.comment --remove-section=.note "$f" ;;
  esac
done

# dpkg-shlibdeps wants a source tree around it; for another architecture's
# package it reads that architecture's libraries' dependency information
# (dpkg has the architecture enabled and the libraries installed).
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/debian"
printf 'Source: vorel\n\nPackage: vorel\nArchitecture: any\n' > "$scratch/debian/control"
depends=$(cd "$scratch" && DEB_HOST_ARCH=$arch dpkg-shlibdeps -O "${elves[@]}" |
          sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "dpkg-shlibdeps computed no Depends"; exit 1; }
# Without the i386 runtimes installed, dpkg-shlibdeps takes the 64-bit
# system's biarch copies (libc6-i386, lib32stdc++6), which no i386 system has.
case $depends in
  *-i386*|*lib32*)
    echo "Depends names biarch packages ($depends): run scripts/install-deps.sh deb"; exit 1 ;;
esac

provides=ladspa-plugin
[ -d "$stage/usr/lib/lv2" ] && provides="$provides, lv2-plugin"
size=$(du -s -k --apparent-size "$stage/usr" | cut -f1)
awk -v depends="$depends" -v provides="$provides" -v size="$size" '
  /^Section:/ { print "Installed-Size: " size; print "Depends: " depends; print "Provides: " provides }
  { print }' "$template" > "$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

package="$out/vorel_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$package" >/dev/null
echo "$package"

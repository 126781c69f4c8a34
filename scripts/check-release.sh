#!/usr/bin/env bash
# The whole suite on another Debian release, in a chroot: a minimal root
# made with debootstrap (kept in ROOT and reused while it exists), the
# source tree copied in, `make demo` and `make check` run inside as on a
# fresh machine of that release; then the package built here is installed
# there and tested as installed (golden output, the hosts' scanners).
# /proc, /sys and /dev are mounted for the run and unmounted however it ends.
#
# Usage: scripts/check-release.sh RELEASE ROOT PACKAGE [MAKE_TARGET...]
#   RELEASE      a Debian codename, e.g. trixie
#   ROOT         where the release's root lives (made if missing)
#   PACKAGE      the .deb built on this machine
#   MAKE_TARGET  what runs inside (default: demo check)
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: $0 RELEASE ROOT PACKAGE [MAKE_TARGET...]" >&2; exit 2; }
release=$1 root=$(realpath -m "$2") package=$(realpath "$3")
shift 3
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(demo check)
source=$(cd "$(dirname "$0")/.." && pwd)
mirror=http://deb.debian.org/debian
[ "$(id -u)" -eq 0 ] || { echo "$0: chroot needs root" >&2; exit 2; }
seconds() { echo $((SECONDS - $1)); }

# The root is complete once debootstrap has finished: it is made beside its
# place and moved there, so a broken run leaves no half root to reuse.
if [ ! -e "$root/.complete" ]; then
  start=$SECONDS
  rm -rf "$root.partial"
  mkdir -p "$(dirname "$root")"
  debootstrap --variant=minbase "$release" "$root.partial" "$mirror"
  touch "$root.partial/.complete"
  rm -rf "$root"
  mv "$root.partial" "$root"
  echo "check-release: made the $release root in $root ($(seconds "$start") s)"
else
  echo "check-release: reusing the $release root in $root"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted() { awk -v r="$root" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/mounts; }
unmount() {
  local m
  # Deepest first; lazily where a stray process still holds one.
  for m in $(mounted | sort -r); do umount "$m" 2>/dev/null || umount -l "$m"; done
}
# A run that was killed may have left its mounts.
unmount
trap unmount EXIT
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"

# A fresh copy of the tree as git has it, uncommitted changes included.
inside=/root/vorel
rm -rf "${root:?}$inside"
mkdir -p "$root$inside"
(cd "$source" && git ls-files -z --cached --others --exclude-standard |
  xargs -0 tar -cf - --no-recursion) | tar -xf - -C "$root$inside"
mkdir -p "$root/root/package"
rm -f "$root"/root/package/*.deb
cp "$package" "$root/root/package/"

in_root() {
  chroot "$root" env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
# A user needs make for the README's commands; everything else the targets
# install themselves.
in_root sh -c 'command -v make >/dev/null ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make >/dev/null; }'
for target in "${targets[@]}"; do
  start=$SECONDS
  in_root make -C "$inside" "$target"
  echo "check-release: make $target on $release took $(seconds "$start") s"
done
start=$SECONDS
in_root "$inside/tests/package/deb_test.sh" --installed "/root/package/$(basename "$package")" "$inside/build"
echo "check-release: the package from $(. /etc/os-release && echo "$VERSION_CODENAME"), installed on $release, passed ($(seconds "$start") s)"

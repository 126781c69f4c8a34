#!/bin/sh
# The 8- and 16-lane passes are the objects built with -mavx2 and
# -mavx512f. An inline function
# that other files also emit (a template at float, say) would leave a weak
# copy here in AVX2 form, and the linker may keep that copy for every
# caller: a processor without AVX2 would then fault in the plain path. So
# the object may define no weak function at all. Weak data carries no
# instructions (a ThreadSanitizer build emits the personality routine's
# address as one), so it is let through. In COFF objects (Windows) such a
# copy is a COMDAT section of its own, .text$<name>, which objdump lists.
# Usage: wide_objects_test.sh [--coff OBJDUMP] OBJECT...
coff=""
if [ "${1:-}" = --coff ]; then
  coff=$2
  shift 2
fi
found=0
for object in "$@"; do
  case $object in
    *fftreal_passes_avx2.cpp.o | *fftreal_passes_avx512.cpp.o) ;;
    *fftreal_passes_avx2.cpp.obj | *fftreal_passes_avx512.cpp.obj) ;;
    *) continue ;;
  esac
  found=$((found + 1))
  if [ -n "$coff" ]; then
    weak=$("$coff" -h "$object" | awk '$2 ~ /^\.text\$/ { print $2 }')
  else
    weak=$(nm --defined-only "$object" | awk '$2 ~ /^[Ww]$/ { print $3 }')
  fi
  if [ -n "$weak" ]; then
    echo "shared functions emitted in wide form in $object:" >&2
    echo "$weak" | c++filt >&2
    exit 1
  fi
  echo "no weak function in $object"
done
if [ $found -ne 2 ]; then
  echo "expected the AVX2 and AVX-512F objects, found $found" >&2
  exit 1
fi

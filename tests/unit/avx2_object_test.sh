#!/bin/sh
# The 8-lane passes are the one object built with -mavx2. An inline function
# that other files also emit (a template at float, say) would leave a weak
# copy here in AVX2 form, and the linker may keep that copy for every
# caller: a processor without AVX2 would then fault in the plain path. So
# the object may define no weak symbol at all.
# Usage: avx2_object_test.sh OBJECT...
for object in "$@"; do
  case $object in *fftreal_passes_avx2.cpp.o) avx2=$object ;; esac
done
if [ -z "$avx2" ]; then
  echo "no AVX2 object among the arguments" >&2
  exit 1
fi
weak=$(nm --defined-only "$avx2" | awk '$2 ~ /^[WVuv]$/ { print $3 }')
if [ -n "$weak" ]; then
  echo "shared symbols emitted in AVX2 form:" >&2
  echo "$weak" | c++filt >&2
  exit 1
fi
echo "no weak symbol in $avx2"

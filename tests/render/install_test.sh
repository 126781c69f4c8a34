#!/usr/bin/env bash
# cmake --install puts the plugins where their hosts look, the renderer
# beside it and its manual page under share/man, and the installed renderer
# renders.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/lib/ladspa/libvorel.so" || { echo "no lib/ladspa/libvorel.so"; exit 1; }
test -x "$prefix/bin/vorel-render" || { echo "no bin/vorel-render"; exit 1; }
if [ -f "$build/clap/vorel.clap" ]; then
  vst3=("$prefix"/lib/vst3/vorel.vst3/Contents/*-linux/vorel.so)
  test -f "${vst3[0]}" || { echo "no lib/vst3/vorel.vst3/Contents/<arch>-linux/vorel.so"; exit 1; }
  test -f "$prefix/lib/clap/vorel.clap" || { echo "no lib/clap/vorel.clap"; exit 1; }
fi

# The installed manual page documents every option that --help lists.
man="$prefix/share/man/man1/vorel-render.1"
test -f "$man" || { echo "no share/man/man1/vorel-render.1"; exit 1; }
for option in $("$prefix/bin/vorel-render" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "${option//-/\\-}" "$man" || { echo "the manual page lacks $option"; exit 1; }
done

python3 - "$prefix/in.wav" <<PY
import sys
sys.path.insert(0, "$source/tests/support")
import test_signals, wavfile
wavfile.write(sys.argv[1], 44100, [test_signals.music(5000, 44100)])
PY
"$prefix/bin/vorel-render" "$prefix/in.wav" "$prefix/out.wav"
test -s "$prefix/out.wav" || { echo "installed vorel-render wrote nothing"; exit 1; }
echo "installed and rendered"

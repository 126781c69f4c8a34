#!/usr/bin/env bash
# Installs a build for the current user, without root, where hosts look by
# default: ~/.lv2/vorel.lv2, ~/.ladspa/libvorel.so, ~/.vst3/vorel.vst3 and
# ~/.clap/vorel.clap (when the build has them) and ~/.local/bin/vorel-render
# (when the build has it).
#
# Usage: scripts/install-user.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=${1:-build}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The project's own install rules, into a scratch prefix, then each piece to
# its per-user place.
cmake --install "$build" --prefix "$stage" >/dev/null
mkdir -p "$HOME/.lv2" "$HOME/.ladspa"
rm -rf "$HOME/.lv2/vorel.lv2"
cp -R "$stage/lib/lv2/vorel.lv2" "$HOME/.lv2/"
cp "$stage/lib/ladspa/libvorel.so" "$HOME/.ladspa/"
echo "installed $HOME/.lv2/vorel.lv2 and $HOME/.ladspa/libvorel.so"
if [ -f "$stage/lib/clap/vorel.clap" ]; then
  mkdir -p "$HOME/.vst3" "$HOME/.clap"
  rm -rf "$HOME/.vst3/vorel.vst3"
  cp -R "$stage/lib/vst3/vorel.vst3" "$HOME/.vst3/"
  cp "$stage/lib/clap/vorel.clap" "$HOME/.clap/"
  echo "installed $HOME/.vst3/vorel.vst3 and $HOME/.clap/vorel.clap"
fi
if [ -x "$stage/bin/vorel-render" ]; then
  mkdir -p "$HOME/.local/bin"
  cp "$stage/bin/vorel-render" "$HOME/.local/bin/"
  echo "installed $HOME/.local/bin/vorel-render"
fi

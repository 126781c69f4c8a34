#!/bin/sh
# Runs a program of the Windows build under wine, in the wine prefix PREFIX,
# which the first run makes (wineboot, once even when several tests start
# together). Wine's debugging output is off, and a new prefix does not ask
# to install wine's .NET or HTML engines. No display is needed, except by
# what opens a window.
# Usage: scripts/wine-run.sh PREFIX PROGRAM [ARG...]
set -eu
prefix=$(realpath -m "$1")  # wine takes an absolute path only
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  flock "$prefix.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i && wineserver -w; } >/dev/null 2>&1'
fi
exec wine "$@"

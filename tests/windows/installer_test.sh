#!/bin/sh
# The installer as a user runs it, silently, in a fresh wine prefix: the
# plugins land where Windows hosts look, byte for byte as staged, with an
# Add/Remove Programs entry; the silent uninstall then leaves Program Files
# and the registry key as they were before.
# Usage: installer_test.sh WINE_RUN SETUP STAGE PREFIX
set -eu
wine_run=$1 setup=$2 stage=$3 prefix=$4
rm -rf "$prefix"
export WINEPREFIX="$prefix"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorel'
"$wine_run" "$prefix" cmd /c exit
files="$prefix/drive_c/Program Files"
list() { (cd "$files" && find . | sort); }
list > "$prefix/before.txt"

"$wine_run" "$prefix" "$setup" /S
wineserver -w
common="$files/Common Files"
for pair in VST3/vorel.vst3/Contents/x86_64-win/vorel.vst3 CLAP/vorel.clap \
  LV2/vorel.lv2/manifest.ttl LV2/vorel.lv2/vorel.ttl LV2/vorel.lv2/presets.ttl \
  LV2/vorel.lv2/vorel.dll LV2/vorel.lv2/vorel_editor.dll; do
  cmp "$stage/$pair" "$common/$pair" || { echo "not installed as staged: $pair"; exit 1; }
done
[ -f "$files/Vorel/uninstall.exe" ] || { echo "no uninstaller in Program Files\\Vorel"; exit 1; }
entry=$("$wine_run" "$prefix" reg query "$key" /v QuietUninstallString) ||
  { echo "no Add/Remove Programs entry"; exit 1; }
echo "$entry" | grep -F 'uninstall.exe" /S' >/dev/null || { echo "entry without a quiet uninstall: $entry"; exit 1; }

# The uninstaller runs a copy of itself from the temporary folder and
# returns at once: wineserver -w waits for the copy.
"$wine_run" "$prefix" "$files/Vorel/uninstall.exe" /S
wineserver -w
list > "$prefix/after.txt"
diff -u "$prefix/before.txt" "$prefix/after.txt" || { echo "Program Files differs from before the install"; exit 1; }
if "$wine_run" "$prefix" reg query "$key" >/dev/null 2>&1; then
  echo "the Add/Remove Programs entry is left"
  exit 1
fi
echo "uninstalled: Program Files as before the install, no entry left"
wineserver -k
rm -rf "$prefix"  # 0.7 GB; kept only when the test fails

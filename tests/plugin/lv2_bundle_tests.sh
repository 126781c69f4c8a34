#!/usr/bin/env bash
# The LV2 bundle as the distribution's LV2 tools see it, and where the
# install rules put it.
# Usage: lv2_bundle_tests.sh Validate|Lv2info|Install BUILD_DIR URI [SOURCE_DIR CMAKE]
set -euo pipefail
mode=$1 build=$2 uri=$3
bundle=$build/lv2/vorel.lv2
fail() { echo "FAIL: $*"; exit 1; }

case $mode in
Validate)
  # The bundle's data against the LV2 schemas that lv2-dev installs.
  schemas=()
  for b in core units presets port-props schemas ui options parameters instance-access atom \
    port-groups urid; do schemas+=(/usr/lib/lv2/$b.lv2/*.ttl); done
  report=$(sord_validate "${schemas[@]}" "$bundle"/*.ttl 2>&1) || fail "sord_validate: $report"
  echo "$report"
  grep -q "Found 0 errors" <<<"$report" || fail "sord_validate found errors"
  ! grep -qi "warning" <<<"$report" || fail "sord_validate warned"
  # The binary offers hosts exactly the one entry point.
  exports=$(nm -D --defined-only "$bundle/vorel.so" | awk '{print $3}')
  [ "$exports" = lv2_descriptor ] || fail "vorel.so exports: $exports"
  # The editor, where built, exports its one entry point, and the plugin's
  # binary links neither OpenGL nor X11.
  if [ -e "$bundle/vorel_editor.so" ]; then
    exports=$(nm -D --defined-only "$bundle/vorel_editor.so" | awk '{print $3}')
    [ "$exports" = lv2ui_descriptor ] || fail "vorel_editor.so exports: $exports"
  fi
  dynamic=$(readelf -d "$bundle/vorel.so")
  ! grep -qE "lib(GL|X11)" <<<"$dynamic" || fail "vorel.so links OpenGL or X11"
  ;;
Lv2info)
  # The system's bundles too, for the names of the plugin classes.
  info=$(LV2_PATH="$build/lv2:/usr/lib/lv2" lv2info "$uri")
  echo "$info"
  # Matches a Perl pattern against the whole output or against one section.
  expect() { grep -qzP "$1" <<<"${2:-$info}" || fail "lv2info shows no match for: $1"; }
  section() { awk -v start="$1" -v stop="$2" 'index($0, start) == 1 {f = 1} index($0, stop) == 1 {f = 0} f' <<<"$info"; }
  port() { section "	Port $1:" "	Port $(($1 + 1)):"; }
  expect "Class:\s+Spectral Plugin\n"
  expect "Has latency:\s+yes, reported by port 8\n"
  expect "Binary:\s+file://\S*/lv2/vorel.lv2/vorel.so\n"
  expect "Optional Features: http://lv2plug.in/ns/lv2core#hardRTCapable\n"
  presets=$(section "	Presets:" "	Port 0:")
  for preset in Default pure-hold downward-walk long-ramp light-mask heavy-mask amp-mod-loud; do
    expect "\n\s+$preset\n" "$presets"
  done
  expect "Symbol:\s+hold\n\s+Name:\s+s&h\n\s+Minimum:\s+1\.0+\n\s+Maximum:\s+43\.0+\n\s+Default:\s+1\.0+\n" "$(port 0)"
  expect "Scale Points:\n(\s+\d\.0 = \"(up|down)\"\n){2}" "$(port 2)"
  expect "0\.0 = \"up\"" "$(port 2)"
  expect "0\.0 = \"constant\"" "$(port 5)"
  expect "1\.0 = \"ramp\"" "$(port 5)"
  # lilv lists a port's types and properties in no fixed order: each is
  # looked for on its own.
  expect "#OutputPort\n" "$(port 8)"
  expect "Symbol:\s+latency\n" "$(port 8)"
  expect "Designation: http://lv2plug.in/ns/lv2core#latency\n" "$(port 8)"
  expect "\s+http://lv2plug.in/ns/lv2core#reportsLatency\n" "$(port 8)"
  expect "#InputPort\n" "$(port 9)"
  expect "Symbol:\s+enabled\n" "$(port 9)"
  expect "Designation: http://lv2plug.in/ns/lv2core#enabled\n" "$(port 9)"
  expect "#InputPort\n" "$(port 10)"
  expect "Symbol:\s+mix\n\s+Name:\s+mix\n\s+Minimum:\s+0\.0+\n\s+Maximum:\s+100\.0+\n\s+Default:\s+100\.0+\n" "$(port 10)"
  [ "$(grep -c '^	Port [0-9]*:' <<<"$info")" = 11 ] || fail "not 11 ports"
  ;;
Install)
  source=$4 cmake=$5
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  "$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
  # The editor too, where it is built.
  for f in manifest.ttl vorel.ttl presets.ttl vorel.so $(cd "$bundle" && ls vorel_editor.so 2>/dev/null); do
    test -f "$work/prefix/lib/lv2/vorel.lv2/$f" || fail "no lib/lv2/vorel.lv2/$f"
  done
  test -f "$work/prefix/lib/ladspa/libvorel.so" || fail "no lib/ladspa/libvorel.so beside it"
  # For one user, without root; lilv then finds the plugin with no LV2_PATH.
  HOME=$work/home "$source/scripts/install-user.sh" "$build"
  test -f "$work/home/.ladspa/libvorel.so" || fail "no ~/.ladspa/libvorel.so"
  cmp "$bundle/vorel.ttl" "$work/home/.lv2/vorel.lv2/vorel.ttl" || fail "~/.lv2/vorel.lv2 differs from the build"
  if [ -x "$build/tools/vorel-render/vorel-render" ]; then
    test -x "$work/home/.local/bin/vorel-render" || fail "no ~/.local/bin/vorel-render"
  fi
  listed=$(env -u LV2_PATH HOME="$work/home" lv2ls)
  grep -qx "$uri" <<<"$listed" || fail "lv2ls does not list $uri from ~/.lv2"
  echo "installed in a prefix and for one user"
  ;;
*) fail "unknown mode $mode" ;;
esac

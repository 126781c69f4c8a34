#!/usr/bin/env bash
# The CPU Ardour 7's whole process takes with Vorel's LV2 editor open, or
# closed, under Mesa's software OpenGL and JACK's dummy driver, with the
# transport stopped, on silence or with jack_metro's beep through the track
# (its monitoring set to the input). The session, one mono track carrying
# the plugin, is made by Ardour's headless Lua interpreter; the editor is
# opened by Ardour itself as it loads the session, from the window state
# saved in it.
# Usage: xvfb-run -a -s "-screen 0 1280x1024x24" \
#          scripts/editor-cpu-ardour.sh LV2_PATH silence|metro editor|closed [SECONDS]
# SHOT=FILE.png saves a screenshot taken as the measurement starts.
set -euo pipefail
lv2=$(cd "${1:?LV2_PATH with vorel.lv2}" && pwd)
mode=${2:?silence or metro}
ui=${3:-editor}
seconds=${4:-20}
work=$(mktemp -d)
export LV2_PATH=$lv2 LIBGL_ALWAYS_SOFTWARE=1 GSETTINGS_BACKEND=memory
# One name for every run: a JACK server that ends with a client killed
# under it can leave its name in JACK's shared registry, which has room for
# a few names only; a server of the same name takes the place again.
export JACK_DEFAULT_SERVER=vorel-ardour-cpu JACK_NO_AUDIO_RESERVATION=1
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share
# Ardour 7.3's AVX-512 mixing routines can write past a buffer's end
# (tests/hosts/ardour_session.py): it is kept to its AVX ones.
if grep -q avx512f /proc/cpuinfo; then export ARDOUR_FPU_FLAGS=$((0xdf & ~0x80)); fi
pids=()
cleanup() {
  # Ardour's process group, then the beep, then JACK.
  [ -z "${ardour:-}" ] || kill -9 -- "-$ardour" 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  [ -z "${jackd:-}" ] || while kill -0 "$jackd" 2>/dev/null; do sleep 0.1; done
  rm -rf "$work"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
jackd=$!
pids+=("$jackd")
jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 10 >/dev/null

# Ardour's settings: no first-run dialogue, and its engine started on the
# running JACK server without the Audio/MIDI setup dialogue.
mkdir -p "$HOME/.config/ardour7"
touch "$HOME/.config/ardour7/.a7"
cat >"$HOME/.config/ardour7/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="" device="" input-device="" output-device=""
          sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0"
          output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0"
          midi-option="" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF

cat >"$work/make.lua" <<'EOF'
assert(AudioEngine:set_backend("JACK", "", ""), "no JACK backend")
local s = assert(create_session(arg[1], "cpu", 48000), "cannot create the session")
local track = s:new_audio_track(1, 1, nil, 1, "vorel",
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput,
	PBD.GroupControlDisposition.NoGroup)
local proc = ARDOUR.LuaAPI.new_plugin(s, "urn:vorel:vorel", ARDOUR.PluginType.LV2, "")
assert(not proc:isnil(), "no Vorel LV2 plugin")
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "cannot insert the plugin")
sleep(1)
s:save_state("", false, false, false, false, false)
close_session()
EOF
(cd "$work" && timeout 120 ardour7-lua make.lua "$work/cpu" >"$work/make.log" 2>&1) || true
[ -f "$work/cpu/cpu.ardour" ] || { cat "$work/make.log" >&2; exit 1; }

# The editor's window, saved as open (Ardour names it after the route's and
# the processor's IDs).
if [ "$ui" = editor ]; then
  python3 - "$work/cpu/cpu.ardour" <<'PY'
import sys, xml.etree.ElementTree as ET
path = sys.argv[1]
session = ET.parse(path)
route = session.find(".//Route[@name='vorel']")
proc = route.find(".//Processor[@unique-id='urn:vorel:vorel']")
ui = ET.SubElement(ET.SubElement(session.getroot(), "Extra"), "UI")
ET.SubElement(ui, "Window", {"name": "P-%s-%s" % (route.get("id"), proc.get("id")),
                             "visible": "1", "x-off": "0", "y-off": "0", "x-size": "-1",
                             "y-size": "-1", "custom-ui": "1"})
session.write(path, xml_declaration=True, encoding="UTF-8")
PY
fi

setsid ardour -n -a "$work/cpu/cpu.ardour" >"$work/ardour.log" 2>&1 &
ardour=$!
disown
# The wrapper script execs Ardour's binary in the same process.
want='cpu - Ardour'
[ "$ui" = editor ] && want='^vorel: Vorel'
win=
for _ in $(seq 600); do
  found=$(xdotool search --onlyvisible --name "$want" 2>/dev/null || true)
  win=${found%%$'\n'*}
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { tail -20 "$work/ardour.log" >&2; echo "no window: $want" >&2; exit 1; }
if [ "$mode" = metro ]; then
  jack_metro -b 120 -f 880 -D 50 -n metro >/dev/null 2>&1 &
  pids+=($!)
  connected=
  for _ in $(seq 50); do
    jack_connect metro:120_bpm "ardour:vorel/audio_in 1" 2>"$work/connect.log" && connected=1 && break
    sleep 0.2
  done
  [ -n "$connected" ] || { cat "$work/connect.log" >&2; jack_lsp >&2; exit 1; }
fi
# Ardour's own start-up work settles first.
sleep 10
[ -z "${SHOT:-}" ] || xwd -root -silent | convert xwd:- "$SHOT"

ticks() { awk '{print $14 + $15}' "/proc/$ardour/stat"; }
t0=$(ticks)
s0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks)
s1=$(date +%s.%N)
cpu=$(echo "($t1 - $t0) / $(getconf CLK_TCK) / ($s1 - $s0) * 100" | bc -l)
printf 'Ardour, %s, %s: %.1f %% of a core over %s s\n' "$ui" "$mode" "$cpu" "$seconds"

#!/usr/bin/env bash
# The CPU jalv.gtk3's (or jalv.qt5's) process takes with Vorel's LV2 editor open (or jalv's
# generic controls), under Mesa's software OpenGL and JACK's dummy driver, on
# silence or with jack_metro's beep through the plugin; then how long it takes
# to exit once its window is closed as a window manager closes it.
# Usage: xvfb-run -a scripts/editor-cpu.sh LV2_PATH silence|metro [editor|generic] [SECONDS]
# JALV=jalv.qt5 measures jalv's Qt host instead.
set -euo pipefail
# Absolute: jalv crashes on a relative LV2_PATH.
lv2=$(cd "${1:?LV2_PATH with vorel.lv2}" && pwd)
mode=${2:?silence or metro}
ui=${3:-editor}
seconds=${4:-20}
export LV2_PATH=$lv2 LIBGL_ALWAYS_SOFTWARE=1 GSETTINGS_BACKEND=memory
export JACK_DEFAULT_SERVER=vorel-cpu-$$ JACK_NO_AUDIO_RESERVATION=1
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
pids+=($!)
jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 10 >/dev/null
# jalv's standard input held open, as a terminal would.
mkfifo "$work/in"
exec 3<>"$work/in"
flags=()
[ "$ui" = generic ] && flags=(-g)
"${JALV:-jalv.gtk3}" "${flags[@]}" -x -n vorel urn:vorel:vorel <&3 >"$work/jalv.log" 2>&1 &
jalv=$!
pids+=("$jalv")
if [ "$mode" = metro ]; then
  jack_metro -b 120 -f 880 -D 50 -n metro >/dev/null 2>&1 &
  pids+=($!)
fi
win=
for _ in $(seq 200); do
  found=$(xdotool search --onlyvisible --pid "$jalv" --name '^Vorel$' 2>/dev/null || true)
  win=${found%%$'\n'*}
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no jalv window" >&2; exit 1; }
if [ "$mode" = metro ]; then
  # jalv.qt5 shows its window before it registers its ports, and names its
  # client after the plugin whatever -n says.
  input=
  for _ in $(seq 100); do
    ports=$(jack_lsp 2>/dev/null || true)
    for port in $ports; do
      [[ $port == [Vv]orel:in ]] && input=$port
    done
    [ -n "$input" ] && break
    sleep 0.1
  done
  jack_connect metro:120_bpm "$input"
fi
sleep 3

ticks() { awk '{print $14 + $15}' "/proc/$jalv/stat"; }
t0=$(ticks)
s0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks)
s1=$(date +%s.%N)
cpu=$(echo "($t1 - $t0) / $(getconf CLK_TCK) / ($s1 - $s0) * 100" | bc -l)

# WM_DELETE_WINDOW, timed from the send to the process's end.
exit_time=$(python3 - "$win" "$jalv" <<'PY'
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                         ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class Message(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("message", Message), ("pad", ctypes.c_long * 24)]
display = x.XOpenDisplay(None)
window, pid = int(sys.argv[1]), sys.argv[2]
event = Event()
event.message.type = 33  # ClientMessage
event.message.window = window
event.message.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.message.format = 32
event.message.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
start = time.monotonic()
x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x.XFlush(display)
def ended():
    try:
        with open("/proc/%s/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] in "ZX"
    except OSError:
        return True
while not ended() and time.monotonic() - start < 30:
    time.sleep(0.005)
print("%.2f" % (time.monotonic() - start))
PY
)
printf '%s, %s: %.1f %% of a core over %s s; exit %s s after the window closed\n' \
  "$ui" "$mode" "$cpu" "$seconds" "$exit_time"

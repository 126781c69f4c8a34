"""Ardour run headless through its Lua interpreter with the "None (Dummy)"
audio backend: records the backend's "Impulses" input on a mono track (a
stereo one for a VST3 plugin), inserts one plugin, exports the session range
as 32-bit float WAV (ardour_record_export.lua), and reads back what it made.

Ardour gets its own HOME and configuration folder under the work folder, so
nothing depends on the user's settings. Ardour 7.3 can abort while shutting
down after a good export, so the run is judged by the files it wrote, not by
its exit status.
"""

import glob
import os
import re
import shutil
import signal
import subprocess
import time

import wavfile

HERE = os.path.dirname(os.path.abspath(__file__))
LUA_SCRIPT = os.path.join(HERE, "ardour_record_export.lua")

# An export format of our own (plain WAV, 32-bit float, no dither, session
# rate, no silence trimmed or added) and a preset naming it: none of Ardour's
# shipped presets keeps floats. Without the Silence settings Ardour logs
# "Could not load silence for export format", which is harmless but reads
# like a cause when an export goes wrong.
FORMAT_ID = "6c1f3a52-8d0e-4b7a-9f21-3e5d7c9a1b04"
PRESET_ID = "0e8b7d46-2f3c-4a91-b5d8-7c6e1f2a9d33"

# Seconds Ardour may take to close after the export before it is stopped.
SHUTDOWN_GRACE = 30

# Ardour 7.3's AVX-512 routines that mix or copy one buffer into another
# write 4 samples past the end when one address lies 16 and the other 48 bytes
# past a 64-byte boundary. The export mixes each master output port into a
# one-cycle buffer through them; where the heap puts that buffer changes from
# run to run, and when it lands so, the export overwrites the header of the
# next heap block and Ardour dies as the export ends (SIGSEGV or a glibc
# abort, no EXPORTED line). Its AVX routines have no such fault. Ardour takes
# the CPU features from ARDOUR_FPU_FLAGS when it is set: those it finds on an
# AVX-512 machine (0xdf) less AVX-512F (0x80).
FPU_FLAGS_AVX512 = 0xdf
FPU_AVX512F = 0x80

FORMAT = """<?xml version="1.0" encoding="UTF-8"?>
<ExportFormatSpecification name="Float test" id="%s" with-cue="false" with-toc="false"
  with-mp4chaps="false" command="" analyse="false" soundcloud-upload="false">
  <Encoding id="F_WAV" type="T_Sndfile" extension="wav" name="WAV" has-sample-format="true"
    channel-limit="256"/>
  <SampleRate rate="1"/>
  <SRCQuality quality="SRC_SincBest"/>
  <EncodingOptions>
    <Option name="sample-format" value="SF_Float"/>
    <Option name="dithering" value="D_None"/>
    <Option name="tag-metadata" value="false"/>
    <Option name="tag-support" value="false"/>
    <Option name="broadcast-info" value="false"/>
  </EncodingOptions>
  <Processing>
    <Normalize enabled="false" loudness="no" dbfs="0" lufs="-23" dbtp="-1"/>
    <Silence>
      <Start>
        <Trim enabled="false"/>
        <Add enabled="false">
          <Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/>
        </Add>
      </Start>
      <End>
        <Trim enabled="false"/>
        <Add enabled="false">
          <Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/>
        </Add>
      </End>
    </Silence>
  </Processing>
</ExportFormatSpecification>
""" % FORMAT_ID

PRESET = """<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="%s" name="Float test">
  <ExportFormat id="%s"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="timespan" enabled="1"/>
  </ExportFilename>
</ExportPreset>
""" % (PRESET_ID, FORMAT_ID)


class Installed:
    """One major version of Ardour as Debian installs it: the headless Lua
    interpreter on the PATH, the library folder with the VST3 scanner (which
    writes the cache Ardour loads VST3 plugins from), and the name of its
    configuration folder."""

    def __init__(self, major, lua):
        self.major = major
        self.lua = lua
        self.libdir = "/usr/lib/ardour%d" % major
        self.vst3_scanner = os.path.join(self.libdir, "ardour-vst3-scanner")
        self.config_name = "ardour%d" % major

    def scanner_env(self, env):
        return dict(env, LD_LIBRARY_PATH=self.libdir)


def installed():
    """The newest Ardour installed (7 on Debian 12, 8 on Debian 13), or None."""
    majors = sorted((int(m.group(1)) for m in (re.fullmatch(r"/usr/lib/ardour(\d+)", d)
                                               for d in glob.glob("/usr/lib/ardour*")) if m),
                    reverse=True)
    for major in majors:
        lua = shutil.which("ardour%d-lua" % major)
        if lua:
            return Installed(major, lua)
    return None


class Export:
    """What one run left: the take as recorded, each channel placed on the
    export's timeline (zeros where it has no region), the exported channels,
    the plugin Ardour inserted, the names of the programs Ardour lists for a
    VST3 plugin, in order, and the latency Ardour saw in it."""

    def __init__(self, timelines, exported, plugin, presets, latency, log):
        self.timelines = timelines  # per channel, a list of floats, one per exported frame
        self.timeline = timelines[0]
        self.exported = exported  # wavfile.Wav
        self.plugin = plugin  # (name, unique ID, path of the binary)
        self.presets = presets
        self.latency = latency
        self.log = log


def _write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def _cpu_flags():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("flags"):
                return line.split(":", 1)[1].split()
    return []


def _fpu_env():
    """The environment that keeps Ardour off its AVX-512 routines."""
    if "avx512f" not in _cpu_flags():
        return {}
    return {"ARDOUR_FPU_FLAGS": str(FPU_FLAGS_AVX512 & ~FPU_AVX512F)}


def _fields(log):
    lines = {}
    for line in log.splitlines():
        parts = line.split("\t")
        if parts[0] in ("TAKE", "RANGE", "PLUGIN", "PRESET", "LATENCY", "EXPORTED"):
            lines.setdefault(parts[0], []).append(parts[1:])
    return lines


def _wait(proc, log_path, timeout):
    """Waits for Ardour to end; stops it after timeout seconds, or after a
    grace period once it has reported the export (shutting down is the part
    that may hang or crash)."""
    deadline = time.monotonic() + timeout
    while proc.poll() is None:
        with open(log_path, errors="replace") as f:
            if "EXPORTED\t" in f.read():
                deadline = min(deadline, time.monotonic() + SHUTDOWN_GRACE)
        if time.monotonic() > deadline:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            return
        time.sleep(0.5)


def _scan_vst3(ardour, workdir, bundle, env):
    """Puts the VST3 bundle in the scanner's cache under env's HOME, where
    Ardour looks for it. Ardour must have run once under that HOME first: a
    cache entry written before that, Ardour takes as out of date and does
    not load the plugin."""
    first = os.path.join(workdir, "first-run.lua")
    _write(first, "print('first run')\n")
    subprocess.run([ardour.lua, first], env=env, cwd=workdir, stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=120)
    done = subprocess.run([ardour.vst3_scanner, "-v", "-f", bundle], env=ardour.scanner_env(env),
                          capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        raise AssertionError("the VST3 scanner failed on %s:\n%s%s"
                             % (bundle, done.stdout, done.stderr))


def record_and_export(ardour, workdir, kind, plugin_id, env, seconds=3, timeout=150,
                      vst3_bundle=None):
    """Runs ardour_record_export.lua in ardour (an Installed) in workdir with the plugin plugin_id
    (kind "ladspa", "lv2", or "vst3" with its bundle vst3_bundle) and extra
    environment env. Raises AssertionError with Ardour's output if it
    writes no export in time."""
    home = os.path.join(workdir, "home")
    config = os.path.join(home, ".config")
    _write(os.path.join(config, ardour.config_name, "export", "float-test.format"), FORMAT)
    _write(os.path.join(config, ardour.config_name, "export", "float-test.preset"), PRESET)
    run_env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config,
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"))
    run_env.update(_fpu_env())
    run_env.update(env)
    if kind == "vst3":
        run_env["VST3_PATH"] = os.path.dirname(vst3_bundle)
        _scan_vst3(ardour, workdir, vst3_bundle, run_env)
    export_dir = os.path.join(workdir, "export")
    args = [ardour.lua, LUA_SCRIPT, os.path.join(workdir, "session"), export_dir,
            str(seconds), kind, plugin_id, PRESET_ID]
    log_path = os.path.join(workdir, "ardour.log")
    with open(log_path, "w") as log_file:
        # Its own process group, so that a hung Ardour goes with all its
        # threads and helpers.
        proc = subprocess.Popen(args, env=run_env, cwd=workdir, stdin=subprocess.DEVNULL,
                                stdout=log_file, stderr=subprocess.STDOUT,
                                start_new_session=True)
    _wait(proc, log_path, timeout)
    with open(log_path, errors="replace") as f:
        log = f.read()

    fields = _fields(log)
    for key in ("TAKE", "RANGE", "PLUGIN", "LATENCY", "EXPORTED"):
        if key not in fields:
            raise AssertionError("Ardour (exit status %d) did not report %s:\n%s"
                                 % (proc.returncode, key, log))
    # One region: one TAKE line per channel, all at the same place.
    if len({(p, n) for p, n, _ in fields["TAKE"]}) != 1:
        raise AssertionError("expected one take, Ardour reports %r" % fields["TAKE"])
    start, end = map(int, fields["RANGE"][0])
    exported_path = fields["EXPORTED"][0][0]
    if not os.path.exists(exported_path):
        raise AssertionError("no export at %s:\n%s" % (exported_path, log))

    timelines = []
    for position, length, take_path in fields["TAKE"]:
        take = wavfile.read(take_path).channels[0][:int(length)]
        timeline = [0.0] * (end - start)
        offset = int(position) - start
        for i, v in enumerate(take):
            if 0 <= offset + i < len(timeline):
                timeline[offset + i] = v
        timelines.append(timeline)
    presets = [name for name, _ in fields.get("PRESET", [])]
    return Export(timelines, wavfile.read(exported_path), tuple(fields["PLUGIN"][0]), presets,
                  int(fields["LATENCY"][0][0]), log)


def misplaced_impulses(timeline, exported, lag):
    """For each impulse of the take, finds the sample of largest magnitude in
    the exported signal within the impulse's own cell (the span nearer to it
    than to its neighbours) moved by lag. Returns the number of impulses
    checked and the (impulse, that sample) pairs that are not exactly lag
    apart. Cells reaching past either end of the export are left out."""
    impulses = [i for i, v in enumerate(timeline) if v != 0.0]
    checked, misplaced = 0, []
    for k, p in enumerate(impulses):
        lo = (impulses[k - 1] + p) // 2 + 1 if k > 0 else max(0, p - 512)
        hi = (p + impulses[k + 1]) // 2 if k + 1 < len(impulses) else p + 512
        lo, hi = lo + lag, hi + lag
        if lo < 0 or hi >= len(exported):
            continue
        checked += 1
        peak = max(range(lo, hi + 1), key=lambda i: abs(exported[i]))
        if peak != p + lag:
            misplaced.append((p, peak))
    return checked, misplaced

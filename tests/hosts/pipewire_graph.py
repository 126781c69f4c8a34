"""A private PipeWire daemon with one plugin in a filter-chain, and a file
played through it and recorded, the way a user's chain runs but with no
session manager, no D-Bus and no sound card: the Dummy-Driver clocks the
graph, a null sink stands in for the card, and pw-link makes the links a
session manager would make. The daemon has its own socket under the work
folder, so parallel tests and a user's PipeWire do not meet. Everything
started here is stopped on leaving the with-block, also when a test fails.

Ports appear without a session manager only when every stream and the null
sink ask for DSP ports themselves (adapter.auto-port-config) and the chain
names its rate. A mono port's name has changed between releases (PipeWire
1.4 calls a port of unknown position playback_1), so the test finds mono
ports by their node and direction."""

import os
import signal
import subprocess
import time

RATE = 48000
# Long cycles give pw-play and pw-record time to keep up on a busy machine:
# a late client drops a cycle of the source.
QUANTUM = 4096
AUTO_PORTS = "adapter.auto-port-config = { mode = dsp position = preserve }"
# PipeWire 1.4 no longer applies AUTO_PORTS to the chain's streams and the
# null sink, which then keep one port of their own format that links to
# nothing: they are given their DSP port and its format outright.
DSP_PORT = ("node.param.PortConfig = { direction = %s mode = dsp format = { mediaType = audio "
            "mediaSubtype = raw format = F32P rate = %d channels = 1 position = [ MONO ] } }")

CONFIG = """
context.properties = {
    core.daemon = true
    core.name = %(name)s
    support.dbus = false
    default.clock.rate = %(rate)d
    default.clock.allowed-rates = [ %(rate)d ]
    default.clock.quantum = %(quantum)d
    default.clock.min-quantum = %(quantum)d
    default.clock.max-quantum = %(quantum)d
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
    { name = libpipewire-module-filter-chain
        args = {
            node.description = "Vorel"
            filter.graph = { nodes = [ %(node)s ] }
            audio.rate = %(rate)d
            audio.channels = 1
            audio.position = [ MONO ]
            capture.props = { node.name = "vorel-in" media.class = Audio/Sink %(auto)s
                              %(dsp_in)s }
            playback.props = { node.name = "vorel-out" %(auto)s %(dsp_out)s }
        }
    }
]
context.objects = [
    { factory = spa-node-factory
        args = { factory.name = support.node.driver node.name = Dummy-Driver
                 node.group = pipewire.dummy priority.driver = 20000 } }
    { factory = adapter
        args = { factory.name = support.null-audio-sink node.name = "vorel-null"
                 media.class = "Audio/Sink" audio.position = [ MONO ] %(auto)s %(dsp_in)s } }
]
"""


def ladspa_node(library, label, controls):
    """The filter-chain node of a LADSPA plugin; controls by port name."""
    return "{ type = ladspa name = vorel plugin = \"%s\" label = %s control = { %s } }" % (
        library, label, _controls(controls))


def lv2_node(uri, controls):
    """The filter-chain node of an LV2 plugin; controls by port symbol."""
    return "{ type = lv2 name = vorel plugin = \"%s\" control = { %s } }" % (
        uri, _controls(controls))


def _controls(controls):
    return " ".join('"%s" = %s' % (name, value) for name, value in controls.items())


class PrivatePipeWire:
    def __init__(self, workdir, node, env=None):
        self.workdir = workdir
        self.name = "vorel-test-%d" % os.getpid()
        run = os.path.join(workdir, "pipewire-run")
        os.makedirs(run, exist_ok=True)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, PIPEWIRE_RUNTIME_DIR=run,
                        PIPEWIRE_REMOTE=self.name, **(env or {}))
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.config = os.path.join(workdir, "pipewire.conf")
        with open(self.config, "w") as f:
            f.write(CONFIG % {"name": self.name, "rate": RATE, "quantum": QUANTUM,
                              "node": node, "auto": AUTO_PORTS,
                              "dsp_in": DSP_PORT % ("Input", RATE),
                              "dsp_out": DSP_PORT % ("Output", RATE)})
        self.procs = []

    def __enter__(self):
        try:
            daemon = self._spawn("pipewire", ["pipewire", "-c", self.config])
            self.chain_in = self.mono_port("vorel-in:playback_", daemon)
            self.chain_out = self.mono_port("vorel-out:output_", daemon)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.procs):
            _stop(proc, signal.SIGTERM)
        self.procs = []

    def _spawn(self, label, args):
        path = os.path.join(self.workdir, label + ".log")
        with open(path, "w") as log:
            proc = subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT)
        proc.log_path = path
        self.procs.append(proc)
        return proc

    def ports(self):
        done = subprocess.run(["pw-link", "-io"], env=self.env, capture_output=True, text=True,
                              timeout=20)
        return done.stdout.split("\n")

    def wait_for_ports(self, ports, proc, seconds=20):
        """Waits until every port exists; fails early if proc has ended."""
        deadline = time.monotonic() + seconds
        while not set(ports) <= set(self.ports()):
            if proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("no ports %s (have %s):\n%s"
                                     % (ports, self.ports(), log_of(proc)))
            time.sleep(0.1)

    def mono_port(self, prefix, proc, seconds=20):
        """The one port whose name starts with prefix, once it exists."""
        deadline = time.monotonic() + seconds
        while True:
            found = [p for p in self.ports() if p.startswith(prefix)]
            if len(found) == 1:
                return found[0]
            if len(found) > 1 or proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("no single port %s* (have %s):\n%s"
                                     % (prefix, self.ports(), log_of(proc)))
            time.sleep(0.1)

    def link(self, output, input):
        done = subprocess.run(["pw-link", output, input], env=self.env, capture_output=True,
                              text=True, timeout=20)
        if done.returncode != 0:
            raise AssertionError("pw-link %s %s: %s" % (output, input, done.stderr))

    def play_through(self, source, out, seconds=60):
        """Plays source (mono, 32-bit float at RATE) into the chain and
        records into out (32-bit float) the source as played on the first
        channel and the chain's output on the second, on the same clock. The
        player is linked to both; start source with some silence, so that
        neither link misses its sound. The recorder stops a moment after
        the player has ended."""
        fmt = ["--format", "f32", "--rate", str(RATE)]
        record = self._spawn("pw-record", [
            "pw-record", "-P", "{ node.name = vorel-record audio.position = [ FL FR ] %s }"
            % AUTO_PORTS, *fmt, "--channels", "2", out])
        self.wait_for_ports(["vorel-record:input_FL", "vorel-record:input_FR"], record)
        self.link(self.chain_out, "vorel-record:input_FR")
        play = self._spawn("pw-play", [
            "pw-play", "-P", "{ node.name = vorel-play %s }" % AUTO_PORTS, *fmt,
            "--channels", "1", source])
        player = self.mono_port("vorel-play:output_", play)
        self.link(player, "vorel-record:input_FL")
        self.link(player, self.chain_in)
        try:
            play.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise AssertionError("pw-play did not end:\n" + log_of(play))
        time.sleep(0.5)
        # pw-record completes the file on SIGINT (and then exits with 1).
        _stop(record, signal.SIGINT)


def log_of(proc):
    with open(proc.log_path, errors="replace") as f:
        return f.read()


def _stop(proc, sig):
    if proc.poll() is None:
        proc.send_signal(sig)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

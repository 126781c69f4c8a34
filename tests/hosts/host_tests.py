"""Vorel driven by LADSPA hosts from the distribution, as a user would run
them, against vorel-render --no-compensate on the same input and controls.
vorel-render has the effect built in and loads no plugin file, so these
comparisons are what ties it to the shipped libvorel.so.

Each host finds the plugin through LADSPA_PATH (the build directory). Where
a host keeps 32-bit float samples end to end its output must match
bit for bit; where it converts samples, the comparison allows exactly the
host's own conversion, as noted on each test.

Usage: host_tests.py VOREL_RENDER PLUGIN_DIR PORT_TABLE_JSON [TestCase ...]
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "support")]
import ports  # noqa: E402
import test_signals  # noqa: E402
import wavfile  # noqa: E402

RATE = 44100
FRAMES = 3 * RATE + 777  # not a multiple of any host's block size

# Control sets by port symbol; the controls left out keep their defaults.
PRESETS = {
    "defaults": {},
    "masked ramp": {"hold": 7, "gain": 0.8, "direction": 0, "bitmask": 0.5, "amp_mod": 1,
                    "process_type": 1},
    "long hold": {"hold": 43, "bitmask": 0.02},
}

RENDER = None
PLUGIN_DIR = None
CONTROLS = None  # the control ports, from the port table

FLT_MIN = 1.1754943508222875e-38


def run(args, **kwargs):
    env = dict(os.environ, LADSPA_PATH=PLUGIN_DIR)
    return subprocess.run(args, env=env, capture_output=True, text=True, **kwargs)


class HostCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vorel-hosts-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def make_input(self, name, channels, encoding, rate=RATE):
        data = [test_signals.music(FRAMES, rate, seed=c + 1) for c in range(channels)]
        wavfile.write(self.path(name), rate, data, encoding)
        return self.path(name)

    def reference(self, source, settings):
        out = self.path("reference.wav")
        options = ports.render_options(CONTROLS, settings)
        done = run([RENDER, "--no-compensate", *options, source, out])
        self.assertEqual(done.returncode, 0, done.stderr)
        return wavfile.read(out)

    def host(self, args):
        done = run(args)
        self.assertEqual(done.returncode, 0, "%s\n%s" % (" ".join(args), done.stderr))

    def assert_matches(self, got, want, convert, tolerance, label):
        """Every sample of got lies within tolerance of one of the values
        convert gives for the same sample of want (tolerance None: has the
        same 32-bit pattern as one of them)."""
        self.assertEqual(len(got.channels), len(want.channels), label)
        for c, (g, w) in enumerate(zip(got.channels, want.channels)):
            self.assertEqual(len(g), len(w), "%s, channel %d: length" % (label, c))
            for i, (a, b) in enumerate(zip(g, w)):
                expected = convert(b)
                if tolerance is None:  # bit for bit, sign of zero included
                    ok = any(struct.pack("<f", a) == struct.pack("<f", e) for e in expected)
                else:
                    ok = any(abs(a - e) <= tolerance for e in expected)
                if not ok:
                    self.fail("%s, channel %d, sample %d: host %r, vorel-render %r (expected %r)"
                              % (label, c, i, a, b, expected))


class Listing(HostCase):
    def test_listplugins_finds_vorel_on_the_ladspa_path(self):
        done = run(["listplugins"])
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn(os.path.join(PLUGIN_DIR, "libvorel.so") + ":\n\tVorel (1043/vorel)",
                      done.stdout)


class Applyplugin(HostCase):
    # applyplugin reads through libsndfile (16-bit input reaches both hosts as
    # the same floats) but always writes 16-bit PCM, rounding each sample down
    # to a step of 2^-15. So each sample may lie up to one 16-bit step below
    # vorel-render's float. applyplugin does not clip: a sample at or past
    # full scale (the output filter overshoots 1, up to almost 2) comes out as
    # the 16-bit format's -1 or its largest positive value.
    STEP = 2.0 ** -15

    def applyplugin_view(self, v):
        if v >= 1.0 or v < -1.0:
            return [-1.0, 1.0 - self.STEP]
        return [v]

    def test_renders_like_vorel_render_within_one_16_bit_step(self):
        source = self.make_input("in.wav", 1, "pcm16")
        clip = self.applyplugin_view
        for name, settings in PRESETS.items():
            out = self.path("applyplugin.wav")
            self.host(["applyplugin", source, out, "libvorel.so", "vorel",
                       *ports.port_values(CONTROLS, settings)])
            self.assert_matches(wavfile.read(out), self.reference(source, settings), clip,
                                self.STEP, "applyplugin, " + name)


class Sox(HostCase):
    # sox carries samples as 32-bit integers. 24-bit input reaches the plugin
    # as exactly the floats libsndfile gives vorel-render; the plugin's float
    # output is cut to a step of 2^-31 on its way back, clipped to
    # -1 .. 1-2^-31, and written as 32-bit PCM without further change. So
    # each sample lies within one 2^-31 step.
    STEP = 2.0 ** -31

    def check(self, channels):
        source = self.make_input("in.wav", channels, "pcm24")
        clip = lambda v: [max(-1.0, min(1.0 - self.STEP, v))]  # noqa: E731
        for name, settings in PRESETS.items():
            out = self.path("sox.wav")
            # -r gives each channel its own instance of the mono plugin.
            self.host(["sox", "-V1", source, "-e", "signed", "-b", "32", out,
                       "ladspa", "-r", "libvorel.so", "vorel",
                       *ports.port_values(CONTROLS, settings)])
            self.assert_matches(wavfile.read(out), self.reference(source, settings), clip,
                                self.STEP, "sox, %d channels, %s" % (channels, name))

    def test_mono_renders_like_vorel_render_within_one_32_bit_step(self):
        self.check(1)

    def test_stereo_renders_like_vorel_render_within_one_32_bit_step(self):
        self.check(2)

    def test_padding_and_trimming_compensates_the_latency_like_vorel_render(self):
        # The sox line of docs/hosts.md for lined-up output: 1024 zeros after the
        # input, the plugin, then the first 1024 samples dropped.
        source = self.make_input("in.wav", 2, "pcm24")
        settings = PRESETS["masked ramp"]
        out = self.path("sox.wav")
        self.host(["sox", "-V1", source, "-e", "signed", "-b", "32", out, "pad", "0", "1024s",
                   "ladspa", "-r", "libvorel.so", "vorel", *ports.port_values(CONTROLS, settings),
                   "trim", "1024s"])
        lined = self.path("lined.wav")
        done = run([RENDER, *ports.render_options(CONTROLS, settings), source, lined])
        self.assertEqual(done.returncode, 0, done.stderr)
        clip = lambda v: [max(-1.0, min(1.0 - self.STEP, v))]  # noqa: E731
        self.assert_matches(wavfile.read(out), wavfile.read(lined), clip, self.STEP,
                            "sox pad/trim")


class Ecasound(HostCase):
    # ecasound keeps 32-bit float samples from the float input file to the
    # float output file, so the samples match bit for bit, with two things
    # ecasound does to every float it passes on: its chain clamps samples to
    # -1..1, and subnormal samples come out as zero of the same sign.
    @staticmethod
    def ecasound_view(v):
        if abs(v) < FLT_MIN:
            return [0.0 * v]
        return [max(-1.0, min(1.0, v))]

    def check(self, channels, rate):
        source = self.make_input("in.wav", channels, "float", rate)
        for name, settings in PRESETS.items():
            out = self.path("ecasound.wav")
            self.host(["ecasound", "-q", "-i", source,
                       "-f:f32_le,%d,%d" % (channels, rate), "-o", out,
                       "-el:vorel," + ",".join(ports.port_values(CONTROLS, settings))])
            got = wavfile.read(out)
            self.assertEqual(got.encoding, "float")
            want = self.reference(source, settings)
            self.assert_matches(got, want, self.ecasound_view, None,
                                "ecasound, %d channels, %s" % (channels, name))
            os.remove(out)  # ecasound would keep an existing file's header

    def test_mono_matches_vorel_render_bit_for_bit(self):
        self.check(1, RATE)

    # Another rate: the output filter depends on it, and vorel-render must
    # give each channel's effect the file's rate as a host gives the plugin.
    def test_stereo_at_48_khz_matches_vorel_render_bit_for_bit(self):
        self.check(2, 48000)


if __name__ == "__main__":
    RENDER, PLUGIN_DIR, CONTROLS, argv = ports.script_arguments(__doc__)
    unittest.main(argv=argv, verbosity=2)

"""vorel-render's promises to its users, checked by running the binary:
bad input of every kind fails with a message and a non-zero exit and leaves
no output behind; the latency compensation lines the output up with the
input, and the mix blends in the input lined up; every channel gets its own
instance of the effect; the usual file types are read and written.

Usage: render_tests.py VOREL_RENDER PORT_TABLE_JSON [TestCase ...]
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "support")]
import ports  # noqa: E402
import test_signals  # noqa: E402
import wavfile  # noqa: E402

RATE = 44100
LATENCY = 1024

RENDER = None
CONTROLS = None  # the control ports, from the port table


class RenderCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vorel-render-")
        self.source = self.path("in.wav")
        wavfile.write(self.source, RATE, [test_signals.music(20000, RATE)])

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def render(self, *args):
        return subprocess.run([RENDER, *args], capture_output=True, text=True)

    def assert_renders(self, *args):
        done = self.render(*args)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done

    def assert_same_samples(self, got, want, what):
        """Equal sample lists; a failure names the first differing index and
        how many differ rather than diffing the whole lists."""
        if got == want:
            return
        differing = [i for i, (a, b) in enumerate(zip(got, want)) if a != b]
        first = differing[0] if differing else min(len(got), len(want))
        self.fail("%s: %d of %d samples differ (lengths %d and %d), the first at index %d"
                  % (what, len(differing), len(want), len(got), len(want), first))

    def assert_fails(self, *args, message):
        """The render exits non-zero, says why, and writes no file at all."""
        before = set(os.listdir(self.dir))
        done = self.render(*args)
        self.assertNotEqual(done.returncode, 0, "accepted: %s" % (args,))
        self.assertIn(message, done.stderr)
        self.assertEqual(set(os.listdir(self.dir)), before, "files left by %s" % (args,))


class BadInput(RenderCase):
    def test_unknown_or_malformed_options_are_usage_errors(self):
        out = self.path("out.wav")
        self.assert_fails("--wobble", "1", self.source, out, message="--wobble")
        self.assert_fails("--sh", "many", self.source, out, message="--sh")
        self.assert_fails("--direction", "sideways", self.source, out, message="sideways")
        self.assert_fails("--process", "linear", self.source, out, message="linear")
        self.assert_fails("--preset", "loud", self.source, out, message="loud")
        self.assert_fails("--format", "float17", self.source, out, message="float17")
        self.assert_fails(self.source, message="output is required")

    def numeric_controls(self):
        """The controls set by a number rather than by a name."""
        return [p for p in CONTROLS if not p["scale_points"]]

    def test_values_outside_the_port_ranges_are_rejected_with_the_range(self):
        out = self.path("out.wav")
        for port in self.numeric_controls():
            flag = ports.RENDER_OPTIONS[port["symbol"]]
            message = '"%s": %g to %g' % (port["name"], port["minimum"], port["maximum"])
            step = 1 if port["integer"] else 0.01
            for value in ("%g" % (port["minimum"] - step), "%g" % (port["maximum"] + step), "nan"):
                self.assert_fails(flag, value, self.source, out, message="%s %s" % (flag, value))
                self.assert_fails(flag, value, self.source, out, message=message)
        self.assert_fails("--sh", "2.5", self.source, out, message="not a whole number")

    def test_the_range_edges_are_accepted(self):
        out = self.path("out.wav")
        for edge in ("minimum", "maximum"):
            settings = {p["symbol"]: p[edge] for p in self.numeric_controls()}
            self.assert_renders(*ports.render_options(CONTROLS, settings), self.source, out)

    def test_missing_and_unreadable_inputs_are_named(self):
        out = self.path("out.wav")
        self.assert_fails(self.path("absent.wav"), out, message="absent.wav")
        with open(self.path("text.wav"), "w") as f:
            f.write("not audio\n")
        self.assert_fails(self.path("text.wav"), out, message="cannot read input")

    def test_unknown_output_types_and_impossible_encodings_are_rejected(self):
        self.assert_fails(self.source, self.path("out.xyz"), message="unknown output file type .xyz")
        self.assert_fails(self.source, self.path("out"), message="no extension")
        self.assert_fails("--format", "float", self.source, self.path("out.flac"),
                          message="cannot write float")
        self.assert_fails(self.source, self.path("no/such/dir/out.wav"),
                          message="cannot write output")


class OutputFiles(RenderCase):
    def test_a_failed_rename_leaves_no_temporary_file(self):
        # The output names a directory: rendering works, the final rename fails.
        target = self.path("taken.wav")
        os.mkdir(target)
        self.assert_fails(self.source, target, message="cannot move the finished output")

    def test_an_interrupted_render_leaves_nothing_behind(self):
        long_input = self.path("long.wav")
        wavfile.write(long_input, RATE, [test_signals.music(40 * RATE, RATE)] * 2)
        before = set(os.listdir(self.dir))
        proc = subprocess.Popen([RENDER, long_input, self.path("out.wav")],
                                stderr=subprocess.PIPE)
        # Wait for the temporary file, which proves the render is under way.
        while set(os.listdir(self.dir)) == before and proc.poll() is None:
            time.sleep(0.001)
        proc.send_signal(signal.SIGTERM)
        proc.wait()
        proc.stderr.close()
        if proc.returncode == 0:
            self.skipTest("the render finished before it could be interrupted")
        self.assertEqual(proc.returncode, -signal.SIGTERM)
        self.assertEqual(set(os.listdir(self.dir)), before)

    def test_the_default_output_is_32_bit_float_with_the_input_length(self):
        out = self.path("out.wav")
        self.assert_renders(self.source, out)
        got = wavfile.read(out)
        self.assertEqual((got.encoding, got.rate, got.frames()), ("float", RATE, 20000))
        self.assert_renders("--format", "pcm16", self.source, out)
        self.assertEqual(wavfile.read(out).encoding, "pcm16")

    def test_flac_aiff_and_ogg_are_written_and_read_back(self):
        for name in ("out.flac", "out.aiff", "out.ogg"):
            self.assert_renders(self.source, self.path(name))
            back = self.path(name + ".wav")
            self.assert_renders("--no-compensate", self.path(name), back)
            self.assertEqual(wavfile.read(back).frames(), 20000, name)


class Processing(RenderCase):
    def test_compensation_lines_an_impulse_up_with_the_input(self):
        frames, at = 12000, 3000
        impulse = [0.0] * frames
        impulse[at] = 0.8
        wavfile.write(self.source, RATE, [impulse])
        lined, raw = self.path("lined.wav"), self.path("raw.wav")
        self.assert_renders(self.source, lined)
        self.assert_renders("--no-compensate", self.source, raw)
        lined, raw = wavfile.read(lined).channels[0], wavfile.read(raw).channels[0]
        self.assertEqual((len(lined), len(raw)), (frames, frames))
        peak = lambda xs: max(range(len(xs)), key=lambda i: abs(xs[i]))  # noqa: E731
        self.assertEqual(peak(lined), at)
        self.assertEqual(peak(raw), at + LATENCY)
        # The same stream, moved: compensation changes timing, not samples.
        self.assertEqual(lined[:frames - LATENCY], raw[LATENCY:])

    def test_compensation_keeps_the_tail_of_a_sound_that_ends_at_the_last_sample(self):
        frames = 6000
        impulse = [0.0] * frames
        impulse[-1] = 0.8
        wavfile.write(self.source, RATE, [impulse])
        self.assert_renders(self.source, self.path("lined.wav"))
        lined = wavfile.read(self.path("lined.wav")).channels[0]
        self.assertEqual(max(range(frames), key=lambda i: abs(lined[i])), frames - 1)

    def test_a_preset_renders_like_its_controls_and_an_option_overrides_it(self):
        heavy, by_hand = self.path("heavy.wav"), self.path("by-hand.wav")
        self.assert_renders("--preset", "heavy-mask", self.source, heavy)
        self.assert_renders("--sh", "4", "--bitmask", "0.5", self.source, by_hand)
        self.assertEqual(wavfile.read(heavy).channels, wavfile.read(by_hand).channels)
        # Options win over the preset, wherever they stand.
        self.assert_renders("--bitmask", "0", "--preset", "heavy-mask", self.source, heavy)
        self.assert_renders("--sh", "4", self.source, by_hand)
        self.assertEqual(wavfile.read(heavy).channels, wavfile.read(by_hand).channels)
        listed = self.assert_renders("--list-presets").stdout.split("\n")
        self.assertIn("heavy-mask", [line.split(" ")[0] for line in listed])

    def test_mix_blends_the_effect_with_the_input_lined_up(self):
        options = ["--sh", "6", "--bitmask", "0.2"]
        for mix in ("100", "0", "25"):
            self.assert_renders(*options, "--mix", mix, self.source, self.path(mix + ".wav"))
        self.assert_renders(*options, self.source, self.path("default.wav"))
        wet, dry, quarter, default = (wavfile.read(self.path(name + ".wav")).channels[0]
                                      for name in ("100", "0", "25", "default"))
        self.assertEqual(wet, default)
        self.assertEqual(dry, wavfile.read(self.source).channels[0])
        for t, (w, d, q) in enumerate(zip(wet, dry, quarter)):
            self.assertTrue(min(w, d) <= q <= max(w, d), "sample %d" % t)
            if abs(d - w) > 0.05:
                self.assertAlmostEqual((q - w) / (d - w), 0.75, delta=1e-4, msg="sample %d" % t)
        self.assert_fails("--mix", "101", self.source, self.path("x.wav"),
                          message='--mix 101 is outside the range of "mix": 0 to 100')

    def test_each_channel_renders_as_if_it_were_alone(self):
        # Three channels with different content: a shared instance would mix
        # their histories, so each must equal its own mono render exactly,
        # whichever thread ran it. The length ends the file 3,096 frames into
        # the last block of the renderer's second round of 16 blocks of 4,096,
        # where a read that asked past the round would overrun its buffer.
        channels = [test_signals.music(2 * 65536 - 1000, RATE, seed=s) for s in (3, 4, 5)]
        wavfile.write(self.path("three.wav"), RATE, channels)
        options = ["--sh", "5", "--bitmask", "0.3", "--process", "ramp"]
        self.assert_renders(*options, self.path("three.wav"), self.path("three-out.wav"))
        together = wavfile.read(self.path("three-out.wav")).channels
        for c, data in enumerate(channels):
            wavfile.write(self.path("mono.wav"), RATE, [data])
            self.assert_renders(*options, self.path("mono.wav"), self.path("mono-out.wav"))
            self.assert_same_samples(together[c],
                                     wavfile.read(self.path("mono-out.wav")).channels[0],
                                     "channel %d" % c)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    RENDER, CONTROLS = os.path.abspath(sys.argv[1]), ports.load_controls(sys.argv[2])
    unittest.main(argv=[sys.argv[0], *sys.argv[3:]], verbosity=2)

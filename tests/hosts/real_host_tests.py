"""Vorel in real hosts as a user meets them: Ardour run headless, jalv under
a JACK server with the dummy driver, and lilv's lv2apply.

Ardour records the Dummy backend's "Impulses" input, the plugin goes on the
track, the session is exported as 32-bit float, and the export is held
against vorel-render on the recorded take: with the LADSPA plugin, which
reports no latency, the export is the plugin's raw output, every impulse
exactly 1024 samples late; with the LV2 plugin, which reports 1024, Ardour
compensates and every impulse lands on its recorded sample; so does each
channel of a stereo track through the VST3 plugin. All bit for bit. Ardour
lists the VST3 plugin's programs as the presets, by name, in order.

Usage: real_host_tests.py --render VOREL_RENDER --ladspa-dir DIR
           [--lv2-path DIR --lv2-uri URI] [--vst3-bundle BUNDLE]
           [TestCase ...]
"""

import argparse
import os
import re
import struct
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "support")]
import ardour_session  # noqa: E402
import host_tests  # noqa: E402
import jack_dummy  # noqa: E402
import lmms_project  # noqa: E402
import lv2_plugin  # noqa: E402
import pipewire_graph  # noqa: E402
import ports  # noqa: E402
import test_signals  # noqa: E402
import wavfile  # noqa: E402

LATENCY = 1024
OPTIONS = None


# The value a host must give for a sample of vorel-render's output: the same
# bits (host_tests.HostCase.assert_matches with no tolerance).
def bits(v):
    return [v]


class RealHostCase(host_tests.HostCase):
    # The LV2 plugin under test, as given on the command line.
    def lv2(self):
        if not OPTIONS.lv2_uri or not OPTIONS.lv2_path:
            self.fail("this test needs --lv2-uri and --lv2-path")
        return OPTIONS.lv2_uri, OPTIONS.lv2_path

    def preset_names(self):
        """The presets' names in order, from the one table as vorel-render lists them."""
        done = host_tests.run([host_tests.RENDER, "--list-presets"])
        self.assertEqual(done.returncode, 0, done.stderr)
        return [line.split(" ")[0] for line in done.stdout.splitlines() if line]

    def render(self, samples, rate, options):
        """vorel-render with options on one channel of samples."""
        source, out = self.path("take.wav"), self.path("rendered.wav")
        wavfile.write(source, rate, [samples])
        done = host_tests.run([host_tests.RENDER, *options, source, out])
        self.assertEqual(done.returncode, 0, done.stderr)
        return wavfile.read(out)


class Ardour(RealHostCase):
    # One headless Ardour run with the plugin on the track.
    def export(self, kind, plugin_id, env, **options):
        ardour = ardour_session.installed()
        if ardour is None:
            self.fail("no Ardour here (ardour7-lua or ardour8-lua with /usr/lib/ardourN): "
                      "install Debian's ardour")
        return ardour_session.record_and_export(ardour, self.dir, kind, plugin_id, env,
                                                **options)

    def check_lined_up(self, run, lag, render_options, label):
        """Each channel of the track in the export against vorel-render on
        that channel of the take: impulses lag samples from where they were
        recorded, and every sample as vorel-render makes it."""
        self.assertEqual(run.exported.encoding, "float")
        for channel, timeline in enumerate(run.timelines):
            name = "%s, channel %d" % (label, channel)
            impulses = sum(1 for v in timeline if v != 0.0)
            self.assertGreater(impulses, 2, "the take holds no impulse train:\n" + run.log)
            track = run.exported.channels[channel]
            self.assertEqual(len(track), len(timeline))
            checked, misplaced = ardour_session.misplaced_impulses(timeline, track, lag)
            self.assertGreater(checked, 0)
            self.assertEqual(misplaced, [], "%s: (recorded at, loudest exported sample near it +%d)"
                             % (name, lag))
            want = self.render(timeline, run.exported.rate, render_options)
            got = wavfile.Wav(run.exported.rate, "float", [track])
            self.assert_matches(got, want, bits, None, name)

    def test_ladspa_plugin_by_id_exports_1024_samples_late(self):
        env = {"LADSPA_PATH": host_tests.PLUGIN_DIR}
        run = self.export("ladspa", "1043", env)
        # Not the LADSPA SDK's delay line, which shares the ID.
        self.assertEqual(run.plugin, ("Vorel", "1043",
                                      os.path.join(host_tests.PLUGIN_DIR, "libvorel.so")))
        self.assertEqual(run.latency, 0, "latency Ardour sees in the plugin")
        self.check_lined_up(run, LATENCY, ["--no-compensate"], "Ardour, LADSPA")

    def test_lv2_plugin_exports_lined_up_with_the_take(self):
        uri, lv2_path = self.lv2()
        run = self.export("lv2", uri, {"LV2_PATH": lv2_path})
        self.assertEqual(run.plugin[1], uri, "the plugin Ardour inserted")
        self.assertEqual(run.latency, LATENCY, "latency Ardour sees in the plugin")
        self.check_lined_up(run, 0, [], "Ardour, LV2")

    def test_vst3_plugin_on_a_stereo_track_exports_each_channel_lined_up(self):
        if not OPTIONS.vst3_bundle:
            self.fail("this test needs --vst3-bundle")
        run = self.export("vst3", "Vorel", {}, vst3_bundle=OPTIONS.vst3_bundle)
        self.assertEqual(run.plugin[0], "Vorel", "the plugin Ardour inserted")
        self.assertEqual(run.presets, self.preset_names(), "the presets Ardour lists")
        self.assertEqual(len(run.timelines), 2, "channels of the take")
        self.assertEqual(run.latency, LATENCY, "latency Ardour sees in the plugin")
        self.check_lined_up(run, 0, [], "Ardour, VST3")


class Jalv(RealHostCase):
    def test_jack_reports_the_plugin_latency_on_its_output(self):
        uri, lv2_path = self.lv2()
        client = "vorel-test"
        with jack_dummy.DummyJack("vorel-test-%d" % os.getpid(), self.dir) as jack:
            jalv = jack.start(["jalv", "-x", "-n", client, uri], {"LV2_PATH": lv2_path})
            jack.wait_for_port(client + ":out", jalv)
            ranges = jack.latencies(client + ":out")
        # jalv 1.6 puts the plugin's latency in the range JACK calls
        # "playback" on the output port; the other range stays 0.
        self.assertEqual(sorted(ranges.values()), [(0, 0), (LATENCY, LATENCY)],
                         "jack_lsp -l %s:out: %r" % (client, ranges))


class JalvEditor(RealHostCase):
    """The LV2 editor in jalv.gtk3, on the X server that xvfb-run gives."""

    # The gain control's middle in the editor (src/ui/layout.h), in
    # logical pixels, and how far the drag goes to the right.
    GAIN_AT, DRAG = (239, 299), 20

    def xdotool(self, *args):
        done = host_tests.run(["xdotool", *map(str, args)], timeout=20)
        self.assertEqual(done.returncode, 0, "xdotool %r: %s" % (args, done.stderr))
        return done.stdout.split()

    def wait_for(self, what, find, jalv, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = find()
            if found:
                return found
            self.assertIsNone(jalv.poll(), "jalv.gtk3 ended:\n" + jack_dummy.log_of(jalv))
            time.sleep(0.2)
        self.fail("no %s after %d s:\n%s" % (what, seconds, jack_dummy.log_of(jalv)))

    @staticmethod
    def shown_windows():
        # Only those mapped on screen: jalv makes a window before it shows
        # it, and a pointer moved there before is on the root window.
        done = host_tests.run(["xdotool", "search", "--onlyvisible", "--class", "."])
        return set(done.stdout.split())

    def editor_window(self):
        for window in self.shown_windows():
            geometry = host_tests.run(["xdotool", "getwindowgeometry", window]).stdout
            if "Geometry: 640x400" in geometry:
                return window
        return None

    def drag_gain(self, editor):
        x, y = self.GAIN_AT
        self.xdotool("mousemove", "--sync", "--window", editor, x, y)
        self.xdotool("mousedown", 1)
        for step in range(1, 5):
            self.xdotool("mousemove", "--sync", "--window", editor, x + self.DRAG * step // 4, y)
        self.xdotool("mouseup", 1)

    def saved_gain(self, state):
        """Saves jalv's state through its File menu and reads the gain."""
        shown = self.shown_windows()
        self.xdotool("mousemove", "--sync", 18, 12, "click", 1)
        # The keys go to the menu once it is open: a window of its own.
        self.wait_for("File menu", lambda: self.shown_windows() - shown, self.jalv)
        self.xdotool("key", "Down", "Return")
        self.wait_for("save dialog", lambda: host_tests.run(
            ["xdotool", "search", "--name", "Save State"]).stdout, self.jalv)
        self.xdotool("type", "--delay", 5, state)
        ttl = os.path.join(state, "state.ttl")
        # The dialog's name completion may take the first Return.
        self.wait_for(ttl, lambda: os.path.exists(ttl) or self.xdotool("key", "Return") and False,
                      self.jalv)
        with open(ttl) as f:
            found = re.search(r'lv2:symbol "gain" ;\s*pset:value ([-0-9.e]+)', f.read())
        self.assertIsNotNone(found, "no gain in the saved state")
        return float(found.group(1))

    def test_a_drag_from_the_hosts_value_reaches_the_gain_port_in_range(self):
        """Faults caught: the editor's binary not loading or no window; a
        drag that never reaches the port; the host's value not reaching the
        editor (the drag then starts from the default, 1, and ends below the
        host's 1.5); a value out of the port's range. A drag that leaves
        the gain as it was is made again, a few times: the editor's window
        may be on screen before it takes the pointer, and jalv may save
        before the new value has reached it; a drag from the default, which
        changes the gain, is not."""
        uri, lv2_path = self.lv2()
        gain = ports.by_symbol(host_tests.CONTROLS)["gain"]
        start = (gain["default"] + gain["maximum"]) / 2
        with jack_dummy.DummyJack("vorel-test-%d" % os.getpid(), self.dir) as jack:
            self.jalv = jack.start(["jalv.gtk3", "-c", "gain=%g" % start, uri],
                                   {"LV2_PATH": lv2_path, "GSETTINGS_BACKEND": "memory"})
            editor = self.wait_for("editor window", self.editor_window, self.jalv)
            for attempt in range(4):
                self.drag_gain(editor)
                value = self.saved_gain(self.path("state-%d" % attempt))
                if value != start:
                    break
        self.assertGreater(value, start, "the gain after a drag to the right")
        self.assertLessEqual(value, gain["maximum"], "the gain after a drag to the right")


class Lv2apply(RealHostCase):
    def test_renders_like_the_raw_ladspa_render_bit_for_bit(self):
        uri, lv2_path = self.lv2()
        # The LV2 plugin's symbols are the port table's.
        self.assertEqual(lv2_plugin.control_input_symbols(uri, lv2_path)[:6],
                         [p["symbol"] for p in host_tests.CONTROLS])
        source = self.make_input("in.wav", 1, "float")
        for name, settings in host_tests.PRESETS.items():
            out = self.path("lv2apply.wav")
            values = ports.port_values(host_tests.CONTROLS, settings)
            symbols = [p["symbol"] for p in host_tests.CONTROLS]
            lv2_plugin.lv2apply(uri, lv2_path, source, out, dict(zip(symbols, values)))
            self.assert_matches(wavfile.read(out), self.reference(source, settings), bits, None,
                                "lv2apply, " + name)


class PipeWire(RealHostCase):
    # A filter-chain in a private PipeWire daemon (pipewire_graph.py), with
    # each plugin and two settings. The source is recorded beside the
    # chain's output on the same clock, so the chain's own delay shows: it
    # must be whole cycles, and after it the output must be
    # vorel-render --no-compensate's of the played file, bit for bit.
    LEAD = 6 * pipewire_graph.QUANTUM  # silence before the sound: time for both links
    CASES = [("LADSPA", "masked ramp"), ("LADSPA", "long hold"), ("LV2", "masked ramp"),
             ("LV2", "defaults")]

    def chain(self, kind, settings):
        values = ports.port_values(host_tests.CONTROLS, settings)
        if kind == "LADSPA":
            names = [p["name"] for p in host_tests.CONTROLS]
            library = os.path.join(host_tests.PLUGIN_DIR, "libvorel.so")
            return pipewire_graph.ladspa_node(library, "vorel", dict(zip(names, values))), {}
        uri, lv2_path = self.lv2()
        symbols = [p["symbol"] for p in host_tests.CONTROLS]
        return pipewire_graph.lv2_node(uri, dict(zip(symbols, values))), {"LV2_PATH": lv2_path}

    def test_filter_chain_renders_like_the_raw_render_after_whole_cycles(self):
        rate, cycle = pipewire_graph.RATE, pipewire_graph.QUANTUM
        sound = test_signals.music(rate, rate, seed=3)
        self.assertNotEqual(sound[0], 0.0)
        source = self.path("played.wav")
        wavfile.write(source, rate, [[0.0] * self.LEAD + sound + [0.0] * (4 * cycle)])
        played = wavfile.read(source).channels[0]
        for kind, preset in self.CASES:
            label = "PipeWire, %s, %s" % (kind, preset)
            node, env = self.chain(kind, host_tests.PRESETS[preset])
            out = self.path("recorded.wav")
            with pipewire_graph.PrivatePipeWire(self.dir, node, env) as pipewire:
                pipewire.play_through(source, out)
            dry, wet = wavfile.read(out).channels
            # Where the sound went out, and the played file's start.
            start = next(i for i, v in enumerate(dry) if v != 0.0) - self.LEAD
            self.assertGreaterEqual(start, 0, label)
            self.assertTrue(same_bits(dry[start:start + len(played)], played),
                            label + ": the source as played")
            want = self.render(played, rate, ["--no-compensate",
                                              *ports.render_options(host_tests.CONTROLS,
                                                                    host_tests.PRESETS[preset])])
            found = [k for k in range(8) if same_bits(wet[start + k * cycle:][:len(played)],
                                                        want.channels[0])]
            self.assertTrue(found, label + ": no whole-cycle delay after which the output is "
                            "vorel-render's")
            print("%s: the chain's own delay is %d cycles" % (label, found[0]), file=sys.stderr)


class Lmms(RealHostCase):
    # LMMS 1.2 renders a sample track with the LADSPA plugin in its effect
    # chain (lmms_project.py) at -x 1, with linked channels and with each
    # channel set apart: every channel is vorel-render --no-compensate's
    # output with its settings, bit for bit, apart from subnormal samples:
    # LMMS's threads flush them to zero, of either sign as the plugin's own
    # flushed state decays.
    CASES = [("masked ramp", "masked ramp"), ("long hold", "defaults")]

    @staticmethod
    def lmms_view(v):
        return [0.0, -0.0] if abs(v) < host_tests.FLT_MIN else [v]

    def test_sample_track_renders_like_the_raw_render(self):
        rate = 44100
        source = self.path("sample.wav")
        wavfile.write(source, rate, [test_signals.music(rate, rate, seed=5) + [0.0] * 22050])
        sample = wavfile.read(source).channels[0]
        for presets in self.CASES:
            label = "LMMS, %s / %s" % presets
            settings = [host_tests.PRESETS[name] for name in presets]
            values = [ports.port_values(host_tests.CONTROLS, s) for s in settings]
            out = lmms_project.render(self.dir, source, values, host_tests.PLUGIN_DIR, bars=1)
            got = wavfile.read(out)
            self.assertEqual((got.encoding, got.rate, len(got.channels)), ("float", rate, 2))
            frames = got.frames()
            self.assertGreaterEqual(frames, len(sample) + 1024, label)
            padded = sample + [0.0] * (frames - len(sample))
            want = [self.render(padded, rate, ["--no-compensate",
                                               *ports.render_options(host_tests.CONTROLS, s)])
                    for s in settings]
            self.assert_matches(got, wavfile.Wav(rate, "float", [w.channels[0] for w in want]),
                                self.lmms_view, None, label)


def same_bits(got, want):
    return len(got) == len(want) and all(
        struct.pack("<f", a) == struct.pack("<f", b) for a, b in zip(got, want))


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--render", required=True)
    parser.add_argument("--ladspa-dir", required=True)
    parser.add_argument("--port-table", required=True)
    parser.add_argument("--lv2-path")
    parser.add_argument("--lv2-uri")
    parser.add_argument("--vst3-bundle")
    global OPTIONS
    OPTIONS, rest = parser.parse_known_args()
    host_tests.RENDER = os.path.abspath(OPTIONS.render)
    host_tests.PLUGIN_DIR = os.path.abspath(OPTIONS.ladspa_dir)
    host_tests.CONTROLS = ports.load_controls(OPTIONS.port_table)
    if OPTIONS.lv2_path:
        OPTIONS.lv2_path = os.path.abspath(OPTIONS.lv2_path)
    if OPTIONS.vst3_bundle:
        OPTIONS.vst3_bundle = os.path.abspath(OPTIONS.vst3_bundle)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()

"""LMMS rendering a project from the command line, headless: one sample
track playing a WAV file, with the LADSPA plugin in the track's effect
chain.

LMMS runs a mono LADSPA plugin as two instances, one per stereo channel,
with linked controls, and keeps both sets of values in the project (port00
to port05, port10 to port15): a file with only one set loads with the
controls at their defaults. LMMS stops an effect whose output has stayed
quiet for a moment; a stopped plugin is fed nothing, so its frames would
no longer line up with vorel-render's. The configuration in LMMS's own HOME
keeps effects running. As root LMMS needs --allowroot, and with no display
Qt's offscreen platform."""

import os
import subprocess

# Ticks of a 4/4 bar; at 120 BPM a bar lasts 2 seconds.
BAR = 192

CONFIG = """<?xml version="1.0"?>
<!DOCTYPE lmms-config-file>
<lmms version="1.2.2">
  <ui disableautoquit="1"/>
</lmms>
"""

PROJECT = """<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project version="1.0" creator="LMMS" creatorversion="1.2.2" type="song">
  <head timesig_numerator="4" timesig_denominator="4" bpm="120" mastervol="100" masterpitch="0"/>
  <song>
    <trackcontainer type="song">
      <track type="2" name="Vorel" muted="0" solo="0">
        <sampletrack vol="100" pan="0" fxch="0">
          <fxchain numofeffects="1" enabled="1">
            <effect name="ladspaeffect" on="1" wet="1" gate="0" autoquit="1">
              <ladspacontrols link="%(link)d" ports="%(ports)d">
%(controls)s
              </ladspacontrols>
              <key>
                <attribute name="file" value="libvorel"/>
                <attribute name="plugin" value="vorel"/>
              </key>
            </effect>
          </fxchain>
        </sampletrack>
        <sampletco pos="0" len="%(length)d" muted="0" src="%(sample)s"/>
      </track>
    </trackcontainer>
  </song>
</lmms-project>
"""


def render(workdir, sample, channels, plugin_dir, bars):
    """Renders bars bars of the project with sample on the track and the
    plugin's six control values (port order) for each of the two channels,
    linked when they are equal, as 32-bit float WAV at the sample's rate of
    44.1 kHz with no oversampling; returns the output's path."""
    home = os.path.join(workdir, "lmms-home")
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, ".lmmsrc.xml"), "w") as f:
        f.write(CONFIG)
    link = int(channels[0] == channels[1])
    # As LMMS 1.2.2 saves them, whatever the ports' hints: the first
    # channel's controls carry the link.
    controls = ['                <port0%d data="%s" link="%d"/>' % (port, value, link)
                for port, value in enumerate(channels[0])]
    controls += ['                <port1%d data="%s"/>' % (port, value)
                 for port, value in enumerate(channels[1])]
    project = os.path.join(workdir, "vorel.mmp")
    with open(project, "w") as f:
        f.write(PROJECT % {"link": link, "ports": len(controls), "controls": "\n".join(controls),
                           "length": bars * BAR, "sample": sample})
    out = os.path.join(workdir, "lmms.wav")
    env = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen", LADSPA_PATH=plugin_dir)
    args = ["lmms", "--allowroot", "render", project, "--output", out, "--format", "wav",
            "--float", "--samplerate", "44100", "--oversampling", "1"]
    done = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=300)
    if done.returncode != 0 or not os.path.exists(out):
        raise AssertionError("%s\n%s%s" % (" ".join(args), done.stdout, done.stderr))
    return out

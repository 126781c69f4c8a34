"""The VST3 bundle and the CLAP module as the hosts' own scanners see them,
one case per host: Ardour's VST3 scanner and Qtractor's plugin scanner must
find the plugin with its ID, two audio inputs and two outputs, and (Qtractor)
its parameters. Used on the build and on the installed package. A case that
cannot run here says why; with none run, the exit status is 77.

Usage: plugin_scanners.py IDENTITY_H VST3_BUNDLE CLAP_MODULE [CASE...]
"""

import glob
import os
import platform
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "support")]
import ardour_session  # noqa: E402

# The six controls, the mix and the bypass.
PARAMETERS = 8
# The exit status when no case could run: CTest's SKIP_RETURN_CODE.
SKIPPED = 77


def identity(path):
    """The #define'd strings of the generated identity header."""
    with open(path) as f:
        return dict(re.findall(r'^#define (VOREL_\w+) "([^"]*)"$', f.read(), re.M))


def run(command, stdin=None, env=None):
    done = subprocess.run(command, input=stdin, env=env, capture_output=True, text=True,
                          timeout=120)
    return done.returncode, done.stdout + done.stderr


def ardour_vst3(ids, vst3, clap):
    """Ardour's scanner prints its cache entry: the class ID, name and buses."""
    ardour = ardour_session.installed()
    if ardour is None:
        return False, ["ardour-vst3-scanner"], "no Ardour here: install Debian's ardour"
    command = [ardour.vst3_scanner, "-v", "-f", vst3]
    with tempfile.TemporaryDirectory() as home:
        code, out = run(command, env=ardour.scanner_env(dict(os.environ, HOME=home)))
    want = '<VST3Info uid="%s" name="%s" .*n_inputs="2" n_outputs="2"' % (
        ids["VOREL_VST3_CLASS_ID"], ids["VOREL_PLUGIN_NAME"])
    return code == 0 and re.search(want, out) is not None, command, out


def qtractor_scanner():
    """Where Debian puts it: /usr/lib/<multiarch triplet>/qtractor/."""
    found = glob.glob("/usr/lib/*/qtractor/qtractor_plugin_scan")
    return found[0] if found else "qtractor_plugin_scan (not installed)"


def qtractor(ids, kind, path, parameters):
    """Qtractor's scanner reads KIND:PATH and prints
    KIND|name|audio ins:outs|midi|controls in:out|flags|path|index|ID."""
    scanner = qtractor_scanner()
    code, out = run([scanner], stdin="%s:%s\n" % (kind, path))
    found = re.search(r"^%s\|%s\|2:2\|0:0\|(\d+):\d+\|[^|]*\|%s\|0\|" % (
        kind, re.escape(ids["VOREL_PLUGIN_NAME"]), re.escape(path)), out, re.M)
    return code == 0 and found is not None and parameters(int(found.group(1))), \
        [scanner, "<<< %s:%s" % (kind, path)], out


def qtractor_clap(ids, vst3, clap):
    return qtractor(ids, "CLAP", clap, lambda n: n == PARAMETERS)


def qtractor_vst3(ids, vst3, clap):
    """Where this Qtractor was built with VST3 (Debian 13's, not 12's); DPF
    adds parameters of its own beside the plugin's."""
    with open(qtractor_scanner(), "rb") as f:
        if b"VST3|" not in f.read():
            return None, [], "this Qtractor was built without VST3"
    module = os.path.join(vst3, "Contents", platform.machine() + "-linux", "vorel.so")
    return qtractor(ids, "VST3", module, lambda n: n >= PARAMETERS)


CASES = {"ArdourVst3": ("Ardour's VST3 scanner", ardour_vst3),
         "QtractorClap": ("Qtractor's CLAP scanner", qtractor_clap),
         "QtractorVst3": ("Qtractor's VST3 scanner", qtractor_vst3)}


def main():
    ids = identity(sys.argv[1])
    vst3, clap = os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    failed = skipped = 0
    names = sys.argv[4:] or list(CASES)
    for name in names:
        title, case = CASES[name]
        ok, command, out = case(ids, vst3, clap)
        if ok is None:
            print("%s: skipped: %s" % (title, out))
            skipped += 1
            continue
        print("%s: %s\n$ %s\n%s" % (title, "found" if ok else "FAILED", " ".join(command),
                                     out.strip()))
        failed += not ok
    if failed:
        return 1
    return SKIPPED if skipped == len(names) else 0


if __name__ == "__main__":
    sys.exit(main())

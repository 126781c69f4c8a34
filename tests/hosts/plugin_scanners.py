"""The VST3 bundle and the CLAP module as the hosts' own scanners see them,
one case per host: Ardour's VST3 scanner and Qtractor's plugin scanner must
find the plugin with its ID, two audio inputs and two outputs, and (Qtractor)
its parameters. Used on the build and on the installed package.

Usage: plugin_scanners.py IDENTITY_H VST3_BUNDLE CLAP_MODULE
"""

import os
import re
import subprocess
import sys
import tempfile

# The six controls, the mix and the bypass.
PARAMETERS = 8


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
    scanner = "/usr/lib/ardour7/ardour-vst3-scanner"
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, LD_LIBRARY_PATH="/usr/lib/ardour7")
        code, out = run([scanner, "-v", "-f", vst3], env=env)
    want = '<VST3Info uid="%s" name="%s" .*n_inputs="2" n_outputs="2"' % (
        ids["VOREL_VST3_CLASS_ID"], ids["VOREL_PLUGIN_NAME"])
    return code == 0 and re.search(want, out) is not None, [scanner, "-v", "-f", vst3], out


def qtractor_clap(ids, vst3, clap):
    """Qtractor's scanner prints name|audio ins:outs|midi|controls in:out|..."""
    arch = subprocess.run(["dpkg-architecture", "-qDEB_HOST_MULTIARCH"], capture_output=True,
                          text=True).stdout.strip()
    scanner = "/usr/lib/%s/qtractor/qtractor_plugin_scan" % arch
    code, out = run([scanner], stdin="CLAP:%s\n" % clap)
    want = r"^CLAP\|%s\|2:2\|0:0\|%d:0\|[^|]*\|%s\|0\|" % (
        re.escape(ids["VOREL_PLUGIN_NAME"]), PARAMETERS, re.escape(clap))
    return code == 0 and re.search(want, out, re.M) is not None, [scanner, "<<< CLAP:" + clap], out


CASES = [("Ardour 7 VST3 scanner", ardour_vst3), ("Qtractor CLAP scanner", qtractor_clap)]


def main():
    ids = identity(sys.argv[1])
    vst3, clap = os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    failed = 0
    for name, case in CASES:
        ok, command, out = case(ids, vst3, clap)
        print("%s: %s\n$ %s\n%s" % (name, "found" if ok else "FAILED", " ".join(command),
                                     out.strip()))
        failed += not ok
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

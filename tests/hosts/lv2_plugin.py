"""An LV2 plugin as lilv's command-line tools see it, found through LV2_PATH:
its control input symbols in port order (lv2info) and renders of a file
(lv2apply)."""

import os
import subprocess


def env_with(lv2_path):
    return dict(os.environ, LV2_PATH=lv2_path)


def control_input_symbols(uri, lv2_path):
    """Symbols of the plugin's control input ports, in port index order."""
    done = subprocess.run(["lv2info", uri], env=env_with(lv2_path), capture_output=True,
                          text=True, timeout=60)
    if done.returncode != 0 or not done.stdout.startswith(uri):
        raise AssertionError("lv2info does not find %s in %s:\n%s"
                             % (uri, lv2_path, done.stderr))
    symbols = []
    for block in done.stdout.split("\n\tPort ")[1:]:
        types = block.split("Symbol:")[0]
        if "#ControlPort" in types and "#InputPort" in types:
            symbols.append(block.split("Symbol:")[1].split()[0])
    return symbols


def lv2apply(uri, lv2_path, source, out, controls):
    """Renders source to out through the plugin with lv2apply, which keeps
    the input file's format, runs the plugin one frame per call and writes
    its output as it comes (no latency compensation). controls maps port
    symbols to values."""
    args = ["lv2apply", "-i", source, "-o", out]
    for symbol, value in controls.items():
        args += ["-c", symbol, repr(float(value))]
    done = subprocess.run(args + [uri], env=env_with(lv2_path), capture_output=True,
                          text=True, timeout=600)
    if done.returncode != 0:
        raise AssertionError("%s\n%s" % (" ".join(args), done.stderr))

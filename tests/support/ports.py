"""The plugin's control ports for the test scripts: the port table as the
build writes it (port_table.json, from the same C++ table the plugin is
built from) and vorel-render's option for each control."""

import json
import os
import sys

# vorel-render's option for each control, by port symbol.
RENDER_OPTIONS = {
    "hold": "--sh",
    "gain": "--gain",
    "direction": "--direction",
    "bitmask": "--bitmask",
    "amp_mod": "--amp-mod",
    "process_type": "--process",
}


def load_controls(path):
    """The control inputs in port order, each a dict of the table's fields."""
    with open(path) as f:
        return [p for p in json.load(f) if p["kind"] == "control_input"]


def by_symbol(controls):
    return {p["symbol"]: p for p in controls}


def port_values(controls, settings):
    """The value of every control in port order, as a host sets them:
    settings (by symbol) over the defaults, formatted as numbers."""
    return ["%g" % settings.get(p["symbol"], p["default"]) for p in controls]


def render_options(controls, settings):
    """vorel-render's options for the same settings: the number, or the
    name of the value for a control that chooses between named values."""
    ports = by_symbol(controls)
    options = []
    for symbol, value in settings.items():
        names = {point["value"]: point["label"] for point in ports[symbol]["scale_points"]}
        options += [RENDER_OPTIONS[symbol], names.get(value, "%g" % value)]
    return options


def script_arguments(usage):
    """The arguments every host script takes: vorel-render, the plugin
    directory and the port table, then unittest's own."""
    if len(sys.argv) < 4:
        sys.exit(usage)
    return (os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
            load_controls(sys.argv[3]), [sys.argv[0], *sys.argv[4:]])

#!/usr/bin/env python3
"""Where the run callback's instructions go, function by function.

Runs a build's bench/vorel-run-count under qemu-user with the block profile
of scripts/qemu-insn-profile.c at two lengths and prints, for each function
of the plugin library (and "outside" for the C library and the harness), its
instructions a sample: the difference of the two runs over the difference in
samples, so that loading and set-up cancel, as scripts/count-instructions.sh
does for the whole. Functions inlined into others count as their caller.

Usage: scripts/profile-instructions.py BUILD-DIR QEMU [QEMU-OPTIONS...] [-- SAMPLE_HOLD BITMASK]
  e.g. scripts/profile-instructions.py build-arm-linux-gnueabihf qemu-arm -- 4 0.5
"""
import bisect
import os
import re
import subprocess
import sys
import tempfile

SHORT, LONG = 131072, 262144

# The units the functions belong to, first match wins; what the compiler
# inlined into the frame step (the window product, the magnitude sums, the
# level ratio) counts as the frame step.
UNITS = [
    ("extended steps", r"TExtended|Extended|Widen|Narrow"),
    ("transform", r"TFFTReal|Pass|Stage|Interleaved|Natural|fftreal|butterfly|JoinBlock|SplitBlock"),
    ("walk", r"TBinWalk|Walk|HeldPair"),
    ("overlap-add", r"OverlapAdd"),
    ("stabiliser", r"TStabilize|Filter"),
    ("control conversion", r"Controls|ControlValue|PortValue"),
    ("frame step (window, sums, level)", r"TQuantiser::FrameStep"),
    ("other in the plugin", r"."),
]


def unit_of(name):
    if name == "outside":
        return "outside the plugin (C library, harness)"
    return next(unit for unit, pattern in UNITS if re.search(pattern, name))


def nm_functions(library):
    """(address, name) of every function in the library, sorted."""
    out = subprocess.run(["llvm-nm", "-C", "-n", "--defined-only", library], check=True,
                         capture_output=True, text=True).stdout
    functions = []
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in "tTwW":
            # Thumb functions have the low bit of their address set.
            functions.append((int(parts[0], 16) & ~1, parts[2]))
    functions.sort()
    return functions


def profile(qemu, build, samples, controls, plugin):
    """Instructions by guest address of each block, and the library's base."""
    with tempfile.NamedTemporaryFile(suffix=".txt") as out:
        run = subprocess.run(qemu + ["-plugin", f"{plugin},out={out.name}", "-d", "plugin",
                                     f"{build}/bench/vorel-run-count", f"{build}/libvorel.so",
                                     str(samples)] + controls,
                             check=True, capture_output=True, text=True)
        base = int(re.search(r"^base (0x[0-9a-f]+)", run.stdout, re.M).group(1), 16)
        counts = {}
        for line in open(out.name):
            address, executed = line.split()
            counts[int(address, 16)] = counts.get(int(address, 16), 0) + int(executed)
    return base, counts


def by_function(counts, base, functions, size):
    starts = [a for a, _ in functions]
    totals = {}
    for address, executed in counts.items():
        offset = address - base
        i = bisect.bisect_right(starts, offset) - 1
        name = functions[i][1] if 0 <= offset < size and i >= 0 else "outside"
        totals[name] = totals.get(name, 0) + executed
    return totals


def main(argv):
    if "--" in argv:
        split = argv.index("--")
        argv, controls = argv[:split], argv[split + 1:]
    else:
        controls = []
    if len(argv) < 3:
        sys.exit(__doc__)
    build, qemu = argv[1], argv[2:]
    here = os.path.dirname(os.path.abspath(__file__))
    library = f"{build}/libvorel.so"
    with tempfile.TemporaryDirectory() as scratch:
        plugin = f"{scratch}/qemu-insn-profile.so"
        subprocess.run(["gcc", "-O2", "-shared", "-fPIC", "-o", plugin, f"{here}/qemu-insn-profile.c"],
                       check=True)
        functions = nm_functions(library)
        size = os.path.getsize(library)
        totals = []
        for n in (SHORT, LONG):
            base, counts = profile(qemu, build, n, controls, plugin)
            totals.append(by_function(counts, base, functions, size))
    names = set(totals[0]) | set(totals[1])
    per_sample = {n: (totals[1].get(n, 0) - totals[0].get(n, 0)) / (LONG - SHORT) for n in names}
    whole = sum(per_sample.values())
    print(f"{whole:8.1f}  whole run callback")
    units = {}
    for name, cost in per_sample.items():
        units[unit_of(name)] = units.get(unit_of(name), 0) + cost
    for unit, cost in sorted(units.items(), key=lambda item: -item[1]):
        print(f"{cost:8.1f}    {unit}")
    print("by function:")
    for name, cost in sorted(per_sample.items(), key=lambda item: -item[1]):
        if abs(cost) >= 0.05:
            print(f"{cost:8.1f}    {name}")


if __name__ == "__main__":
    main(sys.argv)

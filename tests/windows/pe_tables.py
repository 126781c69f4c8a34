#!/usr/bin/env python3
"""Reads each Windows module's import and export tables (objdump -p): a
module may import only DLLs every Windows has, so a host needs nothing of
mingw's beside it, and exports exactly its format's entry points.

Usage: pe_tables.py OBJDUMP MODULE=EXPORT[,EXPORT...]...
"""
import re
import subprocess
import sys

# Windows' own DLLs, the C runtime among them, as the modules link them.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "comdlg32.dll", "msvcrt.dll"}


def tables(objdump, module):
    text = subprocess.run([objdump, "-p", module], check=True, capture_output=True, text=True).stdout
    imports = {name.lower() for name in re.findall(r"^\s*DLL Name: (\S+)", text, re.M)}
    exports = set()
    in_names = False
    for line in text.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_names = True
        elif in_names and not line.strip():
            in_names = False
        elif in_names and line.lstrip().startswith("["):
            # "[   0] name", or "[   0] +base[   1]  0000 name" from newer
            # binutils, which put a column header above the entries.
            exports.add(line.split()[-1])
    return imports, exports


def main():
    objdump, cases = sys.argv[1], sys.argv[2:]
    failed = False
    for case in cases:
        module, wanted = case.split("=", 1)
        imports, exports = tables(objdump, module)
        foreign = sorted(imports - SYSTEM_DLLS)
        print(f"{module}: imports {', '.join(sorted(imports))}; exports {', '.join(sorted(exports))}")
        if foreign:
            print(f"  imports DLLs Windows lacks: {', '.join(foreign)}")
            failed = True
        if exports != set(wanted.split(",")):
            print(f"  exports should be exactly {wanted}")
            failed = True
        if not imports:
            print("  no import table read")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Runs the formulas of FORMULAS through the native tallyra-eval and the Windows one and
compares their answers line by line (see FORMULAS for its format and for which lines may
differ in their last two bits).

usage: cross_build_check.py FORMULAS NATIVE_EVAL WINDOWS_EVAL [EMULATOR]
"""
import itertools
import os
import struct
import subprocess
import sys

MAX_ULPS = 2


def read_formulas(path):
    """The formulas with their edge values put in, each with whether it may differ a little and
    the options it runs with."""
    edges, formulas, options = [], [], ("--precise",)
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("edges:"):
                edges = line.split()[1:]
                continue
            if line.startswith("shown:"):
                options = tuple(line.split()[1:])
                continue
            near = line.startswith("~")
            line = line.lstrip("~ ")
            for value in edges if "@" in line else [None]:
                formulas.append((line.replace("@", value) if value else line, near, options))
    return formulas


def run(command, formulas):
    """The answers, one run for each stretch of formulas with the same options."""
    answers = []
    for options, group in itertools.groupby(formulas, lambda f: f[2]):
        text = "".join(f + "\n" for f, _, _ in group)
        done = subprocess.run(command + list(options) + ["--seed", "1"], input=text.encode(),
                              stdout=subprocess.PIPE, timeout=600)
        answers += done.stdout.decode("utf-8").replace("\r\n", "\n").split("\n")[:-1]
    return answers


def ordered(x):
    """The double's position on a line of all doubles, so that neighbours differ by one."""
    bits = struct.unpack("<q", struct.pack("<d", x))[0]
    return bits if bits >= 0 else -(bits & 0x7FFFFFFFFFFFFFFF)


def within_ulps(a, b):
    try:
        return abs(ordered(float(a)) - ordered(float(b))) <= MAX_ULPS
    except ValueError:
        return False


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    formulas_path, native, windows = sys.argv[1:4]
    emulator = sys.argv[4:]
    if not os.access(native, os.X_OK):
        sys.exit(f"no native tallyra-eval at {native}: build the native tree first "
                 "or set TALLYRA_HOST_EVAL")
    formulas = read_formulas(formulas_path)
    native_out = run([native], formulas)
    windows_out = run(emulator + [windows], formulas)
    if len(native_out) != len(formulas) or len(windows_out) != len(formulas):
        sys.exit(f"{len(formulas)} formulas, but {len(native_out)} native and "
                 f"{len(windows_out)} Windows answers")
    near = 0
    differ = []
    for (formula, may_differ, _), a, b in zip(formulas, native_out, windows_out):
        if a == b:
            continue
        if may_differ and within_ulps(a, b):
            near += 1
        else:
            differ.append(f"{formula}\n    native  {a}\n    Windows {b}")
    print(f"{len(formulas)} formulas, {near} within {MAX_ULPS} units in the last place, "
          f"{len(differ)} different")
    if differ:
        print("\n".join(differ))
        sys.exit(1)


if __name__ == "__main__":
    main()

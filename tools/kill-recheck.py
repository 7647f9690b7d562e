#!/usr/bin/env python3
"""Applies each mutant a kill map (tools/kill-map.sh) saw killed to the tree
again and runs the killers of it that are still there: after a cut, each must
still fail one of them. Run from the source folder with the build configured.

usage: kill-recheck.py KILL_MAP_LOG PLACES [BUILD]
PLACES is the `mutation-sample --list` output of the kill map's sample, taken
on the commit the map was made on: it names each mutant's file and line, so
that a line found several times is the one nearest the place the sample
chose. A mutant whose line is no longer in its file is named and skipped."""
import os
import re
import subprocess
import sys

log, places_file = sys.argv[1], sys.argv[2]
build = sys.argv[3] if len(sys.argv) > 3 else "build"
places = [re.match(r"(\S+):(\d+): (.*)  ->  (.*)$", l.rstrip("\n")) for l in open(places_file)]
places = [m.groups() for m in places if m]  # in the sample's order, as the map's blocks
blocks = open(log).read().split("=== MUTANT\n")[1:]
listing = subprocess.run(["ctest", "--test-dir", build, "-N"], capture_output=True, text=True).stdout
now = set(re.findall(r"Test\s+#\d+: (\S+)", listing))


def run(command):
    return subprocess.run(command, shell=True, capture_output=True, text=True)


def read(path):
    with open(path, newline="", encoding="utf-8") as f:
        return f.read().split("\n")


def write(path, text):
    with open(path, "w", newline="", encoding="utf-8") as f:
        f.write("\n".join(text))


next_place = 0
for number, block in enumerate(blocks):
    lines = block.strip().split("\n")
    old = next((l[1:] for l in lines if l.startswith("-") and not l.startswith("---")), None)
    new = next((l[1:] for l in lines if l.startswith("+")), None)
    if old is None or new is None:
        print(f"#{number}: a block without its changed line")
        continue
    # The map's blocks follow the sample's order, less the mutants that did
    # not compile: the next place whose change is this block's.
    at_place = next((k for k in range(next_place, len(places))
                     if places[k][2:] == (old.strip(), new.strip())), None)
    if at_place is None:
        print(f"#{number}: no place of the sample changes {old.strip()[:60]}")
        continue
    next_place = at_place + 1
    path, line = places[at_place][0], int(places[at_place][1])
    if next(int(l.split()[2]) for l in lines if l.startswith("--- rc")) == 0:
        continue  # it survived before the cut
    names = [re.sub(r"^\d+:", "", l).split("  #")[0].strip() for l in lines if re.match(r"^\d+:", l)]
    killers = [n for n in names if n in now]
    text = read(path)
    found = [k for k, t in enumerate(text) if t == old]
    if not found or not killers:
        print(f"#{number} {path}:{line}: {'line gone' if not found else 'no killer left'}")
        continue
    at = min(found, key=lambda k: abs(k + 1 - line))
    try:
        write(path, text[:at] + [new] + text[at + 1:])
        if run(f"cmake --build {build}").returncode != 0:
            print(f"#{number} {path}:{at + 1}: does not compile now")
            continue
        # ctest names of parameterised cases go on with "  # GetParam() = ...".
        pattern = "|".join(re.sub(r"([.*+?\[\]()^$|\\])", r"\\\1", n) for n in killers)
        tests = run(f"ctest --test-dir {build} -j2 --timeout 180 --stop-on-failure -R '^({pattern})( |$)'")
        run(f"tools/pg-test-server.sh stop {build}/pg-test-server")
        failed = re.findall(r"\d+ - (\S+)", tests.stdout.split("tests FAILED:")[-1])
        if "No tests were found" in tests.stdout + tests.stderr:
            verdict = "no killer ran"
        else:
            verdict = f"killed by {failed[0]}" if tests.returncode and failed else "SURVIVES"
        print(f"#{number} {path}:{at + 1}: {verdict} ({len(killers)} killers left)", flush=True)
    finally:
        write(path, text)
run(f"cmake --build {build}")

#!/usr/bin/env python3
"""Which mutants of a kill map (tools/kill-map.sh) the tests listed now still
kill: a mutant stays killed when one of the tests that failed on it is still
there; one whose killers were all merged away is named, to be tried on the
test that took them in.
usage: kill-check.py KILL_MAP_LOG CTEST_N_OUTPUT (the output of `ctest -N` of the cut suite)"""
import re, sys
blocks = open(sys.argv[1]).read().split("=== MUTANT\n")[1:]
now = set()
for line in open(sys.argv[2]):
    m = re.match(r"\s*Test\s+#\d+: (\S+)", line)
    if m: now.add(m.group(1))
killed = kept = 0
for b in blocks:
    lines = b.strip().split("\n")
    change = " / ".join(l.strip() for l in lines if l.startswith(("-", "+")) and not l.startswith("---"))[:110]
    rc = next(int(l.split()[2]) for l in lines if l.startswith("--- rc"))
    names = [re.sub(r"^\d+:", "", l).split("  #")[0].strip() for l in lines if re.match(r"^\d+:", l)]
    if rc == 0:
        print("SURVIVED  ", change); continue
    killed += 1
    left = [n for n in names if n in now]
    kept += bool(left)
    print("killed %3d -> %3d  %s" % (len(names), len(left), change))
    if not left: print("   LOST; killers were:", names)
print("killed before: %d of %d; killed by a test that is still there: %d" % (killed, len(blocks), kept))

#!/usr/bin/env python3
"""Writes the seed corpus: for every plug-in, a few valid calls (mode 0 with a
random seed) and a few with one argument replaced. A seed starts with the
plug-in's name and a NUL byte, so it keeps pointing at its plug-in."""
import os
import random
import re
import sys

here = os.path.dirname(os.path.abspath(__file__))
catalogue = open(os.path.join(here, "..", "tests", "plugin_catalogue.cpp")).read()
names = sorted(set(re.findall(r'^\s+\{"([A-Za-z0-9]+)", \d', catalogue, re.M)))
out = os.path.join(here, "seeds")
os.makedirs(out, exist_ok=True)
for f in os.listdir(out):
    os.remove(os.path.join(out, f))
rng = random.Random(7)
for name in names:
    for k in range(4):
        seed = rng.getrandbits(64).to_bytes(8, "big")
        replace = bytes([255]) if k < 2 else bytes([k - 2]) + bytes(rng.getrandbits(8) for _ in range(24))
        with open(os.path.join(out, f"{name}-{k}"), "wb") as fh:
            fh.write(name.encode() + b"\0" + bytes([0]) + seed + replace)
print(f"{len(names)} plug-ins, {4 * len(names)} seeds", file=sys.stderr)

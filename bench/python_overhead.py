#!/usr/bin/env python3
"""Per-call cost of the plug-ins from Python on tiny inputs (n = 8), where
the transform itself takes a few nanoseconds and the time is the binding's:
argument conversion, the gateway's checks, the result's array. The peers
(scipy.fft, PyWavelets) are timed on the same inputs for scale.

Prints one line per case (median over repetitions of a timeit batch, in
microseconds per call) and, given a path, writes {"name": {"median_ns": t}}.
With --cpu the process's CPU time is measured instead of the wall clock: on
a machine shared with other work, wall-clock times of microseconds mostly
measure the waits for a processor.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_overhead.py [OUT.json] [--quick] [--cpu]
"""
import json
import os
import statistics
import sys
import time
import timeit
import warnings

os.environ.setdefault("OMP_NUM_THREADS", "1")
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")

import numpy as np  # noqa: E402

import tfmex  # noqa: E402

warnings.filterwarnings("ignore", category=UserWarning)  # pywt on a level too deep for 8 values

QUICK = "--quick" in sys.argv
TIMER = time.process_time if "--cpu" in sys.argv else time.perf_counter
REPEAT = 5 if QUICK else 15
NUMBER = 2000 if QUICK else 20000

# The plug-ins as tfmex.plugins has them (top-level names in older builds).
plugins = getattr(tfmex, "plugins", tfmex)

rng = np.random.default_rng(1)
x8 = rng.standard_normal(8)
col8 = rng.standard_normal((8, 1))
h4 = np.array([0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604])
h4_list = h4.tolist()

CASES = {
    "tfmex/CircSplit/8": lambda: plugins.CircSplit(x8, 1, h4),
    "tfmex/CircSplit/8/list-filter": lambda: plugins.CircSplit(x8, 1, h4_list),
    "tfmex/CircSplit/8x1": lambda: plugins.CircSplit(col8, 1, h4),
    "tfmex/CircJoin/8": lambda: plugins.CircJoin(x8, 1, h4),
    "tfmex/TrigC2/8": lambda: plugins.TrigC2(x8),
    "tfmex/TrigC4/8": lambda: plugins.TrigC4(x8),
    "tfmex/ShiftSplit/8": lambda: plugins.ShiftSplit(x8, 1, h4),
    "tfmex/HalveCoarse/8": lambda: plugins.HalveCoarse(x8, h4),
}
try:
    import scipy.fft as sfft
    CASES["scipy/dct2/8"] = lambda: sfft.dct(x8, type=2, norm="ortho", workers=1)
    CASES["scipy/dct4/8"] = lambda: sfft.dct(x8, type=4, norm="ortho", workers=1)
except ImportError:
    pass
try:
    import pywt
    CASES["pywt/dwt/8/4"] = lambda: pywt.dwt(x8, "db2", mode="periodization")
    CASES["pywt/wavedec/8/4"] = lambda: pywt.wavedec(x8, "db2", mode="periodization", level=2)
except ImportError:
    pass
CASES["numpy/copy/8"] = lambda: x8.copy()  # the floor of a call that makes an array


def main():
    out = [a for a in sys.argv[1:] if not a.startswith("--")]
    results = {}
    for name, fn in CASES.items():
        fn()
        samples = timeit.repeat(fn, number=NUMBER, repeat=REPEAT, timer=TIMER)
        ns = statistics.median(samples) / NUMBER * 1e9
        results[name] = {"median_ns": ns}
        print(f"{name:32s} {ns / 1000:8.3f} us")
    if out:
        with open(out[0], "w") as fh:
            json.dump(results, fh, indent=1)


if __name__ == "__main__":
    main()

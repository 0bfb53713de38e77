"""Times the Python peers of the plug-ins (PyWavelets, scipy.fft) and writes
their medians as JSON: {"name": {"median_ns": t, "reps": r}}.

Names: pywt/<function>/<size>/<taps> and scipy/<function>/<n>. Every timed
call runs in one thread. Each repetition times a batch of calls long enough
to measure; the median over repetitions is kept.

    /usr/bin/python3 bench/peers.py OUT.json [--quick]
"""
import json
import os
import statistics
import sys
import time
import warnings

os.environ.setdefault("OMP_NUM_THREADS", "1")
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")

import numpy as np  # noqa: E402
import pywt  # noqa: E402
import scipy.fft as sfft  # noqa: E402

# Full depth on long filters draws a warning about boundary effects, which
# periodization has not.
warnings.filterwarnings("ignore", category=UserWarning)

QUICK = "--quick" in sys.argv
SIGNAL = [1 << 10, 1 << 14, 1 << 17, 1 << 20]
IMAGE = [256, 1024, 2048]
WAVELETS = {2: "haar", 4: "db2", 8: "db4", 20: "db10"}
REPS = 3 if QUICK else 5
MIN_BATCH = 0.005 if QUICK else 0.02  # seconds per timed batch
BUDGET = 1.0 if QUICK else 3.0  # seconds per case at most, beyond one call

rng = np.random.default_rng(1)
results = {}


def timeit(name, fn):
    t0 = time.perf_counter()
    fn()  # warm up (plans, caches)
    once = time.perf_counter() - t0
    if once > BUDGET / 2:  # a slow case: its one call is the sample
        results[name] = {"median_ns": once * 1e9, "reps": 1}
        print(f"  {name}: {once * 1e3:.3f} ms (one call)", file=sys.stderr)
        return
    t0 = time.perf_counter()
    fn()
    once = time.perf_counter() - t0
    batch = max(1, int(MIN_BATCH / max(once, 1e-9)))
    reps = max(1, min(REPS, int(BUDGET / max(once * batch, 1e-9))))
    samples = []
    for _ in range(reps):
        t0 = time.perf_counter()
        for _ in range(batch):
            fn()
        samples.append((time.perf_counter() - t0) / batch)
    results[name] = {"median_ns": statistics.median(samples) * 1e9, "reps": reps}
    print(f"  {name}: {results[name]['median_ns'] / 1e6:.3f} ms", file=sys.stderr)


def packet_table(x, w):
    # Every node of every level, as the full packet table holds them.
    wp = pywt.WaveletPacket(x, w, mode="periodization", maxlevel=int(np.log2(len(x))))
    for level in range(1, wp.maxlevel + 1):
        wp.get_level(level, order="natural", decompose=True)
    return wp


def packet_leaves(x, w):
    wp = pywt.WaveletPacket(x, w, mode="periodization", maxlevel=int(np.log2(len(x))))
    return wp, [node.path for node in wp.get_level(wp.maxlevel, order="natural")]


def packet_rebuild(wp, paths, w, n):
    out = pywt.WaveletPacket(None, w, mode="periodization", maxlevel=wp.maxlevel)
    for p in paths:
        out[p] = wp[p].data
    return out.reconstruct(update=False)


def main():
    out_path = sys.argv[1]
    for n in SIGNAL:
        x = rng.standard_normal(n)
        J = int(np.log2(n))
        for m, w in WAVELETS.items():
            timeit(f"pywt/wavedec/{n}/{m}", lambda: pywt.wavedec(x, w, mode="periodization", level=J))
            c = pywt.wavedec(x, w, mode="periodization", level=J)
            timeit(f"pywt/waverec/{n}/{m}", lambda: pywt.waverec(c, w, mode="periodization"))
            # swt filters with the filter spread by 2^j at level j, so its full
            # depth costs grow with n^2, and the packet table builds one Python
            # object per node: both are timed on the shorter signals only.
            if n > (1 << 10 if QUICK else 1 << 14):
                continue
            timeit(f"pywt/swt/{n}/{m}", lambda: pywt.swt(x, w, level=J, trim_approx=True))
            s = pywt.swt(x, w, level=J, trim_approx=True)
            timeit(f"pywt/iswt/{n}/{m}", lambda: pywt.iswt(s, w))
            # The packet table builds one Python object per node: 2n nodes.
            timeit(f"pywt/packet/{n}/{m}", lambda: packet_table(x, w))
            wp, paths = packet_leaves(x, w)
            timeit(f"pywt/packet_rebuild/{n}/{m}", lambda: packet_rebuild(wp, paths, w, n))
        for t in (2, 3, 4):
            timeit(f"scipy/dct{t}/{n}", lambda: sfft.dct(x, type=t, norm="ortho", workers=1))
            timeit(f"scipy/dst{t}/{n}", lambda: sfft.dst(x, type=t, norm="ortho", workers=1))
    for n in IMAGE:
        X = rng.standard_normal((n, n))
        for m, w in WAVELETS.items():
            J = int(np.log2(n))
            timeit(f"pywt/wavedec2/{n}/{m}",
                   lambda: pywt.wavedec2(X, w, mode="periodization", level=J))
            c = pywt.wavedec2(X, w, mode="periodization", level=J)
            timeit(f"pywt/waverec2/{n}/{m}", lambda: pywt.waverec2(c, w, mode="periodization"))
    with open(out_path, "w") as f:
        json.dump({"versions": {"pywt": pywt.__version__, "numpy": np.__version__,
                                "scipy": __import__("scipy").__version__},
                   "results": results}, f, indent=1)


if __name__ == "__main__":
    main()

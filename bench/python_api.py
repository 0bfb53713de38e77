#!/usr/bin/env python3
"""The Pythonic functions of tfmex (tfmex.wavedec, tfmex.dct, ...) against
PyWavelets and scipy.fft in the same process, as ratios of times.

Each case times our call and the peer's call on the same input, in batches
long enough to measure, alternating ours and the peer's batch repetition
after repetition so that both see the same noise of a shared machine; the
ratio is median(ours) / median(peer): below 1 we are faster. Each row shows
the goal it is held to and whether it met it (ok / MISS); rows without a goal
are there for scale.

Both sides get the same explicit level (tfmex.max_level, which the script
checks against pywt.dwt_max_level), PyWavelets' periodization mode (the only
one with our lengths) and one thread.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_api.py [OUT.json] [--quick] [--cpu]

The threads' case is followed by their ceiling on this machine: the one-
thread call pinned to each of two processors, which on a virtual machine
need not run at the same speed.

--quick: fewer repetitions, shorter batches, every other size. --cpu: the
process's CPU time rather than the wall clock (which on a shared machine
counts the waits for a processor; it also counts both threads of workers=2,
so the threads' case is skipped under --cpu).
"""
import json
import os
import statistics
import sys
import time
import timeit
import warnings

# Large arrays are reused from the heap instead of being mapped afresh (and
# faulted in page by page) on every call, as bench/run has it for every
# benchmark. glibc reads these at start-up, hence the re-exec.
_MALLOC = {"MALLOC_MMAP_THRESHOLD_": "268435456", "MALLOC_TRIM_THRESHOLD_": "1073741824"}
if any(k not in os.environ for k in _MALLOC):
    os.environ.update({k: v for k, v in _MALLOC.items() if k not in os.environ})
    os.execv(sys.executable, [sys.executable] + sys.argv)
os.environ.setdefault("OMP_NUM_THREADS", "1")
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")

import numpy as np  # noqa: E402
import pywt  # noqa: E402
import scipy  # noqa: E402
import scipy.fft as sfft  # noqa: E402

import tfmex  # noqa: E402

# pywt warns of boundary effects at full depth on long filters, which
# periodization has not.
warnings.filterwarnings("ignore", category=UserWarning)

QUICK = "--quick" in sys.argv
CPU = "--cpu" in sys.argv
TIMER = time.process_time if CPU else time.perf_counter
REPEAT = 5 if QUICK else 11  # alternating pairs of batches per case
BATCH = 0.004 if QUICK else 0.015  # seconds per timed batch, at least one call
SIZES = list(range(6, 21, 2 if QUICK else 1))  # log2 n of the 1-D cases
WAVELETS = ["haar", "db4", "db10"]

rng = np.random.default_rng(1)
rows = []


def measure(ours, peer):
    """(median seconds per call of ours, of peer), batches alternating."""
    ours(), peer()  # warm up: plans, caches, the heap
    t0 = TIMER()
    ours()
    once = max(TIMER() - t0, 1e-7)
    number_ours = max(1, int(BATCH / once))
    t0 = TIMER()
    peer()
    once = max(TIMER() - t0, 1e-7)
    number_peer = max(1, int(BATCH / once))
    a, b = timeit.Timer(ours, timer=TIMER), timeit.Timer(peer, timer=TIMER)
    t_ours, t_peer = [], []
    for r in range(REPEAT):
        # Who goes first alternates too, so neither always follows the other.
        pair = ((a, number_ours, t_ours), (b, number_peer, t_peer))
        for timer, number, out in pair if r % 2 == 0 else pair[::-1]:
            out.append(timer.timeit(number) / number)
    return statistics.median(t_ours), statistics.median(t_peer)


def case(section, name, ours, peer, goal=None, speedup=False, unit=None):
    """One row: goal is the largest ratio that meets it (None: no goal); with
    speedup the row reports peer / ours, "times faster", and goal is the
    least speed-up that meets it."""
    t_ours, t_peer = measure(ours, peer)
    ratio = t_peer / t_ours if speedup else t_ours / t_peer
    met = None
    if goal is not None:
        met = ratio >= goal if speedup else ratio <= goal
    add_row(section, name, t_ours, t_peer, ratio, goal, speedup, met,
            unit or ("x faster" if speedup else ""))


def add_row(section, name, t_ours, t_peer, ratio, goal, speedup, met, unit):
    rows.append({"section": section, "name": name, "ours_ns": t_ours * 1e9,
                 "peer_ns": t_peer * 1e9, "ratio": ratio, "goal": goal, "speedup": speedup,
                 "met": met, "unit": unit})
    if speedup:  # threads gain only what the other processes leave of the cores
        rows[-1]["load"] = os.getloadavg()[0]
    print_row(rows[-1])


def print_row(r):
    if r["goal"] is None:
        goal, mark = "", ""
    else:
        goal = (">= " if r["speedup"] else "<= ") + f"{r['goal']:.2f}"
        mark = "ok" if r["met"] else "MISS"
    unit = r["unit"]
    note = f"  (load average {r['load']:.2f})" if "load" in r else ""
    print(f"  {r['name']:34s} {fmt(r['ours_ns']):>10s} {fmt(r['peer_ns']):>10s} "
          f"{r['ratio']:7.3f}{unit:9s} {goal:>8s}  {mark}{note}", flush=True)


def fmt(ns):
    if ns < 1e4:
        return f"{ns / 1e3:.2f} us"
    if ns < 1e7:
        return f"{ns / 1e6:.3f} ms"
    return f"{ns / 1e9:.3f} s"


def section(title, peer="peer"):
    print(f"\n{title}")
    print(f"  {'case':34s} {'ours':>10s} {peer:>10s} {'ratio':>7s}{'':9s} {'goal':>8s}")


def level_of(n, w):
    lv = tfmex.max_level(n, w)
    peer = pywt.dwt_max_level(n, pywt.Wavelet(w).dec_len)
    assert lv == peer, f"max_level({n}, {w}) = {lv}, pywt.dwt_max_level = {peer}"
    return lv


def same_shapes(ours, peer, what):
    """Both sides gave the same layout (a check that the levels agree)."""
    def shapes(c):
        return [tuple(np.shape(p)) if not isinstance(p, tuple) else tuple(np.shape(q) for q in p)
                for p in c]
    assert shapes(ours) == shapes(peer), f"{what}: {shapes(ours)} vs {shapes(peer)}"


def overhead():
    section("Per-call cost at n = 8 (a transform of a few nanoseconds: the call itself)")
    x = rng.standard_normal(8)
    case("overhead", "dct(8) vs scipy.fft.dct", lambda: tfmex.dct(x),
         lambda: sfft.dct(x, norm="ortho"), goal=1.5)
    case("overhead", "dct(8, workers=1) vs scipy", lambda: tfmex.dct(x, workers=1),
         lambda: sfft.dct(x, norm="ortho", workers=1))
    case("overhead", "wavedec(8, db2, 2) vs pywt", lambda: tfmex.wavedec(x, "db2", 2),
         lambda: pywt.wavedec(x, "db2", mode="periodization", level=2))
    c, pc = tfmex.wavedec(x, "db2", 2), pywt.wavedec(x, "db2", mode="periodization", level=2)
    case("overhead", "waverec(8, db2, 2) vs pywt", lambda: tfmex.waverec(c, "db2"),
         lambda: pywt.waverec(pc, "db2", mode="periodization"))


def wavelets_1d():
    for fn in ("wavedec", "waverec"):
        section(f"{fn} vs pywt.{fn} (periodization, full level), one signal", "pywt")
        for w in WAVELETS:
            for J in SIZES:
                n = 1 << J
                x = rng.standard_normal(n)
                lv = level_of(n, w)
                goal = 0.5 if w != "haar" and J >= 14 else 1.0
                if fn == "wavedec":
                    same_shapes(tfmex.wavedec(x, w, lv),
                                pywt.wavedec(x, w, mode="periodization", level=lv), w)
                    case(fn, f"{fn} {w} 2^{J}", lambda: tfmex.wavedec(x, w, lv),
                         lambda: pywt.wavedec(x, w, mode="periodization", level=lv), goal)
                else:
                    c = tfmex.wavedec(x, w, lv)
                    pc = pywt.wavedec(x, w, mode="periodization", level=lv)
                    assert pywt.waverec(pc, w, mode="periodization").shape == (n,)
                    case(fn, f"{fn} {w} 2^{J}", lambda: tfmex.waverec(c, w),
                         lambda: pywt.waverec(pc, w, mode="periodization"), goal)


def wavelets_2d():
    section("wavedec2 / waverec2 vs pywt (periodization, full level), db4, one image", "pywt")
    for n in (512, 2048):
        X = rng.standard_normal((n, n))
        lv = level_of(n, "db4")
        ours = tfmex.wavedec2(X, "db4", lv)
        pc = pywt.wavedec2(X, "db4", mode="periodization", level=lv)
        same_shapes(ours, pc, "wavedec2")
        case("wavedec2", f"wavedec2 db4 {n}^2", lambda: tfmex.wavedec2(X, "db4", lv),
             lambda: pywt.wavedec2(X, "db4", mode="periodization", level=lv), goal=0.3)
        case("wavedec2", f"waverec2 db4 {n}^2", lambda: tfmex.waverec2(ours, "db4"),
             lambda: pywt.waverec2(pc, "db4", mode="periodization"))
        del ours, pc


def batch():
    section("dct / dst on a 256 x 1024 batch along the last axis", "scipy")
    X = rng.standard_normal((256, 1024))
    for name, ours, peer, types in (("dct", tfmex.dct, sfft.dct, (2, 3, 4)),
                                    ("dst", tfmex.dst, sfft.dst, (2, 3))):
        for t in types:
            case("batch", f"{name}{t} 256x1024 vs scipy workers=1",
                 lambda: ours(X, t, workers=1),
                 lambda: peer(X, t, norm="ortho", workers=1), goal=1.0)
    XT = np.ascontiguousarray(X.T)  # the same signals, strided: along axis 0 of 1024 x 256
    case("batch", "dct 1024x256 along axis 0", lambda: tfmex.dct(XT, axis=0),
         lambda: sfft.dct(XT, norm="ortho", axis=0, workers=1))
    if not CPU:
        case("batch", "dct 256x1024 workers=2 vs 1", lambda: tfmex.dct(X, workers=2),
             lambda: tfmex.dct(X, workers=1), goal=1.7, speedup=True)
        case("batch", "(scipy workers=2 vs 1, for scale)",
             lambda: sfft.dct(X, norm="ortho", workers=2),
             lambda: sfft.dct(X, norm="ortho", workers=1), speedup=True)
        ceiling(lambda: tfmex.dct(X, workers=1))


def ceiling(one):
    """The most two threads can gain over one on this machine: the one-thread
    call timed on each of the first two processors alone (pinned), and
    t_fast * (1 / t_fast + 1 / t_slow), the gain of two threads that share
    the work perfectly over one on the faster processor. A virtual machine's
    processors need not run at the same speed."""
    if not hasattr(os, "sched_setaffinity"):
        return
    allowed = sorted(os.sched_getaffinity(0))
    if len(allowed) < 2:
        return
    times = []
    try:
        for cpu in allowed[:2]:
            os.sched_setaffinity(0, {cpu})
            times.append(statistics.median(measure(one, one)))  # both sides time the one call
    finally:
        os.sched_setaffinity(0, set(allowed))
    fast, slow = sorted(times)
    add_row("batch", f"(ceiling: one thread on cpu {allowed[0]}, {allowed[1]})", times[0],
            times[1], fast * (1 / fast + 1 / slow), None, True, None, " at most")


def trig():
    section("dct / dst vs scipy.fft (norm='ortho', workers=1), one signal", "scipy")
    for name, ours, peer, types in (("dct", tfmex.dct, sfft.dct, (2, 3, 4)),
                                    ("dst", tfmex.dst, sfft.dst, (2, 3))):
        for t in types:
            for J in SIZES:
                x = rng.standard_normal(1 << J)
                case("trig", f"{name}{t} 2^{J}", lambda: ours(x, t),
                     lambda: peer(x, t, norm="ortho", workers=1), goal=1.0)


def memory():
    """Transforms whose time at 2^20 values and above is mostly moving memory,
    against a copy of the same n doubles into a second array (reading n,
    writing n, as each of them does at least) in the same run: the ratio is
    the share of the copy's bandwidth the transform reaches."""
    section("memory-bound transforms vs a copy of n doubles (share of the copy bandwidth)",
            "copy")
    h = tfmex.filter("db4")
    for J in (20, 22):
        x = rng.standard_normal(1 << J)
        dst = np.empty_like(x)
        copy = lambda: np.copyto(dst, x)  # noqa: E731
        w = tfmex.plugins.CircSplit(x, 4, h)
        case("memory", f"CircSplit db4 2^{J}", lambda: tfmex.plugins.CircSplit(x, 4, h), copy,
             goal=0.5, speedup=True, unit=" of copy")
        case("memory", f"CircJoin db4 2^{J}", lambda: tfmex.plugins.CircJoin(w, 4, h), copy,
             goal=0.5, speedup=True, unit=" of copy")
        case("memory", f"dct2 2^{J}", lambda: tfmex.dct(x), copy, goal=0.5, speedup=True,
             unit=" of copy")


def load():
    try:
        return " ".join(f"{v:.2f}" for v in os.getloadavg())
    except OSError:
        return "?"


def main():
    out = [a for a in sys.argv[1:] if not a.startswith("--")]
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), "?") if os.path.exists("/proc/cpuinfo") else "?"
    print(f"tfmex {tfmex.__version__} against PyWavelets {pywt.__version__}, "
          f"scipy {scipy.__version__}, numpy {np.__version__}; {cpu}, {os.cpu_count()} cores")
    print(f"{'CPU' if CPU else 'wall-clock'} time, median of {REPEAT} alternating batches of "
          f">= {BATCH * 1e3:g} ms; ratio = ours / peer (< 1: faster); load average at start "
          f"{load()}")
    t0 = time.perf_counter()
    overhead()
    wavelets_1d()
    wavelets_2d()
    batch()
    trig()
    memory()
    missed = [r for r in rows if r["met"] is False]
    goals = [r for r in rows if r["met"] is not None]
    print(f"\n{len(goals) - len(missed)} of {len(goals)} goals met; load average at the end "
          f"{load()}; {time.perf_counter() - t0:.0f} s")
    if missed:
        print("missed: " + ", ".join(r["name"] for r in missed))
    if out:
        with open(out[0], "w") as fh:
            json.dump({"versions": {"tfmex": tfmex.__version__, "pywt": pywt.__version__,
                                    "scipy": scipy.__version__, "numpy": np.__version__},
                       "timer": "cpu" if CPU else "wall", "repeat": REPEAT, "rows": rows},
                      fh, indent=1)


if __name__ == "__main__":
    main()

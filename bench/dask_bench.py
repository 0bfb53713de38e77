#!/usr/bin/env python3
"""Throughput of a stack of images through CircSplit2: a serial loop in this
process against tfmex.dask on a LocalCluster of worker processes (loopback);
then through tfmex.wavedec2, one call on the whole stack against
tfmex.dask.apply('wavedec2', ...) on the same cluster.

Image i is drawn from a generator seeded with i, on the cluster's workers as
in the serial loop, so the two runs transform the same doubles; the results
are compared bit for bit. Times reported: the serial loop; the cluster with
the results kept on the workers (persist); the cluster with the results
gathered into this process (compute). --functions no skips wavedec2.

    PYTHONPATH=build/python /usr/bin/python3 bench/dask_bench.py [--images 256] [--size 512]

Large arrays are reused from the heap rather than mapped afresh (and faulted
in page by page) for every image, in this process and in the workers alike,
as bench/run does for every benchmark: without it, page faults dominate.
"""
import argparse
import os
import sys
import time

import numpy as np
import dask.array as da
from distributed import Client, LocalCluster, wait

import tfmex
import tfmex.dask
import tfmex.filters

D4 = tfmex.filters.filter("db2").tolist()


def image(i, n):
    return np.random.default_rng(i).standard_normal((n, n))


def image_block(block, n, block_info=None):
    start = block_info[None]["array-location"][0][0]
    return np.stack([image(start + k, n) for k in range(block.shape[0])])


def leaves(coeffs):
    """The arrays of wavedec2's [cA, (cH, cV, cD), ...], in order."""
    return [coeffs[0]] + [d for level in coeffs[1:] for d in level]


HEAP_REUSE = {"MALLOC_MMAP_THRESHOLD_": "268435456", "MALLOC_TRIM_THRESHOLD_": "1073741824"}


def timed(client, lazy, repeat, gather):
    """Seconds to compute `lazy` keeping the results on the workers, and
    seconds to gather them (gather()), `repeat` times each; the last result."""
    persist_times, compute_times = [], []
    for _ in range(repeat):
        t0 = time.perf_counter()
        kept = client.persist(lazy)
        wait(kept)
        persist_times.append(time.perf_counter() - t0)
        del kept
        t0 = time.perf_counter()
        result = gather()
        compute_times.append(time.perf_counter() - t0)
    return persist_times, compute_times, result


def main():
    if any(k not in os.environ for k in HEAP_REUSE):
        # glibc reads these at start-up: run again with them (workers inherit them)
        os.execve(sys.executable, [sys.executable] + sys.argv, {**os.environ, **HEAP_REUSE})
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--images", type=int, default=256)
    ap.add_argument("--size", type=int, default=512)
    ap.add_argument("--level", type=int, default=0, help="coarse level L (0: full depth)")
    ap.add_argument("--chunk", type=int, default=8, help="images per dask chunk")
    ap.add_argument("--workers", type=int, default=2)
    ap.add_argument("--repeat", type=int, default=3, help="runs of each; the best is reported")
    ap.add_argument("--functions", choices=("yes", "no"), default="yes",
                    help="also time tfmex.wavedec2 and tfmex.dask.apply('wavedec2')")
    a = ap.parse_args()
    k, n = a.images, a.size
    mb = k * n * n * 8 / 1e6

    stack = np.stack([image(i, n) for i in range(k)])
    serial_times = []
    for _ in range(a.repeat):
        t0 = time.perf_counter()
        serial = np.stack([tfmex.CircSplit2(im, a.level, D4) for im in stack])
        serial_times.append(time.perf_counter() - t0)
    level = n.bit_length() - 1 - a.level  # the levels below the coarse level L
    functions = a.functions == "yes"
    serial2_times = []
    for _ in range(a.repeat if functions else 0):
        t0 = time.perf_counter()
        serial2 = leaves(tfmex.wavedec2(stack, "db2", level=level))
        serial2_times.append(time.perf_counter() - t0)
    del stack

    with LocalCluster(n_workers=a.workers, threads_per_worker=1, processes=True,
                      host="127.0.0.1", dashboard_address="127.0.0.1:0",
                      worker_dashboard_address="127.0.0.1:0") as cluster, \
            Client(cluster) as client:
        lazy_stack = da.map_blocks(image_block, da.zeros((k, n, n), chunks=(a.chunk, n, n)), n,
                                   dtype=np.float64)
        lazy_stack = client.persist(lazy_stack)
        wait(lazy_stack)
        lazy = tfmex.dask.images("CircSplit2", lazy_stack, a.level, D4)
        persist_times, compute_times, result = timed(client, lazy, a.repeat,
                                                     lambda: lazy.compute())
        same = result.shape == serial.shape and result.tobytes() == serial.tobytes()
        del result
        persist2_times, compute2_times, same2 = [], [], True
        if functions:
            lazy2 = leaves(tfmex.dask.apply("wavedec2", lazy_stack, "db2", level=level))
            persist2_times, compute2_times, result2 = timed(
                client, lazy2, a.repeat, lambda: client.compute(lazy2, sync=True))
            same2 = all(r.shape == s.shape and np.array_equal(r, s)
                        for r, s in zip(result2, serial2))

    def line(what, t):
        return f"  {what:<44} {t:8.3f} s  {k / t:8.1f} images/s  {mb / t:8.1f} MB/s"

    print(f"CircSplit2, {k} images {n} x {n} ({mb:.0f} MB), L = {a.level}, 4-tap filter; "
          f"best of {a.repeat}")
    print(line("serial loop, one process", min(serial_times)))
    print(line(f"LocalCluster {a.workers} x 1 thread, kept on workers", min(persist_times)))
    print(line(f"LocalCluster {a.workers} x 1 thread, gathered", min(compute_times)))
    print(f"  results identical to the serial loop: {'yes' if same else 'NO'}")
    if functions:
        print(f"wavedec2, the same images, level {level}, 'db2'; best of {a.repeat}")
        print(line("one call on the stack, one process", min(serial2_times)))
        print(line(f"tfmex.dask.apply, {a.workers} x 1 thread, kept", min(persist2_times)))
        print(line(f"tfmex.dask.apply, {a.workers} x 1 thread, gathered", min(compute2_times)))
        print(f"  results identical to the call on the stack: {'yes' if same2 else 'NO'}")
    if not (same and same2):
        raise SystemExit(1)


if __name__ == "__main__":
    main()

"""tfmex.dask: a plug-in across a dask array gives the bytes of the serial
loop, on a LocalCluster of two worker processes (loopback only) and on the
threaded scheduler; refused calls fail before any graph runs."""
import numpy as np
import pytest

import dask
import dask.array as da
from distributed import Client, LocalCluster

import tfmex
import tfmex.dask as tdask

H4 = [0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604]
rng = np.random.default_rng(3)


def same_bits(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


@pytest.fixture(scope="module")
def client():
    cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                           host="127.0.0.1", dashboard_address=None)
    with Client(cluster) as c:
        yield c
    cluster.close()


def cases():
    stack = rng.standard_normal((10, 32, 32))
    signals = rng.standard_normal((64, 23))
    batch = rng.standard_normal((11, 64))
    h8 = rng.standard_normal(8)
    out = []
    for name in ("CircSplit2", "CircJoin2"):
        serial = np.stack([getattr(tfmex, name)(im, 2, H4) for im in stack])
        out.append((name, tdask.images(name, da.from_array(stack, chunks=(3, 16, 32)), 2, H4), serial))
    for name, args in (("CircSplit", (3, H4)), ("CircJoin", (1, h8)),
                       ("DualSplit", (1, rng.standard_normal(5), rng.standard_normal(3)))):
        serial = getattr(tfmex, name)(signals, *args)
        out.append((name, tdask.apply(name, da.from_array(signals, chunks=(16, 5)), *args), serial))
    for name, args in (("TrigC4", ()), ("TrigS2", ()), ("HalveDetail", (H4,)), ("GrowCoarse", (h8,))):
        serial = np.stack([getattr(tfmex, name)(s, *args)[0] for s in batch])
        out.append((name, tdask.apply(name, da.from_array(batch, chunks=(3, 32)), *args), serial))
    row = rng.standard_normal((1, 64))  # one row is one signal, never split
    out.append(("CircSplit row", tdask.columns("CircSplit", da.from_array(row, chunks=(1, 8)), 2, H4),
                tfmex.CircSplit(row, 2, H4)))
    for split, join, arg in (("PacketSplit", "PacketJoin", 3), ("ShiftSplit", "ShiftJoin", 2),
                             ("BellSplit", "BellJoin", 2)):
        split_args = (arg, H4) if split != "BellSplit" else (arg, 0)
        join_args = (H4,) if join != "BellJoin" else ()
        tables = np.stack([getattr(tfmex, split)(s, *split_args) for s in batch])
        back = np.stack([getattr(tfmex, join)(t, *join_args)[0] for t in tables])
        lazy = tdask.tables(split, da.from_array(batch, chunks=(4, 64)), *split_args)
        out.append((split, lazy, tables))
        out.append((join, tdask.tables(join, lazy, *join_args), back))
    return out


def test_cluster_gives_the_serial_loops_bytes(client):
    assert len(client.scheduler_info()["workers"]) == 2
    work = cases()
    results = client.compute([lazy for _, lazy, _ in work], sync=True)
    wrong = [name for (name, _, serial), got in zip(work, results) if not same_bits(got, serial)]
    assert wrong == []


def test_threads_give_the_serial_loops_bytes():
    work = cases()
    with dask.config.set(scheduler="threads", num_workers=4):
        results = dask.compute(*[lazy for _, lazy, _ in work])
    wrong = [name for (name, _, serial), got in zip(work, results) if not same_bits(got, serial)]
    assert wrong == []


def test_shapes_and_chunks_are_known_before_computing():
    lazy = tdask.tables("PacketSplit", da.zeros((9, 32), chunks=(4, 32)), 2, H4)
    assert lazy.shape == (9, 32, 3) and lazy.chunks[0] == (4, 4, 1)
    lazy = tdask.images("CircSplit2", da.zeros((5, 16, 16), chunks=(2, 16, 16)), 1, H4)
    assert lazy.shape == (5, 16, 16) and lazy.chunks[0] == (2, 2, 1)


def test_refused_calls_fail_before_the_graph_runs():
    with pytest.raises(ValueError, match="^CircSplit requires dyadic length$"):
        tdask.columns("CircSplit", da.zeros((12, 4)), 1, H4)
    with pytest.raises(ValueError, match="^CircSplit2 requires a square array$"):
        tdask.images("CircSplit2", da.zeros((3, 8, 4)), 1, H4)
    with pytest.raises(TypeError, match="^CircJoin requires real double arguments$"):
        tdask.columns("CircJoin", da.zeros((8, 4), dtype=np.int32), 1, H4)
    with pytest.raises(ValueError):
        tdask.columns("TrigC2", da.zeros((8, 4)))  # first column only: not column-wise
    with pytest.raises(ValueError):
        tdask.apply("CenterPredict", da.zeros((8, 4)), 2)  # no dask form
    with pytest.raises(ValueError):
        tdask.images("CircSplit", da.zeros((2, 8, 8)), 1, H4)

"""tfmex.dask: a plug-in or a function of tfmex across a dask array gives the
bytes of the serial call, on a LocalCluster of two worker processes (loopback
only), on one whose every connection is TLS, and on the threaded scheduler;
refused calls fail before any graph runs."""
import doctest
import faulthandler
import subprocess
import sys

import numpy as np
import pytest

import dask
import dask.array as da
from distributed import Client, LocalCluster, Security

import tfmex
import tfmex.dask as tdask

H4 = [0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604]
rng = np.random.default_rng(3)


def same_bits(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


@pytest.fixture(scope="module")
def client():
    # host binds the scheduler's and the workers' own ports; each of them
    # also serves HTTP (health, metrics, the dashboard), on every interface
    # unless given an address.
    cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                           host="127.0.0.1", dashboard_address="127.0.0.1:0",
                           worker_dashboard_address="127.0.0.1:0")
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


def listening(process):
    """The addresses a process and its children listen on."""
    import psutil
    out = set()
    for p in [process] + process.children(recursive=True):
        out |= {(c.laddr.ip, c.laddr.port) for c in p.connections(kind="inet")
                if c.status == psutil.CONN_LISTEN}
    return out


def test_the_cluster_listens_on_loopback_only(client):
    psutil = pytest.importorskip("psutil")
    addresses = listening(psutil.Process())
    assert len(addresses) >= 5  # the scheduler, two workers, their nannies, and their HTTP
    assert {ip for ip, _ in addresses} == {"127.0.0.1"}


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


# ---- the functions of tfmex -----------------------------------------------------

QMF = np.array([-1, 2, 6, 2, -1]) / 8 * np.sqrt(2)
DQMF = np.array([1, 2, 1]) / 4 * np.sqrt(2)


def leaves(value):
    if isinstance(value, (list, tuple)):
        return [leaf for v in value for leaf in leaves(v)]
    return [value]


def function_cases():
    """(what, lazy, serial): each function over a batch chunked on its batch
    axes (and, to be gathered, on the transform's), against one call on the
    whole numpy array."""
    x = rng.standard_normal((6, 3, 64))
    X = da.from_array(x, chunks=(4, 2, 16))
    cols = rng.standard_normal((64, 5))
    C = da.from_array(cols, chunks=(16, 2))
    stack = rng.standard_normal((5, 16, 16))
    S = da.from_array(stack, chunks=(2, 8, 16))
    tri = rng.standard_normal((4, 27))
    T = da.from_array(tri, chunks=(3, 9))
    f32, c64 = x.astype(np.float32), (x + 1j * x[::-1]).astype(np.complex64)
    out = [
        ("dct", tdask.apply("dct", X), tfmex.dct(x)),
        ("idct 4 axis 0", tdask.apply("idct", C, 4, axis=0), tfmex.idct(cols, 4, axis=0)),
        ("dst float32", tdask.apply("dst", da.from_array(f32, chunks=(4, 2, 16))), tfmex.dst(f32)),
        ("dct complex64", tdask.apply("dct", da.from_array(c64, chunks=(4, 2, 16)), 3),
         tfmex.dct(c64, 3)),
        ("denoise sure", tdask.apply("denoise", X, "db4", rule="sure"),
         tfmex.denoise(x, "db4", rule="sure")),
        ("denoise images", tdask.apply("denoise", S, "db2", axis=(-2, -1)),
         tfmex.denoise(stack, "db2", axis=(-2, -1))),
        ("cosine_table", tdask.apply("cosine_table", X, 2), tfmex.cosine_table(x, 2)),
        ("mean_pyramid", tdask.apply("mean_pyramid", T), tfmex.mean_pyramid(tri)),
        ("median_refine", tdask.apply("median_refine", T, order=2), tfmex.median_refine(tri)),
    ]
    coeffs = tdask.apply("wavedec", X, "db4", level=3)
    out.append(("wavedec", coeffs, tfmex.wavedec(x, "db4", level=3)))
    out.append(("waverec", tdask.apply("waverec", coeffs, "db4"),
                tfmex.waverec(tfmex.wavedec(x, "db4", level=3), "db4")))
    dual = tdask.apply("dual_wavedec", C, QMF, DQMF, level=2, axis=0)
    out.append(("dual_wavedec", dual, tfmex.dual_wavedec(cols, QMF, DQMF, level=2, axis=0)))
    out.append(("dual_waverec", tdask.apply("dual_waverec", dual, QMF, DQMF, axis=0),
                tfmex.dual_waverec(tfmex.dual_wavedec(cols, QMF, DQMF, level=2, axis=0),
                                   QMF, DQMF, axis=0)))
    for split, join, args in (("packet_table", "packet_join", ("db4", 3)),
                              ("ti_table", "ti_join", ("db2",))):
        table = tdask.apply(split, X, *args)
        out.append((split, table, getattr(tfmex, split)(x, *args)))
        out.append((join, tdask.apply(join, table, args[0]),
                    getattr(tfmex, join)(getattr(tfmex, split)(x, *args), args[0])))
    w2 = tdask.apply("wavedec2", S, "db2", level=2)
    out.append(("wavedec2", w2, tfmex.wavedec2(stack, "db2", level=2)))
    out.append(("waverec2", tdask.apply("waverec2", w2, "db2"),
                tfmex.waverec2(tfmex.wavedec2(stack, "db2", level=2), "db2")))
    moved = np.moveaxis(stack, 0, 1)  # images on axes 0 and 2, the batch between them
    out.append(("wavedec2 axes (0, 2)",
                tdask.apply("wavedec2", da.from_array(moved, chunks=(16, 2, 16)), "haar",
                            axes=(0, 2)),
                tfmex.wavedec2(moved, "haar", axes=(0, 2))))
    return out


def bits_of(work, results):
    """The cases whose result differs from the serial call in layout, shape,
    dtype (computed or announced) or any bit."""
    wrong = []
    for (what, lazy, serial), got in zip(work, results):
        if type(got) is not type(serial) or len(leaves(got)) != len(leaves(serial)):
            wrong.append(what)
            continue
        for lz, g, s in zip(leaves(lazy), leaves(got), leaves(serial)):
            if not (lz.dtype == g.dtype == s.dtype and lz.shape == s.shape and same_bits(g, s)):
                wrong.append(what)
                break
    return wrong


def test_functions_on_the_cluster_give_the_serial_calls_bytes(client):
    work = function_cases()
    results = client.gather(client.compute([lazy for _, lazy, _ in work]), errors="raise")
    assert bits_of(work, results) == []


def test_functions_on_threads_give_the_serial_calls_bytes():
    work = function_cases()
    with dask.config.set(scheduler="threads", num_workers=2):
        results = dask.compute(*[lazy for _, lazy, _ in work])
    assert bits_of(work, results) == []


def test_best_bases_of_a_batch_are_the_serial_ones():
    x = rng.standard_normal((5, 2, 128))
    lazy = tdask.apply("best_basis", da.from_array(x, chunks=(2, 1, 32)), 4, "db2", cost="lp")
    assert lazy.shape == (5, 2) and lazy.dtype == object and lazy.chunks == ((2, 2, 1), (1, 1))
    got = lazy.compute(scheduler="threads")
    for i in np.ndindex(5, 2):
        serial = tfmex.best_basis(x[i], 4, "db2", cost="lp")
        assert got[i].blocks == serial.blocks and same_bits(got[i].coef, serial.coef)


def test_batch_chunks_are_kept_and_the_transform_axes_gathered():
    X = da.zeros((6, 3, 64), chunks=(4, 2, 16))
    cA, *details = tdask.apply("wavedec", X, "db4", level=2)
    assert cA.chunks == ((4, 2), (2, 1), (16,))
    assert [d.chunks[2] for d in details] == [(16,), (32,)]
    assert tdask.apply("packet_table", X, "db2", 3).chunks == ((4, 2), (2, 1), (4,), (64,))
    assert tdask.apply("packet_join", da.zeros((6, 4, 64), chunks=(5, 2, 8)), "db2").chunks \
        == ((5, 1), (64,))
    images = da.zeros((16, 7, 16), chunks=(4, 3, 4))
    cA, (cH, _, _) = tdask.apply("wavedec2", images, "db2", level=1, axes=(0, 2))
    assert cA.chunks == ((8,), (3, 3, 1), (8,)) and cH.shape == (8, 7, 8)
    assert tdask.apply("mean_pyramid", da.zeros((5, 27), chunks=(2, 9))).chunks \
        == ((2, 2, 1), (54,))


NAMES = """
import dask.array as da
import tfmex
import tfmex.dask as tdask
x = da.ones((8, 32), chunks=(4, 32))
names = [tdask.apply("dct", x).name, tdask.apply("dct", x, 4).name,
         tdask.apply("packet_table", x, "db4", 2).name,
         tdask.apply("packet_table", x, tfmex.filter("db4"), 2).name,
         tdask.apply("wavedec", x, "db4", level=2)[1].name,
         tdask.apply("denoise", x, "db4", sigma=0.5).name]
"""


def test_task_names_are_the_same_for_the_same_call_in_any_process():
    first, again = {}, {}
    exec(NAMES, first)
    exec(NAMES, again)
    here = first["names"]
    assert len(set(here)) == len(here)  # every argument counts
    assert again["names"] == here
    there = subprocess.run([sys.executable, "-c", NAMES + "print(*names)"], capture_output=True,
                           text=True, timeout=60, check=True).stdout.split()
    assert there == here


def boom(block):
    raise AssertionError("the graph ran")


def test_refused_functions_fail_before_the_graph_runs():
    unrun = da.map_blocks(boom, da.zeros((4, 12), chunks=(2, 12)), dtype=float)
    with pytest.raises(ValueError, match="^dct: the length of x along axis must be a power of two"):
        tdask.apply("dct", unrun)
    unrun = da.map_blocks(boom, da.zeros((4, 16), chunks=(2, 16)), dtype=float)
    tdask.apply("dct", unrun)  # lazy: nothing runs until computed
    with pytest.raises(ValueError, match="^wavedec: wavelet: unknown filter 'db99'"):
        tdask.apply("wavedec", unrun, "db99")
    with pytest.raises(ValueError, match="^packet_table: depth must be an int in 0..4, got 5"):
        tdask.apply("packet_table", unrun, "db2", 5)
    with pytest.raises(TypeError, match="^denoise: x must be real"):
        tdask.apply("denoise", unrun.astype(complex))
    with pytest.raises(ValueError, match="^best_basis: kind 'packet' needs a wavelet"):
        tdask.apply("best_basis", unrun, 2)
    with pytest.raises(ValueError, match="cosine_join: the table's levels must be on the axis"):
        tdask.apply("cosine_join", unrun, axis=0)
    with pytest.raises(np.AxisError):
        tdask.apply("dct", unrun, axis=2)
    with pytest.raises(TypeError, match="unexpected keyword"):
        tdask.apply("dct", unrun, axes=(0, 1))
    with pytest.raises(ValueError, match="waverec: the arrays of coeffs differ in their batch"):
        tdask.apply("waverec", [da.zeros((3, 4)), da.zeros((2, 4))], "haar")
    with pytest.raises(TypeError, match="CircSplit is a plug-in"):
        tdask.apply("CircSplit", da.zeros((8, 2)), 1, H4, axis=0)
    for name in ("nope", "filter", "Dct"):
        with pytest.raises(ValueError, match=r"no function .*dct, idct.*CircSplit, CircJoin"):
            tdask.apply(name, unrun)


def test_docstring_examples_run():
    result = doctest.testmod(tdask, extraglobs={"tfmex": tfmex, "np": np},
                             optionflags=doctest.NORMALIZE_WHITESPACE)
    assert result.failed == 0 and result.attempted > 0


# ---- on a cluster whose every connection is TLS ----------------------------------

def test_a_tls_cluster_gives_the_serial_calls_bytes():
    pytest.importorskip("cryptography")  # Security.temporary makes its certificates with it
    faulthandler.dump_traceback_later(120, exit=True)  # never hang the suite
    try:
        security = Security.temporary()
        assert security.require_encryption
        with LocalCluster(n_workers=1, threads_per_worker=2, processes=False, protocol="tls://",
                          host="127.0.0.1", security=security, dashboard_address="127.0.0.1:0",
                          worker_dashboard_address="127.0.0.1:0") as cluster, \
                Client(cluster, security=security, timeout="20s") as tls_client:
            assert tls_client.scheduler.address.startswith("tls://127.0.0.1:")
            workers = tls_client.scheduler_info()["workers"]
            assert workers and all(w.startswith("tls://") for w in workers)
            work = function_cases()[:12]
            futures = tls_client.compute([lazy for _, lazy, _ in work])
            results = [f.result(timeout=30) for f in futures]
            assert bits_of(work, results) == []
            # Without a certificate of the cluster's authority there is no way in.
            with pytest.raises(TypeError, match="TLS expects a `ssl_context`"):
                Client(cluster.scheduler_address, timeout="5s")
            with pytest.raises(OSError, match="TLS certificate does not match"):
                Client(cluster.scheduler_address, security=Security.temporary(), timeout="5s")
    finally:
        faulthandler.cancel_dump_traceback_later()

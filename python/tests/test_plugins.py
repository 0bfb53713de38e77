"""The plug-ins from numpy: MATLAB's shape rules, memory orders, results of
Octave's shapes, refusals as ValueError/TypeError with the plug-in's message,
inputs left alone, and the GIL released while a transform runs."""
import glob
import os
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import tfmex

H4 = [0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604]
rng = np.random.default_rng(5)


def same_bits(a, b):
    return a.shape == b.shape and a.tobytes(order="F") == b.tobytes(order="F")


def test_every_gateway_source_is_a_function():
    sources = glob.glob(os.path.join(os.environ["TFMEX_SOURCE_DIR"], "MEXSource", "*.cpp"))
    built = sorted(os.path.basename(p)[:-4] for p in sources)
    names = sorted(n for n in tfmex.plugins.__all__ if n[0].isupper())
    assert built == names and len(names) == 26
    for n in names:
        f = getattr(tfmex.plugins, n)
        assert getattr(tfmex, n) is f  # the top-level names are the same functions
        assert tfmex.plugin_version(n) == "MATLAB R14 native"
        assert n in f.__doc__ and "See also" in f.__doc__  # the help file's text
    # the module loads no plug-in file and no host library
    maps = open("/proc/self/maps").read()
    assert ".mex" not in maps and "tfmexhost" not in maps


def test_keywords_and_argument_counts_follow_the_signature():
    x = rng.standard_normal(16)
    want = tfmex.plugins.CircSplit(x, 2, H4)
    assert same_bits(tfmex.plugins.CircSplit(x, h=H4, L=2), want)
    assert same_bits(tfmex.plugins.CircSplit(h=H4, x=x, L=2), want)
    with pytest.raises(TypeError):
        tfmex.plugins.CircSplit(x, 2)
    with pytest.raises(TypeError):
        tfmex.plugins.CircSplit(x, 2, H4, 1)
    with pytest.raises(TypeError):
        tfmex.plugins.CircSplit(x, 2, H4, L=1)
    with pytest.raises(TypeError):
        tfmex.plugins.BellJoin()


def test_one_dimensional_arrays_are_rows_and_results_are_two_dimensional():
    x = rng.standard_normal(16)
    row = tfmex.TrigC2(x)
    assert row.shape == (1, 16) and row.dtype == np.float64
    assert same_bits(row, tfmex.TrigC2(x.reshape(1, 16)))
    col = tfmex.TrigC2(x.reshape(16, 1))
    assert col.shape == (16, 1) and same_bits(col.T, row)
    # a number is a 1 x 1 double, as a number typed in MATLAB
    assert tfmex.TrigC2(2.5).shape == (1, 1)
    assert tfmex.PacketSplit(x, 2, H4).shape == (16, 3)
    assert tfmex.PacketJoin(tfmex.PacketSplit(x, 2, H4), H4).shape == (1, 16)
    assert tfmex.HalveCoarse(x.reshape(16, 1), H4).shape == (8, 1)
    assert tfmex.BlockMeanSplit(rng.standard_normal(27), 1, 2).shape == (1, 54)


def test_memory_order_never_changes_the_matrix():
    m = rng.standard_normal((32, 5))
    want = tfmex.CircSplit(np.asfortranarray(m), 2, H4)
    assert same_bits(want, tfmex.CircSplit(np.ascontiguousarray(m), 2, H4))
    # every column on its own gives the same column
    for c in range(5):
        assert same_bits(want[:, c:c + 1], tfmex.CircSplit(m[:, c].reshape(32, 1), 2, H4))
    # strided and reversed views are read as the matrix they show
    big = rng.standard_normal((64, 12))
    view = big[::2, ::-3]
    assert same_bits(tfmex.CircSplit(view, 1, H4), tfmex.CircSplit(view.copy(), 1, H4))
    # a big-endian float64 array is still a double matrix
    assert same_bits(tfmex.CircSplit(m.astype(">f8"), 2, H4), want)
    img = rng.standard_normal((16, 16))
    assert same_bits(tfmex.CircSplit2(img, 1, H4), tfmex.CircSplit2(np.asfortranarray(img), 1, H4))
    # and the image is the matrix, not its transpose
    assert not same_bits(tfmex.CircSplit2(img, 1, H4), tfmex.CircSplit2(img.T.copy(), 1, H4))


def test_inputs_are_left_unchanged_and_results_are_new():
    x = rng.standard_normal((16, 2))
    keep = x.copy()
    w = tfmex.CircSplit(x, 0, H4)
    assert same_bits(x, keep)
    assert not np.shares_memory(w, x)
    w[0, 0] = 1e9  # the result is writable and owned by the caller
    assert same_bits(tfmex.CircSplit(x, 0, H4), tfmex.CircSplit(keep, 0, H4))


def test_lists_and_python_numbers_are_doubles():
    x = rng.standard_normal(8)
    want = tfmex.CircSplit(x, 1, np.array([1.0, 1.0]) / np.sqrt(2))
    assert same_bits(tfmex.CircSplit(x, 1.0, [1 / np.sqrt(2), 1 / np.sqrt(2)]), want)
    assert same_bits(tfmex.TrigC2([1, 2, 3, 4]), tfmex.TrigC2(np.array([1.0, 2.0, 3.0, 4.0])))
    assert same_bits(tfmex.CircSplit(x, np.float64(1), tuple(H4)), tfmex.CircSplit(x, 1, H4))


def test_refused_calls_raise_the_plugins_message():
    with pytest.raises(ValueError) as e:
        tfmex.CircSplit(rng.standard_normal(6), 1, H4)
    assert str(e.value) == "CircSplit requires dyadic length"
    with pytest.raises(ValueError, match="^CircSplit requires finite scalar arguments$"):
        tfmex.CircSplit(rng.standard_normal(8), np.nan, H4)
    with pytest.raises(ValueError, match="^CircSplit requires finite scalar arguments$"):
        tfmex.CircSplit(rng.standard_normal(8), np.zeros((0, 0)), H4)
    with pytest.raises(ValueError, match="^PacketSplit"):
        tfmex.PacketSplit(rng.standard_normal(8), 4, H4)  # deeper than the signal
    with pytest.raises(ValueError, match="at most two dimensions"):
        tfmex.TrigC2(np.zeros((2, 2, 2)))
    # the argument count is Python's own check
    with pytest.raises(TypeError):
        tfmex.CircSplit(rng.standard_normal(8), 1)
    # BellJoin accepts and ignores further arguments, as in Octave
    t = rng.standard_normal((8, 2))
    assert same_bits(tfmex.BellJoin(t, "ignored", 7), tfmex.BellJoin(t))


@pytest.mark.parametrize("bad", [
    np.arange(8),                        # int64
    np.arange(8, dtype=np.int32),
    np.arange(8, dtype=np.uint8),
    np.ones(8, dtype=bool),
    np.ones(8, dtype=np.float32),
    np.ones(8, dtype=np.complex128),
    np.ones(8, dtype=np.complex64),
    np.array(["abcdefgh"]),
    np.int32(3),
    True,
    1 + 2j,
    [True, False],
])
def test_other_classes_are_refused_with_type_error(bad):
    with pytest.raises(TypeError) as e:
        tfmex.CircSplit(bad, 1, H4)
    assert str(e.value) == "CircSplit requires real double arguments"
    with pytest.raises(TypeError, match="^CircSplit requires real double arguments$"):
        tfmex.CircSplit(np.zeros(8), 1, bad)


def test_unread_arguments_of_other_classes_are_ignored_as_in_octave():
    # BellSplit reads no value of its third argument and checks no class there
    x = rng.standard_normal(16)
    assert same_bits(tfmex.BellSplit(x, 2, np.int32(0)), tfmex.BellSplit(x, 2, 0))


@pytest.mark.parametrize("bad", [None, np.array([object()]), {"x": 1}])
def test_objects_without_a_numeric_class_are_type_errors(bad):
    with pytest.raises(TypeError):
        tfmex.TrigC2(bad)


def test_gil_is_released_while_a_plugin_runs():
    # Python code in another thread makes progress inside the plug-in's calls:
    # with the GIL held, main-thread ticks could fall only near the ends of a
    # call (thread switches between the worker's clock readings and the call),
    # never in its middle three fifths.
    img = rng.standard_normal((1024, 1024))
    bounds = []
    started = threading.Event()

    def work():
        started.set()
        for _ in range(4):
            t0 = time.perf_counter()
            tfmex.CircSplit2(img, 0, H4)
            bounds.append((t0, time.perf_counter()))

    t = threading.Thread(target=work)
    t.start()
    started.wait()
    ticks = []
    while t.is_alive():
        ticks.append(time.perf_counter())
        time.sleep(0.001)
    t.join()
    inside = sum(1 for s, e in bounds for k in ticks
                 if s + (e - s) / 5 < k < e - (e - s) / 5)
    assert inside >= 5, (inside, bounds)


def test_threads_give_the_same_bits_as_serial_calls():
    jobs = [(n, (rng.standard_normal((64, 3)), 2, H4)) for n in ("CircSplit", "CircJoin")]
    jobs += [(n, (rng.standard_normal((32, 32)), 1, H4)) for n in ("CircSplit2", "CircJoin2")]
    jobs += [(n, (rng.standard_normal(128),)) for n in ("TrigC2", "TrigC4", "TrigS3")]
    serial = [getattr(tfmex, n)(*a) for n, a in jobs]
    bad = []

    def run(offset):
        for r in range(20):
            for i in range(len(jobs)):
                k = (i + offset) % len(jobs)
                n, a = jobs[k]
                if not same_bits(getattr(tfmex, n)(*a), serial[k]):
                    bad.append((n, offset))

    threads = [threading.Thread(target=run, args=(o,)) for o in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert bad == []


def test_a_result_too_big_for_memory_is_a_memory_error():
    # ShiftSplit of 2^24 values to full depth wants 25 x 128 MB: under a
    # 1.5 GB address-space limit its output cannot be had.
    probe = (
        "import resource, numpy as np, tfmex\n"
        "resource.setrlimit(resource.RLIMIT_AS, (1536 << 20, 1536 << 20))\n"
        "x = np.zeros(1 << 24)\n"
        "try:\n"
        "    tfmex.ShiftSplit(x, 0, [0.5, 0.5])\n"
        "except MemoryError as e:\n"
        "    print(e)\n"
        "print(abs(tfmex.TrigC2([1, 1])[0, 0] - 2 ** 0.5) < 1e-12)\n"  # and still works
    )
    env = dict(os.environ, OPENBLAS_NUM_THREADS="1")
    out = subprocess.run([sys.executable, "-c", probe], env=env, capture_output=True, text=True)
    assert out.stdout.splitlines() == [
        "ShiftSplit: Out of memory for a 16777216 x 25 array of doubles (3.1 GiB)", "True"
    ], out.stderr

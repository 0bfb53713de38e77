"""The binding itself: arguments read in place or copied exactly as numpy
would give them, results made without a transient copy, memory failures as
MemoryError, and a fork after threaded calls."""
import os
import subprocess
import sys

import numpy as np
import pytest

import tfmex
from tfmex import plugins

H4 = [0.4829629131445341, 0.8365163037378079, 0.2241438680420134, -0.1294095225512604]
rng = np.random.default_rng(8)


def same_bits(a, b):
    return a.shape == b.shape and a.tobytes(order="F") == b.tobytes(order="F")


def run_python(code, timeout=300, **env):
    full = dict(os.environ, OPENBLAS_NUM_THREADS="1", **env)
    out = subprocess.run([sys.executable, "-c", code], env=full, capture_output=True, text=True,
                         timeout=timeout)
    assert out.returncode == 0, out.stderr
    return out.stdout.split()


def test_lists_and_numbers_read_as_numpy_reads_them():
    x = rng.standard_normal(16)
    for h in ([1, 2.5], (1, 2), [2 ** 60, 3], [2 ** 53 + 1, 1], [True, 2.0], [], [0.5] * 7,
              list(np.array(H4)), [np.float32(0.1), 1.0], [np.int64(3), 1]):
        a = np.asarray(h)
        a = a.astype(np.float64) if a.dtype.kind in "iu" else a
        assert same_bits(plugins.CircSplit(x, 1, h), plugins.CircSplit(x, 1, a)), h
    assert same_bits(plugins.CircSplit(x, 2 ** 62, H4), plugins.CircSplit(x, float(2 ** 62), H4))
    with pytest.raises(OverflowError):
        plugins.CircSplit(x, 2 ** 2000, H4)
    with pytest.raises(TypeError, match="^CircSplit requires real double arguments$"):
        plugins.CircSplit(x, 1, [1, "a"])
    with pytest.raises(ValueError, match="at most two dimensions"):
        plugins.CircSplit(x, 1, [[[1.0]]])


def test_views_unaligned_and_read_only_arrays_are_the_matrices_they_show():
    x = rng.standard_normal(64)
    for view in (x[::-2], x[1::4], x.reshape(8, 8)[:, ::-1], x.reshape(8, 8).T[:4]):
        assert same_bits(plugins.TrigC2(view), plugins.TrigC2(view.copy()))
        assert same_bits(plugins.CircSplit(view, 1, H4), plugins.CircSplit(view.copy(), 1, H4))
    raw = np.zeros(8 * 32 + 1, dtype=np.uint8)
    unaligned = raw[1:].view(np.float64)
    unaligned[:] = x[:32]
    assert unaligned.ctypes.data % 8 != 0
    assert same_bits(plugins.CircSplit(unaligned, 2, H4), plugins.CircSplit(x[:32], 2, H4))
    frozen = np.asfortranarray(x.reshape(16, 4))
    frozen.flags.writeable = False
    assert same_bits(plugins.CircJoin(frozen, 1, H4), plugins.CircJoin(frozen.copy(), 1, H4))
    # stand-ins for unread arguments of other classes, complex ones too
    t = rng.standard_normal((16, 2))
    assert same_bits(plugins.BellJoin(t, 1 + 2j, np.zeros(3, complex)), plugins.BellJoin(t))
    want = plugins.BellSplit(x[:16], 2, 0)
    assert same_bits(plugins.BellSplit(x[:16], 2, np.ones(2, complex)), want)


# The memory a call adds to the process at its peak (ru_maxrss against the
# resident size just before the call), with the sizes of its input and output.
PEAK = """
import resource, sys, numpy as np
from tfmex import plugins
def resident():
    return int(open("/proc/self/statm").read().split()[1]) * resource.getpagesize()
name, rows, cols, order, L = sys.argv[1:]
rows, cols, L = int(rows), int(cols), int(L)
x = np.ones((rows, cols), order=order)
f = getattr(plugins, name)
f(x[:64, :1], 1, [0.5, 0.5])  # tables, pools and threads made before
before = resident()
w = f(x, L, [0.5, 0.5])
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
print(peak - before, x.nbytes, w.nbytes)
"""


def peak(name, rows, cols, order, L):
    code = "import sys; sys.argv[1:] = %r\n" % [name, str(rows), str(cols), order, str(L)]
    return [int(v) for v in run_python(code + PEAK, TFMEX_THREADS="1")]


@pytest.mark.skipif(not os.path.exists("/proc/self/statm"), reason="needs /proc")
def test_a_large_result_is_made_in_place():
    # ShiftSplit of 2^22 values, 8 levels deep: a 288 MB table from a 32 MB
    # signal and a workspace of two signals. A copy of the table on its way
    # to numpy would add its size again.
    added, n_bytes, out_bytes = peak("ShiftSplit", 1 << 22, 1, "F", 14)
    assert out_bytes == 9 * n_bytes
    assert out_bytes <= added < out_bytes + 4 * n_bytes + (32 << 20), (added, out_bytes)


@pytest.mark.skipif(not os.path.exists("/proc/self/statm"), reason="needs /proc")
def test_column_major_arguments_are_read_in_place():
    # 64 MB of signals: a C-ordered matrix is copied into column order first,
    # a Fortran-ordered one is not.
    in_place, n_bytes, _ = peak("CircSplit", 1 << 21, 4, "F", 0)
    copied, _, _ = peak("CircSplit", 1 << 21, 4, "C", 0)
    assert in_place + n_bytes * 3 // 4 < copied, (in_place, copied)


def test_arguments_too_big_to_copy_are_a_memory_error():
    # A 768 MB C-ordered matrix must be copied into column order: under a
    # 1.25 GB address-space limit (numpy and the matrix take their share) the
    # copy cannot be had.
    code = (
        "import resource, numpy as np\n"
        "from tfmex import plugins\n"
        "x = np.zeros((1 << 25, 3))\n"
        "resource.setrlimit(resource.RLIMIT_AS, (1280 << 20, 1280 << 20))\n"
        "try:\n"
        "    plugins.CircSplit(x, 0, [0.5, 0.5])\n"
        "except MemoryError as e:\n"
        "    print(str(e).split(' (')[0].replace(' ', '_'))\n"
        "print(plugins.CircSplit(np.asfortranarray(x[:8]), 0, [0.5, 0.5]).shape == (8, 3))\n"
    )
    assert run_python(code) == ["CircSplit:_Out_of_memory_for_a_33554432_x_3_array_of_doubles",
                                "True"]


@pytest.mark.skipif(not os.path.exists("/proc/self/status"), reason="needs /proc")
def test_a_workspace_that_cannot_be_had_is_a_memory_error():
    # ShiftSplit's workspace (two signals of 128 MB) is taken before its
    # output: with 64 MB left below the limit it fails with the plug-in's
    # message, which was a ValueError through the checked host.
    code = (
        "import resource, numpy as np\n"
        "from tfmex import plugins\n"
        "x = np.zeros(1 << 24)\n"
        "size = int(open('/proc/self/status').read().split('VmSize:')[1].split()[0]) << 10\n"
        "resource.setrlimit(resource.RLIMIT_AS, (size + (64 << 20), size + (64 << 20)))\n"
        "try:\n"
        "    plugins.ShiftSplit(x, 20, [0.5, 0.5])\n"
        "except MemoryError as e:\n"
        "    print(str(e).replace(' ', '_'))\n"
    )
    assert run_python(code, TFMEX_THREADS="1") == ["ShiftSplit_could_not_allocate_its_workspace"]


FORK = """
import os, sys, numpy as np
from tfmex import plugins
img = np.random.default_rng(1).standard_normal((2048, 2048))
want = plugins.CircSplit2(img, 0, [0.5, 0.5]).tobytes()
for leave in (os._exit, sys.exit):
    pid = os.fork()
    if pid == 0:
        ok = plugins.CircSplit2(img, 0, [0.5, 0.5]).tobytes() == want
        leave(0 if ok else 3)
    print(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
print(plugins.CircSplit2(img, 0, [0.5, 0.5]).tobytes() == want)
"""


@pytest.mark.skipif(not hasattr(os, "fork"), reason="needs fork")
def test_fork_after_threaded_calls():
    # The child of a process whose calls ran on two threads computes the same
    # image and exits (at once, and through the interpreter's exit); the
    # parent goes on. A hang fails by the timeout.
    assert run_python(FORK, timeout=240, TFMEX_THREADS="2") == ["0", "0", "True"]


def test_top_level_names_are_the_plugins():
    assert tfmex.plugins is plugins
    assert tfmex.CircSplit is plugins.CircSplit
    assert set(plugins.__all__) - {"plugin_version"} == set(tfmex._tfmex.PLUGINS)
    assert not hasattr(tfmex, "mex_dir")

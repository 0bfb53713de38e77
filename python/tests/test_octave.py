"""One gateway source, two builds: every plug-in called from Python (its
gateway compiled into the module) gives the same bytes as the plug-in file
built from the same source and called by GNU Octave on the same inputs, in
several shapes (rows, columns, matrices; C-ordered arrays on the Python
side), and refused calls give the same message ("<Plugin>: <text>" in Octave).
The inputs go to Octave as raw doubles, the outputs come back the same way."""
import os
import subprocess

import numpy as np
import pytest

import tfmex

OCTAVE = os.environ.get("TFMEX_OCTAVE_CLI")
MEX_DIR = os.environ.get("TFMEX_MEX_DIR")  # the build's plug-in files
pytestmark = pytest.mark.skipif(OCTAVE is None, reason="Octave tests switched off (TFMEX_OCTAVE_TESTS)")

rng = np.random.default_rng(11)
QMF = np.sqrt(2) * np.array([-1, 2, 6, 2, -1]) / 8
DQMF = np.sqrt(2) * np.array([1, 2, 1]) / 4


def r(*shape):
    return rng.standard_normal(shape)


def c_order(a):
    return np.ascontiguousarray(a)


# plug-in, inputs (as Python passes them: 1-D arrays are rows)
CASES = [
    ("HalveCoarse", (r(16), r(4))), ("HalveCoarse", (r(16, 1), r(6))), ("HalveCoarse", (r(16, 3), r(4))),
    ("HalveDetail", (r(32), r(8))), ("HalveDetail", (r(16, 3), r(6))),
    ("GrowCoarse", (r(8), r(4))), ("GrowCoarse", (r(8, 1), r(8))), ("GrowCoarse", (r(8, 2), r(4))),
    ("GrowDetail", (r(8), r(8))), ("GrowDetail", (r(16, 1), r(3))),
    ("CircSplit", (r(32, 3), 2, r(4))), ("CircSplit", (r(64), 0.6, r(8))),
    ("CircSplit", (c_order(r(64, 5)), 3, r(20))), ("CircSplit", (r(1, 1), 0, r(2))),
    ("CircJoin", (r(32), 1, r(6))), ("CircJoin", (r(16, 2), -3, r(4))),
    ("CircJoin", (c_order(r(128, 4)), 2, r(12))),
    ("CircSplit2", (r(16, 16), 1, r(4))), ("CircSplit2", (c_order(r(32, 32)), 2, r(8))),
    ("CircSplit2", (r(1, 1), 0, r(2))),
    ("CircJoin2", (r(16, 16), 2, r(4))), ("CircJoin2", (c_order(r(64, 64)), 3, r(6))),
    ("ShiftSplit", (r(16), 1, r(4))), ("ShiftSplit", (r(32, 1), 2, r(6))),
    ("ShiftJoin", (r(16, 3), r(4))), ("ShiftJoin", (c_order(r(32, 4)), r(6))),
    ("PacketSplit", (r(16, 1), 3, r(4))), ("PacketSplit", (r(32), 2, r(8))),
    ("PacketJoin", (r(16, 4), r(4))), ("PacketJoin", (c_order(r(32, 2)), r(2))),
    ("DualSplit", (r(16, 2), 1, QMF, DQMF)), ("DualSplit", (r(32), 2, r(5), r(3))),
    ("DualJoin", (r(16), 1, r(5), r(3))), ("DualJoin", (c_order(r(32, 3)), 2, QMF, DQMF)),
    ("BlockMeanSplit", (r(27), 1, 2)), ("BlockMeanSplit", (r(81, 1), 2, 0)),
    ("BlockMeanJoin", (r(54), 1, 2)), ("BlockMeanJoin", (r(18, 1), 1, 0)),
    ("CenterJoin", (r(54), 1, 2)), ("CenterJoin", (r(162, 1), 2, 2)),
    ("CenterPredict", (r(9), 2)), ("CenterPredict", (r(5, 1), 0)),
    ("TriplePredict", (r(9, 1), 2)), ("TriplePredict", (r(7), 0)),
    ("BellSplit", (r(32), 3, 0)), ("BellSplit", (r(64, 1), 2, 0)),
    ("BellJoin", (r(32, 4),)), ("BellJoin", (r(16, 1),)), ("BellJoin", (c_order(r(64, 3)), 7)),
]
for _n in ("TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4"):
    CASES += [(_n, (r(16),)), (_n, (r(32, 1),)), (_n, (r(8, 3),)), (_n, (r(1, 1),)),
              (_n, (c_order(r(64, 4)),))]

# Refused calls: the message must be the same in both hosts.
REFUSED = [
    ("CircSplit", (r(6), 1, r(4))),
    ("CircSplit", (r(8), np.nan, r(4))),
    ("CircSplit2", (r(8, 4), 1, r(4))),
    ("PacketSplit", (r(8), 5, r(4))),
    ("BellJoin", (np.zeros((0, 0)),)),
    ("TrigC4", (r(12),)),
    ("CenterPredict", (r(2), 2)),
    ("BlockMeanSplit", (r(10), 1, 2)),
]


def as_matrix(a):
    a = np.asarray(a, dtype=np.float64)
    return a.reshape(1, -1) if a.ndim < 2 else a


def run_octave(work, calls):
    """Runs every call in Octave; returns (shape, bytes) or the message of each."""
    lines = ["function run_cases()", "  % written by test_octave.py"]
    for i, (name, args) in enumerate(calls):
        names = []
        for k, a in enumerate(args):
            m = as_matrix(a)
            path = os.path.join(work, f"in{i}_{k}.bin")
            with open(path, "wb") as fh:
                fh.write(m.tobytes(order="F"))
            lines.append(f"  a{k} = rd('{path}', {m.shape[0]}, {m.shape[1]});")
            names.append(f"a{k}")
        out = os.path.join(work, f"out{i}.bin")
        msg = os.path.join(work, f"msg{i}.txt")
        lines += [
            "  try",
            f"    y = {name}({', '.join(names)});",
            f"    fid = fopen('{out}', 'w'); fwrite(fid, size(y), 'double');",
            "    fwrite(fid, y(:), 'double'); fclose(fid);",
            "  catch err",
            f"    fid = fopen('{msg}', 'w'); fputs(fid, err.message); fclose(fid);",
            "  end",
        ]
    lines += ["end", "",
              "function a = rd(path, m, n)",
              "  fid = fopen(path, 'r'); a = fread(fid, m * n, 'double'); fclose(fid);",
              "  a = reshape(a, m, n);",
              "end", ""]
    with open(os.path.join(work, "run_cases.m"), "w") as fh:
        fh.write("\n".join(lines))
    proc = subprocess.run(
        [OCTAVE, "--no-gui", "--norc", "--no-history", "--quiet", "--eval",
         f"addpath('{MEX_DIR}'); addpath('{work}'); run_cases();"],
        capture_output=True, text=True, timeout=300)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    results = []
    for i in range(len(calls)):
        out = os.path.join(work, f"out{i}.bin")
        if os.path.exists(out):
            raw = open(out, "rb").read()
            shape = tuple(int(v) for v in np.frombuffer(raw[:16], dtype="<f8"))
            results.append((shape, raw[16:]))
        else:
            results.append(open(os.path.join(work, f"msg{i}.txt")).read())
    return results


def test_every_plugin_gives_octaves_bytes(tmp_path):
    names = {n for n, _ in CASES}
    assert names == {n for n in tfmex.plugins.__all__ if n[0].isupper()}
    octave = run_octave(str(tmp_path), CASES + REFUSED)
    wrong = []
    for (name, args), got in zip(CASES, octave[:len(CASES)]):
        ours = getattr(tfmex, name)(*args)
        if isinstance(got, str):
            wrong.append(f"{name}: Octave refused: {got}")
        elif ours.shape != got[0] or ours.tobytes(order="F") != got[1]:
            wrong.append(f"{name} {[np.shape(a) for a in args]}: shapes {ours.shape} / {got[0]}"
                         f" or bytes differ")
    for (name, args), got in zip(REFUSED, octave[len(CASES):]):
        with pytest.raises(ValueError) as e:
            getattr(tfmex, name)(*args)
        if got != f"{name}: {e.value}":
            wrong.append(f"{name}: Octave says {got!r}, Python {str(e.value)!r}")
    assert wrong == []

"""The standard orthonormal low-pass filters, from the table the C++ library
(tfmex::filter) and the toolbox (tfmex_filter) take theirs from, so the
doubles are the same everywhere:

    h = tfmex.filters.filter("db2")             # 4 taps, as PyWavelets counts
    h = tfmex.filters.filter("daubechies", 4)   # the same filter
    w = tfmex.CircSplit(x, L, h)

Names count as PyWavelets does: "haar", "dbN" (2N taps, N = 1 .. 20), "symN"
(2N taps, N = 4 .. 20), "coifN" (6N taps, N = 1 .. 5); families are
"haar", "daubechies", "symmlet" and "coiflet". The filters are PyWavelets'
reconstruction low-pass filters rec_lo; a symmlet is PyWavelets' or its
reverse, except sym11, sym14, sym15, sym18, sym19 and sym20, where nearly tied
choices among the roots differ (the same magnitude response).
"""
import os

import numpy as np

__all__ = ["filter", "filters"]

_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "filters.txt")
_rows = None


def _table():
    """[(name, family, taps as a tuple of floats)] in the table's order."""
    global _rows
    if _rows is None:
        rows = []
        with open(_TABLE, encoding="ascii") as fh:
            for line in fh:
                if not line.strip() or line.startswith("#"):
                    continue
                name, family, m, *values = line.split()
                if len(values) != int(m):
                    raise RuntimeError(f"{_TABLE}: {name} has {len(values)} taps, not {m}")
                rows.append((name, family, tuple(float(v) for v in values)))
        _rows = rows
    return _rows


def filters():
    """Every filter of the table as (name, family, taps), in the table's order."""
    return [(name, family, len(h)) for name, family, h in _table()]


def _names():
    """The names, a family's run of three or more as a range."""
    runs: list = []
    for name, family, _ in _table():
        if runs and runs[-1][0] == family:
            runs[-1][1].append(name)
        else:
            runs.append((family, [name]))
    parts = []
    for _, names in runs:
        if len(names) > 2:
            parts.append(f"{names[0]} .. {names[-1]}")
        else:
            parts.append(", ".join(names))
    return ", ".join(parts)


def filter(name, taps=None):  # noqa: A001 (the name the C++ library uses)
    """The low-pass filter of a name ("db4"), or of a family and a number of
    taps ("daubechies", 8), as a new 1-D float64 array. An unknown name,
    family or length raises ValueError listing what exists."""
    if not isinstance(name, str):
        raise TypeError("tfmex.filters.filter: the name must be a string, not "
                        f"{type(name).__name__}")
    key = name.lower()
    if taps is None:
        for n, _, h in _table():
            if n == key:
                return np.array(h)
        raise ValueError(f"tfmex.filters.filter: unknown filter {name!r}; names: {_names()} "
                         "(dbN and symN have 2N taps, coifN 6N)")
    lengths = [len(h) for _, family, h in _table() if family == key]
    if not lengths:
        families = list(dict.fromkeys(family for _, family, _ in _table()))
        raise ValueError(f"tfmex.filters.filter: unknown family {name!r}; known: "
                         f"{', '.join(families)}")
    for _, family, h in _table():
        if family == key and len(h) == taps:
            return np.array(h)
    raise ValueError(f"tfmex.filters.filter: no {key} filter of {taps} taps; lengths: "
                     f"{' '.join(str(m) for m in lengths)}")

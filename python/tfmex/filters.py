"""The standard orthonormal low-pass filters, from the table the C++ library
(tfmex::filter) and the toolbox (tfmex_filter) take theirs from, so the
doubles are the same everywhere:

    h = tfmex.filters.filter("db2")             # 4 taps, as PyWavelets counts
    h = tfmex.filters.filter("daubechies", 4)   # the same filter
    w = tfmex.CircSplit(x, L, h)

Short names are PyWavelets': "haar", "dbN" (2N taps, N = 1 .. 20), "symN"
(2N taps, N = 2 .. 20; sym2 and sym3 are db2 and db3), "coifN" (6N taps,
N = 1 .. 5), each PyWavelets' reconstruction low-pass filter rec_lo, in its
orientation (the exact filter, rounded once: within 1e-12 of PyWavelets'
digits, 1.5e-11 where its table has fewer, sym3, sym5 .. sym7, sym18 ..
sym20). Families are "haar", "daubechies", "symmlet" and "coiflet", the
toolbox's own filters: daubechies, m is db{m/2} and coiflet, m coif{m/6},
but the symmlets (8 .. 40 taps) are the least asymmetric by the toolbox's
measure: the same as sym4, sym8, sym9, sym13, sym17, the reverse of sym5,
sym6, sym7, sym10, sym12, sym16, and for sym11, sym14, sym15, sym18, sym19,
sym20 another, nearly tied choice among the roots (the same magnitude
response, a different filter).
"""
import os

import numpy as np

__all__ = ["filter", "filters"]

_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "filters.txt")
_rows = None


def _table():
    """[(name, family, taps as a tuple of floats)] in the table's order; name
    or family None where the table has "-" (a family's filter only, or a
    name's only)."""
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
                rows.append((None if name == "-" else name, None if family == "-" else family,
                             tuple(float(v) for v in values)))
        _rows = rows
    return _rows


def filters():
    """Every filter of the table as (name, family, taps), in its order: Haar,
    Daubechies, symmlets, coiflets. A filter that is a name's and a family's
    is one row; where symN is not the family's symmlet of 2N taps, each is a
    row of its own, with family or name None."""
    return [(name, family, len(h)) for name, family, h in _table()]


def _names():
    """The names, a run of three or more of one prefix ("db") as a range."""
    runs: list = []
    for name, _, _ in _table():
        if name is None:
            continue
        prefix = name.rstrip("0123456789")
        if runs and runs[-1][0] == prefix:
            runs[-1][1].append(name)
        else:
            runs.append((prefix, [name]))
    parts = []
    for _, names in runs:
        if len(names) > 2:
            parts.append(f"{names[0]} .. {names[-1]}")
        else:
            parts.append(", ".join(names))
    return ", ".join(parts)


def filter(name, taps=None):  # noqa: A001 (the name the C++ library uses)
    """The low-pass filter of a name ("db4"), or of a family and a number of
    taps ("daubechies", 8), as a new 1-D float64 array: a name gives
    PyWavelets' filter, a family the toolbox's (they differ for some
    symmlets, see the module's help). An unknown name, family or length
    raises ValueError listing what exists."""
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
        families = [f for f in dict.fromkeys(family for _, family, _ in _table()) if f]
        raise ValueError(f"tfmex.filters.filter: unknown family {name!r}; known: "
                         f"{', '.join(families)}")
    for _, family, h in _table():
        if family == key and len(h) == taps:
            return np.array(h)
    raise ValueError(f"tfmex.filters.filter: no {key} filter of {taps} taps; lengths: "
                     f"{' '.join(str(m) for m in lengths)}")

"""The transforms of tfmex in numpy's conventions (see the package's documentation).

Every function here checks its arguments, names itself and the argument in
what it raises, and hands the array to the engine of the compiled module
(tfmex._tfmex.apply), which transforms every signal along the axis in place
in memory, whatever the array's strides.
"""
from __future__ import annotations

import operator
import os
from typing import Any, List, Optional, Sequence, Tuple, Union, cast

import numpy as np
import numpy.typing as npt

from . import _tfmex
from . import filters as _filters

__all__ = [
    "filter", "wavedec", "waverec", "wavedec2", "waverec2",
    "dct", "idct", "dst", "idst",
    "ti_table", "ti_join", "packet_table", "packet_join", "cosine_table", "cosine_join",
    "dual_wavedec", "dual_waverec",
    "mean_pyramid", "mean_pyramid_join", "median_pyramid_join", "median_refine", "mean_refine",
    "max_level",
]

ArrayLike = npt.ArrayLike
Wavelet = Union[str, npt.ArrayLike]

_apply = _tfmex.apply
_joined = _tfmex.joined


# ---- arguments ---------------------------------------------------------------

def _int(fn: str, name: str, value: Any, low: int, high: Optional[int] = None) -> int:
    """value as an int in low..high, or the error that names it."""
    where = f"{low}..{high}" if high is not None else f">= {low}"
    if isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{fn}: {name} must be an int in {where}, got {value!r}")
    try:
        v = operator.index(value)
    except TypeError:
        raise TypeError(f"{fn}: {name} must be an int in {where}, got {value!r}") from None
    if v < low or (high is not None and v > high):
        raise ValueError(f"{fn}: {name} must be an int in {where}, got {v}")
    return v


def _workers(fn: str, workers: Any) -> int:
    """scipy.fft's rule: None is 1, -1 every core, -2 every core but one, ..."""
    if workers is None:
        return 1
    w = _int(fn, "workers", workers, -(1 << 30))
    if w == 0:
        raise ValueError(f"{fn}: workers must be a positive int, or negative to count back "
                         "from the number of cores (-1: every core), got 0")
    if w < 0:
        cores = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count()
        w = max(1, (cores or 1) + 1 + w)
    return w


_named: dict = {}


def _wavelet(fn: str, wavelet: Any, name: str = "wavelet") -> np.ndarray:
    """The low-pass filter of a name, an array of taps, or an object with
    PyWavelets' rec_lo."""
    if isinstance(wavelet, str):
        h = _named.get(wavelet)
        if h is None:
            try:
                h = _filters.filter(wavelet)
            except ValueError as e:
                raise ValueError(f"{fn}: {name}: {str(e).split(': ', 1)[1]}") from None
            h.setflags(write=False)
            _named[wavelet] = h
        return h
    if hasattr(wavelet, "rec_lo") and not isinstance(wavelet, np.ndarray):
        wavelet = wavelet.rec_lo
    try:
        h = np.asarray(wavelet)
    except Exception:
        h = np.asarray(None)
    if h.dtype.kind not in "fiu" or h.ndim != 1:
        raise TypeError(f"{fn}: {name} must be a filter name such as 'db4' or a 1-D array of "
                        f"real taps, got {_describe(wavelet)}")
    h = h.astype(np.float64)
    if h.size == 0:
        raise ValueError(f"{fn}: {name} must have at least one tap, got an empty array")
    if not np.all(np.isfinite(h)):
        raise ValueError(f"{fn}: {name} has NaN or Inf taps")
    return h


def _describe(v: Any) -> str:
    if isinstance(v, np.ndarray):
        return f"an array of dtype {v.dtype} and shape {v.shape}"
    return f"{type(v).__name__} {v!r}"[:80]


def _array(fn: str, x: Any, name: str = "x") -> np.ndarray:
    if isinstance(x, np.ma.MaskedArray):
        raise TypeError(f"{fn}: {name} is a masked array; its mask would be ignored: pass "
                        f"{name}.filled(value) or {name}.data instead")
    a = np.asarray(x)
    if a.dtype.kind not in "biufc":
        raise TypeError(f"{fn}: {name} must be an array of numbers, got {_describe(x)}")
    return a


def _axis(a: np.ndarray, axis: Any, fn: str) -> int:
    ax = _int(fn, "axis", axis, -(1 << 30))
    if not -a.ndim <= ax < a.ndim:
        raise np.AxisError(ax, a.ndim)
    return ax % a.ndim


def _dyadic(fn: str, n: int, what: str = "the length of x along axis") -> int:
    """J of n = 2^J, or the error."""
    if n < 1 or n & (n - 1):
        raise ValueError(f"{fn}: {what} must be a power of two, got {n}")
    return n.bit_length() - 1


def _signals(fn: str, x: Any, axis: Any) -> Tuple[np.ndarray, int, int, int]:
    """x as an array, the axis of its signals, their length n = 2^J and J."""
    if x.__class__ is np.ndarray and axis.__class__ is int and -x.ndim <= axis < x.ndim:
        a, ax = x, axis % x.ndim  # the common case, checked in a few steps
        if a.dtype.kind not in "biufc":
            raise TypeError(f"{fn}: x must be an array of numbers, got {_describe(x)}")
    else:
        a = _array(fn, x)
        ax = _axis(a, axis, fn)
    n = a.shape[ax]
    return a, ax, n, _dyadic(fn, n)


def _triadic(fn: str, n: int, what: str) -> int:
    j, m = 0, n
    while m > 1 and m % 3 == 0:
        m //= 3
        j += 1
    if n < 1 or m != 1:
        raise ValueError(f"{fn}: {what} must be a power of three, got {n}")
    return j


def max_level(n: int, wavelet: Wavelet) -> int:
    """The deepest useful level of a signal of n values for a filter:
    floor(log2(n / (taps - 1))), PyWavelets' ``dwt_max_level``, at most
    log2(n) and at least 0.

    Examples
    --------
    >>> tfmex.max_level(1024, 'db4')
    7
    >>> tfmex.max_level(1024, 'haar')
    10
    """
    taps = len(_wavelet("max_level", wavelet))
    return _deepest(_int("max_level", "n", n, 1), taps)


def _deepest(n: int, taps: int) -> int:
    """max_level of n values and a filter of `taps` taps. floor(log2(n / (taps - 1)))
    is the bit length of floor(n / (taps - 1)), less one."""
    if taps <= 1 or n < taps - 1:
        return 0
    return min((n // (taps - 1)).bit_length() - 1, n.bit_length() - 1)


def _level(fn: str, level: Any, J: int, default: int) -> int:
    if level is None:
        return min(default, J)
    return _int(fn, "level", level, 0, J)


# ---- filters -----------------------------------------------------------------

def filter(name: str, taps: Optional[int] = None) -> np.ndarray:  # noqa: A001
    """The orthonormal low-pass filter of a name or of a family and a length.

    Parameters
    ----------
    name : str
        A short name as PyWavelets spells it (``'haar'``, ``'db1'`` ..
        ``'db20'``, ``'sym2'`` .. ``'sym20'``, ``'coif1'`` .. ``'coif5'``),
        or, with `taps`, a family: ``'haar'``, ``'daubechies'``,
        ``'symmlet'`` or ``'coiflet'``.
    taps : int, optional
        The number of taps of the family's filter.

    Returns
    -------
    numpy.ndarray
        A new 1-D float64 array. A short name gives PyWavelets' filter,
        ``pywt.Wavelet(name).rec_lo``, as the exact filter rounded once: to
        1e-12 of PyWavelets' digits, and to 1.5e-11 for sym3, sym5 .. sym7
        and sym18 .. sym20, which PyWavelets stores to 11 or 12 digits.
        ``'sym2'`` and ``'sym3'`` are ``'db2'`` and ``'db3'``. The family
        form gives the toolbox's own filters, those of
        ``tfmex_filter(family, taps)`` in Octave: ``('daubechies', m)`` is
        ``'db{m/2}'``, ``('coiflet', m)`` is ``'coif{m/6}'``, and
        ``('symmlet', m)``, m = 8 .. 40, the least asymmetric choice of
        roots by the toolbox's measure: ``'sym{m/2}'`` for m = 8, 16, 18,
        26, 34, reversed for m = 10, 12, 14, 20, 24, 32, and for m = 22,
        28, 30, 36, 38, 40 another, nearly tied choice (the same magnitude
        response, a different filter).

    Examples
    --------
    >>> h = tfmex.filter('db2')
    >>> h.round(4)
    array([ 0.483 ,  0.8365,  0.2241, -0.1294])
    >>> bool(np.allclose(tfmex.filter('daubechies', 4), h))
    True
    """
    try:
        return _filters.filter(name, taps)
    except ValueError as e:
        raise ValueError("filter: " + str(e).split(": ", 1)[1]) from None
    except TypeError as e:
        raise TypeError("filter: " + str(e).split(": ", 1)[1]) from None


# ---- the periodized wavelet transform ----------------------------------------

def wavedec(x: ArrayLike, wavelet: Wavelet, level: Optional[int] = None, axis: int = -1,
            workers: Optional[int] = None) -> List[np.ndarray]:
    """The periodized orthogonal wavelet transform of every signal along an axis.

    Parameters
    ----------
    x : array_like
        Signals of n = 2^J values along `axis`; every other axis is a batch.
    wavelet : str or array_like
        A filter name (``'db4'``) or the orthonormal low-pass filter's taps.
    level : int, optional
        The number of levels, 0 .. J; by default ``max_level(n, wavelet)``,
        as PyWavelets chooses.
    axis : int, optional
        The axis of the signals (default: the last).
    workers : int, optional
        Threads to spread a batch over (default 1; -1: every core).

    Returns
    -------
    list of numpy.ndarray
        ``[cA_level, cD_level, ..., cD_1]``, of n / 2^level, n / 2^level, ..
        n / 2 values along `axis`: the shapes of
        ``pywt.wavedec(x, wavelet, mode='periodization', level=level)``.

    Notes
    -----
    The coefficients are this toolbox's own. For an orthonormal filter h,
    each ``cA`` and ``cD`` equals PyWavelets' (periodization mode, wavelet
    with ``rec_lo = h``) circularly shifted, and ``cD`` with its sign
    flipped: see the documentation's conventions page for the exact
    relation, which the test suite checks.

    Examples
    --------
    >>> x = np.arange(8.0)
    >>> cA, cD2, cD1 = tfmex.wavedec(x, 'haar', level=2)
    >>> cA
    array([ 3., 11.])
    >>> np.allclose(tfmex.waverec([cA, cD2, cD1], 'haar'), x)
    True
    """
    fn = "wavedec"
    a, ax, n, J = _signals(fn, x, axis)
    h = _wavelet(fn, wavelet)
    lv = _level(fn, level, J, _deepest(n, h.size))
    w = _apply(fn, _tfmex.OP_CIRC_SPLIT, a, ax, _workers(fn, workers), J - lv, 0, h, None, n)
    return _split_levels(w, ax, J - lv, J)


def _split_levels(w: np.ndarray, ax: int, L: int, J: int) -> List[np.ndarray]:
    if ax == w.ndim - 1:
        return [w[..., :1 << L]] + [w[..., 1 << j:2 << j] for j in range(L, J)]
    index: List[Any] = [slice(None)] * w.ndim
    out = []
    for lo, hi in [(0, 1 << L)] + [(1 << j, 2 << j) for j in range(L, J)]:
        index[ax] = slice(lo, hi)
        out.append(w[tuple(index)])
    return out


def _levels_of(fn: str, coeffs: Any, axis: int) -> Tuple[np.ndarray, int, int]:
    """The coefficients of wavedec back in one array along axis, with L and J."""
    if not isinstance(coeffs, (list, tuple)) or not coeffs:
        raise TypeError(f"{fn}: coeffs must be the list wavedec returns, [cA, cD_level, .., cD_1]")
    parts = [_array(fn, c, "coeffs") for c in coeffs]
    nd = parts[0].ndim
    if nd == 0 or any(p.ndim != nd for p in parts):
        raise ValueError(f"{fn}: the arrays of coeffs must all have the same number of "
                         "dimensions, at least one")
    ax = _axis(parts[0], axis, fn)
    m = parts[0].shape[ax]
    L = _dyadic(fn, m, "the length of cA along axis")
    want = [m] + [m << j for j in range(len(parts) - 1)]
    got = [p.shape[ax] for p in parts]
    if got != want:
        raise ValueError(f"{fn}: coeffs must have {want} values along axis, as wavedec gives, "
                         f"got {got}")
    rest = [p.shape[:ax] + p.shape[ax + 1:] for p in parts]
    if any(r != rest[0] for r in rest):
        raise ValueError(f"{fn}: the arrays of coeffs differ in their other dimensions: "
                         f"{[p.shape for p in parts]}")
    return np.concatenate(parts, axis=ax), L, L + len(parts) - 1


def waverec(coeffs: Sequence[ArrayLike], wavelet: Wavelet, axis: int = -1,
            workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`wavedec`.

    Parameters
    ----------
    coeffs : list of array_like
        ``[cA_level, cD_level, ..., cD_1]`` as wavedec returns them.
    wavelet : str or array_like
        The filter wavedec used.
    axis : int, optional
        The axis of the signals.
    workers : int, optional
        Threads to spread a batch over.

    Returns
    -------
    numpy.ndarray
        The signals, of n = 2^J values along `axis`.

    Examples
    --------
    >>> x = np.random.default_rng(0).standard_normal((3, 64))
    >>> np.allclose(tfmex.waverec(tfmex.wavedec(x, 'db4'), 'db4'), x)
    True
    """
    fn = "waverec"
    w = _joined(coeffs, axis)  # wavedec's views, read where they lie
    if w is None:
        w, L, J = _levels_of(fn, coeffs, axis)
    else:
        L = cast(np.ndarray, coeffs[0]).shape[axis].bit_length() - 1
        J = L + len(coeffs) - 1
    ax = axis % w.ndim
    h = _wavelet(fn, wavelet)
    return _apply(fn, _tfmex.OP_CIRC_JOIN, w, ax, _workers(fn, workers), L, 0, h, None, 1 << J)


def _axes(fn: str, a: np.ndarray, axes: Any) -> Tuple[int, int]:
    try:
        a0, a1 = axes
    except (TypeError, ValueError):
        raise TypeError(f"{fn}: axes must be a pair of ints, got {axes!r}") from None
    if a.ndim < 2:
        raise ValueError(f"{fn}: x must have at least two dimensions (an image), got shape "
                         f"{a.shape}")
    r, c = _axis(a, a0, fn), _axis(a, a1, fn)
    if r == c:
        raise ValueError(f"{fn}: axes must be two different axes, got {axes!r}")
    return r, c


def wavedec2(x: ArrayLike, wavelet: Wavelet, level: Optional[int] = None,
             axes: Tuple[int, int] = (-2, -1),
             workers: Optional[int] = None) -> List[Any]:
    """The periodized 2-D wavelet transform of square images.

    Parameters
    ----------
    x : array_like
        Images of n x n values, n = 2^J, on `axes`; every other axis is a batch.
    wavelet : str or array_like
        A filter name or the low-pass filter's taps.
    level : int, optional
        The number of levels, 0 .. J; by default ``max_level(n, wavelet)``.
    axes : pair of int, optional
        The rows' and the columns' axes (default the last two).
    workers : int, optional
        Threads to spread a batch over.

    Returns
    -------
    list
        ``[cA, (cH_level, cV_level, cD_level), ..., (cH_1, cV_1, cD_1)]`` of the
        shapes ``pywt.wavedec2(x, wavelet, mode='periodization')`` gives:
        cH is low-pass along the columns' axis and high-pass along the rows'
        (PyWavelets' "horizontal" detail), cV the other way round, cD
        high-pass along both.

    Examples
    --------
    >>> img = np.ones((8, 8))
    >>> cA, (cH, cV, cD) = tfmex.wavedec2(img, 'haar', level=1)
    >>> cA.shape, float(abs(cD).max())
    ((4, 4), 0.0)
    """
    fn = "wavedec2"
    a = _array(fn, x)
    r, c = _axes(fn, a, axes)
    h = _wavelet(fn, wavelet)
    if a.shape[r] != a.shape[c]:
        raise ValueError(f"{fn}: the images must be square, got {a.shape[r]} x {a.shape[c]}")
    n = a.shape[r]
    J = _dyadic(fn, n, "the size of the images")
    lv = _level(fn, level, J, _deepest(n, h.size))
    L = J - lv
    w = _apply(fn, _tfmex.OP_CIRC_SPLIT2, a, r, _workers(fn, workers), L, 0, h, None, c)

    def block(rows: slice, cols: slice) -> np.ndarray:
        index: List[Any] = [slice(None)] * w.ndim
        index[r], index[c] = rows, cols
        return w[tuple(index)]

    out: List[Any] = [block(slice(0, 1 << L), slice(0, 1 << L))]
    for j in range(L, J):
        lo, hi = slice(0, 1 << j), slice(1 << j, 2 << j)
        out.append((block(hi, lo), block(lo, hi), block(hi, hi)))
    return out


def waverec2(coeffs: Sequence[Any], wavelet: Wavelet, axes: Tuple[int, int] = (-2, -1),
             workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`wavedec2`.

    Examples
    --------
    >>> img = np.random.default_rng(1).standard_normal((16, 16))
    >>> np.allclose(tfmex.waverec2(tfmex.wavedec2(img, 'db2'), 'db2'), img)
    True
    """
    fn = "waverec2"
    w = _joined(coeffs, axes) if axes.__class__ is tuple else None
    if w is not None:  # wavedec2's views, read where they lie
        L = coeffs[0].shape[axes[0]].bit_length() - 1
        return _apply(fn, _tfmex.OP_CIRC_JOIN2, w, axes[0], _workers(fn, workers), L, 0,
                      _wavelet(fn, wavelet), None, axes[1])
    if not isinstance(coeffs, (list, tuple)) or not coeffs:
        raise TypeError(f"{fn}: coeffs must be the list wavedec2 returns, "
                        "[cA, (cH, cV, cD), ...]")
    cA = _array(fn, coeffs[0], "coeffs")
    r, c = _axes(fn, cA, axes)
    m = cA.shape[r]
    if cA.shape[c] != m:
        raise ValueError(f"{fn}: cA must be square, got {cA.shape[r]} x {cA.shape[c]}")
    L = _dyadic(fn, m, "the size of cA")
    J = L + len(coeffs) - 1
    n = 1 << J
    shape = list(cA.shape)
    shape[r] = shape[c] = n
    kind = np.result_type(cA, *[d for t in coeffs[1:] for d in (t if isinstance(t, tuple) else ())])
    w = np.empty(shape, dtype=kind if kind.kind == "c" else np.float64)

    def put(rows: slice, cols: slice, v: Any, what: str) -> None:
        index: List[Any] = [slice(None)] * w.ndim
        index[r], index[c] = rows, cols
        target = w[tuple(index)]
        v = _array(fn, v, "coeffs")
        if v.shape != target.shape:
            raise ValueError(f"{fn}: {what} must have shape {target.shape}, as wavedec2 gives, "
                             f"got {v.shape}")
        target[...] = v

    put(slice(0, m), slice(0, m), cA, "cA")
    for j, details in zip(range(L, J), coeffs[1:]):
        if not isinstance(details, (list, tuple)) or len(details) != 3:
            raise TypeError(f"{fn}: each level of coeffs must be a tuple (cH, cV, cD)")
        lo, hi = slice(0, 1 << j), slice(1 << j, 2 << j)
        put(hi, lo, details[0], f"cH of level {J - j}")
        put(lo, hi, details[1], f"cV of level {J - j}")
        put(hi, hi, details[2], f"cD of level {J - j}")
    h = _wavelet(fn, wavelet)
    return _apply(fn, _tfmex.OP_CIRC_JOIN2, w, r, _workers(fn, workers), L, 0, h, None, c)


# ---- cosine and sine transforms ----------------------------------------------

_DCT = {2: _tfmex.OP_DCT2, 3: _tfmex.OP_DCT3, 4: _tfmex.OP_DCT4}
_IDCT = {2: _tfmex.OP_DCT3, 3: _tfmex.OP_DCT2, 4: _tfmex.OP_DCT4}
_DST = {2: _tfmex.OP_DST2, 3: _tfmex.OP_DST3}
_IDST = {2: _tfmex.OP_DST3, 3: _tfmex.OP_DST2}


def _trig(fn: str, table: dict, x: Any, kind: Any, norm: Any, axis: Any, workers: Any,
          kinds: str) -> np.ndarray:
    op = table.get(kind) if isinstance(kind, (int, np.integer)) else None
    if op is None or isinstance(kind, bool):
        raise ValueError(f"{fn}: type must be {kinds}, got {kind!r}")
    if norm != "ortho":
        raise ValueError(f"{fn}: norm must be 'ortho' (the orthonormal transform is the one "
                         f"computed), got {norm!r}")
    a = x if x.__class__ is np.ndarray else _array(fn, x)  # the fast path first
    if not isinstance(axis, int) or isinstance(axis, bool):
        axis = _int(fn, "axis", axis, -(1 << 30))
    w = 1 if workers is None else _workers(fn, workers)
    nd = a.ndim
    if nd == 0:
        raise ValueError(f"{fn}: x must have at least one dimension, got a scalar")
    if not -nd <= axis < nd:
        raise np.AxisError(axis, nd)
    n = a.shape[axis]
    if n < 1 or n & (n - 1):
        raise ValueError(f"{fn}: the length of x along axis must be a power of two, got {n}")
    return _apply(fn, op, a, axis, w, 0, 0, None, None, n)


def dct(x: ArrayLike, type: int = 2, norm: str = "ortho", axis: int = -1,
        workers: Optional[int] = None) -> np.ndarray:
    """The orthonormal discrete cosine transform of type 2, 3 or 4 along an axis.

    Parameters
    ----------
    x : array_like
        Signals of n = 2^J values along `axis`; real or complex.
    type : {2, 3, 4}, optional
        The DCT type (default 2).
    norm : {'ortho'}, optional
        Only the orthonormal scaling is computed.
    axis : int, optional
        The axis of the signals (default: the last).
    workers : int, optional
        Threads to spread a batch over (default 1; -1: every core).

    Returns
    -------
    numpy.ndarray
        ``scipy.fft.dct(x, type, norm='ortho', axis=axis)`` to 1e-12 relative.

    Examples
    --------
    >>> y = tfmex.dct(np.ones(4))
    >>> y.round(12)
    array([2., 0., 0., 0.])
    >>> np.allclose(tfmex.idct(y), 1.0)
    True
    """
    return _trig("dct", _DCT, x, type, norm, axis, workers, "2, 3 or 4")


def idct(x: ArrayLike, type: int = 2, norm: str = "ortho", axis: int = -1,
         workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`dct` of the same type (types 2, 3 and 4).

    Equals ``scipy.fft.idct(x, type, norm='ortho', axis=axis)`` to 1e-12.

    Examples
    --------
    >>> x = np.arange(8.0)
    >>> np.allclose(tfmex.idct(tfmex.dct(x, 4), 4), x)
    True
    """
    return _trig("idct", _IDCT, x, type, norm, axis, workers, "2, 3 or 4")


def dst(x: ArrayLike, type: int = 2, norm: str = "ortho", axis: int = -1,
        workers: Optional[int] = None) -> np.ndarray:
    """The orthonormal discrete sine transform of type 2 or 3 along an axis.

    Notes
    -----
    This toolbox's sine transforms count their frequencies the other way
    round from SciPy's: for type 2, ``dst(x)`` equals
    ``scipy.fft.dst(x[..., ::-1], 2, norm='ortho', orthogonalize=True)``
    with its output reversed and every other value negated; the
    documentation's conventions page gives the relation for either
    ``orthogonalize`` setting, as the test suite checks it.

    Examples
    --------
    >>> x = np.arange(8.0)
    >>> np.allclose(tfmex.idst(tfmex.dst(x)), x)
    True
    """
    return _trig("dst", _DST, x, type, norm, axis, workers, "2 or 3")


def idst(x: ArrayLike, type: int = 2, norm: str = "ortho", axis: int = -1,
         workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`dst` of the same type (types 2 and 3).

    Examples
    --------
    >>> x = np.arange(8.0)
    >>> np.allclose(tfmex.dst(tfmex.idst(x, 3), 3), x)
    True
    """
    return _trig("idst", _IDST, x, type, norm, axis, workers, "2 or 3")


# ---- redundant tables ---------------------------------------------------------

def _table_in(fn: str, table: Any, axis: Any) -> Tuple[np.ndarray, int, int]:
    t = _array(fn, table, "table")
    if t.ndim < 2:
        raise ValueError(f"{fn}: table must have at least two dimensions (levels, values), got "
                         f"shape {t.shape}")
    ax = _axis(t, axis, fn)
    if ax == 0:
        raise ValueError(f"{fn}: the table's levels must be on the axis before its values; "
                         "axis cannot be the first")
    n = t.shape[ax]
    J = _dyadic(fn, n, "the length of the table along axis")
    D = t.shape[ax - 1] - 1
    if not 0 <= D <= J:
        raise ValueError(f"{fn}: a table of {n} values has 1 to {J + 1} levels along the axis "
                         f"before axis, got {D + 1}")
    return t, ax, D


def ti_table(x: ArrayLike, wavelet: Wavelet, level: Optional[int] = None, axis: int = -1,
             workers: Optional[int] = None) -> np.ndarray:
    """The translation-invariant wavelet transform of every signal along an axis.

    Parameters
    ----------
    x : array_like
        Signals of n = 2^J values along `axis`.
    wavelet : str or array_like
        A filter name or the low-pass filter's taps.
    level : int, optional
        The number of levels, 0 .. J (default ``max_level(n, wavelet)``).
    axis : int, optional
        The axis of the signals.
    workers : int, optional
        Threads to spread a batch over.

    Returns
    -------
    numpy.ndarray
        For each signal a table of ``level + 1`` rows of n values, on a new
        axis placed just before `axis`: row 0 holds the 2^level coarse blocks
        of the last level, row d (1 .. level) the 2^d detail blocks of level
        d, each block one shift path (n / 2^d values).

    Examples
    --------
    >>> t = tfmex.ti_table(np.arange(16.0), 'haar', level=2)
    >>> t.shape
    (3, 16)
    >>> np.allclose(tfmex.ti_join(t, 'haar'), np.arange(16.0))
    True
    """
    fn = "ti_table"
    a, ax, n, J = _signals(fn, x, axis)
    h = _wavelet(fn, wavelet)
    lv = _level(fn, level, J, _deepest(n, h.size))
    return _apply(fn, _tfmex.OP_SHIFT_SPLIT, a, ax, _workers(fn, workers), J - lv, 0, h, None,
                  lv + 1)


def ti_join(table: ArrayLike, wavelet: Wavelet, axis: int = -1,
            workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`ti_table`: every parent rebuilt from both of its
    children and averaged.

    `axis` is the table's values' axis; its levels are on the axis before.
    """
    fn = "ti_join"
    t, ax, _ = _table_in(fn, table, axis)
    h = _wavelet(fn, wavelet)
    return _apply(fn, _tfmex.OP_SHIFT_JOIN, t, ax, _workers(fn, workers), 0, 0, h, None, 0)


def packet_table(x: ArrayLike, wavelet: Wavelet, depth: int, axis: int = -1,
                 workers: Optional[int] = None) -> np.ndarray:
    """The wavelet packet table of every signal along an axis.

    Parameters
    ----------
    x : array_like
        Signals of n = 2^J values along `axis`.
    wavelet : str or array_like
        A filter name or the low-pass filter's taps.
    depth : int
        The number of levels, 0 .. J.
    axis : int, optional
        The axis of the signals.
    workers : int, optional
        Threads to spread a batch over.

    Returns
    -------
    numpy.ndarray
        ``depth + 1`` rows of n values on a new axis just before `axis`: row
        0 is x, row d the 2^d packets of level d (n / 2^d values each), in
        frequency order up to the alternation of the filter bank: packet j of
        row d - 1 has its low-pass child at 2j + (j mod 2) and its high-pass
        child at 2j + 1 - (j mod 2).

    Examples
    --------
    >>> t = tfmex.packet_table(np.arange(8.0), 'haar', 3)
    >>> t.shape
    (4, 8)
    >>> np.allclose(t[0], np.arange(8.0))
    True
    """
    fn = "packet_table"
    a, ax, _, J = _signals(fn, x, axis)
    h = _wavelet(fn, wavelet)
    D = _int(fn, "depth", depth, 0, J)
    return _apply(fn, _tfmex.OP_PACKET_SPLIT, a, ax, _workers(fn, workers), D, 0, h, None, D + 1)


def packet_join(table: ArrayLike, wavelet: Wavelet, axis: int = -1,
                workers: Optional[int] = None) -> np.ndarray:
    """The signals of wavelet packet tables: the mean of the syntheses of
    every row, so that ``packet_join(packet_table(x, h, D), h)`` is x.

    Examples
    --------
    >>> x = np.random.default_rng(2).standard_normal(32)
    >>> np.allclose(tfmex.packet_join(tfmex.packet_table(x, 'db2', 3), 'db2'), x)
    True
    """
    fn = "packet_join"
    t, ax, D = _table_in(fn, table, axis)
    h = _wavelet(fn, wavelet)
    y = _apply(fn, _tfmex.OP_PACKET_JOIN, t, ax, _workers(fn, workers), 0, 0, h, None, 0)
    if D:
        y /= D + 1
    return y


def cosine_table(x: ArrayLike, depth: int, axis: int = -1,
                 workers: Optional[int] = None) -> np.ndarray:
    """The cosine packet table of every signal along an axis.

    Row d (0 .. depth) of a signal's table holds 2^d consecutive segments of
    n / 2^d values, each folded with its neighbours under a sine bell of
    half-width n / 2^(depth + 1) (0 for depth = J) and transformed by the
    orthonormal DCT-IV; the ends of the signal pass the fold unchanged. The
    rows are on a new axis just before `axis`.

    Examples
    --------
    >>> t = tfmex.cosine_table(np.ones(16), 2)
    >>> t.shape
    (3, 16)
    >>> np.allclose(tfmex.cosine_join(t), 1.0)
    True
    """
    fn = "cosine_table"
    a, ax, _, J = _signals(fn, x, axis)
    D = _int(fn, "depth", depth, 0, J)
    return _apply(fn, _tfmex.OP_BELL_SPLIT, a, ax, _workers(fn, workers), D, 0, None, None, D + 1)


def cosine_join(table: ArrayLike, axis: int = -1, workers: Optional[int] = None) -> np.ndarray:
    """The signals of cosine packet tables: the mean of the inverses of
    every row, so that ``cosine_join(cosine_table(x, D))`` is x."""
    fn = "cosine_join"
    t, ax, D = _table_in(fn, table, axis)
    y = _apply(fn, _tfmex.OP_BELL_JOIN, t, ax, _workers(fn, workers), 0, 0, None, None, 0)
    if D:
        y /= D + 1
    return y


# ---- symmetric biorthogonal transform ------------------------------------------

def _symmetric(fn: str, name: str, f: Any) -> np.ndarray:
    h = _wavelet(fn, f, name)
    if h.size % 2 == 0:
        raise ValueError(f"{fn}: {name} must have an odd number of taps (a symmetric filter "
                         f"centred on its middle tap), got {h.size}")
    if not np.allclose(h, h[::-1], rtol=0, atol=1e-12 * float(np.max(np.abs(h)))):
        raise ValueError(f"{fn}: {name} must be symmetric (equal to its reverse)")
    return h


def dual_wavedec(x: ArrayLike, qmf: ArrayLike, dqmf: ArrayLike, level: Optional[int] = None,
                 axis: int = -1, workers: Optional[int] = None) -> List[np.ndarray]:
    """The symmetric biorthogonal wavelet transform of every signal along an axis.

    Parameters
    ----------
    x : array_like
        Signals of n = 2^J values along `axis`.
    qmf, dqmf : array_like
        The analysis and the synthesis low-pass filters: symmetric, of odd
        lengths (the analysis high-pass is the centred mirror of dqmf).
    level : int, optional
        The number of levels, 0 .. J (default J).

    Returns
    -------
    list of numpy.ndarray
        ``[cA_level, cD_level, ..., cD_1]`` as :func:`wavedec` lays them out.

    Examples
    --------
    >>> qmf = np.array([-1, 2, 6, 2, -1]) / 8 * np.sqrt(2)
    >>> dqmf = np.array([1, 2, 1]) / 4 * np.sqrt(2)
    >>> x = np.arange(16.0)
    >>> c = tfmex.dual_wavedec(x, qmf, dqmf, level=2)
    >>> np.allclose(tfmex.dual_waverec(c, qmf, dqmf), x)
    True
    """
    fn = "dual_wavedec"
    a, ax, n, J = _signals(fn, x, axis)
    q, d = _symmetric(fn, "qmf", qmf), _symmetric(fn, "dqmf", dqmf)
    lv = _level(fn, level, J, J)
    w = _apply(fn, _tfmex.OP_DUAL_SPLIT, a, ax, _workers(fn, workers), J - lv, 0, q, d, n)
    return _split_levels(w, ax, J - lv, J)


def dual_waverec(coeffs: Sequence[ArrayLike], qmf: ArrayLike, dqmf: ArrayLike, axis: int = -1,
                 workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`dual_wavedec` with the same pair of filters."""
    fn = "dual_waverec"
    w, L, J = _levels_of(fn, coeffs, axis)
    q, d = _symmetric(fn, "qmf", qmf), _symmetric(fn, "dqmf", dqmf)
    return _apply(fn, _tfmex.OP_DUAL_JOIN, w, axis % w.ndim, _workers(fn, workers), L, 0, q, d,
                  1 << J)


# ---- triadic pyramids and refinements --------------------------------------------

def _order(fn: str, order: Any) -> int:
    o = _int(fn, "order", order, 0, 2)
    if o == 1:
        raise ValueError(f"{fn}: order must be 0 (piecewise constant) or 2 (quadratic), got 1")
    return o


def _pyramid(fn: str, op: int, x: Any, level: Any, order: Any, axis: Any, workers: Any,
             join: bool) -> np.ndarray:
    a = _array(fn, x, "w" if join else "x")
    ax = _axis(a, axis, fn)
    m = a.shape[ax]
    if join:
        if m % 2:
            raise ValueError(f"{fn}: the length of w along axis must be twice a power of three, "
                             f"got {m}")
        n = m // 2
        J = _triadic(fn, n, "half the length of w along axis")
    else:
        n = m
        J = _triadic(fn, n, "the length of x along axis")
    lv = _level(fn, level, max(J - 1, 0), max(J - 1, 0))
    L = J - lv
    return _apply(fn, op, a, ax, _workers(fn, workers), max(L, 1), _order(fn, order), None, None,
                  n if join else 2 * n)


def mean_pyramid(x: ArrayLike, level: Optional[int] = None, order: int = 2, axis: int = -1,
                 workers: Optional[int] = None) -> np.ndarray:
    """The average-interpolating pyramid of every signal of n = 3^J values.

    Parameters
    ----------
    x : array_like
        Signals of 3^J values along `axis`.
    level : int, optional
        The number of levels, 0 .. J - 1 (default J - 1: 3 coarse values).
    order : {0, 2}, optional
        The prediction: 0 piecewise constant, 2 quadratic (default).

    Returns
    -------
    numpy.ndarray
        2n values per signal: the 3^(J - level) coarse block means (times
        their scale), then for each finer level b the 3^b differences from
        the prediction, at positions 3^b .. 2 3^b - 1; zeros elsewhere.

    Examples
    --------
    >>> x = np.arange(27.0)
    >>> w = tfmex.mean_pyramid(x)
    >>> w.shape
    (54,)
    >>> np.allclose(tfmex.mean_pyramid_join(w), x)
    True
    """
    return _pyramid("mean_pyramid", _tfmex.OP_BLOCK_MEAN_SPLIT, x, level, order, axis, workers,
                    False)


def mean_pyramid_join(w: ArrayLike, level: Optional[int] = None, order: int = 2, axis: int = -1,
                      workers: Optional[int] = None) -> np.ndarray:
    """The inverse of :func:`mean_pyramid` (same level and order)."""
    return _pyramid("mean_pyramid_join", _tfmex.OP_BLOCK_MEAN_JOIN, w, level, order, axis, workers,
                    True)


def median_pyramid_join(w: ArrayLike, level: Optional[int] = None, order: int = 2,
                        axis: int = -1, workers: Optional[int] = None) -> np.ndarray:
    """The signals of median-interpolating pyramids of 2n values (n = 3^J):
    the coarse values refined level by level by :func:`median_refine` and
    the differences added."""
    return _pyramid("median_pyramid_join", _tfmex.OP_CENTER_JOIN, w, level, order, axis, workers,
                    True)


def _refine(fn: str, op: int, c: Any, order: Any, axis: Any, workers: Any) -> np.ndarray:
    a = _array(fn, c, "c")
    ax = _axis(a, axis, fn)
    m = a.shape[ax]
    o = _order(fn, order)
    if o == 2 and m < 3:
        raise ValueError(f"{fn}: the quadratic rule needs at least 3 values along axis, got {m}")
    return _apply(fn, op, a, ax, _workers(fn, workers), 0, o, None, None, 3 * m)


def median_refine(c: ArrayLike, order: int = 2, axis: int = -1,
                  workers: Optional[int] = None) -> np.ndarray:
    """Each run of m values refined into 3m by the median-interpolating rule
    (order 2) or repeated three times (order 0).

    Examples
    --------
    >>> tfmex.median_refine(np.array([1.0, 2.0]), order=0)
    array([1., 1., 1., 2., 2., 2.])
    """
    return _refine("median_refine", _tfmex.OP_CENTER_PREDICT, c, order, axis, workers)


def mean_refine(c: ArrayLike, order: int = 2, axis: int = -1,
                workers: Optional[int] = None) -> np.ndarray:
    """Each run of m block means refined into 3m by the quadratic through a
    block and its two neighbours (order 2) or repeated three times (order 0)."""
    return _refine("mean_refine", _tfmex.OP_TRIPLE_PREDICT, c, order, axis, workers)

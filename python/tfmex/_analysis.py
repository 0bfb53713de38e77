"""What the transforms are for: wavelet shrinkage and best bases."""
from __future__ import annotations

from typing import Any, List, NamedTuple, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

from . import _tfmex
from ._api import (_array, _axes, _axis, _dyadic, _int, _wavelet, cosine_table, packet_table,
                   Wavelet)

__all__ = ["denoise", "best_basis", "Basis", "Block"]

_THRESHOLDS = ("soft", "hard")
_RULES = ("universal", "sure")
_METHODS = ("plain", "ti")


def _choice(fn: str, name: str, value: Any, choices: Tuple[str, ...]) -> str:
    if not isinstance(value, str) or value not in choices:
        listed = ", ".join(repr(c) for c in choices)
        raise ValueError(f"{fn}: {name} must be one of {listed}, got {value!r}")
    return value


def _real_finite(fn: str, a: np.ndarray, name: str = "x") -> None:
    if a.dtype.kind == "c":
        raise TypeError(f"{fn}: {name} must be real; complex input is taken by the linear "
                        "transforms only")
    if a.size and not np.all(np.isfinite(a)):
        raise ValueError(f"{fn}: {name} holds NaN or Inf values; remove or replace them first")


def denoise(x: npt.ArrayLike, wavelet: Wavelet = "db4", threshold: str = "soft",
            rule: str = "universal", method: str = "plain", level: Optional[int] = None,
            sigma: Optional[float] = None,
            axis: Union[int, Tuple[int, int]] = -1) -> np.ndarray:
    """Wavelet shrinkage of noisy signals or square images.

    Each signal is transformed (:func:`wavedec`, or :func:`ti_table` for
    ``method='ti'``), its details shrunk toward zero and the result
    transformed back; the coarse coefficients are kept.

    Parameters
    ----------
    x : array_like
        Real signals of n = 2^J >= 2 values along `axis`, or square images
        of n x n on the two axes of `axis`; every other axis is a batch.
        NaN and Inf are refused.
    wavelet : str or array_like, optional
        A filter name or the low-pass filter's taps (default ``'db4'``).
    threshold : {'soft', 'hard'}, optional
        Soft shrinks every detail by the threshold, hard keeps those above
        it and zeroes the rest.
    rule : {'universal', 'sure'}, optional
        sigma sqrt(2 ln n) for every detail, or SureShrink's threshold of
        each level.
    method : {'plain', 'ti'}, optional
        The orthogonal transform, or the translation-invariant one (signals
        only).
    level : int, optional
        The number of levels shrunk, 1 .. J (default: all but
        min(4, J - 1) coarse levels, 2^min(4, J-1) coarse coefficients kept).
    sigma : float, optional
        The noise level when it is known; by default estimated from the
        median absolute value of the finest details (divided by 0.6745).
    axis : int or pair of int, optional
        The signals' axis (default: the last), or two axes: the images'.

    Returns
    -------
    numpy.ndarray
        The denoised signals, of x's shape (float32 for float32 input, else
        float64).

    Examples
    --------
    >>> rng = np.random.default_rng(3)
    >>> t = np.linspace(0, 1, 1024, endpoint=False)
    >>> clean = np.sin(4 * np.pi * t) + (t > 0.5)
    >>> noisy = clean + 0.1 * rng.standard_normal(t.size)
    >>> y = tfmex.denoise(noisy, 'sym8')
    >>> bool(np.std(y - clean) < 0.7 * np.std(noisy - clean))
    True
    """
    fn = "denoise"
    a = _array(fn, x)
    _real_finite(fn, a)
    h = _wavelet(fn, wavelet)
    hard = _choice(fn, "threshold", threshold, _THRESHOLDS) == "hard"
    sure = _choice(fn, "rule", rule, _RULES) == "sure"
    ti = _choice(fn, "method", method, _METHODS) == "ti"
    if sigma is not None:
        if isinstance(sigma, (bool, np.bool_)) or not isinstance(sigma, (int, float, np.number)):
            raise TypeError(f"{fn}: sigma must be a number >= 0 or None, got {sigma!r}")
        if not np.isfinite(sigma) or sigma < 0:
            raise ValueError(f"{fn}: sigma must be finite and >= 0, got {sigma!r}")
        sigma = float(sigma)
    image = isinstance(axis, (tuple, list))
    if image:
        if ti:
            raise ValueError(f"{fn}: method 'ti' is for signals; images take method 'plain'")
        r, c = _axes(fn, a, axis)
        if a.shape[r] != a.shape[c]:
            raise ValueError(f"{fn}: the images must be square, got {a.shape[r]} x {a.shape[c]}")
        moved = np.moveaxis(a, (r, c), (-2, -1))
        n = moved.shape[-1]
        J = _dyadic(fn, n, "the size of the images")
        items = moved.reshape((-1, n, n))
    else:
        ax = _axis(a, axis, fn)
        moved = np.moveaxis(a, ax, -1)
        n = moved.shape[-1]
        J = _dyadic(fn, n)
        items = moved.reshape((-1, n))
    if J < 1:
        raise ValueError(f"{fn}: signals need at least 2 values, got {n}")
    L = -1 if level is None else J - _int(fn, "level", level, 1, J)
    out = np.empty(items.shape)
    for i in range(items.shape[0]):
        if image:
            # The library reads an image column after column: give it the
            # transpose's rows, and read the result the same way.
            item = np.ascontiguousarray(items[i].T, dtype=np.float64)
            y = _tfmex.denoise_one(item, h, True, hard, sure, False, L, sigma)[0]
            out[i] = y.T
        else:
            item = np.ascontiguousarray(items[i], dtype=np.float64)
            out[i] = _tfmex.denoise_one(item, h, False, hard, sure, ti, L, sigma)[0]
    result = out.reshape(moved.shape)
    if image:
        result = np.moveaxis(result, (-2, -1), (r, c))
    else:
        result = np.moveaxis(result, -1, ax)
    return result.astype(np.float32) if a.dtype == np.float32 else result


class Block(NamedTuple):
    """One block of a basis: `index` of the 2^level blocks of its level;
    its coefficients are ``basis.coef[start:stop]``."""
    level: int
    index: int  # type: ignore[assignment]  # the block's index, not tuple.index
    start: int
    stop: int


_COSTS = {"entropy": 0, "lp": 1, "threshold": 2}


def _cost(fn: str, cost: Any) -> Tuple[int, float]:
    name, param = (cost, None) if isinstance(cost, str) else (None, None)
    if isinstance(cost, tuple) and len(cost) == 2 and isinstance(cost[0], str):
        name, param = cost
    if name not in _COSTS:
        raise ValueError(f"{fn}: cost must be 'entropy', 'lp', ('lp', p) with p > 0, "
                         f"'threshold' or ('threshold', s) with s >= 0, got {cost!r}")
    if name == "entropy":
        if param is not None:
            raise ValueError(f"{fn}: the entropy cost takes no parameter, got {cost!r}")
        return 0, 0.0
    if param is None:
        param = 1.0 if name == "lp" else 0.0
    if isinstance(param, bool) or not isinstance(param, (int, float, np.number)) \
            or not np.isfinite(param):
        raise TypeError(f"{fn}: the parameter of cost {name!r} must be a finite number, "
                        f"got {param!r}")
    if (name == "lp" and param <= 0) or (name == "threshold" and param < 0):
        raise ValueError(f"{fn}: cost ('lp', p) needs p > 0 and ('threshold', s) s >= 0, "
                         f"got {cost!r}")
    return _COSTS[name], float(param)


class Basis:
    """A best basis of a signal's wavelet packet or cosine packet table.

    Attributes
    ----------
    kind : {'packet', 'cosine'}
        The table it was chosen from.
    depth : int
        The table's depth.
    n : int
        The signal's length.
    blocks : list of Block
        The blocks, in the order of the table's rows (of time for cosine
        packets, of frequency bands for wavelet packets, up to the filter
        bank's alternation).
    coef : numpy.ndarray
        The n coefficients, block after block.
    cost : float
        The basis' cost.
    """

    def __init__(self, kind: str, depth: int, n: int, wavelet: Optional[np.ndarray],
                 depths: np.ndarray, indices: np.ndarray, coef: np.ndarray, cost: float):
        self.kind = kind
        self.depth = depth
        self.n = n
        self.wavelet = wavelet
        self._depths = np.asarray(depths, dtype=np.int64)
        self._indices = np.asarray(indices, dtype=np.int64)
        self.coef = coef
        self.cost = cost
        self.blocks: List[Block] = []
        for d, k in zip(self._depths.tolist(), self._indices.tolist()):
            size = n >> d
            self.blocks.append(Block(d, k, k * size, (k + 1) * size))

    def __repr__(self) -> str:
        count = len(self.blocks)
        return (f"<tfmex.Basis: {self.kind} table of depth {self.depth}, n = {self.n}, "
                f"{count} block{'s' if count != 1 else ''}, cost {self.cost:.6g}>")

    def rebuild(self, coef: Optional[npt.ArrayLike] = None) -> np.ndarray:
        """The signal of the basis' coefficients, or of other coefficients
        on the same blocks (``coef``, n values: thresholded ones, say).

        Examples
        --------
        >>> x = np.random.default_rng(4).standard_normal(64)
        >>> b = tfmex.best_basis(x, 3, 'db2')
        >>> np.allclose(b.rebuild(), x)
        True
        """
        fn = "Basis.rebuild"
        c = self.coef if coef is None else _array(fn, coef, "coef")
        if c.shape != (self.n,):
            raise ValueError(f"{fn}: coef must have shape ({self.n},), got {c.shape}")
        _real_finite(fn, c, "coef")
        cosine = self.kind == "cosine"
        h = self.wavelet if self.wavelet is not None else np.zeros(0)
        return _tfmex.basis_join(self._depths, self._indices, np.asarray(c, dtype=np.float64),
                                 cosine, self.depth, h)

    def energy_count(self, share: float) -> int:
        """The fewest coefficients that hold `share` (0 .. 1) of the energy.

        Examples
        --------
        >>> b = tfmex.best_basis(np.cos(np.arange(256) * 0.3), 4, kind='cosine')
        >>> b.energy_count(0.99) < 30
        True
        """
        fn = "Basis.energy_count"
        if isinstance(share, bool) or not isinstance(share, (int, float, np.number)) \
                or not 0 <= share <= 1:
            raise ValueError(f"{fn}: share must be a number in 0..1, got {share!r}")
        e = np.sort(self.coef ** 2)[::-1]
        total = float(e.sum())
        if total == 0 or share == 0:
            return 0
        k = int(np.searchsorted(np.cumsum(e), float(share) * total * (1 - 1e-15)))
        return min(k + 1, e.size)

    def tiling(self) -> Tuple[np.ndarray, np.ndarray]:
        """The basis' time-frequency tiles, one per coefficient, and its
        blocks' rectangles: arrays of rows (t0, t1, f0, f1), time in samples,
        frequency as a fraction of the Nyquist frequency."""
        return _tfmex.tiling(self._depths, self._indices, self.n, self.kind == "cosine")


def best_basis(x: npt.ArrayLike, depth: int, wavelet: Optional[Wavelet] = None,
               kind: str = "packet", cost: Union[str, Tuple[str, float]] = "entropy") -> Basis:
    """The basis of least cost of a signal's wavelet packet or cosine packet table.

    Parameters
    ----------
    x : array_like
        One real signal of n = 2^J values (1-D).
    depth : int
        The table's depth, 0 .. J.
    wavelet : str or array_like, optional
        The filter of a wavelet packet table (needed for ``kind='packet'``).
    kind : {'packet', 'cosine'}, optional
        The table: :func:`packet_table` or :func:`cosine_table`.
    cost : str or tuple, optional
        ``'entropy'`` (of the energies relative to the signal's),
        ``('lp', p)`` (sum of ``|c|^p``, p > 0; ``'lp'`` is p = 1) or
        ``('threshold', s)`` (the number of ``|c| > s``).

    Returns
    -------
    Basis
        Its blocks, coefficients, cost, :meth:`Basis.rebuild` and
        :meth:`Basis.energy_count`.

    Examples
    --------
    >>> x = np.cos(2 * np.pi * 50 * np.arange(512) / 512)
    >>> b = tfmex.best_basis(x, 4, 'sym8')
    >>> b.kind, b.depth, b.coef.shape
    ('packet', 4, (512,))
    """
    fn = "best_basis"
    a = _array(fn, x)
    if a.ndim != 1:
        raise ValueError(f"{fn}: x must be one signal (1-D), got shape {a.shape}")
    _real_finite(fn, a)
    J = _dyadic(fn, a.shape[0], "the length of x")
    D = _int(fn, "depth", depth, 0, J)
    _choice(fn, "kind", kind, ("packet", "cosine"))
    k, p = _cost(fn, cost)
    h: Optional[np.ndarray] = None
    if kind == "packet":
        if wavelet is None:
            raise ValueError(f"{fn}: kind 'packet' needs a wavelet (a name such as 'db4' or "
                             "the filter's taps)")
        h = _wavelet(fn, wavelet)
        table = packet_table(a, h, D)
    else:
        if wavelet is not None:
            raise ValueError(f"{fn}: kind 'cosine' takes no wavelet, got {wavelet!r}")
        table = cosine_table(a, D)
    depths, indices, coef, c = _tfmex.best_basis(table, k, p)
    return Basis(kind, D, a.shape[0], h, depths, indices, coef, float(c))

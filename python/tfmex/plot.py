"""Pictures of bases, tables and wavelet coefficients, with matplotlib.

Each function draws into `ax` (a new figure's axes when None) and returns
the Axes; nothing needs a display (use matplotlib's Agg backend, as a
headless script does by default). Levels are counted one way everywhere:
level d is what d halvings give, so level 1 holds the finest details and a
table's row d is level d.
"""
from __future__ import annotations

from typing import Any, Optional, Sequence

import numpy as np

from ._analysis import Basis

__all__ = ["tiling", "table", "levels"]


def _axes(ax: Any) -> Any:
    if ax is None:
        import matplotlib.pyplot as plt

        _, ax = plt.subplots(figsize=(7, 4.5), layout="constrained")  # room for the labels
    return ax


def _plural(count: int, word: str) -> str:
    return f"{count} {word}{'' if count == 1 else 's'}"


def tiling(basis: Basis, ax: Optional[Any] = None, cmap: str = "Greys") -> Any:
    """The time-frequency tiling of a best basis: one rectangle per
    coefficient, shaded by its magnitude, the basis' blocks outlined.

    Examples
    --------
    >>> import matplotlib
    >>> matplotlib.use('Agg')
    >>> b = tfmex.best_basis(np.cos(np.arange(128) ** 2 / 200), 4, 'db4')
    >>> ax = tfmex.plot.tiling(b)
    >>> ax.get_xlabel()
    'time (samples)'
    """
    from matplotlib.collections import PatchCollection
    from matplotlib.patches import Rectangle

    if not isinstance(basis, Basis):
        raise TypeError(f"tiling: basis must be a tfmex.Basis (from tfmex.best_basis), got "
                        f"{type(basis).__name__}")
    ax = _axes(ax)
    tiles, blocks = basis.tiling()
    mag = np.abs(basis.coef)
    top = float(mag.max()) or 1.0
    shade = np.sqrt(mag / top)  # the small coefficients stay visible
    patches = [Rectangle((t0, f0), t1 - t0, f1 - f0) for t0, t1, f0, f1 in tiles]
    cells = PatchCollection(patches, cmap=cmap, edgecolor="none")
    cells.set_array(shade)
    cells.set_clim(0, 1)
    ax.add_collection(cells)
    outlines = [Rectangle((t0, f0), t1 - t0, f1 - f0) for t0, t1, f0, f1 in blocks]
    ax.add_collection(PatchCollection(outlines, facecolor="none", edgecolor="tab:red",
                                      linewidth=0.8))
    ax.set_xlim(0, basis.n)
    ax.set_ylim(0, 1)
    ax.set_xlabel("time (samples)")
    ax.set_ylabel("frequency (fraction of Nyquist)")
    name = "wavelet packet" if basis.kind == "packet" else "cosine packet"
    ax.set_title(f"Best {name} basis: {_plural(len(basis.blocks), 'block')}, "
                 f"table of depth {basis.depth}")
    return ax


def table(t: Any, ax: Optional[Any] = None, kind: str = "packet", cmap: str = "viridis") -> Any:
    """A level table (packet_table, cosine_table or ti_table of one signal:
    levels x n) as an image of its magnitudes, one row per level, the
    blocks of each level separated.

    `kind` names the rows: ``'packet'`` and ``'cosine'`` tables hold the
    signal (or its whole segment) at level 0, ``'ti'`` tables the coarse
    blocks of the deepest level at row 0.

    Examples
    --------
    >>> import matplotlib
    >>> matplotlib.use('Agg')
    >>> ax = tfmex.plot.table(tfmex.packet_table(np.arange(64.0), 'haar', 3))
    >>> [label.get_text() for label in ax.get_yticklabels()][:2]
    ['level 0 (signal)', 'level 1']
    """
    a = np.asarray(t)
    if a.ndim != 2 or a.dtype.kind not in "biuf":
        raise ValueError(f"table: t must be one real table of levels x n values, got shape "
                         f"{a.shape} and dtype {a.dtype}")
    if kind not in ("packet", "cosine", "ti"):
        raise ValueError(f"table: kind must be 'packet', 'cosine' or 'ti', got {kind!r}")
    ax = _axes(ax)
    rows, n = a.shape
    D = rows - 1
    mag = np.abs(a)
    # Every row on its own scale, so that the small details show.
    scale = mag.max(axis=1, keepdims=True)
    scale[scale == 0] = 1
    ax.imshow(np.sqrt(mag / scale), aspect="auto", cmap=cmap, interpolation="nearest",
              extent=(0, n, rows - 0.5, -0.5))
    for d in range(rows):
        blocks = 1 << (D if (kind == "ti" and d == 0) else d)
        for b in range(1, min(blocks, 64)):
            ax.plot([b * n / blocks] * 2, [d - 0.5, d + 0.5], color="white", linewidth=0.6)
    labels = []
    for d in range(rows):
        if kind == "ti":
            labels.append(f"coarse, level {D}" if d == 0 else f"details, level {d}")
        else:
            labels.append("level 0 (signal)" if d == 0 else f"level {d}")
    ax.set_yticks(range(rows))
    ax.set_yticklabels(labels)
    ax.set_xlabel("position in the table")
    name = {"packet": "Wavelet packet", "cosine": "Cosine packet", "ti": "Translation-invariant"}
    ax.set_title(f"{name[kind]} table, {_plural(D, 'level')}")
    return ax


def levels(coeffs: Sequence[Any], ax: Optional[Any] = None, color: str = "tab:blue") -> Any:
    """The coefficients of :func:`tfmex.wavedec` of one signal, one level a
    row: each coefficient a spike at its position in time, its height the
    signed square root of its size relative to the largest detail, the
    finest level (1) at the bottom, the coarse coefficients at the top.

    Examples
    --------
    >>> import matplotlib
    >>> matplotlib.use('Agg')
    >>> ax = tfmex.plot.levels(tfmex.wavedec(np.arange(256.0) ** 0.5, 'db4', level=4))
    >>> [label.get_text() for label in ax.get_yticklabels()][-1]
    'coarse, level 4'
    """
    if not isinstance(coeffs, (list, tuple)) or not coeffs:
        raise TypeError("levels: coeffs must be the list tfmex.wavedec returns for one signal")
    parts = [np.asarray(c) for c in coeffs]
    if any(p.ndim != 1 for p in parts):
        raise ValueError("levels: coeffs must be of one signal (1-D arrays)")
    ax = _axes(ax)
    K = len(parts) - 1
    n = sum(p.size for p in parts)
    # Details share one scale, so that levels compare, drawn as the signed
    # square root of the value so that the small spikes of the finest levels
    # stay visible (a hundredth of the largest is a tenth of its height).
    details = np.concatenate(parts[1:]) if K else np.zeros(1)
    top = float(np.abs(details).max()) or 1.0
    for row, p in enumerate(parts[1:][::-1] + [parts[0]]):
        base = row
        values = p / (float(np.abs(p).max()) or 1.0) if row == K else p / top
        values = np.sign(values) * np.sqrt(np.abs(values))
        t = (np.arange(p.size) + 0.5) * (n / p.size)
        ax.vlines(t, base, base + 0.45 * values, color=color if row < K else "black",
                  linewidth=1.0)
        ax.axhline(base, color="0.8", linewidth=0.5, zorder=0)
    ax.set_yticks(range(K + 1))
    ax.set_yticklabels([f"level {j}" for j in range(1, K + 1)] + [f"coarse, level {K}"])
    ax.set_xlim(0, n)
    ax.set_ylim(-0.6, K + 0.6)
    ax.set_xlabel("time (samples)")
    ax.set_title(f"Wavelet coefficients, {_plural(K, 'level')} (level 1 finest)")
    return ax

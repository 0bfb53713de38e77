"""tfmex.dask: the functions of tfmex and its plug-ins across a dask array.

``apply(name, x, *args, axis=-1, **kwargs)`` runs the function ``tfmex.<name>``
(``'dct'``, ``'wavedec'``, ``'packet_table'``, ``'denoise'``, ...) on every
block of a dask array chunked along its batch axes: the transform's axis (or
the two axes of an image) is gathered into one chunk, every other axis keeps
the caller's chunks, and each block is one ordinary call of the function, so
the result has the bytes of the call on the whole array. A function that
returns a list (``wavedec``, ``wavedec2``) gives a list of dask arrays of the
same layout; the reconstructions (``waverec``, ``waverec2``, ``dual_waverec``)
take such lists.

The plug-ins in MATLAB's conventions (tfmex.plugins, capitalised names) keep
their own forms, picked by ``apply`` from the name as well:

- ``columns(name, x, *args)``: a plug-in that transforms every column of a
  matrix (CircSplit, CircJoin, DualSplit, DualJoin) over a 2-D array of
  n x k, chunked by columns (the rows are gathered into one chunk). A
  one-row array is a single signal and is transformed as one block.
- ``signals(name, batch, *args)``: a plug-in that takes one signal (TrigC2,
  TrigC3, TrigS2, TrigS3, TrigC4, HalveCoarse, HalveDetail, GrowCoarse,
  GrowDetail; of a matrix they use the first column) on every row of a
  k x n array, chunked by rows; returns the k results as rows.
- ``images(name, stack, *args)``: CircSplit2 or CircJoin2 on every image
  ``stack[i]`` of a 3-D array of k x n x n, chunked along the first axis.
- ``tables(name, batch, *args)``: the table plug-ins over a batch.
  PacketSplit, ShiftSplit and BellSplit take k signals as the rows of a
  k x n array and return the stacked tables, k x n x c;
  PacketJoin, ShiftJoin and BellJoin take stacked tables, k x n x c, and
  return the k signals as rows, k x n.

Either way the function is first called once on zeros of one item's shape
and dtype, so a refused call raises its error at once, before any graph
runs, and the output's shape and dtype are known. Workers import tfmex
themselves: they need it on their PYTHONPATH, as the caller has it.
"""
from __future__ import annotations

import operator
from typing import Any, Dict, Iterator, List, Optional, Tuple, Union

import numpy as np
import dask.array as da
from dask.base import tokenize
from dask.core import flatten
from dask.highlevelgraph import HighLevelGraph

import tfmex
from tfmex import _api, plugins

COLUMN_PLUGINS = ("CircSplit", "CircJoin", "DualSplit", "DualJoin")
SIGNAL_PLUGINS = ("TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4",
                  "HalveCoarse", "HalveDetail", "GrowCoarse", "GrowDetail")
IMAGE_PLUGINS = ("CircSplit2", "CircJoin2")
TABLE_SPLITS = ("PacketSplit", "ShiftSplit", "BellSplit")
TABLE_JOINS = ("PacketJoin", "ShiftJoin", "BellJoin")

__all__ = ["apply", "columns", "signals", "images", "tables", "FUNCTIONS",
           "COLUMN_PLUGINS", "SIGNAL_PLUGINS", "IMAGE_PLUGINS", "TABLE_SPLITS", "TABLE_JOINS"]


def _plugin(name, kinds):
    if name not in kinds:
        raise ValueError(f"{name} is not one of {', '.join(kinds)}")
    return getattr(plugins, name)


# Block functions: each item of a block is one ordinary call of the plug-in.
def _column_block(block, plugin, args):
    return getattr(plugins, plugin)(block, *args)


def _image_block(block, plugin, args):
    f = getattr(plugins, plugin)
    return np.stack([f(image, *args) for image in block])


def _split_block(block, plugin, args):
    f = getattr(plugins, plugin)
    return np.stack([f(signal, *args) for signal in block])


def _row_block(block, plugin, args):
    f = getattr(plugins, plugin)
    return np.stack([f(signal, *args)[0] for signal in block])


def _join_block(block, plugin, args):
    f = getattr(plugins, plugin)
    return np.stack([f(table, *args)[0] for table in block])


def _map(fn, x, plugin, args, chunks, drop_axis=None, new_axis=None):
    return da.map_blocks(fn, x, plugin=plugin, args=tuple(args), chunks=chunks,
                         dtype=np.float64, meta=np.empty((0,) * len(chunks)),
                         drop_axis=drop_axis, new_axis=new_axis,
                         name="tfmex-" + plugin.lower() + "-" + tokenize(x, args))


def columns(name, x, *args):
    """Column-wise plug-in `name` on every column of the 2-D dask array x."""
    f = _plugin(name, COLUMN_PLUGINS)
    x = da.asarray(x)
    if x.ndim != 2:
        raise ValueError(f"{name}: columns() takes a 2-D array, not shape {x.shape}")
    if x.shape[0] == 1:
        x = x.rechunk((1, -1))  # one row is one signal: never split it
        out = f(np.zeros(x.shape, x.dtype), *args).shape
        chunks = ((out[0],), (out[1],))
    else:
        x = x.rechunk({0: -1})
        out = f(np.zeros((x.shape[0], 1), x.dtype), *args).shape
        chunks = ((out[0],), x.chunks[1])
    return _map(_column_block, x, name, args, chunks)


def signals(name, batch, *args):
    """One-signal plug-in `name` on every row of the 2-D dask array batch."""
    f = _plugin(name, SIGNAL_PLUGINS)
    batch = da.asarray(batch)
    if batch.ndim != 2:
        raise ValueError(f"{name}: signals() takes k signals as a k x n array, "
                         f"not shape {batch.shape}")
    batch = batch.rechunk({1: -1})
    out = f(np.zeros(batch.shape[1], batch.dtype), *args).shape
    return _map(_row_block, batch, name, args, (batch.chunks[0], (out[1],)))


def images(name, stack, *args):
    """2-D plug-in `name` on every image stack[i] of the 3-D dask array stack."""
    f = _plugin(name, IMAGE_PLUGINS)
    stack = da.asarray(stack)
    if stack.ndim != 3:
        raise ValueError(f"{name}: images() takes a 3-D array, not shape {stack.shape}")
    stack = stack.rechunk({1: -1, 2: -1})
    out = f(np.zeros(stack.shape[1:], stack.dtype), *args).shape
    return _map(_image_block, stack, name, args, (stack.chunks[0], (out[0],), (out[1],)))


def tables(name, batch, *args):
    """Table plug-in `name` over a batch: signals (rows of a k x n array) to
    stacked tables (k x n x c) for the splits, stacked tables back to signals
    for the joins."""
    if name in TABLE_SPLITS:
        f = getattr(plugins, name)
        batch = da.asarray(batch)
        if batch.ndim != 2:
            raise ValueError(f"{name}: tables() takes k signals as a k x n array, "
                             f"not shape {batch.shape}")
        batch = batch.rechunk({1: -1})
        out = f(np.zeros(batch.shape[1], batch.dtype), *args).shape
        return _map(_split_block, batch, name, args,
                    (batch.chunks[0], (out[0],), (out[1],)), new_axis=2)
    f = _plugin(name, TABLE_JOINS)
    batch = da.asarray(batch)
    if batch.ndim != 3:
        raise ValueError(f"{name}: tables() takes stacked tables, k x n x c, "
                         f"not shape {batch.shape}")
    batch = batch.rechunk({1: -1, 2: -1})
    out = f(np.zeros(batch.shape[1:], batch.dtype), *args).shape
    return _map(_join_block, batch, name, args, (batch.chunks[0], (out[1],)), drop_axis=2)


# ---- the functions of tfmex ---------------------------------------------------

# How each function's arrays are laid out: "signal" transforms along `axis`
# and keeps the number of dimensions (the length may change), "table" puts
# a new axis of levels before `axis`, "join" takes that axis away again,
# "image" works on the two axes of `axes`, "basis" gives one object per
# signal. denoise is "image" when its axis is a pair.
FUNCTIONS: Dict[str, str] = {
    "wavedec": "signal", "waverec": "signal", "dual_wavedec": "signal", "dual_waverec": "signal",
    "dct": "signal", "idct": "signal", "dst": "signal", "idst": "signal",
    "mean_pyramid": "signal", "mean_pyramid_join": "signal", "median_pyramid_join": "signal",
    "median_refine": "signal", "mean_refine": "signal", "denoise": "signal",
    "ti_table": "table", "packet_table": "table", "cosine_table": "table",
    "ti_join": "join", "packet_join": "join", "cosine_join": "join",
    "wavedec2": "image", "waverec2": "image",
    "best_basis": "basis",
}
# The reconstructions take the list of arrays their transform returns.
_LIST_INPUTS = ("waverec", "dual_waverec", "waverec2")

Layout = Optional[Tuple[bool, List[Any]]]  # None: one array; else (is a tuple, the items)


def _flatten(value: Any) -> Tuple[List[Any], Layout]:
    """The arrays of a nested list or tuple, in order, and its layout."""
    if isinstance(value, (list, tuple)):
        parts: List[Any] = []
        items = []
        for v in value:
            p, layout = _flatten(v)
            parts += p
            items.append(layout)
        return parts, (isinstance(value, tuple), items)
    return [value], None


def _rebuild(parts: Iterator[Any], layout: Layout) -> Any:
    if layout is None:
        return next(parts)
    is_tuple, items = layout
    out = [_rebuild(parts, item) for item in items]
    return tuple(out) if is_tuple else out


def _function_block(*blocks: np.ndarray, fn_name: str, args: tuple, kwargs: dict,
                    layout: Layout, many: bool) -> Any:
    """One ordinary call of tfmex.<fn_name> on the blocks (put back in the
    input's layout); the result's arrays as a tuple when it has many."""
    out = getattr(tfmex, fn_name)(_rebuild(iter(blocks), layout), *args, **kwargs)
    return tuple(_flatten(out)[0]) if many else out


def _basis_block(block: np.ndarray, *, axis: int, args: tuple, kwargs: dict) -> np.ndarray:
    """best_basis of every signal of the block along axis, as an object array."""
    signals = np.moveaxis(block, axis, -1)
    out = np.empty(signals.shape[:-1], dtype=object)
    for i in np.ndindex(out.shape):
        out[i] = tfmex.best_basis(signals[i], *args, **kwargs)
    return out


_PLUGINS = COLUMN_PLUGINS + SIGNAL_PLUGINS + IMAGE_PLUGINS + TABLE_SPLITS + TABLE_JOINS


def _known() -> str:
    return f"the functions of tfmex: {', '.join(FUNCTIONS)}; the plug-ins: {', '.join(_PLUGINS)}"


def _core_axes(name: str, kind: str, ndim: int, axis: Any,
               kwargs: dict) -> Tuple[str, List[int], dict]:
    """The function's kind for these arguments, the input's transform axes
    (each in 0 .. ndim-1, ascending) and the keywords that pass them on."""
    probe = np.empty((0,) * ndim)
    if name in ("wavedec2", "waverec2"):
        axes = kwargs.pop("axes", None)
        if axes is None:
            if isinstance(axis, (tuple, list)):
                axes = axis
            elif axis != -1:
                raise TypeError(f"{name}: the images' axes are given as axes=(rows, columns), "
                                f"got axis={axis!r}")
            else:
                axes = (-2, -1)
        r, c = _api._axes(name, probe, axes)
        return "image", sorted((r, c)), {"axes": (r, c)}
    if name == "denoise" and isinstance(axis, (tuple, list)):
        r, c = _api._axes(name, probe, axis)
        return "image", sorted((r, c)), {"axis": (r, c)}
    if ndim == 0:
        raise ValueError(f"{name}: x must have at least one dimension, got a scalar")
    ax = _api._axis(probe, axis, name)
    if kind == "join" and ax > 0:
        return kind, [ax - 1, ax], {"axis": ax}
    if kind == "basis":
        return kind, [ax], {}
    return kind, [ax], {"axis": ax}


def _out_core(kind: str, core: List[int]) -> List[int]:
    """Where the output's transform axes are, given the input's."""
    if kind == "table":
        return [core[0], core[0] + 1]
    if kind == "join":
        return [core[0]]
    if kind == "basis":
        return []
    return core


def _function(name: str, x: Any, args: tuple, axis: Any, kwargs: dict) -> Any:
    fn = getattr(tfmex, name)
    kwargs = dict(kwargs)
    if name in _LIST_INPUTS:
        if not isinstance(x, (list, tuple)) or not x:
            raise TypeError(f"{name}: coeffs must be the list of arrays "
                            f"{name.replace('rec', 'dec')} returns")
        parts, layout = _flatten(x)
    else:
        parts, layout = [x], None
    parts = [da.asarray(p) for p in parts]
    ndim = parts[0].ndim
    if any(p.ndim != ndim for p in parts):
        raise ValueError(f"{name}: the arrays of coeffs must all have the same number of "
                         "dimensions")
    kind, core, pass_on = _core_axes(name, FUNCTIONS[name], ndim, axis, kwargs)
    batch = [i for i in range(ndim) if i not in core]
    if any([p.shape[i] for i in batch] != [parts[0].shape[i] for i in batch] for p in parts):
        raise ValueError(f"{name}: the arrays of coeffs differ in their batch dimensions: "
                         f"{[p.shape for p in parts]}")
    parts = [p.rechunk({i: -1 for i in core}) for p in parts]

    # One call on zeros of one item: a refused call fails here, and the
    # output's shapes and dtypes are known.
    def zero(p: da.Array) -> np.ndarray:
        return np.zeros([p.shape[i] if i in core else 1 for i in range(ndim)], dtype=p.dtype)

    if kind == "basis":
        fn(np.zeros(parts[0].shape[core[0]], parts[0].dtype), *args, **kwargs)  # one signal
    else:
        probe = fn(_rebuild(iter([zero(p) for p in parts]), layout), *args, **pass_on, **kwargs)

    token = tokenize(name, parts, layout, args, pass_on, kwargs)
    key = f"tfmex-{name}-{token}"
    b_ind = tuple(f"b{i}" for i in batch)
    in_ind: List[Any] = []  # each part and its index: core axes its own, batch axes shared
    for k, p in enumerate(parts):
        in_ind += [p, tuple(f"i{k}_{i}" if i in core else f"b{i}" for i in range(ndim))]

    if kind == "basis":
        return da.blockwise(_basis_block, b_ind, *in_ind, name=key, concatenate=True,
                            meta=np.empty((0,) * len(batch), dtype=object),
                            axis=core[0], args=args, kwargs=kwargs)

    outs, out_layout = _flatten(probe)
    ocore = _out_core(kind, core)

    def out_index(out: np.ndarray) -> Tuple[Tuple[str, ...], Dict[str, int]]:
        if out.ndim != len(batch) + len(ocore):
            raise RuntimeError(f"{name} gave an array of {out.ndim} dimensions; "
                               f"tfmex.dask expected {len(batch) + len(ocore)}")
        o_ind: List[str] = []
        sizes: Dict[str, int] = {}
        b = iter(b_ind)
        for i in range(out.ndim):
            if i in ocore:
                o_ind.append(f"o{i}")
                sizes[f"o{i}"] = out.shape[i]
            else:
                o_ind.append(next(b))
        return tuple(o_ind), sizes

    if out_layout is None:
        ind, sizes = out_index(probe)
        return da.blockwise(_function_block, ind, *in_ind, name=key, new_axes=sizes,
                            concatenate=True, meta=np.empty((0,) * probe.ndim, probe.dtype),
                            fn_name=name, args=args, kwargs={**pass_on, **kwargs},
                            layout=layout, many=False)

    # Many arrays: one task per block gives them all, and each output picks its own.
    whole = da.blockwise(_function_block, b_ind, *in_ind, name=key, concatenate=True,
                         meta=np.empty((0,) * len(batch), dtype=object),
                         fn_name=name, args=args, kwargs={**pass_on, **kwargs},
                         layout=layout, many=True)
    keys = list(flatten(whole.__dask_keys__()))
    leaves = []
    for j, out in enumerate(outs):
        out_index(out)  # checks its dimensions
        leaf = f"tfmex-{name}-{j}-{token}"
        graph = {}
        for block_key in keys:
            b = iter(block_key[1:])
            graph[(leaf,) + tuple(0 if i in ocore else next(b) for i in range(out.ndim))] = \
                (operator.getitem, block_key, j)
        chunks: List[Tuple[int, ...]] = []
        b_chunks = iter(whole.chunks)
        for i in range(out.ndim):
            chunks.append((out.shape[i],) if i in ocore else next(b_chunks))
        leaves.append(da.Array(HighLevelGraph.from_collections(leaf, graph, dependencies=[whole]),
                               leaf, chunks=tuple(chunks),
                               meta=np.empty((0,) * out.ndim, out.dtype)))
    return _rebuild(iter(leaves), out_layout)


def apply(name: str, x: Any, *args: Any, axis: Union[int, Tuple[int, int]] = -1,
          **kwargs: Any) -> Any:
    """The function `name` of tfmex (or a plug-in) across the blocks of a dask array.

    Parameters
    ----------
    name : str
        A function of tfmex that transforms arrays along an axis (one of
        :data:`FUNCTIONS`: ``'dct'``, ``'wavedec'``, ``'packet_table'``,
        ``'denoise'``, ``'wavedec2'``, ...), or a plug-in's capitalised name
        (``'CircSplit'``, ...; see the module), which keeps the plug-in's
        MATLAB conventions and takes positional arguments only.
    x : dask.array.Array or array_like
        The signals, chunked along any axes but the transform's; for
        ``waverec``, ``dual_waverec`` and ``waverec2`` the list of arrays
        their transform returns.
    *args, **kwargs
        The function's own arguments, as in the call on a numpy array
        (``apply('wavedec', x, 'db4', level=3)``); ``axes=(r, c)`` for the
        images of ``wavedec2`` and ``waverec2``.
    axis : int or pair of int, optional
        The transform's axis (default: the last); a pair for ``denoise`` of
        images. Every other axis is a batch and keeps its chunks.

    Returns
    -------
    dask.array.Array, or a list of them
        Laid out as the function's result: a list (of tuples, for
        ``wavedec2``) of dask arrays for the transforms that return lists,
        an object array of :class:`tfmex.Basis` (one per signal) for
        ``best_basis``. Each block computes the bytes the function gives
        on the whole array; dtypes follow the function (float32 stays
        float32, complex stays complex).

    Raises
    ------
    ValueError
        For a name that is neither (listing those that exist), and for
        the function's own refusal, found by one call on zeros before any
        graph is built; TypeError likewise.

    Examples
    --------
    >>> import dask.array as da
    >>> x = da.ones((6, 16), chunks=(4, 8))
    >>> y = tfmex.dask.apply('dct', x)
    >>> y.chunks
    ((4, 2), (16,))
    >>> np.array_equal(y.compute(), tfmex.dct(np.ones((6, 16))))
    True
    >>> [c.shape for c in tfmex.dask.apply('wavedec', x, 'haar', level=2)]
    [(6, 4), (6, 4), (6, 8)]
    >>> tfmex.dask.apply('packet_table', x, 'db2', 3).shape
    (6, 4, 16)
    """
    if name in _PLUGINS:
        if kwargs or axis != -1:
            raise TypeError(f"{name} is a plug-in: it takes positional arguments only, no "
                            "axis or keywords")
        if name in COLUMN_PLUGINS:
            return columns(name, x, *args)
        if name in SIGNAL_PLUGINS:
            return signals(name, x, *args)
        if name in IMAGE_PLUGINS:
            return images(name, x, *args)
        return tables(name, x, *args)
    if name in FUNCTIONS:
        return _function(name, x, args, axis, kwargs)
    if isinstance(name, str) and hasattr(plugins, name):
        raise ValueError(f"{name} has no dask form: it is not a column, signal, image or table "
                         f"plug-in; there are {_known()}")
    raise ValueError(f"tfmex.dask.apply: no function {name!r}; there are {_known()}")

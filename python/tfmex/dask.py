"""tfmex.dask: a plug-in applied across a dask array, block by block.

Three kinds of work split into independent calls:

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

``apply(name, data, *args)`` picks the kind from the plug-in's name. The
plug-in is first called once on zeros of one item's shape and dtype, so a refused call
raises its ValueError at once, before any graph runs, and the output shape
is known. Every block gives the same doubles as the serial loop over its
items (each item is one ordinary call of the plug-in from tfmex.plugins).
Workers import tfmex themselves: they need it on their PYTHONPATH, as the
caller has it.
"""
import numpy as np
import dask.array as da
from dask.base import tokenize

from tfmex import plugins

COLUMN_PLUGINS = ("CircSplit", "CircJoin", "DualSplit", "DualJoin")
SIGNAL_PLUGINS = ("TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4",
                  "HalveCoarse", "HalveDetail", "GrowCoarse", "GrowDetail")
IMAGE_PLUGINS = ("CircSplit2", "CircJoin2")
TABLE_SPLITS = ("PacketSplit", "ShiftSplit", "BellSplit")
TABLE_JOINS = ("PacketJoin", "ShiftJoin", "BellJoin")

__all__ = ["apply", "columns", "signals", "images", "tables",
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


def apply(name, data, *args):
    """Plug-in `name` across `data`, split as its kind allows (see the module)."""
    if name in COLUMN_PLUGINS:
        return columns(name, data, *args)
    if name in SIGNAL_PLUGINS:
        return signals(name, data, *args)
    if name in IMAGE_PLUGINS:
        return images(name, data, *args)
    if name in TABLE_SPLITS or name in TABLE_JOINS:
        return tables(name, data, *args)
    raise ValueError(f"{name} has no dask form: it is not a column, signal, image or "
                     "table plug-in")

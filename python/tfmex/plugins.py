"""tfmex.plugins: the 26 plug-ins as functions on numpy arrays, in MATLAB's
conventions.

Each function has the plug-in's name and argument order and runs the
plug-in's own gateway (its checks, messages and library calls), compiled
into the module tfmex._tfmex:

    w = tfmex.plugins.CircSplit(x, L, h)

Arguments follow MATLAB's shape rules. A 2-D float64 array keeps its shape
(columns are signals), whether it is C- or Fortran-ordered; a 1-D array is a
row (1 x n); a Python int or float is a 1 x 1 double, as a number typed in
MATLAB is; a list or tuple of Python numbers is read like a MATLAB literal
(integers become doubles). Arrays of other dtypes (integers, bool, float32,
complex, strings) are passed as what they are and refused by the plug-in
with its own message, as Octave refuses int32 or logical arguments: convert
them with ``a.astype(float)`` first. Arrays of more than two dimensions are
refused.

A Fortran-ordered float64 argument is read where it lies; other arrays are
copied into that order first. Every result is a new 2-D float64 array
(Fortran-ordered) of the shape Octave gives: a transformed row stays 1 x n,
a table is n x (D + 1), the joins of a table return a 1 x n row. A refused
call raises ValueError with the plug-in's message (TypeError when the
message is about an argument's class, MemoryError when memory runs out).
The GIL is released while a plug-in runs, so threads calling plug-ins run in
parallel.
"""
import inspect
import os

import numpy as np

from . import _tfmex

# Each plug-in's arguments, in order, as its help file names them.
_ARGUMENTS = {
    "BellJoin": ("t",),  # further arguments are accepted and ignored
    "BellSplit": ("x", "D", "bell"),
    "BlockMeanJoin": ("wc", "L", "D"),
    "BlockMeanSplit": ("x", "L", "D"),
    "CenterJoin": ("wc", "L", "D"),
    "CenterPredict": ("c", "D"),
    "CircJoin": ("wc", "L", "h"),
    "CircJoin2": ("w", "L", "h"),
    "CircSplit": ("x", "L", "h"),
    "CircSplit2": ("x", "L", "h"),
    "DualJoin": ("w", "L", "qmf", "dqmf"),
    "DualSplit": ("x", "L", "qmf", "dqmf"),
    "GrowCoarse": ("a", "h"),
    "GrowDetail": ("d", "h"),
    "HalveCoarse": ("x", "h"),
    "HalveDetail": ("x", "h"),
    "PacketJoin": ("t", "h"),
    "PacketSplit": ("x", "D", "h"),
    "ShiftJoin": ("t", "h"),
    "ShiftSplit": ("x", "L", "h"),
    "TrigC2": ("x",),
    "TrigC3": ("y",),
    "TrigC4": ("x",),
    "TrigS2": ("x",),
    "TrigS3": ("y",),
    "TriplePredict": ("c", "D"),
}


def plugin_version(name):
    """The interface version a plug-in reports (its mexVersion)."""
    if name not in _tfmex.PLUGINS:
        raise ValueError(f"no plug-in named {name!r}")
    return _tfmex.version(name)


def _matrix(name, value):
    """An argument the module does not read itself, as an array of at most
    two dimensions. (The module reads numpy arrays of up to two dimensions in
    native byte order, Python floats and ints, and lists and tuples of them,
    by these same rules.)"""
    if isinstance(value, np.ndarray):
        a = value
    elif isinstance(value, (bool, np.bool_)):
        a = np.array(value)  # logical: refused by the plug-in
    elif isinstance(value, (int, float)):
        a = np.array(float(value))
    elif isinstance(value, str):
        a = np.array(list(value), dtype="U1")  # a char row: refused where it is read
    elif isinstance(value, (np.generic, complex)):
        a = np.asarray(value)
    elif isinstance(value, (list, tuple)):
        a = np.asarray(value)
        if a.dtype.kind in "iu":
            a = a.astype(np.float64)
    else:
        raise TypeError(f"{name}: arguments must be numpy arrays or numbers, "
                        f"not {type(value).__name__}")
    if a.dtype.kind == "f" and a.dtype.itemsize == 8 and not a.dtype.isnative:
        a = a.astype(np.float64)
    if a.ndim == 0:
        return a.reshape(1, 1)
    if a.ndim == 1:
        return a.reshape(1, a.shape[0])
    if a.ndim == 2:
        return a
    raise ValueError(f"{name}: arguments have at most two dimensions, not shape {a.shape}")


_tfmex.set_converter(_matrix)


def _help_text(name):
    """The plug-in's help text, from its help file kept in the package."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "help", name + ".m")
    if not os.path.isfile(path):
        return ""
    lines = []
    with open(path, encoding="utf-8") as fh:
        for line in fh:
            if not line.startswith("%"):
                break
            lines.append(line[1:].rstrip())
    return "\n".join(lines)


def _plugin_function(name, index):
    # A plug-in compiled in without an entry above takes any arguments.
    params = _ARGUMENTS.get(name, ())
    at_least = name == "BellJoin" or name not in _ARGUMENTS
    parameters = [inspect.Parameter(p, inspect.Parameter.POSITIONAL_OR_KEYWORD) for p in params]
    if at_least:
        parameters.append(inspect.Parameter("ignored", inspect.Parameter.VAR_POSITIONAL))
    signature = inspect.Signature(parameters)
    count = len(params)
    call = _tfmex.call

    def plugin(*args, **kwargs):
        if kwargs or (len(args) < count if at_least else len(args) != count):
            # Keywords, or Python's own message for a wrong count.
            bound = signature.bind(*args, **kwargs)
            args = tuple(bound.arguments[p] for p in params)
            args += tuple(bound.arguments.get("ignored", ()))
        return call(index, args)

    plugin.__name__ = plugin.__qualname__ = name
    plugin.__module__ = __name__
    plugin.__signature__ = signature  # type: ignore[attr-defined]  # read by inspect
    shown = ", ".join(params + (("...",) if at_least else ()))
    plugin.__doc__ = (f"{name}({shown}): the {name} plug-in; returns a new 2-D float64 "
                      f"array.\n\n" + _help_text(name))
    return plugin


__all__ = sorted(_tfmex.PLUGINS) + ["plugin_version"]

for _index, _name in enumerate(_tfmex.PLUGINS):
    globals()[_name] = _plugin_function(_name, _index)
del _index, _name

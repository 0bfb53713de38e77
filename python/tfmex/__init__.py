"""tfmex from Python: the 26 plug-ins as functions on numpy arrays.

Each function has the plug-in's name and argument order and calls the
plug-in file itself (<Plugin>.mex) through the embedded host, the same binary
that GNU Octave and MATLAB load:

    w = tfmex.CircSplit(x, L, h)

Arguments follow MATLAB's shape rules. A 2-D float64 array keeps its shape
(columns are signals), whether it is C- or Fortran-ordered; a 1-D array is a
row (1 x n); a Python int or float is a 1 x 1 double, as a number typed in
MATLAB is; a list or tuple of Python numbers is read like a MATLAB literal
(integers become doubles). Arrays of other dtypes (integers, bool, float32,
complex, strings) are passed as what they are and refused by the plug-in
with its own message, as Octave refuses int32 or logical arguments: convert
them with ``a.astype(float)`` first. Arrays of more than two dimensions are
refused.

Every result is a new 2-D float64 array (Fortran-ordered) of the shape
Octave gives: a transformed row stays 1 x n, a table is n x (D + 1), the
joins of a table return a 1 x n row. A refused call raises ValueError with
the plug-in's message (TypeError when the message is about an argument's
class). The GIL is released while a plug-in runs, so threads calling
plug-ins run in parallel.

The plug-in files are taken from the folder in TFMEX_MEX_DIR when it is
set, else from the ``mex`` folder inside this package (an installed copy),
else from the build this module was built in.
"""
import inspect
import os

import numpy as np

from . import _tfmex

__all__ = [
    "BellJoin", "BellSplit", "BlockMeanJoin", "BlockMeanSplit", "CenterJoin", "CenterPredict",
    "CircJoin", "CircJoin2", "CircSplit", "CircSplit2", "DualJoin", "DualSplit", "GrowCoarse",
    "GrowDetail", "HalveCoarse", "HalveDetail", "PacketJoin", "PacketSplit", "ShiftJoin",
    "ShiftSplit", "TrigC2", "TrigC3", "TrigC4", "TrigS2", "TrigS3", "TriplePredict",
    "mex_dir", "plugin_version",
]

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


def mex_dir():
    """The folder the plug-in files are loaded from."""
    env = os.environ.get("TFMEX_MEX_DIR")
    if env:
        return env
    packaged = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mex")
    if os.path.isdir(packaged):
        return packaged
    return _tfmex.default_mex_dir()


def plugin_version(name):
    """The interface version a plug-in reports (its mexVersion)."""
    if name not in _ARGUMENTS:
        raise ValueError(f"no plug-in named {name!r}")
    return _tfmex.version(name, mex_dir())


def _matrix(name, value):
    """One argument as an array of at most two dimensions, made 2-D."""
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


def _call(name, args):
    return _tfmex.call(name, [_matrix(name, a) for a in args], mex_dir())


def _help_text(name):
    """The plug-in's help text, from the help file kept beside its plug-in file."""
    path = os.path.join(mex_dir(), name + ".m")
    if not os.path.isfile(path):
        return ""
    lines = []
    with open(path, encoding="utf-8") as fh:
        for line in fh:
            if not line.startswith("%"):
                break
            lines.append(line[1:].rstrip())
    return "\n".join(lines)


def _plugin_function(name, params):
    at_least = name == "BellJoin"
    parameters = [inspect.Parameter(p, inspect.Parameter.POSITIONAL_OR_KEYWORD) for p in params]
    if at_least:
        parameters.append(inspect.Parameter("ignored", inspect.Parameter.VAR_POSITIONAL))
    signature = inspect.Signature(parameters)

    def plugin(*args, **kwargs):
        bound = signature.bind(*args, **kwargs)
        values = [bound.arguments[p] for p in params]
        values += list(bound.arguments.get("ignored", ()))
        return _call(name, values)

    plugin.__name__ = plugin.__qualname__ = name
    plugin.__signature__ = signature
    plugin.__doc__ = (f"{name}({', '.join(params)}): the {name} plug-in; returns a new 2-D "
                      f"float64 array.\n\n" + _help_text(name))
    return plugin


for _name, _params in _ARGUMENTS.items():
    globals()[_name] = _plugin_function(_name, _params)
del _name, _params

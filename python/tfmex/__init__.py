"""tfmex from Python.

``tfmex.plugins`` holds the 26 plug-ins as functions on numpy arrays, with
the plug-ins' names, argument orders, shape rules and messages (see its
documentation):

    w = tfmex.plugins.CircSplit(x, L, h)

The same functions are here as well (``tfmex.CircSplit`` is
``tfmex.plugins.CircSplit``). ``tfmex.dask`` applies them across dask arrays.
"""
from . import plugins
from .plugins import *  # noqa: F401,F403 (the plug-ins by name)

__all__ = ["plugins"] + plugins.__all__

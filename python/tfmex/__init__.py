"""tfmex: periodized wavelet transforms, wavelet and cosine packet tables,
orthonormal cosine and sine transforms, denoising and best bases, on numpy
arrays.

The functions at the top of the package follow numpy's, PyWavelets' and
scipy.fft's conventions: any number of dimensions, the transform along
``axis`` and every other axis a batch, filters by name, float32 and complex
kept, ``workers=`` for threads::

    coeffs = tfmex.wavedec(x, 'db4', level=5)
    y = tfmex.dct(batch, axis=0, workers=-1)
    clean = tfmex.denoise(noisy, 'sym8', rule='sure')

``tfmex.plugins`` holds the 26 plug-ins in MATLAB's conventions (their
names, argument orders, shape rules and messages); ``tfmex.plot`` draws
tilings, tables and levels with matplotlib; ``tfmex.dask`` applies any of
these functions across a dask array.
"""
from . import plugins
from ._api import (cosine_join, cosine_table, dct, dst, dual_waverec, dual_wavedec, filter,
                   idct, idst, max_level, mean_pyramid, mean_pyramid_join, mean_refine,
                   median_pyramid_join, median_refine, packet_join, packet_table, ti_join,
                   ti_table, wavedec, wavedec2, waverec, waverec2)
from ._analysis import Basis, Block, best_basis, denoise
from ._tfmex import library_version as _library_version
from .plugins import *  # noqa: F401,F403 (the plug-ins by name, as before)

__version__: str = _library_version()

__all__ = [
    "__version__",
    "filter", "wavedec", "waverec", "wavedec2", "waverec2",
    "dct", "idct", "dst", "idst",
    "ti_table", "ti_join", "packet_table", "packet_join", "cosine_table", "cosine_join",
    "dual_wavedec", "dual_waverec",
    "mean_pyramid", "mean_pyramid_join", "median_pyramid_join", "median_refine", "mean_refine",
    "max_level", "denoise", "best_basis", "Basis", "Block",
    "plugins",
]

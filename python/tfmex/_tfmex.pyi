# The compiled module's interface, for type checkers (python/module.cpp and
# python/library.cpp define it).
from typing import Any, Callable, Optional, Tuple

import numpy as np
import numpy.typing as npt

PLUGINS: Tuple[str, ...]

def call(index: int, args: Tuple[Any, ...]) -> Any: ...
def index(name: str) -> int: ...
def version(name: str) -> str: ...
def set_converter(converter: Callable[..., Any]) -> None: ...
def library_version() -> str: ...
def filter(name: str) -> npt.NDArray[np.float64]: ...  # noqa: A001

OP_CIRC_SPLIT: int
OP_CIRC_JOIN: int
OP_CIRC_SPLIT2: int
OP_CIRC_JOIN2: int
OP_DCT2: int
OP_DCT3: int
OP_DCT4: int
OP_DST2: int
OP_DST3: int
OP_SHIFT_SPLIT: int
OP_SHIFT_JOIN: int
OP_PACKET_SPLIT: int
OP_PACKET_JOIN: int
OP_BELL_SPLIT: int
OP_BELL_JOIN: int
OP_DUAL_SPLIT: int
OP_DUAL_JOIN: int
OP_BLOCK_MEAN_SPLIT: int
OP_BLOCK_MEAN_JOIN: int
OP_CENTER_JOIN: int
OP_CENTER_PREDICT: int
OP_TRIPLE_PREDICT: int

def apply(fn: str, op: int, x: Any, axis: int, workers: int, level: int, order: int,
          h: Optional[npt.NDArray[np.float64]], h2: Optional[npt.NDArray[np.float64]],
          out_n: int) -> Any: ...
def circ_split(x: Any, L: int, h: Any, axis: int = -1) -> Any: ...
def circ_join(w: Any, L: int, h: Any, axis: int = -1) -> Any: ...
def denoise_one(x: npt.NDArray[np.float64], h: npt.NDArray[np.float64], image: bool, hard: bool,
                sure: bool, invariant: bool, level: int,
                sigma: Optional[float]
                ) -> Tuple[npt.NDArray[np.float64], float, npt.NDArray[np.float64]]: ...
def best_basis(table: npt.NDArray[np.float64], kind: int, param: float
               ) -> Tuple[npt.NDArray[np.int64], npt.NDArray[np.int64], npt.NDArray[np.float64],
                          float]: ...
def basis_join(depths: npt.NDArray[np.int64], blocks: npt.NDArray[np.int64],
               coef: npt.NDArray[np.float64], cosine: bool, depth: int,
               h: npt.NDArray[np.float64]) -> npt.NDArray[np.float64]: ...
def tiling(depths: npt.NDArray[np.int64], blocks: npt.NDArray[np.int64], n: int,
           cosine: bool) -> Tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
def joined(coeffs: Any, axes: Any) -> Any: ...

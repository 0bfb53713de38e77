"""
Best bases of a chirp
=====================

A wavelet packet table (``packet_table``) or a cosine packet table
(``cosine_table``) holds many orthonormal bases at once; ``best_basis`` picks
the one of least entropy. For a chirp, whose frequency rises with time, the
chosen blocks follow the frequency: few coefficients hold most of the
energy, far fewer than in the plain wavelet basis.

A tile sits where its block and its index within the block put it; the
filter bank's delay is not undone, so with long filters at deep levels a
packet's tiles drift in time. The 8-tap ``db4`` keeps the picture close.
"""
import matplotlib.pyplot as plt
import numpy as np

import tfmex
import tfmex.plot

# A chirp whose frequency rises from 100 to 1500 cycles over 4096 samples.
n = 4096
t = np.arange(n) / n
chirp = np.sin(2 * np.pi * (100 * t + 700 * t ** 2))

packets = tfmex.best_basis(chirp, 6, "db4")
cosines = tfmex.best_basis(chirp, 6, kind="cosine")
wavelet = np.concatenate(tfmex.wavedec(chirp, "db4", level=6))


def count(c, share=0.99):
    """How many of the largest coefficients hold `share` of the energy."""
    e = np.sort(c ** 2)[::-1]
    return int(np.searchsorted(np.cumsum(e), share * e.sum()) + 1)


print("coefficients holding 99% of the energy:")
print(f"  wavelet basis        {count(wavelet):5d}")
print(f"  best packet basis    {packets.energy_count(0.99):5d}  ({len(packets.blocks)} blocks)")
print(f"  best cosine basis    {cosines.energy_count(0.99):5d}  ({len(cosines.blocks)} blocks)")
assert np.allclose(packets.rebuild(), chirp) and np.allclose(cosines.rebuild(), chirp)

fig, axes = plt.subplots(2, 1, figsize=(8, 9), layout="constrained")
tfmex.plot.tiling(cosines, ax=axes[0])
tfmex.plot.tiling(packets, ax=axes[1])
plt.show()

# %%
# The first 600 samples of the chirp: the frequency rises steadily.
plt.figure(figsize=(8, 2.5), layout="constrained")
plt.plot(np.arange(600), chirp[:600], linewidth=0.7)
plt.xlabel("time (samples)")
plt.show()

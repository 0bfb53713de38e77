"""
Time-frequency tilings
======================

Each coefficient of a basis of a wavelet packet or cosine packet table
covers a rectangle of the time-frequency plane: a block of depth d has
tiles n / 2^d samples wide in frequency (wavelet packets) or in time
(cosine packets). ``tfmex.plot.tiling`` draws them, shaded by the size of
the coefficient, the basis' blocks outlined in red. Four signals, four
different best wavelet packet bases.
"""
import matplotlib.pyplot as plt
import numpy as np

import tfmex
import tfmex.plot

n = 2048
t = np.arange(n) / n
steps = np.select([t < a for a in (0.08, 0.17, 0.29, 0.36, 0.52, 0.61, 0.74, 0.83, 0.91)],
                  [0.0, 2.0, -1.5, 3.0, 0.5, -2.5, 1.0, 2.5, -0.5], 0.0)
signals = {
    "two tones": np.sin(2 * np.pi * 40 * t) + 0.7 * np.sin(2 * np.pi * 300 * t),
    "a tone and a click": np.sin(2 * np.pi * 120 * t) + 4.0 * (np.abs(t - 0.6) < 0.002),
    "steps": steps,
    "bumps": sum(h * np.exp(-((t - c) / w) ** 2) for c, w, h in
                 ((0.09, 0.006, 4.0), (0.26, 0.004, 5.0), (0.58, 0.003, 4.5), (0.8, 0.02, 2.0))),
}

fig, axes = plt.subplots(2, 2, figsize=(10, 8), layout="constrained")
for ax, (name, x) in zip(axes.flat, signals.items()):
    basis = tfmex.best_basis(x, 5, "db4")
    tfmex.plot.tiling(basis, ax=ax)
    ax.set_title(f"{name}: {len(basis.blocks)} blocks, "
                 f"{basis.energy_count(0.99)} coefficients hold 99%", fontsize=10)
plt.show()

# %%
# A cosine packet basis splits time instead of frequency: for a tone that
# changes pitch halfway, the best one cuts the signal where it changes and
# gives each half blocks long enough to resolve its tone.
switch = np.where(t < 0.5, np.sin(2 * np.pi * 80 * t), 0.8 * np.sin(2 * np.pi * 500 * t))
basis = tfmex.best_basis(switch, 6, kind="cosine")
tfmex.plot.tiling(basis)
plt.show()

"""
The translation-invariant table
===============================

``ti_table`` computes the wavelet transform of every circular shift of a
signal at once: level d has 2^d blocks, one per shift path, of n / 2^d
details each, n values per level in all, and ``ti_join`` averages the
reconstructions of every path. Shifting the signal only moves values
within the table, which is what makes the denoising of ``method='ti'``
free of the plain transform's dependence on where a jump falls.
"""
import matplotlib.pyplot as plt
import numpy as np

import tfmex
import tfmex.plot

n = 512
t = np.arange(n) / n
x = sum(h * np.exp(-((t - c) / w) ** 2) for c, w, h in
        ((0.12, 0.01, 3.0), (0.4, 0.004, 4.0), (0.7, 0.02, 2.0))) + (t > 0.55)

table = tfmex.ti_table(x, "db2", level=5)
print("table:", table.shape, "(level + 1 rows of n values)")
assert np.allclose(tfmex.ti_join(table, "db2"), x)

fig, axes = plt.subplots(2, 1, figsize=(8, 7), layout="constrained",
                         gridspec_kw={"height_ratios": [1, 2.5]})
axes[0].plot(t, x)
axes[0].set_title("the signal")
tfmex.plot.table(table, ax=axes[1], kind="ti")
plt.show()

# %%
# A shifted signal has the same table with the values of every row moved
# among the shift paths: the set of coefficients of each level is the same.
shifted = tfmex.ti_table(np.roll(x, 3), "db2", level=5)
for d in range(1, 6):
    same = np.allclose(np.sort(table[d]), np.sort(shifted[d]))
    print(f"level {d}: the same details after a shift of 3: {same}")

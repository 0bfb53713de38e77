import matplotlib
matplotlib.use("Agg")                      # no display needed
import matplotlib.pyplot as plt
import numpy as np
import tfmex
import tfmex.plot

t = np.arange(1024) / 1024
chirp = np.sin(2 * np.pi * 100 * t**2)
basis = tfmex.best_basis(chirp, 5, kind="cosine")
fig, (top, bottom) = plt.subplots(2, 1, figsize=(7, 8), layout="constrained")
tfmex.plot.tiling(basis, ax=top)
tfmex.plot.levels(tfmex.wavedec(chirp, "sym8", level=5), ax=bottom)
fig.savefig("first_picture.png", dpi=80)

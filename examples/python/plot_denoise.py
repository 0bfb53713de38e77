"""
Denoising a signal
==================

Wavelet shrinkage: transform, shrink every detail coefficient toward zero,
transform back. The noise level comes from the median absolute value of the
finest details, the threshold is the universal one, sigma sqrt(2 ln n), or
SURE's choice per level. The translation-invariant version (``method='ti'``)
averages the estimates of every shift of the signal, which removes the
plain transform's ringing next to the jumps.
"""
import matplotlib.pyplot as plt
import numpy as np

import tfmex

# A smooth wave with two jumps, 2048 samples, Gaussian noise at 7 dB.
n = 2048
t = np.arange(n) / n
clean = 2 * np.sin(4 * np.pi * t) + 0.6 * np.cos(9 * np.pi * t) + 1.8 * (t >= 0.31) \
    - 3.0 * (t >= 0.77)
rng = np.random.default_rng(2)
noise = rng.standard_normal(n)
noise *= np.sqrt(np.mean(clean ** 2) / np.mean(noise ** 2) / 10 ** 0.7)
noisy = clean + noise


def snr(y):
    return 10 * np.log10(np.sum(clean ** 2) / np.sum((y - clean) ** 2))


estimates = {
    "db4, universal": tfmex.denoise(noisy, "db4"),
    "db4, SURE": tfmex.denoise(noisy, "db4", rule="sure"),
    "sym8, translation-invariant": tfmex.denoise(noisy, "sym8", method="ti"),
}
print(f"noisy: {snr(noisy):5.1f} dB")
for name, y in estimates.items():
    print(f"{name:28s} {snr(y):5.1f} dB")

fig, axes = plt.subplots(4, 1, figsize=(8, 8.5), sharex=True, layout="constrained")
axes[0].plot(t, noisy, color="0.55", linewidth=0.6)
axes[0].plot(t, clean, color="black", linewidth=1)
axes[0].set_title(f"noisy signal, {snr(noisy):.1f} dB (clean in black)")
for ax, (name, y) in zip(axes[1:], estimates.items()):
    ax.plot(t, clean, color="0.75", linewidth=2)
    ax.plot(t, y, color="tab:blue", linewidth=0.8)
    ax.set_title(f"{name}: {snr(y):.1f} dB")
axes[-1].set_xlabel("time")
plt.show()

# %%
# The coefficients the shrinkage works on, level by level: the jumps show as
# columns of large details across the levels, the noise as the small spikes
# of the finest ones.
import tfmex.plot  # noqa: E402

ax = tfmex.plot.levels(tfmex.wavedec(noisy, "db4", level=6))
plt.show()

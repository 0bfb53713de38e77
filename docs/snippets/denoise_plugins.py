import numpy as np
import tfmex
import tfmex.filters

n, L = 1024, 4
t = np.arange(n) / n
clean = np.sin(4 * np.pi * t) + (t > 0.3) - 0.5 * (t > 0.7)
noisy = clean + 0.1 * np.random.default_rng(7).standard_normal(n)

h = tfmex.filters.filter("db2")            # Daubechies, 4 taps (PyWavelets' names)
w = tfmex.CircSplit(noisy, L, h)          # a 1-D array is a row: w is 1 x n
d = w[0, 2**L:]                           # details; the 2^L coarse values come first
sigma = np.median(np.abs(w[0, n // 2:])) / 0.6745   # noise level from the finest details
w[0, 2**L:] = np.sign(d) * np.maximum(np.abs(d) - sigma * np.sqrt(2 * np.log(n)), 0)
denoised = tfmex.CircJoin(w, L, h)[0]     # back to a 1 x n row; [0] is its values

def snr(y):
    return 10 * np.log10(np.sum(clean**2) / np.sum((y - clean)**2))
print(f"SNR {snr(noisy):.1f} dB -> {snr(denoised):.1f} dB")

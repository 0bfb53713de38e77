import numpy as np
import tfmex

rng = np.random.default_rng(7)
t = np.arange(1024) / 1024
clean = np.sin(4 * np.pi * t) + (t > 0.3) - 0.5 * (t > 0.7)
noisy = clean + 0.1 * rng.standard_normal(1024)

coeffs = tfmex.wavedec(noisy, "db4", level=5)     # [cA5, cD5, ..., cD1], as pywt gives them
assert np.allclose(tfmex.waverec(coeffs, "db4"), noisy)
denoised = tfmex.denoise(noisy, "sym8", rule="sure")

batch = rng.standard_normal((256, 1024))
y = tfmex.dct(batch, workers=2)                   # every row, as scipy.fft.dct(..., norm='ortho')

basis = tfmex.best_basis(noisy, 6, "db4")         # wavelet packets, entropy cost
print(len(basis.blocks), "blocks;", basis.energy_count(0.99), "coefficients hold 99% of the energy")
assert np.allclose(basis.rebuild(), noisy)

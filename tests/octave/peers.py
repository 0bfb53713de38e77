#!/usr/bin/python3
"""Checks tfmex's filters and plug-in results against PyWavelets and SciPy.

test_peers.m writes them as text into the folder given; every relation the
conventions page (docs/conventions.rst) states for the plug-ins is checked here. Prints
one line per group and exits with status 1 on the first disagreement.
"""
import os
import sys

import numpy as np
import pywt
import scipy
import scipy.fft

folder = sys.argv[1]


def load(name):
    return np.loadtxt(os.path.join(folder, name + '.txt'), ndmin=2)


def row(name):
    return load(name)[0]


def near(got, want, tol, what):
    got, want = np.asarray(got, float), np.asarray(want, float)
    if got.shape != want.shape:
        sys.exit(f'FAIL {what}: shape {got.shape}, peer {want.shape}')
    err = np.max(np.abs(got - want)) if got.size else 0.0
    if not err <= tol:
        sys.exit(f'FAIL {what}: off by {err:.3g} (tolerance {tol:g})')


def trimmed(v):
    v = np.asarray(v)
    nz = np.nonzero(np.abs(v) > 0)[0]
    return v[nz[0]:nz[-1] + 1]


x = row('x')
n = x.size

# Filters: tfmex_filter('daubechies', m) is dbN's reconstruction low-pass
# (N = m/2), 'coiflet', m is coifK's (K = m/6); 'symmlet', m is symN's for
# 8, 16, 18, 26, 34 taps, its reverse for 10, 12, 14, 20, 24, 32; for the
# other longer ones it has the same magnitude response (near-tied root
# choices differ).
for m in range(2, 42, 2):
    near(row(f'filter_daubechies_{m}'), pywt.Wavelet(f'db{m // 2}').rec_lo, 1e-14, f'daubechies {m}')
for m in range(6, 36, 6):
    near(row(f'filter_coiflet_{m}'), pywt.Wavelet(f'coif{m // 6}').rec_lo, 1e-14, f'coiflet {m}')
for m in range(8, 42, 2):
    ours = row(f'filter_symmlet_{m}')
    peer = np.array(pywt.Wavelet(f'sym{m // 2}').rec_lo)
    if m in (8, 16, 18, 26, 34):
        near(ours, peer, 1e-11, f'symmlet {m} (pywt stores symmlets to about 12 digits)')
    elif m in (10, 12, 14, 20, 24, 32):
        near(ours[::-1], peer, 1e-11, f'symmlet {m} reversed')
    near(np.convolve(ours, ours[::-1]), np.convolve(peer, peer[::-1]), 1e-10, f'symmlet {m} autocorrelation')
print('filters: daubechies 2..40, coiflet 6..30, symmlet 8..20, 24, 26, 32, 34 equal to pywt db/coif/sym rec_lo '
      '(the symmlets of 10 .. 14, 20, 24, 32 taps reversed)')
# tfmex_filter('symN') is pywt's symN itself, to the digits pywt stores
# (11 or 12 of them for sym3, sym5 .. sym7, sym18 .. sym20).
for N in range(2, 21):
    tol = 2e-11 if N == 20 else 4e-12 if N in (3, 5, 6, 7, 18, 19) else 1e-12
    near(row(f'filter_sym{N}'), pywt.Wavelet(f'sym{N}').rec_lo, tol, f'sym{N}')
print('filters: sym2 .. sym20 equal to pywt rec_lo')

# Dual pairs: ('spline', p, q) is pywt's biorP.Q, 'cdf97' its bior4.4:
# analysis = dec_lo, synthesis = rec_lo, without their zero padding.
for p, q in ((2, 2), (2, 4), (2, 6), (2, 8)):
    w = pywt.Wavelet(f'bior{p}.{q}')
    near(row(f'dual_spline_{p}_{q}_ha'), trimmed(w.dec_lo), 1e-14, f'spline {p} {q} analysis')
    near(row(f'dual_spline_{p}_{q}_hs'), trimmed(w.rec_lo), 1e-14, f'spline {p} {q} synthesis')
w = pywt.Wavelet('bior4.4')
# (pywt stores bior4.4 to about 12 digits)
near(row('dual_cdf97_ha'), trimmed(w.dec_lo), 1e-12, 'cdf97 analysis')
near(row('dual_cdf97_hs'), trimmed(w.rec_lo), 1e-12, 'cdf97 synthesis')
print('dual: spline (2,2)..(2,8) = bior2.2..bior2.8, cdf97 = bior4.4')

# One stage, against pywt.dwt(x, w, 'periodization'): pywt's stage is
# CircSplit(x, J-1, h) of the input rotated down by s = m/2 - 1 places
# (np.roll(x, s), circshift(x, s)), with the details then rotated up by s
# and negated.
for family, peer, lengths in (('daubechies', lambda m: f'db{m // 2}', range(2, 42, 2)),
                              ('coiflet', lambda m: f'coif{m // 6}', range(6, 36, 6))):
    for m in lengths:
        ours = row(f'stage_{family}_{m}')  # of circshift(x, m/2 - 1)
        cA, cD = pywt.dwt(x, peer(m), mode='periodization')
        near(cA, ours[:n // 2], 1e-12, f'{family} {m} stage, coarse')
        near(cD, -np.roll(ours[n // 2:], -(m // 2 - 1)), 1e-12, f'{family} {m} stage, details')
# Several levels: that recipe applied stage by stage (test_peers.m).
for name, peer, levels in (('daubechies_8', 'db4', 3), ('coiflet_12', 'coif2', 3)):
    coeffs = pywt.wavedec(x, peer, mode='periodization', level=levels)
    near(row(f'stages_{name}'), np.concatenate(coeffs), 1e-12, f'{name} stage by stage')
print('one stage: pywt = ours of roll(x, m/2-1), details rolled back by m/2-1 and negated')

# Levels: CircSplit(x, L, h) is wavedec(x, w, 'periodization', level=J-L),
# coefficient lists concatenated; with Haar (no rotation) exactly, details negated.
J = int(np.log2(n))
for L in range(0, J + 1):
    ours = row(f'haar_level_{L}')
    coeffs = pywt.wavedec(x, 'haar', mode='periodization', level=J - L)
    peer = np.concatenate([coeffs[0]] + [-c for c in coeffs[1:]])
    near(ours, peer, 1e-12, f'haar level L={L}')
print(f'levels: CircSplit(x, L, h) = wavedec(..., level=J-L), J = {J}')

# Packets: column d+1 of PacketSplit is WaveletPacket's level d in
# order='freq' (not 'natural'), each node negated once per high-pass step.
T = load('packets_haar')
wp = pywt.WaveletPacket(x, 'haar', mode='periodization', maxlevel=4)
for d in range(1, 5):
    nodes = wp.get_level(d, order='freq')
    peer = np.concatenate([(-1) ** node.path.count('d') * node.data for node in nodes])
    near(T[:, d], peer, 1e-12, f'packets stage {d}, frequency order')
    natural = np.concatenate([(-1) ** node.path.count('d') * node.data
                              for node in wp.get_level(d, order='natural')])
    if d >= 2 and np.max(np.abs(T[:, d] - natural)) < 1e-6:
        sys.exit(f'FAIL packets stage {d}: natural order should differ')
print('packets: PacketSplit column d+1 = WaveletPacket level d, order=freq, (-1)^(#d)')

# Orientation: the plug-ins transform each column of a matrix (pywt: axis=0,
# not its default last axis); a row is one signal and stays a row.
X = load('matrix')
coeffs = pywt.wavedec(X, 'haar', mode='periodization', level=2, axis=0)
near(load('matrix_haar_L2'), np.concatenate([coeffs[0]] + [-c for c in coeffs[1:]], axis=0),
     1e-12, 'matrix columns, axis=0')
coeffs = pywt.wavedec(x[:16], 'haar', mode='periodization', level=2)
near(load('row_haar_L2'), np.concatenate([coeffs[0]] + [-c for c in coeffs[1:]])[None, :],
     1e-12, 'row stays a row')
cA, cD = pywt.dwt(X, 'db2', mode='periodization', axis=0)
ours = load('stage_matrix_db4')  # of circshift(X, 1): rotated along the columns
near(cA, ours[:8], 1e-12, 'matrix stage, db2 coarse')
near(cD, -np.roll(ours[8:], -1, axis=0), 1e-12, 'matrix stage, db2 details')
# The transforms Trig* take the first column of a matrix only.
ours = load('TrigC2_matrix')
near(ours[:, 0], scipy.fft.dct(X[:, 0], type=2, norm='ortho'), 1e-12, 'TrigC2 of a matrix')
near(ours[:, 1:], np.zeros_like(ours[:, 1:]), 0, 'TrigC2 of a matrix, other columns')
print('orientation: columns of a matrix (axis=0); rows stay rows; Trig* first column')

# Cosine and sine transforms against scipy.fft with norm='ortho'.
y = x[:16]
r2 = np.sqrt(2)
near(row('TrigC2'), scipy.fft.dct(y, type=2, norm='ortho'), 1e-12, 'TrigC2 = dct type 2')
near(row('TrigC3'), scipy.fft.dct(y, type=3, norm='ortho'), 1e-12, 'TrigC3 = dct type 3')
near(row('TrigC4'), scipy.fft.dct(y, type=4, norm='ortho'), 1e-12, 'TrigC4 = dct type 4')
# Sine transforms: with orthogonalize=False scipy scales every term alike;
# TrigS2 then divides its last value by sqrt(2), and TrigS3 is the DST-III
# of its input with the last value multiplied by sqrt(2).
s2 = scipy.fft.dst(y, type=2, norm='ortho', orthogonalize=False)
s2[-1] /= r2
near(row('TrigS2'), s2, 1e-12, 'TrigS2 = dst type 2, orthogonalize=False, last / sqrt(2)')
z = y.copy()
z[-1] *= r2
near(row('TrigS3'), scipy.fft.dst(z, type=3, norm='ortho', orthogonalize=False), 1e-12,
     'TrigS3 = dst type 3 of (last * sqrt(2)), orthogonalize=False')
# SciPy 1.10's default (orthogonalize=True) scales the first value instead of
# the last, so its DST-II is not orthogonal; ours differs there at both ends.
if scipy.__version__.startswith('1.10.'):
    d2 = scipy.fft.dst(y, type=2, norm='ortho')
    ours = row('TrigS2')
    near(d2[1:-1], ours[1:-1], 1e-12, 'scipy 1.10 DST-II inner values')
    near([d2[0], d2[-1]], [ours[0] / r2, ours[-1] * r2], 1e-12, 'scipy 1.10 DST-II ends')
    near(scipy.fft.dst(scipy.fft.dst(y, type=2, norm='ortho'), type=3, norm='ortho'), y, 1e-12,
         'scipy 1.10 DST-III inverts its DST-II')
print(f'trig: TrigC2/C3/C4 = dct 2/3/4 ortho; TrigS2/S3 against dst (scipy {scipy.__version__})')

"""The functions at the top of tfmex: their relations to PyWavelets and
scipy.fft, numpy's conventions (axes, batches, dtypes, views, workers), the
messages of refused calls, the analysis and the pictures, and the docstrings'
examples."""
import doctest
import os
import warnings

import numpy as np
import pytest
import pywt
import scipy.fft as sfft
from hypothesis import given, settings, strategies as st

import tfmex
import tfmex._analysis
import tfmex._api
import tfmex.plot
from tfmex import plugins

rng = np.random.default_rng(24)


def same_bits(a, b):
    return a.shape == b.shape and a.dtype == b.dtype and a.tobytes() == np.asarray(b).tobytes()


# ---- PyWavelets and scipy.fft ---------------------------------------------------

@pytest.mark.parametrize("name", ["haar", "db2", "db4", "db10", "coif2", "sym4", "sym8"])
def test_wavedec_is_pywt_periodization_up_to_shifts_and_signs(name):
    # With s = taps/2 - 1: the details are pywt's of x rolled by s, negated;
    # the coarse values pywt's rolled back by s (in 2-D, along each axis:
    # a high-pass negates, a low-pass rolls back).
    s = len(tfmex.filter(name)) // 2 - 1
    x = rng.standard_normal(128)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # pywt warns of boundary effects at deep levels
        for level in range(0, 8):
            ours = tfmex.wavedec(x, name, level=level)
            theirs = pywt.wavedec(np.roll(x, s), name, mode="periodization", level=level)
            assert [a.shape for a in ours] == [b.shape for b in theirs]
            assert np.allclose(ours[0], np.roll(theirs[0], -s), atol=1e-11)
            for a, b in zip(ours[1:], theirs[1:]):
                assert np.allclose(a, -b, atol=1e-11)
        X = rng.standard_normal((32, 32))
        for level in range(0, 4):
            ours = tfmex.wavedec2(X, name, level=level)
            theirs = pywt.wavedec2(np.roll(X, (s, s), (0, 1)), name, mode="periodization",
                                   level=level)
            assert np.allclose(ours[0], np.roll(theirs[0], (-s, -s), (0, 1)), atol=1e-11)
            for (h, v, d), (ph, pv, pd) in zip(ours[1:], theirs[1:]):
                assert np.allclose(h, -np.roll(ph, -s, 1), atol=1e-11)
                assert np.allclose(v, -np.roll(pv, -s, 0), atol=1e-11)
                assert np.allclose(d, pd, atol=1e-11)
    assert len(tfmex.wavedec(x, name)) == len(pywt.wavedec(x, name, mode="periodization"))


def test_dct_and_dst_against_scipy():
    x = rng.standard_normal((3, 64))
    for t in (2, 3, 4):
        for ours, theirs in ((tfmex.dct, sfft.dct), (tfmex.idct, sfft.idct)):
            want = theirs(x, t, norm="ortho")
            assert np.max(np.abs(ours(x, t) - want)) <= 1e-12 * np.max(np.abs(want))
    # DST-II: scipy's orthogonalize=False output with its last value over sqrt 2;
    # DST-III: scipy's of x with its last value times sqrt 2.
    y = sfft.dst(x, 2, norm="ortho", orthogonalize=False)
    y[:, -1] /= np.sqrt(2)
    assert np.allclose(tfmex.dst(x), y, atol=1e-13)
    z = x.copy()
    z[:, -1] *= np.sqrt(2)
    assert np.allclose(tfmex.dst(x, 3), sfft.dst(z, 3, norm="ortho", orthogonalize=False),
                       atol=1e-13)
    # orthogonalize=True: where scipy's transform is orthogonal it is ours;
    # SciPy 1.10 (Debian 12) scales the first output instead (not orthogonal).
    o = sfft.dst(x, 2, norm="ortho", orthogonalize=True)
    if np.allclose(o, tfmex.dst(x), atol=1e-13):
        return
    o[:, 0] *= np.sqrt(2)
    o[:, -1] /= np.sqrt(2)
    assert np.allclose(tfmex.dst(x), o, atol=1e-13)


def test_trig_refuses_other_norms_and_types():
    for call, match in ((lambda: tfmex.dct(np.ones(8), norm=None), "norm must be 'ortho'"),
                        (lambda: tfmex.dct(np.ones(8), 1), "type must be 2, 3 or 4"),
                        (lambda: tfmex.dst(np.ones(8), 4), "type must be 2 or 3"),
                        (lambda: tfmex.idst(np.ones(8), True), "type must be 2 or 3"),
                        (lambda: tfmex.dct(np.ones(12)), "power of two, got 12")):
        with pytest.raises(ValueError, match=match):
            call()


# ---- conventions ---------------------------------------------------------------------

LINEAR = [
    ("wavedec", lambda x, axis: np.concatenate(tfmex.wavedec(x, "db4", 3, axis=axis), axis)),
    ("dct", lambda x, axis: tfmex.dct(x, 3, axis=axis)),
    ("dst", lambda x, axis: tfmex.dst(x, axis=axis)),
    ("ti_table", lambda x, axis: tfmex.ti_table(x, "db2", 2, axis=axis)),
    ("packet_table", lambda x, axis: tfmex.packet_table(x, "coif1", 3, axis=axis)),
    ("cosine_table", lambda x, axis: tfmex.cosine_table(x, 2, axis=axis)),
]


@pytest.mark.parametrize("name, f", LINEAR)
def test_axes_views_dtypes_and_workers_give_the_same_doubles(name, f):
    x = rng.standard_normal((5, 32, 3))
    want = f(np.ascontiguousarray(np.moveaxis(x, 1, -1)), -1)
    moved = np.moveaxis(want, -1, 1) if want.ndim == 3 else np.moveaxis(want, (-2, -1), (1, 2))
    assert same_bits(f(x, 1), np.ascontiguousarray(moved))               # middle axis
    assert same_bits(f(np.asfortranarray(x), 1), f(x, 1))               # any layout
    view = np.ascontiguousarray(x[::-1, :, ::2])
    assert same_bits(f(x[::-1, :, ::2], 1), f(view, 1))                  # negative strides
    assert same_bits(f(x, 1), np.stack([f(x[i], 0) for i in range(5)]))  # batch = loop
    one = f(x[0, :, 0], 0)
    assert one.ndim == want.ndim - 2                                     # 1-D stays 1-D
    x32 = x.astype(np.float32)
    assert same_bits(f(x32, 1), f(x32.astype(np.float64), 1).astype(np.float32))
    z = x + 1j * rng.standard_normal(x.shape)
    assert same_bits(f(z, 1), f(z.real, 1) + 1j * f(z.imag, 1))
    assert same_bits(f(x.astype(np.int16), 1), f(x.astype(np.int16).astype(float), 1))
    big = rng.standard_normal((256, 64))
    base = getattr(tfmex, name)
    kwargs = {"wavedec": ("db4",), "ti_table": ("db2",), "packet_table": ("db2", 2),
              "cosine_table": (2,)}.get(name, ())
    serial = base(big, *kwargs, workers=1)
    parallel = base(big, *kwargs, workers=-1)
    for a, b in zip(serial if isinstance(serial, list) else [serial],
                    parallel if isinstance(parallel, list) else [parallel]):
        assert same_bits(a, b)


def test_round_trips_of_every_transform():
    x = rng.standard_normal((4, 64))
    for name in ("haar", "db3", "sym6", "coif3"):
        assert np.allclose(tfmex.waverec(tfmex.wavedec(x, name), name), x)
        assert np.allclose(tfmex.ti_join(tfmex.ti_table(x, name), name), x)
        assert np.allclose(tfmex.packet_join(tfmex.packet_table(x, name, 4), name), x)
    img = rng.standard_normal((2, 32, 32))
    assert np.allclose(tfmex.waverec2(tfmex.wavedec2(img, "db2"), "db2"), img)
    assert np.allclose(tfmex.cosine_join(tfmex.cosine_table(x, 3)), x)
    for t in (2, 3, 4):
        assert np.allclose(tfmex.idct(tfmex.dct(x, t), t), x)
    assert np.allclose(tfmex.idst(tfmex.dst(x)), x)
    qmf = np.array([-1, 2, 6, 2, -1]) / 8 * np.sqrt(2)
    dqmf = np.array([1, 2, 1]) / 4 * np.sqrt(2)
    assert np.allclose(tfmex.dual_waverec(tfmex.dual_wavedec(x, qmf, dqmf, 3), qmf, dqmf), x)
    s = rng.standard_normal(81)
    assert np.allclose(tfmex.mean_pyramid_join(tfmex.mean_pyramid(s)), s)
    assert tfmex.median_refine(s[:9]).shape == (27,)


def test_max_level_is_pywts_dwt_max_level():
    for taps in (1, 2, 4, 8, 13, 20, 40):
        for n in list(range(1, 130)) + [1 << j for j in range(8, 24)] + [(1 << 20) - 1]:
            h = np.ones(taps)
            want = 0 if taps == 1 else min(pywt.dwt_max_level(n, taps), n.bit_length() - 1)
            assert tfmex.max_level(n, h) == want, (n, taps)


def test_transforms_read_their_own_views_where_they_lie():
    # waverec and waverec2 take wavedec's and wavedec2's views as they are;
    # copies, views changed in place, replaced or misplaced blocks give the
    # same doubles (the library's plug-ins on the whole array, bit for bit).
    h = tfmex.filter("db4")
    x = rng.standard_normal((3, 64, 2))
    c = tfmex.wavedec(x, h, 3, axis=1)
    assert tfmex._api._joined(c, 1) is c[0].base
    want = tfmex.waverec([a.copy() for a in c], h, axis=1)
    assert same_bits(tfmex.waverec(c, h, axis=1), want)
    assert same_bits(tfmex.waverec(c, h, axis=-2), want)
    assert same_bits(want[1], tfmex.waverec([a[1] for a in c], h, axis=0))
    c[2] *= 0.5                                             # in place: still the views
    halved = [a.copy() for a in c]
    assert same_bits(tfmex.waverec(c, h, axis=1), tfmex.waverec(halved, h, axis=1))
    for other in ([c[0], c[1].copy(), c[2], c[3]],          # a copy among the views
                  [c[0], c[2][:, 8:], c[2], c[3]],           # a block from the wrong place
                  [c[0], c[1], c[2].astype(np.float32), c[3]]):
        assert tfmex._api._joined(other, 1) is None
        assert same_bits(tfmex.waverec(other, h, axis=1),
                         tfmex.waverec([a.copy() for a in other], h, axis=1))
    with pytest.raises(ValueError, match=r"got \[8, 8, 16, 32, 32\]$"):
        tfmex.waverec(c + [c[3]], h, axis=1)                # one too many
    z = tfmex.wavedec(x[..., 0] + 1j * x[..., 1], h, 2)
    assert same_bits(tfmex.waverec(z, h), tfmex.waverec([a.copy() for a in z], h))

    img = rng.standard_normal((2, 32, 32))
    for image in (img, np.asfortranarray(img), img[:, ::-1, :], img.transpose(0, 2, 1)):
        c2 = tfmex.wavedec2(image, h, 2)
        whole = tfmex._api._joined(c2, (-2, -1))
        assert whole is not None
        for k in range(2):
            assert same_bits(np.ascontiguousarray(whole[k]),
                             plugins.CircSplit2(np.ascontiguousarray(image[k]), 3, h))
        copies = [c2[0].copy()] + [tuple(b.copy() for b in t) for t in c2[1:]]
        back = tfmex.waverec2(c2, h)
        assert back.flags.c_contiguous and same_bits(back, tfmex.waverec2(copies, h))
        assert same_bits(back[1], plugins.CircJoin2(np.ascontiguousarray(whole[1]), 3, h))
    swapped = [c2[0], (c2[1][1], c2[1][0], c2[1][2])] + c2[2:]
    assert tfmex._api._joined(swapped, (-2, -1)) is None
    assert tfmex._api._joined(c2, (-1, -2)) is None
    assert same_bits(tfmex.waverec2(c2, h, axes=(1, 2)), tfmex.waverec2(copies, h))


@settings(max_examples=30, deadline=None)
@given(J=st.integers(1, 9), seed=st.integers(0, 2**31), wavelet=st.sampled_from(
    ["haar", "db2", "db5", "sym4", "coif1"]), a=st.floats(-3, 3), b=st.floats(-3, 3))
def test_properties_linearity_parseval_round_trip(J, seed, wavelet, a, b):
    g = np.random.default_rng(seed)
    x, y = g.standard_normal((2, 1 << J))
    w = np.concatenate(tfmex.wavedec(x, wavelet))
    assert np.isclose(np.sum(w ** 2), np.sum(x ** 2), rtol=1e-10, atol=1e-12)   # Parseval
    lin = np.concatenate(tfmex.wavedec(a * x + b * y, wavelet))
    assert np.allclose(lin, a * w + b * np.concatenate(tfmex.wavedec(y, wavelet)), atol=1e-9)
    assert np.allclose(tfmex.waverec(tfmex.wavedec(x, wavelet), wavelet), x, atol=1e-10)
    c = tfmex.dct(x, 4)
    assert np.isclose(np.sum(c ** 2), np.sum(x ** 2), rtol=1e-10, atol=1e-12)


def test_refusals_name_the_function_and_the_argument():
    x = np.zeros(1024)
    cases = [
        (lambda: tfmex.wavedec(x, "db2", level=12), ValueError,
         r"^wavedec: level must be an int in 0\.\.10, got 12$"),
        (lambda: tfmex.wavedec(x, "db2", level=1.0), TypeError, "^wavedec: level must be an int"),
        (lambda: tfmex.wavedec(x, "db2", level=[1, 2]), TypeError, "^wavedec: level"),
        (lambda: tfmex.wavedec(x, "daubechies"), ValueError, "^wavedec: wavelet: unknown filter"),
        (lambda: tfmex.wavedec(x, []), ValueError, "^wavedec: wavelet must have at least one"),
        (lambda: tfmex.wavedec(np.zeros(100), "db2"), ValueError, "power of two, got 100"),
        (lambda: tfmex.ti_table(x, "db2", level=-1), ValueError, "^ti_table: level must be"),
        (lambda: tfmex.packet_table(x, "db2", 11), ValueError, r"^packet_table: depth .* 0\.\.10"),
        (lambda: tfmex.dual_wavedec(x, [1.0, 1.0], [1.0]), ValueError, "odd number of taps"),
        (lambda: tfmex.dual_wavedec(x, [1.0, 2.0, 3.0], [1.0]), ValueError, "symmetric"),
        (lambda: tfmex.dct(np.ma.masked_array(np.ones(8))), TypeError, "masked array"),
        (lambda: tfmex.dct(np.array(["a"] * 8)), TypeError, "^dct: x must be an array of"),
        (lambda: tfmex.dct(np.ones(8), workers=0), ValueError, "^dct: workers"),
        (lambda: tfmex.denoise(np.ones(8) + 1j), TypeError, "^denoise: x must be real"),
        (lambda: tfmex.denoise(np.r_[np.ones(7), np.nan]), ValueError, "NaN or Inf"),
        (lambda: tfmex.denoise(x, rule="minimax"), ValueError, "^denoise: rule must be one of"),
        (lambda: tfmex.best_basis(x, 3), ValueError, "needs a wavelet"),
        (lambda: tfmex.best_basis(x, 3, "db2", cost=("lp", 0)), ValueError, "p > 0"),
    ]
    for call, kind, match in cases:
        with pytest.raises(kind, match=match):
            call()
    with pytest.raises(np.AxisError):
        tfmex.dct(np.ones((8, 8)), axis=2)
    assert np.array_equal(tfmex.wavedec(x, "db2", level=np.int64(1))[0], np.zeros(512))


# ---- analysis and pictures -------------------------------------------------------------

def test_denoise_matches_the_library_and_refuses_nan():
    t = np.linspace(0, 1, 512, endpoint=False)
    clean = np.sin(6 * np.pi * t) * (t > 0.3)
    noisy = clean + 0.2 * np.random.default_rng(5).standard_normal((3, t.size))
    for rule in ("universal", "sure"):
        for method in ("plain", "ti"):
            y = tfmex.denoise(noisy, "sym8", rule=rule, method=method)
            assert y.shape == noisy.shape
            assert np.std(y - clean) < 0.6 * np.std(noisy - clean)
            assert same_bits(y[1], tfmex.denoise(noisy[1], "sym8", rule=rule, method=method))
    # Known sigma 0 keeps everything; images along two axes.
    assert np.allclose(tfmex.denoise(noisy[0], "db4", sigma=0), noisy[0])
    img = np.outer(clean, clean)[::8, ::8] + 0.05 * rng.standard_normal((64, 64))
    out = tfmex.denoise(img, "db2", axis=(0, 1))
    assert out.shape == img.shape and np.std(out - np.outer(clean, clean)[::8, ::8]) < 0.08
    assert same_bits(tfmex.denoise(img.T, "db2", axis=(1, 0)), out.T)


def test_best_basis_rebuilds_and_counts_energy():
    x = np.cos(2 * np.pi * 40 * np.arange(256) / 256) + (np.arange(256) == 100)
    for kind, wavelet in (("packet", "db4"), ("cosine", None)):
        b = tfmex.best_basis(x, 4, wavelet, kind=kind)
        assert sum(blk.stop - blk.start for blk in b.blocks) == 256
        assert np.allclose(b.rebuild(), x)
        assert np.isclose(np.sum(b.coef ** 2), np.sum(x ** 2))
        assert 0 < b.energy_count(0.9) <= b.energy_count(0.99) <= 256
        tiles, blocks = b.tiling()
        assert tiles.shape == (256, 4) and blocks.shape == (len(b.blocks), 4)
    with pytest.raises(ValueError, match="coef must have shape"):
        b.rebuild(np.zeros(10))


def test_pictures_render_to_png(tmp_path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    x = np.cos(np.arange(512) ** 2 / 900.0)
    fig, axes = plt.subplots(3, 1, figsize=(7, 11))
    tfmex.plot.tiling(tfmex.best_basis(x, 5, "sym8"), ax=axes[0])
    tfmex.plot.table(tfmex.packet_table(x, "sym8", 5), ax=axes[1])
    tfmex.plot.levels(tfmex.wavedec(x, "sym8", level=5), ax=axes[2])
    out = os.environ.get("TFMEX_PICTURES", str(tmp_path))
    path = os.path.join(out, "python_pictures.png")
    fig.tight_layout()
    fig.savefig(path, dpi=80)
    img = plt.imread(path)
    assert img.shape[0] > 500 and np.std(img[..., :3]) > 0.05
    assert axes[0].get_title().startswith("Best wavelet packet basis: ")


@pytest.mark.parametrize("module", [tfmex._api, tfmex._analysis, tfmex.plot])
def test_docstring_examples_run(module):
    import matplotlib
    matplotlib.use("Agg")
    result = doctest.testmod(module, extraglobs={"tfmex": tfmex, "np": np},
                             optionflags=doctest.NORMALIZE_WHITESPACE)
    assert result.failed == 0 and result.attempted > 0


def test_filters_by_name_everywhere_and_version():
    assert tfmex.__version__ == os.environ.get("TFMEX_VERSION", tfmex.__version__)
    x = rng.standard_normal(64)
    assert same_bits(np.concatenate(tfmex.wavedec(x, "db4")),
                     np.concatenate(tfmex.wavedec(x, tfmex.filter("db4"))))
    assert np.allclose(tfmex.ti_table(x, pywt.Wavelet("db3")), tfmex.ti_table(x, "db3"), atol=1e-12)

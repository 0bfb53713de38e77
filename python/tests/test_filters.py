"""tfmex.filters: the table's filters by name and by family, as PyWavelets
names them, orthonormal, the short names PyWavelets' filters and the family's
symmlets the toolbox's, the clear refusals of unknown ones, and the table
shipped with an installed copy."""
import os
import subprocess
import sys

import numpy as np
import pytest

import tfmex
import tfmex.filters as tf


def test_every_name_is_its_family_and_length_and_orthonormal():
    rows = tf.filters()
    assert [r[0] for r in rows[:3]] == ["haar", "db1", "db2"]
    names = [name for name, _, _ in rows if name]
    assert len(set(names)) == len(names) == 45
    assert len({(family, m) for _, family, m in rows if family}) == 43
    assert all(name or family for name, family, _ in rows)
    for name, family, m in rows:
        h = tf.filter(name) if name else tf.filter(family, m)
        assert h.dtype == np.float64 and h.shape == (m,)
        if name and family:
            assert np.array_equal(h, tf.filter(family, m))
        if name:
            assert np.array_equal(h, tf.filter(name.upper()))
            per = 6 if family == "coiflet" else 2
            if name != "haar":
                prefix = {"daubechies": "db", "coiflet": "coif"}.get(family, "sym")
                assert name == prefix + str(m // per)
        assert abs(h.sum() - np.sqrt(2)) < 1e-14, name
        for j in range(m // 2):
            assert abs(np.dot(h[:m - 2 * j], h[2 * j:]) - (j == 0)) < 1e-14, (name, j)
    # A copy each time: changing one result changes no other.
    h = tf.filter("db2")
    h[0] = 0
    assert tf.filter("db2")[0] != 0


# PyWavelets stores these symmlets to 11 or 12 digits only (its sym3 is
# 3.6e-12 from its own db3, the same filter; its sym20 is orthonormal only to
# 1.4e-11); ours are the exact filters of its choice, rounded once.
PYWT_DIGITS = {"sym3": 4e-12, "sym5": 2e-12, "sym6": 2e-12, "sym7": 2e-12, "sym18": 4e-12,
               "sym19": 2e-12, "sym20": 2e-11}


def test_the_doubles_of_the_closed_forms_and_of_pywavelets():
    assert np.array_equal(tf.filter("haar"), np.full(2, np.sqrt(0.5)))
    s3 = np.sqrt(3)
    d4 = np.array([1 + s3, 3 + s3, 3 - s3, 1 - s3]) / (4 * np.sqrt(2))
    assert np.max(np.abs(tf.filter("db2") - d4)) <= 4e-16
    pywt = pytest.importorskip("pywt")
    names = ["haar"] + [f"db{N}" for N in range(1, 21)] + [f"sym{N}" for N in range(2, 21)] + \
        [f"coif{N}" for N in range(1, 6)]
    assert names == [name for name, _, _ in tf.filters() if name]
    for name in names:
        theirs = np.array(pywt.Wavelet(name).rec_lo)
        assert np.max(np.abs(tf.filter(name) - theirs)) < PYWT_DIGITS.get(name, 1e-12), name


def test_the_family_symmlets_differ_from_the_short_names_where_documented():
    # sym2 and sym3 are db2 and db3; the family's symmlets have 8 .. 40 taps.
    assert np.array_equal(tf.filter("sym2"), tf.filter("daubechies", 4))
    assert np.array_equal(tf.filter("sym3"), tf.filter("db3"))
    with pytest.raises(ValueError, match="no symmlet filter of 6 taps"):
        tf.filter("symmlet", 6)
    for N in range(4, 21):
        name, family = tf.filter(f"sym{N}"), tf.filter("symmlet", 2 * N)
        assert np.array_equal(name, family) == (N in (4, 8, 9, 13, 17)), N
        assert np.array_equal(name, family[::-1]) == (N in (5, 6, 7, 10, 12, 16)), N
        if N in (11, 14, 15, 18, 19, 20):
            # Another choice among the same roots: the same autocorrelation.
            assert min(np.max(np.abs(name - family)), np.max(np.abs(name - family[::-1]))) > 1e-3
            assert np.allclose(np.correlate(name, name, "full"),
                               np.correlate(family, family, "full"), rtol=0, atol=1e-14)


def test_unknown_names_families_and_lengths_say_what_exists():
    for name in ("sym1", "sym21", "-", ""):
        with pytest.raises(ValueError, match=rf"unknown filter '{name}'; names: haar, db1 \.\. "
                                             r"db20, sym2 \.\. sym20, coif1 \.\. coif5 \(dbN"):
            tf.filter(name)
    for family in ("-", ""):
        with pytest.raises(ValueError, match=f"unknown family '{family}'; known: haar, "
                                             "daubechies, symmlet, coiflet$"):
            tf.filter(family, 10)
    with pytest.raises(ValueError, match="unknown family 'meyer'; known: haar, daubechies, "
                                         "symmlet, coiflet"):
        tf.filter("meyer", 8)
    with pytest.raises(ValueError, match="no coiflet filter of 8 taps; lengths: 6 12 18 24 30"):
        tf.filter("coiflet", 8)
    with pytest.raises(TypeError):
        tf.filter(4)


def test_a_table_filter_reconstructs_through_the_plug_ins():
    x = np.random.default_rng(1).standard_normal(64)
    h = tf.filter("coif2")
    y = tfmex.CircJoin(tfmex.CircSplit(x, 2, h), 2, h)[0]
    assert np.max(np.abs(y - x)) < 1e-12


def test_an_installed_copy_reads_its_own_table(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "--install",
                    os.environ["TFMEX_BUILD_DIR"], "--prefix", str(prefix)],
                   check=True, capture_output=True)
    site = prefix / os.environ["TFMEX_PYTHON_INSTALL_DIR"]
    probe = "import tfmex.filters as f; print(f._TABLE); print(repr(f.filter('coif3').tolist()))"
    out = subprocess.run([sys.executable, "-c", probe], env={**os.environ, "PYTHONPATH": str(site)},
                         cwd=str(tmp_path), capture_output=True, text=True, check=True).stdout
    table, values = out.splitlines()
    assert table == str(site / "tfmex" / "filters.txt")
    assert eval(values) == tf.filter("coif3").tolist()

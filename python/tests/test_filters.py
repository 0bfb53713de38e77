"""tfmex.filters: the table's filters by name and by family, as PyWavelets
names them, orthonormal, the clear refusals of unknown ones, and the table
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
    assert len({name for name, _, _ in rows}) == len(rows) == 43
    for name, family, m in rows:
        h = tf.filter(name)
        assert h.dtype == np.float64 and h.shape == (m,)
        assert np.array_equal(h, tf.filter(family, m))
        assert np.array_equal(h, tf.filter(name.upper()))
        per = 6 if family == "coiflet" else 2
        if family != "haar":
            assert name == {"daubechies": "db", "symmlet": "sym", "coiflet": "coif"}[family] + \
                str(m // per)
        assert abs(h.sum() - np.sqrt(2)) < 1e-14, name
        for j in range(m // 2):
            assert abs(np.dot(h[:m - 2 * j], h[2 * j:]) - (j == 0)) < 1e-14, (name, j)
    # A copy each time: changing one result changes no other.
    h = tf.filter("db2")
    h[0] = 0
    assert tf.filter("db2")[0] != 0


def test_the_doubles_of_the_closed_forms_and_of_pywavelets():
    assert np.array_equal(tf.filter("haar"), np.full(2, np.sqrt(0.5)))
    s3 = np.sqrt(3)
    d4 = np.array([1 + s3, 3 + s3, 3 - s3, 1 - s3]) / (4 * np.sqrt(2))
    assert np.max(np.abs(tf.filter("db2") - d4)) <= 4e-16
    pywt = pytest.importorskip("pywt")
    for name, family, m in tf.filters():
        if family != "symmlet":
            assert np.max(np.abs(tf.filter(name) - pywt.Wavelet(name).rec_lo)) < 1e-15, name


def test_unknown_names_families_and_lengths_say_what_exists():
    with pytest.raises(ValueError, match=r"unknown filter 'sym2'; names: haar, db1 \.\. db20, "
                                         r"sym4 \.\. sym20, coif1 \.\. coif5"):
        tf.filter("sym2")
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

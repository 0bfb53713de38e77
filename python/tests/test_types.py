"""The package's type hints: mypy finds nothing in the package, and a
caller's code that uses it wrongly is caught (the hints say something)."""
import os
import subprocess
import sys

import pytest

SOURCE = os.path.join(os.environ.get("TFMEX_SOURCE_DIR",
                                     os.path.join(os.path.dirname(__file__), "..", "..")), "python")


def _mypy(*args, cwd=SOURCE):
    pytest.importorskip("mypy")
    r = subprocess.run([sys.executable, "-m", "mypy", "--config-file",
                        os.path.join(SOURCE, "mypy.ini"), "--no-incremental", *args],
                       cwd=cwd, capture_output=True, text=True,
                       env={**os.environ, "MYPYPATH": SOURCE})
    return r.returncode, r.stdout + r.stderr


def test_the_package_is_clean():
    rc, out = _mypy("tfmex")
    assert rc == 0, out


def test_a_callers_mistakes_are_caught(tmp_path):
    good = ("import numpy as np\nimport tfmex\n"
            "c = tfmex.wavedec(np.zeros(64), 'db4', level=2)\n"
            "y: np.ndarray = tfmex.waverec(c, 'db4')\n"
            "b = tfmex.best_basis(np.zeros(64), 3, 'db2')\n"
            "k: int = b.energy_count(0.9)\n"
            "v: str = tfmex.__version__\n")
    bad = good + "z: str = tfmex.dct(np.zeros(8))\n" + "tfmex.wavedec(np.zeros(8), 'db2', level='1')\n"
    (tmp_path / "good.py").write_text(good)
    (tmp_path / "bad.py").write_text(bad)
    rc, out = _mypy(str(tmp_path / "good.py"), cwd=str(tmp_path))
    assert rc == 0, out
    rc, out = _mypy(str(tmp_path / "bad.py"), cwd=str(tmp_path))
    assert rc == 1, out
    assert "bad.py:8: error" in out and "bad.py:9: error" in out, out

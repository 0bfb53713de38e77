"""The installed copy and the wheel work on their own: `cmake --install`
into a fresh prefix, then the package imported from there (and from the
unpacked wheel) in a new interpreter, away from the build: it must give the
build's bytes and its own help texts, with no plug-in file or host library
beside it."""
import os
import subprocess
import sys
import zipfile

import numpy as np

import tfmex

BUILD = os.environ["TFMEX_BUILD_DIR"]
SOURCE = os.environ["TFMEX_SOURCE_DIR"]
SITE = os.environ["TFMEX_PYTHON_INSTALL_DIR"]

PROBE = """
import os, sys, numpy as np, tfmex
x = np.arange(64.0).reshape(16, 4) ** 1.5
sys.stdout.write(repr((tfmex.__file__, "See also" in tfmex.CircSplit.__doc__)) + "\\n")
sys.stdout.buffer.write(tfmex.CircSplit(x, 1, [0.6, 0.8, 0.1]).tobytes(order="F"))
"""


def run_from(path, cwd, python=sys.executable):
    """PROBE's answer in a new interpreter that imports tfmex from `path` (from
    its own site-packages when None)."""
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    if path is not None:
        env["PYTHONPATH"] = path
    out = subprocess.run([python, "-c", PROBE], env=env, cwd=cwd, capture_output=True,
                         check=True).stdout
    where, data = out.split(b"\n", 1)
    return eval(where.decode()), data


def test_installed_package_and_wheel_work_on_their_own(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "--install", BUILD, "--prefix",
                    str(prefix)], check=True, capture_output=True)
    site = prefix / SITE
    files = sorted(os.listdir(site / "tfmex"))
    assert [f for f in files if not f.startswith("_tfmex.")] == [
        "__init__.py", "_analysis.py", "_api.py", "dask.py", "filters.py", "filters.txt", "help",
        "plot.py", "plugins.py", "py.typed"]
    assert "_tfmex.pyi" in files  # the compiled module's types
    assert len([m for m in os.listdir(site / "tfmex" / "help") if m.endswith(".m")]) == 26

    x = np.arange(64.0).reshape(16, 4) ** 1.5
    want = tfmex.CircSplit(x, 1, [0.6, 0.8, 0.1]).tobytes(order="F")
    (module, helped), got = run_from(str(site), str(tmp_path))
    assert module.startswith(str(site)) and helped
    assert got == want

    out = subprocess.run([sys.executable, os.path.join(SOURCE, "python", "make_wheel.py"),
                          str(site), os.environ["TFMEX_VERSION"], str(tmp_path)],
                         check=True, capture_output=True, text=True).stdout.strip()
    unpacked = tmp_path / "wheel"
    with zipfile.ZipFile(out) as z:
        names = z.namelist()
        assert any(n.endswith(".dist-info/RECORD") for n in names)
        z.extractall(unpacked)
        for info in z.infolist():  # zipfile drops the modes: restore them
            os.chmod(unpacked / info.filename, info.external_attr >> 16)
    (module, helped), got = run_from(str(unpacked), str(tmp_path))
    assert module.startswith(str(unpacked)) and helped
    assert got == want

    # pip into a virtual environment that sees Debian's numpy, as docs/start/python.rst says.
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                   check=True, capture_output=True)
    python = str(venv / "bin" / "python")
    subprocess.run([python, "-m", "pip", "install", "--no-index", "--quiet", out], check=True,
                   capture_output=True)
    (module, _), got = run_from(None, str(tmp_path), python)
    assert module.startswith(str(venv)) and got == want

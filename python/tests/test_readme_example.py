"""The README's Python example runs as printed and denoises."""
import contextlib
import io
import os
import re

import numpy as np


def test_readme_denoising_example_runs_and_gains():
    readme = open(os.path.join(os.environ["TFMEX_SOURCE_DIR"], "README.md")).read()
    blocks = re.findall(r"```python\n(.*?)```", readme, re.S)
    example = [b for b in blocks if "tfmex.CircJoin" in b]
    assert len(example) == 1
    scope = {}
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(example[0], "README.md", "exec"), scope)
    assert scope["w"].shape == (1, 1024)
    assert scope["snr"](scope["denoised"]) > scope["snr"](scope["noisy"]) + 2
    assert re.fullmatch(r"SNR \d+\.\d dB -> \d+\.\d dB\n", printed.getvalue())


def test_readme_first_python_example_runs():
    readme = open(os.path.join(os.environ["TFMEX_SOURCE_DIR"], "README.md")).read()
    blocks = re.findall(r"```python\n(.*?)```", readme, re.S)
    example = [b for b in blocks if "tfmex.wavedec(noisy" in b]
    assert len(example) == 1
    scope = {}
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(example[0], "README.md", "exec"), scope)
    clean, noisy, denoised = scope["clean"], scope["noisy"], scope["denoised"]
    assert np.sum((denoised - clean) ** 2) < 0.5 * np.sum((noisy - clean) ** 2)
    assert re.fullmatch(r"\d+ blocks; \d+ coefficients hold 99% of the energy\n",
                        printed.getvalue())

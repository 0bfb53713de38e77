"""The Python examples of the README and of the site run as printed: the
first example (the README's block is docs/snippets/first_steps.py, which the
site shows), and the site's denoising example, dask script (as a script, its
own cluster starting its workers) and TLS recipe, on loopback, from
docs/snippets, which the pages include."""
import contextlib
import faulthandler
import io
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import time

import numpy as np
import pytest


SOURCE = os.environ["TFMEX_SOURCE_DIR"]


def readme_block(kind, *words):
    """The one ```kind block of the README that holds every word."""
    text = open(os.path.join(SOURCE, "README.md")).read()
    found = [b for b in re.findall(rf"```{kind}\n(.*?)```", text, re.S)
             if all(w in b for w in words)]
    assert len(found) == 1, f"{len(found)} {kind} blocks hold {words}"
    return found[0]


def snippet(name):
    """An example of the site, as its pages include it."""
    return open(os.path.join(SOURCE, "docs", "snippets", name)).read()


def run_python(code, name):
    """Runs an example: its names, and what it printed."""
    scope = {}
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(code, name, "exec"), scope)
    return scope, printed.getvalue()


def test_readme_denoising_example_runs_and_gains():
    scope, printed = run_python(snippet("denoise_plugins.py"), "denoise_plugins.py")
    assert scope["w"].shape == (1, 1024)
    assert scope["snr"](scope["denoised"]) > scope["snr"](scope["noisy"]) + 2
    assert re.fullmatch(r"SNR \d+\.\d dB -> \d+\.\d dB\n", printed)


def test_readme_first_python_example_runs():
    code = readme_block("python", "tfmex.wavedec(noisy")
    assert code == snippet("first_steps.py"), "the README's block is not the site's"
    scope, printed = run_python(code, "README.md")
    clean, noisy, denoised = scope["clean"], scope["noisy"], scope["denoised"]
    assert np.sum((denoised - clean) ** 2) < 0.5 * np.sum((noisy - clean) ** 2)
    assert re.fullmatch(r"\d+ blocks; \d+ coefficients hold 99% of the energy\n", printed)


def tfmex_path():
    """The folder this process imports tfmex from, for the processes it starts."""
    import tfmex
    return os.path.dirname(os.path.dirname(os.path.abspath(tfmex.__file__)))


def test_readme_dask_script_runs_as_a_script(tmp_path):
    script = tmp_path / "denoise_on_a_cluster.py"
    script.write_text(snippet("dask_local_cluster.py"))
    run = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True,
                         text=True, timeout=180, env={**os.environ, "PYTHONPATH": tfmex_path()})
    assert run.returncode == 0, run.stderr
    m = re.fullmatch(r"rms error (\d\.\d+) -> (\d\.\d+), noise level (\d\.\d+)\n"
                     r"the bytes of one call: True\n", run.stdout)
    assert m, run.stdout
    before, after, sigma = map(float, m.groups())
    assert after < 0.7 * before and abs(sigma - 0.1) < 0.01


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def test_readme_tls_recipe_runs_on_loopback(tmp_path, monkeypatch):
    """The site's certificates, scheduler, worker and client, with the
    machines' addresses replaced by loopback: the client computes, over TLS
    only, and nothing listens beyond loopback."""
    psutil = pytest.importorskip("psutil")
    for tool in ("openssl", "dask-scheduler", "dask-worker"):
        if shutil.which(tool) is None:
            pytest.skip(f"{tool} is not installed")
    port = str(free_port())

    def local(text):
        text = text.replace("10.0.0.1", "127.0.0.1").replace("10.0.0.2", "127.0.0.1")
        text = text.replace("8786", port)
        return text.replace("/opt/tfmex/build/python", tfmex_path())

    shell = local(snippet("tls_certificates.sh")).replace("\\\n", " ")
    setup = [line for line in shell.splitlines()
             if line.strip() and not line.startswith("#") and "dask-" not in line]
    scheduler = [line for line in shell.splitlines() if line.startswith("dask-scheduler")]
    worker = [line for line in shell.splitlines() if "dask-worker tls://" in line]
    assert len(scheduler) == len(worker) == 1 and "--tls-key" in worker[0]
    subprocess.run(["bash", "-euc", "\n".join(setup)], cwd=tmp_path, check=True,
                   capture_output=True, timeout=120)
    assert oct(os.stat(tmp_path / "client.key").st_mode & 0o777) == "0o600"

    from distributed import Client, Security
    faulthandler.dump_traceback_later(240, exit=True)  # never hang the suite
    started, logs = [], {}
    try:
        for role, command in (("scheduler", scheduler[0]), ("worker", worker[0])):
            logs[role] = open(tmp_path / f"{role}.log", "w")
            started.append(subprocess.Popen(["bash", "-c", command], cwd=tmp_path,
                                            stdout=logs[role], stderr=subprocess.STDOUT,
                                            start_new_session=True,
                                            env={**os.environ,
                                                 "DASK_TEMPORARY_DIRECTORY": str(tmp_path)}))

        def logged():
            return "\n".join(f"{role}:\n" + (tmp_path / f"{role}.log").read_text()[-3000:]
                             for role in logs)
        monkeypatch.chdir(tmp_path)
        client_code = local(snippet("tls_client.py"))
        security = Security(tls_ca_file="ca.pem", tls_client_cert="client.pem",
                            tls_client_key="client.key", require_encryption=True)
        with Client(f"tls://127.0.0.1:{port}", security=security, timeout="60s") as c:
            deadline = time.monotonic() + 90
            while len(c.scheduler_info()["workers"]) < 2:
                assert all(p.poll() is None for p in started), logged()
                assert time.monotonic() < deadline, logged()
                time.sleep(0.2)
            assert c.scheduler.address.startswith("tls://")
            assert all(w.startswith("tls://") for w in c.scheduler_info()["workers"])
            addresses = set()
            for p in started:
                for q in [psutil.Process(p.pid)] + psutil.Process(p.pid).children(recursive=True):
                    addresses |= {k.laddr.ip for k in q.connections(kind="inet")
                                  if k.status == psutil.CONN_LISTEN}
            assert addresses == {"127.0.0.1"}, logged()
        scope = {}
        exec(compile(client_code, "tls_client.py", "exec"), scope)
        energy = scope["energy"]
        assert energy.shape == (6,) and abs(energy[0] / 1024 - 1) < 0.05
        assert np.allclose(energy, energy[0], rtol=1e-12)
    finally:
        faulthandler.cancel_dump_traceback_later()
        for log in logs.values():
            log.close()
        for p in started:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGTERM)
        for p in started:
            try:
                p.wait(timeout=30)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait(timeout=30)

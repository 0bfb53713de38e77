#!/usr/bin/env python3
"""Writes a wheel of the installed tfmex package, offline: the folder `tfmex`
under SITE (as `cmake --install` laid it out: the module, the Python files
and the help texts) with its dist-info, tagged for the running interpreter.

    make_wheel.py SITE VERSION OUTDIR
"""
import base64
import hashlib
import os
import sys
import sysconfig
import zipfile


def digest(data):
    return "sha256=" + base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()


def main(site, version, outdir):
    py = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    tag = f"{py}-{py}-{platform}"
    info = f"tfmex-{version}.dist-info"
    files = []
    for root, _, names in os.walk(os.path.join(site, "tfmex")):
        for name in sorted(names):
            if name.endswith(".pyc"):
                continue
            path = os.path.join(root, name)
            files.append((os.path.relpath(path, site), open(path, "rb").read()))
    files.sort()
    files.append((f"{info}/METADATA", (
        "Metadata-Version: 2.1\nName: tfmex\nVersion: " + version + "\n"
        "Summary: Wavelet and time-frequency plug-ins called from numpy\n"
        "License: BSD-3-Clause\nRequires-Dist: numpy\n").encode()))
    files.append((f"{info}/WHEEL", (
        "Wheel-Version: 1.0\nGenerator: tfmex make_wheel.py\nRoot-Is-Purelib: false\n"
        f"Tag: {tag}\n").encode()))
    record = "".join(f"{name},{digest(data)},{len(data)}\n" for name, data in files)
    record += f"{info}/RECORD,,\n"
    files.append((f"{info}/RECORD", record.encode()))
    wheel = os.path.join(outdir, f"tfmex-{version}-{tag}.whl")
    with zipfile.ZipFile(wheel, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            # the module stays executable once unpacked
            executable = name.endswith(".so")
            entry.external_attr = (0o755 if executable else 0o644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(entry, data)
    print(wheel)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
